// The electrode process drawing: a sheet named after the electrode, the template imported onto
// it, the title block filled, three views placed and scaled into the boxes of the settings, and
// the ordinate dimensions.
#include "drawing/electrode_drawing.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/setting_values.h"
#include "config/tool_folder.h"
#include "drawing/ordinate_dims.h"
#include "drawing/title_block.h"
#include "electrode/electrode.h"
#include "electrode/sheet_template.h"
#include "electrode/work_part.h"
#include "platform/win_services.h"

namespace {

/* A position or box read from its two settings. */
void read_pair(const char *key_x, const char *key_y, double out[2]) {
    out[0] = setting_real(key_x);
    out[1] = setting_real(key_y);
}

/* The width and height of the view's borders. 0, or -1 (both 0) when NX cannot give them. */
int border_size(tag_t view, double *w, double *h) {
    *w = 0;
    *h = 0;
    double borders[4] = {0, 0, 0, 0};
    if (UF_DRAW_ask_view_borders(view, borders) != 0) return -1;
    *w = fabs(borders[2] - borders[0]);
    *h = fabs(borders[3] - borders[1]);
    return 0;
}

/* 1 when b is a itself but for rounding. */
int same_size(double a, double b) { return fabs(a - b) <= 1e-9 * (fabs(b) > 1 ? fabs(b) : 1); }

/* Sets the view's scale and updates it; the scale is set once more when NX refuses, as a view
 * left at the scale it was measured at would be placed wrongly. */
void rescale(tag_t drawing, tag_t view, double scale) {
    if (UF_DRAW_set_view_scale(view, scale) != 0) UF_DRAW_set_view_scale(view, scale);
    UF_DRAW_update_one_view(drawing, view);
}

/* The middle of the view's borders into middle. 0, or -1 when NX cannot give them. */
int border_middle(tag_t view, double middle[2]) {
    double b[4] = {0, 0, 0, 0};
    if (UF_DRAW_ask_view_borders(view, b) != 0) return -1;
    middle[0] = (b[0] + b[2]) / 2;
    middle[1] = (b[1] + b[3]) / 2;
    return 0;
}

/* The smaller of the two fits (the height's when they are equal). */
double fit_factor(const double box[2], double w, double h) {
    double fx = box[0] / w, fy = box[1] / h;
    return fx < fy ? fx : fy;
}

/* Runs fn for every line (type 3) of the group. The number of lines. */
template <typename Fn>
int for_each_group_line(tag_t group, Fn fn) {
    if (group == NULL_TAG) return 0;
    tag_t *members = NULL;
    int count = 0;
    int lines = 0;
    if (UF_GROUP_ask_group_data(group, &members, &count) == 0) {
        for (int i = 0; i < count && members; ++i) {
            int type = 0, subtype = 0;
            if (UF_OBJ_ask_type_and_subtype(members[i], &type, &subtype) != 0 || type != UF_line_type) continue;
            fn(members[i]);
            ++lines;
        }
    }
    if (members) UF_free(members);
    return lines;
}

/* Deletes the group and what it holds. */
void delete_group_and_members(tag_t group) {
    tag_t *members = NULL;
    int count = 0;
    if (UF_GROUP_ask_group_data(group, &members, &count) != 0 || !members) count = 0;
    int *statuses = NULL;
    if (count > 0) UF_OBJ_delete_array_of_objects(count, members, &statuses);
    if (statuses) UF_free(statuses);
    statuses = NULL;
    UF_OBJ_delete_array_of_objects(1, &group, &statuses);
    if (statuses) UF_free(statuses);
    if (members) UF_free(members);
}

}  // namespace

void prepare_drawing_display(void) {
    UF_DISP_drawing_display_data_t display;
    memset(&display, 0, sizeof display);
    // Only a display read back is written: a failed read must not overwrite NX's settings.
    if (UF_DISP_ask_drawing_display(&display) == 0) {
        display.monochrome_display = FALSE;
        UF_DISP_set_drawing_display(&display);
    }
    UF_DISP_grid_t grid;
    memset(&grid, 0, sizeof grid);
    // NX reports nothing from this call: a grid read back has a positive spacing.
    UF_DISP_ask_grid_parameters(UF_DISP_DRAWING_GRID, &grid);
    if (grid.grid_unit_x > 0 && grid.grid_unit_y > 0) {
        // Named members: older headers have no show_labels between the two switches.
        grid.show_grid = FALSE;
        grid.snap_to_grid = FALSE;
        UF_DISP_set_grid_parameters(UF_DISP_DRAWING_GRID, &grid);
    }
    UF_DRAW_set_border_display(FALSE);
}

