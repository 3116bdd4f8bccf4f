/* The operations list: one operation per physical electrode, in burn order, each with an ID a
 * Code 128 barcode can carry ("<mould>-<electrode>-<letter><copy>", e.g. M2301-E01-R1), written
 * as "<work part>_EDM_OPS.csv" (GBK, CRLF). Plain data: no NX call. */
#ifndef KELVORA_JOB_OPS_H
#define KELVORA_JOB_OPS_H

#include <stdio.h>

#include "drawing/job_sheet_writers.h"

/* The stages in the title block's order, and their labels there (GBK). */
#define KV_STAGE_EXTRA_ROUGH 0 /* 特粗: COARSE_SIZE_REAL */
#define KV_STAGE_ROUGH 1       /* 粗: SUPR_CORASE_SZIE_REAL */
#define KV_STAGE_FINE 2        /* 精: FINE_SIZE_REAL */
#define KV_STAGES 3

/* An ID: at most 63 characters, printable ASCII. */
#define KV_OP_ID_SIZE 64
/* Operations of one sheet; a sheet asking for more is refused. */
#define KV_OPS_MAX 20000

/* Texts of the refusals (GBK, printf formats). */
#define KV_OPS_EMPTY_NAME_TEXT "电极 %s 的名称中没有条码可用的字符（ASCII 可打印字符），未生成加工单！"
#define KV_OPS_CLASH_TEXT "电极 %s 与电极 %s 的编号相同（%s），未生成加工单！"
#define KV_OPS_TOO_LONG_TEXT "电极 %s 的编号超过 63 个字符，未生成加工单！"
#define KV_OPS_TOO_MANY_TEXT "电极总数超过 %d 件，未生成加工单！"

/* One physical electrode. */
typedef struct job_op_s {
    const job_row *row;
    int            number;              /* 1.. in burn order */
    int            stage;               /* KV_STAGE_* */
    int            copy;                /* 1..count of the stage */
    char           letter;              /* 'R', 'S', 'F': the stage's rank by gap, largest first */
    double         gap;                 /* per side */
    char           id[KV_OP_ID_SIZE];
} job_op;

/* The title block's label of a stage ("特粗", "粗", "精"); "" for another value. */
const char *stage_label(int stage);

/* The gap and count of a stage of d (0 for another stage). */
double stage_gap(const electrode_data *d, int stage);
int stage_count(const electrode_data *d, int stage);

/* The three stages of d in burn order into order: largest gap first, equal gaps in the title
 * block's order. */
void burn_order(const electrode_data *d, int order[KV_STAGES]);

/* The characters of text that Code 128 set B carries (printable ASCII, 0x20-0x7E) into out
 * (size bytes), GBK characters skipped whole; cut at size. The length kept. */
size_t barcode_chars(const char *text, char *out, size_t size);

/* The operations of sheet's rows into sheet->ops (released and cleared first): rows in list
 * order, stages in burn order, copies 1..count; a count of 0 or less gives none. Each ID is
 * the row's mould number, or the sheet's part name when that leaves nothing, then the
 * electrode's name, both reduced by barcode_chars, then the letter and copy. 0; -1 refused,
 * message (size bytes) saying why: a name that leaves nothing, an ID too long, two operations
 * with one ID (naming both electrodes), more than KV_OPS_MAX operations; -2 when memory ran
 * out. Nothing is kept on failure. */
int make_job_ops(job_sheet *sheet, char *message, size_t size);

/* The operations list of sheet->ops, header line first. 0, or -1 when a write failed. */
int write_job_ops_csv(FILE *out, const job_sheet *sheet);

#endif
