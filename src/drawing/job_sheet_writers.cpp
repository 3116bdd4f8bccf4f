// The job sheet's own files and the writes every file of a press shares: the CSV, the web page,
// and the all-or-nothing replacement of a press's files.
#include "drawing/job_sheet_writers.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "config/kv_text.h"
#include "drawing/job_map.h"

// The job sheet as comma-separated values, GBK, CRLF line ends as spreadsheets on Windows
// expect. GBK trail bytes are never ',' '"' CR or LF, so quoting can look at single bytes.

int put_csv_field(FILE *out, const char *text) {
    if (!strpbrk(text, ",\"\r\n")) return fputs(text, out) < 0 ? -1 : 0;
    if (fputc('"', out) == EOF) return -1;
    for (const char *p = text; *p; ++p) {
        if (*p == '"' && fputc('"', out) == EOF) return -1;
        if (fputc(*p, out) == EOF) return -1;
    }
    return fputc('"', out) == EOF ? -1 : 0;
}

namespace {

// The row's cells, then datum: the frame on every line, so that a spreadsheet reads one table
// and a sheet measured from the absolute frame says so in each row.
int put_line(FILE *out, char cells[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE], const char *datum) {
    for (int i = 0; i < KV_JOB_COLUMNS; ++i) {
        if (i > 0 && fputc(',', out) == EOF) return -1;
        if (put_csv_field(out, cells[i]) != 0) return -1;
    }
    if (fputc(',', out) == EOF || put_csv_field(out, datum) != 0) return -1;
    return fputs("\r\n", out) < 0 ? -1 : 0;
}

}  // namespace

int write_job_csv(FILE *out, const job_sheet *sheet) {
    if (!out || !sheet) return -1;
    // A row's cells are too big for the stack of every host thread: one heap block.
    char(*cells)[KV_JOB_CELL_SIZE] = (char(*)[KV_JOB_CELL_SIZE])malloc(sizeof(char[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]));
    if (!cells) return -1;
    job_row_cells(sheet, NULL, cells);
    int rc = put_line(out, cells, KV_JOB_DATUM_HEADER);
    for (int r = 0; r < sheet->count && rc == 0; ++r) {
        job_row_cells(sheet, &sheet->rows[r], cells);
        rc = put_line(out, cells, sheet->datum);
    }
    free(cells);
    return rc == 0 && !ferror(out) ? 0 : -1;
}

// The job sheet as a web page (GBK) printable on A4 landscape: a header, the electrode table,
// the stock cut list, the number of electrodes to make and the setup map.

// GBK pairs pass whole: their trail bytes are never one of & < > ".
int put_html_text(FILE *out, const char *text) {
    for (const char *p = text; *p; ++p) {
        const char *entity = *p == '&' ? "&amp;" : *p == '<' ? "&lt;" : *p == '>' ? "&gt;" : *p == '"' ? "&quot;" : NULL;
        if (entity ? fputs(entity, out) < 0 : fputc(*p, out) == EOF) return -1;
        if (!entity && kv_is_gbk_lead((unsigned char)*p) && p[1] != '\0' && fputc(*++p, out) == EOF) return -1;
    }
    return 0;
}

