// Modelling lists, aligned bounding boxes, fixed datum planes, body-plane intersections,
// display suppression and undo marks.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "util.h"

using namespace nxsim;

namespace {

// NX allows at most this many undo marks per Open C program.
const size_t kMaxUndoMarks = 100;

const int ERR_UNDO_MARK = 1250001;      // no such undo mark
const int ERR_UNDO_TOO_MANY = 1250002;  // the program holds too many marks
const int ERR_MODL_NOT_SUPPORTED = 1330001;

// The list's nodes, from the head; the head of an empty list holds the null tag.
bool is_empty(uf_list_p_t list) { return list->eid == NULL_TAG && list->next == nullptr; }

// The undo mark of that id, or of that name for the id UF_UNDO_USE_NAME_ID; null when there is
// none, with the text of ERR_UNDO_MARK given.
UndoMark* find_mark(int id, const char* name) {
    for (auto& m : S().undo_marks) {
        if (id == UF_UNDO_USE_NAME_ID ? (name && m.name == name) : m.id == id) return &m;
    }
    say(ERR_UNDO_MARK, "The undo mark does not exist");
    return nullptr;
}

// NX's default modelling distance tolerance: 0.001 inch, in the units of the body's part.
double distance_tolerance(const Object& body) {
    const Part* p = part(body.part);
    return p && p->units == UF_PART_ENGLISH ? 0.001 : 0.0254;
}

// The box UF_MODL_ask_bounding_box_aligned answers along origin and m (rows the axes): NX's loose
// box (the control points' hull, never smaller than the body) by default; under the box_inside
// reading the exact box shrunk by the distance tolerance on every side, an extent thinner than
// twice the tolerance down to its middle. False when the body cannot be boxed.
bool box_as_answered(const Object& body, const double origin[3], const double m[9], double lo[3], double hi[3]) {
    bool inside = S().readings.box_inside;
    if (!geom_box_in_frame(body.shape, origin, m, !inside, lo, hi)) return false;
    if (!inside) return true;
    double t = distance_tolerance(body);
    for (int i = 0; i < 3; ++i) {
        double mid = (lo[i] + hi[i]) / 2;
        lo[i] = std::min(lo[i] + t, mid);
        hi[i] = std::max(hi[i] - t, mid);
    }
    return true;
}

}  // namespace

extern "C" {

// ---------------------------------------------------------------- modelling lists

// Hands out an empty modelling list; 0, or NX's error code.
int UF_MODL_create_list(uf_list_p_t* list) {
    if (list) *list = nullptr;
    if (int rc = enter("UF_MODL_create_list")) return rc;
    if (!list) return ERR_BAD_ARG;
    uf_list_p_t head = (uf_list_p_t)alloc(sizeof(uf_list_t), "UF_MODL_create_list");
    head->eid = NULL_TAG;
    head->next = nullptr;
    *list = head;
    return 0;
}

// Appends an object to the list (one already in it is ignored); 0, or NX's error code.
int UF_MODL_put_list_item(uf_list_p_t list, tag_t obj_id) {
    if (int rc = enter("UF_MODL_put_list_item")) return rc;
    if (!list) return ERR_BAD_ARG;
    if (obj_id == NULL_TAG) return ERR_BAD_TAG;
    if (is_empty(list)) {
        list->eid = obj_id;
        return 0;
    }
    uf_list_p_t last = list;
    for (uf_list_p_t n = list; n; n = n->next) {
        if (n->eid == obj_id) return 0;  // duplicates are ignored
        last = n;
    }
    uf_list_p_t node = (uf_list_p_t)alloc(sizeof(uf_list_t), "UF_MODL_put_list_item");
    node->eid = obj_id;
    node->next = nullptr;
    last->next = node;
    return 0;
}

// The number of objects in the list; 0, or NX's error code.
int UF_MODL_ask_list_count(uf_list_p_t list, int* count) {
    if (count) *count = 0;
    if (int rc = enter("UF_MODL_ask_list_count")) return rc;
    if (!list || !count) return ERR_BAD_ARG;
    if (is_empty(list)) return 0;
    for (uf_list_p_t n = list; n; n = n->next) ++*count;
    return 0;
}

// The list's object at the index; 0, or NX's error code (4 past the end).
int UF_MODL_ask_list_item(uf_list_p_t list, int index, tag_t* object) {
    if (object) *object = NULL_TAG;
    if (int rc = enter("UF_MODL_ask_list_item")) return rc;
    if (!list || !object || index < 0 || is_empty(list)) return ERR_BAD_ARG;
    uf_list_p_t n = list;
    for (int i = 0; i < index && n; ++i) n = n->next;
    if (!n) return ERR_BAD_ARG;
    *object = n->eid;
    return 0;
}

// Releases the list's nodes and sets it null; 0, or NX's error code.
int UF_MODL_delete_list(uf_list_p_t* list) {
    if (int rc = enter("UF_MODL_delete_list")) return rc;
    if (!list) return ERR_BAD_ARG;
    uf_list_p_t n = *list;
    while (n) {
        uf_list_p_t next = n->next;
        release(n, "UF_MODL_delete_list");
        n = next;
    }
    *list = nullptr;
    return 0;
}

// ---------------------------------------------------------------- boxes, planes, intersections

// A solid's box along a coordinate system (null: the WCS), loose as NX's (or inside the body under
// the box_inside reading), expand widening it by 0.1 each way; 0, or NX's error code.
int UF_MODL_ask_bounding_box_aligned(tag_t object, tag_t csys_tag, logical expand, double min_corner[3],
                                     double directions[3][3], double distances[3]) {
    if (min_corner)
        for (int i = 0; i < 3; ++i) min_corner[i] = 0;
    if (directions)
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k) directions[i][k] = 0;
    if (distances)
        for (int i = 0; i < 3; ++i) distances[i] = 0;
    if (int rc = enter("UF_MODL_ask_bounding_box_aligned")) return rc;
    if (!min_corner || !directions || !distances) return ERR_BAD_ARG;
    Object* o = live_obj(object);
    if (!o) return ERR_BAD_TAG;
    if (o->type != T_SOLID) {
        say(ERR_MODL_NOT_SUPPORTED, "The simulated host boxes solid bodies only");
        return ERR_MODL_NOT_SUPPORTED;
    }
    std::array<double, 3> origin;
    std::array<double, 9> m;
    if (csys_tag == NULL_TAG) {
        Part* p = display_part();
        if (!p) return ERR_NO_WORK_PART;
        origin = p->wcs_origin;
        m = p->wcs_mtx;
    } else {
        Object* c = live_obj(csys_tag);
        if (!c || c->type != T_CSYS) return ERR_BAD_TAG;
        origin = c->p1;
        m = c->mtx;
    }
    double lo[3], hi[3];
    if (!box_as_answered(*o, origin.data(), m.data(), lo, hi)) return ERR_BAD_TAG;
    if (expand)
        for (int i = 0; i < 3; ++i) {
            lo[i] -= 0.1;  // a tenth of a part unit each way
            hi[i] += 0.1;
        }
    for (int a = 0; a < 3; ++a) {
        min_corner[a] = origin[a] + m[a] * lo[0] + m[3 + a] * lo[1] + m[6 + a] * lo[2];
        for (int k = 0; k < 3; ++k) directions[k][a] = m[3 * k + a];
    }
    for (int k = 0; k < 3; ++k) distances[k] = hi[k] - lo[k];
    return 0;
}

