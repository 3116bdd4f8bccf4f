/* Reference geometry for an electrode's ordinate dimensions: a marker circle at the electrode's
 * origin, marker circles at the corners of its box and lines along the box's edges, all named
 * after the electrode and replaced on every run. The box is the extent of the electrode's solid
 * bodies along the axes of its coordinate system, found by probing the bodies with planes. */
#ifndef KELVORA_DIMENSION_REFS_H
#define KELVORA_DIMENSION_REFS_H

#include "nx.h"

/* Width of the bracket at which a plane search stops. */
#define KV_PROBE_TOLERANCE 0.0003
/* Radius of the marker circles (part units); drafting uses their centres. */
#define KV_MARKER_RADIUS 0.001
/* A box narrower than this along all three axes is a point: no corners or edges are made. */
#define KV_POINT_BOX_TOLERANCE 0.00001
/* Buffers for the formatted object names. */
#define KV_REF_NAME_SIZE 256

/* Makes the reference objects of the electrode named name with the WCS set to its coordinate
 * system ecs (the WCS as it is when ecs is the null tag); the WCS is given back afterwards.
 * 0 when the references were built; -1 when the WCS could not be saved or set to ecs (nothing
 * is changed then). */
int build_dimension_references(tag_t ecs, const char *name);

/* Replaces the arc "<name>_ORG" by a marker circle at the WCS origin; point is set to 0, 0, 0.
 * 0 when the marker was made and named, -1 otherwise. */
int create_origin_marker(const char *name, double point[3]);

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

/* Replaces the arcs named name by blanked marker circles at the eight corners of box (none for a
 * box that is a point). The number of markers made. */
int create_corner_markers(const char *name, const double box[6]);

/* Replaces the lines "<name>0" to "<name>11" by blanked lines along the twelve edges of box (none
 * for a box that is a point). The number of lines made. */
int create_edge_lines(const char *name, const double box[6]);

/* A marker circle in the WCS's XY plane centred on point (WCS coordinates). 0 and its tag, or
 * -1 and the null tag. */
int create_marker_circle(const double point[3], tag_t *out_arc);

/* An arc from angles[0] to angles[1] degrees about centre, given in the coordinate system of
 * origin and matrix (nine values, rows are the axes), in that system's XY plane. 0 and its tag;
 * -1 and the null tag when NX made none or an argument is missing or radius is not positive. */
int create_arc_in_csys(const double angles[2], const double centre[3], double radius, const double origin[3],
                       const double matrix[9], tag_t *out_arc);

/* Origin and matrix values of csys (of the WCS for the null tag). 0; -1 when the system or its
 * matrix cannot be asked; -2 when its values cannot be read. Outputs are zero on failure. */
int ask_csys_frame(tag_t csys, double origin[3], double matrix[9]);

/* Maps point, given in the system of origin and matrix, to absolute coordinates in place.
 * 0; -1 when an argument is missing or the matrix cannot be inverted (point unchanged). */
int csys_point_to_absolute(const double origin[3], const double matrix[9], double point[3]);

/* A line between two WCS points. 0 and its tag, or -1 and the null tag. */
int create_wcs_line(const double start[3], const double end[3], tag_t *out_line);

/* Deletes every object of the work part named exactly name with NX type type. The number
 * handed to NX for deletion. */
int delete_named_objects(const char *name, int type);

/* Deletes the listed objects at once. The number handed to NX for deletion. */
int delete_listed_objects(uf_list_p_t list);

#endif