namespace {

const char kStyle[] =
    "<style>\n"
    "@page { size: A4 landscape; margin: 8mm; }\n"
    "body { font-family: \"SimSun\", \"WenQuanYi Zen Hei\", sans-serif; font-size: 9pt; margin: 0; }\n"
    "h1 { font-size: 15pt; margin: 0 0 2mm 0; }\n"
    ".head td { padding: 0 6mm 1mm 0; } .head th { text-align: left; padding-right: 2mm; }\n"
    "table.sheet { border-collapse: collapse; width: 100%; margin-top: 3mm; }\n"
    ".sheet th, .sheet td { border: 0.3mm solid #444; padding: 0.6mm 1mm; font-size: 7.5pt; }\n"
    ".sheet th { background: #e4e4e4; } .sheet tr:nth-child(even) td { background: #f6f6f6; }\n"
    ".n { text-align: right; white-space: nowrap; } .f { color: #b00000; font-weight: bold; }\n"
    ".foot { display: flex; gap: 12mm; margin-top: 4mm; } .foot table { border-collapse: collapse; }\n"
    ".foot th, .foot td { border: 0.3mm solid #444; padding: 0.6mm 2mm; }\n"
    ".total { font-size: 12pt; font-weight: bold; }\n"
    "tr { page-break-inside: avoid; }\n"
    ".map { page-break-before: always; margin-top: 4mm; }\n"
    "@media screen { body { margin: 8mm; } }\n"
    "</style>\n";

// Column groups of the table's two header lines: a group of one column spans both lines.
struct group {
    const char *label;
    int first, span;
};
const group kGroups[] = {
    {"", 0, 1},          {"位置（基准坐标）", 1, 4}, {"", 5, 1},      {"Z轴方向", 6, 3},
    {"电极尺寸", 9, 3},  {"", 12, 1},               {"", 13, 1},     {"", 14, 1},
    {"单边火花位", 15, 6},   {"加工要求", 21, 4},       {"人员", 25, 3}, {"备料", 28, 3},
};

// The gap columns under their group's heading: the stage's label alone.
const char *const kGapHeads[6] = {"特粗", "数量", "粗", "数量", "精", "数量"};

int numeric_column(int c) { return (c >= 1 && c <= 4) || (c >= 6 && c <= 11) || (c >= 15 && c <= 20); }

// The flag column and a missing blank stand out.
int warning_cell(int c, const char *text) { return c == 5 || (c == 28 && strcmp(text, KV_NO_STOCK_TEXT) == 0); }

int put_text(FILE *out, const char *text) { return put_html_text(out, text); }

int put_cell(FILE *out, const char *tag, const char *cls, const char *text) {
    int rc = put_format(out, "<%s%s%s%s>", tag, cls ? " class=\"" : "", cls ? cls : "", cls ? "\"" : "");
    if (rc == 0) rc = put_text(out, text);
    return rc == 0 ? put_format(out, "</%s>", tag) : -1;
}

int put_header(FILE *out, const job_sheet *s) {
    int rc = put_format(out, "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"gbk\">\n<title>");
    if (rc == 0) rc = put_text(out, s->workpiece);
    if (rc == 0) rc = put_format(out, " EDM加工单</title>\n%s</head><body>\n<h1>EDM加工单</h1>\n<table class=\"head\"><tr>", kStyle);
    const char *labels[5] = {"模号", "工件", "日期", "基准", "单位"};
    const char *values[5] = {s->mould_no, s->workpiece, s->date, s->datum, s->units};
    for (int i = 0; i < 5 && rc == 0; ++i) {
        rc = put_cell(out, "th", NULL, labels[i]);
        if (rc == 0) rc = put_cell(out, "td", NULL, values[i]);
    }
    return rc == 0 ? put_format(out, "</tr></table>\n") : -1;
}

int put_table_head(FILE *out, char cells[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]) {
    int rc = put_format(out, "<table class=\"sheet\"><thead><tr>");
    for (const group &g : kGroups) {
        if (rc != 0) break;
        rc = g.span == 1 ? put_format(out, "<th rowspan=\"2\">") : put_format(out, "<th colspan=\"%d\">", g.span);
        if (rc == 0) rc = put_text(out, g.span == 1 ? cells[g.first] : g.label);
        if (rc == 0) rc = put_format(out, "</th>");
    }
    if (rc == 0) rc = put_format(out, "</tr>\n<tr>");
    for (const group &g : kGroups)
        for (int c = g.first; g.span > 1 && c < g.first + g.span && rc == 0; ++c)
            rc = put_cell(out, "th", NULL, c >= 15 && c < 21 ? kGapHeads[c - 15] : cells[c]);
    return rc == 0 ? put_format(out, "</tr></thead>\n<tbody>\n") : -1;
}

int put_row(FILE *out, char cells[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]) {
    int rc = put_format(out, "<tr>");
    for (int c = 0; c < KV_JOB_COLUMNS && rc == 0; ++c)
        rc = put_cell(out, "td", warning_cell(c, cells[c]) ? "f" : numeric_column(c) ? "n" : NULL, cells[c]);
    return rc == 0 ? put_format(out, "</tr>\n") : -1;
}

// Cut-list lines: a blank of the list, those no blank fits, those whose box NX failed to measure.
const int kNoBlank = -1, kBoxFailed = -2;

int on_cut_line(const job_row *row, int index) {
    if (index == kBoxFailed) return row->box_failed;
    return row->has_box && row->stock.index == index;
}

// One line of the cut list: the rows cut from blank index (or kNoBlank, kBoxFailed).
int put_cut_line(FILE *out, const job_sheet *s, int index) {
    int pieces = 0, rows = 0;
    for (int r = 0; r < s->count; ++r) {
        const job_row *row = &s->rows[r];
        if (!on_cut_line(row, index)) continue;
        pieces += job_row_pieces(row);
        ++rows;
    }
    if (rows == 0) return 0;
    char label[KV_SIZE_TEXT_SIZE] = KV_NO_STOCK_TEXT;
    if (index == kBoxFailed) kv_copy(label, sizeof label, KV_BOX_FAILED_FLAG);
    if (index >= 0) {
        const double dims[3] = {s->stock.blanks[index].a, s->stock.blanks[index].b, s->stock.blanks[index].l};
        format_size(dims, label, sizeof label);
    }
    int rc = put_format(out, "<tr>");
    if (rc == 0) rc = put_cell(out, "td", index < 0 ? "f" : NULL, label);
    if (rc == 0) rc = put_format(out, "<td class=\"n\">%d</td><td>", pieces);
    const char *sep = "";
    for (int r = 0; r < s->count && rc == 0; ++r) {
        const job_row *row = &s->rows[r];
        if (!on_cut_line(row, index)) continue;
        rc = put_format(out, "%s", sep);
        if (rc == 0) rc = put_text(out, row->data->electrode_name);
        sep = " ";
    }
    return rc == 0 ? put_format(out, "</td></tr>\n") : -1;
}

int put_footer(FILE *out, const job_sheet *s) {
    int rc = put_format(out, "</tbody></table>\n<div class=\"foot\"><table><tr><th>备料（mm）</th><th>数量</th><th>电极</th></tr>\n");
    for (int i = 0; i < s->stock.count && rc == 0; ++i) rc = put_cut_line(out, s, i);
    if (rc == 0) rc = put_cut_line(out, s, kNoBlank);
    if (rc == 0) rc = put_cut_line(out, s, kBoxFailed);
    int total = 0;
    for (int r = 0; r < s->count; ++r) total += job_row_pieces(&s->rows[r]);
    if (rc == 0) rc = put_format(out, "</table>\n<p class=\"total\">电极总数：%d（%d 种）</p></div>\n", total, s->count);
    // The setup map on a page of its own, as the map file shows it.
    if (rc == 0) rc = put_format(out, "<div class=\"map\">\n");
    if (rc == 0) rc = put_job_map(out, s);
    return rc == 0 ? put_format(out, "</div>\n</body></html>\n") : -1;
}

}  // namespace

int write_job_html(FILE *out, const job_sheet *sheet) {
    if (!out || !sheet) return -1;
    char(*cells)[KV_JOB_CELL_SIZE] = (char(*)[KV_JOB_CELL_SIZE])malloc(sizeof(char[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]));
    if (!cells) return -1;
    job_row_cells(sheet, NULL, cells);
    int rc = put_header(out, sheet);
    if (rc == 0) rc = put_table_head(out, cells);
    for (int r = 0; r < sheet->count && rc == 0; ++r) {
        job_row_cells(sheet, &sheet->rows[r], cells);
        rc = put_row(out, cells);
    }
    if (rc == 0) rc = put_footer(out, sheet);
    free(cells);
    return rc == 0 && !ferror(out) ? 0 : -1;
}

int put_format(FILE *out, const char *format, ...) {
    va_list args;
    va_start(args, format);
    int n = vfprintf(out, format, args);
    va_end(args);
    return n < 0 ? -1 : 0;
}

// The job sheet's files of one press, written all or nothing through the shared file
// replacement.

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
