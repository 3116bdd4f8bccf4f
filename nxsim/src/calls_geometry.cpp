// The work coordinate system and temporary coordinate systems, point mapping, the matrix and
// vector helpers, arcs and lines, finding objects by name and type, deleting objects.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "util.h"

using namespace nxsim;

namespace {

// Lines shorter than this are refused, as NX refuses degenerate curves.
const double kMinLineLength = 1e-6;
// Angles may exceed a full turn by this much (rounding of 360 degrees in radians).
const double kAngleTolerance = 1e-9;

// The WCS's coordinate system, made (temporary: never saved or cycled) when first asked.
Object* wcs_object(Part& p) {
    Object* w = live_obj(p.wcs);
    if (w && w->type == T_CSYS) return w;
    Object& m = new_object(p, T_MATRIX);
    m.temporary = true;
    m.layer = 0;
    m.mtx = p.wcs_mtx;
    tag_t mt = m.tag;
    Object& c = new_object(p, T_CSYS);
    c.temporary = true;
    c.layer = 0;
    c.p1 = p.wcs_origin;
    c.mtx = p.wcs_mtx;
    c.matrix = mt;
    p.wcs = c.tag;
    return &c;
}

// WCS <-> absolute: local = M (x - o), x = o + M^T local.
void abs_to_wcs(const Part& p, const double in[3], double out[3]) {
    double d[3] = {in[0] - p.wcs_origin[0], in[1] - p.wcs_origin[1], in[2] - p.wcs_origin[2]};
    to_axes(p.wcs_mtx.data(), d, out);
}

void wcs_to_abs(const Part& p, const double in[3], double out[3]) {
    for (int a = 0; a < 3; ++a)
        out[a] = p.wcs_origin[a] + p.wcs_mtx[a] * in[0] + p.wcs_mtx[3 + a] * in[1] + p.wcs_mtx[6 + a] * in[2];
}

}  // namespace

namespace nxsim {

namespace {

// Whether the object is the one filed at its place in its part's list of its type (objects on a
// sheet, views and member views are in no such list).
bool in_type_list(const Object& o, const std::vector<tag_t>& list) {
    return o.type_pos < list.size() && list[o.type_pos] == o.tag;
}

void insert_sorted(std::vector<tag_t>& tags, tag_t t) {
    auto at = std::lower_bound(tags.begin(), tags.end(), t);
    if (at == tags.end() || *at != t) tags.insert(at, t);
}

void erase_sorted(std::vector<tag_t>& tags, tag_t t) {
    auto at = std::lower_bound(tags.begin(), tags.end(), t);
    if (at != tags.end() && *at == t) tags.erase(at);
}

// The index of the part's objects of the type, brought up to its list: objects made since it was
// last asked are filed under the names they have (they were named when made, within the call).
NameIndex& names_of(Part& p, int type) {
    NameIndex& index = S().name_index[{p.tag, type}];
    const std::vector<tag_t>& list = p.by_type[type];
    for (; index.covered < list.size(); ++index.covered) {
        const Object* o = peek_live(list[index.covered]);
        if (o && !o->name.empty()) index.tags[o->name].push_back(o->tag);
    }
    return index;
}

}  // namespace

void names_renamed(const Object& o, const std::string& old_name) {
    auto& all = S().name_index;
    auto it = all.find({o.part, o.type});
    if (it == all.end()) return;
    NameIndex& index = it->second;
    Part* p = part(o.part);
    if (!p || o.type_pos >= index.covered || !in_type_list(o, p->by_type[o.type])) return;
    auto was = index.tags.find(old_name);
    if (was != index.tags.end()) erase_sorted(was->second, o.tag);
    if (!o.name.empty()) insert_sorted(index.tags[o.name], o.tag);
}

void names_deleted(const Object& o) {
    auto& all = S().name_index;
    auto it = all.find({o.part, o.type});
    if (it == all.end()) return;
    auto named = it->second.tags.find(o.name);
    if (named != it->second.tags.end()) erase_sorted(named->second, o.tag);
}

void names_forget(tag_t part) {
    auto& all = S().name_index;
    all.erase(all.lower_bound({part, std::numeric_limits<int>::min()}),
              all.lower_bound({part + 1, std::numeric_limits<int>::min()}));
}

}  // namespace nxsim

