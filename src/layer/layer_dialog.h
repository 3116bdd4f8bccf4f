/* The electrode layer dialog (setElectLayer.dlg). */
#ifndef KELVORA_LAYER_DIALOG_H
#define KELVORA_LAYER_DIALOG_H

#include "nx.h"

#define LAYER_DIALOG_FILE "setElectLayer.dlg"
#define LAYER_DIALOG_ROWS 7

/* The dialog's callback table, LAYER_DIALOG_ROWS rows with the terminator. */
UF_STYLER_callback_info_t *layer_dialog_table(void);
/* Opens the dialog; returns launch_dialog's result. */
int launch_layer_dialog(int *response);

int layer_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int layer_destructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int layer_ok_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int layer_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int layer_select_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);

#endif
