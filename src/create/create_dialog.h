/* The create-electrode dialog (createElectDlg.dlg): the work part's electrodes in MULTI_LIST_2,
 * a target folder (ACTION_1), clear (ACTION_4) and invert (ACTION_5) the selection; OK and
 * Apply make one part file for each selected electrode. */
#ifndef KELVORA_CREATE_DIALOG_H
#define KELVORA_CREATE_DIALOG_H

#include "nx.h"

#define CREATE_DIALOG_FILE "createElectDlg.dlg"
#define CREATE_DIALOG_ROWS 11

/* Title of the folder browser, GBK. */
#define KV_FOLDER_TITLE "请选择文件夹目录"

/* Opens the dialog; returns launch_dialog's result. */
int launch_create_dialog(int *response);

/* The target folder the dialog holds (1024 bytes; empty until chosen or defaulted). */
const char *create_target_folder(void);

/* Callbacks: OK returns 1 (the dialog closes); the others 0. Without the API all return 0. */
int create_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int create_ok_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int create_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int create_clear_selection_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int create_invert_selection_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
int create_choose_folder_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);

#endif