extern "C" {

// ---------------------------------------------------------------- WCS and coordinate systems

// The displayed part's WCS as a coordinate system, made (temporary) when first asked; 0, or NX's error code.
int UF_CSYS_ask_wcs(tag_t* wcs_id) {
    if (wcs_id) *wcs_id = NULL_TAG;
    if (int rc = enter("UF_CSYS_ask_wcs")) return rc;
    if (!wcs_id) return ERR_BAD_ARG;
    Part* p = display_part();
    if (!p) return ERR_NO_WORK_PART;
    *wcs_id = wcs_object(*p)->tag;
    return 0;
}

// Makes a coordinate system of the displayed part the WCS; 0, or NX's error code.
int UF_CSYS_set_wcs(tag_t csys_id) {
    if (int rc = enter("UF_CSYS_set_wcs")) return rc;
    Part* p = display_part();
    if (!p) return ERR_NO_WORK_PART;
    Object* c = live_obj(csys_id);
    if (!c || c->type != T_CSYS || c->part != p->tag) return ERR_BAD_TAG;
    p->wcs = c->tag;
    p->wcs_origin = c->p1;
    p->wcs_mtx = c->mtx;
    return 0;
}

// Makes a temporary (never saved or cycled) coordinate system of the work part; 0, or NX's error code.
int UF_CSYS_create_temp_csys(const double csys_origin[3], tag_t matrix_id, tag_t* csys_id) {
    if (csys_id) *csys_id = NULL_TAG;
    if (int rc = enter("UF_CSYS_create_temp_csys")) return rc;
    if (!csys_origin || !csys_id || !finite3(csys_origin)) return ERR_BAD_ARG;
    Part* w = work_part();
    if (!w) return ERR_NO_WORK_PART;
    Object* m = live_obj(matrix_id);
    if (!m || m->type != T_MATRIX) return ERR_BAD_TAG;
    std::array<double, 9> values = m->mtx;
    Object& c = new_object(*w, T_CSYS);
    c.temporary = true;
    c.layer = 0;
    for (int i = 0; i < 3; ++i) c.p1[i] = csys_origin[i];
    c.mtx = values;
    c.matrix = matrix_id;
    *csys_id = c.tag;
    return 0;
}

// Maps a point between the absolute and the WCS coordinates of the displayed part; 0, or NX's error code.
int UF_CSYS_map_point(int input_csys, double input_point[3], int output_csys, double output_point[3]) {
    if (output_point)
        for (int i = 0; i < 3; ++i) output_point[i] = 0;
    if (int rc = enter("UF_CSYS_map_point")) return rc;
    if (!input_point || !output_point) return ERR_BAD_ARG;
    auto valid = [](int c) {
        return c == UF_CSYS_ROOT_COORDS || c == UF_CSYS_WORK_COORDS || c == UF_CSYS_ROOT_WCS_COORDS;
    };
    if (!valid(input_csys) || !valid(output_csys)) return UF_CSYS_ERR_INVALID_COORDS;
    Part* p = display_part();
    if (!p) return ERR_NO_WORK_PART;
    // Without assemblies the display part's absolute space is the work part's.
    double abs[3];
    if (input_csys == UF_CSYS_ROOT_WCS_COORDS)
        wcs_to_abs(*p, input_point, abs);
    else
        for (int i = 0; i < 3; ++i) abs[i] = input_point[i];
    if (output_csys == UF_CSYS_ROOT_WCS_COORDS)
        abs_to_wcs(*p, abs, output_point);
    else
        for (int i = 0; i < 3; ++i) output_point[i] = abs[i];
    return 0;
}

// ---------------------------------------------------------------- matrices and vectors

// The 4x4 matrix of a 3x3 one, without translation; void.
void UF_MTX3_mtx4(const double mtx_3D[9], double mtx_4D[16]) {
    enter_any("UF_MTX3_mtx4");
    if (!mtx_3D || !mtx_4D) return;
    for (int i = 0; i < 16; ++i) mtx_4D[i] = 0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) mtx_4D[4 * r + c] = mtx_3D[3 * r + c];
    mtx_4D[15] = 1;
}

