/* The objects a drawing template brought onto a sheet. NX puts what it imports onto a drawing
 * on the work layer, where every layer cycle meets it, and the work layer is an electrode's
 * while that electrode's drawing is made: the template's lines and points would pass for the
 * electrode's own. Each import's group is named KV_TEMPLATE_GROUP_NAME, and its members are
 * what the plug-in leaves alone. */
#ifndef KELVORA_SHEET_TEMPLATE_H
#define KELVORA_SHEET_TEMPLATE_H

#include "nx.h"

#define KV_TEMPLATE_GROUP_NAME "KV_SHEET_TEMPLATE"

/* The members of a part's template groups. */
typedef struct template_objects {
    tag_t *tags; /* ascending; malloc'd, or null */
    int count;
    int known; /* 1 when every template group was read: only then is an object not in tags
                  known to be none of a template's */
} template_objects;

/* Names the group an import made as a template's (once more when NX refuses). 0, or -1 when NX
 * would not name it. */
int mark_template_group(tag_t group);

/* Reads the members of every template group of part into set (cleared first). 0; -1 when NX
 * could not cycle the groups or read one, or memory ran out: set->known is then 0. */
int read_template_objects(tag_t part, template_objects *set);

/* 1 when object is a member of one of set's template groups, else 0 (also for a null set). */
int is_template_object(const template_objects *set, tag_t object);

/* Frees what set holds and clears it; a null set is left alone. */
void release_template_objects(template_objects *set);

#endif
