// The electrode labels as a web page (GBK): A4 sheets of 3 x 8 labels of 70 x 37 mm, placed in
// CSS millimetres so that a print at 100 % lands on the label stock; each label carries its
// operation's ID as text and as a Code 128 barcode drawn as inline SVG.
#include "drawing/job_labels.h"

#include <stdlib.h>
#include <string.h>

#include "config/kv_text.h"
#include "drawing/code128.h"

namespace {

const int kColumns = 3, kRows = 8, kPerPage = kColumns * kRows;
const double kLabelWidth = 70.0, kLabelHeight = 37.0;
// The barcode: modules of 0.35 mm (scanners read them well) up to the label's usable width, a
// quiet zone of ten modules each side, 10 mm high.
const double kModuleMm = 0.35, kBarcodeMaxMm = 64.0, kBarcodeHeightMm = 10.0;
const int kQuietModules = 10;
// Modules of the longest ID: 63 characters of set B with its start, check and stop.
const size_t kBarsSize = 11 * 70 + 16;

const char kStyle[] =
    "<style>\n"
    "@page { size: A4 portrait; margin: 0; }\n"
    "body { font-family: \"SimSun\", \"WenQuanYi Zen Hei\", sans-serif; margin: 0; }\n"
    ".page { position: relative; width: 210mm; height: 296mm; overflow: hidden; page-break-after: always; }\n"
    ".page:last-child { page-break-after: auto; }\n"
    ".label { position: absolute; width: 70mm; height: 37mm; box-sizing: border-box; padding: 1.5mm 3mm;\n"
    "  overflow: hidden; font-size: 7pt; line-height: 1.3; }\n"
    ".id { font: bold 10pt monospace; white-space: nowrap; }\n"
    ".bc { display: block; margin: 0.5mm 0; }\n"
    ".l { white-space: nowrap; overflow: hidden; }\n"
    "@media screen { .label { outline: 0.2mm dashed #bbb; } }\n"
    "</style>\n";

int put_text(FILE *out, const char *text) { return put_html_text(out, text); }

// The barcode of id: one path of the bars, in module units stretched to its width in mm.
int put_barcode(FILE *out, const char *id, char *bars) {
    int n = code128_modules(id, bars, kBarsSize);
    if (n <= 0) return 0;  // IDs are printable ASCII of bounded length: never met
    int total = n + 2 * kQuietModules;
    double width = total * kModuleMm;
    if (width > kBarcodeMaxMm) width = kBarcodeMaxMm;
    int rc = put_format(out,
                 "<svg class=\"bc\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %d 10\" width=\"%.2fmm\" "
                 "height=\"%.1fmm\" preserveAspectRatio=\"none\" shape-rendering=\"crispEdges\">"
                 "<rect width=\"%d\" height=\"10\" fill=\"#fff\"/><path fill=\"#000\" d=\"",
                 total, width, kBarcodeHeightMm, total);
    for (int i = 0; i < n && rc == 0;) {
        if (bars[i] != '1') {
            ++i;
            continue;
        }
        int w = 0;
        while (i + w < n && bars[i + w] == '1') ++w;
        rc = put_format(out, "M%d 0h%dv10h-%dz", i + kQuietModules, w, w);
        i += w;
    }
    return rc == 0 ? put_format(out, "\"/></svg>") : -1;
}

// One line of a label: "<label> <value>" pairs, those with an empty value left out.
int put_line(FILE *out, const char *const *pairs, int n) {
    int rc = put_format(out, "<div class=\"l\">");
    const char *sep = "";
    for (int i = 0; i + 1 < n && rc == 0; i += 2) {
        if (!pairs[i + 1][0]) continue;
        rc = put_format(out, "%s", sep);
        if (rc == 0 && pairs[i][0]) rc = put_text(out, pairs[i]);
        if (rc == 0 && pairs[i][0]) rc = put_format(out, " ");
        if (rc == 0) rc = put_text(out, pairs[i + 1]);
        sep = " &middot; ";
    }
    return rc == 0 ? put_format(out, "</div>") : -1;
}

int put_label(FILE *out, const job_op *op, int slot, char cells[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE], char *bars) {
    const electrode_data *d = op->row->data;
    char gap[32];
    format_fixed3(op->gap, gap, sizeof gap);
    int rc = put_format(out, "<div class=\"label\" style=\"left:%.0fmm;top:%.0fmm\"><div class=\"id\">", slot % kColumns * kLabelWidth,
                 slot / kColumns * kLabelHeight);
    if (rc == 0) rc = put_text(out, op->id);
    if (rc == 0) rc = put_format(out, "</div>");
    if (rc == 0) rc = put_barcode(out, op->id, bars);
    const char *stage[] = {"电极", d->electrode_name, "", stage_label(op->stage), "单边", gap};
    const char *stock[] = {"材料", cells[KV_JOB_COL_MATERIAL], "备料", cells[KV_JOB_COL_STOCK]};
    const char *mould[] = {"模号", d->mould_no};
    const char *at[] = {"X", cells[KV_JOB_COL_X], "Y", cells[KV_JOB_COL_X + 1], "Z", cells[KV_JOB_COL_X + 2],
                        "C", cells[KV_JOB_COL_X + 3], "", cells[KV_JOB_COL_FLAG]};
    if (rc == 0) rc = put_line(out, stage, 6);
    if (rc == 0) rc = put_line(out, stock, 4);
    if (rc == 0) rc = put_line(out, mould, 2);
    if (rc == 0) rc = put_line(out, at, 10);
    return rc == 0 ? put_format(out, "</div>\n") : -1;
}

}  // namespace

int write_job_labels_html(FILE *out, const job_sheet *sheet) {
    if (!out || !sheet) return -1;
    char(*cells)[KV_JOB_CELL_SIZE] = (char(*)[KV_JOB_CELL_SIZE])malloc(sizeof(char[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]));
    char *bars = (char *)malloc(kBarsSize);
    int rc = cells && bars ? 0 : -1;
    if (rc == 0) rc = put_format(out, "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"gbk\">\n<title>");
    if (rc == 0) rc = put_text(out, sheet->workpiece);
    if (rc == 0) rc = put_format(out, " 电极标签</title>\n%s</head><body>\n", kStyle);
    const job_row *cells_of = NULL;
    for (int i = 0; i < sheet->op_count && rc == 0; ++i) {
        const job_op *op = &sheet->ops[i];
        if (op->row != cells_of) job_row_cells(sheet, op->row, cells);
        cells_of = op->row;
        if (i % kPerPage == 0) rc = put_format(out, "%s<div class=\"page\">\n", i > 0 ? "</div>\n" : "");
        if (rc == 0) rc = put_label(out, op, i % kPerPage, cells, bars);
    }
    if (rc == 0 && sheet->op_count > 0) rc = put_format(out, "</div>\n");
    if (rc == 0) rc = put_format(out, "</body></html>\n");
    free(cells);
    free(bars);
    return rc == 0 && !ferror(out) ? 0 : -1;
}
