/*
 * nx.h - the NX Open C calls, records and constants Kelvora uses.
 *
 * Everything here carries NX's own name, argument order, types and member order, so the
 * plug-in sources compile unchanged against either host:
 *
 *   - KELVORA_NX_SDK defined: NX's own headers are included and nothing else is declared.
 *     On a shop machine NX is the authority on every type and value.
 *   - otherwise: the declarations below, implemented by the simulated host (nxsim).
 *
 * Usable from C and C++.
 */
#ifndef KELVORA_NXAPI_NX_H
#define KELVORA_NXAPI_NX_H

#ifdef KELVORA_NX_SDK

#include <uf.h>
#include <uf_exit.h>
#include <uf_assem.h>
#include <uf_attr.h>
#include <uf_cfi.h>
#include <uf_csys.h>
#include <uf_curve.h>
#include <uf_disp.h>
#include <uf_draw.h>
#include <uf_drf.h>
#include <uf_group.h>
#include <uf_layer.h>
#include <uf_mb.h>
#include <uf_modl.h>
#include <uf_mtx.h>
#include <uf_vec.h>
#include <uf_obj.h>
#include <uf_part.h>
#include <uf_styler.h>
#include <uf_ui.h>
#include <uf_undo.h>
#include <uf_view.h>
#include <uf_layout.h>
#include <uf_wave.h>

#else /* !KELVORA_NX_SDK */

/* ===================================================================== basic types, limits */

typedef unsigned int tag_t;
typedef tag_t *tag_p_t;
typedef const tag_t *tag_pc_t;

#define NULL_TAG ((tag_t)0)
#define null_tag ((tag_t)0)

/* NX's logical is one byte in both languages. */
#ifdef __cplusplus
typedef bool logical;
#else
typedef unsigned char logical;
#endif

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

/* Singly linked list of object tags (modelling lists). */
typedef struct uf_list_s *uf_list_p_t;
struct uf_list_s {
    tag_t eid;
    struct uf_list_s *next;
};
typedef struct uf_list_s uf_list_t;

/* ---- sizes (begin) ----
 * Names and paths as the 32-bit releases (NX4 to NX7.5) declare them: limits counted in bytes,
 * and no *_BUFSIZE macro (those arrived with NX9's multibyte sizes). The plug-in sizes its
 * buffers with the KV_*_BUFSIZE macros at the end of this file, which take whichever the SDK
 * has, so the same sources build for both eras.
 */
#define UF_OBJ_NAME_LEN           30
#define MAX_ENTITY_NAME_SIZE      30
#define MAX_FSPEC_SIZE            256
#define MAX_LINE_SIZE             132
#define UF_CFI_MAX_FILE_NAME_LEN  128
#define UF_CFI_MAX_PATH_NAME_SIZE 256
/* ---- sizes (end) ---- */

#ifndef PI
#define PI 3.14159265358979324
#endif
#ifndef TWOPI
#define TWOPI 6.28318530717958648
#endif
#ifndef RADEG
#define RADEG 57.29577951308235
#endif
#ifndef DEGRA
#define DEGRA .01745329251994328
#endif

#define ERROR_OK 0

/* Returned by calls made before UF_initialize; the value is the simulated host's choice. */
#define UF_err_program_not_initialized 1

#if defined(_WIN32)
#define DllExport __declspec(dllexport)
#else
#define DllExport
#endif

/* ===================================================================== records and constants */

/* ---- uf_obj_types.h / uf_object_types.h ---- */

#define UF_OBJ_DELETED   0
#define UF_OBJ_TEMPORARY 1
#define UF_OBJ_CONDEMNED 2
#define UF_OBJ_ALIVE     3

#define UF_OBJ_MIN_COLOR 1
#define UF_OBJ_MAX_COLOR 216

#define UF_OBJ_NOT_BLANKED 0
#define UF_OBJ_BLANKED     1

#define UF_OBJ_WIDTH_ORIGINAL (-1)
#define UF_OBJ_WIDTH_NORMAL   0
#define UF_OBJ_WIDTH_THICK    1
#define UF_OBJ_WIDTH_THIN     2
#define UF_MIN_NEW_WIDTH      5
#define UF_OBJ_WIDTH_1        5
#define UF_OBJ_WIDTH_2        6
#define UF_OBJ_WIDTH_3        7
#define UF_OBJ_WIDTH_4        8
#define UF_OBJ_WIDTH_5        9
#define UF_OBJ_WIDTH_6        10
#define UF_OBJ_WIDTH_7        11
#define UF_OBJ_WIDTH_8        12
#define UF_OBJ_WIDTH_9        13
#define UF_OBJ_MAX_WIDTH      14

#define UF_OBJ_OK             0
#define UF_OBJ_NAME_NOT_FOUND 1

#define UF_OBJ_FONT_INVISIBLE     0
#define UF_OBJ_FONT_SOLID         1
#define UF_OBJ_FONT_DASHED        2
#define UF_OBJ_FONT_PHANTOM       3
#define UF_OBJ_FONT_CENTERLINE    4
#define UF_OBJ_FONT_DOTTED        5
#define UF_OBJ_FONT_LONG_DASHED   6
#define UF_OBJ_FONT_DOTTED_DASHED 7

#define UF_OBJ_EXPR_TYPE 65536
#define UF_OBJ_PART_TYPE 65537

/* Object types and subtypes the plug-in tests for. */
#define UF_point_type             2
#define UF_line_type              3
#define UF_circle_type            5
#define UF_layer_category_type    12
#define UF_group_type             15
#define UF_drafting_entity_type   25
#define UF_draft_note_subtype     1
#define UF_coordinate_system_type 45
#define UF_solid_type             70
#define UF_solid_body_subtype     0

typedef struct UF_OBJ_disp_props_s {
    int     layer;
    int     color;
    int     blank_status;
    int     line_width;
    int     font;
    logical highlight_status;
} UF_OBJ_disp_props_t, *UF_OBJ_disp_props_p_t;

/* ---- uf_attr.h ---- */

#define UF_ATTR_MAX_STRING_LEN 132
#define UF_ATTR_MAX_TITLE_LEN  50

#define UF_ATTR_integer   1
#define UF_ATTR_real      2
#define UF_ATTR_time      3
#define UF_ATTR_null      4
#define UF_ATTR_string    5
#define UF_ATTR_any       6
#define UF_ATTR_reference 7

union UF_ATTR_value_u {
    int    integer;
    double real;
    int    time[2];          /* [0] date, [1] time */
    char  *string;           /* caller buffer of UF_ATTR_MAX_STRING_LEN+1, or NULL: NX allocates */
    char  *reference;
};
typedef union UF_ATTR_value_u UF_ATTR_value_u_t, *UF_ATTR_value_u_p_t;

struct UF_ATTR_value_s {
    int               type;  /* UF_ATTR_*; 0 when the attribute does not exist */
    UF_ATTR_value_u_t value;
};
typedef struct UF_ATTR_value_s UF_ATTR_value_t, *UF_ATTR_value_p_t;

/* ---- uf_cfi.h ---- */

