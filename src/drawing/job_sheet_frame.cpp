// Positions and rotations of electrode coordinate systems in the workpiece datum's frame.
#include "drawing/job_sheet_frame.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

namespace {

const double kRadToDeg = 57.29577951308232;
const double kOrthoTolerance = 1e-6;

double dot3(const double *a, const double *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// (X × Y) · Z of the matrix rows: +1 for a rotation, -1 for a reflection.
double determinant(const double m[9]) {
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
           m[2] * (m[3] * m[7] - m[4] * m[6]);
}

int rows_orthonormal(const double m[9]) {
    for (int a = 0; a < 3; ++a)
        for (int b = a; b < 3; ++b)
            if (fabs(dot3(m + 3 * a, m + 3 * b) - (a == b ? 1.0 : 0.0)) > kOrthoTolerance) return 0;
    return 1;
}

// v (absolute direction) along the datum's axes.
void to_datum(const double datum[9], const double v[3], double out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = dot3(datum + 3 * i, v);
}

double round3(double v) { return floor(v * 1000.0 + 0.5) / 1000.0; }

// The angle of the direction (x, y) in degrees, rounded to three decimals, in [0, 360).
double turn_degrees(double x, double y) {
    double c = round3(atan2(y, x) * kRadToDeg);
    if (c < 0) c += 360.0;
    if (c >= 360.0) c -= 360.0;
    return c == 0 ? 0.0 : c;  // no negative zero
}

}  // namespace

void absolute_frame(job_frame *frame) {
    if (!frame) return;
    memset(frame, 0, sizeof *frame);
    frame->matrix[0] = frame->matrix[4] = frame->matrix[8] = 1.0;
}

int frame_is_rotation(const job_frame *frame) {
    return frame && rows_orthonormal(frame->matrix) && determinant(frame->matrix) > 0;
}

int place_electrode(const job_frame *datum, const job_frame *ecs, job_placement *out) {
    if (!out) return -1;
    memset(out, 0, sizeof *out);
    if (!frame_is_rotation(datum)) return -1;
    if (!ecs) {
        out->kind = KV_PLACE_NO_ECS;
        return 0;
    }
    if (determinant(ecs->matrix) < 0) {
        out->kind = KV_PLACE_MIRRORED;
        return 0;
    }
    double offset[3];
    for (int i = 0; i < 3; ++i) offset[i] = ecs->origin[i] - datum->origin[i];
    to_datum(datum->matrix, offset, out->position);
    double x[3];
    to_datum(datum->matrix, ecs->matrix, x);
    to_datum(datum->matrix, ecs->matrix + 6, out->z_dir);
    out->c = turn_degrees(x[0], x[1]);
    double lean = atan2(hypot(out->z_dir[0], out->z_dir[1]), out->z_dir[2]) * kRadToDeg;
    out->kind = lean > KV_TILT_LIMIT_DEG ? KV_PLACE_TILT : KV_PLACE_SET;
    return 0;
}

int frame_in_datum(const job_frame *datum, const job_frame *frame, job_axes *out) {
    if (!out) return -1;
    memset(out, 0, sizeof *out);
    if (!frame || !frame_is_rotation(datum)) return -1;
    double offset[3];
    for (int i = 0; i < 3; ++i) offset[i] = frame->origin[i] - datum->origin[i];
    to_datum(datum->matrix, offset, out->origin);
    to_datum(datum->matrix, frame->matrix, out->x);
    to_datum(datum->matrix, frame->matrix + 3, out->y);
    return 0;
}

int right_handed_frame(const job_frame *frame, job_frame *out) {
    if (!frame || !out) return -1;
    job_frame f = *frame;
    const double *x = f.matrix, *y = f.matrix + 3;
    f.matrix[6] = x[1] * y[2] - x[2] * y[1];
    f.matrix[7] = x[2] * y[0] - x[0] * y[2];
    f.matrix[8] = x[0] * y[1] - x[1] * y[0];
    *out = f;
    return 0;
}

int format_fixed3(double value, char *text, size_t size) {
    if (!text || size == 0) return -1;
    text[0] = '\0';
    if (!isfinite(value)) return -1;
    double v = round3(value);
    if (fabs(v) < 0.0005) v = 0.0;  // -0.0004 and -0.0 print as 0.000
    int n = snprintf(text, size, "%.3f", v);
    if (n < 0 || (size_t)n >= size) {
        text[0] = '\0';
        return -1;
    }
    return 0;
}
