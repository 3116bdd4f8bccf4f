// The electrode layer dialog: its callback table and launch.
#include "layer/layer_dialog.h"

#include "shell/shell.h"

namespace {

UF_STYLER_callback_info_t g_table[LAYER_DIALOG_ROWS] = {
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, layer_constructor_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_DESTRUCTOR_CB, 0, layer_destructor_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_OK_CB, 0, layer_ok_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_APPLY_CB, 0, layer_apply_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CANCEL_CB, 0, dialog_cancel_cb},
    {(char *)"ACTION_2", UF_STYLER_ACTIVATE_CB, 1, layer_select_cb},
    {(char *)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
};

}  // namespace

UF_STYLER_callback_info_t *layer_dialog_table(void) { return g_table; }

int launch_layer_dialog(int *response) {
    return launch_dialog(LAYER_DIALOG_FILE, g_table, LAYER_DIALOG_ROWS, response);
}

/* Constructor: 0. */
int layer_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Destructor: 0. */
int layer_destructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* OK: 1 (the dialog closes), or 0 when the API could not be initialised. */
int layer_ok_cb(int, void *, UF_STYLER_item_value_type_p_t) {
    if (UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    UF_terminate();
    return UF_UI_CB_EXIT_DIALOG;
}

/* Apply: 0 (the dialog stays open). */
int layer_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Selection button: 0. */
int layer_select_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}
