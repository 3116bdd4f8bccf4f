// A whole session as a mould maker runs it for N electrodes: the layer dialog turns N bodies
// and their coordinate systems into E01..EN (one pick and one Apply each), then the create
// dialog selects them all and makes the N part files with one OK. The time per electrode must
// stay flat as N grows.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <fstream>
#include <string>

#include "scenario.h"

namespace {

std::string g_root;  // temporary folder of the generated parts and scenarios

void write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A part with N bodies B<i> and coordinate systems C<i> on layer 1, and the scenario for it.
std::string make_case(int n) {
    std::string part = "{ \"format\": \"nxsim-part\", \"version\": 1, \"objects\": [\n";
    for (int i = 1; i <= n; ++i) {
        std::string x = std::to_string(30 * i);
        part += "{ \"id\": " + std::to_string(2 * i - 1) + ", \"type\": \"solid\", \"name\": \"B" + std::to_string(i) +
                "\", \"shape\": { \"box\": { \"origin\": [" + x + ", 0, 0], \"size\": [20, 10, 15] } } },\n";
        part += "{ \"id\": " + std::to_string(2 * i) + ", \"type\": \"csys\", \"name\": \"C" + std::to_string(i) +
                "\", \"origin\": [" + x + ", 0, 15], \"matrix\": [1, 0, 0, 0, 1, 0, 0, 0, 1] }" +
                (i < n ? ",\n" : "\n");
    }
    part += "] }\n";
    std::string dir = g_root + "/n" + std::to_string(n);
    system(("mkdir -p '" + dir + "'").c_str());
    write(dir + "/core.prt", part);

    std::string events;
    for (int i = 1; i <= n; ++i)
        events += "{ \"press\": \"ACTION_2\", \"answers\": [ { \"select\": [\"B" + std::to_string(i) + "\", \"C" +
                  std::to_string(i) + "\"] } ] }, \"apply\",\n";
    std::string scenario = "{ \"kit\": \"" KV_SOURCE_DIR "/kit\", \"part\": \"core.prt\", \"steps\": [\n"
                           "{ \"action\": \"KELVORA_LAYER\", \"events\": [\n" + events + "\"cancel\" ] },\n"
                           "{ \"action\": \"KELVORA_CREATE\", \"events\": [\n"
                           "  { \"press\": \"ACTION_1\", \"answers\": [ { \"folder\": \"${OUT}/electrodes\" } ] },\n"
                           "  { \"press\": \"ACTION_5\" }, \"ok\" ] } ] }\n";
    write(dir + "/scenario.json", scenario);
    return dir;
}

void BM_LayerThenCreate(benchmark::State& state) {
    int n = (int)state.range(0);
    std::string dir = make_case(n);
    for (auto _ : state) {
        state.PauseTiming();
        system(("rm -rf '" + dir + "/out'").c_str());
        state.ResumeTiming();
        kvsim::RunResult r = kvsim::run_scenario(dir + "/scenario.json", dir + "/out");
        if (r.exit_code != 0) {
            state.SkipWithError(r.message.c_str());
            break;
        }
    }
    state.SetComplexityN(n);
    // Seconds per electrode, shown as "per_electrode".
    state.counters["per_electrode"] =
        benchmark::Counter((double)n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_LayerThenCreate)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace

int main(int argc, char** argv) {
    // In memory where there is such a file system: a disk's costs of creating files just
    // deleted would blur the figures.
    char shm[] = "/dev/shm/kv-create-bench-XXXXXX";
    char tmp[] = "/tmp/kv-create-bench-XXXXXX";
    char* made = mkdtemp(shm);
    if (!made) made = mkdtemp(tmp);
    if (!made) return 1;
    const char* tmpl = made;
    g_root = tmpl;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    system(("rm -rf '" + g_root + "'").c_str());
    return 0;
}
