// The drawing batch of OK and Apply: the current-drawing check, the per-electrode question
// before an existing drawing is replaced, and the layer display of selected electrodes.
#include "drawing/drawing_batch.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/setting_values.h"
#include "drawing/electrode_drawing.h"
#include "drawing/model_views.h"
#include "drawing/ordinate_dims.h"
#include "electrode/electrode.h"

namespace {

// The question's message buffer: 127 bytes and the terminator.
const size_t kQuestionSize = 128;

void set_layer_status(layer_statuses *known, int layer, int status) {
    if (layer >= UF_LAYER_MIN_LAYER && layer <= UF_LAYER_MAX_LAYER) change_layer_status(known, layer, status);
}

// The drawing of the work part named name (letter case ignored): 0 and its tag (null when none),
// or -1 when NX could not list the drawings.
int find_drawing(const char *name, tag_t *drawing) {
    *drawing = NULL_TAG;
    int count = 0;
    tag_t *drawings = NULL;
    if (UF_DRAW_ask_drawings(&count, &drawings) != 0) {
        if (drawings) UF_free(drawings);
        return -1;
    }
    for (int i = 0; i < count && drawings; ++i) {
        char found[KV_OBJ_NAME_BUFSIZE] = "";
        UF_OBJ_ask_name(drawings[i], found);
        found[sizeof found - 1] = '\0';
        if (kv_equal_nocase(found, name)) {
            *drawing = drawings[i];
            break;
        }
    }
    if (drawings) UF_free(drawings);
    return 0;
}

bool has_views(const electrode_record *r) {
    return r->data.top_view_tag != NULL_TAG && r->data.iso_view_tag != NULL_TAG;
}

// The work part's drawings as one drawing pass listed them, so that each electrode's question
// "does its drawing exist" costs no listing of every drawing. An entry whose drawing the pass
// made or deleted since is asked of NX again (tag null: unsure).
struct drawing_names {
    int read;  // 0 when NX could not list them: every question asks NX
    int count;
    tag_t *tags;
    char (*names)[KV_OBJ_NAME_BUFSIZE];
};

void release_drawing_names(drawing_names *d) {
    free(d->tags);
    free(d->names);
    memset(d, 0, sizeof *d);
}

void read_drawing_names(drawing_names *d, int room) {
    memset(d, 0, sizeof *d);
    int count = 0;
    tag_t *drawings = NULL;
    if (UF_DRAW_ask_drawings(&count, &drawings) != 0 || count < 0 || (count > 0 && !drawings)) {
        if (drawings) UF_free(drawings);
        return;
    }
    size_t n = (size_t)count + (size_t)room + 1;
    d->tags = (tag_t *)calloc(n, sizeof *d->tags);
    d->names = (char(*)[KV_OBJ_NAME_BUFSIZE])calloc(n, sizeof *d->names);
    if (d->tags && d->names) {
        for (int i = 0; i < count; ++i) {
            d->tags[i] = drawings[i];
            UF_OBJ_ask_name(drawings[i], d->names[i]);
            d->names[i][sizeof d->names[i] - 1] = '\0';
        }
        d->count = count;
        d->read = 1;
    } else {
        release_drawing_names(d);
    }
    if (drawings) UF_free(drawings);
}

// The first entry named name (letter case ignored), or -1.
int drawing_entry(const drawing_names *d, const char *name) {
    for (int i = 0; i < d->count; ++i)
        if (kv_equal_nocase(d->names[i], name)) return i;
    return -1;
}

// drawing_exists over the pass's listing. An unsure entry is asked of NX (and the answer kept).
void pass_drawing_exists(drawing_names *d, const char *name, int *exists) {
    int at = d->read ? drawing_entry(d, name) : -1;
    if (!d->read || (at >= 0 && d->tags[at] == NULL_TAG)) {
        tag_t drawing = NULL_TAG;
        int rc = find_drawing(name, &drawing);
        *exists = (rc != 0 || drawing != NULL_TAG) ? 1 : 0;
        if (d->read && rc == 0) {
            d->tags[at] = drawing;
            if (drawing == NULL_TAG) d->names[at][0] = '\0';  // gone: the entry names nothing
        }
        return;
    }
    *exists = at >= 0 ? 1 : 0;
}

// delete_drawing_named over the pass's listing; the entry becomes unsure.
void pass_delete_drawing(drawing_names *d, const char *name) {
    int at = d->read ? drawing_entry(d, name) : -1;
    if (at < 0 || d->tags[at] == NULL_TAG) {
        delete_drawing_named(name);
    } else {
        UF_DRAW_delete_drawing(d->tags[at]);
    }
    if (at >= 0) d->tags[at] = NULL_TAG;
}

// After the pass made (or tried to make) the electrode's drawing: its entry becomes unsure.
void pass_made_drawing(drawing_names *d, const char *name) {
    if (!d->read) return;
    int at = drawing_entry(d, name);
    if (at < 0) {
        at = d->count++;  // room was made for one per electrode
        kv_copy(d->names[at], sizeof d->names[at], name);
    }
    d->tags[at] = NULL_TAG;
}

}  // namespace

