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

}  // namespace

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
    // The choice lists are read again for every drawing: an index beyond a list shows nothing.
    process_choice_lists lists;
    read_process_choice_lists(&lists);
    char text[KV_FIELD_TEXT_SIZE];
    for (int i = 0; i < kv_process_field_count; ++i) {
        process_field_text(&kv_process_fields[i], &data, &lists, text, sizeof text);
        put_field(group, kv_process_fields[i].note, text);
    }
    format_today(text, sizeof text);
    put_field(group, "DATE", text);
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
