// WAVE links: a linked feature in the target part that remembers its source object and holds a
// copy of the source's geometry, saved with the part.
#include "state.h"

using namespace nxsim;

namespace {

// The part that owns object_in_part: the part itself, or the part of an object.
Part* owning_part(tag_t object_in_part) {
    if (Part* p = part(object_in_part)) return p;
    Object* o = live_obj(object_in_part);
    return o ? part(o->part) : nullptr;
}

// What each linking call takes: NX links points with a call of their own.
enum class Link { Body, Curve, Point };

bool linkable(Link kind, const Object& o) {
    switch (kind) {
        case Link::Body: return o.type == T_SOLID && o.subtype == UF_solid_body_subtype;
        case Link::Curve: return o.type == T_LINE || o.type == T_ARC;
        case Link::Point: return o.type == T_POINT;
    }
    return false;
}

int create_link(const char* call, Link kind, tag_t source, tag_t xform, tag_t object_in_part,
                logical at_timestamp, tag_t* linked_feature) {
    if (linked_feature) *linked_feature = NULL_TAG;
    if (int rc = enter(call)) return rc;
    if (!linked_feature) return ERR_BAD_ARG;
    Object* src = live_obj(source);
    if (!src || src->temporary) return ERR_BAD_TAG;
    if (!linkable(kind, *src)) return ERR_WAVE_SOURCE;
    if (xform != NULL_TAG) return ERR_BAD_ARG;  // assembly-context transforms are not simulated
    Part* dst = owning_part(object_in_part);
    if (!dst) return ERR_BAD_TAG;

    Object& f = new_object(*dst, T_FEATURE);
    f.layer = 0;  // features lie on no layer
    f.feature_type = kind == Link::Body ? "LINKED_BODY" : kind == Link::Curve ? "LINKED_CURVE" : "LINKED_POINT";
    f.link_source = source;
    f.link = {{"at_timestamp", (bool)at_timestamp}};
    tag_t matrix = NULL_TAG;
    if (src->type == T_ARC) {
        // The arc's plane comes along as a matrix of the target part.
        Object& m = new_object(*dst, T_MATRIX);
        if (Object* sm = live_obj(src->matrix)) m.mtx = sm->mtx;
        matrix = m.tag;
    }
    // The geometry lands on the target's work layer and keeps the source's colour.
    Object& g = new_object(*dst, src->type, src->subtype);
    g.color = src->color;
    g.line_width = src->line_width;
    g.p1 = src->p1;
    g.p2 = src->p2;
    g.mtx = src->mtx;
    g.matrix = matrix;
    g.radius = src->radius;
    g.a0 = src->a0;
    g.a1 = src->a1;
    g.shape = src->shape;
    g.recipe = src->recipe;
    f.members.push_back(g.tag);
    *linked_feature = f.tag;
    return 0;
}

}  // namespace

extern "C" {

// Links a solid body into a part: a feature holding a copy of the body; 0, or NX's error code.
int UF_WAVE_create_linked_body(const tag_t body, const tag_t xform, const tag_t object_in_part,
                               const logical update_at_timestamp, tag_t* linked_feature) {
    return create_link("UF_WAVE_create_linked_body", Link::Body, body, xform, object_in_part,
                       update_at_timestamp, linked_feature);
}

// Links a line or arc into a part: a feature holding a copy; 0, or NX's error code (a point is
// refused: NX links points with UF_WAVE_create_linked_pt_point).
int UF_WAVE_create_linked_curve(const tag_t curve, const tag_t xform, const tag_t object_in_part,
                                const logical update_at_timestamp, tag_t* linked_feature) {
    return create_link("UF_WAVE_create_linked_curve", Link::Curve, curve, xform, object_in_part,
                       update_at_timestamp, linked_feature);
}

// Links a point into a part: a linked point feature and its point; 0, or NX's error code.
int UF_WAVE_create_linked_pt_point(const tag_t point, const tag_t xform, const tag_t object_in_part,
                                   const logical update_at_timestamp, tag_t* linked_feature) {
    return create_link("UF_WAVE_create_linked_pt_point", Link::Point, point, xform, object_in_part,
                       update_at_timestamp, linked_feature);
}

}  // extern "C"