int create_electrode_drawing(const char *name, const double size[2], double scale, tag_t *drawing) {
    if (drawing) *drawing = NULL_TAG;
    if (!name || name[0] == '\0' || !size || !drawing) return -1;
    char drawing_name[KV_DRAWING_NAME_SIZE];
    kv_copy(drawing_name, sizeof drawing_name, name);
    UF_DRAW_info_t info;
    memset(&info, 0, sizeof info);
    info.size_state = UF_DRAW_CUSTOM_SIZE;
    info.size.custom_size[0] = size[0];  // height
    info.size.custom_size[1] = size[1];  // length
    info.drawing_scale = scale;
    info.units = UF_PART_METRIC;
    info.projection_angle = UF_DRAW_FIRST_ANGLE_PROJECTION;
    tag_t made = NULL_TAG;
    if (UF_DRAW_create_drawing(drawing_name, &info, &made) != 0 || made == NULL_TAG) return -1;
    // What follows goes onto the current sheet, or into the model when none is shown: on any
    // other sheet than this one it would spoil another electrode's drawing or the user's part.
    tag_t current = NULL_TAG;
    if (UF_DRAW_open_drawing(made) != 0 || (UF_DRAW_ask_current_drawing(&current) == 0 && current != made)) {
        UF_DRAW_delete_drawing(made);  // an empty sheet would pass for a finished drawing
        char message[sizeof KV_DRAWING_NOT_OPENED_TEXT + KV_DRAWING_NAME_SIZE];
        snprintf(message, sizeof message, KV_DRAWING_NOT_OPENED_TEXT, drawing_name);
        uc1601(message, 1);
        return -2;
    }
    *drawing = made;
    return 0;
}

int template_path(char *path, size_t size) {
    if (!path || size == 0) return -1;
    path[0] = '\0';
    char folder[KV_PATH_BUFSIZE];
    find_tool_folder(folder);
    size_t len = strlen(folder);
    // One trailing separator is dropped so that it is not doubled.
    if (len > 0 && kv_is_path_sep(folder[len - 1])) folder[len - 1] = '\0';
    int n = snprintf(path, size, "%s" KV_PATH_SEP_STR KV_TEMPLATE_FOLDER KV_PATH_SEP_STR KV_TEMPLATE_FILE, folder);
    if (n < 0 || (size_t)n >= size) {
        // A cut path would name another file.
        path[0] = '\0';
        return -1;
    }
    return 0;
}

int import_template(const char *path, tag_t *group) {
    if (group) *group = NULL_TAG;
    if (!path || path[0] == '\0' || !group) return -1;
    int status = 1;
    if (UF_CFI_ask_file_exist(path, &status) != 0 || status != 0) return -1;
    UF_import_part_modes_t modes;
    memset(&modes, 0, sizeof modes);
    modes.layer_mode = IP_WORK;
    modes.group_mode = IP_GROUP;
    modes.csys_mode = 0;
    modes.plist_mode = 0;
    modes.view_mode = IP_NO_VIEW;
    modes.cam_mode = FALSE;
    modes.use_search_dirs = FALSE;
    double orientation[6] = {1, 0, 0, 0, 1, 0};
    double origin[3] = {0, 0, 0};
    tag_t imported = NULL_TAG;
    if (UF_PART_import(path, &modes, orientation, origin, 1.0, &imported) != 0 || imported == NULL_TAG) return -1;
    if (mark_template_group(imported) != 0) {
        // Unmarked, its lines and points would later pass for the electrode's own.
        delete_group_and_members(imported);
        return -1;
    }
    *group = imported;
    return 0;
}

