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
#define KV_FOLDER_FAILED_TEXT "所选位置不是磁盘上的文件夹，请重新选择！"
/* The dialog's list could not be filled whole: an electrode may be missing from it. */
#define KV_LIST_INCOMPLETE_TEXT "电极列表未能完整列出，请关闭后重新打开对话框！"
/* Invert when NX would not change an item's selection: the list's selection is not what was asked. */
#define KV_NOT_INVERTED_TEXT "电极列表的选择未能全部反选，请检查后再创建！"
/* Shown when the list's selection could not be cleared (GBK). */
#define KV_NOT_CLEARED_TEXT "电极列表的选择未能清除，请检查后再创建！"
/* OK or Apply when the list's selection cannot be read: no file is made. */
#define KV_LIST_UNREAD_TEXT "无法读取电极列表的选择，未创建电极文件！"

/* What the dialog holds between its callbacks. */
typedef struct create_dialog_state_s {
    /* Where the part files go: emptied by the constructor and by the folder button; the work
     * part's folder when OK or Apply finds it empty. */
    char folder[1024];
} create_dialog_state;

/* Opens the dialog with a fresh state; returns launch_dialog's result. */
int launch_create_dialog(int *response);

/* The callbacks, whose client_data is the dialog's create_dialog_state. Each keeps the dialog
 * open (0) unless said otherwise, and does nothing when the API cannot be initialised or
 * without a state. */

/* Empties the target folder and lists the work part's electrodes. */
int create_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* Makes the part file of each selected electrode and closes the dialog (1). */
int create_ok_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* As OK, the dialog staying open with its list and selection. */
int create_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* ACTION_4: no item stays selected. */
int create_clear_selection_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* ACTION_5: every item's selection flips. */
int create_invert_selection_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* ACTION_1: the folder the user picks becomes the target; a cancelled browser leaves none (OK
 * and Apply then take the work part's folder). */
int create_choose_folder_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);

#endif
