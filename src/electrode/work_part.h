/* The work part's full path, file name and folder, as NX gives them (GBK). One place for the
 * rules: where a folder ends, what a drive root is, how a GBK pair whose trail byte looks like
 * a separator is read. */
#ifndef KELVORA_WORK_PART_H
#define KELVORA_WORK_PART_H

#include <stddef.h>

#include "nx.h"

/* The work part's full path into path (size bytes). 0; -1 and the empty text without a work
 * part, when NX does not name it, or when the path does not fit. */
int work_part_path(char *path, size_t size);

/* The work part's file name without folder and extension into text (size bytes, cut between
 * characters); empty without a work part. Always 0. */
int work_part_name(char *text, size_t size);

/* The folder that holds the work part into folder (size bytes), as NX splits the path; empty
 * without a work part or when it does not fit. Always 0. */
int work_part_folder(char *folder, size_t size);

/* The name of the folder that holds the work part (its last component) into text (size bytes);
 * empty without a work part or for a drive root. Always 0. */
int work_part_folder_name(char *text, size_t size);

#endif
