/* The electrodes' views in the model: the electrode coordinate system looked up by name and the
 * top and isometric model views each selected electrode's drawing is made from. */
#ifndef KELVORA_ELECTRODE_VIEWS_H
#define KELVORA_ELECTRODE_VIEWS_H

#include "nx.h"
#include "drawing/electrode_record.h"

/* The coordinate system "<name>_CSYS" on the electrode's first layer, or the null tag. */
tag_t find_electrode_csys(const char *name);

/* Prepares every selected record of the list in the model (layers, work coordinate system, the
 * top and isometric model views, whose tags go into the record). */
void prepare_electrode_views(electrode_record *head);

#endif
