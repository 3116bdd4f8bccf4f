// The electrode drawing records: building the list with its defaults, showing and reading the
// process fields of the drawing dialog, the option menus, paste and release.
#include "drawing/electrode_record.h"

#include <stdlib.h>
#include <string.h>

#include "config/kv_text.h"
#include "config/setting_values.h"
#include "config/settings.h"
#include "electrode/electrode.h"
#include "electrode/text_source.h"
#include "ui/fields.h"

electrode_record *electrode_list = NULL;
electrode_data process_clipboard;  // zero at load: static storage

namespace {

// Bytes of the character at text (2 for a complete GBK pair, else 1).
size_t char_len(const char *text) {
    return (kv_is_gbk_lead((unsigned char)text[0]) && text[1] != '\0') ? 2 : 1;
}

struct OptionMenu {
    const char *setting;
    const char *object;
};

// The order the option menus are loaded in.
const OptionMenu kOptionMenus[] = {
    {"ELECTRODE_DRAFT_MATERIAL", "MATERIAL_OPTION"},
    {"ELECTRODE_DRAFT_METHOD", "METHOD_OPTION"},
    {"ELECTRODE_DRAFT_MACH", "MACHINE_OPTION"},
    {"ELECTRODE_DRAFT_MAN", "DRAW_OPTION"},
    {"ELECTRODE_DRAFT_SPLIT", "SPLIT_ELECTRODE_OPTION"},
    {"ELECTRODE_DRAFT_CREATE", "CREATE_ELECTRODE_OPTION"},
};

// A person is stored as the item text of its setting list; the menu shows the item's index.
void read_person(int dialog_id, const char *object, const char *setting, char *text, size_t size) {
    int index = 0;
    ask_int_value(dialog_id, object, &index);
    setting_list_item(setting, index, text, size);
}

void show_person(int dialog_id, const char *object, const char *setting, const char *text) {
    char list[KV_SETTING_BUFSIZE];
    read_setting(setting, list, sizeof list);
    set_choice(dialog_id, object, list_item_index(list, text));
}

void read_text(int dialog_id, const char *object, char *text, size_t size) {
    ask_string_value(dialog_id, object, text, size);
    kv_drop_split_char(text);
}

struct ListBuilder {
    electrode_record *head;
    electrode_record *tail;
    int failed;
};

void append_record(const char *name, void *context) {
    ListBuilder *b = (ListBuilder *)context;
    if (b->failed) return;
    electrode_record *r = (electrode_record *)calloc(1, sizeof *r);
    if (!r) {
        b->failed = 1;
        return;
    }
    init_electrode_record(r, name);
    r->selected = 0;
    r->next = NULL;
    if (b->tail)
        b->tail->next = r;
    else
        b->head = r;
    b->tail = r;
}

}  // namespace

/* Always 0; text holds the last folder name of the work part's path, or the empty text. */
int mould_no_of_work_part(char *text, size_t size) {
    if (!text || size == 0) return 0;
    text[0] = '\0';
    tag_t work = UF_ASSEM_ask_work_part();
    if (work == NULL_TAG) return 0;
    char path[KV_FSPEC_BUFSIZE] = "";
    char folder[KV_FSPEC_BUFSIZE] = "";
    char file[KV_FILE_NAME_BUFSIZE] = "";
    UF_PART_ask_part_name(work, path);
    path[sizeof path - 1] = '\0';
    uc4576(path, 2, folder, file);
    folder[sizeof folder - 1] = '\0';
    // The last separator as a character, not as the trail byte of a GBK pair.
    const char *after = folder;
    for (size_t i = 0; folder[i] != '\0'; i += char_len(folder + i))
        if (kv_is_path_sep(folder[i])) after = folder + i + 1;
    kv_copy(text, size, after);
    return 0;
}

