/* Reference geometry for an electrode's ordinate dimensions: a marker circle at the electrode's
 * origin, marker circles at the corners of its box and lines along the box's edges, all named
 * after the electrode and replaced on every run. The box is the extent of the electrode's solid
 * bodies along the axes of its coordinate system (drawing/measure.h). */
#ifndef KELVORA_DIMENSION_REFS_H
#define KELVORA_DIMENSION_REFS_H

#include "nx.h"

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
