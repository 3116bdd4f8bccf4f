// The tool folder: a marked comment line in NX's custom_dirs.dat, else the environment variable
// KELVORA_PATH, else the folder two levels above the library file. Found afresh every time.
#include "config/tool_folder.h"

#include <stdio.h>
#include <string.h>

#include "config/kv_text.h"
#include "config/line_reader.h"
#include "nx.h"
#include "platform/win_services.h"

namespace {

const char kVariable[] = KV_TOOL_FOLDER_VARIABLE;
const char kMarker[] = KV_TOOL_FOLDER_MARKER;
// Appended to UGII_ROOT_DIR as it is: NX's value ends with a separator.
const char kCustomDirs[] = "menus" KV_PATH_SEP_STR "custom_dirs.dat";

// Narrows [*begin, *end) to exclude white space at both ends.
void trim(const char **begin, const char **end) {
    while (*begin < *end && kv_is_space(**begin)) ++*begin;
    while (*end > *begin && kv_is_space((*end)[-1])) --*end;
}

/* 1 when line is "<marker><variable>=<value>" (white space around each part allowed, the name in
 * any letter case); the trimmed value is then in result. 0 otherwise. */
int match_marked_line(const char *line, const char *variable, const char *marker,
                      char result[KV_PATH_BUFSIZE]) {
    const char *eq = strchr(line, '=');
    if (!eq || eq == line || eq[1] == '\0') return 0;
    const char *name = line, *name_end = eq;
    trim(&name, &name_end);
    size_t marker_len = strlen(marker);
    if ((size_t)(name_end - name) < marker_len || strncmp(name, marker, marker_len) != 0) return 0;
    name += marker_len;
    trim(&name, &name_end);
    if (!kv_equal_nocase_n(name, (size_t)(name_end - name), variable, strlen(variable))) return 0;
    const char *value = eq + 1, *value_end = eq + strlen(eq);
    trim(&value, &value_end);
    kv_copy_n(result, KV_PATH_BUFSIZE, value, (size_t)(value_end - value));
    return 1;
}

}  // namespace

int read_custom_dirs_entry(const char *variable, const char *marker, char result[KV_PATH_BUFSIZE]) {
    if (!result) return -1;
    result[0] = '\0';
    if (!variable || !marker) return -1;
    char *root = NULL;
    if (UF_translate_variable("UGII_ROOT_DIR", &root) != 0) return -1;
    char path[KV_PATH_BUFSIZE];
    int n = snprintf(path, sizeof path, "%s%s", root ? root : "", kCustomDirs);
    // A cut path would name another file.
    if (n < 0 || (size_t)n >= sizeof path) return -2;
    FILE *file = ws_open_file(path, "r");
    if (!file) return -2;
    kv_line_reader_t reader;
    kv_line_reader_init(&reader, file);
    char line[KV_PATH_BUFSIZE];
    int had_break = 0;
    // A last line without a line break is never looked at (NX's own reading of the file).
    while (kv_read_line(&reader, line, sizeof line, &had_break) && had_break) {
        if (match_marked_line(line, variable, marker, result)) break;
    }
    int rc = reader.failed ? -2 : 0;
    fclose(file);
    return rc;
}

int module_parent_folder(char result[KV_PATH_BUFSIZE]) {
    if (!result) return -1;
    result[0] = '\0';
    char path[1024] = "";
    if (ws_module_file_path(path) != 0) return -1;
    path[sizeof path - 1] = '\0';
    for (int level = 0; level < 2; ++level) {
        char *sep = (char *)kv_last_path_sep(path);
        if (!sep) return -1;
        *sep = '\0';
    }
    if (path[0] == '\0') return -1;
    kv_copy(result, KV_PATH_BUFSIZE, path);
    return 0;
}

int find_tool_folder(char folder[KV_PATH_BUFSIZE]) {
    if (!folder) return 0;
    folder[0] = '\0';
    char found[KV_PATH_BUFSIZE] = "";
    read_custom_dirs_entry(kVariable, kMarker, found);
    if (found[0] == '\0') {
        char *value = NULL;
        // Defined but empty still counts as the answer: the user is told below.
        if (UF_translate_variable(kVariable, &value) != 0) value = NULL;
        if (value)
            kv_copy(found, sizeof found, value);
        else
            module_parent_folder(found);
    }
    if (found[0] == '\0') {
        char message[256];
        snprintf(message, sizeof message, KV_TOOL_FOLDER_MISSING_TEXT, kVariable);
        uc1601(message, 1);
    }
    kv_copy(folder, KV_PATH_BUFSIZE, found);
    return 0;
}