int set_template_line_width(tag_t group) {
    return for_each_group_line(group, [](tag_t line) { UF_OBJ_set_line_width(line, UF_OBJ_WIDTH_THIN); });
}

int color_template_lines(tag_t group) {
    if (group == NULL_TAG || setting_int(KV_KEY_ELECTRODE_LINE_COLOR_CHANGE) != 1) return 0;
    // The keys are spelled ELECTORDE in every shop's config.dat.
    double r = setting_real(KV_KEY_ELECTORDE_LINE_COLOR_R);
    double g = setting_real(KV_KEY_ELECTORDE_LINE_COLOR_G);
    double b = setting_real(KV_KEY_ELECTORDE_LINE_COLOR_B);
    return for_each_group_line(group, [&](tag_t line) { set_color_from_rgb(line, r, g, b); });
}

namespace {

// The template line colour's settings into *recolor and rgb.
void read_line_color(int *recolor, double rgb[3]) {
    *recolor = setting_int(KV_KEY_ELECTRODE_LINE_COLOR_CHANGE) == 1;
    // The keys are spelled ELECTORDE in every shop's config.dat.
    rgb[0] = *recolor ? setting_real(KV_KEY_ELECTORDE_LINE_COLOR_R) : 0;
    rgb[1] = *recolor ? setting_real(KV_KEY_ELECTORDE_LINE_COLOR_G) : 0;
    rgb[2] = *recolor ? setting_real(KV_KEY_ELECTORDE_LINE_COLOR_B) : 0;
}

// style_template_lines with the colour's settings in hand.
int style_lines(const group_members *m, int recolor, const double rgb[3]) {
    if (!m || m->group == NULL_TAG) return 0;
    if (!m->read) {
        set_template_line_width(m->group);
        return color_template_lines(m->group);
    }
    int color = 0;
    if (recolor && closest_color_from_rgb(rgb[0], rgb[1], rgb[2], &color) != 0)
        recolor = 0;  // without a colour number there is nothing sound to set
    int lines = 0;
    for (int i = 0; i < m->count; ++i) {
        if (m->types[i] != UF_line_type) continue;
        UF_OBJ_set_line_width(m->tags[i], UF_OBJ_WIDTH_THIN);
        if (recolor) UF_OBJ_set_color(m->tags[i], color);
        ++lines;
    }
    return lines;
}

}  // namespace

int style_template_lines(const group_members *m) {
    int recolor = 0;
    double rgb[3];
    read_line_color(&recolor, rgb);
    return style_lines(m, recolor, rgb);
}

int set_drafting_units(void) {
    tag_t part = UF_ASSEM_ask_work_part();
    if (part == NULL_TAG) return -1;
    int units = 0;
    UF_PART_ask_units(part, &units);
    int mpi[100];
    double mpr[70];
    char radius[27], diameter[27];
    memset(mpi, 0, sizeof mpi);
    memset(mpr, 0, sizeof mpr);
    radius[0] = diameter[0] = '\0';
    // Preferences that could not be read are not written back.
    if (UF_DRF_ask_preferences(mpi, mpr, radius, diameter) != 0) return 0;
    mpi[13] = units == UF_PART_METRIC ? 1 : 3;
    UF_DRF_set_preferences(mpi, mpr, radius, diameter);
    return 0;
}

int electrode_body(const char *name, tag_t *body) {
    if (body) *body = NULL_TAG;
    if (!name || !body) return -1;
    int layer = 0;
    first_layer_of_category(name, &layer);
    // Layer 0 would make NX cycle every visible layer: without a layer there is no body.
    if (layer < UF_LAYER_MIN_LAYER || layer > UF_LAYER_MAX_LAYER) return -1;
    tag_t object = NULL_TAG;
    for (;;) {
        tag_t previous = object;
        if (UF_LAYER_cycle_by_layer(layer, &object) != 0 || object == NULL_TAG || object == previous) break;
        int type = 0, subtype = 0;
        if (UF_OBJ_ask_type_and_subtype(object, &type, &subtype) == 0 && type == UF_solid_type &&
            subtype == UF_solid_body_subtype) {
            *body = object;
            return 0;
        }
    }
    return -1;
}

