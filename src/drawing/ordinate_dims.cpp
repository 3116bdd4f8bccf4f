// Ordinate dimensions of an electrode drawing. They attach to the reference objects left in the
// work part for the electrode: the origin marker "<name>_ORG" (the ordinate origin), the corner
// markers named after the electrode (the dimensioned points) and the edge lines "<name>0" to
// "<name>11" (the margins). Everything is compared in drawing coordinates of the view.
#include "drawing/ordinate_dims.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "config/kv_text.h"
#include "drawing/model_list.h"

namespace {

// Margins lie 5 outside their edge line; dimension texts start 10 beyond their point.
const double kMarginOffset = 5.0;
const double kTextDistance = 10.0;
// Starting extremes when choosing edge lines.
const double kFar = 9999.0;

/* The margin type of a side (1 for the top and bottom, 2 for the left and right) and the
 * margin's offset from its edge line (outwards). */
int margin_type_of(int side) { return side == KV_SIDE_TOP || side == KV_SIDE_BOTTOM ? 1 : 2; }
double offset_of(int side) { return side == KV_SIDE_LEFT || side == KV_SIDE_BOTTOM ? -kMarginOffset : kMarginOffset; }

/* The number of objects of a modelling list (0 when NX cannot say). */
int list_count(uf_list_p_t list) {
    int count = 0;
    if (!list || UF_MODL_ask_list_count(list, &count) != 0 || count < 0) return 0;
    return count;
}

/* The list's object at index, or the null tag when NX cannot say. */
tag_t list_object(uf_list_p_t list, int index) {
    tag_t t = NULL_TAG;
    if (UF_MODL_ask_list_item(list, index, &t) != 0) return NULL_TAG;
    return t;
}

/* A local point of the arc's plane turned into absolute coordinates: the inverse of the arc's
 * matrix (as a 4 x 4 matrix) applied to it. */
void to_absolute(const double inverse3[9], const double local[3], double out[3]) {
    UF_MTX3_vec_multiply(local, inverse3, out);
}

/* centre + radius (cos a, sin a, 0), in the arc's plane. */
void point_on_arc(const UF_CURVE_arc_t &a, double angle, double out[3]) {
    double offset[3] = {a.radius * cos(angle), a.radius * sin(angle), 0};
    UF_VEC3_add(a.arc_center, offset, out);
}

/* Fills an object record of the drafting calls. */
void fill_object(UF_DRF_object_t *rec, tag_t object, tag_t view, UF_DRF_assoc_type_t assoc) {
    // Cleared first: the record is whole even when NX's initialisation fails.
    memset(rec, 0, sizeof *rec);
    UF_DRF_init_object_structure(rec);
    rec->object_tag = object;
    rec->object_view_tag = view;
    rec->object_assoc_type = assoc;
    // NX takes an end point as the first (1) or the last (2), never 0. A margin's line runs the
    // margin's way, so either end places it alike; an arc's centre is NX's default modifier too.
    rec->object_assoc_modifier = UF_DRF_first_end_point;
}

}  // namespace

int arc_points(tag_t arc, double centre[3], double start[3], double at40[3], double end[3]) {
    if (arc == NULL_TAG) return -1;
    UF_CURVE_arc_t a;
    memset(&a, 0, sizeof a);
    if (UF_CURVE_ask_arc_data(arc, &a) != 0) return -1;
    double local[4][3];
    UF_VEC3_copy(a.arc_center, local[0]);
    // Only the points asked for are worked out.
    if (start) point_on_arc(a, a.start_angle, local[1]);
    if (at40) point_on_arc(a, a.start_angle + 0.4 * (a.end_angle - a.start_angle), local[2]);
    if (end) point_on_arc(a, a.end_angle, local[3]);
    double m3[9], m4[16], inverse4[16];
    if (UF_CSYS_ask_matrix_values(a.matrix_tag, m3) != 0) return -1;
    UF_MTX3_mtx4(m3, m4);
    if (UF_MTX4_invert(m4, inverse4) != 0) return -1;
    double inverse3[9];
    UF_MTX4_x_vec(inverse4, inverse3);
    UF_MTX4_y_vec(inverse4, inverse3 + 3);
    UF_MTX4_z_vec(inverse4, inverse3 + 6);
    double *outs[4] = {centre, start, at40, end};
    for (int i = 0; i < 4; ++i)
        if (outs[i]) to_absolute(inverse3, local[i], outs[i]);
    return 0;
}

int arc_center(tag_t arc, double centre[3]) { return arc_points(arc, centre, NULL, NULL, NULL); }

