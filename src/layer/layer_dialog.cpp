// The electrode layer dialog: its callback table and launch, and the work of OK and Apply.
#include "layer/layer_dialog.h"

#include <stdio.h>
#include <string.h>

#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/setting_values.h"
#include "electrode/electrode.h"
#include "layer/layer_rules.h"
#include "ui/dialog.h"
#include "ui/fields.h"

namespace {

const char kNameField[] = "STR_0";
const char kLayerField[] = "INT_1";

// NX takes the table as writable: each opening hands it a copy.
const UF_STYLER_callback_info_t kTable[LAYER_DIALOG_ROWS] = {
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, layer_constructor_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_DESTRUCTOR_CB, 0, layer_destructor_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_OK_CB, 0, layer_ok_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_APPLY_CB, 0, layer_apply_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CANCEL_CB, 0, dialog_cancel_cb},
    {(char *)"ACTION_2", UF_STYLER_ACTIVATE_CB, 1, layer_select_cb},
    {(char *)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
};

// Frees the held array (an empty one too) and forgets the count.
void release_layer_selection(layer_dialog_state *state) {
    if (state->objects) UF_free(state->objects);
    state->objects = nullptr;
    state->count = 0;
}

void show(const char *text) {
    char message[KV_MESSAGE_BUFSIZE];
    snprintf(message, sizeof message, "%s", text);
    kv_drop_split_char(message);
    uc1601(message, 1);
}

// Writes the next electrode's name and layer into the dialog.
void propose(int dialog_id, layer_proposal *proposal) {
    int n = 1, layer = 1;
    propose_electrode(proposal, &n, &layer);
    char name[KV_CATEGORY_NAME_BUFSIZE + 1];
    make_electrode_name(n, name, sizeof name);
    set_string_value(dialog_id, kNameField, name);
    set_value(dialog_id, kLayerField, layer);
}

// Moves one picked object (a move NX refuses is asked for once more); an ECS is coloured and
// named after the electrode when asked for. 0; -1 when the object stayed where it was; -2 when
// an ECS could not be named (asked twice, as a move): the drawing and the job sheet find the
// electrode's system by that name only, so without it the electrode would lose its orientation.
int move_object(tag_t object, int layer, const char *name, int color_set, const double rgb[3]) {
    if (UF_OBJ_set_layer(object, layer) != 0 && UF_OBJ_set_layer(object, layer) != 0) return -1;
    if (!color_set) return 0;
    int type = 0, subtype = 0;
    if (UF_OBJ_ask_type_and_subtype(object, &type, &subtype) != 0 &&
        UF_OBJ_ask_type_and_subtype(object, &type, &subtype) != 0)
        return -2;
    if (type != UF_coordinate_system_type) return 0;
    set_color_from_rgb(object, rgb[0], rgb[1], rgb[2]);
    char ecs_name[KV_CATEGORY_NAME_BUFSIZE + 8];
    snprintf(ecs_name, sizeof ecs_name, KV_ECS_NAME_FORMAT, name);
    if (UF_OBJ_set_name(object, ecs_name) != 0 && UF_OBJ_set_name(object, ecs_name) != 0) return -2;
    return 0;
}

// Moves every held object. An object left behind stays on the user's layers, which every other
// electrode's views show: then what was moved goes back (by an undo mark) and the electrode is
// not made. 0 all moved; -4 (told) when one was not. When nothing could be taken back the
// electrode is made with what was moved, so that its layer is not taken for another's.
int move_selection(layer_dialog_state *state, int layer, const char *name, int color_set, const double rgb[3]) {
    const int count = state->count;
    UF_UNDO_mark_id_t mark = 0;
    int have_mark = UF_UNDO_set_mark(UF_UNDO_invisible, NULL, &mark) == 0;
    int moved = 0, failure = 0;
    while (moved < count && (failure = move_object(state->objects[moved], layer, name, color_set, rgb)) == 0) ++moved;
    // An ECS that could not be named was moved all the same: it is taken back with the rest.
    int changed = moved > 0 || failure == -2;
    int undone = !changed;
    if (moved < count && changed && have_mark)
        undone = UF_UNDO_undo_to_mark(mark, NULL) == 0 || UF_UNDO_undo_to_mark(mark, NULL) == 0;
    if (have_mark && UF_UNDO_delete_mark(mark, NULL) != 0) UF_UNDO_delete_mark(mark, NULL);
    if (moved == count) return 0;
    char message[KV_MESSAGE_BUFSIZE];
    if (failure == -2 && undone)
        snprintf(message, sizeof message, KV_ECS_NOT_NAMED_TEXT, name);
    else
        snprintf(message, sizeof message, undone ? KV_NOT_MOVED_TEXT : KV_PARTLY_MOVED_TEXT, name, layer);
    uc1601(message, 1);
    if (!undone) {
        create_electrode_category(&state->proposal, name, layer);
        UF_LAYER_set_status(layer, UF_LAYER_ACTIVE_LAYER);
    }
    return -4;
}

// Two electrodes on one layer would go into each other's part files and drawings: a layer held
// by another electrode is refused, as is one that cannot be vouched for. 0, or -3 (told).
int refuse_taken_layer(layer_proposal *proposal, int layer, const char *name) {
    char other[KV_CATEGORY_NAME_BUFSIZE + 1];
    int rc = check_electrode_layer(proposal, layer, name, other, sizeof other);
    if (rc == 0) return 0;
    char message[KV_MESSAGE_BUFSIZE];
    if (rc == -1)
        snprintf(message, sizeof message, KV_LAYER_TAKEN_TEXT, layer, other);
    else
        snprintf(message, sizeof message, "%s", rc == -2 ? KV_NO_FREE_LAYER_TEXT : KV_LAYERS_UNREAD_TEXT);
    uc1601(message, 1);
    return -3;
}

}  // namespace

