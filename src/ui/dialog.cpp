// Dialog launch and the shared callbacks. Each balances its own UF_initialize.
#include "ui/dialog.h"

#include <stdio.h>

int launch_dialog(const char *dlg_file, UF_STYLER_callback_info_t *table, int rows, void *state, int *response) {
    if (UF_initialize() != 0) return 0;
    // The 32-bit releases take the file name as a writable text.
    char file[KV_FSPEC_BUFSIZE];
    snprintf(file, sizeof file, "%s", dlg_file ? dlg_file : "");
    int rc = UF_STYLER_create_dialog(file, table, rows, state, response);
    if (rc != 0) {
        char message[KV_LINE_BUFSIZE] = "";  // 133 bytes in the old releases, more from NX9
        if (UF_get_fail_message(rc, message) != 0) snprintf(message, sizeof message, "NX error %d", rc);
        UF_UI_set_status(message);
        printf("%s\n", message);
    }
    UF_terminate();
    return rc;
}

int dialog_cancel_cb(int, void *, UF_STYLER_item_value_type_p_t) {
    if (UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    UF_terminate();
    return UF_UI_CB_EXIT_DIALOG;
}

int noop_cb(int, void *, UF_STYLER_item_value_type_p_t) {
    if (UF_initialize() == 0) UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}
