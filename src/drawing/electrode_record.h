/* The electrode drawing record: the EDM process data the user assigns to one electrode in the
 * drawing dialog, the tags the model-view step makes for it, and the list of all records. */
#ifndef KELVORA_ELECTRODE_RECORD_H
#define KELVORA_ELECTRODE_RECORD_H

#include <stddef.h>

#include "nx.h"

/* Text fields of the record: 1023 bytes and the terminator. */
#define KV_RECORD_TEXT_SIZE 1024
/* Items of the option menus: 255 bytes and the terminator. */
#define KV_LIST_ITEM_SIZE 256

/* The data portion: copied and passed as one unit (the drawing and title-block steps take it by
 * value; the clipboard is one of these). Texts are GBK. */
typedef struct electrode_data_s {
    char   mould_no[KV_RECORD_TEXT_SIZE];
    char   electrode_name[KV_RECORD_TEXT_SIZE];   /* upper case; the record's key */
    char   workpiece_name[KV_RECORD_TEXT_SIZE];
    int    material_index;                        /* into ELECTRODE_DRAFT_MATERIAL */
    int    edm_method_index;                      /* into ELECTRODE_DRAFT_METHOD */
    int    machine_index;                         /* into ELECTRODE_DRAFT_MACH */
    double supr_coarse_gap;                       /* SUPR_CORASE_SZIE_REAL, listed as 粗 */
    double coarse_gap;                            /* COARSE_SIZE_REAL, listed as 特粗 */
    double fine_gap;                              /* FINE_SIZE_REAL, listed as 精 */
    int    wire_cut;                              /* process flags: 0 off, else on */
    int    relief;
    int    clear_r_corner;
    int    clear_square_corner;
    int    supr_coarse_count;
    int    coarse_count;
    int    fine_count;
    char   drawn_by[KV_RECORD_TEXT_SIZE];         /* item texts of the people lists */
    char   split_by[KV_RECORD_TEXT_SIZE];
    char   electrode_by[KV_RECORD_TEXT_SIZE];
    tag_t  ecs_tag;                               /* "<name>_CSYS" */
    tag_t  top_view_tag;                          /* model view "<name>_TOP" */
    tag_t  iso_view_tag;                          /* the isometric model view */
} electrode_data;

/* The record: the data portion, then the list portion, which is never copied. */
typedef struct electrode_record_s {
    electrode_data             data;
    int                        selected;          /* 1 when selected at the last refresh */
    struct electrode_record_s *next;
} electrode_record;

/* What the drawing dialog holds between its callbacks (their client_data): its records, built by
 * the constructor and released by the destructor (null without electrodes). */
typedef struct drawing_dialog_state_s {
    electrode_record *list;
} drawing_dialog_state;

/* The process data copied with Copy: all zero when the library is loaded, it keeps its content
 * from one opening of the dialog to the next, so it is the one record outside a dialog's state. */
extern electrode_data process_clipboard;

/* One record per electrode category of the work part, in NX's order, with the defaults of
 * init_electrode_record. The head, or null without a work part, without electrodes, or when a
 * record could not be allocated (nothing stays allocated then). */
electrode_record *build_electrode_list(void);

/* Fills the data portion of a new record with its defaults (mould number, name, workpiece,
 * gaps and counts from the settings; everything else zero or empty). */
void init_electrode_record(electrode_record *record, const char *name);


/* Releases every record from head along the next links. */
void free_electrode_list(electrode_record *head);

/* selected = 1 for every record whose name is among the list object's selected items, 0 for the
 * rest. 0; -1 when the selection cannot be read (every flag left as it was). */
int refresh_selected_flags(electrode_record *head, int dialog_id, const char *list_object);

/* Shows the records' names in the list object and selects the first one. */
void fill_electrode_list_box(int dialog_id, const char *list_object, electrode_record *head);

/* Loads the six option menus from their settings. */
void fill_option_lists(int dialog_id);

/* Makes the comma list's items the items of the option menu (one empty item when the list has
 * none). 0, or -1 when the item array could not be allocated (the menu is then not changed). */
int set_option_items(int dialog_id, const char *object, const char *list);

/* Reads the process fields of the dialog into data, cleared first (name and tags stay empty). */
void read_process_fields(int dialog_id, electrode_data *data);

/* Shows the process fields of data in the dialog. */
void show_process_fields(int dialog_id, const electrode_data *data);

/* Copies the process data of source into record; the record keeps its name, tags, selected
 * flag and link. */
void paste_process_data(electrode_record *record, const electrode_data *source);

#endif
