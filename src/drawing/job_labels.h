/* The electrode labels of a job sheet press, "<work part>_EDM_LABELS.html". */
#ifndef KELVORA_JOB_LABELS_H
#define KELVORA_JOB_LABELS_H

#include <stdio.h>

#include "drawing/job_ops.h"

/* The labels: A4 sheets of 3 x 8 labels of 70 x 37 mm, one per operation,
 * each with its ID as text and as a Code 128 barcode. 0, or -1 when a write failed. */
int write_job_labels_html(FILE *out, const job_sheet *sheet);

#endif
