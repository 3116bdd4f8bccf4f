/* The electrode process drawing: one drawing sheet per electrode, made from the template with
 * the electrode's views, title block and dimensions. */
#ifndef KELVORA_ELECTRODE_DRAWING_H
#define KELVORA_ELECTRODE_DRAWING_H

#include "drawing/electrode_record.h"

/* Makes the drawing named name from the record's data portion. -1 when its top or isometric
 * view tag is null (nothing is done), else 0. */
int make_electrode_drawing(const char *name, electrode_data data);

#endif
