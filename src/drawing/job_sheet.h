/* The EDM job sheet: one row per electrode of the drawing dialog's list with its position and
 * rotation in the workpiece datum, its box, its process data and the blank it is cut from,
 * written as "<work part>_EDM.csv" (GBK) and "<work part>_EDM.html" (printable on A4
 * landscape, with the stock cut list, the number of electrodes to make and the setup map),
 * with the operations list "_EDM_OPS.csv", the labels "_EDM_LABELS.html" and the setup map
 * "_EDM_MAP.svg" (job_ops.h, job_labels.h, job_map.h). */
#ifndef KELVORA_JOB_SHEET_H
#define KELVORA_JOB_SHEET_H

#include <stdio.h>

#include "config/file_replace.h"
#include "config/setting_keys.h"
#include "nx.h"
#include "drawing/electrode_record.h"
#include "drawing/job_sheet_frame.h"
#include "drawing/job_sheet_stock.h"

/* Defaults of the clearance per side and of the length added for clamping (mm). */
#define KV_DEFAULT_CLEARANCE 1.0
#define KV_DEFAULT_CLAMP 10.0

/* Texts of the job sheet, GBK. */
#define KV_JOB_FOLDER_TITLE "选择加工单保存文件夹"
#define KV_JOB_FOLDER_FAILED_TEXT "所选位置不是磁盘上的文件夹，加工单未写入！"
#define KV_JOB_WRITE_FAILED_TEXT "无法写入文件（文件夹不可写、磁盘已满或文件被其它程序打开）："
#define KV_JOB_READ_ONLY_TEXT "文件为只读，加工单未写入："
#define KV_JOB_NOT_A_FILE_TEXT "已有同名的文件夹，加工单未写入："
#define KV_JOB_NO_FOLDER_TEXT "没有可写入加工单的文件夹"
#define KV_JOB_NO_ELECTRODE_TEXT "没有电极，未生成加工单"
#define KV_JOB_DONE_TEXT "加工单已写入："
/* printf format: after the job sheet's files, the number of machine files from templates. */
#define KV_JOB_EXPORTED_TEXT "，及 %d 个导出文件"
/* printf format: the number of blanks used from a stock list that holds more. */
#define KV_JOB_STOCK_CUT_TEXT "备料表（" KV_KEY_ELECTRODE_STOCK_LIST "）只使用了前 %d 种坯料，其余的未读取！"
/* printf format: the electrode whose coordinate system could not be looked up. */
#define KV_JOB_ECS_UNREAD_TEXT "无法读取电极 %s 的坐标系，未生成加工单！"
/* printf format: the datum's name. */
#define KV_JOB_DATUM_UNREAD_TEXT "无法读取加工单的基准坐标系 %s，未生成加工单！"
/* The CSV's last column: what the positions are measured from, on every row. */
#define KV_JOB_DATUM_HEADER "基准"
#define KV_NO_ECS_FLAG "NO_ECS"
#define KV_TILT_FLAG "TILT"
#define KV_MIRRORED_FLAG "MIRRORED"
#define KV_NO_STOCK_TEXT "NO_STOCK"
/* An electrode whose box could not be measured because NX failed. */
#define KV_BOX_FAILED_FLAG "BOX?"
/* printf format: the electrodes (a list) whose box could not be measured. */
#define KV_JOB_BOX_FAILED_TEXT "无法测量电极 %s 的尺寸（NX 调用失败），已标记 " KV_BOX_FAILED_FLAG "，未计入备料"

/* Columns of a row, in file order, and the size of one cell. */
#define KV_JOB_COLUMNS 31
#define KV_JOB_CELL_SIZE KV_RECORD_TEXT_SIZE
/* Cells the other files take from a row: X, Y, Z, C from KV_JOB_COL_X on, the flags, the
 * material, the stock. */
#define KV_JOB_COL_X 1
#define KV_JOB_COL_FLAG 5
#define KV_JOB_COL_MATERIAL 12
#define KV_JOB_COL_STOCK 28
/* Paths of the written files and of their temporary names. */
#define KV_JOB_PATH_SIZE 1200

