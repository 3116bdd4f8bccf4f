/* The rules of the electrode layer dialog: the proposed electrode number, layer and name, and
 * the layer category that makes an electrode. Settings are read afresh on every call. */
#ifndef KELVORA_LAYER_RULES_H
#define KELVORA_LAYER_RULES_H

#include <stddef.h>

#include "config/settings.h"
#include "nx.h"

/* The longest suffix the plug-in appends to an electrode's name to name the electrode's objects:
 * the ECS's "_CSYS" (the others are "_ORG", "_TOP", "_ISO" and the edge lines' "0" to "11"). */
#define KV_LONGEST_NAME_SUFFIX "_CSYS"
/* The longest electrode name the category record holds (30 in NX4 to NX7.5, more from NX10). */
#define KV_CATEGORY_NAME_MAX ((int)sizeof(((UF_LAYER_category_info_t *)0)->name) - 1)
/* The longest object name every release we build for takes: NX4's UF_OBJ_NAME_LEN. Names are
 * held to it on every build, so that a part named on one release opens the same on another. */
#define KV_PORTABLE_NAME_LEN 30
/* The longest electrode name whose derived names all fit the portable object name (25 on every
 * build), and which its category can hold. What NX does with a longer object name is not
 * documented, so the plug-in never asks for one. */
#define KV_ELECTRODE_NAME_MAX                                                                   \
    (KV_PORTABLE_NAME_LEN - (int)(sizeof KV_LONGEST_NAME_SUFFIX - 1) < KV_CATEGORY_NAME_MAX       \
         ? KV_PORTABLE_NAME_LEN - (int)(sizeof KV_LONGEST_NAME_SUFFIX - 1)                        \
         : KV_CATEGORY_NAME_MAX)

/* What a proposal looks at: the range, the prefix, and per layer the first category (NX's
 * order, "ALL" skipped) that holds it, upper case. One pass over the categories and one read of
 * the prefix serve every layer of the range, so a proposal costs the same with 1 or 100
 * electrodes on the range. */
typedef struct layer_categories_s {
    int           start;
    int           end;
    char          prefix[KV_SETTING_BUFSIZE];
    unsigned char taken[UF_LAYER_MAX_LAYER];
    char          names[UF_LAYER_MAX_LAYER][KV_CATEGORY_NAME_MAX + 2];
} layer_categories;

/* The layer dialog's proposals: the categories last read, kept for the rest of one callback
 * when keep_proposal asks for it. Lives in the dialog's state (all zero at first). */
typedef struct layer_proposal_s {
    layer_categories read;
    int              keep;     /* keep_proposal's switch */
    int              current;  /* 1 while read holds every category of the part (kept callbacks only) */
} layer_proposal;

/* The number after the highest electrode number found on the layers of the configured range,
 * so 1 when there is none. */
int next_electrode_number(void);

/* The first layer of the configured range that holds no electrode (the layer above the range
 * when all do) into *layer: 0; -1 and 1 when that layer would lie above 256. */
int first_free_layer(int *layer);

/* Both of the above from one look at the part: *number and *layer (1 when none is free).
 * Returns first_free_layer's result, or -2 when the part's categories could not all be read
 * (the proposal may then name a taken layer). */
int propose_electrode(layer_proposal *proposal, int *number, int *layer);

/* Whether the electrode name may take layer (within the configured range): 0 when no other
 * electrode lies on it (an electrode of that name may, letter case ignored); -1 when another
 * electrode's category holds it, whose upper-case name goes into other (size bytes); -2 as -1,
 * and no layer of the range is free; -3 when the part's categories could not all be read.
 * Electrodes are recognised as first_free_layer does. */
int check_electrode_layer(layer_proposal *proposal, int layer, const char *name, char *other, size_t size);

/* Between keep_proposal(p, 1) and keep_proposal(p, 0) (one callback, so that the user cannot
 * change the categories in between), propose_electrode(p) answers from the categories the last
 * check_electrode_layer(p) read, with those create_electrode_category(p) made since added,
 * instead of reading them all again. A check that could not read them all, or a category NX did
 * not make, makes the next proposal read afresh. Either call forgets what was read. */
void keep_proposal(layer_proposal *proposal, int keep);

/* The name of electrode n: the prefix ("N" when none is configured), then n zero-padded to the
 * configured width (2 when not above 0); a longer number is never cut. 0; -1 (empty name) when
 * n is not above 0; -2 (empty name) when the name does not fit in size bytes. */
int make_electrode_name(int n, char *name, size_t size);

/* Creates the layer category name holding only layer (NX's result is not looked at), and adds
 * it to proposal's kept reading (proposal may be null). 0; -1 for a null or empty name or a
 * layer outside 1 to 256; -2 for a name longer than KV_CATEGORY_NAME_MAX. */
int create_electrode_category(layer_proposal *proposal, const char *name, int layer);

#endif