/* File name and path sizes: see the sizes block above. */

/* ---- uf_csys.h ---- */

#define UF_CSYS_ROOT_COORDS     1
#define UF_CSYS_WORK_COORDS     2
#define UF_CSYS_ROOT_WCS_COORDS 3

#define ERROR_UF_CSYS_base         1100000
#define UF_CSYS_ERR_INVALID_COORDS (ERROR_UF_CSYS_base + 0)

/* ---- uf_curve.h ---- */

struct UF_CURVE_line_s {
    double start_point[3];   /* absolute coordinates */
    double end_point[3];
};
typedef struct UF_CURVE_line_s UF_CURVE_line_t, *UF_CURVE_line_p_t;

struct UF_CURVE_arc_s {
    tag_t  matrix_tag;       /* matrix object giving the arc's plane */
    double start_angle;      /* radians */
    double end_angle;        /* radians */
    double arc_center[3];    /* in the arc's own coordinate system */
    double radius;
};
typedef struct UF_CURVE_arc_s UF_CURVE_arc_t, *UF_CURVE_arc_p_t;

#define ERROR_UF_CURVE_base         1480000
#define UF_CURVE_NOT_A_POINT_TAG    (ERROR_UF_CURVE_base + 0)
#define UF_CURVE_NOT_A_LINE_TAG     (ERROR_UF_CURVE_base + 1)
#define UF_CURVE_NOT_AN_ARC_TAG     (ERROR_UF_CURVE_base + 2)
#define UF_CURVE_NOT_A_MATRIX_TAG   (ERROR_UF_CURVE_base + 3)
#define UF_CURVE_ANGLES_EXCEED_2PI  (ERROR_UF_CURVE_base + 4)
#define UF_CURVE_START_EXCEEDS_END  (ERROR_UF_CURVE_base + 5)

/* ---- uf_disp.h / uf_disp_types.h ---- */

#define UF_DISP_rgb_model 0
#define UF_DISP_hsv_model 1
#define UF_DISP_hls_model 2
#define UF_DISP_CCM_EUCLIDEAN_DISTANCE 1
#define UF_DISP_BACKGROUND_COLOR 0
#define UF_DISP_MAX_NAME_SIZE 32
#define UF_DISP_SUPPRESS_DISPLAY   (0)
#define UF_DISP_UNSUPPRESS_DISPLAY (1)
#define ERROR_UF_DISP_base 1390000

struct UF_DISP_drawing_display_data_s {
    logical monochrome_display;
    int     system_color;
    int     preselection_color;
    int     foreground_color;
    int     background_color;
    logical show_widths;
};
typedef struct UF_DISP_drawing_display_data_s UF_DISP_drawing_display_data_t,
    *UF_DISP_drawing_display_data_p_t;

enum UF_DISP_grid_context_e {
    UF_DISP_SKETCH_GRID,
    UF_DISP_DRAWING_GRID,
    UF_DISP_MODEL_GRID,
    UF_DISP_SHED_GRID,
    UF_DISP_NULL_GRID
};
typedef enum UF_DISP_grid_context_e UF_DISP_grid_context_t;

enum UF_DISP_grid_type_e {
    UF_DISP_POLAR_GRID,
    UF_DISP_RECTANGULAR_GRID
};
typedef enum UF_DISP_grid_type_e UF_DISP_grid_type_t;

struct UF_DISP_grid_s {
    logical             show_grid;
    logical             show_labels;
    logical             snap_to_grid;
    int                 grid_color;
    UF_DISP_grid_type_t grid_type;
    logical             grid_non_uniform;
    logical             grid_on_top;
    logical             rectangular_grid_emphasis;
    double              grid_unit_x;
    double              grid_unit_y;
    int                 grid_line_every_x;
    int                 grid_line_every_y;
    int                 grid_emphasis_every_x;
    int                 grid_emphasis_every_y;
    logical             polar_grid_emphasis;
    double              grid_angular_unit;       /* degrees */
    int                 grid_angular_line_every;
    int                 grid_angular_emphasis_every;
    double              grid_radial_unit;
    int                 grid_radial_circle_every;
    int                 grid_radial_emphasis_every;
};
typedef struct UF_DISP_grid_s UF_DISP_grid_t, *UF_DISP_grid_p_t;

/* ---- uf_draw_types.h ---- */

#define UF_DRAW_MAX_LABEL_LEN (132)

enum UF_DRAW_metric_size_e {
    UF_DRAW_A0 = 1, UF_DRAW_A1, UF_DRAW_A2, UF_DRAW_A3, UF_DRAW_A4
};
typedef enum UF_DRAW_metric_size_e UF_DRAW_metric_size_t;

enum UF_DRAW_english_size_e {
    UF_DRAW_A = 1, UF_DRAW_B, UF_DRAW_C, UF_DRAW_D, UF_DRAW_E, UF_DRAW_F, UF_DRAW_H, UF_DRAW_J
};
typedef enum UF_DRAW_english_size_e UF_DRAW_english_size_t;

union UF_DRAW_size_union_u {
    UF_DRAW_metric_size_t  metric_size_code;
    UF_DRAW_english_size_t english_size_code;
    double                 custom_size[2];   /* [0] height, [1] length */
};
typedef union UF_DRAW_size_union_u UF_DRAW_size_union_t, *UF_DRAW_size_union_p_t;

enum UF_DRAW_size_state_e {
    UF_DRAW_METRIC_SIZE = 0, UF_DRAW_ENGLISH_SIZE, UF_DRAW_CUSTOM_SIZE
};
typedef enum UF_DRAW_size_state_e UF_DRAW_size_state_t;

enum UF_DRAW_projection_angle_e {
    UF_DRAW_NO_ANGLE_DATA = 0, UF_DRAW_THIRD_ANGLE_PROJECTION, UF_DRAW_FIRST_ANGLE_PROJECTION
};
typedef enum UF_DRAW_projection_angle_e UF_DRAW_projection_angle_t;

enum UF_DRAW_view_status_e {
    UF_DRAW_ACTIVE_VIEW = 1, UF_DRAW_REFERENCE_VIEW
};
typedef enum UF_DRAW_view_status_e UF_DRAW_view_status_t;

enum UF_DRAW_proj_dir_e {
    UF_DRAW_project_infer = 0,
    UF_DRAW_project_above,
    UF_DRAW_project_right,
    UF_DRAW_project_below,
    UF_DRAW_project_left
};
typedef enum UF_DRAW_proj_dir_e UF_DRAW_proj_dir_t;

struct UF_DRAW_info_s {
    UF_DRAW_size_state_t       size_state;
    UF_DRAW_size_union_t       size;
    double                     drawing_scale;
    int                        units;             /* UF_PART_METRIC or UF_PART_ENGLISH */
    UF_DRAW_projection_angle_t projection_angle;
};
typedef struct UF_DRAW_info_s UF_DRAW_info_t, *UF_DRAW_info_p_t;

