// Measuring an electrode: its solid bodies, and their box in the WCS found by probing them with
// datum planes inside an invisible undo mark, display suppressed; one undo removes every probe
// plane, and the planes logged meanwhile are deleted when it fails.
#include "drawing/measure.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "drawing/wcs.h"
#include "platform/late_calls.h"

namespace {

const double kProbeIntersectTolerance = 0.00001;
/* A scan makes at most eleven probes; one more allows for rounding of the steps. */
const int kMaxScanProbes = 12;
/* Halving a finite bracket down to the tolerance takes far fewer steps; the cap only guards
 * against a bracket that rounding keeps from shrinking. */
const int kMaxBisections = 200;
/* Doubling steps out of a body from the tolerance: 2^60 tolerances is beyond any model. */
const int kMaxWalkSteps = 60;
/* How much finer than the tolerance a search that walked out of the body ends. */
const double kWalkRefinement = 1000;

/* Planes and intersection curves made by the probes of one measurement, so that they can be
 * deleted when the undo that should remove them fails. */
struct probe_log {
    tag_t *tags;
    int count;
    int capacity;
};
probe_log *g_probe_log = NULL;

void log_probe_object(tag_t t) {
    probe_log *log = g_probe_log;
    if (!log || t == NULL_TAG) return;
    if (log->count == log->capacity) {
        int capacity = log->capacity ? log->capacity * 2 : 64;
        tag_t *grown = (tag_t *)realloc(log->tags, sizeof(tag_t) * (size_t)capacity);
        if (!grown) return;  // the undo alone will have to do
        log->tags = grown;
        log->capacity = capacity;
    }
    log->tags[log->count++] = t;
}

/* Deletes the objects of the log (the probes survived because the undo failed). */
void delete_logged_probes(probe_log *log) {
    if (log->count == 0) return;
    int *statuses = NULL;
    if (UF_OBJ_delete_array_of_objects(log->count, log->tags, &statuses) != 0) {
        // NX hands out the statuses whether or not the call failed.
        if (statuses) UF_free(statuses);
        statuses = NULL;
        UF_OBJ_delete_array_of_objects(log->count, log->tags, &statuses);
    }
    if (statuses) UF_free(statuses);
}

/* Runs set_display(on) and tries once more when NX refuses: display must come back. */
void set_display(int on) {
    if (UF_DISP_set_display(on) != 0) UF_DISP_set_display(on);
}

int valid_axis(int axis) { return axis >= 0 && axis <= 2; }

}  // namespace

int collect_solid_bodies(int layer, uf_list_p_t list) { return collect_solid_bodies_checked(layer, list, NULL); }

int collect_solid_bodies_checked(int layer, uf_list_p_t list, int *failed) {
    int scratch = 0;
    if (!failed) failed = &scratch;
    *failed = 0;
    // Layer 0 would make NX cycle every visible layer.
    if (!list || layer < UF_LAYER_MIN_LAYER || layer > UF_LAYER_MAX_LAYER) return 0;
    int count = 0;
    tag_t object = NULL_TAG;
    for (;;) {
        tag_t previous = object;
        if (UF_LAYER_cycle_by_layer(layer, &object) != 0) {
            *failed = 1;
            break;
        }
        if (object == NULL_TAG || object == previous) break;
        int type = 0, subtype = 0;
        if (UF_OBJ_ask_type_and_subtype(object, &type, &subtype) != 0) {
            *failed = 1;
            continue;
        }
        if (type != UF_solid_type || subtype != UF_solid_body_subtype) continue;
        if (UF_MODL_put_list_item(list, object) == 0)
            ++count;
        else
            *failed = 1;
    }
    return count;
}

