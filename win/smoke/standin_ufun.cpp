// Stand-in libufun.dll: the calls the smoke run needs with behaviour of their own. Every other
// export is a logging stub generated from libufun.def (gen_standins.py).
#include <cstdlib>
#include <cstring>

#include "nx.h"
#include "standin_log.h"

namespace {

// Any non-zero code will do: the plug-in only tests for 0.
const int kInitFailCode = UF_err_program_not_initialized;

int g_fail_init = -1;  // -1 until KV_SMOKE_INIT_FAIL is read
int g_initialized = 0;
int g_terminated = 0;
int g_depth = 0;
int g_unmatched = 0;  // UF_terminate calls without an open UF_initialize

bool init_fails() {
    if (g_fail_init < 0) {
        const char *v = getenv("KV_SMOKE_INIT_FAIL");
        g_fail_init = (v && strcmp(v, "1") == 0) ? 1 : 0;
    }
    return g_fail_init == 1;
}

}  // namespace

extern "C" KV_EXPORT int UF_initialize(void) {
    if (init_fails()) {
        kv_log("call: UF_initialize -> %d (failing)", kInitFailCode);
        return kInitFailCode;
    }
    g_initialized++;
    g_depth++;
    kv_log("call: UF_initialize -> 0");
    return 0;
}

extern "C" KV_EXPORT int UF_terminate(void) {
    g_terminated++;
    if (g_depth > 0) {
        g_depth--;
        kv_log("call: UF_terminate -> 0");
    } else {
        g_unmatched++;
        kv_log("call: UF_terminate -> 0 (no open UF_initialize)");
    }
    return 0;
}

extern "C" KV_EXPORT tag_t UF_ASSEM_ask_work_part(void) {
    const char *v = getenv("KV_SMOKE_WORK_PART");
    char *end = nullptr;
    unsigned long tag = v ? strtoul(v, &end, 10) : 0;
    if (!v || end == v || *end != '\0' || tag > 0xffffffffUL) tag = 0;
    kv_log("call: UF_ASSEM_ask_work_part -> %lu", tag);
    return (tag_t)tag;
}

extern "C" KV_EXPORT int UF_get_fail_message(int fail_code, char message[133]) {
    if (!message) return -1;
    message[0] = '\0';
    snprintf(message, 133, "stand-in failure %d", fail_code);
    kv_log("call: UF_get_fail_message %d -> 0", fail_code);
    return 0;
}

/* For the smoke host: makes every later UF_initialize fail (1) or succeed (0). */
extern "C" KV_EXPORT int kv_smoke_set_init_fail(int fail) {
    g_fail_init = fail ? 1 : 0;
    return 0;
}

/* For the smoke host: successful UF_initialize calls, UF_terminate calls, and the terminations
 * that had no open initialisation. Outputs are cleared first; -1 for a null output. */
extern "C" KV_EXPORT int kv_smoke_balance(int *initialized, int *terminated, int *unmatched) {
    if (!initialized || !terminated || !unmatched) return -1;
    *initialized = g_initialized;
    *terminated = g_terminated;
    *unmatched = g_unmatched;
    return 0;
}
