/* The electrodes' views in the model: the electrode coordinate system looked up by name and the
 * top and isometric model views each selected electrode's drawing is made from. */
#ifndef KELVORA_ELECTRODE_VIEWS_H
#define KELVORA_ELECTRODE_VIEWS_H

#include "nx.h"
#include "drawing/electrode_record.h"
#include "drawing/electrode_drawing.h"

/* The coordinate system named "<name>_CSYS" (letter case ignored) on the electrode's first
 * layer into *csys, the null tag when there is none. 0; -1 (*csys null) when NX could not say:
 * the layer's objects, an object's type or a system's name could not be read. */
int find_electrode_csys(const char *name, tag_t *csys);

/* Prepares every selected record of the list in the model: its layers shown, the top and
 * isometric model views made in its coordinate system (their tags go into the record; the WCS
 * is given back), and the reference geometry of its dimensions. */
void prepare_electrode_views(electrode_record *head);
/* The same with what the batch's callback has read (begin_drawing_reads); reads->layers is left
 * with the statuses the last electrode's views leave. */
void prepare_electrode_views(electrode_record *head, drawing_reads *reads);

#endif
