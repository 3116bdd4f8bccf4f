// config.dat: one "KEY=VALUE" per line. Every space of a line is removed first; lines that then
// start with '!' or '#' are comments; keys ignore ASCII case; the first line with the key and a
// non-empty value wins. The file is found and scanned afresh for every key, so an edit takes
// effect at the next lookup.
#include "config/settings.h"

#include <stdio.h>
#include <string.h>

#include "config/kv_text.h"
#include "config/line_reader.h"
#include "config/tool_folder.h"
#include "platform/win_services.h"

namespace {

const char kConfigFile[] = "config.dat";

/* 0 and the path of config.dat under the tool folder (not opened); -1 and the empty text when
 * there is no tool folder; -2 when the path does not fit. */
int form_config_path(char *path, size_t size) {
    path[0] = '\0';
    char folder[KV_PATH_BUFSIZE];
    find_tool_folder(folder);
    size_t len = strlen(folder);
    if (len == 0) return -1;
    // One trailing separator is dropped so that it is not doubled.
    if (kv_is_path_sep(folder[len - 1])) folder[len - 1] = '\0';
    int n = snprintf(path, size, "%s" KV_PATH_SEP_STR "data" KV_PATH_SEP_STR "%s", folder, kConfigFile);
    if (n < 0 || (size_t)n >= size) {
        // A cut path would name another file.
        path[0] = '\0';
        return -2;
    }
    return 0;
}

// Removes every space (code 32) in place; returns the new length. Tabs stay.
size_t strip_spaces(char *line) {
    char *out = line;
    for (const char *in = line; *in; ++in)
        if (*in != ' ') *out++ = *in;
    *out = '\0';
    return (size_t)(out - line);
}

/* 1 when the line (length bytes, not terminated) is empty or a comment once its spaces are
 * removed. A NUL byte ends the line's text. */
int is_comment(const char *text, size_t length) {
    size_t i = 0;
    while (i < length && text[i] == ' ') ++i;
    return i == length || text[i] == '\0' || text[i] == '!' || text[i] == '#';
}

/* 1 when the line's key, with its spaces removed, is key apart from ASCII case (as
 * kv_equal_nocase_n would find it), else 0. Reads the line in place and stops at the first
 * difference, so lines of other keys cost a few bytes each. */
int key_matches(const char *text, size_t length, const char *key, size_t key_len) {
    size_t i = 0, j = 0;
    int trail = 0;  // the next byte is the second of a double-byte character: compare exactly
    for (;; ++i) {
        while (i < length && text[i] == ' ') ++i;
        char c = i < length ? text[i] : '\0';
        if (c == '\0' || c == '=') return j == key_len;
        if (j == key_len) return 0;
        char k = key[j++];
        if (trail || kv_is_gbk_lead((unsigned char)c)) {
            if (c != k) return 0;
            trail = !trail;
        } else {
            if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
            if (k >= 'a' && k <= 'z') k = (char)(k - 'a' + 'A');
            if (c != k) return 0;
        }
    }
}

/* The value of line for key, or NULL when the line is a comment, has another key or an empty
 * value. The line is changed (spaces removed). A NUL byte ends the line's text. */
const char *value_for_key(char *line, const char *key, size_t key_len) {
    size_t len = strip_spaces(line);
    if (len == 0 || line[0] == '!' || line[0] == '#') return NULL;
    const char *eq = (const char *)memchr(line, '=', len);
    size_t name_len = eq ? (size_t)(eq - line) : len;
    if (!kv_equal_nocase_n(line, name_len, key, key_len)) return NULL;
    if (!eq || eq[1] == '\0') return NULL;
    return eq + 1;
}

}  // namespace

int config_file_path(char *path, size_t size) {
    if (!path || size == 0) return -1;
    int rc = form_config_path(path, size);
    if (rc != 0) return rc;
    FILE *file = ws_open_file(path, "r");
    if (!file) {
        path[0] = '\0';
        return -2;
    }
    fclose(file);
    return 0;
}

int read_setting(const char *key, char *value, size_t size) { return read_setting_whole(key, value, size, NULL); }

int read_setting_whole(const char *key, char *value, size_t size, int *cut) {
    if (cut) *cut = 0;
    char scratch[1];
    if (!value || size == 0) {
        value = scratch;
        size = sizeof scratch;
    }
    value[0] = '\0';
    char path[KV_PATH_BUFSIZE];
    if (form_config_path(path, sizeof path) != 0) return -1;
    FILE *file = ws_open_file(path, "r");
    if (!file) return -1;
    if (!key) {
        fclose(file);
        return -2;
    }
    size_t key_len = strlen(key);
    kv_line_reader_t reader;
    kv_line_reader_init(&reader, file);
    char line[KV_SETTING_BUFSIZE];
    const char *text = NULL;
    size_t length = 0;
    int had_break = 0;
    int rc = -2;
    while (kv_next_line(&reader, &text, &length, line, sizeof line, &had_break)) {
        // Only the first 1023 characters of a line count.
        int line_cut = length > sizeof line - 1;
        if (line_cut) length = sizeof line - 1;
        // Most lines are comments: they are passed over where they lie, without a copy.
        if (is_comment(text, length) || !key_matches(text, length, key, key_len)) continue;
        if (text != line) memcpy(line, text, length);
        line[length] = '\0';
        const char *found = value_for_key(line, key, key_len);
        if (found) {
            kv_copy(value, size, found);
            if (cut) *cut = line_cut || strlen(found) >= size;
            rc = 0;
            break;
        }
    }
    // A read error (config.dat is a folder, say) means the file could not be read.
    if (rc != 0 && reader.failed) rc = -1;
    fclose(file);
    return rc;
}