/* No result. */
void init_electrode_record(electrode_record *record, const char *name) {
    if (!record) return;
    electrode_data *d = &record->data;
    memset(d, 0, sizeof *d);
    mould_no_of_work_part(d->mould_no, sizeof d->mould_no);
    kv_copy(d->electrode_name, sizeof d->electrode_name, name);
    work_part_name(d->workpiece_name, sizeof d->workpiece_name);
    kv_drop_split_char(d->workpiece_name);
    d->supr_coarse_gap = setting_real("ELECTRODE_DRAFT_SUPR");
    d->coarse_gap = setting_real("ELECTRODE_DRAFT_ROUG");
    d->fine_gap = setting_real("ELECTRODE_DRAFT_FIN");
    d->supr_coarse_count = setting_int("ELECTRODE_DRAFT_SUR_NUM");
    d->coarse_count = setting_int("ELECTRODE_DRAFT_ROUG_NUM");
    d->fine_count = setting_int("ELECTRODE_DRAFT_FIN_NUM");
}

/* The head of the new list, or null. */
electrode_record *build_electrode_list(void) {
    tag_t work = UF_ASSEM_ask_work_part();
    if (work == NULL_TAG) return NULL;
    ListBuilder b = {NULL, NULL, 0};
    list_electrode_categories(work, append_record, &b);
    // A list with a hole would hide an electrode: show none instead.
    if (b.failed) {
        free_electrode_list(b.head);
        return NULL;
    }
    return b.head;
}

/* No result. */
void free_electrode_list(electrode_record *head) {
    while (head) {
        electrode_record *next = head->next;
        free(head);
        head = next;
    }
}

/* No result. */
void refresh_selected_flags(electrode_record *head, int dialog_id, const char *list_object) {
    for (electrode_record *r = head; r; r = r->next)
        r->selected = is_text_selected(dialog_id, list_object, r->data.electrode_name) ? 1 : 0;
}

/* No result. */
void fill_electrode_list_box(int dialog_id, const char *list_object, electrode_record *head) {
    list_clear(dialog_id, list_object);
    for (electrode_record *r = head; r; r = r->next)
        list_append(dialog_id, list_object, r->data.electrode_name);
    set_choice(dialog_id, list_object, 0);
}

/* 0, or -1 when memory for the items ran out. */
int set_option_items(int dialog_id, const char *object, const char *list) {
    if (!list || list[0] == '\0' || !strchr(list, ',')) {
        set_list_items(dialog_id, object, 0, NULL);
        return 0;
    }
    int n = list_item_count(list);
    char **items = (char **)calloc((size_t)n, sizeof *items);
    if (!items) return -1;
    int rc = 0;
    for (int i = 0; i < n && rc == 0; ++i) {
        items[i] = (char *)calloc(1, KV_LIST_ITEM_SIZE);
        if (!items[i]) {
            rc = -1;
            break;
        }
        list_item(list, i, items[i], KV_LIST_ITEM_SIZE);
        kv_drop_split_char(items[i]);
    }
    if (rc == 0) set_list_items(dialog_id, object, n, items);
    for (int i = 0; i < n; ++i) free(items[i]);
    free(items);
    return rc;
}

/* No result. */
void fill_option_lists(int dialog_id) {
    for (const OptionMenu &m : kOptionMenus) {
        char list[KV_SETTING_BUFSIZE];
        read_setting(m.setting, list, sizeof list);
        set_option_items(dialog_id, m.object, list);
    }
}

