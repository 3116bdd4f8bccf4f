// Drawing sheets of the work part: making and opening them, the drafting settings of the session
// (drawing display, grid, view borders, preferences), importing a part onto the current sheet or
// into the model, line widths, ordinate origins, margins and dimensions, and a sheet in part files.
//
// What lies on a sheet (imported objects, drafting objects, member views) is kept with its Sheet
// and not among the part's model objects: layer and type cycling never meet it, and model views
// never show it.
#include <cmath>
#include <cstring>
#include <string>

#include "drafting.h"
#include "util.h"

using namespace nxsim;

namespace nxsim {

namespace {

// NX's metric sheet sizes (length x height, landscape) and the English ones, in their units.
bool standard_size(int state, int code, double* length, double* height) {
    static const double metric[][2] = {{1189, 841}, {841, 594}, {594, 420}, {420, 297}, {297, 210}};
    static const double english[][2] = {{11, 8.5}, {17, 11}, {22, 17}, {34, 22}, {44, 34}, {40, 28}};
    if (state == UF_DRAW_METRIC_SIZE && code >= 1 && code <= 5) {
        *length = metric[code - 1][0];
        *height = metric[code - 1][1];
        return true;
    }
    if (state == UF_DRAW_ENGLISH_SIZE && code >= 1 && code <= 6) {
        *length = english[code - 1][0];
        *height = english[code - 1][1];
        return true;
    }
    return false;
}

void fill_defaults(DraftingSettings& d) {
    if (d.ready) return;
    d.ready = true;
    // Dimension units (index 13): 1 millimetres; the rest is not interpreted by the host.
    d.mpi[13] = 1;
    d.radius_symbol = "R";
    d.diameter_symbol = "DIA";
    // Drawings are shown monochrome until the display is changed.
    d.display.monochrome_display = true;
    d.display.system_color = 186;
    d.display.preselection_color = 211;
    d.display.foreground_color = 216;
    d.display.background_color = 1;
    d.display.show_widths = true;
    for (int c = 0; c < 5; ++c) {
        UF_DISP_grid_t& g = d.grids[c];
        memset(&g, 0, sizeof g);
        g.grid_color = 87;
        g.grid_type = UF_DISP_RECTANGULAR_GRID;
        g.grid_unit_x = g.grid_unit_y = 1;
        g.grid_line_every_x = g.grid_line_every_y = 10;
        g.grid_emphasis_every_x = g.grid_emphasis_every_y = 5;
        g.grid_angular_unit = 15;
        g.grid_angular_line_every = 1;
        g.grid_angular_emphasis_every = 6;
        g.grid_radial_unit = 1;
        g.grid_radial_circle_every = 10;
        g.grid_radial_emphasis_every = 5;
    }
    // A drawing starts with its grid shown and snapping on.
    d.grids[UF_DISP_DRAWING_GRID].show_grid = true;
    d.grids[UF_DISP_DRAWING_GRID].snap_to_grid = true;
    d.border_display = true;
}

// Where UF_PART_import puts the file's geometry: a point p goes to at + scale (p.x X + p.y Y +
// p.z Z), X and Y the axes given, Z = X x Y.
struct Placement {
    double x[3], y[3], z[3], at[3], scale;
    void apply(const std::array<double, 3>& in, std::array<double, 3>& out) const {
        for (int k = 0; k < 3; ++k)
            out[k] = at[k] + scale * (in[0] * x[k] + in[1] * y[k] + in[2] * z[k]);
    }
    // A direction turned by the placement (not moved, not scaled).
    void turn(const std::array<double, 3>& in, std::array<double, 3>& out) const {
        for (int k = 0; k < 3; ++k) out[k] = in[0] * x[k] + in[1] * y[k] + in[2] * z[k];
    }
};

// The placement of UF_PART_import's axes (X, then Y), point and scale; false when the axes are
// not unit vectors at right angles or the scale is not positive.
bool placement_of(const double dest_csys[6], const double dest_point[3], double scale, Placement* pl) {
    if (!(scale > 0) || !orthonormal(dest_csys, 2)) return false;
    for (int k = 0; k < 3; ++k) {
        pl->x[k] = dest_csys[k];
        pl->y[k] = dest_csys[3 + k];
        pl->at[k] = dest_point[k];
    }
    pl->z[0] = pl->x[1] * pl->y[2] - pl->x[2] * pl->y[1];
    pl->z[1] = pl->x[2] * pl->y[0] - pl->x[0] * pl->y[2];
    pl->z[2] = pl->x[0] * pl->y[1] - pl->x[1] * pl->y[0];
    pl->scale = scale;
    return true;
}

// Copies what UF_PART_import brings from a part read for it: its points, lines, arcs with their
// matrices, notes and groups with their members, placed. The copies go onto the sheet `onto`,
// or into the work part's model when that is the null tag (on the work layer, or on their own
// layers with layer_mode IP_ORIG).
struct Importer {
    const Placement& pl;
    Part& wp;
    tag_t onto;
    int layer_mode;
    std::map<tag_t, tag_t> copies;  // the file's object -> its copy
    std::vector<tag_t> imported;    // the copies but the matrices, in the file's order

