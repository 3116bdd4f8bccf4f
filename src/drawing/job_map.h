/* The setup map: the datum's XY plane seen from +Z, scaled to fit A4 landscape, with the datum
 * origin and axes, the boxes of the work part's other solid bodies, each electrode's footprint
 * (its box's length and width along its ECS X and Y axes, at its position) with its name and
 * an arrow along its ECS X axis, TILT, MIRRORED and NO_ECS electrodes drawn apart, a legend and
 * a scale bar. Names never overlap: one that would is moved away and tied to its electrode by a
 * leader line. Written as "<work part>_EDM_MAP.svg" (GBK) and inside the job sheet's page.
 * Footprints and body boxes are drawn in datum coordinates inside the group "model", whose
 * transform maps them onto the page (mm). Plain data: no NX call. */
#ifndef KELVORA_JOB_MAP_H
#define KELVORA_JOB_MAP_H

#include <stdio.h>

#include "drawing/job_sheet_writers.h"

/* The map's size in mm: A4 landscape inside the job sheet's margins. */
#define KV_MAP_WIDTH_MM 277
#define KV_MAP_HEIGHT_MM 190

/* The map's <svg> element to out. 0, or -1 when a write failed. */
int put_job_map(FILE *out, const job_sheet *sheet);

/* The map as a file: the XML declaration (GBK), then put_job_map. 0, or -1. */
int write_job_map_svg(FILE *out, const job_sheet *sheet);

#endif
