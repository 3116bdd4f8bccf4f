// Electrode part files: the file name rule, the new part saved at once, the component at the
// absolute origin, and the electrode's geometry linked or copied into it.
#include "create/electrode_part.h"

#include <stdio.h>
#include <string.h>

#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "electrode/electrode.h"
#include "electrode/sheet_template.h"
#include "electrode/text_source.h"
#include "electrode/work_part.h"

namespace {

const char kPartNameKeyword[] = "$part_name";
const char kPartExtension[] = ".prt";

void lower_ascii(char *text) {
    for (; *text; ++text)
        if (*text >= 'A' && *text <= 'Z') *text = (char)(*text - 'A' + 'a');
}

// Appends src to dst (size bytes) without splitting a character.
void append(char *dst, size_t size, const char *src) {
    size_t len = strlen(dst);
    if (len + 1 < size) kv_copy(dst + len, size - len, src);
}

// Appends the first n bytes of src to dst (size bytes) without splitting a character.
void append_n(char *dst, size_t size, const char *src, size_t n) {
    size_t len = strlen(dst);
    if (len + 1 < size) kv_copy_n(dst + len, size - len, src, n);
}

// The character boundary of text (len bytes) nearest to at: the last at or before it (up = 0)
// or the first at or after it (up = 1). GBK is read from the start: a trail byte may look like
// a lead byte, so boundaries cannot be found backwards.
size_t char_boundary(const char *text, size_t len, size_t at, int up) {
    if (at >= len) return len;
    size_t pos = 0;
    while (pos < at) {
        size_t next = pos + ((kv_is_gbk_lead((unsigned char)text[pos]) && pos + 1 < len) ? 2 : 1);
        if (next > at) return up ? next : pos;
        pos = next;
    }
    return pos;
}

void tell(const char *text, const char *path) {
    char message[KV_PART_MESSAGE_BUFSIZE];
    format_path_message(message, sizeof message, text, path);
    uc1601(message, 1);
}

int file_exists(const char *path) {
    int status = 1;
    return UF_CFI_ask_file_exist(path, &status) == 0 && status == 0;
}

/* Makes work the work part again (and display the display part, unless it is null), once more
 * when NX did not. 0, or -1 when they are not both back. */
int put_back(tag_t display, tag_t work) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (display != NULL_TAG) UF_PART_set_display_part(display);
        UF_ASSEM_set_work_part(work);
        if ((display == NULL_TAG || UF_PART_ask_display_part() == display) && UF_ASSEM_ask_work_part() == work)
            return 0;
    }
    return -1;
}

/* Makes the part, saves it empty and adds it to the work part as a component. The display and
 * work part are the same afterwards. 0; -1 when a step failed (the caller decides by what is
 * loaded and on disk); -2 when the display or work part could not be put back. */
int make_part_file(const char *path) {
    tag_t display = UF_PART_ask_display_part();
    tag_t work = UF_ASSEM_ask_work_part();
    // NX moves both to the new part: without them in hand they could not be put back.
    if (work == NULL_TAG || display == NULL_TAG) return -1;
    int units = 0;
    UF_PART_ask_units(work, &units);
    tag_t created = NULL_TAG;
    int rc = UF_PART_new(path, units, &created);
    if (rc == 0) UF_PART_save();
    if (put_back(display, work) != 0) return -2;
    if (rc != 0 || created == NULL_TAG || !file_exists(path)) return -1;

    double origin[3] = {0.0, 0.0, 0.0};
    double axes[6] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0};
    tag_t instance = NULL_TAG;
    UF_PART_load_status_t load;
    memset(&load, 0, sizeof load);
    rc = UF_ASSEM_add_part_to_assembly(work, path, NULL, "", origin, axes, -1, &instance, &load);
    if (load.file_names) UF_free_string_array(load.n_parts, load.file_names);
    if (load.statuses) {
        UF_free(load.statuses);
        rc = -1;
    }
    return rc == 0 ? 0 : -1;
}

// What a part file lacks, by kind: objects NX would not link or copy, and what could not be read.
struct shortfall {
    int bodies, points, lines, systems, unread;
    int layer;     // the first layer whose objects could not all be walked, or 0
    int category;  // the electrode's category could not be read: nothing was walked
};

