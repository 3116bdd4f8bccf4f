// The job sheet's files of one press, written all or nothing through the shared file
// replacement.
#include <stdio.h>

#include "drawing/job_sheet.h"

namespace {

// A job sheet writer and its sheet, as a file_writer's context.
struct sheet_writer {
    job_writer writer;
    const job_sheet *sheet;
};

int call_sheet_writer(FILE *out, const void *context) {
    const sheet_writer *w = (const sheet_writer *)context;
    return w->writer(out, w->sheet);
}

}  // namespace

int write_all_replacing(int n, const char *const paths[], const job_writer writers[], const job_sheet *sheet,
                        const char **failed) {
    if (failed) *failed = NULL;
    if (n <= 0 || n > KV_JOB_MAX_FILES || !paths || !writers || !sheet) return -1;
    sheet_writer each[KV_JOB_MAX_FILES];
    file_writer calls[KV_JOB_MAX_FILES];
    const void *contexts[KV_JOB_MAX_FILES];
    for (int i = 0; i < n; ++i) {
        each[i].writer = writers[i];
        each[i].sheet = sheet;
        calls[i] = writers[i] ? call_sheet_writer : NULL;
        contexts[i] = &each[i];
    }
    return replace_files(n, paths, calls, contexts, failed);
}

int write_replacing(const char *path, job_writer writer, const job_sheet *sheet) {
    return write_all_replacing(1, &path, &writer, sheet, NULL);
}
