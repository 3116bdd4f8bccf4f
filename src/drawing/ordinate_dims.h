/* Ordinate dimensions of an electrode drawing: measured from the electrode's origin marker to the
 * corner markers of its box in the first two views, on margins along the box's edge lines (the
 * reference objects the model-view step leaves in the work part). */
#ifndef KELVORA_ORDINATE_DIMS_H
#define KELVORA_ORDINATE_DIMS_H

#include "nx.h"

/* Sides of a view: where a margin lies. */
#define KV_SIDE_LEFT 0
#define KV_SIDE_TOP 1
#define KV_SIDE_RIGHT 2
#define KV_SIDE_BOTTOM 3
/* Corners of the marker rectangle. */
#define KV_CORNER_LOWER_LEFT 0
#define KV_CORNER_UPPER_LEFT 1
#define KV_CORNER_UPPER_RIGHT 2
#define KV_CORNER_LOWER_RIGHT 3
/* Drawing-unit tolerances: same position, and two markers coinciding. */
#define KV_SAME_POSITION 0.0001
#define KV_NEAR_MARKERS 0.005
/* The ordinate origins' name. */
#define KV_ORDINATE_ORIGIN_NAME "ORD ORG"
/* Buffers for formatted names. */
#define KV_ORD_NAME_SIZE 256

/* Dimensions the electrode named name in its first view (vertical and horizontal ordinates) and
 * second view (horizontal only), from its origin marker, or the lower-left corner marker of the
 * first view when it has none. */
void dimension_electrode_views(const char *name, tag_t view1, tag_t view2);

/* Appends the corner markers (arcs named name, case ignored) to arcs, in NX's order, and sets
 * *origin to the last arc named "<name>_ORG" (null tag when none). The number of corner markers.
 * Inside a marker batch the answer comes from the batch's reading of the arcs. */
int find_marker_arcs(const char *name, uf_list_p_t arcs, tag_t *origin);

/* A marker batch: between begin and end, find_marker_arcs reads the names of the work part's
 * arcs once (at its first call) and then only the arcs made since, instead of every arc for
 * every electrode. Only for a stretch in which nothing renames an arc or deletes one but the
 * drawing of its own electrode, and the user cannot change the part (one callback): the found
 * arcs' names are asked again, but an arc renamed to an electrode's name would be missed. When
 * a reading fails the batch falls back on reading every arc per call. end releases the reading
 * (also when none was made); a second begin without end starts afresh. */
void begin_marker_batch(void);
void end_marker_batch(void);

/* Appends the edge lines "<name>0" to "<name>11" (exact names) that exist, index 0 first. The
 * number appended. */
int find_edge_lines(const char *name, uf_list_p_t lines);

/* The arc's centre (absolute) and its start point, the point at 40 % of its sweep and its end
 * point; any output may be null. 0, or -1 (no output written) for the null tag or when NX
 * cannot read it. arc_center: the centre alone. */
int arc_points(tag_t arc, double centre[3], double start[3], double at40[3], double end[3]);
int arc_center(tag_t arc, double centre[3]);

/* The arc's centre on the sheet through view. 0, or -1 (and 0, 0). */
int arc_in_drawing(tag_t view, tag_t arc, double point[2]);

/* The first arc of the list whose centre lies at the corner (0 lower left, 1 upper left,
 * 2 upper right, 3 lower right) of the rectangle the centres span in the view, and its drawing
 * point; the null tag and (0, 0) when none. Always 0. */
int corner_marker(tag_t view, uf_list_p_t arcs, int corner, tag_t *marker, double position[2]);

/* same_drawing_x (y): 1 when the two arcs' centres lie less than KV_SAME_POSITION apart in
 * drawing x (y) in the view; near_in_drawing: 1 when they lie less than KV_NEAR_MARKERS apart.
 * 0 otherwise, also for a null arc or a centre that cannot be mapped. */
int same_drawing_x(tag_t view, tag_t a, tag_t b);
int same_drawing_y(tag_t view, tag_t a, tag_t b);
int near_in_drawing(tag_t view, tag_t a, tag_t b);

/* An ordinate origin "ORD ORG" at the arc's centre in the view. 0 and its tag; -1 and the null
 * tag for a null arc or when NX made none. */
int create_ordinate_origin(tag_t view, tag_t arc, tag_t *origin);

/* margins[side] = a margin along the extreme edge line of each side, or the null tag. */
void create_view_margins(tag_t view, tag_t ordinate_origin, uf_list_p_t lines, tag_t margins[4]);

/* The edge line of the list that bounds the view on side: the vertical line of least (left) or
 * greatest (right) drawing x, the horizontal one of greatest (top) or least (bottom) drawing y;
 * the first in list order among equals; the null tag when none. */
tag_t extreme_edge_line(tag_t view, uf_list_p_t lines, int side);

/* The line's start x, y and end x, y on the sheet through view. 0, or -1 (and zeros). */
int line_in_drawing(tag_t view, tag_t line, double points[4]);

/* A margin of side along line, 5 outside it. 0 and its tag; -1 and the null tag when the origin
 * or line is null or NX made none. */
int create_margin(tag_t view, tag_t ordinate_origin, tag_t line, int side, tag_t *margin);

/* An ordinate dimension of the arc's centre on the margin of side, its text 10 beyond the point
 * on that side. 0 and its tag; -1 and the null tag when the margin or arc is null or NX made
 * none. */
int create_ordinate_dimension(tag_t view, tag_t margin, tag_t arc, int side, tag_t *dimension);

#endif