// The product mtx1 mtx2, which may be written over either; void.
void UF_MTX3_multiply(const double mtx1[9], const double mtx2[9], double mtx_product[9]) {
    enter_any("UF_MTX3_multiply");
    if (!mtx1 || !mtx2 || !mtx_product) return;
    double out[9];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[3 * r + c] = mtx1[3 * r] * mtx2[c] + mtx1[3 * r + 1] * mtx2[3 + c] + mtx1[3 * r + 2] * mtx2[6 + c];
    for (int i = 0; i < 9; ++i) mtx_product[i] = out[i];
}

// The vector's components along the matrix's rows; void.
void UF_MTX3_vec_multiply(const double vec[3], const double mtx[9], double vec_product[3]) {
    enter_any("UF_MTX3_vec_multiply");
    if (!vec || !mtx || !vec_product) return;
    // Each row (axis) dotted with the vector: absolute components along the matrix's axes.
    double out[3];
    to_axes(mtx, vec, out);
    for (int i = 0; i < 3; ++i) vec_product[i] = out[i];
}

// The matrix's X axis, its first row; void.
void UF_MTX3_x_vec(const double mtx[9], double x_vec[3]) {
    enter_any("UF_MTX3_x_vec");
    if (mtx && x_vec)
        for (int i = 0; i < 3; ++i) x_vec[i] = mtx[i];
}

// The matrix's Y axis, its second row; void.
void UF_MTX3_y_vec(const double mtx[9], double y_vec[3]) {
    enter_any("UF_MTX3_y_vec");
    if (mtx && y_vec)
        for (int i = 0; i < 3; ++i) y_vec[i] = mtx[3 + i];
}

// The matrix's Z axis, its third row; void.
void UF_MTX3_z_vec(const double mtx[9], double z_vec[3]) {
    enter_any("UF_MTX3_z_vec");
    if (mtx && z_vec)
        for (int i = 0; i < 3; ++i) z_vec[i] = mtx[6 + i];
}

// The inverse of a 4x4 matrix; 0, 1 for a singular one, or NX's error code.
int UF_MTX4_invert(const double mtx_in[16], double mtx_out[16]) {
    if (mtx_out)
        for (int i = 0; i < 16; ++i) mtx_out[i] = 0;
    if (int rc = enter_any("UF_MTX4_invert")) return rc;
    if (!mtx_in || !mtx_out) return ERR_BAD_ARG;
    // Gauss-Jordan with partial pivoting on [A | I].
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) a[r][c] = c < 4 ? mtx_in[4 * r + c] : (c - 4 == r ? 1.0 : 0.0);
    for (int col = 0; col < 4; ++col) {
        int piv = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[piv][col])) piv = r;
        if (std::fabs(a[piv][col]) < 1e-14) return 1;  // singular
        if (piv != col)
            for (int c = 0; c < 8; ++c) std::swap(a[piv][c], a[col][c]);
        double d = a[col][col];
        for (int c = 0; c < 8; ++c) a[col][c] /= d;
        for (int r = 0; r < 4; ++r) {
            if (r == col) continue;
            double f = a[r][col];
            if (f == 0) continue;
            for (int c = 0; c < 8; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) mtx_out[4 * r + c] = a[r][c + 4];
    return 0;
}

// The X axis of a 4x4 matrix (its first row's first three); void.
void UF_MTX4_x_vec(const double mtx[16], double x_vec[3]) {
    enter_any("UF_MTX4_x_vec");
    if (mtx && x_vec)
        for (int i = 0; i < 3; ++i) x_vec[i] = mtx[i];
}

// The Y axis of a 4x4 matrix (its second row's first three); void.
void UF_MTX4_y_vec(const double mtx[16], double y_vec[3]) {
    enter_any("UF_MTX4_y_vec");
    if (mtx && y_vec)
        for (int i = 0; i < 3; ++i) y_vec[i] = mtx[4 + i];
}

// The Z axis of a 4x4 matrix (its third row's first three); void.
void UF_MTX4_z_vec(const double mtx[16], double z_vec[3]) {
    enter_any("UF_MTX4_z_vec");
    if (mtx && z_vec)
        for (int i = 0; i < 3; ++i) z_vec[i] = mtx[8 + i];
}

