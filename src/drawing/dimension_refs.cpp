// Reference geometry for an electrode's ordinate dimensions: the origin marker "<name>_ORG",
// eight blanked corner markers named <name> and twelve blanked edge lines "<name>0".."<name>11"
// around the electrode's box (drawing/measure.h) in its own coordinate system.
#include "drawing/dimension_refs.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "drawing/measure.h"
#include "drawing/model_list.h"
#include "drawing/wcs.h"
#include "electrode/electrode.h"

namespace {

/* x_min..z_max of box; 1 when all three extents are below the point tolerance. */
int box_is_point(const double box[6]) {
    return fabs(box[0] - box[3]) < KV_POINT_BOX_TOLERANCE && fabs(box[1] - box[4]) < KV_POINT_BOX_TOLERANCE &&
           fabs(box[2] - box[5]) < KV_POINT_BOX_TOLERANCE;
}

/* The WCS point of corner i in the corner order (bit 0 x_max, bit 1 y_max, bit 2 z_max, with
 * 2 and 3 swapped so that the bottom and the top are walked round). */
void corner_point(const double box[6], int i, double p[3]) {
    static const int kX[8] = {0, 1, 1, 0, 0, 1, 1, 0};
    static const int kY[8] = {0, 0, 1, 1, 0, 0, 1, 1};
    p[0] = kX[i] ? box[3] : box[0];
    p[1] = kY[i] ? box[4] : box[1];
    p[2] = i >= 4 ? box[5] : box[2];
}

/* Gives a new reference object its name and blanks it when asked; an object that cannot be
 * named could never be found and replaced again, so it is deleted. 0 named, -1 deleted. */
int name_reference(tag_t object, const char *name, int blank) {
    if (UF_OBJ_set_name(object, name) != 0) {
        int *statuses = NULL;
        UF_OBJ_delete_array_of_objects(1, &object, &statuses);
        if (statuses) UF_free(statuses);
        return -1;
    }
    if (blank) UF_OBJ_set_blank_status(object, UF_OBJ_BLANKED);
    return 0;
}

}  // namespace

int build_dimension_references(tag_t ecs, const char *name) {
    if (!name) return -1;
    saved_wcs saved;
    if (keep_wcs(&saved) != 0) return -1;
    if (ecs != NULL_TAG) {
        double origin[3], matrix[9];
        // Built in the wrong system the references would be wrong: without the ECS as the WCS
        // nothing is made.
        if (ask_csys_frame(ecs, origin, matrix) != 0 || restore_wcs(origin, matrix) != 0) return -1;
    }
    double point[3];
    create_origin_marker(name, point);

    int layer = 0;
    first_layer_of_category(name, &layer);
    uf_list_p_t list = NULL;
    UF_MODL_create_list(&list);
    if (list) collect_solid_bodies(layer, list);
    double box[6];
    measure_electrode_box(list, box);
    create_corner_markers(name, box);
    create_edge_lines(name, box);

    give_back_wcs(&saved);
    delete_model_list(&list);
    return 0;
}

int create_origin_marker(const char *name, double point[3]) {
    if (!name || !point) return -1;
    char marker[KV_REF_NAME_SIZE];
    snprintf(marker, sizeof marker, "%s_ORG", name);
    delete_named_objects(marker, UF_circle_type);
    point[0] = point[1] = point[2] = 0;
    tag_t arc = NULL_TAG;
    if (create_marker_circle(point, &arc) != 0) return -1;
    return name_reference(arc, marker, 0);
}

int create_corner_markers(const char *name, const double box[6]) {
    if (!name || !box) return 0;
    delete_named_objects(name, UF_circle_type);
    if (box_is_point(box)) return 0;
    tag_t arcs[8];
    for (int i = 0; i < 8; ++i) {
        double p[3];
        corner_point(box, i, p);
        create_marker_circle(p, &arcs[i]);
    }
    int made = 0;
    for (int i = 0; i < 8; ++i)
        if (arcs[i] != NULL_TAG && name_reference(arcs[i], name, 1) == 0) ++made;
    return made;
}

int create_edge_lines(const char *name, const double box[6]) {
    if (!name || !box) return 0;
    char line_name[KV_REF_NAME_SIZE];
    for (int i = 0; i < 12; ++i) {
        snprintf(line_name, sizeof line_name, "%s%d", name, i);
        delete_named_objects(line_name, UF_line_type);
    }
    if (box_is_point(box)) return 0;
    // Edge i runs from corner kFrom[i] to corner kTo[i] (corner order of corner_point).
    static const int kFrom[12] = {0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 6, 7};
    static const int kTo[12] = {1, 2, 3, 0, 4, 5, 6, 7, 5, 6, 7, 4};
    tag_t lines[12];
    for (int i = 0; i < 12; ++i) {
        double a[3], b[3];
        corner_point(box, kFrom[i], a);
        corner_point(box, kTo[i], b);
        create_wcs_line(a, b, &lines[i]);
    }
    int made = 0;
    for (int i = 0; i < 12; ++i) {
        if (lines[i] == NULL_TAG) continue;
        snprintf(line_name, sizeof line_name, "%s%d", name, i);
        if (name_reference(lines[i], line_name, 1) == 0) ++made;
    }
    return made;
}

int create_marker_circle(const double point[3], tag_t *out_arc) {
    if (out_arc) *out_arc = NULL_TAG;
    if (!point || !out_arc) return -1;
    double origin[3], matrix[9];
    if (ask_csys_frame(NULL_TAG, origin, matrix) != 0) return -1;
    const double angles[2] = {0, 360};
    return create_arc_in_csys(angles, point, KV_MARKER_RADIUS, origin, matrix, out_arc);
}