int drawing_exists(const char *name, int *exists) {
    tag_t drawing = NULL_TAG;
    int rc = find_drawing(name, &drawing);
    if (exists) *exists = (rc != 0 || drawing != NULL_TAG) ? 1 : 0;
    return rc;
}

int delete_drawing_named(const char *name) {
    tag_t drawing = NULL_TAG;
    if (find_drawing(name, &drawing) != 0 || drawing == NULL_TAG) return -1;
    return UF_DRAW_delete_drawing(drawing) == 0 ? 0 : -1;
}

int question_box(const char *title, const char *text, int *answer) {
    if (answer) *answer = 3;
    char *message = (char *)malloc(kQuestionSize);
    if (!message) return 0;  // unasked counts as not confirmed
    kv_copy(message, kQuestionSize, text);
    char title_copy[KV_LINE_BUFSIZE];
    kv_copy(title_copy, sizeof title_copy, title);
    char ok[] = "OK", back[] = "BACK", cancel[] = "CANCEL";
    UF_UI_message_buttons_t buttons;
    memset(&buttons, 0, sizeof buttons);
    buttons.button1 = TRUE;
    buttons.button2 = FALSE;
    buttons.button3 = TRUE;
    buttons.label1 = ok;
    buttons.label2 = back;
    buttons.label3 = cancel;
    buttons.response1 = 1;
    buttons.response2 = 2;
    buttons.response3 = 3;
    char *messages[1] = {message};
    int response = 0;
    UF_UI_message_dialog(title_copy, UF_UI_MESSAGE_QUESTION, messages, 1, FALSE, &buttons, &response);
    free(message);
    if (answer) *answer = response == 1 ? 1 : 3;
    return 0;
}

void drawing_pass(electrode_record *head) {
    drawing_reads reads;
    begin_drawing_reads(&reads);
    drawing_pass(head, &reads);
}

void drawing_pass(electrode_record *head, drawing_reads *reads) {
    int records = 0;
    for (electrode_record *r = head; r; r = r->next) ++records;
    drawing_names drawings;
    read_drawing_names(&drawings, records);
    // One callback, and the pass renames no arc: its markers are read once for all electrodes.
    begin_marker_batch();
    // Every electrode short of its drawing, told once when the pass is done.
    char report[KV_SHORTFALL_SIZE] = "";
    for (electrode_record *r = head; r; r = r->next) {
        const char *name = r->data.electrode_name;
        if (r->selected != 1 || !has_electrode_prefix(name, reads->prefix)) continue;
        int exists = 0;
        pass_drawing_exists(&drawings, name, &exists);
        if (exists) {
            char text[KV_RECORD_TEXT_SIZE + sizeof KV_DRAWING_EXISTS_TEXT];
            snprintf(text, sizeof text, "%s%s", name, KV_DRAWING_EXISTS_TEXT);
            int answer = 3;
            question_box(KV_QUESTION_TITLE, text, &answer);
            if (answer != 1) continue;
            // Without its views no new drawing can be made: keep the old one rather than
            // leave the electrode with none.
            if (has_views(r)) pass_delete_drawing(&drawings, name);
        }
        int made = make_electrode_drawing(name, r->data, reads);
        pass_made_drawing(&drawings, name);
        if (made == -1 || made == -3 || made == 1) {
            char item[KV_RECORD_TEXT_SIZE + 32];
            snprintf(item, sizeof item, "电极 %s %s", name, made == 1 ? KV_VIEWS_MISSING_TEXT : KV_NO_DRAWING_TEXT);
            kv_append_listed(report, sizeof report, item);
        }
    }
    end_marker_batch();
    release_drawing_names(&drawings);
    if (report[0]) {
        kv_drop_split_char(report);
        uc1601(report, 1);
    }
}