int measure_electrode_box(uf_list_p_t list, double box[6]) {
    if (!box) return 0;
    for (int i = 0; i < 6; ++i) box[i] = 0;
    set_display(UF_DISP_SUPPRESS_DISPLAY);
    UF_UNDO_mark_id_t mark = 0;
    int have_mark = UF_UNDO_set_mark(UF_UNDO_invisible, NULL, &mark) == 0;
    probe_log log = {NULL, 0, 0};
    g_probe_log = &log;

    int count = 0, measured = 0;
    if (list) UF_MODL_ask_list_count(list, &count);
    for (int i = 0; i < count; ++i) {
        tag_t body = NULL_TAG;
        if (UF_MODL_ask_list_item(list, i, &body) != 0 || body == NULL_TAG) continue;
        double corner[3], directions[3][3], lengths[3];
        // A body NX cannot box or place in the WCS is left out rather than measured as zeros.
        if (UF_MODL_ask_bounding_box_aligned(body, NULL_TAG, FALSE, corner, directions, lengths) != 0) continue;
        double opposite[3];
        for (int a = 0; a < 3; ++a)
            opposite[a] = corner[a] + lengths[0] * directions[0][a] + lengths[1] * directions[1][a] +
                          lengths[2] * directions[2][a];
        double lo[3], hi[3];
        if (UF_CSYS_map_point(UF_CSYS_ROOT_COORDS, corner, UF_CSYS_ROOT_WCS_COORDS, lo) != 0 ||
            UF_CSYS_map_point(UF_CSYS_ROOT_COORDS, opposite, UF_CSYS_ROOT_WCS_COORDS, hi) != 0)
            continue;
        for (int a = 0; a < 3; ++a)
            if (hi[a] < lo[a]) {
                double t = lo[a];
                lo[a] = hi[a];
                hi[a] = t;
            }
        double axes[3][3];
        if (wcs_axes(axes[0], axes[1], axes[2]) != 0) continue;
        for (int a = 0; a < 3; ++a) find_lower_extent(body, axes[a], a, lo[a], hi[a], KV_PROBE_TOLERANCE, &lo[a]);
        for (int a = 0; a < 3; ++a) find_upper_extent(body, axes[a], a, lo[a], hi[a], KV_PROBE_TOLERANCE, &hi[a]);
        for (int a = 0; a < 3; ++a) {
            if (measured == 0) {
                box[a] = lo[a];
                box[3 + a] = hi[a];
                continue;
            }
            double low = lo[a] < hi[a] ? lo[a] : hi[a];
            double high = lo[a] < hi[a] ? hi[a] : lo[a];
            if (low < box[a]) box[a] = low;
            if (high > box[3 + a]) box[3 + a] = high;
        }
        ++measured;
    }

    g_probe_log = NULL;
    set_display(UF_DISP_UNSUPPRESS_DISPLAY);
    // The undo removes every probe plane; when there is no mark or the undo fails they are
    // deleted one by one instead.
    if (!have_mark || UF_UNDO_undo_to_mark(mark, NULL) != 0) delete_logged_probes(&log);
    if (have_mark && UF_UNDO_delete_mark(mark, NULL) != 0) UF_UNDO_delete_mark(mark, NULL);
    free(log.tags);
    // NX wants the graphics regenerated once display is resumed; done when the probes are gone,
    // so that none is drawn. A failure costs only stale graphics until NX's next redraw.
    late_regenerate_display();
    return measured;
}

int wcs_axes(double x[3], double y[3], double z[3]) {
    if (!x || !y || !z) return -1;
    for (int i = 0; i < 3; ++i) x[i] = y[i] = z[i] = 0;
    tag_t wcs = NULL_TAG, matrix = NULL_TAG;
    double origin[3], values[9];
    if (UF_CSYS_ask_wcs(&wcs) != 0 || UF_CSYS_ask_csys_info(wcs, &matrix, origin) != 0 ||
        UF_CSYS_ask_matrix_values(matrix, values) != 0)
        return -1;
    UF_MTX3_x_vec(values, x);
    UF_MTX3_y_vec(values, y);
    UF_MTX3_z_vec(values, z);
    return 0;
}

int plane_cuts_body(tag_t body, const double axis_dir[3], int axis, double value) {
    if (!axis_dir || !valid_axis(axis)) return -1;
    double wcs_point[3] = {0, 0, 0};
    wcs_point[axis] = value;
    double point[3];
    if (UF_CSYS_map_point(UF_CSYS_ROOT_WCS_COORDS, wcs_point, UF_CSYS_ROOT_COORDS, point) != 0) return -1;
    double direction[3] = {axis_dir[0], axis_dir[1], axis_dir[2]};
    tag_t plane = NULL_TAG;
    UF_MODL_create_fixed_dplane(point, direction, &plane);
    if (plane == NULL_TAG) return -1;
    log_probe_object(plane);
    int n = 0;
    UF_MODL_intersect_info_p_t *records = NULL;
    UF_MODL_intersect_objects(body, plane, kProbeIntersectTolerance, &n, &records);
    if (records) {
        for (int i = 0; i < n; ++i) {
            if (!records[i]) continue;
            if (records[i]->intersect_type != UF_MODL_INTERSECT_POINT)
                log_probe_object(records[i]->intersect.curve.identifier);
            UF_free(records[i]);
        }
        UF_free(records);
    }
    return n > 0 ? 1 : 0;
}

