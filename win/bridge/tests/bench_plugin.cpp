// The benchmark's plug-in (MinGW, 64-bit): a menu action that does nothing, and a loop of cheap
// NX calls made from Windows code, for kvbridge-bench.
#include "nx.h"

namespace {

UF_MB_cb_status_t noop(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) { return UF_MB_CB_CONTINUE; }

UF_MB_action_t g_actions[] = {
    {(char *)"KV_BENCH_NOOP", {noop, nullptr}},
    {nullptr, {nullptr, nullptr}},
};

}  // namespace

// Asks NX for the work part n times (the API initialised by the caller); the sum of the tags.
extern "C" DllExport long long kv_bench_calls(int n) {
    long long sum = 0;
    for (int i = 0; i < n; ++i) sum += UF_ASSEM_ask_work_part();
    return sum;
}

extern "C" DllExport void ufsta(char *param, int *retcod, int rlen) {
    (void)param;
    (void)retcod;
    (void)rlen;
    if (UF_initialize() != 0) return;
    UF_MB_add_actions(g_actions);
    UF_terminate();
}