    // Matrices first (arcs refer to them), then everything else in the file's order; the
    // file's groups then get the copies of their members.
    void copy_part(const Part& src) {
        for (int pass = 0; pass < 2; ++pass) {
            for (tag_t t : src.order) {
                const Object* from = obj(t);
                if (!from || !from->alive || from->temporary) continue;
                if ((pass == 0) != (from->type == T_MATRIX)) continue;
                switch (from->type) {
                    case T_MATRIX: case T_POINT: case T_LINE: case T_ARC: case T_NOTE: case T_GROUP: break;
                    default: continue;  // categories, solids and the like stay in their file
                }
                Object& o = copy(*from);
                copies[t] = o.tag;
                place(*from, o);
                if (o.type != T_MATRIX) imported.push_back(o.tag);
            }
        }
        for (auto& kv : copies) {
            const Object* from = obj(kv.first);
            Object* o = obj(kv.second);
            if (!from || !o || from->type != T_GROUP) continue;
            for (tag_t m : from->members) {
                auto it = copies.find(m);
                if (it != copies.end()) o->members.push_back(it->second);
            }
        }
    }

    // A new object of the work part (or its sheet) holding what `from` holds, without members.
    Object& copy(const Object& from) {
        Object& o = onto ? new_sheet_object(onto, from.type, from.subtype) : new_object(wp, from.type, from.subtype);
        tag_t keep_tag = o.tag, keep_part = o.part, keep_sheet = o.sheet;
        size_t keep_pos = o.type_pos;
        // On a sheet as in the model: the work layer, or the file's own with IP_ORIG.
        int layer = layer_mode == IP_ORIG ? from.layer : wp.work_layer;
        o = from;
        o.tag = keep_tag;
        o.part = keep_part;
        o.sheet = keep_sheet;
        o.type_pos = keep_pos;
        o.layer = layer;
        o.members.clear();
        return o;
    }

    // Moves the copy o of `from` to its place.
    void place(const Object& from, Object& o) {
        switch (o.type) {
            case T_MATRIX: {
                // The rows are absolute directions: turn them with the placement.
                for (int r = 0; r < 3; ++r) {
                    std::array<double, 3> row{from.mtx[3 * r], from.mtx[3 * r + 1], from.mtx[3 * r + 2]}, out;
                    pl.turn(row, out);
                    for (int k = 0; k < 3; ++k) o.mtx[3 * r + k] = out[k];
                }
                break;
            }
            case T_POINT: case T_NOTE: pl.apply(from.p1, o.p1); o.text_height = from.text_height * pl.scale; break;
            case T_LINE:
                pl.apply(from.p1, o.p1);
                pl.apply(from.p2, o.p2);
                break;
            case T_ARC: {
                // The centre is kept along the matrix's axes: place it in absolute space and
                // express it along the placed matrix.
                const Object* m = obj(from.matrix);
                auto it = copies.find(from.matrix);
                const Object* nm = it == copies.end() ? nullptr : obj(it->second);
                if (!m || !nm) break;
                std::array<double, 3> abs{}, placed{};
                from_axes(m->mtx.data(), from.p1.data(), abs.data());
                pl.apply(abs, placed);
                to_axes(nm->mtx.data(), placed.data(), o.p1.data());
                o.matrix = nm->tag;
                o.radius = from.radius * pl.scale;
                break;
            }
            default: break;
        }
    }

