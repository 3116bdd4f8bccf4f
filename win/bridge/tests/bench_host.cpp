// kvbridge-bench's Linux side: the session, the direct calls and the timing. What one crossing
// of the bridge costs: the same cheap NX call made N times from Linux code straight into the
// host, and from the plug-in's Windows code through the bridge; and a menu action whose callback
// does nothing, run by the host as a Linux function and as the DLL's through a trampoline.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench.h"
#include "bridge.h"
#include "nxsim/nxsim.h"

namespace {

double now_ns() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e9 + t.tv_nsec;
}

__attribute__((noinline)) long long direct_calls(int n) {
    long long sum = 0;
    for (int i = 0; i < n; ++i) sum += UF_ASSEM_ask_work_part();
    return sum;
}

UF_MB_cb_status_t native_noop(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) { return UF_MB_CB_CONTINUE; }

UF_MB_action_t g_native[] = {
    {(char*)"KV_NATIVE_NOOP", {native_noop, nullptr}},
    {nullptr, {nullptr, nullptr}},
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A fresh session with the demo part, the DLL's and the native action registered, the API open.
bool fresh_session(const std::string& part) {
    nxsim::reset();
    std::string err;
    if (nxsim::open_part(part, &err) != 0) {
        fprintf(stderr, "bench: %s\n", err.c_str());
        return false;
    }
    kvb::call_ufsta(bench_ufsta());
    UF_initialize();
    UF_MB_add_actions(g_native);
    return true;
}

}  // namespace

int bench_main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: kvbridge-bench BENCH_PLUGIN.DLL PART N\n");
        return 2;
    }
    int n = atoi(argv[3]);
    const int reps = 11;
    std::vector<double> direct, bridged, native_cb, dll_cb;
    long long check = 0;
    for (int r = 0; r < reps; ++r) {
        if (!fresh_session(argv[2])) return 1;
        double t0 = now_ns();
        check += direct_calls(n);
        double t1 = now_ns();
        check -= bench_plugin_calls(n);
        double t2 = now_ns();
        direct.push_back((t1 - t0) / n);
        bridged.push_back((t2 - t1) / n);
        int m = n / 10;
        double t3 = now_ns();
        for (int i = 0; i < m; ++i) nxsim::run_action("KV_NATIVE_NOOP");
        double t4 = now_ns();
        for (int i = 0; i < m; ++i) nxsim::run_action("KV_BENCH_NOOP");
        double t5 = now_ns();
        native_cb.push_back((t4 - t3) / m);
        dll_cb.push_back((t5 - t4) / m);
        UF_terminate();
    }
    if (check != 0) {
        fprintf(stderr, "bench: the DLL's calls answered otherwise than the direct ones\n");
        return 1;
    }
    double d = median(direct), b = median(bridged), nc = median(native_cb), dc = median(dll_cb);
    printf("NX call UF_ASSEM_ask_work_part, %d calls x %d runs (median ns per call):\n", n, reps);
    printf("  Linux code -> host:                 %8.1f ns\n", d);
    printf("  DLL (ms_abi) -> bridge -> host:     %8.1f ns   (x%.2f, +%.1f ns per crossing)\n", b, b / d, b - d);
    printf("menu action run by the host, %d runs x %d (median ns per run):\n", n / 10, reps);
    printf("  host -> Linux callback:             %8.1f ns\n", nc);
    printf("  host -> trampoline -> DLL callback: %8.1f ns   (x%.2f, +%.1f ns per crossing)\n", dc, dc / nc, dc - nc);
    return 0;
}
