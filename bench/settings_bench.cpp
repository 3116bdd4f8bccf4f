// read_setting on a realistic 60-key config.dat (the shipped file and nineteen shop keys), the
// key looked up being the last one, against a plain read of the same file into memory; and the
// twenty lookups of a dialog constructor.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "config/tool_folder.h"
#include "nx.h"
#include "nxsim/nxsim.h"
#include "state.h"

namespace {

std::string g_root;    // temporary folder
std::string g_config;  // its tool folder's config.dat

const char *kLastKey = "ELECTORDE_LINE_COLOR_B";

const char *kDialogKeys[20] = {
    "ELECTRODE_START_LAYER",     "ELECTRODE_END_LAYER",        "ELECTRODE_DRAFT_SUPR",
    "ELECTRODE_DRAFT_ROUG",      "ELECTRODE_DRAFT_FIN",        "ELECTRODE_DRAFT_SUR_NUM",
    "ELECTRODE_DRAFT_ROUG_NUM",  "ELECTRODE_DRAFT_FIN_NUM",    "ELECTRODE_DRAFT_MATERIAL",
    "ELECTRODE_DRAFT_METHOD",    "ELECTRODE_DRAFT_MACH",       "ELECTRODE_DRAFT_MAN",
    "ELECTRODE_DRAFT_SPLIT",     "ELECTRODE_DRAFT_CREATE",     "ELECTRODE_ONLY_DISPLAY_ELECT",
    "ELECTRODE_PREFIX_NAME",     "ELECTRODE_PART_PREFIX_NAME", "ELECTRODE_PART_SEPARATOR",
    "ELECTRODE_SHEET_X_SIZE",    "ELECTRODE_SHEET_Y_SIZE",
};

void write(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A session whose tool folder comes from KELVORA_PATH after NX's custom_dirs.dat (a few folder
// lines, no marked line) has been read, as on a shop machine without the marked line.
void set_up() {
    char tmpl[] = "/tmp/kv-bench-XXXXXX";
    if (!mkdtemp(tmpl)) abort();
    g_root = tmpl;
    mkdir((g_root + "/nx").c_str(), 0755);
    mkdir((g_root + "/nx/menus").c_str(), 0755);
    mkdir((g_root + "/tool").c_str(), 0755);
    mkdir((g_root + "/tool/data").c_str(), 0755);
    write(g_root + "/nx/menus/custom_dirs.dat",
          "# NX custom directories\nD:\\Kelvora\nD:\\Moldwizard\\startup\nE:\\shop\\tools\n");
    std::ifstream kit(std::string(KV_SOURCE_DIR) + "/kit/data/config.dat", std::ios::binary);
    std::stringstream shipped;
    shipped << kit.rdbuf();
    std::string extra = "# Shop settings\n";
    for (int i = 1; i <= 19; ++i)
        extra += "SHOP_SETTING_" + std::to_string(i) + " = value" + std::to_string(i) + ",x,y,\n";
    g_config = g_root + "/tool/data/config.dat";
    write(g_config, extra + shipped.str());

    nxsim::reset();
    nxsim::set_env("UGII_ROOT_DIR", g_root + "/nx/");
    nxsim::set_env("KELVORA_PATH", g_root + "/tool");
    UF_initialize();
}

void tear_down() {
    UF_terminate();
    system(("rm -rf '" + g_root + "'").c_str());
}

// The host logs every call; keep the log from growing over millions of lookups.
inline void trim_call_log(size_t i) {
    if ((i & 4095) == 0) nxsim::S().call_log.clear();
}

size_t plain_read() {
    FILE *f = fopen(g_config.c_str(), "rb");
    if (!f) abort();
    static char buf[1 << 16];
    size_t n = fread(buf, 1, sizeof buf, f);
    fclose(f);
    benchmark::DoNotOptimize(buf);
    return n;
}

void BM_PlainRead(benchmark::State &state) {
    for (auto _ : state) benchmark::DoNotOptimize(plain_read());
}
BENCHMARK(BM_PlainRead);

// The part of every lookup that finds the tool folder (custom_dirs.dat, then KELVORA_PATH).
void BM_FindToolFolder(benchmark::State &state) {
    char folder[KV_PATH_BUFSIZE];
    size_t i = 0;
    for (auto _ : state) {
        find_tool_folder(folder);
        trim_call_log(++i);
    }
}
BENCHMARK(BM_FindToolFolder);

void BM_ReadSettingLastKey(benchmark::State &state) {
    char value[KV_SETTING_BUFSIZE];
    size_t i = 0;
    for (auto _ : state) {
        if (read_setting(kLastKey, value, sizeof value) != 0) state.SkipWithError("key not found");
        trim_call_log(++i);
    }
}
BENCHMARK(BM_ReadSettingLastKey);

void BM_DialogConstructorKeys(benchmark::State &state) {
    char value[KV_SETTING_BUFSIZE];
    size_t i = 0;
    for (auto _ : state) {
        for (const char *key : kDialogKeys)
            if (read_setting(key, value, sizeof value) != 0) state.SkipWithError(key);
        trim_call_log(++i);
    }
}
BENCHMARK(BM_DialogConstructorKeys)->Unit(benchmark::kMicrosecond);

double thread_cpu_us() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

// CPU time (user and system) of one call of f in microseconds: the best mean of `batches`
// batches of n calls, so that the other work of a busy machine weighs as little as it can.
template <class F>
double best_us(F f, int batches, int n) {
    double best = 1e30;
    for (int b = 0; b < batches; ++b) {
        double t0 = thread_cpu_us();
        for (int i = 0; i < n; ++i) {
            f();
            trim_call_log((size_t)i);
        }
        double per_call = (thread_cpu_us() - t0) / n;
        if (per_call < best) best = per_call;
    }
    return best;
}

}  // namespace

int main(int argc, char **argv) {
    set_up();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    char value[KV_SETTING_BUFSIZE];
    double lookup = best_us([&] { read_setting(kLastKey, value, sizeof value); }, 10, 2000);
    double read = best_us([] { plain_read(); }, 10, 2000);
    printf("\nCPU time: read_setting(%s) %.2f us; plain read of config.dat %.2f us; ratio %.2f "
           "(budget 4)\n",
           kLastKey, lookup, read, lookup / read);
    benchmark::Shutdown();
    tear_down();
    return lookup / read <= 4.0 ? 0 : 1;
}
