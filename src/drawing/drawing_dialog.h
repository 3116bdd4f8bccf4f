/* The electrode drawing dialog (edmDrfDlg.dlg). */
#ifndef KELVORA_DRAWING_DIALOG_H
#define KELVORA_DRAWING_DIALOG_H

#include "nx.h"

#define DRAWING_DIALOG_FILE "edmDrfDlg.dlg"
#define DRAWING_DIALOG_ROWS 13

/* Shown when the process data buttons find no electrode selected, GBK. */
#define KV_NO_ELECTRODE_SELECTED_TEXT "没有选择电极"

/* Opens the dialog with a fresh drawing_dialog_state; returns launch_dialog's result. */
int launch_drawing_dialog(int *response);

/* The callbacks, whose client_data is the dialog's drawing_dialog_state. Every callback returns 0
 * (the dialog stays open) unless said otherwise, and does nothing without a state or when the
 * API cannot be initialised. */

/* Builds the electrode records, shows the first electrode and greys OK and Apply. */
int drawing_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* Releases the electrode records. */
int drawing_destructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* Runs the drawing batch: 1 (the dialog closes) when it ran, 0 when it was refused. */
int drawing_ok_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* Runs the drawing batch; the dialog stays open. */
int drawing_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* The list selection changed: shows the selected electrodes' layers and the first one's data. */
int electrode_list_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* Applies the shown process data to the selected electrodes and makes OK and Apply sensitive. */
int apply_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* Copies the shown process data to the clipboard. */
int copy_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* Pastes the clipboard into the selected electrodes and shows it. */
int paste_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);

#endif
