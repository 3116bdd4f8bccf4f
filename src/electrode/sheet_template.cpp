#include "electrode/sheet_template.h"

#include <stdlib.h>
#include <string.h>

namespace {

int compare_tags(const void *a, const void *b) {
    tag_t x = *(const tag_t *)a, y = *(const tag_t *)b;
    return x < y ? -1 : x > y ? 1 : 0;
}

/* Appends the group's members to set. 0, or -1 when NX could not read it or memory ran out. */
int add_members(template_objects *set, tag_t group) {
    tag_t *members = NULL;
    int count = 0;
    int rc = UF_GROUP_ask_group_data(group, &members, &count);
    if (rc == 0 && count > 0 && members) {
        tag_t *grown = (tag_t *)realloc(set->tags, sizeof(tag_t) * (size_t)(set->count + count));
        if (grown) {
            memcpy(grown + set->count, members, sizeof(tag_t) * (size_t)count);
            set->tags = grown;
            set->count += count;
        } else {
            rc = -1;
        }
    }
    if (members) UF_free(members);
    return rc == 0 ? 0 : -1;
}

}  // namespace

int mark_template_group(tag_t group) {
    if (group == NULL_TAG) return -1;
    char name[] = KV_TEMPLATE_GROUP_NAME;
    if (UF_OBJ_set_name(group, name) != 0 && UF_OBJ_set_name(group, name) != 0) return -1;
    return 0;
}

int read_template_objects(tag_t part, template_objects *set) {
    if (!set) return -1;
    memset(set, 0, sizeof *set);
    if (part == NULL_TAG) return -1;
    char name[] = KV_TEMPLATE_GROUP_NAME;
    tag_t group = NULL_TAG;
    for (;;) {
        if (UF_OBJ_cycle_by_name_and_type(part, name, UF_group_type, FALSE, &group) != 0) {
            release_template_objects(set);
            return -1;
        }
        if (group == NULL_TAG) break;
        if (add_members(set, group) != 0) {
            release_template_objects(set);
            return -1;
        }
    }
    if (set->count > 1) qsort(set->tags, (size_t)set->count, sizeof(tag_t), compare_tags);
    set->known = 1;
    return 0;
}

int is_template_object(const template_objects *set, tag_t object) {
    if (!set || !set->tags || object == NULL_TAG) return 0;
    return bsearch(&object, set->tags, (size_t)set->count, sizeof(tag_t), compare_tags) != NULL;
}

void release_template_objects(template_objects *set) {
    if (!set) return;
    free(set->tags);
    memset(set, 0, sizeof *set);
}
