// Electrode categories and layers. An electrode is a layer category of the work part whose name
// begins with ELECTRODE_PREFIX_NAME (read afresh at every test); NX's own category "ALL" never
// counts.
#include "electrode/electrode.h"

#include <string.h>

#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/setting_values.h"
#include "config/settings.h"

namespace {

const char kAll[] = "ALL";

/* The category's name, upper-cased, into name (size bytes). 0, or -1 (and the empty text)
 * when NX cannot read the category. NX's name field may be full without a terminator. */
int read_category(tag_t category, char *name, size_t size, UF_LAYER_category_info_t *info) {
    memset(info, 0, sizeof *info);
    name[0] = '\0';
    if (UF_LAYER_ask_category_info(category, info) != 0) return -1;
    kv_copy_n(name, size, info->name, strnlen(info->name, sizeof info->name));
    kv_upper(name);
    return 0;
}

int is_all(const char *name) { return kv_equal_nocase(name, kAll); }

}  // namespace

int is_electrode_name(const char *name) {
    if (!name || name[0] == '\0') return 0;
    char prefix[KV_SETTING_BUFSIZE];
    read_setting(KV_KEY_ELECTRODE_PREFIX_NAME, prefix, sizeof prefix);
    return has_electrode_prefix(name, prefix);
}

int has_electrode_prefix(const char *name, const char *prefix) {
    if (!name || name[0] == '\0' || !prefix) return 0;
    size_t prefix_len = strlen(prefix);
    if (prefix_len > strlen(name)) return 0;
    return kv_equal_nocase_n(name, prefix_len, prefix, prefix_len);
}

void electrode_layer_range(int *start, int *end) {
    *start = setting_int(KV_KEY_ELECTRODE_START_LAYER);
    *end = setting_int(KV_KEY_ELECTRODE_END_LAYER);
    if (*start < UF_LAYER_MIN_LAYER) *start = UF_LAYER_MIN_LAYER;
    if (*end > UF_LAYER_MAX_LAYER) *end = UF_LAYER_MAX_LAYER;
}

void electrode_hidden_layers(int only_electrodes, int start, int end, int *first, int *last) {
    *first = only_electrodes ? start : UF_LAYER_MIN_LAYER;
    *last = only_electrodes ? end : UF_LAYER_MAX_LAYER;
}

int category_of_layer(int layer, char *name, size_t size) {
    if (!name || size == 0) return 0;
    name[0] = '\0';
    if (layer < UF_LAYER_MIN_LAYER || layer > UF_LAYER_MAX_LAYER) return 0;
    tag_t part = UF_ASSEM_ask_work_part();
    if (part == NULL_TAG) return 0;
    tag_t category = NULL_TAG;
    while (UF_OBJ_cycle_objs_in_part(part, UF_layer_category_type, &category) == 0 &&
           category != NULL_TAG) {
        UF_LAYER_category_info_t info;
        char upper[sizeof info.name + 1];
        if (read_category(category, upper, sizeof upper, &info) != 0) continue;
        if (!info.layer_mask[layer - 1] || is_all(upper)) continue;
        // Only the first category holding the layer is looked at.
        kv_copy(name, size, upper);
        return 0;
    }
    return 0;
}

int find_category(const char *name, tag_t *category) {
    if (!category) return -1;
    *category = NULL_TAG;
    // The 32-bit releases take the name as a writable text.
    char copy[KV_OBJ_NAME_BUFSIZE];
    if (!name || strlen(name) >= sizeof copy) return -1;
    kv_copy(copy, sizeof copy, name);
    if (UF_LAYER_ask_category_tag(copy, category) != 0 || *category == NULL_TAG) {
        *category = NULL_TAG;
        return -1;
    }
    return 0;
}

int first_layer_of_category(const char *name, int *first_layer) {
    int dummy = 0;
    if (!first_layer) first_layer = &dummy;
    *first_layer = 0;
    tag_t category = NULL_TAG;
    if (find_category(name, &category) != 0) return -1;
    UF_LAYER_category_info_t info;
    memset(&info, 0, sizeof info);
    if (UF_LAYER_ask_category_info(category, &info) != 0) return -1;
    for (int i = 0; i < UF_LAYER_MAX_LAYER; ++i) {
        if (info.layer_mask[i]) {
            *first_layer = i + 1;
            return 0;
        }
    }
    return -1;
}

int electrode_first_layer(const char *name, int *first_layer) {
    if (!is_electrode_name(name)) return -1;
    first_layer_of_category(name, first_layer);
    return 0;
}

int next_category(tag_t part, tag_t *category) {
    tag_t from = *category;
    if (UF_OBJ_cycle_objs_in_part(part, UF_layer_category_type, category) == 0) return 0;
    *category = from;
    if (UF_OBJ_cycle_objs_in_part(part, UF_layer_category_type, category) == 0) return 0;
    *category = NULL_TAG;
    return -1;
}

int list_electrode_categories(tag_t part, electrode_name_fn take, void *context) {
    // The prefix is read once for the whole list: the settings do not change within a callback.
    char prefix[KV_SETTING_BUFSIZE];
    read_setting(KV_KEY_ELECTRODE_PREFIX_NAME, prefix, sizeof prefix);
    int count = 0;
    tag_t category = NULL_TAG;
    while (next_category(part, &category) == 0 && category != NULL_TAG) {
        UF_LAYER_category_info_t info;
        char name[sizeof info.name + 1];
        if (read_category(category, name, sizeof name, &info) != 0) continue;
        if (is_all(name) || !has_electrode_prefix(name, prefix)) continue;
        if (take) take(name, context);
        ++count;
    }
    return count;
}

/* Components are scaled by 1/256 (255 gives 0.99609375) as the shop's colours were tuned with
 * that scale. */
int closest_color_from_rgb(double red, double green, double blue, int *color) {
    *color = 0;
    const double scale = 0.00390625;
    double rgb[3] = {red * scale, green * scale, blue * scale};
    UF_DISP_load_color_table();
    if (UF_DISP_ask_closest_color(UF_DISP_rgb_model, rgb, UF_DISP_CCM_EUCLIDEAN_DISTANCE, color) == 0) return 0;
    *color = 0;
    return -1;
}

int set_color_from_rgb(tag_t object, double red, double green, double blue) {
    int color = 0;
    // Without a colour number there is nothing sound to set.
    if (closest_color_from_rgb(red, green, blue, &color) != 0) return 0;
    UF_OBJ_set_color(object, color);
    return 0;
}
