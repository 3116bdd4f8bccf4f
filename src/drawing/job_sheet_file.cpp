// Writing a file so that a failure never leaves half a file and never costs the earlier one:
// the content goes to "<path>.tmp" in the same folder, which then takes path's place.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "drawing/job_sheet.h"

namespace {

// base + suffix into out (KV_JOB_PATH_SIZE bytes). 0, or -1 when it does not fit.
int suffixed(char out[KV_JOB_PATH_SIZE], const char *base, const char *suffix) {
    int n = snprintf(out, KV_JOB_PATH_SIZE, "%s%s", base, suffix);
    return n < 0 || n >= KV_JOB_PATH_SIZE ? -1 : 0;
}

// Puts tmp in path's place. Windows' rename() refuses an existing target (EACCES or EEXIST),
// so the old file is moved aside first and brought back when the new one cannot follow; any
// other refusal (a folder in path's place, say) is final. 0, or -1 (tmp remains).
int replace_file(const char *tmp, const char *path) {
    if (rename(tmp, path) == 0) return 0;
    if (errno != EACCES && errno != EEXIST) return -1;
    char old[KV_JOB_PATH_SIZE];
    if (suffixed(old, path, ".old") != 0) return -1;
    remove(old);  // a leftover of an interrupted run would block the move aside
    if (rename(path, old) != 0) return -1;  // open in another program, or not a file
    if (rename(tmp, path) != 0) {
        rename(old, path);
        return -1;
    }
    remove(old);
    return 0;
}

}  // namespace

int write_replacing(const char *path, job_writer writer, const job_sheet *sheet) {
    if (!path || !writer || !sheet) return -1;
    char tmp[KV_JOB_PATH_SIZE];
    if (suffixed(tmp, path, ".tmp") != 0) return -1;
    FILE *out = fopen(tmp, "wb");
    if (!out) return -1;
    int rc = writer(out, sheet);
    if (fclose(out) != 0) rc = -1;  // the last buffered bytes are written here
    if (rc != 0) {
        remove(tmp);
        return -1;
    }
    if (replace_file(tmp, path) != 0) {
        remove(tmp);
        return -2;
    }
    return 0;
}
