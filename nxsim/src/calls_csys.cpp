// Coordinate systems and matrix objects.
#include "util.h"

using namespace nxsim;

namespace {

Object* live_of_type(tag_t t, int type) {
    Object* o = live_obj(t);
    return (o && o->type == type) ? o : nullptr;
}

}  // namespace

extern "C" {

// Makes a matrix object of the work part from orthonormal rows; 0, or NX's error code.
int UF_CSYS_create_matrix(const double matrix_values[9], tag_t* matrix_id) {
    if (matrix_id) *matrix_id = NULL_TAG;
    if (int rc = enter("UF_CSYS_create_matrix")) return rc;
    if (!matrix_values || !matrix_id) return ERR_BAD_ARG;
    Part* w = work_part();
    if (!w) return ERR_NO_WORK_PART;
    if (!orthonormal(matrix_values)) return ERR_BAD_ARG;
    Object& m = new_object(*w, T_MATRIX);
    for (int i = 0; i < 9; ++i) m.mtx[i] = matrix_values[i];
    *matrix_id = m.tag;
    return 0;
}

// Copies the nine values of a matrix object; 0, or NX's error code.
int UF_CSYS_ask_matrix_values(tag_t matrix_id, double matrix_values[9]) {
    if (matrix_values)
        for (int i = 0; i < 9; ++i) matrix_values[i] = 0;
    if (int rc = enter("UF_CSYS_ask_matrix_values")) return rc;
    if (!matrix_values) return ERR_BAD_ARG;
    Object* m = live_of_type(matrix_id, T_MATRIX);
    if (!m) return ERR_BAD_TAG;
    for (int i = 0; i < 9; ++i) matrix_values[i] = m->mtx[i];
    return 0;
}

// Makes a coordinate system on the work part's work layer with a matrix object of the work part;
// 0, or NX's error code. Whether NX takes a matrix of another part is undocumented: the host
// refuses one (ERR_BAD_TAG), so that code relying on it fails here.
int UF_CSYS_create_csys(const double csys_origin[3], tag_t matrix_id, tag_t* csys_id) {
    if (csys_id) *csys_id = NULL_TAG;
    if (int rc = enter("UF_CSYS_create_csys")) return rc;
    if (!csys_origin || !csys_id) return ERR_BAD_ARG;
    Part* w = work_part();
    if (!w) return ERR_NO_WORK_PART;
    Object* m = live_of_type(matrix_id, T_MATRIX);
    if (!m) return ERR_BAD_TAG;
    if (m->part != w->tag) return ERR_BAD_TAG;
    std::array<double, 9> values = m->mtx;
    Object& c = new_object(*w, T_CSYS);
    for (int i = 0; i < 3; ++i) c.p1[i] = csys_origin[i];
    c.mtx = values;
    c.matrix = matrix_id;
    *csys_id = c.tag;
    return 0;
}

// A coordinate system's matrix object and origin; 0, or NX's error code.
int UF_CSYS_ask_csys_info(tag_t csys_id, tag_t* matrix_id, double csys_origin[3]) {
    if (matrix_id) *matrix_id = NULL_TAG;
    if (csys_origin)
        for (int i = 0; i < 3; ++i) csys_origin[i] = 0;
    if (int rc = enter("UF_CSYS_ask_csys_info")) return rc;
    if (!matrix_id || !csys_origin) return ERR_BAD_ARG;
    Object* c = live_of_type(csys_id, T_CSYS);
    if (!c) return ERR_BAD_TAG;
    if (!live_of_type(c->matrix, T_MATRIX)) {
        // A system read from a part file keeps its matrix inline: its matrix object is made
        // now, hidden (never cycled or saved), as the file already holds the values.
        Part* p = part(c->part);
        if (!p) return ERR_BAD_TAG;
        Object& m = new_object(*p, T_MATRIX);
        m.temporary = true;
        m.layer = 0;
        m.mtx = c->mtx;
        c->matrix = m.tag;
    }
    *matrix_id = c->matrix;
    for (int i = 0; i < 3; ++i) csys_origin[i] = c->p1[i];
    return 0;
}

}  // extern "C"