struct UF_DRAW_view_info_s {
    UF_DRAW_view_status_t view_status;
    tag_t   anchor_point;
    double  view_scale;
    logical use_ref_pt;
    logical clean_model_view;
    logical inherit_boundary;
    logical transfer_annotation;
    logical inherit_pmi;
    char    model_name[UF_DRAW_MAX_LABEL_LEN];
    char    arrangement_name[UF_DRAW_MAX_LABEL_LEN];
};
typedef struct UF_DRAW_view_info_s UF_DRAW_view_info_t, *UF_DRAW_view_info_p_t;

/* On/off switches of the view display preferences: 0 off, 1 on. */
enum UF_DRAW_hidden_line_e {
    UF_DRAW_hidden_line_removal_off = 0, UF_DRAW_hidden_line_removal_on = 1
};
typedef enum UF_DRAW_hidden_line_e UF_DRAW_hidden_line_t;

enum UF_DRAW_edge_hiding_edge_e {
    UF_DRAW_edge_hiding_off = 0, UF_DRAW_edge_hiding_on = 1
};
typedef enum UF_DRAW_edge_hiding_edge_e UF_DRAW_edge_hiding_edge_t;

enum UF_DRAW_smooth_e {
    UF_DRAW_smooth_off = 0, UF_DRAW_smooth_on = 1
};
typedef enum UF_DRAW_smooth_e UF_DRAW_smooth_t;

enum UF_DRAW_silhouette_e {
    UF_DRAW_silhouettes_off = 0, UF_DRAW_silhouettes_on = 1
};
typedef enum UF_DRAW_silhouette_e UF_DRAW_silhouette_t;

enum UF_DRAW_uvhatch_e {
    UF_DRAW_uvhatch_off = 0, UF_DRAW_uvhatch_on = 1
};
typedef enum UF_DRAW_uvhatch_e UF_DRAW_uvhatch_t;

enum UF_DRAW_gap_e {
    UF_DRAW_gap_off = 0, UF_DRAW_gap_on = 1
};
typedef enum UF_DRAW_gap_e UF_DRAW_gap_t;

enum UF_DRAW_virtual_intersect_e {
    UF_DRAW_virtual_intersect_off = 0, UF_DRAW_virtual_intersect_on = 1
};
typedef enum UF_DRAW_virtual_intersect_e UF_DRAW_virtual_intersect_t;

enum UF_DRAW_extracted_edges_e {
    UF_DRAW_extracted_edges_off = 0, UF_DRAW_extracted_edges_on = 1
};
typedef enum UF_DRAW_extracted_edges_e UF_DRAW_extracted_edges_t;

struct UF_DRAW_view_prfs_s {
    UF_DRAW_hidden_line_t       hidden_line;
    int                         hidden_line_color;
    int                         hidden_line_font;
    int                         hidden_line_width;
    UF_DRAW_edge_hiding_edge_t  edge_hiding_edge;
    UF_DRAW_smooth_t            smooth;
    double                      tolerance;
    UF_DRAW_silhouette_t        silhouettes;
    UF_DRAW_uvhatch_t           uvhatch;
    int                         smooth_edge_color;
    int                         smooth_edge_font;
    int                         smooth_edge_width;
    UF_DRAW_gap_t               smooth_edge_gap;
    double                      smooth_edge_gap_size;
    UF_DRAW_virtual_intersect_t virtual_intersect;
    int                         virtual_intersect_color;
    int                         virtual_intersect_font;
    int                         virtual_intersect_width;
    UF_DRAW_gap_t               virtual_intersect_gap;
    double                      virtual_intersect_gap_size;
    UF_DRAW_extracted_edges_t   extracted_edges;
    int                         visible_line_color;
    int                         visible_line_font;
    int                         visible_line_width;
    int                         interfering_solids;   /* 0 none, 1 without curves, 2 with curves */
    logical                     referenced_edges_only;
    logical                     edges_hidden_by_own_solid;
    int                         simplify_small_features;
    double                      small_feature_tolerance;
    int                         traceline_visible_color;
    int                         traceline_visible_font;
    int                         traceline_visible_width;
    int                         traceline_hidden_color;
    int                         traceline_hidden_font;
    int                         traceline_hidden_width;
    UF_DRAW_gap_t               traceline_gap;
    double                      traceline_gap_size;
};
typedef struct UF_DRAW_view_prfs_s UF_DRAW_view_prfs_t, *UF_DRAW_view_prfs_p_t;

/* ---- uf_drf_types.h ---- */

enum UF_DRF_assoc_type_e {
    UF_DRF_assoc_type_none = 0,
    UF_DRF_end_point,
    UF_DRF_arc_center,
    UF_DRF_tangency,
    UF_DRF_intersection,
    UF_DRF_dwg_pos,
    UF_DRF_utility_symbol = 9,
    UF_DRF_smart_point,
    UF_DRF_on_annotation,
    UF_DRF_on_stub,
    UF_DRF_assoc_type_maximum
};
typedef enum UF_DRF_assoc_type_e UF_DRF_assoc_type_t;

#define UF_DRF_first_end_point 1
#define UF_DRF_last_end_point  2

struct UF_DRF_object_s {
    tag_t               object_tag;
    tag_t               object_view_tag;
    UF_DRF_assoc_type_t object_assoc_type;
    int                 object_assoc_modifier;
    tag_t               object2_tag;
    double              assoc_dwg_pos[2];
};
typedef struct UF_DRF_object_s UF_DRF_object_t, *UF_DRF_object_p_t;

typedef char UF_DRF_one_apptext_line_t[133];

struct UF_DRF_text_s {
    char                      *user_dim_text;
    int                        lines_app_text;
    UF_DRF_one_apptext_line_t *appended_text;   /* lines_app_text lines */
};
typedef struct UF_DRF_text_s UF_DRF_text_t, *UF_DRF_text_p_t;

/* ---- uf_layer.h ---- */

#define UF_LAYER_WORK_LAYER      1
#define UF_LAYER_ACTIVE_LAYER    2
#define UF_LAYER_REFERENCE_LAYER 3
#define UF_LAYER_INACTIVE_LAYER  4
#define UF_LAYER_MIN_LAYER (1)
#define UF_LAYER_MAX_LAYER (256)
#define UF_LAYER_CAT_DESC_LEN (80)

struct UF_LAYER_category_info_s {
    char    name[MAX_ENTITY_NAME_SIZE + 1];
    logical layer_mask[UF_LAYER_MAX_LAYER];      /* [n-1] is layer n */
    char    descr[UF_LAYER_CAT_DESC_LEN + 1];
};
typedef struct UF_LAYER_category_info_s UF_LAYER_category_info_t, *UF_LAYER_category_info_p_t;

struct UF_LAYER_status_info_s {
    int layer_number;
    int layer_status;
};
typedef struct UF_LAYER_status_info_s UF_LAYER_status_info_t, *UF_LAYER_status_info_p_t;

/* ---- uf_mb.h ---- */

/* Widget and client data are opaque to the plug-in; no toolkit types are needed. */
typedef void *UF_MB_widget_t;
typedef void *UF_MB_data_t;

