// Member views of drawing sheets: views imported from model views and views projected from them,
// their scale, reference point, borders, layers and display preferences, and mapping model
// points onto the sheet.
//
// A member view shows the model along its orientation at its scale; the model point `anchor`
// lies on the sheet at the reference point. Updating a view finds the geometry it shows and puts
// the anchor at the middle of that geometry (in the view's axes), so a view stays centred on its
// reference point whatever its layers show. Under the view_keeps_anchor reading the anchor stays
// where the view was made with it (an imported view: its model view's centre; a projected one:
// its parent's anchor), and the borders NX reports carry a margin.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <map>
#include <memory>

#include "drafting.h"
#include "util.h"
#include "nxsim/nxsim.h"

using namespace nxsim;

namespace nxsim {

namespace {

const double kTiny = 1e-9;
// The margin round a view's borders under the view_keeps_anchor reading, in sheet units.
const double kBorderMargin = 5.0;

// A new view's display, as a drafting standard sets it: hidden lines removed and drawn dashed,
// smooth edges and silhouettes shown, visible edges of solids solid and black (colour 0 would
// take each body's own colour) in the bodies' widths.
UF_DRAW_view_prfs_t default_prefs() {
    UF_DRAW_view_prfs_t p;
    memset(&p, 0, sizeof p);
    p.hidden_line = UF_DRAW_hidden_line_removal_on;
    p.hidden_line_color = 216;
    p.hidden_line_font = UF_OBJ_FONT_DASHED;
    p.hidden_line_width = UF_OBJ_WIDTH_THIN;
    p.edge_hiding_edge = UF_DRAW_edge_hiding_on;
    p.smooth = UF_DRAW_smooth_on;
    p.tolerance = 0.01;
    p.silhouettes = UF_DRAW_silhouettes_on;
    p.smooth_edge_font = UF_OBJ_FONT_SOLID;
    p.virtual_intersect_font = UF_OBJ_FONT_DASHED;
    p.visible_line_color = 216;
    p.smooth_edge_color = 216;
    p.visible_line_font = UF_OBJ_FONT_SOLID;
    p.traceline_visible_font = UF_OBJ_FONT_SOLID;
    p.traceline_hidden_font = UF_OBJ_FONT_DASHED;
    return p;
}

// The next "@n" of the part's member view names.
int next_view_number(tag_t part_tag) { return ++S().member_view_numbers[part_tag]; }

Object& make_member_view(Object& drawing, const std::string& base) {
    Session& s = S();
    Object& o = new_unlisted_object(drawing.part, T_VIEW);
    tag_t t = o.tag;
    o.name = base + "@" + std::to_string(next_view_number(drawing.part));
    if (o.name.size() > UF_OBJ_NAME_LEN) o.name = "VIEW@" + std::to_string(next_view_number(drawing.part));
    sheet_of(drawing.tag).views.push_back(t);
    s.member_view_names[{drawing.part, upper_ascii(o.name)}] = t;
    MemberView& v = s.member_views[t];
    v.drawing = drawing.tag;
    v.prefs = default_prefs();
    return o;
}

// Finds the geometry the view shows and centres the anchor on it (under the view_keeps_anchor
// reading the anchor stays); a view that shows nothing keeps its anchor and has no extent.
void update(MemberView& v) {
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    bool any = false;
    auto take = [&](const double p[3]) {
        double q[3];
        to_axes(v.mtx.data(), p, q);
        for (int i = 0; i < 3; ++i) {
            if (!any || q[i] < lo[i]) lo[i] = q[i];
            if (!any || q[i] > hi[i]) hi[i] = q[i];
        }
        any = true;
    };
    for (const Object* o : view_objects(v)) {
        switch (o->type) {
            case T_POINT: take(o->p1.data()); break;
            case T_LINE:
                take(o->p1.data());
                take(o->p2.data());
                break;
            case T_ARC: {
                const int steps = 64;
                for (int k = 0; k <= steps; ++k) {
                    double p[3];
                    arc_point_abs(*o, o->a0 + (o->a1 - o->a0) * k / steps, p);
                    take(p);
                }
                break;
            }
            case T_SOLID: {
                double blo[3], bhi[3];
                const double zero[3] = {0, 0, 0};
                if (!geom_box_in_frame(o->shape, zero, v.mtx.data(), false, blo, bhi)) break;
                double c[3];
                for (int i = 0; i < 8; ++i) {
                    c[0] = i & 1 ? bhi[0] : blo[0];
                    c[1] = i & 2 ? bhi[1] : blo[1];
                    c[2] = i & 4 ? bhi[2] : blo[2];
                    // c is in view axes already: back to absolute for take().
                    double a[3];
                    from_axes(v.mtx.data(), c, a);
                    take(a);
                }
                break;
            }
        }
    }
    v.has_extent = any;
    if (!any) return;
    double mid[3];
    for (int i = 0; i < 3; ++i) mid[i] = (lo[i] + hi[i]) / 2;
    if (S().readings.view_keeps_anchor)
        to_axes(v.mtx.data(), v.anchor.data(), mid);
    else
        from_axes(v.mtx.data(), mid, v.anchor.data());
    v.extent[0] = lo[0] - mid[0];
    v.extent[1] = lo[1] - mid[1];
    v.extent[2] = hi[0] - mid[0];
    v.extent[3] = hi[1] - mid[1];
}

// The drawing a call names: the given one, or the current one for the null tag.
Object* drawing_or_current(tag_t t) {
    return live_drawing(t == NULL_TAG ? current_drawing_of_work_part() : t);
}

// 0 when d is the current drawing of the displayed part, else ERR_DRAW_NOT_CURRENT (for a null
// d too).
int require_current(const Object* d) {
    Part* p = d ? part(d->part) : nullptr;
    if (p && p->current_drawing == d->tag && S().display_part == p->tag) return 0;
    say(ERR_DRAW_NOT_CURRENT, "The drawing is not the current drawing");
    return ERR_DRAW_NOT_CURRENT;
}

// A member view of the displayed part by name (letter case ignored).
tag_t member_view_named(const char* name) {
    Part* p = display_part();
    if (!p || !name) return NULL_TAG;
    auto it = S().member_view_names.find({p->tag, upper_ascii(name)});
    if (it == S().member_view_names.end() || !member_view(it->second)) return NULL_TAG;
    return it->second;
}

// The part's model objects by layer, kept while no model object is made, moved or brought back
// by an undo (sheet objects are none of the model's): a view then looks only at the layers it
// shows instead of every object of the part.
struct LayerIndex {
    std::array<size_t, 3> key{};
    std::array<std::vector<tag_t>, 257> by_layer;
};

const std::array<std::vector<tag_t>, 257>& objects_by_layer(const Part& p) {
    std::shared_ptr<void>& holder = S().layer_index;
    if (!holder) holder = std::make_shared<std::map<tag_t, LayerIndex>>();
    LayerIndex& index = (*static_cast<std::map<tag_t, LayerIndex>*>(holder.get()))[p.tag];
    std::array<size_t, 3> key = {p.order.size(), (size_t)call_count("UF_OBJ_set_layer"),
                                 (size_t)call_count("UF_UNDO_undo_to_mark")};
    if (index.key == key && key[0] != 0) return index.by_layer;
    index.key = key;
    for (auto& l : index.by_layer) l.clear();
    for (int type : {T_POINT, T_LINE, T_ARC, T_SOLID}) {
        auto bt = p.by_type.find(type);
        if (bt == p.by_type.end()) continue;
        for (tag_t t : bt->second) {
            const Object* o = peek(t);
            // A sheet's objects belong to that sheet alone: no member view shows them.
            if (o && !o->sheet && o->layer >= 1 && o->layer <= 256) index.by_layer[o->layer].push_back(t);
        }
    }
    return index.by_layer;
}

// The orientation of a view projected from a parent with orientation m, placed in direction dir
// (1 above, 2 right, 3 below, 4 left). Third angle: the new view looks from the side it is placed
// on; first angle: from the opposite side.
std::array<double, 9> projected(const std::array<double, 9>& m, int dir, bool first_angle) {
    const double* px = &m[0];
    const double* py = &m[3];
    double u[3];
    for (int k = 0; k < 3; ++k) {
        switch (dir) {
            case 1: u[k] = py[k]; break;
            case 2: u[k] = px[k]; break;
            case 3: u[k] = -py[k]; break;
            default: u[k] = -px[k]; break;
        }
        if (first_angle) u[k] = -u[k];
    }
    auto cross = [](const double a[3], const double b[3], double out[3]) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    double x[3], y[3];
    if (dir == 1 || dir == 3) {
        // Above or below: the sheet's horizontal axis is shared.
        for (int k = 0; k < 3; ++k) x[k] = px[k];
        cross(u, x, y);
    } else {
        for (int k = 0; k < 3; ++k) y[k] = py[k];
        cross(y, u, x);
    }
    return {x[0], x[1], x[2], y[0], y[1], y[2], u[0], u[1], u[2]};
}

}  // namespace

MemberView* member_view(tag_t view) {
    Object* o = live_obj(view);
    if (!o || o->type != T_VIEW) return nullptr;
    auto it = S().member_views.find(view);
    return it == S().member_views.end() ? nullptr : &it->second;
}

Ordinate* live_ordinate(tag_t t, Ordinate::Kind kind) {
    Object* o = live_obj(t);
    if (!o) return nullptr;
    auto it = S().ordinates.find(t);
    return it == S().ordinates.end() || it->second.kind != kind ? nullptr : &it->second;
}

std::vector<const Object*> view_objects(const MemberView& v) {
    std::vector<const Object*> out;
    const Object* d = obj(v.drawing);
    const Part* p = d ? part(d->part) : nullptr;
    if (!p) return out;
    const auto& by_layer = objects_by_layer(*p);
    for (int layer = 1; layer <= 256; ++layer) {
        bool shown = v.own_layers ? v.layers[layer - 1] != 0 : p->layer_status[layer] != UF_LAYER_INACTIVE_LAYER;
        if (!shown) continue;
        for (tag_t t : by_layer[layer]) {
            const Object* o = obj(t);
            // The index may be older than a deletion or a blanking: the object decides.
            if (!o || !o->alive || o->temporary || o->blank || o->layer != layer) continue;
            if (o->type == T_SOLID && o->subtype != 0) continue;
            out.push_back(o);
        }
    }
    std::sort(out.begin(), out.end(), [](const Object* a, const Object* b) { return a->tag < b->tag; });
    return out;
}

void borders_of(const MemberView& v, double out[4]) {
    for (int i = 0; i < 4; ++i) out[i] = v.ref[i % 2] + (v.has_extent ? v.scale * v.extent[i] : 0);
}

void view_to_drawing(const MemberView& v, const double model[3], double out[2]) {
    double d[3] = {model[0] - v.anchor[0], model[1] - v.anchor[1], model[2] - v.anchor[2]};
    double q[3];
    to_axes(v.mtx.data(), d, q);
    out[0] = v.ref[0] + v.scale * q[0];
    out[1] = v.ref[1] + v.scale * q[1];
}

void arc_point_abs(const Object& arc, double a, double out[3]) {
    const Object* m = obj(arc.matrix);
    double local[3] = {arc.p1[0] + arc.radius * std::cos(a), arc.p1[1] + arc.radius * std::sin(a), arc.p1[2]};
    if (m)
        from_axes(m->mtx.data(), local, out);
    else
        for (int k = 0; k < 3; ++k) out[k] = local[k];
}

void arc_centre_abs(const Object& arc, double out[3]) {
    const Object* m = obj(arc.matrix);
    if (m)
        from_axes(m->mtx.data(), arc.p1.data(), out);
    else
        for (int k = 0; k < 3; ++k) out[k] = arc.p1[k];
}

bool line_in_view(tag_t line, tag_t view, double out[4]) {
    const Object* o = live_obj(line);
    const MemberView* v = member_view(view);
    if (!o || !v || o->type != T_LINE) return false;
    view_to_drawing(*v, o->p1.data(), out);
    view_to_drawing(*v, o->p2.data(), out + 2);
    return true;
}

int associate(const UF_DRF_object_t& rec, Ordinate* ord) {
    MemberView* v = member_view(rec.object_view_tag);
    if (!v) {
        say(ERR_DRAW_NOT_MEMBER, "The object is not in a member view");
        return ERR_DRAW_NOT_MEMBER;
    }
    Object* d = live_drawing(v->drawing);
    if (int rc = require_current(d)) return rc;
    Object* o = live_obj(rec.object_tag);
    if (!o || o->sheet || o->part != d->part) return ERR_BAD_TAG;
    bool ok = (rec.object_assoc_type == UF_DRF_arc_center && o->type == T_ARC) ||
              (rec.object_assoc_type == UF_DRF_end_point && (o->type == T_LINE || o->type == T_ARC));
    // An end point is the first or the last: NX has no default end.
    if (ok && rec.object_assoc_type == UF_DRF_end_point && rec.object_assoc_modifier != UF_DRF_first_end_point &&
        rec.object_assoc_modifier != UF_DRF_last_end_point) {
        say(ERR_DRF_MODIFIER, "Invalid associativity modifier for an end point");
        return ERR_DRF_MODIFIER;
    }
    if (!ok || rec.object_assoc_modifier < 0 || rec.object_assoc_modifier > 2) {
        say(ERR_DRF_OBJECT, "The object cannot be associated that way");
        return ERR_DRF_OBJECT;
    }
    ord->drawing = v->drawing;
    ord->view = rec.object_view_tag;
    ord->object = rec.object_tag;
    ord->assoc = rec.object_assoc_type;
    ord->modifier = rec.object_assoc_modifier;
    double p[3];
    associated_point(*ord, p);
    view_to_drawing(*v, p, ord->point);
    return 0;
}

bool associated_point(const Ordinate& ord, double out[3]) {
    const Object* o = live_obj(ord.object);
    if (!o) return false;
    if (ord.assoc == UF_DRF_arc_center) {
        arc_centre_abs(*o, out);
        return true;
    }
    // End points: modifier 1 the first, 2 the last (associate refuses any other).
    if (o->type == T_LINE) {
        const auto& p = ord.modifier == UF_DRF_last_end_point ? o->p2 : o->p1;
        for (int k = 0; k < 3; ++k) out[k] = p[k];
        return true;
    }
    arc_point_abs(*o, ord.modifier == UF_DRF_last_end_point ? o->a1 : o->a0, out);
    return true;
}

}  // namespace nxsim

