/* Job files for EDM machines and cell job managers: templates a shop writes (plain text, GBK, in
 * the tool folder's data folder, named by EDM_EXPORT_TEMPLATES), filled from the operations list
 * and written beside the job sheet, one file per template.
 *
 * A template: '!' lines are comments; the first other line is "FILE=<name pattern>"; the lines
 * before OP_START are the header, written once; those between OP_START and OP_END are written
 * once per operation in burn order, where "OP_IF FLAG" / "OP_IF !FLAG" ... "OP_END_IF" keeps
 * lines for operations with (without) a flag; the lines after OP_END are the footer. Each line
 * keeps its own line end. "#NAME#" or "#NAME:W.P#" is a placeholder (W a width, P decimals),
 * "##" a '#'; a '#' that starts neither is written as it is. Outside OP_START..OP_END the
 * operation placeholders take the first operation's values. */
#ifndef KELVORA_JOB_EXPORT_H
#define KELVORA_JOB_EXPORT_H

#include <stddef.h>
#include <stdio.h>

#include "drawing/job_sheet_writers.h"

/* Templates read from the setting; further items are ignored. */
#define KV_EXPORT_MAX_TEMPLATES 16
/* A template larger than this is refused as unreadable. */
#define KV_EXPORT_MAX_BYTES (1024 * 1024)
/* A template's file name, and an output's. */
#define KV_EXPORT_NAME_SIZE 256
/* The widest W of "#NAME:W.P#" and the most decimals. */
#define KV_EXPORT_MAX_WIDTH 64
#define KV_EXPORT_MAX_DECIMALS 9

/* Texts (GBK, printf formats): the template's file name, the line, what is wrong. */
#define KV_EXPORT_BAD_TEXT "导出模板 %s 第 %d 行：%s，未写入该模板的文件！"
#define KV_EXPORT_UNREAD_TEXT "无法读取导出模板 %s（%s），未写入该模板的文件！"
/* Followed by the output's path. */
#define KV_EXPORT_WRITE_FAILED_TEXT "无法写入导出文件（文件夹不可写、磁盘已满或文件被其它程序打开）："
#define KV_EXPORT_READ_ONLY_TEXT "文件为只读，导出文件未写入："
#define KV_EXPORT_NOT_A_FILE_TEXT "已有同名的文件夹，导出文件未写入："

/* Which part of the template a line belongs to. */
#define KV_EXPORT_HEADER 0
#define KV_EXPORT_OPERATION 1
#define KV_EXPORT_FOOTER 2

/* One line written to the output (comments, FILE= and the keyword lines are not kept). */
typedef struct export_line_s {
    size_t start;     /* offset of the line in the template's text */
    size_t length;    /* bytes before the line end */
    size_t end;       /* bytes of the line end: 2 CRLF, 1 LF, 0 at the end of the file */
    int    part;      /* KV_EXPORT_* */
    int    condition; /* 0 always; 1 with flag; -1 without flag */
    char   flag[16];
} export_line;

/* A template read and checked. */
typedef struct export_template_s {
    char         name[KV_EXPORT_NAME_SIZE];  /* the template's file name */
    char        *text;                       /* the template's bytes (malloc), terminated */
    size_t       pattern_start, pattern_length;  /* the name pattern after FILE= */
    int          pattern_line;                   /* the FILE= line's number */
    export_line *lines;                      /* line_count lines (malloc) */
    int          line_count;
} export_template;

/* Checks bytes (n bytes, the template called name) and keeps them in t (released and cleared
 * first). 0; -1 malformed, message (size bytes) naming the template, the line and what is wrong
 * (KV_EXPORT_BAD_TEXT): an unknown placeholder or flag, a bad W.P, no FILE= line, OP_START
 * without OP_END, a second OP_START, OP_END or OP_IF out of place, #ROW# outside the operation
 * lines; -2 out of memory. Nothing is kept on failure. */
int parse_export_template(const char *name, const char *bytes, size_t n, export_template *t, char *message,
                          size_t size);

/* parse_export_template of the file name in folder. -1 also when it cannot be read, is empty of
 * bytes past KV_EXPORT_MAX_BYTES or name is no plain file name (KV_EXPORT_UNREAD_TEXT). */
int read_export_template(const char *folder, const char *name, export_template *t, char *message, size_t size);

/* Releases what t holds and clears it. */
void free_export_template(export_template *t);

/* The output's name from t's pattern and sheet into name (size bytes): characters Windows does
 * not allow in a file name (\ / : * ? " < > | and control characters) become '_'. 0; -1 when
 * it is empty, only dots, or does not fit (name then empty). */
int export_file_name(const export_template *t, const job_sheet *sheet, char *name, size_t size);

/* The file of t for sheet to out. 0, or -1 when a write failed or memory ran out. */
int write_export(FILE *out, const export_template *t, const job_sheet *sheet);

/* The templates of EDM_EXPORT_TEMPLATES (none when unset), each filled from sheet and written
 * into folder on its own (write_file_replacing). A template that cannot be read or is
 * malformed, whose output is named like one of the taken files (n_taken names, ASCII case
 * ignored: the job sheet's, or an earlier template's), or whose file cannot be written gets a
 * message box and no file; the others are written all the same. The number of files written. */
int write_export_files(const job_sheet *sheet, const char *folder, const char *const taken[], int n_taken);

#endif
