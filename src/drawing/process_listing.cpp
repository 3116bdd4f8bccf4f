// The process information listing. Widths count GBK bytes, as printf does with the plug-in's
// narrow texts, so Chinese labels take two columns per character.
#include "drawing/process_listing.h"

#include <stdarg.h>
#include <stdio.h>

#include "config/comma_list.h"
#include "config/kv_text.h"
#include "drawing/process_fields.h"

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

// One piece a field: texts in 15 columns, gaps with three decimals and counts and flags in 10,
// each after its label; a field that ends its line carries the line break.
void write_field(const process_field *f, const electrode_data *d, const process_choice_lists *lists) {
    const char *end = f->listing_ends_line ? "\n" : "";
    const void *value = process_field_value(d, f);
    char text[KV_LIST_ITEM_SIZE];
    switch (f->kind) {
        case KV_FIELD_TEXT:
        case KV_FIELD_PERSON: write_piece("%8s%-15s%s", f->listing_label, (const char *)value, end); break;
        case KV_FIELD_CHOICE:
            process_field_text(f, d, lists, text, sizeof text);
            write_piece("%8s%-15s%s", f->listing_label, text, end);
            break;
        case KV_FIELD_REAL: write_piece("%8s%-10.3f%s", f->listing_label, *(const double *)value, end); break;
        case KV_FIELD_COUNT: write_piece("%8s%-10d%s", f->listing_label, *(const int *)value, end); break;
        case KV_FIELD_FLAG: write_piece("%8s%-10s%s", f->listing_label, yes_no(*(const int *)value), end); break;
    }
}

void write_block(const electrode_data *d, const process_choice_lists *lists) {
    write_piece("%s", "=============================================================\n");
    for (int i = 0; i < kv_process_field_count; ++i) {
        const process_field *f = &kv_process_fields[i];
        if (f->listing_before) write_piece("%s", f->listing_before);
        write_field(f, d, lists);
    }
}

}  // namespace

void write_process_report(const electrode_record *head) {
    logical open = FALSE;
    UF_UI_is_listing_window_open(&open);
    if (!open) UF_UI_open_listing_window();
    write_piece("%s", "                               EDM工艺信息\n");
    process_choice_lists lists;
    read_process_choice_lists(&lists);
    for (const electrode_record *r = head; r; r = r->next) write_block(&r->data, &lists);
}

int write_process_listing(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb) {
    (void)dialog_id;
    (void)cb;
    const drawing_dialog_state *state = (const drawing_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    write_process_report(state->list);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}
