// Stand-in libugopenint.dll: keeps and checks the menu action table, and answers dialog
// launches as a user who cancels at once. Every other export is a logging stub generated from
// libugopenint.def (gen_standins.py).
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "nx.h"
#include "standin_log.h"

namespace {

// NX walks the table to its end row; a table without one is read past its end. The walk stops
// here so that such a table is reported instead.
const int kMaxRows = 64;
const int kMaxName = 128;

const DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                        PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
const DWORD kExecutable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                          PAGE_EXECUTE_WRITECOPY;

const UF_MB_action_t *g_table = nullptr;
int g_rows = -1;  // -1: no table registered
char g_error[256] = "";

// Protection of the committed page holding p, or 0 when p cannot be read.
DWORD page_protection(const void *p) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(p, &info, sizeof info) != sizeof info) return 0;
    if (info.State != MEM_COMMIT || (info.Protect & (PAGE_NOACCESS | PAGE_GUARD))) return 0;
    return info.Protect;
}

bool readable(const void *p, size_t n) {
    const char *at = static_cast<const char *>(p);
    const char *end = at + n;
    for (; at < end; at = reinterpret_cast<const char *>((reinterpret_cast<uintptr_t>(at) | 0xfff) + 1)) {
        if (!(page_protection(at) & kReadable)) return false;
    }
    return true;
}

// 0: a text of 1 to max-1 printable ASCII characters (spaces only where allowed); -1 unreadable;
// -2 not such a text.
int check_text(const char *text, int max, bool spaces) {
    for (int i = 0; i < max; i++) {
        if (!readable(text + i, 1)) return -1;
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\0') return i > 0 ? 0 : -2;
        if (c > 0x7e || c < 0x20 || (c == 0x20 && !spaces)) return -2;
    }
    return -2;
}

// Checks the table row by row; 0 and the number of actions, or -1 and the reason in g_error.
int validate(const UF_MB_action_t *table, int *rows) {
    *rows = 0;
    g_error[0] = '\0';
    for (int i = 0; i < kMaxRows; i++) {
        const UF_MB_action_t *row = table + i;
        if (!readable(row, sizeof *row)) {
            snprintf(g_error, sizeof g_error, "row %d cannot be read", i);
            return -1;
        }
        if (!row->action_name && !row->action_cb.cb && !row->action_cb.cb_data) {
            *rows = i;
            return 0;
        }
        int name = row->action_name ? check_text(row->action_name, kMaxName, false) : -3;
        bool code = row->action_cb.cb &&
                    (page_protection(reinterpret_cast<const void *>(row->action_cb.cb)) & kExecutable);
        if (name == 0 && code) continue;
        const char *what = name == -1 ? "name unreadable" : name == -2 ? "name not a text" :
                           name == -3 ? "no name" : "name ok";
        snprintf(g_error, sizeof g_error, "row %d is neither an action nor the end row (%s, %s)", i,
                 what, code ? "callback ok" : row->action_cb.cb ? "callback not code" : "no callback");
        return -1;
    }
    snprintf(g_error, sizeof g_error, "no end row within %d rows", kMaxRows);
    return -1;
}

}  // namespace

extern "C" KV_EXPORT int UF_MB_add_actions(UF_MB_action_t action_table[]) {
    g_table = nullptr;
    g_rows = -1;
    if (!action_table) {
        snprintf(g_error, sizeof g_error, "no table");
        kv_log("call: UF_MB_add_actions rejected: %s -> 1", g_error);
        return 1;
    }
    int rows = 0;
    if (validate(action_table, &rows) != 0) {
        kv_log("call: UF_MB_add_actions rejected: %s -> 1", g_error);
        return 1;
    }
    g_table = action_table;
    g_rows = rows;
    kv_log("call: UF_MB_add_actions %d actions -> 0", rows);
    return 0;
}

extern "C" KV_EXPORT int UF_STYLER_create_dialog(char *dialog_file, UF_STYLER_callback_info_t *cbs,
                                                 int number_of_cbs, void *client_data, int *response) {
    (void)client_data;
    if (response) *response = 0;
    char file[MAX_PATH] = "(unreadable)";
    if (!dialog_file) {
        snprintf(file, sizeof file, "(none)");
    } else if (check_text(dialog_file, MAX_PATH, true) == 0) {
        snprintf(file, sizeof file, "%s", dialog_file);
    }
    bool rows_ok = number_of_cbs > 0 && cbs && readable(cbs, sizeof *cbs * (size_t)number_of_cbs);
    kv_log("call: UF_STYLER_create_dialog %s rows=%d%s -> 0 (cancelled)", file, number_of_cbs,
           rows_ok ? "" : " (callback rows unreadable)");
    if (response) *response = UF_UI_CANCEL;
    return 0;
}

/* For the smoke host: the number of actions of the registered table, -1 when none was kept. */
extern "C" KV_EXPORT int kv_smoke_action_count(void) { return g_rows; }

/* For the smoke host: row i of the registered table. 0, or -1 (no such row). */
extern "C" KV_EXPORT int kv_smoke_action(int i, const char **name, UF_MB_callback_t *cb, void **data) {
    if (!name || !cb || !data) return -1;
    *name = nullptr;
    *cb = nullptr;
    *data = nullptr;
    if (!g_table || i < 0 || i >= g_rows) return -1;
    *name = g_table[i].action_name;
    *cb = g_table[i].action_cb.cb;
    *data = g_table[i].action_cb.cb_data;
    return 0;
}

/* For the smoke host: why the last table was rejected (empty when it was not). 0. */
extern "C" KV_EXPORT int kv_smoke_table_error(char out[256]) {
    if (!out) return -1;
    snprintf(out, 256, "%s", g_error);
    return 0;
}