int arc_in_drawing(tag_t view, tag_t arc, double point[2]) {
    if (!point) return -1;
    point[0] = point[1] = 0;
    double centre[3];
    if (view == NULL_TAG || arc_center(arc, centre) != 0) return -1;
    if (UF_VIEW_map_model_to_drawing(view, centre, point) != 0) {
        point[0] = point[1] = 0;
        return -1;
    }
    return 0;
}

namespace {

/* A named arc as the batch read it; the name upper-cased, so that names equal with case
 * ignored (kv_equal_nocase) are equal texts. */
struct arc_entry {
    tag_t tag;
    char name[KV_OBJ_NAME_BUFSIZE];
};

/* The marker batch's reading of the work part's arcs. entries are in NX's (creation) order;
 * order[0..sorted) lists the first `sorted` entries by name, then position, so that the
 * entries of one name come out in NX's order; later entries are searched one by one until
 * there are enough of them to sort again. */
struct marker_index {
    int active;  // between begin_marker_batch and end_marker_batch
    int usable;  // 0 once a reading failed: every call reads every arc again
    tag_t part;
    tag_t last;  // the newest arc read; the next reading continues after it
    arc_entry *entries;
    int *order;
    int count;
    int capacity;
    int sorted;
};

marker_index g_markers = {0, 0, NULL_TAG, NULL_TAG, NULL, NULL, 0, 0, 0};
// Unsorted entries searched one by one before the index is sorted again.
const int kUnsortedMax = 32;

// Entry i before entry j: by name, then NX's order.
bool entry_before(const arc_entry *entries, int i, int j) {
    int c = strcmp(entries[i].name, entries[j].name);
    return c != 0 ? c < 0 : i < j;
}

// Moves order[root] down the max-heap of order[0..n).
void sift_down(int *order, int root, int n, const arc_entry *entries) {
    for (;;) {
        int child = 2 * root + 1;
        if (child >= n) return;
        if (child + 1 < n && entry_before(entries, order[child], order[child + 1])) ++child;
        if (!entry_before(entries, order[root], order[child])) return;
        int t = order[root];
        order[root] = order[child];
        order[child] = t;
        root = child;
    }
}

// Sorts order[0..n) by entry_before: a heap sort, in place (no allocation to fail) and with the
// entries passed along (qsort's comparator would need them in a global).
void sort_entries(int *order, int n, const arc_entry *entries) {
    for (int i = n / 2 - 1; i >= 0; --i) sift_down(order, i, n, entries);
    for (int end = n - 1; end > 0; --end) {
        int t = order[0];
        order[0] = order[end];
        order[end] = t;
        sift_down(order, 0, end, entries);
    }
}

void release_markers(marker_index *x) {
    free(x->entries);
    free(x->order);
    memset(x, 0, sizeof *x);
}

int add_entry(marker_index *x, tag_t arc, const char *name) {
    if (x->count == x->capacity) {
        int capacity = x->capacity ? x->capacity * 2 : 256;
        arc_entry *grown = (arc_entry *)realloc(x->entries, sizeof(arc_entry) * (size_t)capacity);
        if (!grown) return -1;
        x->entries = grown;
        int *order = (int *)realloc(x->order, sizeof(int) * (size_t)capacity);
        if (!order) return -1;
        x->order = order;
        x->capacity = capacity;
    }
    arc_entry *e = &x->entries[x->count];
    e->tag = arc;
    kv_copy(e->name, sizeof e->name, name);
    kv_upper(e->name);
    x->order[x->count] = x->count;
    ++x->count;
    return 0;
}

/* Reads the arcs made since the last reading (all of them the first time). 0, or -1 (the
 * index is then unusable) when NX could not cycle or name an arc or memory ran out. */
int read_new_arcs(marker_index *x) {
    tag_t part = UF_ASSEM_ask_work_part();
    if (part == NULL_TAG || (x->part != NULL_TAG && part != x->part)) return -1;
    x->part = part;
    tag_t arc = x->last;
    for (;;) {
        if (UF_OBJ_cycle_objs_in_part(part, UF_circle_type, &arc) != 0) return -1;
        if (arc == NULL_TAG) break;
        x->last = arc;
        char arc_name[KV_OBJ_NAME_BUFSIZE];
        memset(arc_name, 0, sizeof arc_name);
        int rc = UF_OBJ_ask_name(arc, arc_name);
        if (rc == UF_OBJ_NAME_NOT_FOUND || (rc == 0 && arc_name[0] == '\0')) continue;  // unnamed
        if (rc != 0) return -1;
        arc_name[sizeof arc_name - 1] = '\0';
        if (add_entry(x, arc, arc_name) != 0) return -1;
    }
    if (x->count - x->sorted > kUnsortedMax || (x->sorted == 0 && x->count > 0)) {
        sort_entries(x->order, x->count, x->entries);
        x->sorted = x->count;
    }
    return 0;
}

/* Calls take(tag) for every entry named upper (upper-cased), in NX's order. */
template <typename Fn>
void for_each_entry_named(const marker_index *x, const char *upper, Fn take) {
    int lo = 0, hi = x->sorted;
    while (lo < hi) {  // the first sorted entry not below upper
        int mid = lo + (hi - lo) / 2;
        if (strcmp(x->entries[x->order[mid]].name, upper) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (int i = lo; i < x->sorted && strcmp(x->entries[x->order[i]].name, upper) == 0; ++i)
        take(x->entries[x->order[i]].tag);
    for (int i = x->sorted; i < x->count; ++i)
        if (strcmp(x->entries[i].name, upper) == 0) take(x->entries[i].tag);
}

/* 1 when the arc is still named wanted (case ignored): the batch's reading may be older than a
 * deletion. */
int still_named(tag_t arc, const char *wanted) {
    char arc_name[KV_OBJ_NAME_BUFSIZE];
    memset(arc_name, 0, sizeof arc_name);
    if (UF_OBJ_ask_name(arc, arc_name) != 0) return 0;
    arc_name[sizeof arc_name - 1] = '\0';
    return kv_equal_nocase(arc_name, wanted);
}

}  // namespace

void begin_marker_batch(void) {
    release_markers(&g_markers);
    g_markers.active = 1;
    g_markers.usable = 1;
}

void end_marker_batch(void) { release_markers(&g_markers); }

namespace {

/* find_marker_arcs' search: take(arc) for each corner marker in NX's order (it answers 1 when
 * it kept the arc), the origin marker into *origin (cleared first). The number kept. */
template <typename Fn>
int each_marker_arc(const char *name, tag_t *origin, Fn take) {
    *origin = NULL_TAG;
    char wanted[KV_ORD_NAME_SIZE];
    char wanted_origin[KV_ORD_NAME_SIZE];
    int n = snprintf(wanted, sizeof wanted, "%s", name);
    int m = snprintf(wanted_origin, sizeof wanted_origin, "%s_ORG", name);
    // A name that does not fit would match another electrode's markers.
    if (n < 0 || (size_t)n >= sizeof wanted || m < 0 || (size_t)m >= sizeof wanted_origin) return 0;
    int found = 0;
    marker_index *x = &g_markers;
    if (x->active && x->usable && read_new_arcs(x) != 0) x->usable = 0;
    if (x->active && x->usable) {
        char upper[KV_ORD_NAME_SIZE];
        kv_copy(upper, sizeof upper, wanted);
        kv_upper(upper);
        for_each_entry_named(x, upper, [&](tag_t arc) {
            if (still_named(arc, wanted) && take(arc)) ++found;
        });
        kv_copy(upper, sizeof upper, wanted_origin);
        kv_upper(upper);
        for_each_entry_named(x, upper, [&](tag_t arc) {
            if (still_named(arc, wanted_origin)) *origin = arc;  // a later one replaces an earlier one
        });
        return found;
    }
    tag_t part = UF_ASSEM_ask_work_part();
    if (part == NULL_TAG) return 0;
    tag_t arc = NULL_TAG;
    while (UF_OBJ_cycle_objs_in_part(part, UF_circle_type, &arc) == 0 && arc != NULL_TAG) {
        char arc_name[KV_OBJ_NAME_BUFSIZE];
        memset(arc_name, 0, sizeof arc_name);
        if (UF_OBJ_ask_name(arc, arc_name) != 0 || arc_name[0] == '\0') continue;
        if (kv_equal_nocase(arc_name, wanted)) {
            if (take(arc)) ++found;
        } else if (kv_equal_nocase(arc_name, wanted_origin)) {
            *origin = arc;  // a later one replaces an earlier one
        }
    }
    return found;
}

/* find_edge_lines' search: take(line) for each edge line that exists, index 0 first. */
template <typename Fn>
int each_edge_line(const char *name, Fn take) {
    tag_t part = UF_ASSEM_ask_work_part();
    if (part == NULL_TAG) return 0;
    int found = 0;
    for (int i = 0; i < 12; ++i) {
        char line_name[KV_ORD_NAME_SIZE];
        int n = snprintf(line_name, sizeof line_name, "%s%d", name, i);
        if (n < 0 || (size_t)n >= sizeof line_name) continue;
        tag_t line = NULL_TAG;
        if (UF_OBJ_cycle_by_name_and_type(part, line_name, UF_line_type, FALSE, &line) != 0 || line == NULL_TAG)
            continue;
        if (take(line)) ++found;
    }
    return found;
}

}  // namespace

int find_marker_arcs(const char *name, uf_list_p_t arcs, tag_t *origin) {
    if (origin) *origin = NULL_TAG;
    if (!name || !arcs || !origin) return 0;
    return each_marker_arc(name, origin, [&](tag_t arc) { return UF_MODL_put_list_item(arcs, arc) == 0; });
}

int find_edge_lines(const char *name, uf_list_p_t lines) {
    if (!name || !lines) return 0;
    return each_edge_line(name, [&](tag_t line) { return UF_MODL_put_list_item(lines, line) == 0; });
}

int corner_marker(tag_t view, uf_list_p_t arcs, int corner, tag_t *marker, double position[2]) {
    if (marker) *marker = NULL_TAG;
    if (position) position[0] = position[1] = 0;
    if (!marker || !position) return 0;
    int count = list_count(arcs);
    double lo[2] = {0, 0}, hi[2] = {0, 0};
    int any = 0;
    for (int i = 0; i < count; ++i) {
        double p[2];
        if (arc_in_drawing(view, list_object(arcs, i), p) != 0) continue;
        for (int k = 0; k < 2; ++k) {
            if (!any || p[k] < lo[k]) lo[k] = p[k];
            if (!any || p[k] > hi[k]) hi[k] = p[k];
        }
        any = 1;
    }
    if (!any) return 0;
    double target[2];
    target[0] = corner == KV_CORNER_LOWER_LEFT || corner == KV_CORNER_UPPER_LEFT ? lo[0] : hi[0];
    target[1] = corner == KV_CORNER_LOWER_LEFT || corner == KV_CORNER_LOWER_RIGHT ? lo[1] : hi[1];
    for (int i = 0; i < count; ++i) {
        tag_t arc = list_object(arcs, i);
        double p[2], distance = 0;
        if (arc_in_drawing(view, arc, p) != 0) continue;
        UF_VEC2_distance(p, target, &distance);
        if (distance < KV_SAME_POSITION) {
            *marker = arc;
            position[0] = p[0];
            position[1] = p[1];
            return 0;
        }
    }
    return 0;
}

int same_drawing_x(tag_t view, tag_t a, tag_t b) {
    double pa[2], pb[2];
    if (arc_in_drawing(view, a, pa) != 0 || arc_in_drawing(view, b, pb) != 0) return 0;
    return fabs(pa[0] - pb[0]) < KV_SAME_POSITION ? 1 : 0;
}

int same_drawing_y(tag_t view, tag_t a, tag_t b) {
    double pa[2], pb[2];
    if (arc_in_drawing(view, a, pa) != 0 || arc_in_drawing(view, b, pb) != 0) return 0;
    return fabs(pa[1] - pb[1]) < KV_SAME_POSITION ? 1 : 0;
}

int near_in_drawing(tag_t view, tag_t a, tag_t b) {
    double pa[2], pb[2], distance = 0;
    if (arc_in_drawing(view, a, pa) != 0 || arc_in_drawing(view, b, pb) != 0) return 0;
    UF_VEC2_distance(pa, pb, &distance);
    return distance < KV_NEAR_MARKERS ? 1 : 0;
}

int create_ordinate_origin(tag_t view, tag_t arc, tag_t *origin) {
    if (origin) *origin = NULL_TAG;
    if (arc == NULL_TAG || !origin) return -1;
    UF_DRF_object_t rec;
    fill_object(&rec, arc, view, UF_DRF_arc_center);
    char origin_name[KV_ORD_NAME_SIZE];
    kv_copy(origin_name, sizeof origin_name, KV_ORDINATE_ORIGIN_NAME);
    tag_t made = NULL_TAG;
    if (UF_DRF_create_ordorigin(&rec, 5, 1, 2, origin_name, &made) != 0 || made == NULL_TAG) return -1;
    *origin = made;
    return 0;
}

int line_in_drawing(tag_t view, tag_t line, double points[4]) {
    if (!points) return -1;
    for (int i = 0; i < 4; ++i) points[i] = 0;
    UF_CURVE_line_t data;
    memset(&data, 0, sizeof data);
    if (line == NULL_TAG || UF_CURVE_ask_line_data(line, &data) != 0) return -1;
    if (UF_VIEW_map_model_to_drawing(view, data.start_point, points) != 0 ||
        UF_VIEW_map_model_to_drawing(view, data.end_point, points + 2) != 0) {
        for (int i = 0; i < 4; ++i) points[i] = 0;
        return -1;
    }
    return 0;
}

tag_t extreme_edge_line(tag_t view, uf_list_p_t lines, int side) {
    tag_t chosen[4] = {NULL_TAG, NULL_TAG, NULL_TAG, NULL_TAG};
    double left = kFar, right = -kFar, bottom = kFar, top = -kFar;
    int count = list_count(lines);
    for (int i = 0; i < count; ++i) {
        tag_t line = list_object(lines, i);
        double p[4], length = 0;
        if (line_in_drawing(view, line, p) != 0) continue;
        UF_VEC2_distance(p, p + 2, &length);
        if (length <= KV_SAME_POSITION) continue;  // seen end-on
        if (fabs(p[0] - p[2]) < KV_SAME_POSITION) {
            if (p[0] < left) {
                chosen[KV_SIDE_LEFT] = line;
                left = p[0];
            }
            if (p[0] > right) {
                chosen[KV_SIDE_RIGHT] = line;
                right = p[0];
            }
        } else if (fabs(p[1] - p[3]) < KV_SAME_POSITION) {
            if (p[1] < bottom) {
                chosen[KV_SIDE_BOTTOM] = line;
                bottom = p[1];
            }
            if (p[1] > top) {
                chosen[KV_SIDE_TOP] = line;
                top = p[1];
            }
        }
    }
    return side >= 0 && side < 4 ? chosen[side] : NULL_TAG;
}

int create_margin(tag_t view, tag_t ordinate_origin, tag_t line, int side, tag_t *margin) {
    if (margin) *margin = NULL_TAG;
    if (ordinate_origin == NULL_TAG || line == NULL_TAG || !margin || side < 0 || side > 3) return -1;
    UF_DRF_object_t rec;
    fill_object(&rec, line, view, UF_DRF_end_point);
    double point[3] = {0, 0, 0};
    double direction[2] = {0, 0};
    tag_t made = NULL_TAG;
    if (UF_DRF_create_ordmargin(margin_type_of(side), ordinate_origin, &rec, point, direction, offset_of(side), &made) !=
            0 ||
        made == NULL_TAG)
        return -1;
    *margin = made;
    return 0;
}

void create_view_margins(tag_t view, tag_t ordinate_origin, uf_list_p_t lines, tag_t margins[4]) {
    if (!margins) return;
    for (int side = 0; side < 4; ++side) margins[side] = NULL_TAG;
    for (int side = 0; side < 4; ++side) {
        tag_t line = extreme_edge_line(view, lines, side);
        if (line != NULL_TAG) create_margin(view, ordinate_origin, line, side, &margins[side]);
    }
}

namespace {

// An ordinate dimension of the arc whose drawing point is known (create_ordinate_dimension's
// work once the point is in hand).
int dimension_at(tag_t view, tag_t margin, tag_t arc, int side, const double point[2], tag_t *dimension) {
    UF_DRF_object_t rec;
    fill_object(&rec, arc, view, UF_DRF_arc_center);
    char user_text[1] = "";
    UF_DRF_text_t text;
    memset(&text, 0, sizeof text);
    text.user_dim_text = user_text;
    text.lines_app_text = 0;
    text.appended_text = NULL;
    double origin[3] = {point[0], point[1], 0};
    switch (side) {
        case KV_SIDE_LEFT: origin[0] -= kTextDistance; break;
        case KV_SIDE_TOP: origin[1] += kTextDistance; break;
        case KV_SIDE_RIGHT: origin[0] += kTextDistance; break;
        default: origin[1] -= kTextDistance; break;
    }
    int type = side == KV_SIDE_LEFT || side == KV_SIDE_RIGHT ? 2 : 1;
    tag_t made = NULL_TAG;
    // No dogleg (angle 0; its distance 0.1 is then not used); text origin at the dimension text's
    // centre (2).
    if (UF_DRF_create_orddimension(margin, type, &rec, 0.0, 0.1, &text, 2, origin, &made) != 0 || made == NULL_TAG)
        return -1;
    *dimension = made;
    return 0;
}

}  // namespace

int create_ordinate_dimension(tag_t view, tag_t margin, tag_t arc, int side, tag_t *dimension) {
    if (dimension) *dimension = NULL_TAG;
    // Without a margin or a point there is nothing NX could dimension.
    if (margin == NULL_TAG || arc == NULL_TAG || !dimension || side < 0 || side > 3) return -1;
    double point[2];
    arc_in_drawing(view, arc, point);
    return dimension_at(view, margin, arc, side, point, dimension);
}

namespace {

/* One electrode's markers and edge lines as its dimensioning reads them: found once (in arrays
 * of the plug-in's own, not NX's lists), each arc's centre and each line's ends asked of NX once,
 * their places on the sheet once per view, when the view is first asked about (nothing moves a
 * view or the model while it is dimensioned). A point NX could not give stays unknown for the
 * view: the question is answered as arc_in_drawing's failure would answer it. Without memory
 * for the reading (cached 0) every question goes to the functions above, over NX's lists. */
struct marker_reading {
    int cached;
    uf_list_p_t arcs, lines;
    int narcs, nlines;
    tag_t *arc, *line;
    double (*centre)[3], (*arc_at)[2];
    UF_CURVE_line_t *ends;
    double (*line_at)[4];
    char *centre_ok, *arc_ok, *ends_ok, *line_ok;
    tag_t view;  // the view arc_at and line_at hold; null before the first
    tag_t other, other_view;  // an arc outside the list (the origin marker) and its point
    double other_at[2];
    int other_ok;
};

void release_reading(marker_reading *r) {
    free(r->arc);
    free(r->line);
    free(r->centre);
    free(r->arc_at);
    free(r->ends);
    free(r->line_at);
    free(r->centre_ok);
    free(r->arc_ok);
    free(r->ends_ok);
    free(r->line_ok);
    memset(r, 0, sizeof *r);
}

template <typename T>
bool alloc_n(T **p, int n) {
    *p = (T *)calloc((size_t)(n > 0 ? n : 1), sizeof **p);
    return *p != NULL;
}

// Room for one more object in *tags (count held, *room allocated); false when memory ran out.
bool make_room(tag_t **tags, int count, int *room) {
    if (count < *room) return true;
    int grown_room = *room ? *room * 2 : 16;
    tag_t *grown = (tag_t *)realloc(*tags, sizeof(tag_t) * (size_t)grown_room);
    if (!grown) return false;
    *tags = grown;
    *room = grown_room;
    return true;
}

// Reads the electrode's markers (origin marker into *origin) and edge lines, their centres and
// ends. 0; -1 when memory ran out (r is then empty, not cached).
int read_markers(marker_reading *r, const char *name, tag_t *origin) {
    memset(r, 0, sizeof *r);
    int arc_room = 0, line_room = 0, short_of_room = 0;
    each_marker_arc(name, origin, [&](tag_t arc) {
        if (short_of_room || !make_room(&r->arc, r->narcs, &arc_room)) return (short_of_room = 1), false;
        r->arc[r->narcs++] = arc;
        return true;
    });
    each_edge_line(name, [&](tag_t line) {
        if (short_of_room || !make_room(&r->line, r->nlines, &line_room)) return (short_of_room = 1), false;
        r->line[r->nlines++] = line;
        return true;
    });
    int na = r->narcs, nl = r->nlines;
    if (short_of_room || !alloc_n(&r->centre, na) || !alloc_n(&r->arc_at, na) || !alloc_n(&r->centre_ok, na) ||
        !alloc_n(&r->arc_ok, na) || !alloc_n(&r->ends, nl) || !alloc_n(&r->line_at, nl) || !alloc_n(&r->ends_ok, nl) ||
        !alloc_n(&r->line_ok, nl)) {
        release_reading(r);
        return -1;
    }
    for (int i = 0; i < na; ++i) r->centre_ok[i] = arc_center(r->arc[i], r->centre[i]) == 0;
    for (int i = 0; i < nl; ++i) r->ends_ok[i] = UF_CURVE_ask_line_data(r->line[i], &r->ends[i]) == 0;
    r->cached = 1;
    return 0;
}

// The reading's points in view (mapped now when it holds another view's).
void map_view(marker_reading *r, tag_t view) {
    if (r->view == view && view != NULL_TAG) return;
    r->view = view;
    for (int i = 0; i < r->narcs; ++i) {
        r->arc_ok[i] = view != NULL_TAG && r->centre_ok[i] &&
                       UF_VIEW_map_model_to_drawing(view, r->centre[i], r->arc_at[i]) == 0;
        if (!r->arc_ok[i]) r->arc_at[i][0] = r->arc_at[i][1] = 0;
    }
    for (int i = 0; i < r->nlines; ++i) {
        double *p = r->line_at[i];
        r->line_ok[i] = view != NULL_TAG && r->ends_ok[i] &&
                        UF_VIEW_map_model_to_drawing(view, r->ends[i].start_point, p) == 0 &&
                        UF_VIEW_map_model_to_drawing(view, r->ends[i].end_point, p + 2) == 0;
        if (!r->line_ok[i]) p[0] = p[1] = p[2] = p[3] = 0;
    }
}

// arc_in_drawing from the reading.
int point_of(marker_reading *r, tag_t view, tag_t arc, double point[2]) {
    if (!r->cached) return arc_in_drawing(view, arc, point);
    map_view(r, view);
    for (int i = 0; i < r->narcs; ++i) {
        if (r->arc[i] != arc) continue;
        point[0] = r->arc_at[i][0];
        point[1] = r->arc_at[i][1];
        return r->arc_ok[i] ? 0 : -1;
    }
    if (r->other != arc || r->other_view != view) {
        r->other = arc;
        r->other_view = view;
        r->other_ok = arc_in_drawing(view, arc, r->other_at) == 0;
    }
    point[0] = r->other_at[0];
    point[1] = r->other_at[1];
    return r->other_ok ? 0 : -1;
}

// corner_marker from the reading.
void corner_of(marker_reading *r, tag_t view, int corner, tag_t *marker, double position[2]) {
    if (!r->cached) {
        corner_marker(view, r->arcs, corner, marker, position);
        return;
    }
    *marker = NULL_TAG;
    position[0] = position[1] = 0;
    map_view(r, view);
    double lo[2] = {0, 0}, hi[2] = {0, 0};
    int any = 0;
    for (int i = 0; i < r->narcs; ++i) {
        if (!r->arc_ok[i]) continue;
        for (int k = 0; k < 2; ++k) {
            if (!any || r->arc_at[i][k] < lo[k]) lo[k] = r->arc_at[i][k];
            if (!any || r->arc_at[i][k] > hi[k]) hi[k] = r->arc_at[i][k];
        }
        any = 1;
    }
    if (!any) return;
    double target[2];
    target[0] = corner == KV_CORNER_LOWER_LEFT || corner == KV_CORNER_UPPER_LEFT ? lo[0] : hi[0];
    target[1] = corner == KV_CORNER_LOWER_LEFT || corner == KV_CORNER_LOWER_RIGHT ? lo[1] : hi[1];
    for (int i = 0; i < r->narcs; ++i) {
        double distance = 0;
        if (!r->arc_ok[i]) continue;
        UF_VEC2_distance(r->arc_at[i], target, &distance);
        if (distance < KV_SAME_POSITION) {
            *marker = r->arc[i];
            position[0] = r->arc_at[i][0];
            position[1] = r->arc_at[i][1];
            return;
        }
    }
}

// same_drawing_x (axis 0), same_drawing_y (axis 1) and near_in_drawing (axis -1) from the reading.
int close_in(marker_reading *r, tag_t view, tag_t a, tag_t b, int axis) {
    double pa[2], pb[2];
    if (point_of(r, view, a, pa) != 0 || point_of(r, view, b, pb) != 0) return 0;
    if (axis >= 0) return fabs(pa[axis] - pb[axis]) < KV_SAME_POSITION ? 1 : 0;
    double distance = 0;
    UF_VEC2_distance(pa, pb, &distance);
    return distance < KV_NEAR_MARKERS ? 1 : 0;
}

// create_view_margins from the reading: the extreme edge line of every side in one look.
void margins_of(marker_reading *r, tag_t view, tag_t ordinate_origin, tag_t margins[4]) {
    if (!r->cached) {
        create_view_margins(view, ordinate_origin, r->lines, margins);
        return;
    }
    for (int side = 0; side < 4; ++side) margins[side] = NULL_TAG;
    map_view(r, view);
    tag_t chosen[4] = {NULL_TAG, NULL_TAG, NULL_TAG, NULL_TAG};
    double left = kFar, right = -kFar, bottom = kFar, top = -kFar;
    for (int i = 0; i < r->nlines; ++i) {
        const double *p = r->line_at[i];
        double length = 0;
        if (!r->line_ok[i]) continue;
        UF_VEC2_distance(p, p + 2, &length);
        if (length <= KV_SAME_POSITION) continue;  // seen end-on
        if (fabs(p[0] - p[2]) < KV_SAME_POSITION) {
            if (p[0] < left) chosen[KV_SIDE_LEFT] = r->line[i], left = p[0];
            if (p[0] > right) chosen[KV_SIDE_RIGHT] = r->line[i], right = p[0];
        } else if (fabs(p[1] - p[3]) < KV_SAME_POSITION) {
            if (p[1] < bottom) chosen[KV_SIDE_BOTTOM] = r->line[i], bottom = p[1];
            if (p[1] > top) chosen[KV_SIDE_TOP] = r->line[i], top = p[1];
        }
    }
    for (int side = 0; side < 4; ++side)
        if (chosen[side] != NULL_TAG) create_margin(view, ordinate_origin, chosen[side], side, &margins[side]);
}

// create_ordinate_dimension from the reading.
void dimension_of(marker_reading *r, tag_t view, tag_t margin, tag_t arc, int side) {
    if (margin == NULL_TAG || arc == NULL_TAG) return;
    double point[2];
    point_of(r, view, arc, point);
    tag_t made = NULL_TAG;
    dimension_at(view, margin, arc, side, point, &made);
}

// The first view: vertical and horizontal ordinates of the origin and the corner markers.
void dimension_first_view(marker_reading *r, tag_t view1, tag_t origin) {
    tag_t ordinate_origin = NULL_TAG;
    tag_t margins[4];
    double at[2];
    create_ordinate_origin(view1, origin, &ordinate_origin);
    margins_of(r, view1, ordinate_origin, margins);
    dimension_of(r, view1, margins[KV_SIDE_LEFT], origin, KV_SIDE_LEFT);
    dimension_of(r, view1, margins[KV_SIDE_BOTTOM], origin, KV_SIDE_BOTTOM);

    tag_t lower = NULL_TAG;
    corner_of(r, view1, KV_CORNER_LOWER_LEFT, &lower, at);
    if (lower != NULL_TAG) {
        int same_x = close_in(r, view1, lower, origin, 0);
        int same_y = close_in(r, view1, lower, origin, 1);
        if (same_x && !same_y) {
            dimension_of(r, view1, margins[KV_SIDE_LEFT], lower, KV_SIDE_LEFT);
        } else if (!same_x && same_y) {
            dimension_of(r, view1, margins[KV_SIDE_BOTTOM], lower, KV_SIDE_BOTTOM);
        } else if (!close_in(r, view1, lower, origin, -1)) {
            dimension_of(r, view1, margins[KV_SIDE_LEFT], lower, KV_SIDE_LEFT);
            dimension_of(r, view1, margins[KV_SIDE_BOTTOM], lower, KV_SIDE_BOTTOM);
        }
    }
    tag_t upper = NULL_TAG;
    corner_of(r, view1, KV_CORNER_UPPER_LEFT, &upper, at);
    if (upper != NULL_TAG && !close_in(r, view1, upper, origin, 1))
        dimension_of(r, view1, margins[KV_SIDE_LEFT], upper, KV_SIDE_LEFT);
    tag_t right = NULL_TAG;
    corner_of(r, view1, KV_CORNER_LOWER_RIGHT, &right, at);
    if (right != NULL_TAG && !close_in(r, view1, right, origin, 0))
        dimension_of(r, view1, margins[KV_SIDE_BOTTOM], right, KV_SIDE_BOTTOM);
}

// The second view: horizontal ordinates only.
void dimension_second_view(marker_reading *r, tag_t view2, tag_t origin) {
    tag_t ordinate_origin = NULL_TAG;
    tag_t margins[4];
    double at[2];
    create_ordinate_origin(view2, origin, &ordinate_origin);
    margins_of(r, view2, ordinate_origin, margins);
    dimension_of(r, view2, margins[KV_SIDE_BOTTOM], origin, KV_SIDE_BOTTOM);
    tag_t lower = NULL_TAG, right = NULL_TAG;
    corner_of(r, view2, KV_CORNER_LOWER_LEFT, &lower, at);
    if (lower != NULL_TAG && !close_in(r, view2, lower, origin, 0))
        dimension_of(r, view2, margins[KV_SIDE_BOTTOM], lower, KV_SIDE_BOTTOM);
    corner_of(r, view2, KV_CORNER_LOWER_RIGHT, &right, at);
    if (right != NULL_TAG && !close_in(r, view2, right, origin, 0))
        dimension_of(r, view2, margins[KV_SIDE_BOTTOM], right, KV_SIDE_BOTTOM);
}

}  // namespace

void dimension_electrode_views(const char *name, tag_t view1, tag_t view2) {
    if (!name) return;
    marker_reading r;
    tag_t origin = NULL_TAG;
    uf_list_p_t arcs = NULL, lines = NULL;
    if (read_markers(&r, name, &origin) != 0) {
        // Without memory for the reading, NX's lists hold the markers and every question asks NX.
        if (UF_MODL_create_list(&arcs) != 0 || UF_MODL_create_list(&lines) != 0) {
            // Without both lists nothing can be dimensioned.
            delete_model_list(&arcs);
            delete_model_list(&lines);
            return;
        }
        find_marker_arcs(name, arcs, &origin);
        find_edge_lines(name, lines);
        r.arcs = arcs;
        r.lines = lines;
    }
    double at[2];
    if (origin == NULL_TAG) corner_of(&r, view1, KV_CORNER_LOWER_LEFT, &origin, at);
    if (view1 != NULL_TAG && origin != NULL_TAG) dimension_first_view(&r, view1, origin);
    if (view2 != NULL_TAG && origin != NULL_TAG) dimension_second_view(&r, view2, origin);
    release_reading(&r);
    delete_model_list(&arcs);
    delete_model_list(&lines);
}
