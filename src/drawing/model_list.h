/* Modelling lists (uf_list_p_t) that the drawing steps gather objects in. */
#ifndef KELVORA_MODEL_LIST_H
#define KELVORA_MODEL_LIST_H

#include "nx.h"

/* Deletes *list when there is one, asking NX once more when it refuses: the list is the
 * caller's to release, and a passing failure must not leak it. */
void delete_model_list(uf_list_p_t *list);

#endif
