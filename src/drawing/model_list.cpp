// Modelling lists of the drawing steps.
#include "drawing/model_list.h"

void delete_model_list(uf_list_p_t *list) {
    if (list && *list && UF_MODL_delete_list(list) != 0 && *list) UF_MODL_delete_list(list);
}
