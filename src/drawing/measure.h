/* Measuring an electrode: the solid bodies on its layer, and their box in WCS coordinates found
 * by probing with datum planes (NX's aligned box only brackets the search: it may lie inside the
 * body). */
#ifndef KELVORA_MEASURE_H
#define KELVORA_MEASURE_H

#include "nx.h"

/* Width of the bracket at which a plane search stops. */
#define KV_PROBE_TOLERANCE 0.0003

/* Appends every solid body on layer to list, in NX's order. The number appended; 0 for a layer
 * outside 1 to 256. */
int collect_solid_bodies(int layer, uf_list_p_t list);

/* collect_solid_bodies, and *failed (when given) 1 when NX failed to cycle the layer, to say an
 * object's type or to list a body, so that a box of what was collected may be short; else 0. */
int collect_solid_bodies_checked(int layer, uf_list_p_t list, int *failed);

/* The box of the listed bodies in WCS coordinates: x_min, y_min, z_min, x_max, y_max, z_max,
 * all 0 when no body could be measured. Display is suppressed while probing, resumed and
 * regenerated afterwards, and every probe plane is removed again. The number of bodies
 * measured. */
int measure_electrode_box(uf_list_p_t list, double box[6]);

/* The X, Y and Z axes of the WCS in absolute coordinates. 0, or -1 (and zero vectors). */
int wcs_axes(double x[3], double y[3], double z[3]);

/* Probes body with the plane normal to axis_dir at WCS coordinate value on axis (0 X, 1 Y,
 * 2 Z): 1 when it cuts or touches the body, 0 when it does not, -1 when no plane was made. */
int plane_cuts_body(tag_t body, const double axis_dir[3], int axis, double value);

/* The lowest (upper: highest) WCS coordinate on axis at which a probe plane still cuts body,
 * searched from the bracket lo..hi to within tol, into *out. The bracket is a start, not a bound:
 * NX's box may lie inside the body, and when a plane at the bracket's own end (lo; upper: hi)
 * cuts, the search walks outward until one misses. 0 when the extent was found (or the range is
 * already narrower than tol); -1 when the search ended without a cut, without leaving the body
 * or without a plane, *out then holding the search's fallback (the midpoint or lo, hi for the
 * upper search, the last point inside, or the bisection's current midpoint). */
int find_lower_extent(tag_t body, const double axis_dir[3], int axis, double lo, double hi, double tol,
                      double *out);
int find_upper_extent(tag_t body, const double axis_dir[3], int axis, double lo, double hi, double tol,
                      double *out);

#endif
