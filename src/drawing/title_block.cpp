// The title block of an electrode drawing. The template's title block and process table are
// notes that carry a string attribute NAME; each gets its field's text as its one line.
#include "drawing/title_block.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

#include "config/comma_list.h"
#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "electrode/text_source.h"

namespace {

/* Writes text into the group's note named field, when the template has one. */
void put_field(const group_members *group, const char *field, const char *text) {
    tag_t note = find_note_in(group, field);
    if (note != NULL_TAG) set_note_text(note, text);
}

const char *mark(int flag) { return flag ? "x" : " "; }

}  // namespace

int trim_real_text(char *text) {
    if (!text) return -1;
    const char *point = strrchr(text, '.');
    if (!point || point == text) return 0;
    // Only decimals are trimmed: the zeros of an exponent ("1.5e+10") are no decimals.
    for (const char *c = point + 1; *c; ++c)
        if (*c < '0' || *c > '9') return 0;
    size_t len = strlen(text);
    while (len > 0 && text[len - 1] == '0') text[--len] = '\0';
    if (len > 0 && text[len - 1] == '.') text[--len] = '\0';
    return 0;
}

int format_gap(double value, char *text, size_t size) {
    if (!text || size == 0) return -1;
    int n = snprintf(text, size, "%f", value);
    if (n < 0 || (size_t)n >= size) {
        // A cut "%f" would show another number: the short form instead.
        snprintf(text, size, "%g", value);
        return 0;
    }
    return trim_real_text(text);
}

int format_date(int year, int month, int day, char *text, size_t size) {
    if (!text || size == 0) return -1;
    // Month and day always show two digits.
    snprintf(text, size, "%d/%02d/%02d", year, month, day);
    return 0;
}

int format_today(char *text, size_t size) {
    if (!text || size == 0) return -1;
    text[0] = '\0';
    time_t now = time(NULL);
    struct tm *local = localtime(&now);
    if (!local) return -1;
    return format_date(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, text, size);
}

int fill_title_block(tag_t group, electrode_data data) {
    if (group == NULL_TAG) return -1;
    group_members notes;
    read_group_members(group, &notes);
    int rc = fill_title_block_notes(&notes, data);
    release_group_members(&notes);
    return rc;
}

int fill_title_block_notes(const group_members *group, electrode_data data) {
    if (!group || group->group == NULL_TAG) return -1;
    char text[KV_FIELD_TEXT_SIZE];

    kv_copy(text, sizeof text, data.mould_no);
    put_field(group, "MOLDNO", text);
    kv_copy(text, sizeof text, data.electrode_name);
    put_field(group, "ELECTRODENAME", text);
    kv_copy(text, sizeof text, data.workpiece_name);
    put_field(group, "PARTNAME", text);

    // The choice lists are read again for every drawing: an index beyond a list shows nothing.
    setting_list_item(KV_KEY_ELECTRODE_DRAFT_MATERIAL, data.material_index, text, sizeof text);
    put_field(group, "MATERIAL", text);
    setting_list_item(KV_KEY_ELECTRODE_DRAFT_METHOD, data.edm_method_index, text, sizeof text);
    put_field(group, "METHOD", text);
    setting_list_item(KV_KEY_ELECTRODE_DRAFT_MACH, data.machine_index, text, sizeof text);
    put_field(group, "MACHINE", text);

    format_gap(data.supr_coarse_gap, text, sizeof text);
    put_field(group, "POSITION1", text);
    format_gap(data.coarse_gap, text, sizeof text);
    put_field(group, "POSITION2", text);
    format_gap(data.fine_gap, text, sizeof text);
    put_field(group, "POSITION3", text);

    snprintf(text, sizeof text, "%d", data.supr_coarse_count);
    put_field(group, "POSITIONNUM1", text);
    snprintf(text, sizeof text, "%d", data.coarse_count);
    put_field(group, "POSITIONNUM2", text);
    snprintf(text, sizeof text, "%d", data.fine_count);
    put_field(group, "POSITIONNUM3", text);

    format_today(text, sizeof text);
    put_field(group, "DATE", text);

    put_field(group, "METH1", mark(data.wire_cut));
    put_field(group, "METH2", mark(data.relief));
    put_field(group, "METH3", mark(data.clear_r_corner));
    put_field(group, "METH4", mark(data.clear_square_corner));

    kv_copy(text, sizeof text, data.drawn_by);
    put_field(group, "CREATE", text);
    kv_copy(text, sizeof text, data.split_by);
    put_field(group, "SPLIT", text);
    kv_copy(text, sizeof text, data.electrode_by);
    put_field(group, "CREATELECT", text);
    return 0;
}

int fill_user_defined_notes(tag_t body, tag_t group) {
    if (body == NULL_TAG || group == NULL_TAG) return -1;
    group_members notes;
    read_group_members(group, &notes);
    int rc = fill_user_defined_notes_in(body, &notes);
    release_group_members(&notes);
    return rc;
}

int fill_user_defined_notes_in(tag_t body, const group_members *group) {
    if (body == NULL_TAG || !group || group->group == NULL_TAG) return -1;
    char names[KV_SETTING_BUFSIZE];
    char titles[KV_SETTING_BUFSIZE];
    read_setting(KV_KEY_ELECTRODE_USER_DEFINE_INFO, names, sizeof names);
    read_setting(KV_KEY_ELECTRODE_USER_DEFINE_ATTR_NAME, titles, sizeof titles);
    int count = list_item_count(names);
    if (count == 0 || count != list_item_count(titles)) return -2;
    for (int i = 0; i < count; ++i) {
        char note_name[KV_SETTING_BUFSIZE];
        char title[KV_SETTING_BUFSIZE];
        list_item(names, i, note_name, sizeof note_name);
        list_item(titles, i, title, sizeof title);
        if (note_name[0] == '\0' || title[0] == '\0') continue;
        char text[KV_FIELD_TEXT_SIZE];
        read_text_attribute(body, title, text, sizeof text);
        put_field(group, note_name, text);
    }
    return 0;
}
