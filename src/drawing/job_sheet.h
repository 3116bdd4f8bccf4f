/* The EDM job sheet: one row per electrode of the drawing dialog's list with its position and
 * rotation in the workpiece datum, its box, its process data and the blank it is cut from,
 * written as "<work part>_EDM.csv" (GBK) and "<work part>_EDM.html" (printable on A4
 * landscape, with the stock cut list, the number of electrodes to make and the setup map),
 * with the operations list "_EDM_OPS.csv", the labels "_EDM_LABELS.html" and the setup map
 * "_EDM_MAP.svg" (job_ops.h, job_labels.h, job_map.h). */
#ifndef KELVORA_JOB_SHEET_H
#define KELVORA_JOB_SHEET_H

#include "config/setting_keys.h"
#include "nx.h"
#include "drawing/electrode_record.h"
#include "drawing/job_sheet_writers.h"

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
/* printf format: the electrodes (a list) whose box could not be measured. */
#define KV_JOB_BOX_FAILED_TEXT "无法测量电极 %s 的尺寸（NX 调用失败），已标记 " KV_BOX_FAILED_FLAG "，未计入备料"

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