int launch_layer_dialog(int *response) {
    layer_dialog_state state;
    memset(&state, 0, sizeof state);
    UF_STYLER_callback_info_t table[LAYER_DIALOG_ROWS];
    memcpy(table, kTable, sizeof table);
    return launch_dialog(LAYER_DIALOG_FILE, table, LAYER_DIALOG_ROWS, &state, response);
}

int select_electrode_objects(layer_dialog_state *state) {
    if (!state) return -1;
    UF_UI_mask_t masks[] = {
        {UF_solid_type, UF_solid_body_subtype, 0},
        {UF_coordinate_system_type, 0, 0},
        {UF_point_type, 0, 0},
        {UF_line_type, 0, 0},
    };
    UF_UI_selection_options_t options;
    memset(&options, 0, sizeof options);
    options.num_mask_triples = (int)(sizeof masks / sizeof masks[0]);
    options.mask_triples = masks;
    options.scope = UF_UI_SEL_SCOPE_WORK_PART_AND_OCC;
    char cue[] = KV_SELECT_CUE;
    int response = 0, count = 0;
    tag_t *objects = nullptr;
    if (UF_UI_select_by_class(cue, &options, &response, &count, &objects) != 0) {
        if (objects) UF_free(objects);
        return -1;
    }
    if (!objects || count < 0) count = 0;
    for (int i = 0; i < count; ++i) UF_DISP_set_highlight(objects[i], 0);
    // Whatever NX hands back is the selection (a cancel empties it); the old array is freed.
    release_layer_selection(state);
    state->count = count;
    state->objects = objects;
    return 0;
}

int apply_layer_dialog(int dialog_id, layer_dialog_state *state) {
    // The range is taken as configured (within NX's layers): with ELECTRODE_END_LAYER missing
    // nothing passes.
    int start = 0, end = 0;
    electrode_layer_range(&start, &end);
    int color_set = setting_int(KV_KEY_ELECTRODE_COLOR_SET);
    double rgb[3] = {setting_real(KV_KEY_ELECTRODE_COLOR_R), setting_real(KV_KEY_ELECTRODE_COLOR_G),
                     setting_real(KV_KEY_ELECTRODE_COLOR_B)};

    int layer = 0;
    ask_int_value(dialog_id, kLayerField, &layer);
    // A layer NX does not have would move nothing and make no category: refused as well.
    if (layer < start || layer > end) {
        show(KV_LAYER_RANGE_TEXT);
        return -1;
    }
    char name[1024];
    ask_string_value(dialog_id, kNameField, name, sizeof name);
    if (!is_electrode_name(name)) {
        show(KV_BAD_NAME_TEXT);
        return -2;
    }
    if ((int)strlen(name) > KV_ELECTRODE_NAME_MAX) {
        // The category record cannot hold it; a cut name would be another electrode's.
        char message[KV_MESSAGE_BUFSIZE];
        snprintf(message, sizeof message, KV_NAME_TOO_LONG_TEXT, KV_ELECTRODE_NAME_MAX);
        uc1601(message, 1);
        return -2;
    }
    if (!state || state->count <= 0 || !state->objects) return 0;
    if (refuse_taken_layer(&state->proposal, layer, name) != 0) return -3;
    if (move_selection(state, layer, name, color_set, rgb) != 0) return -4;
    create_electrode_category(&state->proposal, name, layer);
    UF_LAYER_set_status(layer, UF_LAYER_ACTIVE_LAYER);
    return 0;
}

int layer_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    layer_dialog_state *state = (layer_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    release_layer_selection(state);
    propose(dialog_id, &state->proposal);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int layer_destructor_cb(int, void *client_data, UF_STYLER_item_value_type_p_t) {
    layer_dialog_state *state = (layer_dialog_state *)client_data;
    if (!state) return UF_UI_CB_CONTINUE_DIALOG;
    // UF_free needs no initialised API: the dialog's last chance to release is always taken.
    int ready = UF_initialize() == 0;
    release_layer_selection(state);
    if (ready) UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int layer_ok_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    layer_dialog_state *state = (layer_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    int rc = apply_layer_dialog(dialog_id, state);
    if (rc == 0) release_layer_selection(state);
    UF_terminate();
    return rc == 0 ? UF_UI_CB_EXIT_DIALOG : UF_UI_CB_CONTINUE_DIALOG;
}

int layer_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    layer_dialog_state *state = (layer_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    // The categories the apply read serve the next proposal; not beyond this callback.
    keep_proposal(&state->proposal, 1);
    if (apply_layer_dialog(dialog_id, state) == 0) {
        propose(dialog_id, &state->proposal);
        release_layer_selection(state);
    }
    keep_proposal(&state->proposal, 0);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int layer_select_cb(int, void *client_data, UF_STYLER_item_value_type_p_t) {
    layer_dialog_state *state = (layer_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    select_electrode_objects(state);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}
