// The operations of a job sheet: burn order, IDs, and the operations list file.
#include "drawing/job_ops.h"

#include <stdlib.h>
#include <string.h>

#include "config/kv_text.h"

namespace {

const char *const kStageLabels[KV_STAGES] = {"特粗", "粗", "精"};
const char kLetters[KV_STAGES] = {'R', 'S', 'F'};

// The rank (0 largest) of each stage's gap: equal gaps keep the title block's order.
void stage_letters(const electrode_data *d, char letters[KV_STAGES]) {
    int order[KV_STAGES];
    burn_order(d, order);
    for (int i = 0; i < KV_STAGES; ++i) letters[order[i]] = kLetters[i];
}

// The ID's mould part: the row's mould number, else the work part's name, reduced to what a
// barcode carries.
void mould_part(const job_sheet *sheet, const job_row *row, char *out, size_t size) {
    if (barcode_chars(row->data->mould_no, out, size) == 0) barcode_chars(sheet->part_name, out, size);
}

// "<mould>-<name>-<letter><copy>" (no mould part: "<name>-<letter><copy>") into op->id. 0, or
// -1 when it does not fit.
int make_id(const char *mould, const char *name, job_op *op) {
    int n = snprintf(op->id, sizeof op->id, "%s%s%s-%c%d", mould, mould[0] ? "-" : "", name, op->letter, op->copy);
    return n < 0 || (size_t)n >= sizeof op->id ? -1 : 0;
}

// The operations of one row appended at ops[*count]. 0; -1 refused (message); the caller has
// room for every operation (counted first).
int row_ops(const job_sheet *sheet, const job_row *row, job_op *ops, int *count, char *message, size_t size) {
    const electrode_data *d = row->data;
    char mould[KV_OP_ID_SIZE], name[KV_OP_ID_SIZE];
    mould_part(sheet, row, mould, sizeof mould);
    if (barcode_chars(d->electrode_name, name, sizeof name) == 0) {
        snprintf(message, size, KV_OPS_EMPTY_NAME_TEXT, d->electrode_name);
        return -1;
    }
    int order[KV_STAGES];
    char letters[KV_STAGES];
    burn_order(d, order);
    stage_letters(d, letters);
    for (int i = 0; i < KV_STAGES; ++i) {
        int stage = order[i];
        for (int copy = 1; copy <= stage_count(d, stage); ++copy) {
            job_op *op = &ops[*count];
            memset(op, 0, sizeof *op);
            op->row = row;
            op->number = ++*count;
            op->stage = stage;
            op->copy = copy;
            op->letter = letters[stage];
            op->gap = stage_gap(d, stage);
            if (make_id(mould, name, op) != 0) {
                snprintf(message, size, KV_OPS_TOO_LONG_TEXT, d->electrode_name);
                return -1;
            }
        }
    }
    return 0;
}

int compare_ids(const void *a, const void *b) {
    return strcmp((*(const job_op *const *)a)->id, (*(const job_op *const *)b)->id);
}

// 0 when every ID differs; -1 (message naming both electrodes) for the first pair that does
// not, -2 when memory ran out.
int check_unique(const job_op *ops, int n, char *message, size_t size) {
    if (n < 2) return 0;
    const job_op **sorted = (const job_op **)malloc((size_t)n * sizeof *sorted);
    if (!sorted) return -2;
    for (int i = 0; i < n; ++i) sorted[i] = &ops[i];
    qsort(sorted, (size_t)n, sizeof *sorted, compare_ids);
    int rc = 0;
    for (int i = 1; i < n && rc == 0; ++i) {
        if (strcmp(sorted[i - 1]->id, sorted[i]->id) != 0) continue;
        // Named in list order, whichever the sort put first.
        const job_op *a = sorted[i - 1] < sorted[i] ? sorted[i - 1] : sorted[i];
        const job_op *b = a == sorted[i] ? sorted[i - 1] : sorted[i];
        snprintf(message, size, KV_OPS_CLASH_TEXT, a->row->data->electrode_name, b->row->data->electrode_name, a->id);
        rc = -1;
    }
    free(sorted);
    return rc;
}

}  // namespace

const char *stage_label(int stage) { return stage >= 0 && stage < KV_STAGES ? kStageLabels[stage] : ""; }

double stage_gap(const electrode_data *d, int stage) {
    if (!d) return 0;
    return stage == KV_STAGE_EXTRA_ROUGH ? d->coarse_gap
         : stage == KV_STAGE_ROUGH       ? d->supr_coarse_gap
         : stage == KV_STAGE_FINE        ? d->fine_gap
                                         : 0;
}

int stage_count(const electrode_data *d, int stage) {
    if (!d) return 0;
    return stage == KV_STAGE_EXTRA_ROUGH ? d->coarse_count
         : stage == KV_STAGE_ROUGH       ? d->supr_coarse_count
         : stage == KV_STAGE_FINE        ? d->fine_count
                                         : 0;
}

