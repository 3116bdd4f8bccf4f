// A test plug-in (MinGW) whose action table lacks the all-null end row: the rows are followed by
// other non-null data, which NX would read as further rows. The bridge must refuse the table,
// naming the row, instead of registering the data or faulting on it.
#include <cstring>

#include "nx.h"

namespace {

UF_MB_cb_status_t first(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) { return UF_MB_CB_CONTINUE; }
UF_MB_cb_status_t second(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) { return UF_MB_CB_CONTINUE; }

// One object, so that the bytes after the last row are these and not whatever the linker puts there.
struct TableWithoutEnd {
    UF_MB_action_t rows[2];
    char after[sizeof(UF_MB_action_t)];
};

TableWithoutEnd g_table = {
    {{(char *)"KV_TEST_FIRST", {first, nullptr}}, {(char *)"KV_TEST_SECOND", {second, nullptr}}},
    {},
};

}  // namespace

extern "C" DllExport void ufsta(char *param, int *retcod, int rlen) {
    (void)param;
    (void)retcod;
    (void)rlen;
    if (UF_initialize() != 0) return;
    memset(g_table.after, 'Z', sizeof g_table.after);  // a row's size in either architecture
    UF_MB_add_actions(g_table.rows);
    UF_terminate();
}
