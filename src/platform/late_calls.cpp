#include "platform/late_calls.h"

#include "platform/win_services.h"

namespace {

typedef int (*int_call_t)(void);

}  // namespace

// Looked up at each use: one call per drawing pass, and NX's libraries never unload.
int late_regenerate_display(void) {
    int_call_t call = reinterpret_cast<int_call_t>(ws_find_nx_call("UF_DISP_regenerate_display"));
    return call ? call() : -1;
}
