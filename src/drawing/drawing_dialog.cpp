// The electrode drawing dialog: its callback table, launch and callbacks.
#include "drawing/drawing_dialog.h"

#include <string.h>

#include "drawing/drawing_batch.h"
#include "drawing/electrode_record.h"
#include "drawing/job_sheet.h"
#include "drawing/process_listing.h"
#include "platform/win_services.h"
#include "ui/dialog.h"
#include "ui/fields.h"

namespace {

// NX takes the table as writable: each opening hands it a copy.
const UF_STYLER_callback_info_t kTable[DRAWING_DIALOG_ROWS] = {
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, drawing_constructor_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_DESTRUCTOR_CB, 0, drawing_destructor_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_OK_CB, 0, drawing_ok_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_APPLY_CB, 0, drawing_apply_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CANCEL_CB, 0, dialog_cancel_cb},
    {(char *)KV_ELECTRODE_LIST_OBJECT, UF_STYLER_ACTIVATE_CB, 0, electrode_list_cb},
    {(char *)KV_ELECTRODE_LIST_OBJECT, UF_STYLER_DOUBLE_CLICK_CB, 0, noop_cb},
    {(char *)"OK_ACTION", UF_STYLER_ACTIVATE_CB, 0, apply_process_data_cb},
    {(char *)"COPY_ACTION", UF_STYLER_ACTIVATE_CB, 0, copy_process_data_cb},
    {(char *)"PASTE_ACTION", UF_STYLER_ACTIVATE_CB, 0, paste_process_data_cb},
    {(char *)"INFO_ACTION", UF_STYLER_ACTIVATE_CB, 1, write_process_listing},
    {(char *)"JOB_SHEET_ACTION", UF_STYLER_ACTIVATE_CB, 1, job_sheet_cb},
    {(char *)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
};

// Pastes data into every record selected in the list; the dialog then shows data when show is
// 1 and a record took it. The number of records that took it.
int paste_into_selected(int dialog_id, electrode_record *head, const electrode_data *data, int show) {
    int pasted = 0;
    list_selection selection;
    read_list_selection(dialog_id, KV_ELECTRODE_LIST_OBJECT, &selection);
    for (electrode_record *r = head; r; r = r->next) {
        if (!selection_has_text(&selection, r->data.electrode_name)) continue;
        paste_process_data(r, data);
        if (++pasted == 1 && show) show_process_fields(dialog_id, data);
    }
    release_list_selection(&selection);
    return pasted;
}

bool drawing_is_current() {
    tag_t current = NULL_TAG;
    UF_DRAW_ask_current_drawing(&current);
    return current != NULL_TAG;
}

}  // namespace

int launch_drawing_dialog(int *response) {
    drawing_dialog_state state = {NULL};
    UF_STYLER_callback_info_t table[DRAWING_DIALOG_ROWS];
    memcpy(table, kTable, sizeof table);
    int rc = launch_dialog(DRAWING_DIALOG_FILE, table, DRAWING_DIALOG_ROWS, &state, response);
    // The destructor releases the records; a dialog NX never destroyed leaves them here.
    free_electrode_list(state.list);
    return rc;
}

int drawing_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    drawing_dialog_state *state = (drawing_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    // A list left by a constructor called twice would be lost here.
    free_electrode_list(state->list);
    state->list = build_electrode_list();
    if (state->list) {
        fill_electrode_list_box(dialog_id, KV_ELECTRODE_LIST_OBJECT, state->list);
        fill_option_lists(dialog_id);
        show_process_fields(dialog_id, &state->list->data);
    }
    set_ok_sensitive(dialog_id, 0);
    set_apply_sensitive(dialog_id, 0);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int drawing_destructor_cb(int, void *client_data, UF_STYLER_item_value_type_p_t) {
    drawing_dialog_state *state = (drawing_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    free_electrode_list(state->list);
    state->list = NULL;
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int drawing_ok_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    drawing_dialog_state *state = (drawing_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    int ran = run_drawing_batch(dialog_id, state->list);
    UF_terminate();
    return ran ? UF_UI_CB_EXIT_DIALOG : UF_UI_CB_CONTINUE_DIALOG;
}

int drawing_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    drawing_dialog_state *state = (drawing_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    run_drawing_batch(dialog_id, state->list);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int electrode_list_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    drawing_dialog_state *state = (drawing_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    // The layers belong to the model: on a drawing sheet the selection changes nothing.
    // A selection that cannot be read changes nothing shown: the next click reads it again.
    if (!drawing_is_current() && refresh_selected_flags(state->list, dialog_id, KV_ELECTRODE_LIST_OBJECT) == 0) {
        show_selected_electrode_layers(state->list);
        char work_view[] = "";  // NX4 to NX7.5 take the view name as char *
        uc6432(work_view, 1);
        UF_DISP_refresh();
        for (electrode_record *r = state->list; r; r = r->next) {
            if (r->selected == 1) {
                show_process_fields(dialog_id, &r->data);
                break;
            }
        }
    }
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int apply_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    drawing_dialog_state *state = (drawing_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    electrode_data shown;
    read_process_fields(dialog_id, &shown);
    if (paste_into_selected(dialog_id, state->list, &shown, 0) == 0) {
        ws_message_box(KV_NO_ELECTRODE_SELECTED_TEXT);
    } else {
        set_ok_sensitive(dialog_id, 1);
        set_apply_sensitive(dialog_id, 1);
    }
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int copy_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    drawing_dialog_state *state = (drawing_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    read_process_fields(dialog_id, &process_clipboard);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int paste_process_data_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    drawing_dialog_state *state = (drawing_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    if (paste_into_selected(dialog_id, state->list, &process_clipboard, 1) == 0)
        ws_message_box(KV_NO_ELECTRODE_SELECTED_TEXT);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}
