/* The drawing batch run by OK and Apply of the drawing dialog, and the layer display of the
 * electrodes selected in it. */
#ifndef KELVORA_DRAWING_BATCH_H
#define KELVORA_DRAWING_BATCH_H

#include "nx.h"
#include "drawing/electrode_record.h"
#include "drawing/electrode_drawing.h"

/* Texts of the batch, GBK. */
#define KV_NOT_ON_DRAWING_TEXT "该功能需要在非工程图状态下运行"
/* What the drawing pass tells, once, of the electrodes it left short ("电极 E01 的图纸未生成；
 * 电极 E02 的图纸缺少视图"), and the room for it: NX's message box shows 132 characters. */
#define KV_NO_DRAWING_TEXT "的图纸未生成"
#define KV_VIEWS_MISSING_TEXT "的图纸缺少视图"
#define KV_SHORTFALL_SIZE 133
/* printf format (the electrode): its coordinate system could not be looked up, no drawing made. */
#define KV_ECS_UNREAD_TEXT "电极 %s 的坐标系无法读取，图纸未生成！"
/* OK or Apply when the electrode list's selection cannot be read: nothing is drawn. */
#define KV_SELECTION_UNREAD_TEXT "无法读取电极列表的选择，未生成图纸！"
#define KV_DRAWING_EXISTS_TEXT " 图已存在，是否更新?"
#define KV_QUESTION_TITLE "QUESTION"

/* The list object of the drawing dialog. */
#define KV_ELECTRODE_LIST_OBJECT "ELEC_MLIST"

/* Makes the drawings of the records of head selected in the dialog's list. 1 when the batch
 * ran, 0 when it was refused because a drawing is current or the list's selection cannot be read
 * (the user is told either way). */
int run_drawing_batch(int dialog_id, electrode_record *head);

/* For each selected electrode of the list: asks before replacing an existing drawing, then makes
 * its drawing. The electrodes NX left without a drawing, or with fewer than its three views, are
 * named in one message when the pass is done. */
void drawing_pass(electrode_record *head);
/* The same with what the batch's callback has read (begin_drawing_reads). The work part's
 * drawings are listed once for the pass. */
void drawing_pass(electrode_record *head, drawing_reads *reads);

/* 0 when the work part's drawings were listed, -1 when not. *exists is 1 when a drawing of that
 * name (letter case ignored) exists, and also when the listing failed; else 0. */
int drawing_exists(const char *name, int *exists);

/* Deletes the first drawing whose name equals name (letter case ignored). 0 when one was
 * deleted, -1 when none was (no such drawing, or the drawings could not be listed). */
int delete_drawing_named(const char *name);

/* Asks a question with the buttons OK and CANCEL (the text is cut to 127 bytes). Always 0;
 * *answer is 1 when OK was pressed, else 3. */
int question_box(const char *title, const char *text, int *answer);

/* The first selected electrode's first layer becomes the work layer; the electrode layers (or all
 * layers but 1 and 256, by ELECTRODE_ONLY_DISPLAY_ELECT) are hidden and the selected electrodes'
 * first layers shown. */
void show_selected_electrode_layers(electrode_record *head);
/* The same with the statuses known to the callback (null: none), each layer given its last
 * status once: the work layer first, then every other layer that changes. */
void show_selected_electrode_layers(electrode_record *head, layer_statuses *known);

/* Layers 1 to 256 become selectable (NX keeps the work layer as it is). */
void make_all_layers_selectable(void);
/* The same, with no call for a layer known to be selectable already. */
void make_all_layers_selectable(layer_statuses *known);

#endif