int create_arc_in_csys(const double angles[2], const double centre[3], double radius, const double origin[3],
                       const double matrix[9], tag_t *out_arc) {
    if (out_arc) *out_arc = NULL_TAG;
    if (!angles || !centre || !out_arc || !(radius > 0) || !origin || !matrix) return -1;
    tag_t matrix_tag = NULL_TAG;
    if (UF_CSYS_create_matrix(matrix, &matrix_tag) != 0 || matrix_tag == NULL_TAG) return -1;
    double absolute[3] = {centre[0], centre[1], centre[2]};
    if (csys_point_to_absolute(origin, matrix, absolute) != 0) return -1;
    UF_CURVE_arc_t arc;
    memset(&arc, 0, sizeof arc);
    // NX keeps an arc's centre along its matrix's axes.
    UF_MTX3_vec_multiply(absolute, matrix, arc.arc_center);
    arc.matrix_tag = matrix_tag;
    arc.start_angle = angles[0] * DEGRA;
    arc.end_angle = angles[1] * DEGRA;
    arc.radius = radius;
    if (UF_CURVE_create_arc(&arc, out_arc) != 0) {
        *out_arc = NULL_TAG;
        return -1;
    }
    return 0;
}

int ask_csys_frame(tag_t csys, double origin[3], double matrix[9]) {
    if (!origin || !matrix) return -1;
    for (int i = 0; i < 3; ++i) origin[i] = 0;
    for (int i = 0; i < 9; ++i) matrix[i] = 0;
    if (csys == NULL_TAG && UF_CSYS_ask_wcs(&csys) != 0) return -1;
    tag_t matrix_tag = NULL_TAG;
    if (UF_CSYS_ask_csys_info(csys, &matrix_tag, origin) != 0 || matrix_tag == NULL_TAG) {
        for (int i = 0; i < 3; ++i) origin[i] = 0;
        return -1;
    }
    if (UF_CSYS_ask_matrix_values(matrix_tag, matrix) != 0) {
        for (int i = 0; i < 3; ++i) origin[i] = 0;
        for (int i = 0; i < 9; ++i) matrix[i] = 0;
        return -2;
    }
    return 0;
}

int csys_point_to_absolute(const double origin[3], const double matrix[9], double point[3]) {
    if (!origin || !matrix || !point) return -1;
    double m4[16], inverse[16];
    UF_MTX3_mtx4(matrix, m4);
    if (UF_MTX4_invert(m4, inverse) != 0) return -1;
    // point := M^-1 (M origin + point), the system's origin and the offset along its axes.
    double moved[3];
    UF_MTX3_vec_multiply(origin, matrix, moved);
    for (int i = 0; i < 3; ++i) moved[i] += point[i];
    for (int i = 0; i < 3; ++i)
        point[i] = inverse[4 * i] * moved[0] + inverse[4 * i + 1] * moved[1] + inverse[4 * i + 2] * moved[2] +
                   inverse[4 * i + 3];
    return 0;
}

int create_wcs_line(const double start[3], const double end[3], tag_t *out_line) {
    if (out_line) *out_line = NULL_TAG;
    if (!start || !end || !out_line) return -1;
    double a[3] = {start[0], start[1], start[2]};
    double b[3] = {end[0], end[1], end[2]};
    UF_CURVE_line_t line;
    memset(&line, 0, sizeof line);
    if (UF_CSYS_map_point(UF_CSYS_ROOT_WCS_COORDS, a, UF_CSYS_ROOT_COORDS, line.start_point) != 0 ||
        UF_CSYS_map_point(UF_CSYS_ROOT_WCS_COORDS, b, UF_CSYS_ROOT_COORDS, line.end_point) != 0)
        return -1;
    if (UF_CURVE_create_line(&line, out_line) != 0) {
        *out_line = NULL_TAG;
        return -1;
    }
    return 0;
}

int delete_named_objects(const char *name, int type) {
    if (!name) return 0;
    tag_t part = UF_ASSEM_ask_work_part();
    if (part == NULL_TAG) return 0;
    uf_list_p_t list = NULL;
    if (UF_MODL_create_list(&list) != 0 || !list) return 0;
    // Collected first and deleted after: NX's cycle must not see its objects vanish.
    tag_t object = NULL_TAG;
    for (;;) {
        tag_t previous = object;
        if (UF_OBJ_cycle_by_name_and_type(part, name, type, FALSE, &object) != 0 || object == NULL_TAG ||
            object == previous)
            break;
        UF_MODL_put_list_item(list, object);
    }
    int deleted = delete_listed_objects(list);
    delete_model_list(&list);
    return deleted;
}

int delete_listed_objects(uf_list_p_t list) {
    if (!list) return 0;
    int count = 0;
    if (UF_MODL_ask_list_count(list, &count) != 0 || count <= 0) return 0;
    tag_t *tags = (tag_t *)calloc((size_t)count, sizeof(tag_t));
    if (!tags) return 0;
    int n = 0;
    for (int i = 0; i < count; ++i) {
        tag_t t = NULL_TAG;
        if (UF_MODL_ask_list_item(list, i, &t) == 0 && t != NULL_TAG) tags[n++] = t;
    }
    int *statuses = NULL;
    if (n > 0 && UF_OBJ_delete_array_of_objects(n, tags, &statuses) != 0) n = 0;
    if (statuses) UF_free(statuses);
    free(tags);
    return n;
}
