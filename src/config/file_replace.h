/* Writing files all or nothing, for outputs a shop reads together (a job sheet and its lists):
 * each new file is written and committed beside its target before any target is replaced. */
#ifndef KELVORA_FILE_REPLACE_H
#define KELVORA_FILE_REPLACE_H

#include <stdio.h>

/* Full paths of targets and of the temporary files beside them. */
#define KV_REPLACE_PATH_SIZE 1200
/* The most files written together. */
#define KV_REPLACE_MAX_FILES 8

/* A file's writer: context is what it writes from. 0, or -1 when a write failed. */
typedef int (*file_writer)(FILE *out, const void *context);

/* Writes n files (paths[i] through writers[i] from contexts[i]) all or nothing. Each goes to a
 * temporary file beside its target ("<path>.<k>.tmp", the first name free), committed to the
 * disk; only when every one is written do they take their targets' places, each earlier file
 * kept aside ("<path>.<k>.old") until all are placed. A folder or a read-only file in a target's
 * place is never touched. On any failure every target is as it was and no temporary file is
 * left. 0 all written; -1 a file could not be written (disk full, folder not writable) or the
 * arguments are unusable (n outside 1..KV_REPLACE_MAX_FILES); -2 a target could not be
 * replaced; -3 a target is a read-only file; -4 a folder (or anything but a file) stands in a
 * target's place. *failed (when given) names the path concerned, NULL on success. */
int replace_files(int n, const char *const paths[], const file_writer writers[], const void *const contexts[],
                  const char **failed);

/* replace_files of one file. */
int write_file_replacing(const char *path, file_writer writer, const void *context, const char **failed);

#endif