extern "C" {

// Fills the view record with NX's defaults; void in NX. Host's choice: a failure leaves the record as it was.
void UF_DRAW_initialize_view_info(UF_DRAW_view_info_t* view_info) {
    if (enter("UF_DRAW_initialize_view_info") || !view_info) return;
    memset(view_info, 0, sizeof *view_info);
    view_info->view_status = UF_DRAW_ACTIVE_VIEW;
    view_info->anchor_point = NULL_TAG;
    view_info->view_scale = 1.0;
    view_info->use_ref_pt = false;
    view_info->clean_model_view = false;
    view_info->inherit_boundary = false;
    view_info->transfer_annotation = true;
    view_info->inherit_pmi = false;
}

// Places a model view of the drawing's part on the shown drawing; 0, or NX's error code. From
// NX12 the view's part must be named in model_name ("must not be NULL or empty"); before, it may
// be empty.
int UF_DRAW_import_view(const tag_t drawing_tag, const tag_t view_tag, double dwg_reference_point[2],
                        UF_DRAW_view_info_t* view_info, tag_t* draw_view_tag) {
    if (draw_view_tag) *draw_view_tag = NULL_TAG;
    if (int rc = enter("UF_DRAW_import_view")) return rc;
    if (!dwg_reference_point || !view_info || !draw_view_tag) return ERR_BAD_ARG;
    Object* d = live_drawing(drawing_tag);
    if (!d) return ERR_BAD_TAG;
    if (int rc = require_current(d)) return rc;
    // A model view of the drawing's part (member views are not model views).
    Object* mv = live_obj(view_tag);
    Part* p = part(d->part);
    bool model_view = false;
    if (mv && mv->type == T_VIEW && p)
        for (tag_t t : p->views) model_view = model_view || t == view_tag;
    if (!model_view) return ERR_BAD_TAG;
    if (S().nx_release >= 12 && view_info->model_name[0] == '\0') return ERR_BAD_ARG;
    if (!(view_info->view_scale > 0)) return ERR_BAD_ARG;
    if (view_info->view_status != UF_DRAW_ACTIVE_VIEW && view_info->view_status != UF_DRAW_REFERENCE_VIEW)
        return ERR_BAD_ARG;
    Object& o = make_member_view(*d, mv->name);
    MemberView& v = S().member_views[o.tag];
    v.model_view = view_tag;
    v.mtx = mv->saved.mtx;
    v.anchor = mv->saved.centre;
    v.scale = view_info->view_scale;
    v.ref[0] = dwg_reference_point[0];
    v.ref[1] = dwg_reference_point[1];
    update(v);
    *draw_view_tag = o.tag;
    return 0;
}

// Places a view projected from a member view in the drawing's projection angle; 0, or NX's error code.
int UF_DRAW_add_orthographic_view(const tag_t drawing_tag, const tag_t parent_view_tag,
                                  const UF_DRAW_proj_dir_t projection_direction, double dwg_reference_point[2],
                                  tag_t* ortho_view_tag) {
    if (ortho_view_tag) *ortho_view_tag = NULL_TAG;
    if (int rc = enter("UF_DRAW_add_orthographic_view")) return rc;
    if (!dwg_reference_point || !ortho_view_tag) return ERR_BAD_ARG;
    Object* d = live_drawing(drawing_tag);
    if (!d) return ERR_BAD_TAG;
    if (int rc = require_current(d)) return rc;
    MemberView* parent = member_view(parent_view_tag);
    if (!parent || parent->drawing != drawing_tag) {
        say(ERR_DRAW_NOT_MEMBER, "The parent is not a member view of the drawing");
        return ERR_DRAW_NOT_MEMBER;
    }
    int dir = (int)projection_direction;
    if (dir < 0 || dir > 4) return ERR_BAD_ARG;
    if (dir == UF_DRAW_project_infer) {
        // From where the new view lies relative to its parent's reference point.
        double dx = dwg_reference_point[0] - parent->ref[0];
        double dy = dwg_reference_point[1] - parent->ref[1];
        if (std::fabs(dx) < kTiny && std::fabs(dy) < kTiny) {
            say(ERR_DRAW_NO_DIRECTION, "The projection direction cannot be inferred");
            return ERR_DRAW_NO_DIRECTION;
        }
        if (std::fabs(dx) > std::fabs(dy))
            dir = dx > 0 ? UF_DRAW_project_right : UF_DRAW_project_left;
        else
            dir = dy > 0 ? UF_DRAW_project_above : UF_DRAW_project_below;
    }
    bool first_angle = sheet_of(drawing_tag).projection == UF_DRAW_FIRST_ANGLE_PROJECTION;
    std::array<double, 9> m = projected(parent->mtx, dir, first_angle);
    UF_DRAW_view_prfs_t prefs = parent->prefs;
    double scale = parent->scale;
    std::array<double, 3> anchor = parent->anchor;
    Object& o = make_member_view(*d, "ORTHO");
    MemberView& v = S().member_views[o.tag];
    v.parent = parent_view_tag;
    v.mtx = m;
    v.anchor = anchor;
    v.scale = scale;
    v.prefs = prefs;
    v.ref[0] = dwg_reference_point[0];
    v.ref[1] = dwg_reference_point[1];
    update(v);
    *ortho_view_tag = o.tag;
    return 0;
}

// Finds again what a member view shows and centres it on its reference point (under the
// view_keeps_anchor reading the anchor stays: NX leaves open whether an update re-centres); 0, or NX's error code.
int UF_DRAW_update_one_view(tag_t drawing_tag, tag_t view_tag) {
    if (int rc = enter("UF_DRAW_update_one_view")) return rc;
    Object* d = drawing_or_current(drawing_tag);
    if (!d) return ERR_BAD_TAG;
    MemberView* v = member_view(view_tag);
    if (!v || v->drawing != d->tag) {
        say(ERR_DRAW_NOT_MEMBER, "Not a member view of the drawing");
        return ERR_DRAW_NOT_MEMBER;
    }
    update(*v);
    return 0;
}

// A member view's borders on the sheet: the extent of what it shows, with a margin of 5 each way
// under the view_keeps_anchor reading (NX leaves the margin undocumented); the null tag means the
// work view; 0, or NX's error code. Host's choice: with a drawing shown the work view is the
// sheet's own, bordered by the sheet; with none it is a model view, which has no borders.
int UF_DRAW_ask_view_borders(const tag_t view_tag, double view_borders[4]) {
    if (view_borders)
        for (int i = 0; i < 4; ++i) view_borders[i] = 0;
    if (int rc = enter("UF_DRAW_ask_view_borders")) return rc;
    if (!view_borders) return ERR_BAD_ARG;
    if (view_tag == NULL_TAG) {
        Object* d = drawing_or_current(NULL_TAG);
        if (!d) return ERR_DRAW_NOT_MEMBER;
        const Sheet& sh = sheet_of(d->tag);
        view_borders[2] = sh.length;
        view_borders[3] = sh.height;
        return 0;
    }
    MemberView* v = member_view(view_tag);
    if (!v) return ERR_DRAW_NOT_MEMBER;
    borders_of(*v, view_borders);
    if (S().readings.view_keeps_anchor)
        for (int i = 0; i < 4; ++i) view_borders[i] += i < 2 ? -kBorderMargin : kBorderMargin;
    return 0;
}

// A member view's scale, with no expression (the null tag); 0, or NX's error code.
int UF_DRAW_ask_view_scale(tag_t view_tag, tag_t* exp_tag, double* scale_value) {
    if (exp_tag) *exp_tag = NULL_TAG;
    if (scale_value) *scale_value = 0;
    if (int rc = enter("UF_DRAW_ask_view_scale")) return rc;
    if (!scale_value) return ERR_BAD_ARG;
    MemberView* v = member_view(view_tag);
    if (!v) return ERR_DRAW_NOT_MEMBER;
    *scale_value = v->scale;
    return 0;
}

// Sets a member view's scale (positive and finite); 0, or NX's error code.
int UF_DRAW_set_view_scale(tag_t view_tag, double scale) {
    if (int rc = enter("UF_DRAW_set_view_scale")) return rc;
    MemberView* v = member_view(view_tag);
    if (!v) return ERR_DRAW_NOT_MEMBER;
    if (!(scale > 0) || !std::isfinite(scale)) return ERR_BAD_ARG;
    v->scale = scale;
    return 0;
}

// Moves a member view's reference point on the sheet (the null tag: the work view); 0, or NX's
// error code. Host's choice: the sheet's own view, the work view while a drawing is shown, has
// no reference point that anything follows: the call is taken and changes nothing.
int UF_DRAW_set_drawing_ref_pt(const tag_t drawing_tag, const tag_t view_tag, const double reference_pt[2]) {
    if (int rc = enter("UF_DRAW_set_drawing_ref_pt")) return rc;
    if (!reference_pt) return ERR_BAD_ARG;
    Object* d = drawing_or_current(drawing_tag);
    if (!d) return ERR_BAD_TAG;
    if (view_tag == NULL_TAG) return 0;
    MemberView* v = member_view(view_tag);
    if (!v || v->drawing != d->tag) return ERR_DRAW_NOT_MEMBER;
    v->ref[0] = reference_pt[0];
    v->ref[1] = reference_pt[1];
    return 0;
}

// Copies a member view's display preferences; 0, or NX's error code.
int UF_DRAW_ask_view_display(tag_t view_tag, UF_DRAW_view_prfs_t* view_parms) {
    if (view_parms) memset(view_parms, 0, sizeof *view_parms);
    if (int rc = enter("UF_DRAW_ask_view_display")) return rc;
    if (!view_parms) return ERR_BAD_ARG;
    MemberView* v = member_view(view_tag);
    if (!v) return ERR_DRAW_NOT_MEMBER;
    *view_parms = v->prefs;
    return 0;
}

// Sets a member view's display preferences (fonts 0 to 7, hidden lines 0 or 1); 0, or NX's error code.
int UF_DRAW_set_view_display(tag_t view_tag, UF_DRAW_view_prfs_t* view_parms) {
    if (int rc = enter("UF_DRAW_set_view_display")) return rc;
    if (!view_parms) return ERR_BAD_ARG;
    MemberView* v = member_view(view_tag);
    if (!v) return ERR_DRAW_NOT_MEMBER;
    const UF_DRAW_view_prfs_t& p = *view_parms;
    auto font_ok = [](int f) { return f >= UF_OBJ_FONT_INVISIBLE && f <= UF_OBJ_FONT_DOTTED_DASHED; };
    if ((int)p.hidden_line < 0 || (int)p.hidden_line > 1 || !font_ok(p.hidden_line_font) ||
        !font_ok(p.visible_line_font) || !font_ok(p.smooth_edge_font))
        return ERR_BAD_ARG;
    v->prefs = p;
    return 0;
}

// Gives a member view a layer table of its own (option 2) or the model's again (1); 0, or NX's code.
int uc6447(char* cp1, int ip2, int* ip3) {
    if (int rc = enter("uc6447")) return rc;
    if (!cp1 || !cp1[0] || strlen(cp1) > UF_OBJ_NAME_LEN + 8) return 2;
    tag_t t = member_view_named(cp1);
    MemberView* v = member_view(t);
    if (!v) return 1;
    if (ip2 == 1) {
        v->own_layers = false;  // back to the part's layer settings
        return 0;
    }
    if (ip2 != 2 || !ip3) return ERR_BAD_ARG;
    for (int i = 0; i < 256; ++i)
        if (ip3[i] != 0 && ip3[i] != 1) return 31;
    for (int i = 0; i < 256; ++i) v->layers[i] = (unsigned char)ip3[i];
    v->own_layers = true;
    return 0;
}

// The drawing point of a model point seen through a member view; 0, or NX's error code.
int UF_VIEW_map_model_to_drawing(tag_t member_view_tag, double model_pt[3], double map_pt[2]) {
    if (map_pt) map_pt[0] = map_pt[1] = 0;
    if (int rc = enter("UF_VIEW_map_model_to_drawing")) return rc;
    if (!model_pt || !map_pt) return ERR_BAD_ARG;
    MemberView* v = member_view(member_view_tag);
    if (!v) return ERR_DRAW_NOT_MEMBER;
    view_to_drawing(*v, model_pt, map_pt);
    return 0;
}

}  // extern "C"
