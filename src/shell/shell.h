/* The plug-in shell: the entry point, the menu actions and the work-part guard. Each action
 * opens one job's dialog. */
#ifndef KELVORA_SHELL_H
#define KELVORA_SHELL_H

#include "nx.h"

/* The menu actions ufsta registers (KELVORA_LAYER, _DRAFT, _CREATE, _ABOUT): the first three
 * open the layer, drawing and create dialogs once check_work_part allows, the last shows the
 * About dialog. NX's arguments are ignored; each returns UF_MB_CB_CONTINUE. */
UF_MB_cb_status_t layer_action(UF_MB_widget_t w, UF_MB_data_t data, UF_MB_activated_button_p_t b);
UF_MB_cb_status_t draft_action(UF_MB_widget_t w, UF_MB_data_t data, UF_MB_activated_button_p_t b);
UF_MB_cb_status_t create_action(UF_MB_widget_t w, UF_MB_data_t data, UF_MB_activated_button_p_t b);
UF_MB_cb_status_t about_action(UF_MB_widget_t w, UF_MB_data_t data, UF_MB_activated_button_p_t b);

/* 1 when a work part exists (or the API could not be initialised), 0 after telling the
 * user that there is none. */
int check_work_part(void);

/* Texts of the shell, GBK. */
#define KV_NO_WORK_PART_TEXT "无当前工作文件！"

#endif
