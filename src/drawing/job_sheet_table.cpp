// The cells of the job sheet's rows, shared by the CSV and HTML writers so that both files say
// the same. Gaps and counts follow the title block's order and labels (特粗, 粗, 精); flags and
// people the process listing's.
#include "drawing/job_sheet_table.h"

#include <stdio.h>
#include <string.h>

#include "config/kv_text.h"
#include "drawing/process_fields.h"

namespace {

const char *const kHeader[KV_JOB_COLUMNS] = {
    "电极", "X", "Y", "Z", "C", "标记", "Z向I", "Z向J", "Z向K", "长", "宽", "高",
    "材料", "方式", "加工中心", "特粗单边火花位", "特粗数量", "粗单边火花位", "粗数量", "精单边火花位", "精数量",
    "线割", "避空", "清R角", "清直角", "画图", "拆电极", "编电极", "备料", "备料旋转", "最小备料",
};

enum { kName = 0, kX = KV_JOB_COL_X, kFlag = KV_JOB_COL_FLAG, kDir = 6, kSize = 9, kMaterial = KV_JOB_COL_MATERIAL,
       kGaps = 15, kFlags = 21, kPeople = 25, kStock = KV_JOB_COL_STOCK, kTurn = 29, kNeed = 30 };

const char *yes_no(int flag) { return flag ? "Yes" : "No"; }

void put_int(char *cell, int value) { snprintf(cell, KV_JOB_CELL_SIZE, "%d", value); }

void put_reals(char cells[][KV_JOB_CELL_SIZE], const double *v, int n) {
    for (int i = 0; i < n; ++i) format_fixed3(v[i], cells[i], KV_JOB_CELL_SIZE);
}

void placement_cells(const job_placement *p, char cells[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]) {
    if (p->kind != KV_PLACE_SET && p->kind != KV_PLACE_TILT) return;
    put_reals(cells + kX, p->position, 3);
    put_reals(cells + kX + 3, &p->c, 1);
    if (p->kind == KV_PLACE_TILT) put_reals(cells + kDir, p->z_dir, 3);
}

void stock_cells(const job_sheet *sheet, const job_row *row, char cells[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]) {
    if (!row->has_box) return;
    const job_stock_choice *s = &row->stock;
    if (s->index < 0 || s->index >= sheet->stock.count) {
        kv_copy(cells[kStock], KV_JOB_CELL_SIZE, KV_NO_STOCK_TEXT);
        format_size(s->need, cells[kNeed], KV_JOB_CELL_SIZE);
        return;
    }
    const job_blank *b = &sheet->stock.blanks[s->index];
    const double dims[3] = {b->a, b->b, b->l};
    format_size(dims, cells[kStock], KV_JOB_CELL_SIZE);
    if (s->turned) kv_copy(cells[kTurn], KV_JOB_CELL_SIZE, "90");
}

}  // namespace

void job_row_cells(const job_sheet *sheet, const job_row *row, char cells[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]) {
    for (int i = 0; i < KV_JOB_COLUMNS; ++i) cells[i][0] = '\0';
    if (!row) {
        for (int i = 0; i < KV_JOB_COLUMNS; ++i) kv_copy(cells[i], KV_JOB_CELL_SIZE, kHeader[i]);
        return;
    }
    if (!sheet || !row->data) return;
    const electrode_data *d = row->data;
    kv_copy(cells[kName], KV_JOB_CELL_SIZE, d->electrode_name);
    placement_cells(&row->place, cells);
    job_row_flags(row, cells[kFlag]);
    if (row->has_box) put_reals(cells + kSize, row->size, 3);
    kv_copy(cells[kMaterial], KV_JOB_CELL_SIZE, row->material);
    kv_copy(cells[kMaterial + 1], KV_JOB_CELL_SIZE, row->method);
    kv_copy(cells[kMaterial + 2], KV_JOB_CELL_SIZE, row->machine);
    put_reals(cells + kGaps, &d->coarse_gap, 1);
    put_int(cells[kGaps + 1], d->coarse_count);
    put_reals(cells + kGaps + 2, &d->supr_coarse_gap, 1);
    put_int(cells[kGaps + 3], d->supr_coarse_count);
    put_reals(cells + kGaps + 4, &d->fine_gap, 1);
    put_int(cells[kGaps + 5], d->fine_count);
    // Flags and people in the order of the process fields.
    int flag = kFlags, person = kPeople;
    for (int i = 0; i < kv_process_field_count; ++i) {
        const process_field *f = &kv_process_fields[i];
        const void *value = process_field_value(d, f);
        if (f->kind == KV_FIELD_FLAG && flag < kPeople)
            kv_copy(cells[flag++], KV_JOB_CELL_SIZE, yes_no(*(const int *)value));
        else if (f->kind == KV_FIELD_PERSON && person < kStock)
            kv_copy(cells[person++], KV_JOB_CELL_SIZE, (const char *)value);
    }
    stock_cells(sheet, row, cells);
}

void job_row_flags(const job_row *row, char cell[KV_JOB_CELL_SIZE]) {
    cell[0] = '\0';
    if (!row) return;
    const int kind = row->place.kind;
    kv_copy(cell, KV_JOB_CELL_SIZE, kind == KV_PLACE_NO_ECS     ? KV_NO_ECS_FLAG
                                    : kind == KV_PLACE_MIRRORED ? KV_MIRRORED_FLAG
                                    : kind == KV_PLACE_TILT     ? KV_TILT_FLAG
                                                                : "");
    if (row->box_failed) {
        size_t n = strlen(cell);
        snprintf(cell + n, KV_JOB_CELL_SIZE - n, "%s%s", n ? " " : "", KV_BOX_FAILED_FLAG);
    }
}

int job_row_pieces(const job_row *row) {
    if (!row || !row->data) return 0;
    const int counts[3] = {row->data->supr_coarse_count, row->data->coarse_count, row->data->fine_count};
    int pieces = 0;
    for (int c : counts)
        if (c > 0 && pieces <= 0x3fffffff - c) pieces += c;
    return pieces;
}
