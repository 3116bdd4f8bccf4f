// Writing files all or nothing: a failure never leaves half a file, never costs an earlier file,
// and never leaves a new file beside an old one written with it.
#include "config/file_replace.h"

#include <string.h>

#include "platform/win_services.h"

namespace {

// Temporary and backup names tried beside a target before giving up.
const int kNameTries = 99;

// One file of a press.
struct staged_file {
    const char *path;
    char tmp[KV_REPLACE_PATH_SIZE];  // the new content, until it takes path's place
    char old[KV_REPLACE_PATH_SIZE];  // the earlier file moved aside, until the press is done
    int had_old;
    int placed;
};

// "<path>.<k>.<ext>" for the first k that names nothing (a leftover of an interrupted press
// does not block the next one). 0, or -1 when none fits or is free.
int free_name(char out[KV_REPLACE_PATH_SIZE], const char *path, const char *ext) {
    for (int k = 1; k <= kNameTries; ++k) {
        int n = snprintf(out, KV_REPLACE_PATH_SIZE, "%s.%d.%s", path, k, ext);
        if (n < 0 || n >= KV_REPLACE_PATH_SIZE) return -1;
        if (ws_path_kind(out) == WS_PATH_NONE) return 0;
    }
    return -1;
}

// The new content of f into its temporary file, committed to the disk before anything is
// replaced: a full disk shows here (fclose may report success after its last flush failed).
int write_staged(staged_file *f, file_writer writer, const void *context) {
    if (free_name(f->tmp, f->path, "tmp") != 0) return -1;
    FILE *out = ws_open_file(f->tmp, "wb");
    if (!out) {
        f->tmp[0] = '\0';
        return -1;
    }
    int rc = writer(out, context);
    if (rc == 0 && ws_commit_file(out) != 0) rc = -1;
    if (fclose(out) != 0) rc = -1;
    return rc;
}

// Puts every staged file in its target's place, each earlier file moved aside first so that a
// later failure can bring the earlier ones back. 0, or -2 (*failed: the target) with every
// target as it was.
int place_all(staged_file *files, int n, const char **failed) {
    int i = 0;
    for (; i < n; ++i) {
        staged_file *f = &files[i];
        if (f->had_old && (free_name(f->old, f->path, "old") != 0 || ws_replace_file(f->path, f->old) != 0)) {
            f->had_old = 0;  // nothing was moved aside
            break;
        }
        if (ws_replace_file(f->tmp, f->path) != 0) break;
        f->placed = 1;
    }
    if (i == n) {
        for (int k = 0; k < n; ++k)
            if (files[k].had_old) ws_remove_file(files[k].old);
        return 0;
    }
    *failed = files[i].path;
    // Taken back in reverse: an earlier file returns to its place, a new one without an earlier
    // file goes.
    for (int k = i; k >= 0; --k) {
        staged_file *f = &files[k];
        if (f->had_old)
            ws_replace_file(f->old, f->path);
        else if (f->placed)
            ws_remove_file(f->path);
    }
    return -2;
}

}  // namespace

int replace_files(int n, const char *const paths[], const file_writer writers[], const void *const contexts[],
                const char **failed) {
    const char *scratch = NULL;
    if (!failed) failed = &scratch;
    *failed = NULL;
    if (n <= 0 || n > KV_REPLACE_MAX_FILES || !paths || !writers) return -1;
    staged_file files[KV_REPLACE_MAX_FILES];
    memset(files, 0, sizeof files);
    // What stands in a target's place is looked at before anything is written.
    for (int i = 0; i < n; ++i) {
        files[i].path = paths[i];
        int kind = paths[i] && writers[i] ? ws_path_kind(paths[i]) : WS_PATH_OTHER;
        if (kind == WS_PATH_OTHER || kind == WS_PATH_READ_ONLY) {
            *failed = paths[i];
            return kind == WS_PATH_READ_ONLY ? -3 : -4;
        }
        files[i].had_old = kind == WS_PATH_FILE;
    }
    int rc = 0;
    for (int i = 0; i < n && rc == 0; ++i) {
        if (write_staged(&files[i], writers[i], contexts[i]) != 0) {
            *failed = paths[i];
            rc = -1;
        }
    }
    if (rc == 0) rc = place_all(files, n, failed);
    for (int i = 0; i < n; ++i)
        if (files[i].tmp[0] && !files[i].placed) ws_remove_file(files[i].tmp);
    return rc;
}


int write_file_replacing(const char *path, file_writer writer, const void *context, const char **failed) {
    return replace_files(1, &path, &writer, &context, failed);
}
