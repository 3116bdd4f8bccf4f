// The create-electrode dialog: its callback table and launch. The handlers bracket their work
// with UF_initialize/UF_terminate and return what the dialog expects of them.
#include "create/create_dialog.h"

#include "shell/shell.h"

namespace {

UF_STYLER_callback_info_t g_table[CREATE_DIALOG_ROWS] = {
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, create_constructor_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_DESTRUCTOR_CB, 0, noop_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_OK_CB, 1, create_ok_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_APPLY_CB, 1, create_apply_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CANCEL_CB, 0, dialog_cancel_cb},
    {(char *)"MULTI_LIST_2", UF_STYLER_ACTIVATE_CB, 1, noop_cb},
    {(char *)"MULTI_LIST_2", UF_STYLER_DOUBLE_CLICK_CB, 1, noop_cb},
    {(char *)"ACTION_4", UF_STYLER_ACTIVATE_CB, 1, create_clear_selection_cb},
    {(char *)"ACTION_5", UF_STYLER_ACTIVATE_CB, 1, create_invert_selection_cb},
    {(char *)"ACTION_1", UF_STYLER_ACTIVATE_CB, 1, create_choose_folder_cb},
    {(char *)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
};

}  // namespace

UF_STYLER_callback_info_t *create_dialog_table(void) { return g_table; }

int launch_create_dialog(int *response) {
    return launch_dialog(CREATE_DIALOG_FILE, g_table, CREATE_DIALOG_ROWS, response);
}

/* Constructor: 0 (the dialog stays open). */
int create_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* OK: 1 (the dialog closes), or 0 when the API could not be initialised. */
int create_ok_cb(int, void *, UF_STYLER_item_value_type_p_t) {
    if (UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    UF_terminate();
    return UF_UI_CB_EXIT_DIALOG;
}

/* Apply: 0 (the dialog stays open). */
int create_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Clear selection: 0. */
int create_clear_selection_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Invert selection: 0. */
int create_invert_selection_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}

/* Folder button: 0. */
int create_choose_folder_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    return noop_cb(dialog_id, client_data, cb);
}
