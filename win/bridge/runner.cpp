// kelvora-sim-wine: the scenario runner with the plug-in's Windows DLL in place of the linked
// plug-in. Linux code in a Wine process: the runner and the simulated host are the Linux build's
// own (tools/scenario.cpp, nxsim); the DLL calls the host through the bridge's libufun.dll and
// libugopenint.dll.
//
//   kelvora-sim-wine run --plugin KELVORA.DLL SCENARIO.json --out DIR [--stats FILE]
//
// Exit codes as kelvora-sim's; a fault or a hang of the plug-in ends the run with 1 (winehost.cpp).
// KELVORA_WINE_TIMEOUT sets the seconds an entry into the plug-in may take (default 120).
// KELVORA_WINE_REPORT names a folder for what the bridge saw that the outputs do not show (the
// tests' look at NX's start-up): report.txt, the About dialog's picture about.png.
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "bridge.h"
#include "nxsim/nxsim.h"
#include "scenario.h"
#include "winhost.h"

namespace {

const int kDefaultTimeout = 120;
const size_t kMaxPrinted = 16 << 20;  // what the plug-in may print in one run

int usage() {
    fprintf(stderr, "usage: kelvora-sim-wine run --plugin KELVORA.DLL SCENARIO.json --out DIR [--stats FILE]\n");
    return 2;
}

void start_plugin() {
    // Windows reports the library's file where the scenario says it lies (the kit's, by default):
    // the plug-in finds its tool folder from there as on the Linux build.
    std::string library = nxsim::library_path();
    if (!library.empty() && wh_set_module_path(kvb::to_windows_path(library).c_str()) != 0)
        nxsim::add_error("the bridge could not set the plug-in's module path to " + library);
    kvb::call_ufsta(wh_plugin_ufsta());
}

// What the plug-in printed goes where the linked plug-in's printing goes: the runner's stdout.txt.
void finish_plugin() {
    std::vector<char> printed(kMaxPrinted);
    size_t n = wh_take_plugin_stdout(printed.data(), printed.size());
    fwrite(printed.data(), 1, n, stdout);
    fflush(stdout);
}

std::string output_text(const std::string& text) { return kvb::linux_paths_in_text(text); }

std::mutex g_report_lock;
std::vector<std::string> g_report;  // the watcher's lines, in order

// The report of a run that ended: the menu actions registered, what the watcher noted, and the
// plug-in's entries to the API (UF_initialize and UF_terminate, failing ones counted apart).
void write_report(const std::string& folder) {
    std::ofstream out(folder + "/report.txt", std::ios::binary);
    std::vector<std::string> actions = nxsim::actions();
    if (actions.empty()) out << "registered: none\n";
    for (const std::string& a : actions) out << "registered: " << a << "\n";
    {
        std::lock_guard<std::mutex> lock(g_report_lock);
        for (const std::string& line : g_report) out << line << "\n";
    }
    // The log holds every call, and after a failing one its injected failure too.
    int failed = 0;
    for (const std::string& call : nxsim::call_log()) failed += call == "UF_initialize -> injected failure";
    out << "entries: UF_initialize " << nxsim::call_count("UF_initialize") - failed << " succeeding and " << failed
        << " failing, UF_terminate " << nxsim::call_count("UF_terminate") << ", open at the end "
        << nxsim::init_depth() << "\n";
    if (!out) fprintf(stderr, "kelvora-sim: KELVORA_WINE_REPORT: %s/report.txt cannot be written\n", folder.c_str());
}

// The DLL's path as Windows names it: a Linux path (relative to the working folder) becomes a Z:
// path; a Windows path is taken as given.
std::string dll_path(const std::string& given) {
    if (given.size() >= 2 && given[1] == ':') return given;
    std::string path = given;
    if (path.empty() || path[0] != '/') {
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof cwd)) return "";
        path = std::string(cwd) + "/" + path;
    }
    return kvb::to_windows_path(path);
}

}  // namespace

// scenario.cpp names the linked plug-in's entry, called when no plug-in host is set; this runner
// always sets one.
extern "C" void ufsta(char*, int*, int) { abort(); }

extern "C" void kvr_host_error(const char* text) { nxsim::add_error(text ? text : ""); }

extern "C" void kvr_report(const char* line) {
    std::lock_guard<std::mutex> lock(g_report_lock);
    g_report.push_back(line ? line : "");
}

extern "C" const char* kvr_report_folder() {
    const char* folder = getenv("KELVORA_WINE_REPORT");
    return folder && folder[0] ? folder : nullptr;
}

extern "C" void kvr_windows_path(const char* gbk_linux_path, char* out, size_t size) {
    if (!out || size == 0) return;
    std::string path = kvb::to_windows_path(gbk_linux_path ? gbk_linux_path : "");
    snprintf(out, size, "%s", path.c_str());
}

int kvr_main(int argc, char** argv) {
    bool stats = argc == 9 && strcmp(argv[7], "--stats") == 0;
    if ((argc != 7 && !stats) || strcmp(argv[1], "run") != 0 || strcmp(argv[2], "--plugin") != 0 ||
        strcmp(argv[5], "--out") != 0)
        return usage();
    const char* timeout_text = getenv("KELVORA_WINE_TIMEOUT");
    int timeout = timeout_text ? atoi(timeout_text) : kDefaultTimeout;
    if (timeout <= 0) {
        fprintf(stderr, "kelvora-sim: KELVORA_WINE_TIMEOUT: expected a number of seconds above 0\n");
        return 2;
    }
    std::string dll = dll_path(argv[3]);
    struct stat st;
    bool drive_path = argv[3][0] && argv[3][1] == ':';
    if (!drive_path && stat(argv[3], &st) != 0) {
        fprintf(stderr, "kelvora-sim: --plugin %s: no such file\n", argv[3]);
        return 2;
    }
    char error[8192];  // the refusal names every import NX's libraries lack
    if (dll.empty() || wh_load_plugin(dll.c_str(), error, sizeof error) != 0) {
        fprintf(stderr, "kelvora-sim: --plugin %s\n", dll.empty() ? argv[3] : error);
        return 2;
    }
    if (wh_capture_plugin_stdout() != 0) {
        fprintf(stderr, "kelvora-sim: the plug-in's standard output cannot be captured\n");
        return 1;
    }
    if (wh_start_guards(timeout) != 0) {
        fprintf(stderr, "kelvora-sim: the bridge's watcher threads did not start\n");
        return 1;
    }
    kvsim::PluginHost host;
    host.start = start_plugin;
    host.finish = finish_plugin;
    host.output_text = output_text;
    kvsim::set_plugin_host(host);
    kvsim::RunResult r = kvsim::run_scenario(argv[4], argv[6]);
    wh_stop_guards();
    if (stats && !kvsim::write_call_stats(argv[8])) {
        fprintf(stderr, "kelvora-sim: --stats: cannot write %s\n", argv[8]);
        if (r.exit_code == 0) r.exit_code = 2;
    }
    if (const char* folder = kvr_report_folder()) write_report(folder);
    if (r.exit_code != 0)
        fprintf(stderr, "kelvora-sim: %s%s", r.message.c_str(),
                (!r.message.empty() && r.message.back() == '\n') ? "" : "\n");
    return r.exit_code;
}