// Brings one object of the electrode's layers into the part. 1 when a WAVE link was made;
// 0 when there was nothing to link (or the ECS was copied, or the object is a drawing
// template's); 2 when NX refused what the object needed, or a line or point could not be told
// from a template's (counted in missed); -1 when the work part could not be put back.
int carry_over(tag_t part, tag_t object, const template_objects *templates, shortfall *missed) {
    int type = 0, subtype = 0;
    if (UF_OBJ_ask_type_and_subtype(object, &type, &subtype) != 0) {
        ++missed->unread;
        return 2;
    }
    tag_t feature = NULL_TAG;
    int *count = NULL, rc = 0;
    switch (type) {
        case UF_solid_type:
            if (subtype != UF_solid_body_subtype) return 0;
            count = &missed->bodies;
            rc = UF_WAVE_create_linked_body(object, NULL_TAG, part, true, &feature);
            break;
        case UF_coordinate_system_type: {
            int copied = copy_csys_to_part(part, object, KV_ECS_NAME);
            if (copied == -3) return -1;
            if (copied == 0) return 0;
            ++missed->systems;
            return 2;
        }
        case UF_point_type:
            count = &missed->points;
            if (is_template_object(templates, object)) return 0;
            rc = templates->known ? UF_WAVE_create_linked_pt_point(object, NULL_TAG, part, true, &feature) : -1;
            break;
        case UF_line_type:
            count = &missed->lines;
            if (is_template_object(templates, object)) return 0;
            rc = templates->known ? UF_WAVE_create_linked_curve(object, NULL_TAG, part, true, &feature) : -1;
            break;
        default:
            return 0;
    }
    if (rc == 0) return 1;
    ++*count;
    return 2;
}

/* Updates part's model once its links are made: NX (from NX10) wants it, and updates the work
 * part, so part is the work part meanwhile. When the update fails the links stay as made: NX's
 * next update completes them. 0, or -1 when the work part could not be put back. */
int update_linked_part(tag_t part) {
    tag_t work = UF_ASSEM_ask_work_part();
    if (work == NULL_TAG) return -1;
    if (part == work) {
        UF_MODL_update();
        return 0;
    }
    if (UF_ASSEM_set_work_part(part) == 0) UF_MODL_update();
    return put_back(NULL_TAG, work);
}

/* Walks the category's layers in ascending order and carries their objects over. 0 all carried;
 * 1 when something could not be (missed says what): the part lacks it; -2 when the work part
 * could not be put back (the walk stops). */
int link_electrode(tag_t part, const char *name, const template_objects *templates, shortfall *missed) {
    tag_t category = NULL_TAG;
    UF_LAYER_category_info_t info;
    memset(&info, 0, sizeof info);
    if (find_category(name, &category) != 0 || UF_LAYER_ask_category_info(category, &info) != 0) {
        missed->category = 1;
        return 1;
    }
    int links = 0, short_of = 0;
    for (int layer = UF_LAYER_MIN_LAYER; layer <= UF_LAYER_MAX_LAYER; ++layer) {
        if (!info.layer_mask[layer - 1]) continue;
        tag_t object = NULL_TAG;
        int rc = 0;
        while ((rc = UF_LAYER_cycle_by_layer(layer, &object)) == 0 && object != NULL_TAG) {
            int carried = carry_over(part, object, templates, missed);
            if (carried < 0) return -2;  // what follows would go into the electrode's part
            if (carried == 2) short_of = 1;
            else links += carried;
        }
        if (rc != 0) {  // the rest of the layer was not seen
            if (missed->layer == 0) missed->layer = layer;
            short_of = 1;
        }
    }
    if (links > 0 && update_linked_part(part) != 0) return -2;
    return short_of;
}

// Appends one kind of what is lacking (format with one %d) when there is any.
void list_lack(char *lacks, size_t size, const char *format, int count) {
    if (count <= 0) return;
    char item[64];
    snprintf(item, sizeof item, format, count);
    if (lacks[0]) append(lacks, size, KV_LACK_SEPARATOR);
    append(lacks, size, item);
}

void describe_shortfall(const shortfall *missed, char *lacks, size_t size) {
    if (missed->category) {
        kv_copy(lacks, size, KV_LACK_ALL_TEXT);
        return;
    }
    list_lack(lacks, size, KV_LACK_BODIES_TEXT, missed->bodies);
    list_lack(lacks, size, KV_LACK_POINTS_TEXT, missed->points);
    list_lack(lacks, size, KV_LACK_LINES_TEXT, missed->lines);
    list_lack(lacks, size, KV_LACK_SYSTEMS_TEXT, missed->systems);
    list_lack(lacks, size, KV_LACK_UNREAD_TEXT, missed->unread);
    list_lack(lacks, size, KV_LACK_LAYER_TEXT, missed->layer);
}

}  // namespace

void format_path_message(char *message, size_t size, const char *text, const char *path) {
    if (!message || size == 0) return;
    message[0] = '\0';
    if (!text) return;
    if (!path) path = "";
    const char *hole = strstr(text, "%s");
    size_t before = hole ? (size_t)(hole - text) : strlen(text);
    const char *after = hole ? hole + 2 : "";
    size_t fixed = before + strlen(after);
    if (fixed >= size) {
        kv_copy_n(message, size, text, before);
        return;
    }
    size_t room = size - 1 - fixed;
    size_t len = strlen(path);
    size_t head = len, tail = len;  // path[0, head) "..." path[tail, len)
    if (len > room) {
        const char *sep = kv_last_path_sep(path);
        size_t name = sep ? len - (size_t)(sep - path) : len;  // the file name and its separator
        size_t dots = room >= 3 ? 3 : 0;
        // Folders are read from their start and the file from its name: both ends stay.
        size_t spare = room >= dots + name ? room - dots - name : 0;
        size_t head_room = room >= dots + name ? spare / 2 : 0;
        head = char_boundary(path, len, head_room, 0);
        tail = char_boundary(path, len, len - (room - dots - head), 1);
    }
    kv_copy_n(message, size, text, before);
    append_n(message, size, path, head);
    if (head < len) append(message, size, room >= 3 ? "..." : "");
    if (head < len) append(message, size, path + tail);
    append(message, size, after);
}