enum UF_MB_cb_status_e {
    UF_MB_CB_CONTINUE,
    UF_MB_CB_CANCEL,
    UF_MB_CB_OVERRIDE_STANDARD,
    UF_MB_CB_WARNING,
    UF_MB_CB_ERROR
};
typedef enum UF_MB_cb_status_e UF_MB_cb_status_t;

typedef int  UF_MB_button_id_t;
typedef char UF_MB_button_type_t;

struct MB_activated_button_s {
    UF_MB_button_id_t   id;
    UF_MB_button_type_t type;
    char               *name;
    char               *menubar_name;
    int                 num_ancestors;
    char              **ancestors;
    int                 app_id;
};
typedef struct MB_activated_button_s UF_MB_activated_button_t, *UF_MB_activated_button_p_t;

typedef UF_MB_cb_status_t (*UF_MB_callback_t)(UF_MB_widget_t w, UF_MB_data_t client_data,
                                               UF_MB_activated_button_p_t button);

struct UF_MB_cb_s {
    UF_MB_callback_t cb;
    UF_MB_data_t     cb_data;
};
typedef struct UF_MB_cb_s UF_MB_cb_t, *UF_MB_cb_p_t;

/* A table of these ends with an all-NULL row. */
struct UF_MB_action_s {
    char      *action_name;
    UF_MB_cb_t action_cb;
};
typedef struct UF_MB_action_s UF_MB_action_t, *UF_MB_action_p_t;

#define UF_MB_STYLER_IS_TOP     TRUE
#define UF_MB_STYLER_IS_NOT_TOP FALSE

/* ---- uf_modl_types.h ---- */

enum UF_MODL_intersect_type_e {
    UF_MODL_INTERSECT_POINT    = 0,
    UF_MODL_INTERSECT_COINCIDE = 1,
    UF_MODL_INTERSECT_CURVE    = 2
};
typedef enum UF_MODL_intersect_type_e UF_MODL_intersect_type_t;

struct UF_MODL_intersect_info_point_s {
    double coords[3];
    double object_1_u_parm;
    double object_1_v_parm;
    double object_2_u_parm;
    double object_2_v_parm;
};
typedef struct UF_MODL_intersect_info_point_s UF_MODL_intersect_info_point_t;

struct UF_MODL_intersect_info_coincide_s {
    tag_t  identifier;
    double object_1_first_parm;
    double object_1_second_parm;
    double object_2_first_parm;
    double object_2_second_parm;
};
typedef struct UF_MODL_intersect_info_coincide_s UF_MODL_intersect_info_coincide_t;

struct UF_MODL_intersect_info_curve_s {
    tag_t identifier;
};
typedef struct UF_MODL_intersect_info_curve_s UF_MODL_intersect_info_curve_t;

union UF_MODL_intersect_info_intersect_u {
    UF_MODL_intersect_info_point_t    point;
    UF_MODL_intersect_info_coincide_t coincide;
    UF_MODL_intersect_info_curve_t    curve;
};
typedef union UF_MODL_intersect_info_intersect_u UF_MODL_intersect_info_intersect_t;

struct UF_MODL_intersect_info_s {
    UF_MODL_intersect_type_t           intersect_type;
    UF_MODL_intersect_info_intersect_t intersect;
};
typedef struct UF_MODL_intersect_info_s UF_MODL_intersect_info_t, *UF_MODL_intersect_info_p_t;

/* ---- uf_part.h / uf_part_types.h ---- */

#define UF_PART_METRIC  1
#define UF_PART_ENGLISH 2
#define ERROR_PART_base 640000

/* Layout of the releases the plug-in is built for (no user_abort member). */
struct UF_PART_load_status_s {
    logical failed;
    int     n_parts;
    char  **file_names;      /* UF_free_string_array(n_parts, file_names) */
    int    *statuses;        /* UF_free */
};
typedef struct UF_PART_load_status_s UF_PART_load_status_t, *UF_PART_load_status_p_t;

struct UF_import_part_modes_s {
    int     layer_mode;      /* IP_WORK / IP_ORIG */
    int     group_mode;      /* IP_NOGROUP / IP_GROUP */
    int     csys_mode;
    int     plist_mode;
    int     view_mode;       /* IP_NO_VIEW / IP_VIEW */
    logical cam_mode;
    logical use_search_dirs;
};
typedef struct UF_import_part_modes_s UF_import_part_modes_t, *UF_import_part_modes_p_t;

#define IP_WORK      0
#define IP_ORIG      1
#define IP_NOGROUP   0
#define IP_GROUP     1
#define IP_USE_WCS   0
#define IP_CSYS_MENU 1
#define IP_NONE      0
#define IP_FORMAT    1
#define IP_ADD_TO    2
#define IP_ALL       3
#define IP_NO_VIEW   0
#define IP_VIEW      1

/* ---- uf_ui.h / uf_ui_types.h ---- */

#define UF_UI_PICK_RESPONSE           1
#define UF_UI_OK                      2
#define UF_UI_CANCEL                  3
#define UF_UI_BACK                    4
#define UF_UI_APPLY                   5
#define UF_UI_HELP                    6
#define UF_UI_OBJECT_SELECTED         7
#define UF_UI_OBJECT_SELECTED_BY_NAME 8
#define UF_UI_CB_TERMINATE            9

#define UF_UI_CB_EXIT_DIALOG     1
#define UF_UI_CB_CONTINUE_DIALOG 0

#define UF_UI_SEL_SCOPE_NO_CHANGE            0
#define UF_UI_SEL_SCOPE_WORK_PART            1
#define UF_UI_SEL_SCOPE_ANY_IN_ASSEMBLY      3
#define UF_UI_SEL_SCOPE_WORK_PART_AND_OCC    4
#define UF_UI_SEL_SCOPE_WORK_PART_AND_WP_OCC 5

typedef enum {
    UF_UI_MESSAGE_ERROR,
    UF_UI_MESSAGE_WARNING,
    UF_UI_MESSAGE_INFORMATION,
    UF_UI_MESSAGE_QUESTION
} UF_UI_MESSAGE_DIALOG_TYPE;

struct UF_UI_message_buttons_s {
    logical button1;
    logical button2;
    logical button3;
    char   *label1;          /* NULL: default label */
    char   *label2;
    char   *label3;
    int     response1;       /* 1..100, handed back as the response */
    int     response2;
    int     response3;
};
typedef struct UF_UI_message_buttons_s UF_UI_message_buttons_t, *UF_UI_message_buttons_p_t;

struct UF_UI_mask_s {
    int object_type;
    int object_subtype;
    int solid_type;
};
typedef struct UF_UI_mask_s UF_UI_mask_t, *UF_UI_mask_p_t;

struct UF_UI_selection_option_s {
    int            num_mask_triples;
    UF_UI_mask_p_t mask_triples;
    int            scope;            /* UF_UI_SEL_SCOPE_* */
    int            other_options;    /* 0 */
    void          *reserved;         /* NULL */
};
typedef struct UF_UI_selection_option_s UF_UI_selection_options_t, *UF_UI_selection_options_p_t;

typedef void *UF_UI_selection_p_t;