// The distance between two points of the plane; void.
void UF_VEC2_distance(const double pnt1[2], const double pnt2[2], double* distance) {
    enter_any("UF_VEC2_distance");
    if (!pnt1 || !pnt2 || !distance) return;
    *distance = std::hypot(pnt1[0] - pnt2[0], pnt1[1] - pnt2[1]);
}

// The sum of two vectors; void.
void UF_VEC3_add(const double vec1[3], const double vec2[3], double vec_sum[3]) {
    enter_any("UF_VEC3_add");
    if (!vec1 || !vec2 || !vec_sum) return;
    for (int i = 0; i < 3; ++i) vec_sum[i] = vec1[i] + vec2[i];
}

// Copies a vector; void.
void UF_VEC3_copy(const double vec_src[3], double vec_dst[3]) {
    enter_any("UF_VEC3_copy");
    if (!vec_src || !vec_dst) return;
    for (int i = 0; i < 3; ++i) vec_dst[i] = vec_src[i];
}

// ---------------------------------------------------------------- curves

// Makes a line on the work part's work layer; 0, or NX's error code (4 for one shorter than 1e-6).
int UF_CURVE_create_line(UF_CURVE_line_p_t line_coords, tag_t* line) {
    if (line) *line = NULL_TAG;
    if (int rc = enter("UF_CURVE_create_line")) return rc;
    if (!line_coords || !line) return ERR_BAD_ARG;
    Part* w = work_part();
    if (!w) return ERR_NO_WORK_PART;
    const double* a = line_coords->start_point;
    const double* b = line_coords->end_point;
    if (!finite3(a) || !finite3(b)) return ERR_BAD_ARG;
    if (std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2])) <
        kMinLineLength)
        return ERR_BAD_ARG;
    Object& o = new_object(*w, T_LINE);
    for (int i = 0; i < 3; ++i) {
        o.p1[i] = a[i];
        o.p2[i] = b[i];
    }
    *line = o.tag;
    return 0;
}

// A line's end points; 0, or NX's error code.
int UF_CURVE_ask_line_data(tag_t line, UF_CURVE_line_p_t line_coords) {
    if (line_coords) memset(line_coords, 0, sizeof *line_coords);
    if (int rc = enter("UF_CURVE_ask_line_data")) return rc;
    if (!line_coords) return ERR_BAD_ARG;
    Object* o = live_obj(line);
    if (!o || o->type != T_LINE) return UF_CURVE_NOT_A_LINE_TAG;
    for (int i = 0; i < 3; ++i) {
        line_coords->start_point[i] = o->p1[i];
        line_coords->end_point[i] = o->p2[i];
    }
    return 0;
}

// Makes an arc on the work part's work layer, in a matrix object's plane; 0, or NX's error code.
int UF_CURVE_create_arc(UF_CURVE_arc_p_t arc_coords, tag_t* arc) {
    if (arc) *arc = NULL_TAG;
    if (int rc = enter("UF_CURVE_create_arc")) return rc;
    if (!arc_coords || !arc) return ERR_BAD_ARG;
    Part* w = work_part();
    if (!w) return ERR_NO_WORK_PART;
    Object* m = live_obj(arc_coords->matrix_tag);
    if (!m || m->type != T_MATRIX) return UF_CURVE_NOT_A_MATRIX_TAG;
    double a0 = arc_coords->start_angle, a1 = arc_coords->end_angle;
    if (!std::isfinite(a0) || !std::isfinite(a1) || !finite3(arc_coords->arc_center) ||
        !std::isfinite(arc_coords->radius) || arc_coords->radius <= 0)
        return ERR_BAD_ARG;
    if (a0 > a1) return UF_CURVE_START_EXCEEDS_END;
    if (a1 - a0 > TWOPI + kAngleTolerance) return UF_CURVE_ANGLES_EXCEED_2PI;
    tag_t mt = m->tag;
    Object& o = new_object(*w, T_ARC);
    o.matrix = mt;
    for (int i = 0; i < 3; ++i) o.p1[i] = arc_coords->arc_center[i];
    o.radius = arc_coords->radius;
    o.a0 = a0;
    o.a1 = a1;
    *arc = o.tag;
    return 0;
}

