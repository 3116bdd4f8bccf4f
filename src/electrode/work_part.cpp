#include "electrode/work_part.h"

#include <string.h>

#include "config/kv_text.h"

namespace {

// NX writes up to KV_FSPEC_BUFSIZE bytes of a path; keep room for 1023 characters at least.
const size_t kPathBufsize = KV_FSPEC_BUFSIZE > 1024 ? KV_FSPEC_BUFSIZE : 1024;

/* The work part's folder as NX splits its path (with whatever separator NX leaves). 0, or -1
 * and the empty text. */
int split_folder(char folder[KV_FSPEC_BUFSIZE]) {
    folder[0] = '\0';
    char path[kPathBufsize];
    char name[KV_FILE_NAME_BUFSIZE] = "";
    if (work_part_path(path, sizeof path) != 0) return -1;
    if (uc4576(path, 2, folder, name) != 0) {
        folder[0] = '\0';
        return -1;
    }
    folder[KV_FSPEC_BUFSIZE - 1] = '\0';
    return 0;
}

/* 1 when folder (without its trailing separator) is a root: nothing, or a drive letter and
 * colon. A root has no folder name. */
int is_root_folder(const char *folder, size_t len) {
    return len == 0 || (len == 2 && folder[1] == ':');
}

}  // namespace

int work_part_path(char *path, size_t size) {
    if (!path || size == 0) return -1;
    path[0] = '\0';
    tag_t part = UF_ASSEM_ask_work_part();
    char full[kPathBufsize] = "";
    if (part == NULL_TAG || UF_PART_ask_part_name(part, full) != 0) return -1;
    full[sizeof full - 1] = '\0';
    // A cut path would name another file.
    if (strlen(full) >= size) return -1;
    kv_copy(path, size, full);
    return 0;
}

int work_part_name(char *text, size_t size) {
    if (!text || size == 0) return 0;
    text[0] = '\0';
    char path[kPathBufsize];
    if (work_part_path(path, sizeof path) != 0) return 0;
    char name[KV_FILE_NAME_BUFSIZE] = "";
    if (uc4574(path, 2, name) != 0) return 0;
    kv_copy_n(text, size, name, strnlen(name, sizeof name));
    return 0;
}

int work_part_folder(char *folder, size_t size) {
    if (!folder || size == 0) return 0;
    folder[0] = '\0';
    char split[KV_FSPEC_BUFSIZE];
    // A cut folder would be another folder.
    if (split_folder(split) == 0 && strlen(split) < size) kv_copy(folder, size, split);
    return 0;
}

int work_part_folder_name(char *text, size_t size) {
    if (!text || size == 0) return 0;
    text[0] = '\0';
    char folder[KV_FSPEC_BUFSIZE];
    if (split_folder(folder) != 0) return 0;
    size_t len = strlen(folder);
    // One trailing separator, read as a character (not the trail byte of a GBK pair).
    const char *last = kv_last_path_sep(folder);
    if (last && (size_t)(last - folder) == len - 1) folder[--len] = '\0';
    if (is_root_folder(folder, len)) return 0;
    last = kv_last_path_sep(folder);
    kv_copy(text, size, last ? last + 1 : folder);
    return 0;
}