// Makes a fixed datum plane of the work part through a point, across a direction; 0, or NX's error code.
int UF_MODL_create_fixed_dplane(double point[3], double direction[3], tag_t* dplane_tag) {
    if (dplane_tag) *dplane_tag = NULL_TAG;
    if (int rc = enter("UF_MODL_create_fixed_dplane")) return rc;
    if (!point || !direction || !dplane_tag || !finite3(point) || !finite3(direction)) return ERR_BAD_ARG;
    double len = std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] + direction[2] * direction[2]);
    if (len < 1e-12) return ERR_BAD_ARG;
    Part* w = work_part();
    if (!w) return ERR_NO_WORK_PART;
    Object& o = new_object(*w, T_DPLANE);
    for (int i = 0; i < 3; ++i) {
        o.p1[i] = point[i];
        o.p2[i] = direction[i] / len;
    }
    *dplane_tag = o.tag;
    return 0;
}

// Brings the work part's model up to date: the host's links are whole when made; 0, or NX's error code.
int UF_MODL_update(void) {
    if (int rc = enter("UF_MODL_update")) return rc;
    if (!work_part()) return ERR_NO_WORK_PART;
    return 0;
}

// A curve record for each lump of a solid a datum plane cuts; 0, or NX's error code. Host's choice: no other pair.
int UF_MODL_intersect_objects(tag_t object_1, tag_t object_2, double tolerance, int* num_intersections,
                              UF_MODL_intersect_info_p_t** intersections) {
    if (num_intersections) *num_intersections = 0;
    if (intersections) *intersections = nullptr;
    if (int rc = enter("UF_MODL_intersect_objects")) return rc;
    if (!num_intersections || !intersections) return ERR_BAD_ARG;
    Object* a = live_obj(object_1);
    Object* b = live_obj(object_2);
    if (!a || !b) return ERR_BAD_TAG;
    if (a->type == T_DPLANE) std::swap(a, b);
    if (a->type != T_SOLID || b->type != T_DPLANE) {
        say(ERR_MODL_NOT_SUPPORTED, "The simulated host intersects a solid body with a datum plane only");
        return ERR_MODL_NOT_SUPPORTED;
    }
    int cuts = geom_plane_cuts(a->shape, b->p1.data(), b->p2.data());
    if (cuts < 0) return ERR_BAD_TAG;
    if (cuts == 0) return 0;
    // One curve per lump cut; the host keeps no geometry for it (see docs/nxsim.md).
    Part* p = part(a->part);
    std::vector<tag_t> curves;
    for (int i = 0; i < cuts; ++i) {
        Object& c = new_object(*p, T_SECTION);
        c.temporary = true;
        c.layer = 0;
        c.members = {a->tag, b->tag};
        curves.push_back(c.tag);
    }
    auto** recs = (UF_MODL_intersect_info_p_t*)alloc(sizeof(UF_MODL_intersect_info_p_t) * curves.size(),
                                                     "UF_MODL_intersect_objects");
    for (size_t i = 0; i < curves.size(); ++i) {
        auto* r = (UF_MODL_intersect_info_p_t)alloc(sizeof(UF_MODL_intersect_info_t), "UF_MODL_intersect_objects");
        r->intersect_type = UF_MODL_INTERSECT_CURVE;
        r->intersect.curve.identifier = curves[i];
        recs[i] = r;
    }
    *intersections = recs;
    *num_intersections = (int)curves.size();
    return 0;
}

