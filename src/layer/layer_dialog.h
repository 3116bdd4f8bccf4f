/* The electrode layer dialog (setElectLayer.dlg): the user picks an electrode's bodies, points,
 * lines and coordinate system (ECS); OK or Apply moves them to the layer in INT_1, makes the
 * layer category named in STR_0 and, when configured, colours and names the ECS. */
#ifndef KELVORA_LAYER_DIALOG_H
#define KELVORA_LAYER_DIALOG_H

#include "nx.h"
#include "layer/layer_rules.h"

#define LAYER_DIALOG_FILE "setElectLayer.dlg"
#define LAYER_DIALOG_ROWS 7

/* Texts of the dialog, GBK. */
#define KV_LAYER_RANGE_TEXT "图层数值超出范围"
#define KV_BAD_NAME_TEXT "电极命名不正确！"
#define KV_NAME_TOO_LONG_TEXT "电极名称过长，最多%d个字符！"
#define KV_NO_FREE_LAYER_TEXT "没有空闲的电极图层！"
#define KV_LAYER_TAKEN_TEXT "图层 %d 已属于电极 %s，请另选图层！"
#define KV_LAYERS_UNREAD_TEXT "无法读取图层类别，电极未创建！"
#define KV_NOT_MOVED_TEXT "电极 %s 的对象无法移到图层 %d，电极未创建！"
#define KV_PARTLY_MOVED_TEXT "电极 %s 有对象未能移到图层 %d，请检查！"
/* printf format (the electrode): its coordinate system could not be named, nothing was changed. */
#define KV_ECS_NOT_NAMED_TEXT "电极 %s 的坐标系无法命名，电极未创建！"
#define KV_SELECT_CUE "Select Electrode And ECS"
#define KV_ECS_NAME_FORMAT "%s_CSYS"

/* What the dialog holds between its callbacks: the objects picked with ACTION_2, as NX handed
 * them over (released with UF_free). They live from the pick to OK, Apply or the destructor. */
typedef struct layer_dialog_state_s {
    int            count;
    tag_t         *objects;
    layer_proposal proposal;  /* the categories one callback read, for its next proposal */
} layer_dialog_state;

/* Opens the dialog with a fresh state; returns launch_dialog's result. */
int launch_layer_dialog(int *response);

/* Asks the user for the electrode's objects; they replace the selection state holds. 0, or -1
 * when NX's selection failed (the held selection stays). */
int select_electrode_objects(layer_dialog_state *state);

/* The work of OK and Apply: checks INT_1 and STR_0, then moves the held objects, colours and
 * names the ECS when configured and makes the category. 0 done (also with nothing held);
 * -1 layer outside the configured range (told to the user); -2 name refused (told); -3 the
 * layer holds another electrode, none of the range is free, or the part's categories could not
 * be read (told; nothing is changed); -4 an object could not be moved (told; what was moved is
 * taken back, or when that fails the electrode is made with it). */
int apply_layer_dialog(int dialog_id, layer_dialog_state *state);

/* The callbacks, whose client_data is the dialog's layer_dialog_state. Each keeps the dialog
 * open (0) unless said otherwise, and does nothing without a state or when the API cannot be
 * initialised (but for the destructor's release). */

/* Forgets any held selection and proposes the next electrode's name and layer. */
int layer_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* Releases the held selection, with or without the API. */
int layer_destructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* apply_layer_dialog; when it succeeds, releases the selection and closes the dialog (1). */
int layer_ok_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* apply_layer_dialog; when it succeeds, proposes the next electrode and releases the
 * selection. */
int layer_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);
/* ACTION_2: select_electrode_objects. */
int layer_select_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);

#endif