#define UF_UI_ATTACH_DIALOG    (-1)
#define UF_UI_ATTACH_DEFAULT   (-2)
#define UF_UI_ATTACH_NONE      (-3)
#define UF_UI_ATTACH_NO_CHANGE (-4)
#define UF_UI_ATTACH_ITEM      (-5)

struct UF_UI_attachment_s {
    short       center;
    short       attach_type_top;
    short       attach_type_left;
    short       attach_type_right;
    short       offset_top;
    short       offset_left;
    short       offset_right;
    const char *item_id_top;
    const char *item_id_left;
    const char *item_id_right;
};
typedef struct UF_UI_attachment_s UF_UI_attachment_t, *UF_UI_attachment_p_t;

struct UF_UI_option_toggle_s {
    int     choice;
    logical is_checked;
};
typedef struct UF_UI_option_toggle_s UF_UI_option_toggle_t, *UF_UI_option_toggle_p_t;

/* ---- uf_styler.h ---- */

/* Object identifiers of the dialog itself and its navigation buttons: these are strings. */
#define UF_STYLER_NULL_OBJECT  "UF_STYLER_NULL_OBJECT"
#define UF_STYLER_DIALOG_INDEX "UF_STYLER_DIALOG_INDEX"
#define UF_STYLER_NAV_INDEX    "UF_STYLER_NAV_INDEX"
#define UF_STYLER_NO_INDEX     "UF_STYLER_NO_INDEX"

#define UF_STYLER_OK_INDEX     0
#define UF_STYLER_APPLY_INDEX  1
#define UF_STYLER_BACK_INDEX   2
#define UF_STYLER_CANCEL_INDEX 3
#define UF_STYLER_NO_SUB_INDEX (-1)

/* callback types */
#define UF_STYLER_NO_CB            (-1)
#define UF_STYLER_ACTIVATE_CB      0
#define UF_STYLER_VALUE_CHANGED_CB 1
#define UF_STYLER_DRAG_CB          2
#define UF_STYLER_DOUBLE_CLICK_CB  3
#define UF_STYLER_OK_CB            4
#define UF_STYLER_APPLY_CB         5
#define UF_STYLER_BACK_CB          6
#define UF_STYLER_CANCEL_CB        7
#define UF_STYLER_CONSTRUCTOR_CB   8
#define UF_STYLER_DESTRUCTOR_CB    9
#define UF_STYLER_FILEOP_CB        10
#define UF_STYLER_SWITCH_CB        11
#define UF_STYLER_MAX_CB_TYPES     13

/* callback reasons */
#define UF_STYLER_NO_REASON            (-1)
#define UF_STYLER_ACTIVATE_REASON      0
#define UF_STYLER_VALUE_CHANGED_REASON 1
#define UF_STYLER_DRAG_REASON          2
#define UF_STYLER_DOUBLE_CLICK_REASON  3
#define UF_STYLER_OK_REASON            4
#define UF_STYLER_APPLY_REASON         5
#define UF_STYLER_BACK_REASON          6
#define UF_STYLER_CANCEL_REASON        7
#define UF_STYLER_CONSTRUCTOR_REASON   8
#define UF_STYLER_DESTRUCTOR_REASON    9
#define UF_STYLER_FILEOP_REASON        10
#define UF_STYLER_SWITCH_REASON        11

/* dialog and item attributes */
#define UF_STYLER_NO_ATTR              (-1)
#define UF_STYLER_SENSITIVITY          0
#define UF_STYLER_VISIBILITY           1
#define UF_STYLER_VALUE                2
#define UF_STYLER_LABEL                3
#define UF_STYLER_BITMAP               4
#define UF_STYLER_FOCUS                5
#define UF_STYLER_SUBITEM_VALUES       6
#define UF_STYLER_DEFAULT_ACTION       7
#define UF_STYLER_DIALOG_WIDTH         8
#define UF_STYLER_DIALOG_RESIZE        9
#define UF_STYLER_SCALE_PRECISION      10
#define UF_STYLER_ITEM_TYPE            11
#define UF_STYLER_LIST_DESELECT        12
#define UF_STYLER_LIST_INSERT          13
#define UF_STYLER_LIST_DELETE          14
#define UF_STYLER_LIST_SHOW            15
#define UF_STYLER_SELECTION            16
#define UF_STYLER_ACTIVE_PAGE          17
#define UF_STYLER_ATTACHMENTS          18
#define UF_STYLER_SCALE_LINE_INCREMENT 19

/* value types (indicator) */
#define UF_STYLER_NO_VALUE            (-1)
#define UF_STYLER_STRING_VALUE        0
#define UF_STYLER_STRING_PTR_VALUE    1
#define UF_STYLER_INTEGER_VALUE       2
#define UF_STYLER_INTEGER_PTR_VALUE   3
#define UF_STYLER_REAL_VALUE          4
#define UF_STYLER_REAL_PTR_VALUE      5
#define UF_STYLER_SELECTION_VALUE     6
#define UF_STYLER_OPTION_TOGGLE_VALUE 7

/* item types */
#define UF_STYLER_INVALID_TYPE         (-1)
#define UF_STYLER_LABEL_TYPE           0
#define UF_STYLER_INTEGER_TYPE         1
#define UF_STYLER_REAL_TYPE            2
#define UF_STYLER_STRING_TYPE          3
#define UF_STYLER_WIDE_STRING_TYPE     4
#define UF_STYLER_ACTION_BUTTON_TYPE   5
#define UF_STYLER_TOGGLE_TYPE          6
#define UF_STYLER_BITMAP_TYPE          7
#define UF_STYLER_BUTTON_LAYOUT_TYPE   8
#define UF_STYLER_OPTION_MENU_TYPE     9
#define UF_STYLER_RADIO_BOX_TYPE       10
#define UF_STYLER_TOOL_PALETTE_TYPE    11
#define UF_STYLER_SCALE_REAL_TYPE      12
#define UF_STYLER_SCALE_INTEGER_TYPE   13
#define UF_STYLER_SINGLE_LIST_TYPE     14
#define UF_STYLER_MULTI_LIST_TYPE      15
#define UF_STYLER_SELECTION_BOX_TYPE   16
#define UF_STYLER_SEPARATOR_TYPE       17
#define UF_STYLER_SCROLLED_WINDOW_TYPE 18
#define UF_STYLER_MULTI_LINE_TEXT_TYPE 19
#define UF_STYLER_DIALOG_TYPE          20
#define UF_STYLER_COLOR_TOOL_TYPE      21
#define UF_STYLER_OPTION_TOGGLE_TYPE   22
#define UF_STYLER_BEGIN_GROUP_TYPE     23
#define UF_STYLER_END_GROUP_TYPE       24

#define UF_STYLER_ENTER_FILE_OPERATION (1)
#define UF_STYLER_EXIT_FILE_OPERATION  (0)

typedef int UF_STYLER_dialog_id_t;

struct UF_STYLER_fileop_s {
    int id;
    int state;               /* UF_STYLER_ENTER/EXIT_FILE_OPERATION */
};
typedef struct UF_STYLER_fileop_s UF_STYLER_fileop_t, *UF_STYLER_fileop_p_t;