    // A new group of everything copied but the matrices: on the sheet, or on the work layer.
    Object& group() {
        Object& g = onto ? new_sheet_object(onto, T_GROUP, 0) : new_object(wp, T_GROUP, 0);
        g.layer = wp.work_layer;
        g.members = imported;
        return g;
    }
};

}  // namespace

DraftingSettings& drafting() {
    fill_defaults(S().drafting);
    return S().drafting;
}

Sheet& sheet_of(tag_t drawing) { return S().sheets[drawing]; }

Object& new_sheet_object(tag_t drawing, int type, int subtype) {
    Object* d = obj(drawing);
    Part* p = d ? part(d->part) : nullptr;
    // NX's cycles meet every object of a layer, a sheet's too: it lies on the work layer and is
    // listed with the model's objects. Only its sheet shows it, and the part file keeps it with
    // its sheet.
    Object& o = p ? new_object(*p, type, subtype) : new_unlisted_object(0, type, subtype);
    o.sheet = drawing;
    sheet_of(drawing).objects.push_back(o.tag);
    return o;
}

Object* live_drawing(tag_t t) {
    Object* o = live_obj(t);
    return o && o->type == T_DRAWING ? o : nullptr;
}

tag_t current_drawing_of_work_part() {
    Part* p = work_part();
    if (!p || !live_drawing(p->current_drawing)) return NULL_TAG;
    return p->current_drawing;
}

void drop_sheet(tag_t drawing) {
    Session& s = S();
    auto it = s.sheets.find(drawing);
    if (it == s.sheets.end()) return;
    for (tag_t v : it->second.views) {
        if (Object* o = obj(v)) o->alive = false;
        s.member_views.erase(v);
    }
    for (tag_t t : it->second.objects) {
        if (Object* o = obj(t)) o->alive = false;
        s.ordinates.erase(t);
    }
    s.sheets.erase(it);
}

}  // namespace nxsim

