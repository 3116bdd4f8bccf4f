/* The electrode drawing dialog (edmDrfDlg.dlg). */
#ifndef KELVORA_DRAWING_DIALOG_H
#define KELVORA_DRAWING_DIALOG_H

#include "nx.h"

#define DRAWING_DIALOG_FILE "edmDrfDlg.dlg"
#define DRAWING_DIALOG_ROWS 12

/* The dialog's callback table, DRAWING_DIALOG_ROWS rows with the terminator. */
UF_STYLER_callback_info_t *drawing_dialog_table(void);
/* Opens the dialog; returns launch_dialog's result. */
int launch_drawing_dialog(int *response);

int drawing_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int drawing_destructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int drawing_ok_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int drawing_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int electrode_list_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int apply_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int copy_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int paste_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int process_listing_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);

#endif