struct UF_STYLER_page_switch_s {
    int activated_page;
    int deactivated_page;
};
typedef struct UF_STYLER_page_switch_s UF_STYLER_page_switch_t, *UF_STYLER_page_switch_p_t;

union UF_STYLER_notification_u {
    UF_STYLER_fileop_t      fileop;
    UF_STYLER_page_switch_t page_switch;
};
typedef union UF_STYLER_notification_u UF_STYLER_notification_t, *UF_STYLER_notification_p_t;

union UF_STYLER_value_u {
    char                      *string;
    char                     **strings;
    int                        integer;
    int                       *integers;
    double                     real;
    double                    *reals;
    UF_UI_selection_p_t        selection;
    UF_STYLER_notification_p_t notify;
    UF_UI_attachment_t         attach;
    UF_UI_option_toggle_t      option_toggle;
};
typedef union UF_STYLER_value_u UF_STYLER_value_t, *UF_STYLER_value_p_t;

struct UF_STYLER_item_value_type_s {
    int               reason;         /* UF_STYLER_*_REASON, set by NX */
    const char       *item_id;
    int               subitem_index;
    int               count;
    int               item_attr;      /* UF_STYLER_VALUE, ... */
    int               indicator;      /* UF_STYLER_*_VALUE */
    UF_STYLER_value_t value;
};
typedef struct UF_STYLER_item_value_type_s UF_STYLER_item_value_type_t,
    *UF_STYLER_item_value_type_p_t;

/* Returns UF_UI_CB_CONTINUE_DIALOG or UF_UI_CB_EXIT_DIALOG. */
typedef int (*UF_STYLER_cb_f_t)(int dialog_id, void *client_data,
                                UF_STYLER_item_value_type_p_t call_data);

/* A table of these ends with a UF_STYLER_NULL_OBJECT / UF_STYLER_NO_CB row. */
struct UF_STYLER_callback_info_s {
    char            *object_id;
    int              cb_type;         /* UF_STYLER_*_CB */
    int              is_dialog_launching_cb;
    UF_STYLER_cb_f_t callback_proc;
};
typedef struct UF_STYLER_callback_info_s UF_STYLER_callback_info_t, *UF_STYLER_callback_info_p_t;

/* ---- uf_undo.h ---- */

typedef int UF_UNDO_mark_id_t;
typedef char *UF_UNDO_mark_name_t;
typedef const char *UF_UNDO_mark_name_c_t;

enum UF_UNDO_user_visibility_e {
    UF_UNDO_visible,
    UF_UNDO_invisible,
    UF_UNDO_any_vis,
    UF_UNDO_visibility_2_big
};
typedef enum UF_UNDO_user_visibility_e UF_UNDO_user_visibility_t;

#define UF_UNDO_USE_NAME_ID         (-1)
#define UF_UNDO_MISC_CB_ANY_MARK    (-2)
#define UF_UNDO_NO_VIS_MARK_PRESENT 0

/* ===================================================================== calls */
/* A comment "kv: ..." right after a declaration gives the call's properties to the build's
 * generators (win/make_def.py reads them): "by-hand", the Wine bridge forwards it by hand;
 * "out-array(ARRAY, COUNT)", it hands out an array of record pointers, each released by UF_free;
 * "const-from-nx10(PARAM, ...)", NX4 to NX7.5 declare the text writable, as here, and NX10 const. */