extern "C" {

// Makes a drawing of the work part with the sheet described, not shown; 0, or NX's error code.
int UF_DRAW_create_drawing(const char* drawing_name, const UF_DRAW_info_p_t drawing_info, tag_p_t drawing_tag) {
    if (drawing_tag) *drawing_tag = NULL_TAG;
    if (int rc = enter("UF_DRAW_create_drawing")) return rc;
    Part* p = work_part();
    if (!p) return ERR_NO_WORK_PART;
    if (!drawing_name || !drawing_info || !drawing_tag || !drawing_name[0]) return ERR_BAD_ARG;
    if (strlen(drawing_name) > UF_OBJ_NAME_LEN) return ERR_NAME_TOO_LONG;
    // Drawing names are unique in a part, letter case ignored.
    for (tag_t t : p->drawings) {
        Object* o = live_drawing(t);
        if (o && upper_ascii(o->name) == upper_ascii(drawing_name)) {
            say(ERR_DRAW_EXISTS, "A drawing of that name already exists");
            return ERR_DRAW_EXISTS;
        }
    }
    const UF_DRAW_info_t& in = *drawing_info;
    Sheet sh;
    sh.size_state = in.size_state;
    if (in.size_state == UF_DRAW_CUSTOM_SIZE) {
        sh.height = in.size.custom_size[0];
        sh.length = in.size.custom_size[1];
        if (!(sh.height > 0) || !(sh.length > 0)) return ERR_BAD_ARG;
    } else {
        int code = in.size_state == UF_DRAW_METRIC_SIZE ? (int)in.size.metric_size_code : (int)in.size.english_size_code;
        if (!standard_size(in.size_state, code, &sh.length, &sh.height)) return ERR_BAD_ARG;
        sh.size_code = code;
    }
    if (!(in.drawing_scale > 0)) return ERR_BAD_ARG;
    if (in.units != UF_PART_METRIC && in.units != UF_PART_ENGLISH) return ERR_BAD_ARG;
    if ((int)in.projection_angle < 0 || (int)in.projection_angle > 2) return ERR_BAD_ARG;
    sh.scale = in.drawing_scale;
    sh.units = in.units;
    sh.projection = in.projection_angle;
    Object& d = new_drawing(*p, drawing_name);
    sheet_of(d.tag) = sh;
    *drawing_tag = d.tag;
    return 0;
}

// Shows the drawing instead of the model; its part becomes the displayed and work part; 0, or NX's error code.
int UF_DRAW_open_drawing(const tag_t drawing_tag) {
    if (int rc = enter("UF_DRAW_open_drawing")) return rc;
    Object* d = live_drawing(drawing_tag);
    Part* p = d ? part(d->part) : nullptr;
    if (!d || !p) return ERR_BAD_TAG;
    // The drawing is shown instead of the model; its part becomes the displayed and work part.
    p->current_drawing = drawing_tag;
    S().display_part = p->tag;
    S().work_part = p->tag;
    sheet_of(drawing_tag);
    return 0;
}

// Copies the session's drawing display settings; 0, or NX's error code.
int UF_DISP_ask_drawing_display(UF_DISP_drawing_display_data_p_t drawing_display) {
    if (drawing_display) memset(drawing_display, 0, sizeof *drawing_display);
    if (int rc = enter("UF_DISP_ask_drawing_display")) return rc;
    if (!drawing_display) return ERR_BAD_ARG;
    *drawing_display = drafting().display;
    return 0;
}

// Sets the session's drawing display settings (colours 0 to 216); 0, or NX's error code.
int UF_DISP_set_drawing_display(UF_DISP_drawing_display_data_p_t drawing_display) {
    if (int rc = enter("UF_DISP_set_drawing_display")) return rc;
    if (!drawing_display) return ERR_BAD_ARG;
    const UF_DISP_drawing_display_data_t& d = *drawing_display;
    for (int c : {d.system_color, d.preselection_color, d.foreground_color, d.background_color})
        if (c < 0 || c > UF_OBJ_MAX_COLOR) return ERR_BAD_ARG;
    drafting().display = d;
    return 0;
}

// Copies the grid of a context; void in NX. Host's choice: a failure leaves the record as it was.
void UF_DISP_ask_grid_parameters(UF_DISP_grid_context_t product_context, UF_DISP_grid_p_t output_grid) {
    if (enter("UF_DISP_ask_grid_parameters")) return;
    if (!output_grid || (int)product_context < 0 || (int)product_context >= (int)UF_DISP_NULL_GRID) return;
    *output_grid = drafting().grids[product_context];
}

// Sets the grid of a context; void in NX. Host's choice: a grid without positive spacing is ignored.
void UF_DISP_set_grid_parameters(UF_DISP_grid_context_t product_context, UF_DISP_grid_p_t input_grid) {
    if (enter("UF_DISP_set_grid_parameters")) return;
    if (!input_grid || (int)product_context < 0 || (int)product_context >= (int)UF_DISP_NULL_GRID) return;
    const UF_DISP_grid_t& g = *input_grid;
    if (!(g.grid_unit_x > 0) || !(g.grid_unit_y > 0) || g.grid_line_every_x < 1 || g.grid_line_every_y < 1) return;
    drafting().grids[product_context] = g;
}

// Shows or hides the borders of member views on every drawing; 0, or NX's error code.
int UF_DRAW_set_border_display(logical border_display) {
    if (int rc = enter("UF_DRAW_set_border_display")) return rc;
    drafting().border_display = border_display != 0;
    return 0;
}

// Copies the drafting preferences and the radius and diameter symbols; 0, or NX's error code.
int UF_DRF_ask_preferences(int mpi[100], double mpr[70], char radius_value[27], char diameter_value[27]) {
    if (mpi) memset(mpi, 0, sizeof(int) * 100);
    if (mpr) memset(mpr, 0, sizeof(double) * 70);
    if (radius_value) radius_value[0] = '\0';
    if (diameter_value) diameter_value[0] = '\0';
    if (int rc = enter("UF_DRF_ask_preferences")) return rc;
    if (!mpi || !mpr || !radius_value || !diameter_value) return ERR_BAD_ARG;
    DraftingSettings& d = drafting();
    memcpy(mpi, d.mpi, sizeof d.mpi);
    memcpy(mpr, d.mpr, sizeof d.mpr);
    copy_out(radius_value, 27, d.radius_symbol);
    copy_out(diameter_value, 27, d.diameter_symbol);
    return 0;
}

// Keeps the drafting preferences as given, not interpreted; 0, or NX's error code.
int UF_DRF_set_preferences(int mpi[100], double mpr[70], char* radius_val, char* diameter_val) {
    if (int rc = enter("UF_DRF_set_preferences")) return rc;
    if (!mpi || !mpr || !radius_val || !diameter_val) return ERR_BAD_ARG;
    // The symbols hold at most six characters.
    if (strnlen(radius_val, 27) > 6 || strnlen(diameter_val, 27) > 6) return ERR_BAD_ARG;
    DraftingSettings& d = drafting();
    memcpy(d.mpi, mpi, sizeof d.mpi);
    memcpy(d.mpr, mpr, sizeof d.mpr);
    d.radius_symbol = radius_val;
    d.diameter_symbol = diameter_val;
    return 0;
}

// Sets an object's line width (-1, 0 to 2, or 5 to 13); 0, or NX's error code.
int UF_OBJ_set_line_width(tag_t object_id, int line_width) {
    if (int rc = enter("UF_OBJ_set_line_width")) return rc;
    Object* o = live_obj(object_id);
    if (!o || o->type == T_CATEGORY || o->type == T_DRAWING || o->type == T_VIEW || o->type == T_MATRIX)
        return ERR_BAD_TAG;
    bool known = line_width == UF_OBJ_WIDTH_ORIGINAL || (line_width >= UF_OBJ_WIDTH_NORMAL && line_width <= UF_OBJ_WIDTH_THIN) ||
                 (line_width >= UF_MIN_NEW_WIDTH && line_width <= UF_OBJ_WIDTH_9);
    if (!known) return ERR_BAD_ARG;
    o->line_width = line_width;
    return 0;
}

// Copies a part file's curves, notes and groups, placed, onto the shown drawing or into the model; 0, or NX's code (4 for grouping without `group`).
int UF_PART_import(const char* file_name, UF_import_part_modes_t* modes, double dest_csys[6], double dest_point[3],
                   double scale, tag_t* group) {
    if (group) *group = NULL_TAG;
    if (int rc = enter("UF_PART_import")) return rc;
    Session& s = S();
    Part* wp = work_part();
    if (!wp) return ERR_NO_WORK_PART;
    if (!file_name || !file_name[0] || !modes || !dest_csys || !dest_point) return ERR_BAD_ARG;
    Placement pl;
    if (!placement_of(dest_csys, dest_point, scale, &pl)) return ERR_BAD_ARG;
    if (modes->layer_mode < 0 || modes->layer_mode > 1 || modes->group_mode < 0 || modes->group_mode > 1)
        return ERR_BAD_ARG;
    if (modes->group_mode == IP_GROUP && !group) return ERR_BAD_ARG;  // nowhere to give the group: nothing copied
    // The file is read as a part of its own, copied, and discarded again.
    tag_t src = NULL_TAG;
    std::string err;
    tag_t work = wp->tag, display = s.display_part;
    if (load_part_file(to_utf8(file_name), &src, &err) != 0) {
        say(ERR_FILE_LOAD, "The part file cannot be read");
        return ERR_FILE_LOAD;
    }
    s.work_part = work;
    s.display_part = display;
    wp = part(work);
    // Onto the sheet shown, or into the model.
    tag_t onto = wp->tag == s.display_part ? current_drawing_of_work_part() : NULL_TAG;
    Importer im{pl, *wp, onto, modes->layer_mode, {}, {}};
    im.copy_part(*part(src));
    discard_part(src);
    if (modes->group_mode == IP_GROUP) *group = im.group().tag;
    return 0;
}

// Fills an object record with NX's defaults: no objects, the first end point; 0, or NX's error code.
int UF_DRF_init_object_structure(UF_DRF_object_p_t object) {
    if (object) memset(object, 0, sizeof *object);
    if (int rc = enter("UF_DRF_init_object_structure")) return rc;
    if (!object) return ERR_BAD_ARG;
    object->object_tag = NULL_TAG;
    object->object_view_tag = NULL_TAG;
    object->object_assoc_type = UF_DRF_end_point;
    object->object_assoc_modifier = UF_DRF_first_end_point;
    object->object2_tag = NULL_TAG;
    return 0;
}

// Makes an ordinate origin at an arc centre or end point in a member view; 0, or NX's error code.
int UF_DRF_create_ordorigin(UF_DRF_object_p_t object, int positive_quad_id, int arr_dim_line_display,
                            int origin_symbol_display, char* user_object_name, tag_t* origin_tag) {
    if (origin_tag) *origin_tag = NULL_TAG;
    if (int rc = enter("UF_DRF_create_ordorigin")) return rc;
    if (!object || !origin_tag) return ERR_BAD_ARG;
    if (positive_quad_id < 1 || positive_quad_id > 5 || arr_dim_line_display < 1 || arr_dim_line_display > 2 ||
        origin_symbol_display < 1 || origin_symbol_display > 2)
        return ERR_BAD_ARG;
    if (user_object_name && strlen(user_object_name) > UF_OBJ_NAME_LEN) return ERR_NAME_TOO_LONG;
    Ordinate ord;
    int rc = associate(*object, &ord);
    if (rc) return rc;
    ord.kind = Ordinate::Origin;
    ord.quadrant = positive_quad_id;
    ord.arrow_display = arr_dim_line_display;
    ord.symbol_display = origin_symbol_display;
    Object& o = new_sheet_object(ord.drawing, T_NOTE, SUB_ORD_ORIGIN);
    if (user_object_name) o.name = user_object_name;
    S().ordinates[o.tag] = ord;
    *origin_tag = o.tag;
    return 0;
}

// Makes a margin of an ordinate origin, along a line of its view or through a point, offset; 0, or NX's error code.
int UF_DRF_create_ordmargin(int margin_type, tag_t ordinate_origin_tag, UF_DRF_object_p_t object,
                            double margin_xy_point[3], double margin_xy_direction[2], double offset_distance,
                            tag_t* margin_tag) {
    if (margin_tag) *margin_tag = NULL_TAG;
    if (int rc = enter("UF_DRF_create_ordmargin")) return rc;
    if (!margin_tag || (margin_type != 1 && margin_type != 2)) return ERR_BAD_ARG;
    Ordinate* origin = live_ordinate(ordinate_origin_tag, Ordinate::Origin);
    if (!origin) return ERR_BAD_TAG;
    Ordinate ord;
    ord.kind = Ordinate::Margin;
    ord.margin_type = margin_type;
    ord.origin = ordinate_origin_tag;
    ord.offset = offset_distance;
    ord.drawing = origin->drawing;
    ord.view = origin->view;
    if (object && object->object_tag != NULL_TAG) {
        // Along a line of the origin's view, which must run the margin's way in the drawing.
        int rc = associate(*object, &ord);
        if (rc) return rc;
        if (ord.view != origin->view) return ERR_DRF_OBJECT;
        double seg[4];
        if (!line_in_view(ord.object, ord.view, seg)) return ERR_DRF_OBJECT;
        bool along = margin_type == 1 ? std::fabs(seg[1] - seg[3]) < 1e-4 : std::fabs(seg[0] - seg[2]) < 1e-4;
        if (!along) return ERR_DRF_OBJECT;
        ord.position = (margin_type == 1 ? seg[1] : seg[0]) + offset_distance;
    } else {
        // Through a drawing point: a horizontal margin at its y, a vertical one at its x.
        if (!margin_xy_point || !margin_xy_direction) return ERR_BAD_ARG;
        ord.position = (margin_type == 1 ? margin_xy_point[1] : margin_xy_point[0]) + offset_distance;
    }
    Object& o = new_sheet_object(ord.drawing, T_NOTE, SUB_ORD_MARGIN);
    S().ordinates[o.tag] = ord;
    *margin_tag = o.tag;
    return 0;
}

// Makes an ordinate dimension on a margin or origin, measured along the view's X or Y; 0, or NX's error code.
int UF_DRF_create_orddimension(tag_t margin_origin_tag, int dimension_type, UF_DRF_object_p_t object,
                               double dogleg_angle, double dogleg_distance, UF_DRF_text_t* drf_text,
                               int text_origin_flag, double origin_3d[3], tag_t* dimension_tag) {
    if (dimension_tag) *dimension_tag = NULL_TAG;
    if (int rc = enter("UF_DRF_create_orddimension")) return rc;
    if (!object || !dimension_tag || !origin_3d) return ERR_BAD_ARG;
    if (text_origin_flag != 1 && text_origin_flag != 2) return ERR_BAD_ARG;
    Ordinate* base = live_ordinate(margin_origin_tag, Ordinate::Margin);
    Ordinate* origin = base ? live_ordinate(base->origin, Ordinate::Origin) : live_ordinate(margin_origin_tag, Ordinate::Origin);
    if (!origin) return ERR_BAD_TAG;
    Ordinate ord;
    ord.kind = Ordinate::Dimension;
    if (base) {
        // The margin decides the direction: a horizontal margin carries horizontal dimensions.
        ord.margin = margin_origin_tag;
        ord.dim_type = base->margin_type;
    } else {
        if (dimension_type != 1 && dimension_type != 2) return ERR_BAD_ARG;
        ord.dim_type = dimension_type;
    }
    if (drf_text) {
        if (drf_text->lines_app_text < 0 || (drf_text->lines_app_text > 0 && !drf_text->appended_text)) return ERR_BAD_ARG;
        if (drf_text->user_dim_text) ord.user_text.assign(drf_text->user_dim_text, strnlen(drf_text->user_dim_text, 132));
        for (int i = 0; i < drf_text->lines_app_text; ++i)
            ord.appended.emplace_back(drf_text->appended_text[i], strnlen(drf_text->appended_text[i], 132));
    }
    int rc = associate(*object, &ord);
    if (rc) return rc;
    if (ord.view != origin->view) return ERR_DRF_OBJECT;
    ord.dogleg_angle = dogleg_angle;
    ord.dogleg_distance = dogleg_distance;
    ord.text_flag = text_origin_flag;
    for (int k = 0; k < 3; ++k) ord.text_origin[k] = origin_3d[k];
    // The value: the model distance from the origin's point along the view's X (horizontal) or
    // Y (vertical) axis.
    double from[3], to[3];
    if (!associated_point(*origin, from) || !associated_point(ord, to)) return ERR_DRF_OBJECT;
    const MemberView* v = member_view(ord.view);
    const int row = ord.dim_type == 1 ? 0 : 3;
    ord.value = 0;
    for (int k = 0; k < 3; ++k) ord.value += v->mtx[row + k] * (to[k] - from[k]);
    Object& o = new_sheet_object(ord.drawing, T_DIMENSION, ord.dim_type == 1 ? SUB_ORD_HORIZONTAL : SUB_ORD_VERTICAL);
    S().ordinates[o.tag] = ord;
    *dimension_tag = o.tag;
    return 0;
}

}  // extern "C"