int electrode_part_prefix(char *prefix, size_t size) {
    if (!prefix || size == 0) return 0;
    prefix[0] = '\0';
    char keyword[KV_SETTING_BUFSIZE];
    char separator[KV_SETTING_BUFSIZE];
    read_setting(KV_KEY_ELECTRODE_PART_PREFIX_NAME, keyword, sizeof keyword);
    read_setting(KV_KEY_ELECTRODE_PART_SEPARATOR, separator, sizeof separator);
    lower_ascii(keyword);
    char text[KV_PART_PREFIX_BUFSIZE] = "";
    if (strcmp(keyword, kPartNameKeyword) == 0) {
        work_part_name(text, sizeof text);
        // Every part has a name: without it the file would be named as no part's.
        if (text[0] == '\0') return -1;
    } else if (keyword[0] != '\0') {
        tag_t work = UF_ASSEM_ask_work_part();
        if (work != NULL_TAG) read_text_attribute(work, keyword, text, sizeof text);
    }
    if (text[0] == '\0') return 0;
    kv_copy(prefix, size, text);
    append(prefix, size, separator);
    return 0;
}

int create_electrode_part(char *folder, const char *name, const template_objects *templates, char *lacks,
                          size_t size) {
    char scratch[1];
    if (!lacks || size == 0) {
        lacks = scratch;
        size = sizeof scratch;
    }
    lacks[0] = '\0';
    if (!folder || !name || name[0] == '\0') return -1;
    size_t len = strlen(folder);
    // Every trailing separator goes, so a folder typed with them names the same files.
    while (len > 0 && kv_is_path_sep(folder[len - 1])) folder[--len] = '\0';

    char prefix[KV_PART_PREFIX_BUFSIZE];
    int named = electrode_part_prefix(prefix, sizeof prefix);
    char path[KV_PART_PATH_BUFSIZE];
    int n = snprintf(path, sizeof path, "%s" KV_PATH_SEP_STR "%s%s%s", folder, prefix, name, kPartExtension);
    if (named != 0 || n < 0 || (size_t)n >= sizeof path) {
        // A cut path would name another file.
        tell(KV_FILE_CREATE_FAILED_TEXT, path);
        return -1;
    }

    int status = 1;
    if (UF_CFI_ask_file_exist(path, &status) != 0 || status == 0) {
        tell(KV_FILE_EXISTS_TEXT, path);
        return -1;
    }
    int made = make_part_file(path);  // else what is loaded and on disk decides
    tag_t part = made == -2 ? NULL_TAG : UF_PART_ask_part_tag(path);
    // A part that only lives in the session (its save failed) is no part file.
    if (part == NULL_TAG || !file_exists(path)) {
        tell(KV_FILE_CREATE_FAILED_TEXT, path);
        return made == -2 ? -2 : -1;
    }
    shortfall missed;
    memset(&missed, 0, sizeof missed);
    template_objects own;
    memset(&own, 0, sizeof own);
    if (!templates) {
        read_template_objects(UF_ASSEM_ask_work_part(), &own);  // the user's part: the links walk it
        templates = &own;
    }
    int linked = link_electrode(part, name, templates, &missed);
    release_template_objects(&own);
    if (linked == 1) describe_shortfall(&missed, lacks, size);
    return linked;
}

int copy_csys_to_part(tag_t part, tag_t csys, const char *name) {
    if (part == NULL_TAG || csys == NULL_TAG) return -1;
    tag_t matrix = NULL_TAG;
    double origin[3] = {0.0, 0.0, 0.0}, values[9];
    if (UF_CSYS_ask_csys_info(csys, &matrix, origin) != 0 || UF_CSYS_ask_matrix_values(matrix, values) != 0)
        return -2;
    tag_t work = UF_ASSEM_ask_work_part();
    tag_t made = NULL_TAG;
    int moved = part != work;
    // Only with the part as work part: else the copy would land in the wrong part.
    if (!moved || UF_ASSEM_set_work_part(part) == 0) {
        tag_t own = NULL_TAG;
        if (UF_CSYS_create_matrix(values, &own) == 0) UF_CSYS_create_csys(origin, own, &made);
        if (moved && put_back(NULL_TAG, work) != 0) return -3;
    }
    if (made == NULL_TAG) return -2;
    if (name) UF_OBJ_set_name(made, name);
    return 0;
}
