/* The job sheet's rows and the sheet itself as plain data, and the cells every file of a press
 * takes from a row. Nothing here calls NX: job_sheet.h gathers the sheet from the part. */
#ifndef KELVORA_JOB_SHEET_TABLE_H
#define KELVORA_JOB_SHEET_TABLE_H

#include "drawing/electrode_record.h"
#include "drawing/job_sheet_frame.h"
#include "drawing/job_sheet_stock.h"

/* The CSV's last column: what the positions are measured from, on every row. */
#define KV_JOB_DATUM_HEADER "基准"
#define KV_NO_ECS_FLAG "NO_ECS"
#define KV_TILT_FLAG "TILT"
#define KV_MIRRORED_FLAG "MIRRORED"
#define KV_NO_STOCK_TEXT "NO_STOCK"
/* An electrode whose box could not be measured because NX failed. */
#define KV_BOX_FAILED_FLAG "BOX?"
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

/* The flag cell of a row: its placement's flag, then BOX? when its box could not be measured,
 * joined by a space; empty for neither. */
void job_row_flags(const job_row *row, char cell[KV_JOB_CELL_SIZE]);

#endif