// The work part's full path into name (size bytes), which NX12 and later want for an imported
// view (earlier releases take it empty). A path too long for the field gives its file name,
// which names the loaded part as well; one NX does not give leaves the empty text.
static void name_view_part(char *name, size_t size) {
    name[0] = '\0';
    char path[KV_FSPEC_BUFSIZE] = "";
    if (work_part_path(path, sizeof path) != 0) return;
    const char *sep = kv_last_path_sep(path);
    kv_copy(name, size, strlen(path) < size ? path : sep ? sep + 1 : path);
}

int import_model_view(tag_t drawing, tag_t model_view, const double position[2], tag_t *view) {
    if (view) *view = NULL_TAG;
    if (drawing == NULL_TAG || model_view == NULL_TAG || !position || !view) return -1;
    UF_DRAW_view_info_t info;
    memset(&info, 0, sizeof info);
    UF_DRAW_initialize_view_info(&info);
    info.view_status = UF_DRAW_ACTIVE_VIEW;
    info.anchor_point = NULL_TAG;
    info.view_scale = 1.0;
    info.use_ref_pt = FALSE;
    info.inherit_boundary = FALSE;
    name_view_part(info.model_name, sizeof info.model_name);
    double at[2] = {position[0], position[1]};
    tag_t made = NULL_TAG;
    if (UF_DRAW_import_view(drawing, model_view, at, &info, &made) != 0 || made == NULL_TAG) return -1;
    UF_DRAW_update_one_view(drawing, made);
    *view = made;
    return 0;
}

int add_projected_view(tag_t drawing, tag_t parent, const double position[2], tag_t *view) {
    if (view) *view = NULL_TAG;
    if (drawing == NULL_TAG || parent == NULL_TAG || !position || !view) return -1;
    double at[2] = {position[0], position[1]};
    tag_t made = NULL_TAG;
    if (UF_DRAW_add_orthographic_view(drawing, parent, UF_DRAW_project_infer, at, &made) != 0 || made == NULL_TAG)
        return -1;
    UF_DRAW_update_one_view(drawing, made);
    *view = made;
    return 0;
}

int set_view_layers(tag_t view, const char *name) { return set_view_layers(view, name, NULL); }

namespace {

// The layers the electrode's views show, worked out at the first view of a drawing and given to
// each of its views: nothing the table depends on (settings, categories, statuses) changes while
// one drawing is made.
struct view_layers {
    const char *name;
    layer_statuses *known;
    const drawing_reads *reads;  // the batch's settings, or null: read them
    int ready;
    int table[UF_LAYER_MAX_LAYER];
};

void work_out_view_layers(view_layers *v) {
    int *table = v->table;
    memset(v->table, 0, sizeof v->table);
    int electrode_layer = 0;
    const drawing_reads *r = v->reads;
    // electrode_first_layer, with the batch's prefix when it has one.
    if (!r)
        electrode_first_layer(v->name, &electrode_layer);
    else if (has_electrode_prefix(v->name, r->prefix))
        first_layer_of_category(v->name, &electrode_layer);
    int only = r ? r->only_electrodes : setting_int(KV_KEY_ELECTRODE_ONLY_DISPLAY_ELECT) == 1;
    int start = r ? r->range_start : 0, end = r ? r->range_end : 0;
    if (!r) electrode_layer_range(&start, &end);
    int first = 0, last = 0;
    electrode_hidden_layers(only, start, end, &first, &last);
    // The layers the electrode does not hide show as the user left them.
    for (int l = UF_LAYER_MIN_LAYER; l <= UF_LAYER_MAX_LAYER; ++l) {
        if (l >= first && l <= last) continue;
        int status = 0;
        // A layer of unknown status stays out: it may be the user's hidden model.
        if (known_layer_status(v->known, l, &status) != 0) continue;
        table[l - 1] = status != UF_LAYER_INACTIVE_LAYER ? 1 : 0;
    }
    if (electrode_layer >= UF_LAYER_MIN_LAYER && electrode_layer <= UF_LAYER_MAX_LAYER) table[electrode_layer - 1] = 1;
    v->ready = 1;
}

int show_view_layers(tag_t view, view_layers *v) {
    if (view == NULL_TAG) return -1;
    if (!v->ready) work_out_view_layers(v);
    char view_name[KV_OBJ_NAME_BUFSIZE];
    memset(view_name, 0, sizeof view_name);
    UF_OBJ_ask_name(view, view_name);
    return uc6447(view_name, 2, v->table);
}

}  // namespace

