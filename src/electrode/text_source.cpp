// Text sources: the $PART_NAME and $DIR tokens, string attributes, and title-block notes
// found by their NAME attribute.
#include "electrode/text_source.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "config/kv_text.h"
#include "electrode/work_part.h"

// A real attribute as a user reads it: up to six decimals, without trailing zeros ("0.5", "12",
// never "-0"). A value too large for the text gives the empty text.
static void format_real(double real, char *text, size_t size) {
    char buf[64];
    int n = snprintf(buf, sizeof buf, "%.6f", real);
    if (n < 0 || (size_t)n >= sizeof buf) return;
    char *end = buf + n;
    while (end > buf && end[-1] == '0') --end;
    if (end > buf && end[-1] == '.') --end;
    *end = '\0';
    kv_copy(text, size, strcmp(buf, "-0") == 0 ? "0" : buf);
}

char *read_text_attribute(tag_t object, const char *title, char *text, size_t size) {
    if (!text || size == 0) return text;
    text[0] = '\0';
    if (object == NULL_TAG || !title) return text;
    if (kv_equal_nocase(title, "$PART_NAME")) {
        work_part_name(text, size);
        return text;
    }
    if (kv_equal_nocase(title, "$DIR")) {
        work_part_folder_name(text, size);
        return text;
    }
    // NX takes the title as a modifiable text; a title that does not fit names no attribute.
    char title_copy[1024];
    if (strlen(title) >= sizeof title_copy) return text;
    strcpy(title_copy, title);
    UF_ATTR_value_t value;
    memset(&value, 0, sizeof value);
    value.value.string = NULL;  // NX allocates the text
    int rc = UF_ATTR_read_value(object, title_copy, UF_ATTR_any, &value);
    int has_text = value.type == UF_ATTR_string || value.type == UF_ATTR_reference;
    if (rc == 0 && value.type == UF_ATTR_string && value.value.string)
        kv_copy(text, size, value.value.string);
    else if (rc == 0 && value.type == UF_ATTR_integer)
        snprintf(text, size, "%d", value.value.integer);
    else if (rc == 0 && value.type == UF_ATTR_real)
        format_real(value.value.real, text, size);
    // A reference attribute comes back as an allocated text too: release it as well.
    if (has_text && value.value.string) UF_free(value.value.string);
    return text;
}

tag_t find_named_note(tag_t group, const char *name) {
    if (group == NULL_TAG || !name || name[0] == '\0') return NULL_TAG;
    tag_t *members = NULL;
    int count = 0;
    int rc = UF_GROUP_ask_group_data(group, &members, &count);
    tag_t found = NULL_TAG;
    for (int i = 0; rc == 0 && members && i < count; ++i) {
        char note_name[1024];
        read_text_attribute(members[i], "NAME", note_name, sizeof note_name);
        if (!kv_equal_nocase(note_name, name)) continue;
        int type = 0, subtype = 0;
        if (UF_OBJ_ask_type_and_subtype(members[i], &type, &subtype) == 0 &&
            type == UF_drafting_entity_type && subtype == UF_draft_note_subtype) {
            found = members[i];
            break;
        }
    }
    if (members) UF_free(members);
    return found;
}

int read_group_members(tag_t group, group_members *m) {
    if (!m) return -1;
    memset(m, 0, sizeof *m);
    m->group = group;
    if (group == NULL_TAG) return -1;
    if (UF_GROUP_ask_group_data(group, &m->tags, &m->count) != 0 || (!m->tags && m->count > 0) || m->count < 0) {
        release_group_members(m);
        m->group = group;
        return -1;
    }
    size_t n = m->count > 0 ? (size_t)m->count : 1;
    m->types = (int *)calloc(n, sizeof *m->types);
    m->subtypes = (int *)calloc(n, sizeof *m->subtypes);
    m->names = (char(*)[KV_NOTE_NAME_SIZE])calloc(n, sizeof *m->names);
    if (!m->types || !m->subtypes || !m->names) {
        release_group_members(m);
        m->group = group;
        return -1;
    }
    for (int i = 0; i < m->count; ++i) {
        if (UF_OBJ_ask_type_and_subtype(m->tags[i], &m->types[i], &m->subtypes[i]) != 0) {
            m->types[i] = m->subtypes[i] = -1;
            continue;
        }
        // Only a note is ever found by its name.
        if (m->types[i] == UF_drafting_entity_type && m->subtypes[i] == UF_draft_note_subtype)
            read_text_attribute(m->tags[i], "NAME", m->names[i], sizeof m->names[i]);
    }
    m->read = 1;
    return 0;
}

tag_t find_note_in(const group_members *m, const char *name) {
    if (!m) return NULL_TAG;
    if (!m->read) return find_named_note(m->group, name);
    if (!name || name[0] == '\0') return NULL_TAG;
    for (int i = 0; i < m->count; ++i)
        if (m->names[i][0] != '\0' && kv_equal_nocase(m->names[i], name)) return m->tags[i];
    return NULL_TAG;
}

void release_group_members(group_members *m) {
    if (!m) return;
    if (m->tags) UF_free(m->tags);
    free(m->types);
    free(m->subtypes);
    free(m->names);
    memset(m, 0, sizeof *m);
}

int set_note_text(tag_t note, const char *text) {
    if (note == NULL_TAG) return -1;
    char lines[1][133];  // NX's note line: 132 characters and the terminator
    // NX keeps an empty line out of a note; one space holds its place.
    if (!text || text[0] == '\0') text = " ";
    kv_copy(lines[0], sizeof lines[0], text);
    // uc5566 reports success as 1, not 0.
    return uc5566(note, 1, 1, lines) == 1 ? 0 : -2;
}
