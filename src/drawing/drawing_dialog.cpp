// The electrode drawing dialog: its callback table and launch.
#include "drawing/drawing_dialog.h"

#include "shell/shell.h"

namespace {

UF_STYLER_callback_info_t g_table[DRAWING_DIALOG_ROWS] = {
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, drawing_constructor_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_DESTRUCTOR_CB, 0, drawing_destructor_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_OK_CB, 0, drawing_ok_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_APPLY_CB, 0, drawing_apply_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CANCEL_CB, 0, dialog_cancel_cb},
    {(char *)"ELEC_MLIST", UF_STYLER_ACTIVATE_CB, 0, electrode_list_cb},
    {(char *)"ELEC_MLIST", UF_STYLER_DOUBLE_CLICK_CB, 0, noop_cb},
    {(char *)"OK_ACTION", UF_STYLER_ACTIVATE_CB, 0, apply_process_data_cb},
    {(char *)"COPY_ACTION", UF_STYLER_ACTIVATE_CB, 0, copy_process_data_cb},
    {(char *)"PASTE_ACTION", UF_STYLER_ACTIVATE_CB, 0, paste_process_data_cb},
    {(char *)"INFO_ACTION", UF_STYLER_ACTIVATE_CB, 1, process_listing_cb},
    {(char *)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
};

}  // namespace

UF_STYLER_callback_info_t *drawing_dialog_table(void) { return g_table; }

int launch_drawing_dialog(int *response) {
    return launch_dialog(DRAWING_DIALOG_FILE, g_table, DRAWING_DIALOG_ROWS, response);
}

/* Constructor: 0. */
int drawing_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Destructor: 0. */
int drawing_destructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* OK: 1 after the batch (the dialog closes), or 0 when the API could not be initialised. */
int drawing_ok_cb(int, void *, UF_STYLER_item_value_type_p_t) {
    if (UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    UF_terminate();
    return UF_UI_CB_EXIT_DIALOG;
}

/* Apply: 0. */
int drawing_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Electrode list activated: 0. */
int electrode_list_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Apply the shown process data to the selected electrodes: 0. */
int apply_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Copy: 0. */
int copy_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Paste: 0. */
int paste_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Process information listing: 0. */
int process_listing_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}