int set_view_layers(tag_t view, const char *name, layer_statuses *known) {
    if (view == NULL_TAG) return -1;
    view_layers v;
    v.name = name;
    v.known = known;
    v.reads = NULL;
    v.ready = 0;
    return show_view_layers(view, &v);
}

void fit_view_in_box(tag_t drawing, tag_t view, const double position[2], const double box[2], double ref[2]) {
    if (ref && position) {
        ref[0] = position[0];
        ref[1] = position[1];
    }
    if (drawing == NULL_TAG || view == NULL_TAG || !position || !box) return;
    double w = 0, h = 0;
    view_size(drawing, view, &w, &h);
    if (w < KV_MIN_VIEW_EXTENT || h < KV_MIN_VIEW_EXTENT) return;
    // The size was measured at the view's own scale.
    tag_t expression = NULL_TAG;
    double now = 1.0;
    if (UF_DRAW_ask_view_scale(view, &expression, &now) != 0 || !(now > 0)) now = 1.0;
    UF_DRAW_set_view_scale(view, now * fit_factor(box, w, h));
    centre_view_at(drawing, view, position, ref);
}

int centre_view_at(tag_t drawing, tag_t view, const double position[2], double ref[2]) {
    if (!position) return -1;
    double at[2] = {position[0], position[1]};
    if (ref) {
        ref[0] = at[0];
        ref[1] = at[1];
    }
    UF_DRAW_set_drawing_ref_pt(drawing, view, at);
    UF_DRAW_update_one_view(drawing, view);
    double middle[2];
    if (border_middle(view, middle) != 0) return -1;
    if (fabs(middle[0] - position[0]) <= KV_VIEW_PLACE_TOLERANCE &&
        fabs(middle[1] - position[1]) <= KV_VIEW_PLACE_TOLERANCE)
        return 0;
    at[0] += position[0] - middle[0];
    at[1] += position[1] - middle[1];
    if (ref) {
        ref[0] = at[0];
        ref[1] = at[1];
    }
    UF_DRAW_set_drawing_ref_pt(drawing, view, at);
    UF_DRAW_update_one_view(drawing, view);
    if (border_middle(view, middle) != 0) return -1;
    return fabs(middle[0] - position[0]) <= KV_VIEW_PLACE_TOLERANCE &&
                   fabs(middle[1] - position[1]) <= KV_VIEW_PLACE_TOLERANCE
               ? 0
               : -1;
}

// Borders that double exactly with the scale carry no margin and stand as NX gave them.
int view_size(tag_t drawing, tag_t view, double *w, double *h) {
    if (!w || !h) return -1;
    if (border_size(view, w, h) != 0) return -1;
    tag_t expression = NULL_TAG;
    double scale = 0, w2 = 0, h2 = 0;
    if (UF_DRAW_ask_view_scale(view, &expression, &scale) != 0 || !(scale > 0)) return 0;
    int asked = UF_DRAW_set_view_scale(view, 2 * scale) == 0 && UF_DRAW_update_one_view(drawing, view) == 0 &&
                border_size(view, &w2, &h2) == 0;
    rescale(drawing, view, scale);
    if (!asked) return 0;  // the borders as NX reported them are the best there is
    if (!same_size(w2, 2 * *w)) *w = w2 - *w;
    if (!same_size(h2, 2 * *h)) *h = h2 - *h;
    return 0;
}

int box_ratio(tag_t drawing, tag_t view, const double box[2], double *ratio) {
    if (!ratio) return -1;
    *ratio = 1.0;
    if (!box) return 0;
    double w = 0, h = 0;
    if (view_size(drawing, view, &w, &h) != 0) return 0;
    if (w < KV_MIN_VIEW_EXTENT || h < KV_MIN_VIEW_EXTENT) return 0;
    *ratio = fit_factor(box, w, h);
    return 0;
}