/* One electrode's row. */
typedef struct job_row_s {
    const electrode_data *data;              /* the record's data, as stored */
    char             material[KV_LIST_ITEM_SIZE];
    char             method[KV_LIST_ITEM_SIZE];
    char             machine[KV_LIST_ITEM_SIZE];
    job_placement    place;
    int              has_box;                /* 0: no solid body measured, box and stock empty */
    int              box_failed;             /* 1: NX failed while measuring (flagged BOX?) */
    double           size[3];                /* length, width, height along the ECS axes */
    double           low[3];                 /* the box's lowest corner along the same axes */
    job_axes         axes;                   /* the frame the box was measured in, in the datum */
    job_stock_choice stock;
} job_row;

/* Outlines of the work part's solid bodies that are not electrodes, for the setup map. */
#define KV_MAP_MAX_BODIES 32

struct job_op_s;

/* The whole sheet. Texts GBK. */
typedef struct job_sheet_s {
    job_row       *rows;                     /* count rows in list order (malloc) */
    int            count;
    job_stock_list stock;
    char           mould_no[KV_RECORD_TEXT_SIZE];
    char           workpiece[KV_RECORD_TEXT_SIZE];
    char           datum[KV_RECORD_TEXT_SIZE];   /* what the positions are measured from */
    char           units[16];                    /* "mm" or "inch" */
    char           date[16];                     /* YYYY/MM/DD */
    char           part_name[KV_RECORD_TEXT_SIZE];  /* the work part's name */
    struct job_op_s *ops;                        /* op_count operations in burn order (malloc) */
    int            op_count;
    double         bodies[KV_MAP_MAX_BODIES][4]; /* x_min, y_min, x_max, y_max in the datum */
    int            body_count;
} job_sheet;

/* The cells of one row, or of the header line when row is null. */
void job_row_cells(const job_sheet *sheet, const job_row *row, char cells[KV_JOB_COLUMNS][KV_JOB_CELL_SIZE]);

/* The number of electrodes to make for a row (its three counts; a negative count adds none). */
int job_row_pieces(const job_row *row);

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

/* The flag cell of a row: its placement's flag, then BOX? when its box could not be measured,
 * joined by a space; empty for neither. */
void job_row_flags(const job_row *row, char cell[KV_JOB_CELL_SIZE]);

/* The most files one press writes together. */
#define KV_JOB_MAX_FILES 5

/* replace_files of n files, each writer writing from sheet. */
int write_all_replacing(int n, const char *const paths[], const job_writer writers[], const job_sheet *sheet,
                        const char **failed);

/* write_all_replacing of one file. */
int write_replacing(const char *path, job_writer writer, const job_sheet *sheet);

/* Fills sheet (cleared first) from the list: settings, datum, each electrode's placement and
 * measured box, its stock, and the boxes of the part's other solid bodies. An electrode whose
 * box NX failed to measure is marked box_failed (the caller tells the user). Leaves the part and the WCS as they were. 0; -1 without a work part;
 * -2 when the rows could not be allocated (sheet empty); -3 when the part has the datum the
 * settings name but it cannot be read, or NX cannot say whether an electrode has a coordinate
 * system (the user told by a message box naming it; sheet empty).
 * A datum the part does not have gives the absolute frame, and sheet->datum says so. The API
 * must be initialised. */
int gather_job_sheet(const electrode_record *head, job_sheet *sheet);

/* Releases the rows and operations of sheet. */
void free_job_sheet(job_sheet *sheet);

/* Writes the five files of the list into folder (empty: the work part's folder) all or none,
 * telling the user by a message box which file could not be written, or on the status line
 * what was written; electrodes whose box NX failed to measure are named in one message box.
 * Once they are written, so are the files of the export templates, each on its own
 * (write_export_files): a template that fails is told and changes nothing else.
 * 0 all written; -1 no folder or no electrode; -2 a file could not be written, the datum or an
 * electrode's coordinate system could not be read, or an operation's ID was refused (nothing
 * written, the user told). */
int write_job_sheet(const electrode_record *head, const char *folder);

/* The JOB_SHEET_ACTION button: asks for the folder with the browser opened on the work part's
 * folder, then write_job_sheet of the dialog's records (client_data: its drawing_dialog_state);
 * a cancelled browser writes nothing. Always 0 (the dialog stays open). */
int job_sheet_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);

#endif
