// The electrodes' views in the model. For each selected electrode its layer becomes the work
// layer and the other layers are hidden, a top view aligned with its coordinate system (ECS) and
// an isometric view are made, and the reference geometry for its dimensions is built.
#include "drawing/model_views.h"

#include <stdio.h>
#include <string.h>

#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/setting_values.h"
#include "drawing/dimension_refs.h"
#include "drawing/wcs.h"
#include "electrode/electrode.h"

namespace {

/* Coordinate system names: "<name>_CSYS" of a 30-character electrode name, with room to spare. */
const size_t kCsysNameSize = 64;

/* name followed by suffix into view (KV_VIEW_NAME_SIZE bytes). 0, or -1 (and the empty text)
 * when it does not fit: a cut name could be another electrode's view. */
int form_view_name(char *view, const char *name, const char *suffix) {
    int n = snprintf(view, KV_VIEW_NAME_SIZE, "%s%s", name, suffix);
    if (n < 0 || n >= KV_VIEW_NAME_SIZE) {
        view[0] = '\0';
        return -1;
    }
    return 0;
}

/* Aligns the work view with ecs, or with the WCS for the null tag. */
void orient_work_view(tag_t ecs) {
    char work_view[] = "";  // NX4 to NX7.5 take the view name as char *
    if (ecs != NULL_TAG)
        uc6434(work_view, 3, ecs, NULL);
    else
        uc6434(work_view, 2, NULL_TAG, NULL);
}

/* Hides the layers the electrode's views must not show, never touching keep. */
void hide_other_layers(int keep, drawing_reads *reads) {
    int first = 0, last = 0;
    electrode_hidden_layers(reads->only_electrodes, reads->range_start, reads->range_end, &first, &last);
    for (int l = first; l <= last; ++l)
        if (l != keep) change_layer_status(&reads->layers, l, UF_LAYER_INACTIVE_LAYER);
}

}  // namespace

// An object that cannot be read could be the ECS: the search then answers that it cannot say,
// for the electrode's views and positions would otherwise come out in the absolute frame.
int find_electrode_csys(const char *name, tag_t *csys) {
    if (!csys) return -1;
    *csys = NULL_TAG;
    if (!name) return 0;
    char wanted[kCsysNameSize];
    int n = snprintf(wanted, sizeof wanted, "%s_CSYS", name);
    if (n < 0 || (size_t)n >= sizeof wanted) return 0;
    int layer = 0;
    first_layer_of_category(name, &layer);
    // Layer 0 would make NX cycle every visible layer: without a layer there is no ECS.
    if (layer < UF_LAYER_MIN_LAYER || layer > UF_LAYER_MAX_LAYER) return 0;
    tag_t object = NULL_TAG;
    for (;;) {
        tag_t previous = object;
        if (UF_LAYER_cycle_by_layer(layer, &object) != 0) return -1;
        if (object == NULL_TAG || object == previous) return 0;
        int type = 0, subtype = 0;
        if (UF_OBJ_ask_type_and_subtype(object, &type, &subtype) != 0) return -1;
        if (type != UF_coordinate_system_type) continue;
        char object_name[KV_OBJ_NAME_BUFSIZE];
        memset(object_name, 0, sizeof object_name);
        // An object without a name answers an error in NX: only a system's own name counts.
        if (UF_OBJ_ask_name(object, object_name) != 0) continue;
        if (kv_equal_nocase(object_name, wanted)) {
            *csys = object;
            return 0;
        }
    }
}

void prepare_electrode_views(electrode_record *head) {
    drawing_reads reads;
    begin_drawing_reads(&reads);
    prepare_electrode_views(head, &reads);
}