int shrink_ratio(tag_t drawing, tag_t view, const double box[2], double *ratio) {
    if (!ratio) return -1;
    *ratio = 1.0;
    if (!box) return 0;
    double w = 0, h = 0;
    if (view_size(drawing, view, &w, &h) != 0) return 0;
    // Only a view too large both ways is reduced; nothing ever grows.
    if (w > box[0] + 0.1 && h > box[1] + 0.01) *ratio = fit_factor(box, w, h);
    return 0;
}

int set_view_display(tag_t view, int flag) {
    UF_DRAW_view_prfs_t prefs;
    memset(&prefs, 0, sizeof prefs);
    int rc = UF_DRAW_ask_view_display(view, &prefs);
    // Preferences that could not be read are not written back.
    if (rc != 0) return rc;
    prefs.hidden_line_font = flag == 1 ? UF_OBJ_FONT_DASHED : UF_OBJ_FONT_INVISIBLE;
    return UF_DRAW_set_view_display(view, &prefs);
}

int place_view(tag_t drawing, tag_t view, const double position[2], double scale) {
    if (view == NULL_TAG || scale < 0 || !position) return -1;
    UF_DRAW_set_view_scale(view, scale);
    return centre_view_at(drawing, view, position, NULL);
}

namespace {

// The template onto the current sheet: its lines, the drafting units, the title block and the
// user-defined notes. 0, or -1 when the template is missing (the user told).
int fill_from_template(const char *name, const electrode_data *data, const drawing_reads *reads) {
    char path[KV_PATH_BUFSIZE];
    template_path(path, sizeof path);
    int status = 1;
    if (path[0] == '\0' || UF_CFI_ask_file_exist(path, &status) != 0 || status != 0) {
        ws_message_box(KV_TEMPLATE_MISSING_TEXT);
        return -1;
    }
    tag_t group = NULL_TAG;
    import_template(path, &group);
    // One reading of the template's objects serves its lines and every named note.
    group_members members;
    read_group_members(group, &members);
    style_lines(&members, reads->recolor, reads->line_rgb);
    set_drafting_units();
    fill_title_block_notes(&members, *data);
    tag_t body = NULL_TAG;
    electrode_body(name, &body);
    fill_user_defined_notes_in(body, &members);
    release_group_members(&members);
    return 0;
}

// The top view (first view) fitted into its box, and the view projected from it (second),
// the two at one scale when the second does not fit a box of the first's size. Their tags into
// *view1 and *view2 (null when not made).
void place_top_views(tag_t drawing, tag_t top_view, tag_t *view1, tag_t *view2, const drawing_reads *reads,
                     view_layers *layers) {
    const double *position1 = reads->position1, *box1 = reads->box1, *position2 = reads->position2;
    import_model_view(drawing, top_view, position1, view1);
    double ref1[2] = {position1[0], position1[1]};
    if (*view1 != NULL_TAG) {
        show_view_layers(*view1, layers);
        UF_DRAW_update_one_view(drawing, *view1);
        fit_view_in_box(drawing, *view1, position1, box1, ref1);
    }

    // NX infers the projection from where the new view lies from its parent's reference point,
    // which centring may have moved off position 1: the offset between the positions counts.
    double at2[2] = {position2[0] + (ref1[0] - position1[0]), position2[1] + (ref1[1] - position1[1])};
    add_projected_view(drawing, *view1, at2, view2);
    if (*view2 == NULL_TAG) return;
    show_view_layers(*view2, layers);
    UF_DRAW_update_one_view(drawing, *view2);
    centre_view_at(drawing, *view2, position2, NULL);
    double r = 1.0;
    box_ratio(drawing, *view2, box1, &r);
    if (!(r < 1.0)) return;  // NaN too: a box of "nan" scales nothing
    // Views 1 and 2 share one scale: the one that fits both into boxes of box 1's size.
    double s = 0;
    tag_t expression = NULL_TAG;
    UF_DRAW_ask_view_scale(*view1, &expression, &s);
    show_view_layers(*view2, layers);
    UF_DRAW_update_one_view(drawing, *view2);
    UF_DRAW_set_view_scale(*view1, s * r);
    centre_view_at(drawing, *view1, position1, NULL);
    UF_DRAW_set_view_scale(*view2, s * r);
    centre_view_at(drawing, *view2, position2, NULL);
}

// The isometric view (third), with hidden lines dashed, shrunk into its box when too large.
// 1 when it was placed, else 0.
int place_iso_view(tag_t drawing, tag_t iso_view, const drawing_reads *reads, view_layers *layers) {
    const double *position3 = reads->position3, *box3 = reads->box3;
    tag_t view3 = NULL_TAG;
    import_model_view(drawing, iso_view, position3, &view3);
    if (view3 == NULL_TAG) return 0;
    show_view_layers(view3, layers);
    UF_DRAW_update_one_view(drawing, view3);
    double s3 = 1.0;
    shrink_ratio(drawing, view3, box3, &s3);
    set_view_display(view3, 1);
    place_view(drawing, view3, position3, s3);
    return 1;
}

}  // namespace

