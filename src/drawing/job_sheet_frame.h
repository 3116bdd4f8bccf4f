/* Where an electrode burns, seen from the workpiece datum: the position of its coordinate
 * system (ECS) origin and its rotation about the datum Z axis, from the two frames' origins and
 * matrices. Plain arithmetic: no NX call. */
#ifndef KELVORA_JOB_SHEET_FRAME_H
#define KELVORA_JOB_SHEET_FRAME_H

#include <stddef.h>

/* An ECS whose Z axis leans further than this from the datum Z (degrees) is flagged TILT. */
#define KV_TILT_LIMIT_DEG 0.01

/* What the position columns of an electrode's row hold. */
#define KV_PLACE_SET 0      /* position and C */
#define KV_PLACE_TILT 1     /* position and C, and the ECS Z direction */
#define KV_PLACE_NO_ECS 2   /* nothing: the electrode has no ECS */
#define KV_PLACE_MIRRORED 3 /* nothing: the ECS is left-handed */

/* A coordinate system: origin in absolute coordinates and nine matrix values, rows are the X,
 * Y and Z axes (NX's layout). */
typedef struct job_frame_s {
    double origin[3];
    double matrix[9];
} job_frame;

/* An electrode's placement in the datum frame. */
typedef struct job_placement_s {
    int    kind;         /* KV_PLACE_* */
    double position[3];  /* ECS origin */
    double c;            /* rotation of the ECS X axis about the datum Z, degrees in [0, 360),
                            rounded to three decimals */
    double z_dir[3];     /* ECS Z axis, unit length */
} job_placement;

/* A frame as seen from the datum: its origin and its X and Y axes in datum coordinates. */
typedef struct job_axes_s {
    double origin[3];
    double x[3];
    double y[3];
} job_axes;

/* The absolute coordinate system into frame. */
void absolute_frame(job_frame *frame);

/* 1 when frame's matrix is a rotation (orthonormal rows, right-handed), else 0. */
int frame_is_rotation(const job_frame *frame);

/* The placement of ecs (null: the electrode has none) in datum into out, cleared first.
 * 0; -1 when datum or out is missing, or datum's matrix is not a rotation (out cleared). */
int place_electrode(const job_frame *datum, const job_frame *ecs, job_placement *out);

/* frame (of either handedness) seen from datum into out, cleared first. 0; -1 when an argument
 * is missing or datum's matrix is not a rotation. */
int frame_in_datum(const job_frame *datum, const job_frame *frame, job_axes *out);

/* frame with its Z axis replaced by X × Y into out, so that a left-handed system can be used
 * where NX wants a right-handed one; the extents along Z and -Z are the same. 0; -1 when an
 * argument is missing. */
int right_handed_frame(const job_frame *frame, job_frame *out);

/* value with three decimals and '.' into text (size bytes); a value that rounds to zero is
 * "0.000", never "-0.000". 0; -1 when the text does not fit (text then empty). */
int format_fixed3(double value, char *text, size_t size);

#endif