namespace {

// Bisects between a plane outside the body and one that cuts it until they lie within fine:
// *out the middle, 0; -1 (*out the plane NX could not probe) when a probe failed.
int bisect_extent(tag_t body, const double axis_dir[3], int axis, double outside, double inside, double fine,
                  double *out) {
    for (int n = 0; n < kMaxBisections && fabs(outside - inside) > fine; ++n) {
        double m = (outside + inside) / 2;
        int r = plane_cuts_body(body, axis_dir, axis, m);
        if (r < 0) {
            *out = m;
            return -1;
        }
        if (r == 1)
            inside = m;
        else
            outside = m;
    }
    *out = (outside + inside) / 2;
    return 0;
}

// Walks outward from inside, a point where a plane cut body, in steps doubling from tol until a
// plane misses, then bisects between the two to a thousandth of tol. NX's box need not hold the
// body, so its end may lie inside. 0 with the extent in *out; -1 when no plane missed or one
// could not be made (*out then the last point inside).
int walk_out_of_body(tag_t body, const double axis_dir[3], int axis, double inside, double tol, int upper,
                     double *out) {
    *out = inside;
    double step = tol;
    double outside = inside;
    int steps = 0;
    for (;; ++steps) {
        if (steps == kMaxWalkSteps) return -1;
        outside = upper ? inside + step : inside - step;
        int r = plane_cuts_body(body, axis_dir, axis, outside);
        if (r < 0) return -1;
        if (r == 0) break;
        inside = outside;
        *out = inside;
        step *= 2;
    }
    // The first step out missed: the extent lies within tol of the point inside.
    if (steps == 0) return 0;
    // Bisected finer than tol: a box that holds the body puts the search on a plane face exactly,
    // and the extent found from inside must not show otherwise in three decimals.
    return bisect_extent(body, axis_dir, axis, outside, inside, tol / kWalkRefinement, out);
}

// Both extent searches: a scan in tenths of the range from its own end (lo for the lower
// extent, hi for the upper) until a plane cuts, then bisection between the last point outside
// the body and the first inside. A plane at the end itself that cuts may mean the box lies
// inside the body: the search then walks outward instead.
int find_extent(tag_t body, const double axis_dir[3], int axis, double lo, double hi, double tol, int upper,
                double *out) {
    if (!out) return -1;
    *out = (lo + hi) / 2;
    if (!isfinite(lo) || !isfinite(hi) || !(tol > 0)) return -1;
    if (fabs(lo - hi) < tol) return 0;
    double step = (hi - lo) * 0.1;
    if (upper) *out = hi;  // the upper search falls back on hi, the lower on the midpoint
    if (lo > hi) return -1;
    const double end = upper ? hi : lo;
    double p = end;
    int cut = 0;
    for (int probes = 0; probes < kMaxScanProbes && (upper ? p >= lo : p <= hi); ++probes) {
        int r = plane_cuts_body(body, axis_dir, axis, p);
        if (r < 0) {
            *out = end;
            return -1;
        }
        if (r == 1 && probes == 0) return walk_out_of_body(body, axis_dir, axis, end, tol, upper, out);
        if (r == 1) {
            cut = 1;
            break;
        }
        p = upper ? p - step : p + step;
    }
    if (!cut) return -1;  // no plane in the range cut: the fallback stands
    return bisect_extent(body, axis_dir, axis, end, p, tol, out);
}

}  // namespace

int find_lower_extent(tag_t body, const double axis_dir[3], int axis, double lo, double hi, double tol,
                      double *out) {
    return find_extent(body, axis_dir, axis, lo, hi, tol, 0, out);
}

int find_upper_extent(tag_t body, const double axis_dir[3], int axis, double lo, double hi, double tol,
                      double *out) {
    return find_extent(body, axis_dir, axis, lo, hi, tol, 1, out);
}
