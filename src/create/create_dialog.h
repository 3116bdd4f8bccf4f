/* The create-electrode dialog (createElectDlg.dlg). */
#ifndef KELVORA_CREATE_DIALOG_H
#define KELVORA_CREATE_DIALOG_H

#include "nx.h"

#define CREATE_DIALOG_FILE "createElectDlg.dlg"
#define CREATE_DIALOG_ROWS 11

/* The dialog's callback table, CREATE_DIALOG_ROWS rows with the terminator. */
UF_STYLER_callback_info_t *create_dialog_table(void);
/* Opens the dialog; returns launch_dialog's result. */
int launch_create_dialog(int *response);

int create_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int create_ok_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int create_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int create_clear_selection_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int create_invert_selection_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int create_choose_folder_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);

#endif
