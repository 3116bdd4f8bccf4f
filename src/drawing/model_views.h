/* The electrodes' views in the model: the electrode coordinate system looked up by name, the top
 * view aligned with it ("<name>_TOP") and the isometric view, from which each selected
 * electrode's drawing is made. */
#ifndef KELVORA_MODEL_VIEWS_H
#define KELVORA_MODEL_VIEWS_H

#include "nx.h"
#include "drawing/electrode_drawing.h"
#include "drawing/electrode_record.h"

/* Model view names: 31 characters and the terminator. */
#define KV_VIEW_NAME_SIZE 32
/* NX's standard views the electrode views are made with. */
#define KV_TOP_VIEW "TOP"
#define KV_ISO_VIEW "TFR-ISO"

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

/* Fits and orients the work view to ecs (to the WCS for the null tag) and saves it as
 * "<name>_TOP", which then takes the work view's place in the layout. The view's tag, or the
 * null tag when NX did not save it (an old view of the name is never answered). */
tag_t make_top_view(const char *name, tag_t ecs);

/* Turns the work view to the isometric direction of ecs (of the WCS for the null tag), saves it
 * as "<name>_ISO" and returns the tag of NX's standard view "TFR-ISO" (the null tag when NX
 * has none). Leaves the WCS turned the same way: the caller restores it. */
tag_t make_iso_view(const char *name, tag_t ecs);

/* Puts "TOP" in the work view's place and deletes the named view. 0 when NX deleted it, else
 * -1. */
int remove_model_view(const char *view_name);

#endif
