/* Electrode part files: for one electrode, a new part "<folder>/<prefix><name>.prt" saved at
 * once, added to the work part as a component at the absolute origin, with the electrode's
 * bodies, points and lines WAVE-linked into it (points with NX's point link; the part's model
 * updated once after the links, as NX asks) and its coordinate systems made anew in it as
 * "ECS". */
#ifndef KELVORA_ELECTRODE_PART_H
#define KELVORA_ELECTRODE_PART_H

#include <stddef.h>

#include "electrode/sheet_template.h"
#include "nx.h"

/* Sizes of the texts involved: the file name prefix, the part file path, a message (NX's
 * message box shows 132 characters at most, on every release). */
#define KV_PART_PREFIX_BUFSIZE 1024
#define KV_PART_PATH_BUFSIZE 1024
#define KV_PART_MESSAGE_BUFSIZE KV_MESSAGE_BUFSIZE

/* Texts, GBK. */
#define KV_FILE_EXISTS_TEXT "文件 %s 已存在！"
#define KV_FILE_CREATE_FAILED_TEXT "文件 %s 创建失败！"
#define KV_ECS_NAME "ECS"
#define KV_PARTS_STOPPED_TEXT "无法恢复原工作部件，已停止创建电极文件！"
#define KV_PARTS_MADE_TEXT "已创建的电极文件："
#define KV_PARTS_NONE_TEXT "本次未创建电极文件。"
/* What OK or Apply tells at its end, one message per electrode whose part file was made short:
 * "电极 E01 的零件文件缺少对象：点 2 个、坐标系 1 个". */
#define KV_PART_SHORT_TEXT "电极 %s 的零件文件缺少对象：%s"
/* The kinds of what a part file can lack, in the order they are listed. */
#define KV_LACK_BODIES_TEXT "实体 %d 个"
#define KV_LACK_POINTS_TEXT "点 %d 个"
#define KV_LACK_LINES_TEXT "直线 %d 个"
#define KV_LACK_SYSTEMS_TEXT "坐标系 %d 个"
#define KV_LACK_UNREAD_TEXT "类型无法读取的对象 %d 个"
#define KV_LACK_LAYER_TEXT "图层 %d 上未能读取的对象"
#define KV_LACK_ALL_TEXT "全部对象（电极的图层类别无法读取）"
#define KV_LACK_SEPARATOR "、"
#define KV_LACK_BUFSIZE 256

/* The file name prefix into prefix (size bytes, possibly empty): the text the keyword
 * ELECTRODE_PART_PREFIX_NAME gives ("$part_name" in any case: the work part's file name; else
 * a token or an attribute of the work part, read with the keyword in lower case), followed by
 * ELECTRODE_PART_SEPARATOR; nothing when the text is empty. 0, or -1 (and the empty text) when
 * the work part's file name was asked for and NX did not give it. */
int electrode_part_prefix(char *prefix, size_t size);

/* Makes the part file of electrode name in folder, whose trailing separators are removed in
 * place, leaving out the drawing templates' objects of templates (read from the work part when
 * null; lines and points are not linked when it is not known, and count as lacking). 0 when the part was made with everything on the electrode's layers; 1 when it was made
 * but lacks something NX would not link, copy or read (the category, a layer's objects, an
 * object): lacks (size bytes, may be null) lists what, for the caller to tell the user
 * ("点 2 个、坐标系 1 个"); -1 when the file exists, could not be named or made (told to the
 * user); -2 when the work part (or the display part) could not be made the part it was before:
 * no further file may be made, as it would be named after and made from the wrong part. lacks
 * is the empty text unless the result is 1. */
int create_electrode_part(char *folder, const char *name, const template_objects *templates, char *lacks,
                          size_t size);

/* Copies coordinate system csys into part as a plain system of the same place and
 * orientation, named name, its matrix made in part from csys's values (whether NX takes a
 * matrix of another part is not documented). 0; -1 for a null part or system; -2 when NX did
 * not make it. The work part is the same afterwards, or the result is -3. */
int copy_csys_to_part(tag_t part, tag_t csys, const char *name);

/* The message text (a format with one %s) with path into message (size bytes). A path too
 * long for it keeps its file name whole and loses the middle of its folder to "..."; when even
 * the file name does not fit, the path is shortened at the front to "..." and its end. Never
 * cut inside a character. */
void format_path_message(char *message, size_t size, const char *text, const char *path);

#endif
