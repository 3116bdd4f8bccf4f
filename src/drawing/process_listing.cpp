// The process information listing. Widths count GBK bytes, as printf does with the plug-in's
// narrow texts, so Chinese labels take two columns per character.
#include "drawing/process_listing.h"

#include <stdarg.h>
#include <stdio.h>

#include "config/comma_list.h"
#include "config/kv_text.h"
#include "config/setting_keys.h"

namespace {

// One piece of the report: formatted, cut cleanly when longer than the line buffer, written.
#if defined(__GNUC__)
void write_piece(const char *format, ...) __attribute__((format(printf, 1, 2)));
#endif
void write_piece(const char *format, ...) {
    char line[KV_LISTING_LINE_SIZE];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return;
    if ((size_t)n >= sizeof line) kv_drop_split_char(line);
    UF_UI_write_listing_window(line);
}

const char *yes_no(int flag) { return flag ? "Yes" : "No"; }

void write_block(const electrode_data *d) {
    char material[KV_LIST_ITEM_SIZE], method[KV_LIST_ITEM_SIZE], machine[KV_LIST_ITEM_SIZE];
    setting_list_item(KV_KEY_ELECTRODE_DRAFT_MATERIAL, d->material_index, material, sizeof material);
    setting_list_item(KV_KEY_ELECTRODE_DRAFT_METHOD, d->edm_method_index, method, sizeof method);
    setting_list_item(KV_KEY_ELECTRODE_DRAFT_MACH, d->machine_index, machine, sizeof machine);

    write_piece("%s", "=============================================================\n");
    write_piece("%8s%-15s", "电极名：", d->electrode_name);
    write_piece("%8s%-15s", "模 号：", d->mould_no);
    write_piece("%8s%-15s", "工件名：", d->workpiece_name);
    write_piece("%s", "\n");
    write_piece("%8s%-15s", "材料：", material);
    write_piece("%8s%-15s", "方式：", method);
    write_piece("%8s%-15s\n", "        加工中心：", machine);
    write_piece("%s", "火花位置:\n");
    write_piece("%8s%-10.3f", "粗：", d->supr_coarse_gap);
    write_piece("%8s%-10d\n", "数量：", d->supr_coarse_count);
    write_piece("%8s%-10.3f", "特粗：", d->coarse_gap);
    write_piece("%8s%-10d\n", "数量：", d->coarse_count);
    write_piece("%8s%-10.3f", "精：", d->fine_gap);
    write_piece("%8s%-10d\n", "数量：", d->fine_count);
    write_piece("%8s%-10s", "线割：", yes_no(d->wire_cut));
    write_piece("%8s%-10s", "避空：", yes_no(d->relief));
    write_piece("%8s%-10s", "清R角：", yes_no(d->clear_r_corner));
    write_piece("%8s%-10s\n", "清直角：", yes_no(d->clear_square_corner));
    write_piece("%s", "人员:\n");
    write_piece("%8s%-15s", "画图:", d->drawn_by);
    write_piece("%8s%-15s", "      拆电极:", d->split_by);
    write_piece("%8s%-15s\n", "      编电极:", d->electrode_by);
}

}  // namespace

void write_process_report(const electrode_record *head) {
    logical open = FALSE;
    UF_UI_is_listing_window_open(&open);
    if (!open) UF_UI_open_listing_window();
    write_piece("%s", "                               EDM工艺信息\n");
    for (const electrode_record *r = head; r; r = r->next) write_block(&r->data);
}

int write_process_listing(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    (void)dialog_id;
    (void)client_data;
    (void)cb;
    if (UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    write_process_report(electrode_list);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}
