/* The electrodes' views in the model: the top view aligned with an electrode's coordinate system
 * ("<name>_TOP") and the isometric view. find_electrode_csys and prepare_electrode_views, which
 * the drawing batch calls, are declared in electrode_views.h. */
#ifndef KELVORA_MODEL_VIEWS_H
#define KELVORA_MODEL_VIEWS_H

#include "nx.h"
#include "drawing/electrode_views.h"

/* Model view names: 31 characters and the terminator. */
#define KV_VIEW_NAME_SIZE 32
/* NX's standard views the electrode views are made with. */
#define KV_TOP_VIEW "TOP"
#define KV_ISO_VIEW "TFR-ISO"

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