/* No result; the fields the dialog does not carry (name, tags) stay empty. */
void read_process_fields(int dialog_id, electrode_data *data) {
    if (!data) return;
    memset(data, 0, sizeof *data);
    read_text(dialog_id, "STR_0", data->mould_no, sizeof data->mould_no);
    read_text(dialog_id, "WORKPIECE_STR", data->workpiece_name, sizeof data->workpiece_name);
    ask_int_value(dialog_id, "MATERIAL_OPTION", &data->material_index);
    ask_int_value(dialog_id, "METHOD_OPTION", &data->edm_method_index);
    ask_int_value(dialog_id, "MACHINE_OPTION", &data->machine_index);
    ask_real_value(dialog_id, "COARSE_SIZE_REAL", &data->coarse_gap);
    ask_int_value(dialog_id, "COARSE_NUM_INT", &data->coarse_count);
    ask_real_value(dialog_id, "SUPR_CORASE_SZIE_REAL", &data->supr_coarse_gap);
    ask_int_value(dialog_id, "SUPR_COARSE_NUM_INT", &data->supr_coarse_count);
    ask_real_value(dialog_id, "FINE_SIZE_REAL", &data->fine_gap);
    ask_int_value(dialog_id, "FINE_NUM_INT", &data->fine_count);
    ask_int_value(dialog_id, "TOGGLE_20", &data->wire_cut);
    ask_int_value(dialog_id, "TOGGLE_21", &data->relief);
    ask_int_value(dialog_id, "TOGGLE_22", &data->clear_r_corner);
    ask_int_value(dialog_id, "TOGGLE_23", &data->clear_square_corner);
    read_person(dialog_id, "DRAW_OPTION", "ELECTRODE_DRAFT_MAN", data->drawn_by, sizeof data->drawn_by);
    read_person(dialog_id, "SPLIT_ELECTRODE_OPTION", "ELECTRODE_DRAFT_SPLIT", data->split_by,
                sizeof data->split_by);
    read_person(dialog_id, "CREATE_ELECTRODE_OPTION", "ELECTRODE_DRAFT_CREATE", data->electrode_by,
                sizeof data->electrode_by);
}

/* No result. */
void show_process_fields(int dialog_id, const electrode_data *data) {
    if (!data) return;
    set_string_value(dialog_id, "STR_0", data->mould_no);
    set_string_value(dialog_id, "WORKPIECE_STR", data->workpiece_name);
    set_choice(dialog_id, "MATERIAL_OPTION", data->material_index);
    set_choice(dialog_id, "METHOD_OPTION", data->edm_method_index);
    set_choice(dialog_id, "MACHINE_OPTION", data->machine_index);
    set_real_value(dialog_id, "COARSE_SIZE_REAL", data->coarse_gap);
    set_value(dialog_id, "COARSE_NUM_INT", data->coarse_count);
    set_real_value(dialog_id, "SUPR_CORASE_SZIE_REAL", data->supr_coarse_gap);
    set_value(dialog_id, "SUPR_COARSE_NUM_INT", data->supr_coarse_count);
    set_real_value(dialog_id, "FINE_SIZE_REAL", data->fine_gap);
    set_value(dialog_id, "FINE_NUM_INT", data->fine_count);
    set_value(dialog_id, "TOGGLE_20", data->wire_cut);
    set_value(dialog_id, "TOGGLE_21", data->relief);
    set_value(dialog_id, "TOGGLE_22", data->clear_r_corner);
    set_value(dialog_id, "TOGGLE_23", data->clear_square_corner);
    show_person(dialog_id, "DRAW_OPTION", "ELECTRODE_DRAFT_MAN", data->drawn_by);
    show_person(dialog_id, "SPLIT_ELECTRODE_OPTION", "ELECTRODE_DRAFT_SPLIT", data->split_by);
    show_person(dialog_id, "CREATE_ELECTRODE_OPTION", "ELECTRODE_DRAFT_CREATE", data->electrode_by);
}

/* No result. */
void paste_process_data(electrode_record *record, const electrode_data *source) {
    if (!record || !source) return;
    electrode_data *d = &record->data;
    if (d == source) return;
    kv_copy(d->mould_no, sizeof d->mould_no, source->mould_no);
    kv_copy(d->workpiece_name, sizeof d->workpiece_name, source->workpiece_name);
    d->material_index = source->material_index;
    d->edm_method_index = source->edm_method_index;
    d->machine_index = source->machine_index;
    d->supr_coarse_gap = source->supr_coarse_gap;
    d->coarse_gap = source->coarse_gap;
    d->fine_gap = source->fine_gap;
    d->wire_cut = source->wire_cut;
    d->relief = source->relief;
    d->clear_r_corner = source->clear_r_corner;
    d->clear_square_corner = source->clear_square_corner;
    d->supr_coarse_count = source->supr_coarse_count;
    d->coarse_count = source->coarse_count;
    d->fine_count = source->fine_count;
    kv_copy(d->drawn_by, sizeof d->drawn_by, source->drawn_by);
    kv_copy(d->split_by, sizeof d->split_by, source->split_by);
    kv_copy(d->electrode_by, sizeof d->electrode_by, source->electrode_by);
}
