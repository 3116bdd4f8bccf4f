/* The job sheet's own files (CSV and HTML) and the formatted writes the files of a press share,
 * written all or nothing. NX-free. */
#ifndef KELVORA_JOB_SHEET_WRITERS_H
#define KELVORA_JOB_SHEET_WRITERS_H

#include <stdio.h>

#include "config/file_replace.h"
#include "drawing/job_sheet_table.h"

/* One CSV field to out, quoted (inner quotes doubled) when it holds a separator, a quote or a
 * line end. 0, or -1 when the write failed. */
int put_csv_field(FILE *out, const char *text);

/* text to out with & < > " written as entities (HTML and SVG). 0, or -1 when the write failed. */
int put_html_text(FILE *out, const char *text);

/* fprintf to out for the job sheet's writers. 0, or -1 when the write failed. */
#if defined(__GNUC__)
int put_format(FILE *out, const char *format, ...) __attribute__((format(printf, 2, 3)));
#else
int put_format(FILE *out, const char *format, ...);
#endif

/* Writers: the sheet to out. 0, or -1 when a write failed. */
int write_job_csv(FILE *out, const job_sheet *sheet);
int write_job_html(FILE *out, const job_sheet *sheet);
typedef int (*job_writer)(FILE *out, const job_sheet *sheet);

/* The most files one press writes together. */
#define KV_JOB_MAX_FILES 5

/* replace_files of n files, each writer writing from sheet. */
int write_all_replacing(int n, const char *const paths[], const job_writer writers[], const job_sheet *sheet,
                        const char **failed);

/* write_all_replacing of one file. */
int write_replacing(const char *path, job_writer writer, const job_sheet *sheet);

#endif