namespace nxsim {

namespace {

const char* projection_name(int p) {
    return p == UF_DRAW_FIRST_ANGLE_PROJECTION ? "first angle" : p == UF_DRAW_THIRD_ANGLE_PROJECTION ? "third angle" : "none";
}

}  // namespace

void leave_drawing() {
    if (Part* p = display_part()) p->current_drawing = NULL_TAG;
}

// Writes what the sheet holds for readers: size, scale, units and projection (read back), and
// its views, the texts of its named notes and its ordinate dimensions (not read back).
void sheet_to_json(tag_t drawing, json& entry) {
    auto it = S().sheets.find(drawing);
    if (it == S().sheets.end()) return;
    const Sheet& sh = it->second;
    double size[2] = {sh.length, sh.height};
    entry["size"] = rounded(size, 2, 1e6);
    entry["scale"] = rounded(&sh.scale, 1, 1e6)[0];
    entry["units"] = sh.units == UF_PART_ENGLISH ? "english" : "metric";
    entry["projection"] = projection_name(sh.projection);
    json views = json::array();
    for (tag_t t : sh.views) {
        const Object* o = live_obj(t);
        const MemberView* v = member_view(t);
        if (!o || !v) continue;
        json j;
        j["name"] = to_utf8(o->name);
        if (const Object* mv = obj(v->model_view)) j["from"] = to_utf8(mv->name);
        if (const Object* pv = obj(v->parent)) j["projected_from"] = to_utf8(pv->name);
        j["scale"] = rounded(&v->scale, 1, 1e6)[0];
        j["reference_point"] = rounded(v->ref, 2, 1e6);
        double b[4];
        borders_of(*v, b);
        j["borders"] = rounded(b, 4, 1e4);
        if (v->own_layers) j["layers"] = layer_ranges(v->layers);
        if (v->prefs.hidden_line_font != UF_OBJ_FONT_DASHED) j["hidden_line_font"] = v->prefs.hidden_line_font;
        views.push_back(j);
    }
    if (!views.empty()) entry["views"] = views;
    json notes = json::object();
    json dims = json::array();
    int objects = 0;
    for (tag_t t : sh.objects) {
        const Object* o = live_obj(t);
        if (!o) continue;
        ++objects;
        if (o->type == T_NOTE && o->subtype == UF_draft_note_subtype) {
            auto a = o->attrs.find("NAME");
            if (a == o->attrs.end()) continue;
            std::string text;
            for (size_t i = 0; i < o->note.size(); ++i) text += (i ? "\n" : "") + o->note[i];
            notes[to_utf8(a->second.text)] = to_utf8(text);
        }
        auto od = S().ordinates.find(t);
        if (od != S().ordinates.end() && od->second.kind == Ordinate::Dimension) {
            const Ordinate& d = od->second;
            json j;
            const Object* v = obj(d.view);
            j["view"] = v ? to_utf8(v->name) : "";
            j["type"] = d.dim_type == 1 ? "horizontal" : "vertical";
            j["value"] = rounded(&d.value, 1, 1e4)[0];
            j["point"] = rounded(d.point, 2, 1e4);
            dims.push_back(j);
        }
    }
    entry["objects"] = objects;
    if (!notes.empty()) entry["notes"] = notes;
    if (!dims.empty()) entry["dimensions"] = dims;
}

bool sheet_from_json(tag_t drawing, const json& entry, const std::string& where, std::string* err) {
    // A drawing saved with its name alone gets its sheet when first needed.
    if (!entry.contains("size") && !entry.contains("scale") && !entry.contains("units") && !entry.contains("projection"))
        return true;
    Sheet& sh = sheet_of(drawing);
    auto bad = [&](const std::string& field, const std::string& what) {
        *err = where + "." + field + ": " + what;
        return false;
    };
    if (entry.contains("size")) {
        const json& s = entry["size"];
        if (!s.is_array() || s.size() != 2 || !s[0].is_number() || !s[1].is_number() || !(s[0].get<double>() > 0) ||
            !(s[1].get<double>() > 0))
            return bad("size", "expected [length, height], both positive");
        sh.length = s[0].get<double>();
        sh.height = s[1].get<double>();
    }
    if (entry.contains("scale")) {
        if (!entry["scale"].is_number() || !(entry["scale"].get<double>() > 0)) return bad("scale", "expected a positive number");
        sh.scale = entry["scale"].get<double>();
    }
    if (entry.contains("units")) {
        std::string u = entry["units"].is_string() ? entry["units"].get<std::string>() : "";
        if (u != "metric" && u != "english") return bad("units", "expected \"metric\" or \"english\"");
        sh.units = u == "english" ? UF_PART_ENGLISH : UF_PART_METRIC;
    }
    if (entry.contains("projection")) {
        std::string p = entry["projection"].is_string() ? entry["projection"].get<std::string>() : "";
        if (p == "first angle")
            sh.projection = UF_DRAW_FIRST_ANGLE_PROJECTION;
        else if (p == "third angle")
            sh.projection = UF_DRAW_THIRD_ANGLE_PROJECTION;
        else if (p == "none")
            sh.projection = UF_DRAW_NO_ANGLE_DATA;
        else
            return bad("projection", "expected \"first angle\", \"third angle\" or \"none\"");
    }
    return true;
}

}  // namespace nxsim
