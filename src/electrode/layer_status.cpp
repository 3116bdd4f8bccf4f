// Layer statuses known within one callback.
#include "electrode/layer_status.h"

#include <string.h>

void forget_layer_statuses(layer_statuses *known) {
    if (known) memset(known, 0, sizeof *known);
}

int known_layer_status(layer_statuses *known, int layer, int *status) {
    *status = 0;
    if (layer < UF_LAYER_MIN_LAYER || layer > UF_LAYER_MAX_LAYER) return -1;
    if (known && known->status[layer] != 0) {
        *status = known->status[layer];
        return 0;
    }
    int rc = UF_LAYER_ask_status(layer, status);
    if (rc != 0) {
        *status = 0;
        return rc;
    }
    if (known) known->status[layer] = *status;
    return 0;
}

int change_layer_status(layer_statuses *known, int layer, int status) {
    if (!known) return UF_LAYER_set_status(layer, status);
    if (layer < UF_LAYER_MIN_LAYER || layer > UF_LAYER_MAX_LAYER) return UF_LAYER_set_status(layer, status);
    if (known->status[layer] == status) return 0;
    int rc = UF_LAYER_set_status(layer, status);
    if (status == UF_LAYER_WORK_LAYER && rc == 0)
        for (int l = UF_LAYER_MIN_LAYER; l <= UF_LAYER_MAX_LAYER; ++l)
            if (known->status[l] == UF_LAYER_WORK_LAYER) known->status[l] = 0;
    known->status[layer] = rc == 0 ? status : 0;
    return rc;
}