void burn_order(const electrode_data *d, int order[KV_STAGES]) {
    for (int i = 0; i < KV_STAGES; ++i) order[i] = i;
    // Insertion sort, strictly larger gaps moving ahead: equal gaps keep the title block's order.
    for (int i = 1; i < KV_STAGES; ++i)
        for (int k = i; k > 0 && stage_gap(d, order[k]) > stage_gap(d, order[k - 1]); --k) {
            int t = order[k];
            order[k] = order[k - 1];
            order[k - 1] = t;
        }
}

size_t barcode_chars(const char *text, char *out, size_t size) {
    if (!out || size == 0) return 0;
    size_t n = 0;
    for (const char *p = text ? text : ""; *p && n + 1 < size; ++p) {
        unsigned char c = (unsigned char)*p;
        if (kv_is_gbk_lead(c)) {
            // The trail byte may look like ASCII: it goes with its lead.
            if (p[1] != '\0') ++p;
            continue;
        }
        if (c >= 0x20 && c <= 0x7e) out[n++] = (char)c;
    }
    out[n] = '\0';
    return n;
}

int make_job_ops(job_sheet *sheet, char *message, size_t size) {
    char scratch[8];
    if (!message || size == 0) message = scratch, size = sizeof scratch;
    message[0] = '\0';
    if (!sheet) return -2;
    free(sheet->ops);
    sheet->ops = NULL;
    sheet->op_count = 0;
    // Counted up to just past the limit: counts near INT_MAX never overflow the sum.
    int total = 0;
    for (int r = 0; r < sheet->count && total <= KV_OPS_MAX; ++r)
        for (int s = 0; s < KV_STAGES && total <= KV_OPS_MAX; ++s) {
            int n = stage_count(sheet->rows[r].data, s);
            if (n > 0) total += n > KV_OPS_MAX ? KV_OPS_MAX + 1 : n;
        }
    if (total > KV_OPS_MAX) {
        snprintf(message, size, KV_OPS_TOO_MANY_TEXT, KV_OPS_MAX);
        return -1;
    }
    if (total == 0) return 0;
    job_op *ops = (job_op *)malloc((size_t)total * sizeof *ops);
    if (!ops) return -2;
    int n = 0, rc = 0;
    for (int r = 0; r < sheet->count && rc == 0; ++r)
        if (sheet->rows[r].data) rc = row_ops(sheet, &sheet->rows[r], ops, &n, message, size);
    if (rc == 0) rc = check_unique(ops, n, message, size);
    if (rc != 0) {
        free(ops);
        return rc;
    }
    sheet->ops = ops;
    sheet->op_count = n;
    return 0;
}

namespace {

const char *const kOpsHeader[] = {"工序号", "编号", "电极", "阶段", "件号", "X", "Y", "Z", "C",
                                  "单边火花位", "标记", "材料", "备料"};
const int kOpsColumns = (int)(sizeof kOpsHeader / sizeof kOpsHeader[0]);

int put_ops_line(FILE *out, const char *const *fields) {
    for (int i = 0; i < kOpsColumns; ++i) {
        if (i > 0 && fputc(',', out) == EOF) return -1;
        if (put_csv_field(out, fields[i]) != 0) return -1;
    }
    return fputs("\r\n", out) < 0 ? -1 : 0;
}

int put_op(FILE *out, const job_op *op, char cells[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]) {
    char number[16], copy[16], gap[32];
    snprintf(number, sizeof number, "%d", op->number);
    snprintf(copy, sizeof copy, "%d", op->copy);
    format_fixed3(op->gap, gap, sizeof gap);
    const char *fields[] = {number, op->id, op->row->data->electrode_name, stage_label(op->stage), copy,
                            cells[KV_JOB_COL_X], cells[KV_JOB_COL_X + 1], cells[KV_JOB_COL_X + 2],
                            cells[KV_JOB_COL_X + 3], gap, cells[KV_JOB_COL_FLAG], cells[KV_JOB_COL_MATERIAL],
                            cells[KV_JOB_COL_STOCK]};
    return put_ops_line(out, fields);
}

}  // namespace

int write_job_ops_csv(FILE *out, const job_sheet *sheet) {
    if (!out || !sheet) return -1;
    char(*cells)[KV_JOB_CELL_SIZE] = (char(*)[KV_JOB_CELL_SIZE])malloc(sizeof(char[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]));
    if (!cells) return -1;
    int rc = put_ops_line(out, kOpsHeader);
    const job_row *cells_of = NULL;
    for (int i = 0; i < sheet->op_count && rc == 0; ++i) {
        const job_op *op = &sheet->ops[i];
        // A row's operations follow one another: its cells are made once.
        if (op->row != cells_of) job_row_cells(sheet, op->row, cells);
        cells_of = op->row;
        rc = put_op(out, op, cells);
    }
    free(cells);
    return rc == 0 && !ferror(out) ? 0 : -1;
}
