// Model views of the display part: NX's standard views, saved views, the current layout and its
// work view; reading, orienting, fitting, saving, replacing and deleting views.
//
// A view has a saved state (what the part stores) and a shown state (what the layout displays,
// with the user's modifications). A view that leaves the layout drops its modifications.
#include <cmath>
#include <cstring>

#include "util.h"

using namespace nxsim;

namespace {

// uc64xx results (NX's numbering).
enum ViewRc {
    V_OK = 0,
    V_MISSING = 1,
    V_BAD_NAME = 2,
    V_CANNED = 3,
    V_SHOWN_ALREADY = 3,  // uc6464: the new view is already in the layout (host's choice)
    V_WORK_VIEW = 4,
    V_EXISTS = 4,
    V_DRAWING_VIEW = 5,
    V_IN_LAYOUT = 6,
    V_NOT_ACTIVE = 9,
    V_DRAWING_SHOWN = 11,
};

// UF_VIEW_ask_tag_of_view_name for a name no view has.
const int ERR_VIEW_NOT_FOUND = 1205001;

struct Canned {
    const char* name;
    double m[9];
};

// NX's standard views: rows are the view's X (right), Y (up) and Z (towards the viewer).
const double kIsoA = 0.70710678118654752;
const double kIsoB = 0.40824829046386302;
const double kIsoC = 0.81649658092772603;
const double kIsoD = 0.57735026918962576;
const Canned kCanned[] = {
    {"TOP", {1, 0, 0, 0, 1, 0, 0, 0, 1}},
    {"FRONT", {1, 0, 0, 0, 0, 1, 0, -1, 0}},
    {"RIGHT", {0, 1, 0, 0, 0, 1, 1, 0, 0}},
    {"BACK", {-1, 0, 0, 0, 0, 1, 0, 1, 0}},
    {"BOTTOM", {1, 0, 0, 0, -1, 0, 0, 0, -1}},
    {"LEFT", {0, -1, 0, 0, 0, 1, -1, 0, 0}},
    {"TFR-ISO", {kIsoA, kIsoA, 0, -kIsoB, kIsoB, kIsoC, kIsoD, -kIsoD, kIsoD}},
    // Trimetric: the isometric turned so that the three axes are foreshortened unequally.
    {"TFR-TRI", {0.86602540378443865, 0.5, 0, -0.21130913087034974, 0.36599815077066683,
                 0.90630778703664994, 0.45315389351832497, -0.78488556722554225,
                 0.42261826174069944}},
};

// The graphics window a fitted view fills (part units at scale 1), and the share it fills.
const double kWindowWidth = 400, kWindowHeight = 300, kFitShare = 0.9;

const size_t kViewNameMax = 30;

Object& make_view(Part& p, const std::string& name) {
    Object& o = new_unlisted_object(p.tag, T_VIEW);
    o.name = name;
    p.views.push_back(o.tag);
    return o;
}

bool valid_new_name(const char* name) {
    if (!name || !name[0]) return false;
    size_t n = strlen(name);
    if (n > kViewNameMax) return false;
    for (size_t i = 0; i < n; ++i)
        if (name[i] == '@' || name[i] == ' ') return false;
    return true;
}

// The view of that name (letter case ignored), the work view for the empty text. *rc tells why
// there is none.
Object* find_view(Part& p, const char* name, int* rc) {
    *rc = V_OK;
    if (!name) {
        *rc = V_BAD_NAME;
        return nullptr;
    }
    if (!name[0]) {
        Object* w = live_obj(p.work_view);
        if (!w) *rc = V_MISSING;
        return w;
    }
    if (strlen(name) > kViewNameMax + 8) {  // room for a member view's "@n"
        *rc = V_BAD_NAME;
        return nullptr;
    }
    std::string want = upper_ascii(name);
    for (tag_t t : p.views) {
        Object* o = live_obj(t);
        if (o && upper_ascii(o->name) == want) return o;
    }
    *rc = V_MISSING;
    return nullptr;
}

bool in_layout(const Part& p, tag_t view) {
    for (tag_t t : p.layout)
        if (t == view) return true;
    return false;
}

// Grows lo/hi by an absolute point seen through the view matrix.
void take(const std::array<double, 9>& m, const double p[3], double lo[3], double hi[3], bool* any) {
    double v[3];
    to_axes(m.data(), p, v);
    for (int i = 0; i < 3; ++i) {
        if (!*any || v[i] < lo[i]) lo[i] = v[i];
        if (!*any || v[i] > hi[i]) hi[i] = v[i];
    }
    *any = true;
}

// Extent of the visible geometry (not blanked, on a layer that is not invisible) in view axes.
bool visible_extent(Part& p, const std::array<double, 9>& m, double lo[3], double hi[3]) {
    bool any = false;
    const double zero[3] = {0, 0, 0};
    for (tag_t t : p.order) {
        const Object* o = peek_live(t);
        if (!o || o->temporary || o->blank || o->sheet) continue;  // a sheet's objects are not the model's
        if (o->layer < 1 || o->layer > 256 || p.layer_status[o->layer] == UF_LAYER_INACTIVE_LAYER) continue;
        switch (o->type) {
            case T_POINT: take(m, o->p1.data(), lo, hi, &any); break;
            case T_LINE:
                take(m, o->p1.data(), lo, hi, &any);
                take(m, o->p2.data(), lo, hi, &any);
                break;
            case T_ARC: {
                const Object* mo = peek_live(o->matrix);
                if (!mo) break;
                const int steps = 32;
                for (int k = 0; k <= steps; ++k) {
                    double a = o->a0 + (o->a1 - o->a0) * k / steps;
                    double local[3] = {o->p1[0] + o->radius * std::cos(a), o->p1[1] + o->radius * std::sin(a),
                                       o->p1[2]};
                    double abs[3];
                    from_axes(mo->mtx.data(), local, abs);
                    take(m, abs, lo, hi, &any);
                }
                break;
            }
            case T_SOLID: {
                double blo[3], bhi[3];
                if (!geom_box_in_frame(o->shape, zero, m.data(), false, blo, bhi)) break;
                // The box corners in view axes are the box itself: merge directly.
                for (int i = 0; i < 3; ++i) {
                    if (!any || blo[i] < lo[i]) lo[i] = blo[i];
                    if (!any || bhi[i] > hi[i]) hi[i] = bhi[i];
                }
                any = true;
                break;
            }
        }
    }
    return any;
}

void fit(Part& p, Object& v) {
    double lo[3], hi[3];
    if (!visible_extent(p, v.shown.mtx, lo, hi)) return;  // nothing to show: the view stays
    double mid[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
    from_axes(v.shown.mtx.data(), mid, v.shown.centre.data());
    double w = hi[0] - lo[0], h = hi[1] - lo[1];
    double sx = w > 1e-9 ? kFitShare * kWindowWidth / w : 0;
    double sy = h > 1e-9 ? kFitShare * kWindowHeight / h : 0;
    double sc = sx && sy ? std::min(sx, sy) : (sx ? sx : sy);
    if (sc > 0) v.shown.scale = sc;
}

// Sets the shown orientation from rows x and y (z = x × y); false when they do not span a plane.
bool orient_from(const double x[3], const double y[3], std::array<double, 9>& m) {
    double lx = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    if (lx < 1e-12) return false;
    double ux[3] = {x[0] / lx, x[1] / lx, x[2] / lx};
    double d = ux[0] * y[0] + ux[1] * y[1] + ux[2] * y[2];
    double uy[3] = {y[0] - d * ux[0], y[1] - d * ux[1], y[2] - d * ux[2]};
    double ly = std::sqrt(uy[0] * uy[0] + uy[1] * uy[1] + uy[2] * uy[2]);
    if (ly < 1e-9) return false;
    for (double& c : uy) c /= ly;
    double uz[3] = {ux[1] * uy[2] - ux[2] * uy[1], ux[2] * uy[0] - ux[0] * uy[2], ux[0] * uy[1] - ux[1] * uy[0]};
    for (int i = 0; i < 3; ++i) {
        m[i] = ux[i];
        m[3 + i] = uy[i];
        m[6 + i] = uz[i];
    }
    return true;
}

bool read_reals(const json& j, size_t n, double* out) {
    if (!j.is_array() || j.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (!j[i].is_number()) return false;
        out[i] = j[i].get<double>();
    }
    return true;
}

bool default_layout(const Part& p) {
    if (p.layout_name != "L1" || p.layout.size() != 1 || p.layout[0] != p.work_view) return false;
    // What the views show is not kept in the file, only which views the layout holds.
    const Object* w = obj(p.work_view);
    return w && w->name == "TOP";
}

// The display part and the named view of its current layout, for the calls that change a view:
// 0, or the code such a call returns (no part, a drawing shown, no such view, not in the layout).
int view_to_change(const char* name, Part** p, Object** v) {
    *p = display_part();
    *v = nullptr;
    if (!*p) return ERR_NO_WORK_PART;
    if ((*p)->current_drawing) return V_DRAWING_SHOWN;
    ensure_views(**p);
    int rc = 0;
    *v = find_view(**p, name, &rc);
    if (!*v) return rc;
    if (!in_layout(**p, (*v)->tag)) return V_NOT_ACTIVE;
    return 0;
}

// Makes the saved view entry j of a part file (at `where`) a view of the part; false with *err.
bool saved_view_from_json(Part& p, const json& j, const std::string& w, std::string* err) {
    if (!j.is_object() || !j.contains("name") || !j["name"].is_string()) {
        *err = w + ".name: expected a text";
        return false;
    }
    std::string name = upper_ascii(to_gbk(j["name"].get<std::string>()));
    if (!valid_new_name(name.c_str())) {
        *err = w + ".name: expected 1 to 30 characters without '@' or spaces";
        return false;
    }
    int rc = 0;
    if (find_view(p, name.c_str(), &rc)) {
        *err = w + ".name: a second view " + j["name"].get<std::string>();
        return false;
    }
    ViewState st;
    if (!read_reals(j.value("matrix", json()), 9, st.mtx.data()) || !orthonormal(st.mtx.data())) {
        *err = w + ".matrix: expected 9 numbers whose rows are orthonormal";
        return false;
    }
    if (j.contains("scale") && (!j["scale"].is_number() || j["scale"].get<double>() <= 0)) {
        *err = w + ".scale: expected a positive number";
        return false;
    }
    st.scale = j.value("scale", 1.0);
    if (j.contains("centre") && !read_reals(j["centre"], 3, st.centre.data())) {
        *err = w + ".centre: expected an array of 3 numbers";
        return false;
    }
    Object& v = make_view(p, name);
    v.saved = st;
    v.shown = st;
    return true;
}

// Makes the layout entry l of a part file (at `where`) the part's layout: its name, its views
// by name (each once) and its work view, the first unless named; false with *err.
bool layout_from_json(Part& p, const json& l, const std::string& w, std::string* err) {
    if (!l.is_object() || !l.contains("views") || !l["views"].is_array() || l["views"].empty()) {
        *err = w + ".views: expected a non-empty array of view names";
        return false;
    }
    if (l.contains("name")) {
        if (!l["name"].is_string() || l["name"].get<std::string>().empty()) {
            *err = w + ".name: expected a text";
            return false;
        }
        p.layout_name = to_gbk(l["name"].get<std::string>());
    }
    std::vector<tag_t> views;
    for (size_t i = 0; i < l["views"].size(); ++i) {
        const json& n = l["views"][i];
        int rc = 0;
        Object* v = n.is_string() && !n.get<std::string>().empty()
                        ? find_view(p, to_gbk(n.get<std::string>()).c_str(), &rc)
                        : nullptr;
        if (!v) {
            *err = w + ".views[" + std::to_string(i) + "]: no view of that name";
            return false;
        }
        for (tag_t t : views)
            if (t == v->tag) {
                *err = w + ".views[" + std::to_string(i) + "]: the view is in the layout twice";
                return false;
            }
        views.push_back(v->tag);
    }
    tag_t work = views.front();
    if (l.contains("work_view")) {
        int rc = 0;
        Object* v = l["work_view"].is_string() ? find_view(p, to_gbk(l["work_view"].get<std::string>()).c_str(), &rc)
                                               : nullptr;
        bool listed = false;
        for (tag_t t : views) listed = listed || (v && t == v->tag);
        if (!listed) {
            *err = w + ".work_view: expected the name of a view of the layout";
            return false;
        }
        work = v->tag;
    }
    p.layout = views;
    p.work_view = work;
    return true;
}

}  // namespace

namespace nxsim {

void ensure_views(Part& p) {
    if (!p.views.empty()) return;
    for (const Canned& c : kCanned) {
        Object& v = make_view(p, c.name);
        v.canned = true;
        for (int i = 0; i < 9; ++i) v.saved.mtx[i] = c.m[i];
        v.shown = v.saved;
    }
    // A part starts with one layout of a single view, TOP, which is the work view.
    p.layout_name = "L1";
    p.layout = {p.views.front()};
    p.work_view = p.views.front();
}

int fit_view(const char* name, int mode) {
    Part* p = display_part();
    if (!p) return ERR_NO_WORK_PART;
    if (mode != 1 && mode != 2) return ERR_BAD_ARG;
    if (p->current_drawing) return V_OK;  // fitting the drawing is the drawing's business
    ensure_views(*p);
    if (mode == 2) {
        for (tag_t t : p->layout)
            if (Object* v = live_obj(t)) fit(*p, *v);
        return V_OK;
    }
    int rc = V_OK;
    Object* v = find_view(*p, name, &rc);
    if (!v) return rc;
    if (!in_layout(*p, v->tag)) return V_NOT_ACTIVE;
    fit(*p, *v);
    return V_OK;
}

bool views_from_json(Part& p, const json& doc, const std::string& file, std::string* err) {
    if (!doc.contains("views") && !doc.contains("layout")) return true;
    ensure_views(p);
    if (doc.contains("views")) {
        const json& vs = doc["views"];
        if (!vs.is_array()) {
            *err = file + ": views: expected an array";
            return false;
        }
        for (size_t i = 0; i < vs.size(); ++i)
            if (!saved_view_from_json(p, vs[i], file + ": views[" + std::to_string(i) + "]", err)) return false;
    }
    return !doc.contains("layout") || layout_from_json(p, doc["layout"], file + ": layout", err);
}

void views_to_json(const Part& p, json& doc) {
    json vs = json::array();
    for (tag_t t : p.views) {
        const Object* v = obj(t);
        if (!v || !v->alive || v->canned) continue;
        json j;
        j["name"] = to_utf8(v->name);
        j["matrix"] = rounded(v->saved.mtx.data(), 9);
        double sc = std::round(v->saved.scale * 1e6) / 1e6;
        j["scale"] = sc;
        j["centre"] = rounded(v->saved.centre.data(), 3);
        vs.push_back(j);
    }
    if (!vs.empty()) doc["views"] = vs;
    if (p.views.empty() || default_layout(p)) return;
    json l;
    l["name"] = to_utf8(p.layout_name);
    json names = json::array();
    for (tag_t t : p.layout)
        if (const Object* v = obj(t)) names.push_back(to_utf8(v->name));
    l["views"] = names;
    if (const Object* w = obj(p.work_view)) l["work_view"] = to_utf8(w->name);
    doc["layout"] = l;
}

}  // namespace nxsim

extern "C" {

// The displayed part's view of that name (empty: the work view); 0, or 1205001 with the null tag.
int UF_VIEW_ask_tag_of_view_name(char* view_name, tag_t* view_tag) {
    if (view_tag) *view_tag = NULL_TAG;
    if (int rc = enter("UF_VIEW_ask_tag_of_view_name")) return rc;
    if (!view_name || !view_tag) return ERR_BAD_ARG;
    Part* p = display_part();
    if (!p) return ERR_NO_WORK_PART;
    ensure_views(*p);
    int rc = 0;
    Object* v = find_view(*p, view_name, &rc);
    if (!v) {
        S().messages[ERR_VIEW_NOT_FOUND] = "The view does not exist";
        return ERR_VIEW_NOT_FOUND;
    }
    *view_tag = v->tag;
    return 0;
}

// A view's orientation, as shown in the layout or else as saved; 0, or NX's code.
int uc6433(char* cp1, double* rr2) {
    if (rr2)
        for (int i = 0; i < 9; ++i) rr2[i] = 0;
    if (int rc = enter("uc6433")) return rc;
    if (!rr2) return ERR_BAD_ARG;
    Part* p = display_part();
    if (!p) return ERR_NO_WORK_PART;
    ensure_views(*p);
    int rc = 0;
    Object* v = find_view(*p, cp1, &rc);
    if (!v) return rc;
    const ViewState& st = in_layout(*p, v->tag) ? v->shown : v->saved;
    for (int i = 0; i < 9; ++i) rr2[i] = st.mtx[i];
    return V_OK;
}

// Orients a view of the layout: absolute, the WCS, an object's system, or X and Y given; 0, or NX's code.
int uc6434(char* cp1, int ip2, tag_t np3, double rp4[6]) {
    if (int rc = enter("uc6434")) return rc;
    Part* p = nullptr;
    Object* v = nullptr;
    if (int rc = view_to_change(cp1, &p, &v)) return rc;
    std::array<double, 9> m{};
    switch (ip2) {
        case 1: m = {1, 0, 0, 0, 1, 0, 0, 0, 1}; break;
        case 2: m = p->wcs_mtx; break;
        case 3: {
            Object* o = live_obj(np3);
            if (!o) return ERR_BAD_TAG;
            if (o->type == T_CSYS || o->type == T_MATRIX) {
                m = o->mtx;
            } else if (o->type == T_ARC && live_obj(o->matrix)) {
                m = live_obj(o->matrix)->mtx;
            } else {
                return ERR_BAD_TAG;
            }
            break;
        }
        case 4:
            if (!rp4 || !orient_from(rp4, rp4 + 3, m)) return ERR_BAD_ARG;
            break;
        default: return ERR_BAD_ARG;
    }
    v->shown.mtx = m;
    return V_OK;
}

// Makes a view of the layout the work view; 0, or NX's code. Host's choice: nothing while a drawing is shown.
int uc6449(const char* cp1) {
    if (int rc = enter("uc6449")) return rc;
    Part* p = display_part();
    if (!p) return ERR_NO_WORK_PART;
    if (p->current_drawing) return V_OK;  // no effect while a drawing is shown
    ensure_views(*p);
    int rc = 0;
    Object* v = find_view(*p, cp1, &rc);
    if (!v) return rc;
    if (!in_layout(*p, v->tag)) return V_NOT_ACTIVE;
    p->work_view = v->tag;
    return V_OK;
}

// Saves a view's shown (ip3 1) or saved state under a new name, or its own modifications; 0, or NX's code.
int uc6450(const char* cp1, const char* cp2, const int ip3, const int ip4) {
    if (int rc = enter("uc6450")) return rc;
    Part* p = nullptr;
    Object* v = nullptr;
    if (int rc = view_to_change(cp1, &p, &v)) return rc;
    if (!cp2 || !cp2[0]) {
        // Save the view's modifications under its own name; the standard views stay as NX made them.
        if (v->canned) return V_CANNED;
        v->saved = v->shown;
        return V_OK;
    }
    if (!valid_new_name(cp2)) return V_BAD_NAME;
    int rc = 0;
    if (find_view(*p, cp2, &rc)) return V_EXISTS;
    ViewState st = ip3 ? v->shown : v->saved;
    Object& n = make_view(*p, upper_ascii(cp2));
    n.saved = st;
    n.shown = st;
    return V_OK;
}

// Deletes a saved view that is not standard, the work view nor in the layout; 0, or NX's code.
int uc6454(char* cp1) {
    if (int rc = enter("uc6454")) return rc;
    Part* p = display_part();
    if (!p) return ERR_NO_WORK_PART;
    ensure_views(*p);
    if (!cp1 || !cp1[0]) return V_BAD_NAME;
    int rc = 0;
    Object* v = find_view(*p, cp1, &rc);
    if (!v) return strchr(cp1, '@') ? V_DRAWING_VIEW : rc;
    if (strchr(v->name.c_str(), '@')) return V_DRAWING_VIEW;
    if (v->canned) return V_CANNED;
    if (v->tag == p->work_view) return V_WORK_VIEW;
    if (in_layout(*p, v->tag)) return V_IN_LAYOUT;
    v->alive = false;
    for (size_t i = 0; i < p->views.size(); ++i)
        if (p->views[i] == v->tag) {
            p->views.erase(p->views.begin() + (long)i);
            break;
        }
    return V_OK;
}

// Replaces a view of the current layout by another; 0, or NX's code. Host's choice: 3 for a view already shown.
int uc6464(const char* layout_name, const char* old_view_name, const char* new_view_name) {
    if (int rc = enter("uc6464")) return rc;
    Part* p = display_part();
    if (!p) return ERR_NO_WORK_PART;
    if (p->current_drawing) return V_DRAWING_SHOWN;
    ensure_views(*p);
    if (layout_name && layout_name[0] && upper_ascii(layout_name) != upper_ascii(p->layout_name))
        return V_MISSING;  // only the current layout is kept
    int rc = 0;
    Object* old_v = find_view(*p, old_view_name ? old_view_name : "", &rc);
    if (!old_v) return rc;
    if (!in_layout(*p, old_v->tag)) return V_NOT_ACTIVE;
    if (!new_view_name || !new_view_name[0]) return V_OK;  // refresh
    Object* new_v = find_view(*p, new_view_name, &rc);
    if (!new_v) return rc;
    if (new_v == old_v) return V_OK;
    if (in_layout(*p, new_v->tag)) return V_SHOWN_ALREADY;  // a view is shown once per layout
    for (tag_t& t : p->layout)
        if (t == old_v->tag) t = new_v->tag;
    old_v->shown = old_v->saved;
    new_v->shown = new_v->saved;
    if (p->work_view == old_v->tag) p->work_view = new_v->tag;
    return V_OK;
}

}  // extern "C"
