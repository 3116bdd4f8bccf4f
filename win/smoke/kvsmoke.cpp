// The smoke host's main line: NX's libraries first, then the plug-in, its start-up entry, its
// registered actions one after the other, and the initialise/terminate balance at the end.
//
//   kvsmoke.exe [--screenshot FILE.png] [--init-fails-in-actions] [--timeout S] PLUGIN.dll
//
// Exit codes: 0 all as expected; 1 a fault was reported; 2 bad arguments; 3 the plug-in was
// not loaded; 4 a step did not end in time.
#include "kvsmoke.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "nx.h"

namespace {

typedef void (*ufsta_f)(char *param, int *retcod, int rlen);
typedef int (*action_count_f)(void);
typedef int (*action_f)(int i, const char **name, UF_MB_callback_t *cb, void **data);
typedef int (*table_error_f)(char out[256]);
typedef int (*balance_f)(int *initialized, int *terminated, int *unmatched);
typedef int (*set_init_fail_f)(int fail);

const char *base_name(const char *path) {
    const char *base = path;
    for (const char *p = path; *p; p++)
        if (*p == '\\' || *p == '/') base = p + 1;
    return base;
}

// The stand-ins' read-back calls, or -1 when one is missing (a library that is not a stand-in).
struct Readback {
    action_count_f action_count;
    action_f action;
    table_error_f table_error;
    balance_f balance;
    set_init_fail_f set_init_fail;
};

int find_readback(HMODULE ufun, HMODULE ugopenint, Readback *rb) {
    memset(rb, 0, sizeof *rb);
    rb->action_count = (action_count_f)(void *)GetProcAddress(ugopenint, "kv_smoke_action_count");
    rb->action = (action_f)(void *)GetProcAddress(ugopenint, "kv_smoke_action");
    rb->table_error = (table_error_f)(void *)GetProcAddress(ugopenint, "kv_smoke_table_error");
    rb->balance = (balance_f)(void *)GetProcAddress(ufun, "kv_smoke_balance");
    rb->set_init_fail = (set_init_fail_f)(void *)GetProcAddress(ufun, "kv_smoke_set_init_fail");
    if (!rb->action_count || !rb->action || !rb->table_error || !rb->balance || !rb->set_init_fail) return -1;
    return 0;
}

HMODULE load_nx_library(const char *name) {
    HMODULE module = LoadLibraryA(name);
    if (!module) host_log("load: %s not loaded: error %lu", name, GetLastError());
    return module;
}

SRWLOCK g_log_lock = SRWLOCK_INIT;

}  // namespace

void host_log(const char *format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return;
    AcquireSRWLockExclusive(&g_log_lock);
    printf("%s\n", line);
    fflush(stdout);
    const char *path = getenv("KV_SMOKE_LOG");
    FILE *f = (path && path[0]) ? fopen(path, "ab") : nullptr;
    if (f) {
        fprintf(f, "%s\n", line);
        fclose(f);
    }
    ReleaseSRWLockExclusive(&g_log_lock);
}

int main(int argc, char **argv) {
    const char *screenshot = "";
    const char *plugin_path = nullptr;
    bool fail_in_actions = false;
    int timeout = 20;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (strcmp(argv[i], "--init-fails-in-actions") == 0) {
            fail_in_actions = true;
        } else if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
            timeout = atoi(argv[++i]);
        } else if (!plugin_path && argv[i][0] != '-') {
            plugin_path = argv[i];
        } else {
            plugin_path = nullptr;
            break;
        }
    }
    if (!plugin_path || timeout <= 0) {
        fprintf(stderr, "usage: kvsmoke [--screenshot FILE.png] [--init-fails-in-actions] [--timeout S] PLUGIN.dll\n");
        return 2;
    }
    const char *base = base_name(plugin_path);
    host_log("host: code page %u", GetACP());

    // NX has its libraries loaded before it looks at the startup folder.
    HMODULE ufun = load_nx_library("libufun.dll");
    HMODULE ugopenint = load_nx_library("libugopenint.dll");
    if (!ufun || !ugopenint) return 3;
    Readback rb;
    if (find_readback(ufun, ugopenint, &rb) != 0) {
        host_log("load: libufun.dll or libugopenint.dll is not a stand-in (no read-back calls)");
        return 3;
    }

    HMODULE plugin = LoadLibraryA(plugin_path);
    if (!plugin) {
        DWORD error = GetLastError();
        host_log("load: %s refused: error %lu%s", base, error,
                 error == ERROR_PROC_NOT_FOUND ? " (a call it imports is missing)" :
                 error == ERROR_MOD_NOT_FOUND ? " (a library it imports is missing)" : "");
        if (error == ERROR_PROC_NOT_FOUND || error == ERROR_MOD_NOT_FOUND) report_missing_imports(plugin_path, base);
        return 3;
    }
    // Wine binds a missing import to a stub that fails when called; Windows refuses the library.
    int missing = report_missing_imports(plugin_path, base);
    if (missing > 0) {
        host_log("load: %s loaded by Wine only: Windows refuses it with error %d (a call it imports is missing)",
                 base, ERROR_PROC_NOT_FOUND);
        return 3;
    }
    if (missing < 0) {
        host_log("load: %s: its import table cannot be read", base);
        return 3;
    }
    host_log("load: %s", base);

    ufsta_f ufsta = (ufsta_f)(void *)GetProcAddress(plugin, "ufsta");
    if (!ufsta) {
        host_log("load: %s exports no ufsta", base);
        return 1;
    }
    if (start_watcher(plugin, base, screenshot) != 0) {
        host_log("host: the window watcher did not start");
        return 1;
    }
    int faults = 0;
    char param[1] = "";
    int retcod = 0;
    host_log("ufsta: called");
    set_deadline("ufsta", timeout);
    ufsta(param, &retcod, 0);
    set_deadline(nullptr, 0);

    int count = rb.action_count();
    if (count < 0) {
        char why[256] = "";
        rb.table_error(why);
        host_log("registered: none%s%s", why[0] ? ": " : "", why);
        if (why[0]) faults++;
    }
    for (int i = 0; i < count; i++) {
        const char *name = nullptr;
        UF_MB_callback_t cb = nullptr;
        void *data = nullptr;
        rb.action(i, &name, &cb, &data);
        host_log("registered: %s", name);
    }
    if (fail_in_actions) rb.set_init_fail(1);
    for (int i = 0; i < count; i++) {
        const char *name = nullptr;
        UF_MB_callback_t cb = nullptr;
        void *data = nullptr;
        rb.action(i, &name, &cb, &data);
        UF_MB_activated_button_t button;
        memset(&button, 0, sizeof button);
        char what[160];
        snprintf(what, sizeof what, "action %s", name);
        host_log("action: %s", name);
        set_deadline(what, timeout);
        UF_MB_cb_status_t status = cb(nullptr, data, &button);
        set_deadline(nullptr, 0);
        host_log("action: %s -> %d", name, (int)status);
    }
    faults += stop_watcher();

    int initialized = 0, terminated = 0, unmatched = 0;
    rb.balance(&initialized, &terminated, &unmatched);
    bool balanced = initialized == terminated && unmatched == 0;
    host_log("balance: UF_initialize %d, UF_terminate %d: %s", initialized, terminated,
             balanced ? "balanced" : "NOT balanced");
    if (!balanced) faults++;
    return faults ? 1 : 0;
}