void begin_drawing_reads(drawing_reads *reads) {
    forget_layer_statuses(&reads->layers);
    double length = setting_real(KV_KEY_ELECTRODE_SHEET_X_SIZE);
    if (!(length > 0)) length = KV_DEFAULT_SHEET_LENGTH;
    double height = setting_real(KV_KEY_ELECTRODE_SHEET_Y_SIZE);
    if (!(height > 0)) height = KV_DEFAULT_SHEET_HEIGHT;
    reads->sheet[0] = height;
    reads->sheet[1] = length;
    read_pair(KV_KEY_ELECTRODE_FIRST_VIEW_X_POSI, KV_KEY_ELECTRODE_FIRST_VIEW_Y_POSI, reads->position1);
    read_pair(KV_KEY_ELECTRODE_FIRST_VIEW_X_SIZE, KV_KEY_ELECTRODE_FIRST_VIEW_Y_SIZE, reads->box1);
    read_pair(KV_KEY_ELECTRODE_SECOND_VIEW_X_POSI, KV_KEY_ELECTRODE_SECOND_VIEW_Y_POSI, reads->position2);
    read_pair(KV_KEY_ELECTRODE_THIRD_VIEW_X_POSI, KV_KEY_ELECTRODE_THIRD_VIEW_Y_POSI, reads->position3);
    read_pair(KV_KEY_ELECTRODE_THIRD_VIEW_X_SIZE, KV_KEY_ELECTRODE_THIRD_VIEW_Y_SIZE, reads->box3);
    read_line_color(&reads->recolor, reads->line_rgb);
    reads->only_electrodes = setting_int(KV_KEY_ELECTRODE_ONLY_DISPLAY_ELECT) == 1;
    electrode_layer_range(&reads->range_start, &reads->range_end);
    read_setting(KV_KEY_ELECTRODE_PREFIX_NAME, reads->prefix, sizeof reads->prefix);
}

int make_electrode_drawing(const char *name, electrode_data data) {
    if (data.top_view_tag == NULL_TAG || data.iso_view_tag == NULL_TAG) return -1;
    drawing_reads reads;
    begin_drawing_reads(&reads);
    return make_electrode_drawing(name, data, &reads);
}

int make_electrode_drawing(const char *name, electrode_data data, drawing_reads *reads) {
    if (data.top_view_tag == NULL_TAG || data.iso_view_tag == NULL_TAG) return -1;
    if (!name) return -3;
    prepare_drawing_display();

    tag_t drawing = NULL_TAG;
    int made = create_electrode_drawing(name, reads->sheet, 1.0, &drawing);
    if (made != 0) return made == -2 ? -2 : -3;

    if (fill_from_template(name, &data, reads) != 0) return 0;
    tag_t view1 = NULL_TAG, view2 = NULL_TAG;
    view_layers layers;
    layers.name = name;
    layers.known = &reads->layers;
    layers.reads = reads;
    layers.ready = 0;
    place_top_views(drawing, data.top_view_tag, &view1, &view2, reads, &layers);
    int iso = place_iso_view(drawing, data.iso_view_tag, reads, &layers);
    dimension_electrode_views(name, view1, view2);
    return view1 != NULL_TAG && view2 != NULL_TAG && iso ? 0 : 1;
}
