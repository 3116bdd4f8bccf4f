/* Opening a UIStyler dialog, and the callbacks every dialog's table shares. */
#ifndef KELVORA_DIALOG_H
#define KELVORA_DIALOG_H

#include "nx.h"

/* Opens the dialog described by dlg_file with the callback table (rows rows, the terminator
 * included) and returns when it has closed: 0, or NX's error code, whose text is then shown on
 * the status line and printed to standard output. 0, with nothing opened, when the API cannot
 * be initialised. NX hands state to every callback as its client_data: the dialog's state lives
 * there, from the constructor to the destructor, and nowhere else. */
int launch_dialog(const char *dlg_file, UF_STYLER_callback_info_t *table, int rows, void *state, int *response);

/* The Cancel row of every dialog: closes the dialog (1), or keeps it open (0) when the API
 * cannot be initialised. */
int dialog_cancel_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t call_data);

/* Rows that need no work: the dialog stays open (0). */
int noop_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t call_data);

#endif
