/* The work part's layer statuses as one callback knows them. A callback that sweeps the layers
 * again and again (every electrode's views hide the others' layers, every drawing view asks which
 * layers show) asks NX for a layer's status at most once and remembers what it set itself; a
 * layer is asked again only where NX's answer is not known (a failed call, the old work layer).
 * The user may change statuses between callbacks: a reading lives for one callback on one work
 * part and is never kept past it. */
#ifndef KELVORA_LAYER_STATUS_H
#define KELVORA_LAYER_STATUS_H

#include "nx.h"

typedef struct layer_statuses_s {
    int status[UF_LAYER_MAX_LAYER + 1]; /* by layer number; 0 where not known */
} layer_statuses;

/* Makes every layer's status unknown. */
void forget_layer_statuses(layer_statuses *known);

/* The status of layer into *status: from known when known holds it, else asked of NX (and
 * kept). 0, or NX's error code (or -1 for a layer outside 1 to 256) with *status 0. A null
 * known asks NX every time. */
int known_layer_status(layer_statuses *known, int layer, int *status);

/* Gives layer the status: no call when known already holds that status, else NX's
 * UF_LAYER_set_status. 0, or NX's error code (the layer's status is then unknown). Making a layer
 * the work layer leaves the old work layer's status unknown: NX gives it one of its own choosing.
 * A null known calls NX every time. */
int change_layer_status(layer_statuses *known, int layer, int status);

#endif
