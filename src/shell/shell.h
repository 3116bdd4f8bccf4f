/* The plug-in shell: menu actions, the work-part guard, the common dialog launch and the
 * callbacks every dialog shares. */
#ifndef KELVORA_SHELL_H
#define KELVORA_SHELL_H

#include "nx.h"

/* Menu action callbacks (NX's arguments are ignored). Each returns UF_MB_CB_CONTINUE. */
UF_MB_cb_status_t layer_action(UF_MB_widget_t w, UF_MB_data_t data, UF_MB_activated_button_p_t b);
UF_MB_cb_status_t draft_action(UF_MB_widget_t w, UF_MB_data_t data, UF_MB_activated_button_p_t b);
UF_MB_cb_status_t create_action(UF_MB_widget_t w, UF_MB_data_t data, UF_MB_activated_button_p_t b);
UF_MB_cb_status_t about_action(UF_MB_widget_t w, UF_MB_data_t data, UF_MB_activated_button_p_t b);

/* The action table registered by ufsta: four named rows, then the all-null row. */
const UF_MB_action_t *action_table(void);

/* 1 when a work part exists (or the API could not be initialised), 0 after telling the
 * user that there is none. */
int check_work_part(void);

/* Opens a UIStyler dialog and returns when it has closed: 0, or NX's error code (whose text
 * is then on the status line and standard output). */
int launch_dialog(const char *dlg_file, UF_STYLER_callback_info_t *table, int rows, int *response);

/* Cancel row of every dialog: 1 (close), or 0 when the API could not be initialised. */
int dialog_cancel_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t call_data);
/* Rows that need no work: always 0 (the dialog stays open). */
int noop_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t call_data);

/* Texts of the shell, GBK. */
#define KV_NO_WORK_PART_TEXT "无当前工作文件！"

#endif