// ---------------------------------------------------------------- display and undo

// Suppresses (0) or resumes (1) the display, kept by the session; 0, or NX's error code.
int UF_DISP_set_display(int display_code) {
    if (int rc = enter("UF_DISP_set_display")) return rc;
    if (display_code != UF_DISP_SUPPRESS_DISPLAY && display_code != UF_DISP_UNSUPPRESS_DISPLAY) return ERR_BAD_ARG;
    S().display = display_code;
    return 0;
}

// Redraws the graphics from the model; the host keeps no graphics, so nothing changes; 0, or NX's error code.
int UF_DISP_regenerate_display(void) {
    if (int rc = enter("UF_DISP_regenerate_display")) return rc;
    return 0;
}

// Sets an undo mark that records the whole model; 0, or NX's error code (1250002 past 100 marks).
int UF_UNDO_set_mark(UF_UNDO_user_visibility_t visibility, UF_UNDO_mark_name_t mark_name,
                     UF_UNDO_mark_id_t* mark_id) {
    if (mark_id) *mark_id = 0;
    if (int rc = enter("UF_UNDO_set_mark")) return rc;
    if (!mark_id || (visibility != UF_UNDO_visible && visibility != UF_UNDO_invisible)) return ERR_BAD_ARG;
    Session& s = S();
    if (s.undo_marks.size() >= kMaxUndoMarks) {
        say(ERR_UNDO_TOO_MANY, "Too many undo marks");
        return ERR_UNDO_TOO_MANY;
    }
    UndoMark m;
    m.id = s.next_undo_mark++;
    m.name = mark_name ? mark_name : "";
    m.next_tag = s.next_tag;
    s.undo_marks.push_back(std::move(m));
    *mark_id = s.undo_marks.back().id;
    return 0;
}

// Puts every part that existed at the mark back as it was, dropping later marks; 0, or NX's error code.
int UF_UNDO_undo_to_mark(UF_UNDO_mark_id_t mark_id, UF_UNDO_mark_name_t mark_name) {
    if (int rc = enter("UF_UNDO_undo_to_mark")) return rc;
    Session& s = S();
    UndoMark* m = find_mark(mark_id, mark_name);
    if (!m) return ERR_UNDO_MARK;
    // The model goes back to the mark: objects made since are gone, the others as they were.
    // Parts opened since the mark are not the mark's business and stay.
    // (A part older than the mark has a tag below it: parts and objects share the counter.)
    for (auto it = s.objects.lower_bound(m->next_tag); it != s.objects.end();) {
        if (it->second.part < m->next_tag) {
            index_object(it->first, nullptr);
            it = s.objects.erase(it);
        } else {
            ++it;
        }
    }
    S().name_index.clear();  // names may be back as they were: indexed again when next asked
    // Only what was reached after the mark was kept: the rest is as it was.
    for (auto& kv : m->objects) {
        Object& o = s.objects[kv.first];
        o = kv.second;
        index_object(kv.first, &o);
    }
    for (auto& kv : m->parts) {
        Part& p = s.parts[kv.first];
        p = kv.second;
        index_part(kv.first, &p);
    }
    // Later marks are dropped; this one stays until deleted.
    size_t keep = (size_t)(m - s.undo_marks.data()) + 1;
    s.undo_marks.resize(keep);
    return 0;
}

// Deletes an undo mark; 0, or NX's error code (1250001 for no such mark).
int UF_UNDO_delete_mark(UF_UNDO_mark_id_t mark_id, UF_UNDO_mark_name_t mark_name) {
    if (int rc = enter("UF_UNDO_delete_mark")) return rc;
    Session& s = S();
    UndoMark* m = find_mark(mark_id, mark_name);
    if (!m) return ERR_UNDO_MARK;
    s.undo_marks.erase(s.undo_marks.begin() + (m - s.undo_marks.data()));
    return 0;
}

}  // extern "C"
