/* The electrode process drawing: one drawing sheet per electrode, made from the template with
 * the electrode's views, title block and dimensions. */
#ifndef KELVORA_ELECTRODE_DRAWING_H
#define KELVORA_ELECTRODE_DRAWING_H

#include <stddef.h>

#include "nx.h"
#include "config/settings.h"
#include "electrode/layer_status.h"
#include "electrode/text_source.h"
#include "drawing/electrode_record.h"

/* Shown when the drawing template is not in the tool folder. */
#define KV_TEMPLATE_MISSING_TEXT "The template file isn't exist"
/* Shown when an electrode's new sheet cannot be opened (GBK; %s: the electrode). */
#define KV_DRAWING_NOT_OPENED_TEXT "电极 %s 的图纸无法打开！"
/* The template under the tool folder. */
#define KV_TEMPLATE_FOLDER "template"
#define KV_TEMPLATE_FILE "edmDraft.prt"
/* Drawing names: 31 characters and the terminator. */
#define KV_DRAWING_NAME_SIZE 32
/* The sheet when the settings give no size: A4 portrait. */
#define KV_DEFAULT_SHEET_LENGTH 210.0
#define KV_DEFAULT_SHEET_HEIGHT 297.0
/* A view border narrower than this (drawing units) is not scaled. */
#define KV_MIN_VIEW_EXTENT 0.0001
/* How far (drawing units) the middle of a placed view's borders may lie from its position. */
#define KV_VIEW_PLACE_TOLERANCE 0.000001

/* Makes the drawing named name from the record's data portion. 0 made (also when the template
 * is missing: the user is told about the template); 1 made with fewer than its three views;
 * -1 when its top or isometric view tag is null (nothing is done); -2 when its sheet could not
 * be opened: the sheet is deleted, nothing is added anywhere and the user is told; -3 when NX
 * made no drawing. The caller tells the user of 1, -1 and -3. */
int make_electrode_drawing(const char *name, electrode_data data);

/* What a batch of drawings reads once, as one callback cannot see it change: the settings that
 * size the sheet, place the views and colour the template's lines, and the layer statuses the
 * batch knows (a batch of drawings changes none). */
typedef struct drawing_reads_s {
    layer_statuses layers;
    double sheet[2];  /* height, length: the defaults where a setting is not above 0 */
    double position1[2], box1[2], position2[2], position3[2], box3[2];
    int recolor;      /* ELECTRODE_LINE_COLOR_CHANGE is 1 */
    double line_rgb[3];
    int only_electrodes;           /* ELECTRODE_ONLY_DISPLAY_ELECT is 1 */
    int range_start, range_end;    /* electrode_layer_range */
    char prefix[KV_SETTING_BUFSIZE]; /* ELECTRODE_PREFIX_NAME */
} drawing_reads;

/* Reads the settings into reads; every layer status unknown. */
void begin_drawing_reads(drawing_reads *reads);

/* make_electrode_drawing with what the batch has read. */
int make_electrode_drawing(const char *name, electrode_data data, drawing_reads *reads);

/* Display settings before a sheet is made: full-colour drawings, no grid or snapping, no view
 * borders. */
void prepare_drawing_display(void);

/* A drawing named name of size (height, length), custom size, at scale, metric, first-angle
 * projection, opened. 0 and its tag; -1 and the null tag when the name is missing or NX made no
 * drawing; -2 and the null tag when the drawing made is not the current one afterwards (it is
 * deleted, and the user told). */
int create_electrode_drawing(const char *name, const double size[2], double scale, tag_t *drawing);

/* The template's path under the tool folder into path (size bytes). 0, or -1 and the empty text
 * when it does not fit. */
int template_path(char *path, size_t size);

/* Imports the part file path onto the current drawing as a group, named as a template's group.
 * 0 and the group; -1 and the null tag when the path is empty or the file does not exist, NX
 * imported nothing, or the group could not be named (what was imported is deleted again). */