// An arc's matrix object, angles, centre and radius; 0, or NX's error code.
int UF_CURVE_ask_arc_data(tag_t arc, UF_CURVE_arc_p_t arc_coords) {
    if (arc_coords) memset(arc_coords, 0, sizeof *arc_coords);
    if (int rc = enter("UF_CURVE_ask_arc_data")) return rc;
    if (!arc_coords) return ERR_BAD_ARG;
    Object* o = live_obj(arc);
    if (!o || o->type != T_ARC) return UF_CURVE_NOT_AN_ARC_TAG;
    arc_coords->matrix_tag = o->matrix;
    arc_coords->start_angle = o->a0;
    arc_coords->end_angle = o->a1;
    for (int i = 0; i < 3; ++i) arc_coords->arc_center[i] = o->p1[i];
    arc_coords->radius = o->radius;
    return 0;
}

// ---------------------------------------------------------------- finding and deleting objects

// The part's next object of that name and type; 0, or NX's error code. Host's choice: deleted ones are skipped.
int UF_OBJ_cycle_by_name_and_type(tag_t part_tag, const char* name, int type, logical use_occ, tag_t* object) {
    tag_t after = object ? *object : NULL_TAG;
    if (object) *object = NULL_TAG;
    if (int rc = enter("UF_OBJ_cycle_by_name_and_type")) return rc;
    if (!object || !name) return ERR_BAD_ARG;
    Part* p = part(part_tag);
    if (!p) return ERR_BAD_TAG;
    auto it = p->by_type.find(type);
    if (it == p->by_type.end()) return 0;
    const std::vector<tag_t>& list = it->second;
    // The first tag that may answer: the one after `after` in the type's creation order.
    tag_t from = 0;
    if (after != NULL_TAG) {
        Object* o = obj(after);
        if (!o || o->part != p->tag || o->type != type) return ERR_BAD_TAG;
        if (o->type_pos + 1 >= list.size()) return 0;
        from = list[o->type_pos + 1];
    }
    NameIndex& index = names_of(*p, type);
    auto named = index.tags.find(name);
    if (named == index.tags.end()) return 0;
    const std::vector<tag_t>& tags = named->second;
    for (auto t = std::lower_bound(tags.begin(), tags.end(), from); t != tags.end(); ++t) {
        const Object* o = peek_live(*t);
        if (o && !o->temporary && o->name == name) {
            *object = o->tag;
            break;
        }
    }
    return 0;
}

// Deletes the objects, each status 0 or NX's error code; 0, or NX's error code. The statuses
// are handed out whether or not the call failed, as NX documents (each the call's code when it
// failed as a whole). Host's choice: the WCS and "ALL" stay (4).
int UF_OBJ_delete_array_of_objects(int num_objects, tag_t object_id[], int** statuses) {
    if (statuses) *statuses = nullptr;
    int rc = enter("UF_OBJ_delete_array_of_objects");
    if (!rc && (num_objects < 0 || (num_objects > 0 && !object_id))) rc = ERR_BAD_ARG;
    int* st = nullptr;
    if (statuses && num_objects > 0) st = (int*)alloc(sizeof(int) * (size_t)num_objects, "UF_OBJ_delete_array_of_objects");
    if (rc) {
        for (int i = 0; st && i < num_objects; ++i) st[i] = rc;
        if (statuses) *statuses = st;
        return rc;
    }
    for (int i = 0; i < num_objects; ++i) {
        Object* o = live_obj(object_id[i]);
        int code = 0;
        Part* p = o ? part(o->part) : nullptr;
        if (!o || !p || o->type == T_VIEW) {  // views go with uc6454
            code = ERR_BAD_TAG;
        } else if (o->tag == p->wcs) {
            code = ERR_BAD_ARG;  // the WCS cannot be deleted
        } else if (o->type == T_CATEGORY && upper_ascii(o->name) == "ALL") {
            code = ERR_BAD_ARG;  // NX's own category stays
        } else {
            o->alive = false;
            names_deleted(*o);
        }
        if (st) st[i] = code;
    }
    if (statuses) *statuses = st;
    return 0;
}

}  // extern "C"
