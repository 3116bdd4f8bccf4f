// Proposing the next electrode (number, layer, name) and making its layer category.
#include "layer/layer_rules.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/setting_values.h"
#include "config/settings.h"
#include "electrode/electrode.h"

namespace {

const char kDefaultPrefix[] = "N";

int read_category_info(tag_t category, UF_LAYER_category_info_t *info) {
    memset(info, 0, sizeof *info);
    if (UF_LAYER_ask_category_info(category, info) == 0) return 0;
    memset(info, 0, sizeof *info);
    return UF_LAYER_ask_category_info(category, info) == 0 ? 0 : -1;
}

// Fills p (cleared first) from the settings and the work part's categories. 0, or -1 without a
// work part or when a category could not be read: then a layer may look free that is not.
int load_proposal(layer_categories *p) {
    memset(p, 0, sizeof *p);
    electrode_layer_range(&p->start, &p->end);
    read_setting(KV_KEY_ELECTRODE_PREFIX_NAME, p->prefix, sizeof p->prefix);
    tag_t part = UF_ASSEM_ask_work_part();
    if (part == NULL_TAG) return -1;
    int rc = 0;
    tag_t category = NULL_TAG;
    for (;;) {
        if (next_category(part, &category) != 0) return -1;
        if (category == NULL_TAG) break;
        UF_LAYER_category_info_t info;
        if (read_category_info(category, &info) != 0) {
            rc = -1;
            continue;
        }
        char name[sizeof info.name + 1];
        kv_copy_n(name, sizeof name, info.name, strnlen(info.name, sizeof info.name));
        kv_upper(name);
        if (kv_equal_nocase(name, "ALL")) continue;
        // Only the layers of the range are ever looked at.
        for (int i = p->start - 1; i < p->end; ++i) {
            if (!info.layer_mask[i] || p->taken[i]) continue;
            p->taken[i] = true;
            kv_copy(p->names[i], sizeof p->names[i], name);
        }
    }
    return rc;
}

// The electrode test of the shared rules (the name begins with the prefix, ASCII case
// ignored), with the prefix read once for the whole proposal.
bool electrode_on(const layer_categories *p, int layer) {
    const char *name = p->names[layer - 1];
    size_t len = strlen(name), plen = strlen(p->prefix);
    return len > 0 && plen <= len && kv_equal_nocase_n(name, plen, p->prefix, plen);
}

// The number after the prefix: standard text-to-integer conversion, 0 without digits,
// clamped so that one more still fits an int.
int number_after_prefix(const layer_categories *p, int layer) {
    long n = strtol(p->names[layer - 1] + strlen(p->prefix), NULL, 10);
    if (n < 0) return 0;
    return n >= INT_MAX ? INT_MAX - 1 : (int)n;
}

// Adds a category made since the proposal was read, as load_proposal would have read it: last in
// NX's order, so a layer already held keeps its first category.
void add_made_category(layer_categories *p, const char *made, int layer) {
    char name[sizeof p->names[0]];
    kv_copy(name, sizeof name, made);
    kv_upper(name);
    if (kv_equal_nocase(name, "ALL") || layer < p->start || layer > p->end || p->taken[layer - 1]) return;
    p->taken[layer - 1] = true;
    kv_copy(p->names[layer - 1], sizeof p->names[layer - 1], name);
}

int highest_plus_one(const layer_categories *p) {
    int highest = 0;
    for (int layer = p->start; layer <= p->end; ++layer) {
        if (!electrode_on(p, layer)) continue;
        int n = number_after_prefix(p, layer);
        if (n > highest) highest = n;
    }
    return highest + 1;
}

int free_layer_of(const layer_categories *p, int *layer) {
    *layer = 1;
    int at = p->start;
    while (at <= p->end && electrode_on(p, at)) ++at;
    if (at > UF_LAYER_MAX_LAYER) return -1;
    *layer = at;
    return 0;
}

}  // namespace

int next_electrode_number(void) {
    layer_categories read;
    load_proposal(&read);
    return highest_plus_one(&read);
}

int first_free_layer(int *layer) {
    int dummy = 0;
    layer_categories read;
    load_proposal(&read);
    return free_layer_of(&read, layer ? layer : &dummy);
}

void keep_proposal(layer_proposal *proposal, int keep) {
    if (!proposal) return;
    proposal->keep = keep ? 1 : 0;
    proposal->current = 0;
}

int propose_electrode(layer_proposal *proposal, int *number, int *layer) {
    int dummy = 0;
    if (!proposal) return -2;
    layer_categories *read = &proposal->read;
    int loaded = proposal->keep && proposal->current ? 0 : load_proposal(read);
    proposal->current = 0;  // a later proposal reads afresh unless a check reads again
    if (number) *number = highest_plus_one(read);
    int rc = free_layer_of(read, layer ? layer : &dummy);
    return loaded != 0 ? -2 : rc;
}

int check_electrode_layer(layer_proposal *proposal, int layer, const char *name, char *other, size_t size) {
    if (other && size > 0) other[0] = '\0';
    if (!proposal) return -3;
    layer_categories *read = &proposal->read;
    proposal->current = 0;
    if (load_proposal(read) != 0) return -3;
    proposal->current = proposal->keep;
    if (layer < read->start || layer > read->end || !electrode_on(read, layer)) return 0;
    const char *holder = read->names[layer - 1];
    // The electrode's own layer takes more of its objects.
    if (name && kv_equal_nocase(holder, name)) return 0;
    if (other && size > 0) kv_copy(other, size, holder);
    int free_layer = 0;
    if (free_layer_of(read, &free_layer) != 0 || free_layer > read->end) return -2;
    return -1;
}

int make_electrode_name(int n, char *name, size_t size) {
    if (!name || size == 0) return -1;
    name[0] = '\0';
    if (n <= 0) return -1;
    char prefix[KV_SETTING_BUFSIZE];
    read_setting(KV_KEY_ELECTRODE_PREFIX_NAME, prefix, sizeof prefix);
    if (prefix[0] == '\0') kv_copy(prefix, sizeof prefix, kDefaultPrefix);
    int width = setting_int(KV_KEY_ELECTRODE_NUMBER_LENGTH);
    if (width <= 0) width = 2;
    char digits[16];
    snprintf(digits, sizeof digits, "%d", n);
    size_t ndigits = strlen(digits), plen = strlen(prefix);
    size_t zeros = (size_t)width > ndigits ? (size_t)width - ndigits : 0;
    // A cut name would name another electrode.
    if (plen >= size || zeros >= size - plen || ndigits >= size - plen - zeros) return -2;
    memcpy(name, prefix, plen);
    memset(name + plen, '0', zeros);
    memcpy(name + plen + zeros, digits, ndigits + 1);
    return 0;
}

int create_electrode_category(layer_proposal *proposal, const char *name, int layer) {
    if (!name || name[0] == '\0') return -1;
    if (layer < UF_LAYER_MIN_LAYER || layer > UF_LAYER_MAX_LAYER) return -1;
    UF_LAYER_category_info_t info;
    memset(&info, 0, sizeof info);
    // The record holds the whole name or it is refused: a cut name would be another electrode.
    size_t len = strlen(name);
    if (len >= sizeof info.name) return -2;
    memcpy(info.name, name, len + 1);
    info.layer_mask[layer - 1] = true;
    tag_t category = NULL_TAG;
    if (UF_LAYER_create_category(&info, &category) == 0 && category != NULL_TAG) {
        if (proposal && proposal->current) add_made_category(&proposal->read, name, layer);
    } else if (proposal) {
        proposal->current = 0;  // what NX made, if anything, is unknown: read afresh
    }
    return 0;
}
