// The job sheet as comma-separated values, GBK, CRLF line ends as spreadsheets on Windows
// expect. GBK trail bytes are never ',' '"' CR or LF, so quoting can look at single bytes.
#include <stdlib.h>
#include <string.h>

#include "drawing/job_sheet.h"

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