void prepare_electrode_views(electrode_record *head, drawing_reads *reads) {
    for (electrode_record *r = head; r; r = r->next) {
        if (r->selected != 1) continue;
        const char *name = r->data.electrode_name;
        int first = 0;
        first_layer_of_category(name, &first);
        if (first >= UF_LAYER_MIN_LAYER) change_layer_status(&reads->layers, first, UF_LAYER_WORK_LAYER);
        // electrode_first_layer's answer, from the category read just now.
        int layer = has_electrode_prefix(name, reads->prefix) ? first : 0;
        hide_other_layers(layer, reads);

        saved_wcs saved;
        if (keep_wcs(&saved) != 0) {
            // Without the user's WCS in hand nothing that moves it is done; no drawing is made
            // from views of an earlier run.
            r->data.top_view_tag = NULL_TAG;
            r->data.iso_view_tag = NULL_TAG;
            continue;
        }
        r->data.top_view_tag = make_top_view(name, r->data.ecs_tag);
        r->data.iso_view_tag = make_iso_view(name, r->data.ecs_tag);
        give_back_wcs(&saved);
        build_dimension_references(r->data.ecs_tag, name);
    }
}

tag_t make_top_view(const char *name, tag_t ecs) {
    if (!name) return NULL_TAG;
    char work_view[] = "";  // NX4 to NX7.5 take the view name as char *
    uc6432(work_view, 1);
    orient_work_view(ecs);
    char view[KV_VIEW_NAME_SIZE];
    if (form_view_name(view, name, "_TOP") != 0) return NULL_TAG;
    remove_model_view(view);
    // The old view may have been the work view, so "TOP" may have just taken its place: orient
    // and fit again, so that what is saved is aligned whichever view the user had.
    orient_work_view(ecs);
    uc6432(work_view, 1);
    // Not saved (an old view NX would not delete still holds the name): that view is not this
    // run's, and no drawing may be made from it.
    if (uc6450("", view, 1, 0) != 0) return NULL_TAG;
    uc6464("", "", view);
    tag_t tag = NULL_TAG;
    UF_VIEW_ask_tag_of_view_name(view, &tag);
    return tag;
}

tag_t make_iso_view(const char *name, tag_t ecs) {
    if (!name) return NULL_TAG;
    tag_t base = ecs;
    if (base == NULL_TAG) UF_CSYS_ask_wcs(&base);
    tag_t matrix = NULL_TAG;
    char work_view[] = "", iso_view[] = KV_ISO_VIEW;  // NX4 to NX7.5 take view names as char *
    double origin[3] = {0, 0, 0};
    double base_values[9] = {0};
    double iso_values[9] = {0};
    // Without the base system's orientation there is nothing to turn the view to.
    int have_base = base != NULL_TAG && UF_CSYS_ask_csys_info(base, &matrix, origin) == 0 &&
                    UF_CSYS_ask_matrix_values(matrix, base_values) == 0 &&
                    uc6433(iso_view, iso_values) == 0;
    if (have_base) {
        // The isometric directions are given in the base system's axes: turned into absolute
        // space they are the rows of ISO x BASE.
        double turned[9];
        UF_MTX3_multiply(iso_values, base_values, turned);
        tag_t turned_matrix = NULL_TAG, csys = NULL_TAG;
        if (UF_CSYS_create_matrix(turned, &turned_matrix) == 0 &&
            UF_CSYS_create_temp_csys(origin, turned_matrix, &csys) == 0 && UF_CSYS_set_wcs(csys) == 0) {
            uc6434(work_view, 2, NULL_TAG, NULL);
            char view[KV_VIEW_NAME_SIZE];
            if (form_view_name(view, name, "_ISO") == 0) {
                remove_model_view(view);
                // "TOP" now stands in the work view's place: turn and fit it, and save it.
                uc6434(work_view, 2, NULL_TAG, NULL);
                uc6432(work_view, 1);
                uc6450("", view, 1, 0);
            }
        }
    }
    tag_t tag = NULL_TAG;
    UF_VIEW_ask_tag_of_view_name(iso_view, &tag);
    return tag;
}

int remove_model_view(const char *view_name) {
    // The 32-bit releases take the view name as a writable text.
    char name[KV_OBJ_NAME_BUFSIZE];
    if (!view_name || strlen(view_name) >= sizeof name) return -1;
    kv_copy(name, sizeof name, view_name);
    uc6464("", "", KV_TOP_VIEW);
    return uc6454(name) == 0 ? 0 : -1;
}