#ifdef __cplusplus
extern "C" {
#endif

/* ---- uf.h, uf_exit.h ---- */
int  UF_initialize(void);
int  UF_terminate(void);
void UF_free(void *data);  /* kv: by-hand */
void UF_free_string_array(int n_strings, char **string_array);  /* kv: by-hand */
int  UF_get_fail_message(int fail_code, char message[133]);
int  UF_translate_variable(const char *variable, char **translation);  /* kv: by-hand */

/* Start-up entry point: the plug-in defines it, NX calls it. */
extern DllExport void ufsta(char *param, int *retcod, int rlen);

/* ---- uf_assem.h ---- */
int   UF_ASSEM_add_part_to_assembly(tag_t parent_part, const char *part, const char *refset_name,
                                    const char *instance_name, double origin[3],
                                    double csys_matrix[6], int layer, tag_t *instance,
                                    UF_PART_load_status_t *error_status);  /* kv: by-hand */
tag_t UF_ASSEM_ask_work_part(void);
int   UF_ASSEM_set_work_part(tag_t part);

/* ---- uf_attr.h ---- */
int UF_ATTR_read_value(tag_t object, char *title, int type, UF_ATTR_value_p_t value);

/* ---- uf_cfi.h ---- */
int UF_CFI_ask_file_exist(const char *file_spec, int *status);  /* kv: by-hand */
int uc4574(const char *fspec, int ftype, char fname[UF_CFI_MAX_FILE_NAME_LEN + 1]);  /* kv: by-hand */
int uc4576(const char *fspec, int ftype, char dspec[MAX_FSPEC_SIZE + 1],
           char fname[UF_CFI_MAX_FILE_NAME_LEN + 1]);  /* kv: by-hand */

/* ---- uf_csys.h ---- */
int UF_CSYS_map_point(int input_csys, double input_point[3], int output_csys,
                      double output_point[3]);
int UF_CSYS_create_matrix(const double matrix_values[9], tag_t *matrix_id);
int UF_CSYS_ask_matrix_values(tag_t matrix_id, double matrix_values[9]);
int UF_CSYS_create_csys(const double csys_origin[3], tag_t matrix_id, tag_t *csys_id);
int UF_CSYS_create_temp_csys(const double csys_origin[3], tag_t matrix_id, tag_t *csys_id);
int UF_CSYS_set_wcs(tag_t csys_id);
int UF_CSYS_ask_wcs(tag_t *wcs_id);
int UF_CSYS_ask_csys_info(tag_t csys_id, tag_t *matrix_id, double csys_origin[3]);

/* ---- uf_curve.h ---- */
int UF_CURVE_create_line(UF_CURVE_line_p_t line_coords, tag_t *line);
int UF_CURVE_ask_line_data(tag_t line, UF_CURVE_line_p_t line_coords);
int UF_CURVE_create_arc(UF_CURVE_arc_p_t arc_coords, tag_t *arc);
int UF_CURVE_ask_arc_data(tag_t arc, UF_CURVE_arc_p_t arc_coords);

/* ---- uf_disp.h ---- */
int UF_DISP_ask_closest_color(int clr_model, double clr_values[3], int clr_cmp_mtd, int *clr_num);
int UF_DISP_load_color_table(void);
int UF_DISP_set_display(int display_code);
int UF_DISP_set_highlight(tag_t object_id, int action_switch);
void UF_DISP_refresh(void);
int UF_DISP_ask_drawing_display(UF_DISP_drawing_display_data_p_t drawing_display);
int UF_DISP_set_drawing_display(UF_DISP_drawing_display_data_p_t drawing_display);
void UF_DISP_ask_grid_parameters(UF_DISP_grid_context_t product_context,
                                 UF_DISP_grid_p_t output_grid);
void UF_DISP_set_grid_parameters(UF_DISP_grid_context_t product_context,
                                 UF_DISP_grid_p_t input_grid);

/* ---- uf_draw.h ---- */
int UF_DRAW_create_drawing(const char *drawing_name, const UF_DRAW_info_p_t drawing_info,
                           tag_p_t drawing_tag);
int UF_DRAW_delete_drawing(const tag_t drawing_tag);
int UF_DRAW_open_drawing(const tag_t drawing_tag);
int UF_DRAW_ask_current_drawing(tag_t *drawing_tag);
int UF_DRAW_ask_drawings(int *num_drawings, tag_p_t *drawing_tags);
int UF_DRAW_import_view(const tag_t drawing_tag, const tag_t view_tag,
                        double dwg_reference_point[2], UF_DRAW_view_info_t *view_info,
                        tag_t *draw_view_tag);
void UF_DRAW_initialize_view_info(UF_DRAW_view_info_t *view_info);
int UF_DRAW_add_orthographic_view(const tag_t drawing_tag, const tag_t parent_view_tag,
                                  const UF_DRAW_proj_dir_t projection_direction,
                                  double dwg_reference_point[2], tag_t *ortho_view_tag);
int UF_DRAW_ask_view_borders(const tag_t view_tag, double view_borders[4]);
int UF_DRAW_ask_view_scale(tag_t view_tag, tag_t *exp_tag, double *scale_value);
int UF_DRAW_set_view_scale(tag_t view_tag, double scale);
int UF_DRAW_ask_view_display(tag_t view_tag, UF_DRAW_view_prfs_t *view_parms);
int UF_DRAW_set_view_display(tag_t view_tag, UF_DRAW_view_prfs_t *view_parms);
int UF_DRAW_set_border_display(logical border_display);
int UF_DRAW_set_drawing_ref_pt(const tag_t drawing_tag, const tag_t view_tag,
                               const double reference_pt[2]);
int UF_DRAW_update_one_view(tag_t drawing_tag, tag_t view_tag);

/* ---- uf_drf.h ---- */
int UF_DRF_init_object_structure(UF_DRF_object_p_t object);
int UF_DRF_ask_preferences(int mpi[100], double mpr[70], char radius_value[27],
                           char diameter_value[27]);
int UF_DRF_set_preferences(int mpi[100], double mpr[70], char *radius_val,
                           char *diameter_val);  /* kv: const-from-nx10(radius_val, diameter_val) */
int UF_DRF_create_ordorigin(UF_DRF_object_p_t object, int positive_quad_id,
                            int arr_dim_line_display, int origin_symbol_display,
                            char *user_object_name, tag_t *origin_tag);
int UF_DRF_create_ordmargin(int margin_type, tag_t ordinate_origin_tag, UF_DRF_object_p_t object,
                            double margin_xy_point[3], double margin_xy_direction[2],
                            double offset_distance, tag_t *margin_tag);
int UF_DRF_create_orddimension(tag_t margin_origin_tag, int dimension_type,
                               UF_DRF_object_p_t object, double dogleg_angle,
                               double dogleg_distance, UF_DRF_text_t *drf_text,
                               int text_origin_flag, double origin_3d[3], tag_t *dimension_tag);
int uc5566(tag_t np1, int ip2, int ip3, char cp4[][133]);

/* ---- uf_group.h ---- */
int UF_GROUP_ask_group_data(const tag_t group_tag, tag_t **group_members, int *count_of_members);

/* ---- uf_layer.h ---- */
int UF_LAYER_ask_status(const int layer_number, int *layer_status);
int UF_LAYER_set_status(const int layer_number, const int layer_status);
int UF_LAYER_cycle_by_layer(int layer_number, tag_t *object_tag);
int UF_LAYER_ask_category_info(tag_t category, UF_LAYER_category_info_p_t category_info);
int UF_LAYER_ask_category_tag(char *category_name, tag_t *category);  /* kv: const-from-nx10(category_name) */
int UF_LAYER_create_category(UF_LAYER_category_info_p_t category_info, tag_t *category);

/* ---- uf_mb.h ---- */
int UF_MB_add_actions(UF_MB_action_t action_table[]);  /* kv: by-hand */

/* ---- uf_modl.h ---- */
int UF_MODL_create_list(uf_list_p_t *list);
int UF_MODL_put_list_item(uf_list_p_t list, tag_t obj_id);
int UF_MODL_ask_list_count(uf_list_p_t list, int *count);
int UF_MODL_ask_list_item(uf_list_p_t list, int index, tag_t *object);
int UF_MODL_delete_list(uf_list_p_t *list);
int UF_MODL_intersect_objects(tag_t object_1, tag_t object_2, double tolerance,
                              int *num_intersections, UF_MODL_intersect_info_p_t **intersections);  /* kv: out-array(intersections, num_intersections) */
int UF_MODL_ask_bounding_box_aligned(tag_t object, tag_t csys_tag, logical expand,
                                     double min_corner[3], double directions[3][3],
                                     double distances[3]);
int UF_MODL_create_fixed_dplane(double point[3], double direction[3], tag_t *dplane_tag);
int UF_MODL_update(void);

/* ---- uf_mtx.h ---- */
void UF_MTX3_mtx4(const double mtx_3D[9], double mtx_4D[16]);
void UF_MTX3_multiply(const double mtx1[9], const double mtx2[9], double mtx_product[9]);
void UF_MTX3_vec_multiply(const double vec[3], const double mtx[9], double vec_product[3]);
void UF_MTX3_x_vec(const double mtx[9], double x_vec[3]);
void UF_MTX3_y_vec(const double mtx[9], double y_vec[3]);
void UF_MTX3_z_vec(const double mtx[9], double z_vec[3]);
int  UF_MTX4_invert(const double mtx_in[16], double mtx_out[16]);
void UF_MTX4_x_vec(const double mtx[16], double x_vec[3]);
void UF_MTX4_y_vec(const double mtx[16], double y_vec[3]);
void UF_MTX4_z_vec(const double mtx[16], double z_vec[3]);

/* ---- uf_vec.h ---- */
void UF_VEC2_distance(const double pnt1[2], const double pnt2[2], double *distance);
void UF_VEC3_add(const double vec1[3], const double vec2[3], double vec_sum[3]);
void UF_VEC3_copy(const double vec_src[3], double vec_dst[3]);

/* ---- uf_obj.h ---- */
int UF_OBJ_ask_name(tag_t object_id, char *name);
int UF_OBJ_set_name(tag_t object_id, const char *name);
int UF_OBJ_ask_type_and_subtype(tag_t object_id, int *type, int *subtype);
int UF_OBJ_cycle_objs_in_part(tag_t part_tag, int type, tag_t *object);
int UF_OBJ_cycle_by_name_and_type(tag_t part_tag, const char *name, int type, logical use_occ,
                                  tag_t *object);
int UF_OBJ_delete_array_of_objects(int num_objects, tag_t object_id[], int **statuses);
int UF_OBJ_set_blank_status(tag_t object_id, int blank_status);
int UF_OBJ_set_color(tag_t object_id, int color);
int UF_OBJ_set_layer(tag_t object_id, int layer);
int UF_OBJ_set_line_width(tag_t object_id, int line_width);

/* ---- uf_part.h ---- */
tag_t UF_PART_ask_display_part(void);
int   UF_PART_set_display_part(tag_t part);
int   UF_PART_ask_part_name(tag_t part, char part_fspec[MAX_FSPEC_SIZE + 1]);  /* kv: by-hand */
tag_t UF_PART_ask_part_tag(const char *part_name);  /* kv: by-hand */
int   UF_PART_ask_units(tag_t part, int *part_units);
int   UF_PART_new(const char *part_name, int units, tag_t *part);  /* kv: by-hand */
int   UF_PART_save(void);
int   UF_PART_import(const char *file_name, UF_import_part_modes_t *modes, double dest_csys[6],
                     double dest_point[3], double scale, tag_t *group);  /* kv: by-hand */

/* ---- uf_styler.h ---- */
int UF_STYLER_ask_value(int dialog_id, UF_STYLER_item_value_type_p_t value);
int UF_STYLER_set_value(int dialog_id, UF_STYLER_item_value_type_p_t value);
int UF_STYLER_create_dialog(char *dialog_file, UF_STYLER_callback_info_t *cbs,
                            int number_of_cbs, void *client_data, int *response);  /* kv: by-hand; const-from-nx10(dialog_file) */
int UF_STYLER_free_value(UF_STYLER_item_value_type_p_t data);

/* ---- uf_ui.h ---- */
int UF_UI_open_listing_window(void);
int UF_UI_write_listing_window(const char *string);
int UF_UI_is_listing_window_open(logical *response);
int UF_UI_set_status(char *status_text);
int UF_UI_message_dialog(char *title_string, UF_UI_MESSAGE_DIALOG_TYPE dialog_type,
                         char **messages, int num_messages, logical translate,
                         UF_UI_message_buttons_t *buttons, int *response);
int UF_UI_select_by_class(char *message, UF_UI_selection_options_p_t opts, int *response,
                          int *count, tag_p_t *object);
void uc1601(char *message, int option);

/* ---- uf_undo.h ---- */
int UF_UNDO_set_mark(UF_UNDO_user_visibility_t visibility, UF_UNDO_mark_name_t mark_name,
                     UF_UNDO_mark_id_t *mark_id);  /* kv: const-from-nx10(mark_name) */
int UF_UNDO_undo_to_mark(UF_UNDO_mark_id_t mark_id, UF_UNDO_mark_name_t mark_name);  /* kv: const-from-nx10(mark_name) */
int UF_UNDO_delete_mark(UF_UNDO_mark_id_t mark_id, UF_UNDO_mark_name_t mark_name);  /* kv: const-from-nx10(mark_name) */

/* ---- uf_view.h and the view calls (an empty view name means the work view) ---- */
int UF_VIEW_ask_tag_of_view_name(char *view_name, tag_t *view_tag);  /* kv: const-from-nx10(view_name) */
int UF_VIEW_map_model_to_drawing(tag_t member_view, double model_pt[3], double map_pt[2]);
int uc6432(char *cp1, int ip2);  /* kv: const-from-nx10(cp1) */
int uc6433(char *cp1, double *rr2);  /* kv: const-from-nx10(cp1) */
int uc6434(char *cp1, int ip2, tag_t np3, double rp4[6]);  /* kv: const-from-nx10(cp1) */
int uc6447(char *cp1, int ip2, int *ip3);  /* kv: const-from-nx10(cp1) */
int uc6449(const char *cp1);
int uc6450(const char *cp1, const char *cp2, const int ip3, const int ip4);
int uc6454(char *cp1);  /* kv: const-from-nx10(cp1) */

/* ---- uf_layout.h (uf_view.h includes it only from NX10) ---- */

int uc6464(const char *layout_name, const char *old_view_name, const char *new_view_name);

/* ---- uf_wave.h ---- */
int UF_WAVE_create_linked_body(const tag_t body, const tag_t xform, const tag_t object_in_part,
                               const logical update_at_timestamp, tag_t *linked_feature);
int UF_WAVE_create_linked_curve(const tag_t curve, const tag_t xform, const tag_t object_in_part,
                                const logical update_at_timestamp, tag_t *linked_feature);
int UF_WAVE_create_linked_pt_point(const tag_t point, const tag_t xform, const tag_t object_in_part,
                                   const logical update_at_timestamp, tag_t *linked_feature);

/* Calls NX exports from libugopenint.dll in some releases and from libufun.dll in others
 * (win/nx-exports.tsv). No static import of them loads in every release, so the DLL's import
 * tables leave them out and the plug-in never calls them by name: it asks
 * ws_find_nx_call (platform/win_services.h) for them at run time. A call declared here that the
 * plug-in names directly does not link on Windows; a moved call declared elsewhere stops the
 * DLL's build. */
/* ---- calls found at run time (begin) ---- */
/* uf_disp_ugopenint.h in NX4-NX7.5, uf_disp.h from NX8.5 */
int UF_DISP_regenerate_display(void);
/* ---- calls found at run time (end) ---- */

#ifdef __cplusplus
}
#endif