void show_selected_electrode_layers(electrode_record *head) { show_selected_electrode_layers(head, NULL); }

// Each layer gets only its last status of the three steps (work, hidden, shown): a layer hidden
// and then shown again is set once, shown.
void show_selected_electrode_layers(electrode_record *head, layer_statuses *known) {
    int target[UF_LAYER_MAX_LAYER + 1];
    memset(target, 0, sizeof target);
    int work = 0;
    for (electrode_record *r = head; r; r = r->next) {
        if (r->selected != 1) continue;
        if (first_layer_of_category(r->data.electrode_name, &work) != 0) work = 0;
        break;
    }
    int only = setting_int(KV_KEY_ELECTRODE_ONLY_DISPLAY_ELECT) == 1;
    int start = 0, end = 0, first = 0, last = 0;
    electrode_layer_range(&start, &end);
    electrode_hidden_layers(only, start, end, &first, &last);
    // Picking in the list never hides NX's first and last layers when it hides every layer.
    if (!only) {
        first = UF_LAYER_MIN_LAYER + 1;
        last = UF_LAYER_MAX_LAYER - 1;
    }
    for (int l = first; l <= last; ++l) target[l] = UF_LAYER_INACTIVE_LAYER;
    for (electrode_record *r = head; r; r = r->next) {
        if (r->selected != 1) continue;
        int layer = 0;
        if (first_layer_of_category(r->data.electrode_name, &layer) != 0) continue;
        if (layer >= UF_LAYER_MIN_LAYER && layer <= UF_LAYER_MAX_LAYER) target[layer] = UF_LAYER_ACTIVE_LAYER;
    }
    set_layer_status(known, work, UF_LAYER_WORK_LAYER);
    for (int l = UF_LAYER_MIN_LAYER; l <= UF_LAYER_MAX_LAYER; ++l)
        if (target[l] != 0) set_layer_status(known, l, target[l]);
}

void make_all_layers_selectable(void) { make_all_layers_selectable(NULL); }

void make_all_layers_selectable(layer_statuses *known) {
    for (int l = UF_LAYER_MIN_LAYER; l <= UF_LAYER_MAX_LAYER; ++l) change_layer_status(known, l, UF_LAYER_ACTIVE_LAYER);
}

int run_drawing_batch(int dialog_id, electrode_record *head) {
    tag_t current = NULL_TAG;
    UF_DRAW_ask_current_drawing(&current);
    if (current != NULL_TAG) {
        char text[] = KV_NOT_ON_DRAWING_TEXT;
        uc1601(text, 1);
        return 0;
    }
    // Without the selection in hand nothing is drawn and the dialog stays open for another try.
    if (refresh_selected_flags(head, dialog_id, KV_ELECTRODE_LIST_OBJECT) != 0) {
        char text[] = KV_SELECTION_UNREAD_TEXT;
        uc1601(text, 1);
        return 0;
    }
    // An electrode whose coordinate system NX cannot look up is left out, and the user told: its
    // views would come out in the absolute orientation.
    for (electrode_record *r = head; r; r = r->next) {
        if (r->selected != 1 || find_electrode_csys(r->data.electrode_name, &r->data.ecs_tag) == 0) continue;
        r->selected = 0;
        char text[KV_MESSAGE_BUFSIZE];
        snprintf(text, sizeof text, KV_ECS_UNREAD_TEXT, r->data.electrode_name);
        uc1601(text, 1);
    }
    // The batch is one callback: the settings and the layer statuses it reads and sets are known
    // until it ends.
    drawing_reads reads;
    begin_drawing_reads(&reads);
    prepare_electrode_views(head, &reads);
    drawing_pass(head, &reads);
    make_all_layers_selectable(&reads.layers);
    return 1;
}