int import_template(const char *path, tag_t *group);

/* Lines of the group get width 2. The number of lines changed. */
int set_template_line_width(tag_t group);

/* With ELECTRODE_LINE_COLOR_CHANGE = 1, lines of the group get the NX colour nearest to the
 * ELECTORDE_LINE_COLOR_R/G/B setting. The number of lines recoloured. */
int color_template_lines(tag_t group);

/* The two above in one walk over a reading of the group made once for the drawing
 * (read_group_members), the colour asked of NX once: the number of lines. */
int style_template_lines(const group_members *members);

/* Drafting dimensions in the work part's units. 0, or -1 without a work part. */
int set_drafting_units(void);

/* The first solid body on the electrode's first layer into *body (null tag when none). 0 when
 * one was found, -1 otherwise. */
int electrode_body(const char *name, tag_t *body);

/* Imports the model view onto the drawing at position, scale 1. 0 and the member view; -1 and
 * the null tag when the drawing or model view is null or NX made no view. */
int import_model_view(tag_t drawing, tag_t model_view, const double position[2], tag_t *view);

/* A view projected from parent, its direction inferred from position. 0 and the view; -1 and the
 * null tag otherwise. */
int add_projected_view(tag_t drawing, tag_t parent, const double position[2], tag_t *view);

/* The layers the view shows: the electrode's first layer, and with ELECTRODE_ONLY_DISPLAY_ELECT
 * = 1 also every layer not invisible in the model outside the electrode layer range. NX's
 * result (uc6447), or -1 for a null view. */
int set_view_layers(tag_t view, const char *name);
/* The same with the model's layer statuses taken from known where it holds them (null: asked). */
int set_view_layers(tag_t view, const char *name, layer_statuses *known);

/* Scales the view to fill box (width, height) and puts the middle of what it shows at position
 * (centre_view_at), its reference point then into ref when ref is not null. A null drawing or
 * view, or a view narrower than KV_MIN_VIEW_EXTENT, is left as it is (ref: position). */
void fit_view_in_box(tag_t drawing, tag_t view, const double position[2], const double box[2], double ref[2]);

/* Puts the middle of the view's borders, as NX reports them after an update, at position: the
 * reference point goes to position and, when the update leaves the view elsewhere (NX leaves
 * open whether it centres a view on its reference point), moves by the difference. The
 * reference point left into ref when ref is not null. 0; -1 when the borders cannot be had or
 * their middle is still farther than KV_VIEW_PLACE_TOLERANCE from position. */
int centre_view_at(tag_t drawing, tag_t view, const double position[2], double ref[2]);

/* The width and height on the sheet of what the view of drawing shows at its scale, without the
 * margin NX's borders may carry (NX leaves it undocumented): the borders are asked again at twice
 * the scale, the view's scale then set back, and a margin that does not grow with the scale drops
 * out of the difference. 0; -1 (both 0) when NX gives no borders. */
int view_size(tag_t drawing, tag_t view, double *w, double *h);

/* *ratio: the factor that fits what the view shows (view_size) into box (1.0 when it cannot be
 * had or has no size). 0, or -1 when ratio is null. */
int box_ratio(tag_t drawing, tag_t view, const double box[2], double *ratio);

/* *ratio: the factor that shrinks the view into box when it is too large both ways, else 1.0.
 * 0, or -1 when ratio is null. */
int shrink_ratio(tag_t drawing, tag_t view, const double box[2], double *ratio);

/* Hidden lines of the view: dashed for flag 1, left out otherwise. NX's result. */
int set_view_display(tag_t view, int flag);

/* Sets the view's scale and puts the middle of what it shows at position (centre_view_at). 0, or
 * -1 when the view is null, the scale below 0 or the view could not be centred. */
int place_view(tag_t drawing, tag_t view, const double position[2], double scale);

#endif