#endif /* KELVORA_NX_SDK */

/* ===================================================================== the plug-in's sizes
 * Buffers the plug-in hands to NX, sized from what the SDK provides: the *_BUFSIZE macro where
 * it exists (NX9 and later, where a name of 128 characters may take 384 bytes), otherwise the
 * old byte limit plus the terminator. */
#ifdef UF_OBJ_NAME_BUFSIZE
#define KV_OBJ_NAME_BUFSIZE UF_OBJ_NAME_BUFSIZE
#else
#define KV_OBJ_NAME_BUFSIZE (UF_OBJ_NAME_LEN + 1)
#endif
#ifdef MAX_FSPEC_BUFSIZE
#define KV_FSPEC_BUFSIZE MAX_FSPEC_BUFSIZE
#else
#define KV_FSPEC_BUFSIZE (MAX_FSPEC_SIZE + 1)
#endif
#ifdef MAX_LINE_BUFSIZE
#define KV_LINE_BUFSIZE MAX_LINE_BUFSIZE
#else
#define KV_LINE_BUFSIZE (MAX_LINE_SIZE + 1)
#endif
/* A message for uc1601, which shows at most 132 characters on every release (NX10's larger line
 * buffers included): messages are held to 132 bytes on every build, so none is cut on screen. */
#define KV_MESSAGE_BUFSIZE 133
#ifdef UF_CFI_MAX_FILE_NAME_BUFSIZE
#define KV_FILE_NAME_BUFSIZE UF_CFI_MAX_FILE_NAME_BUFSIZE
#else
#define KV_FILE_NAME_BUFSIZE (UF_CFI_MAX_FILE_NAME_LEN + 1)
#endif

#endif /* KELVORA_NXAPI_NX_H */
