// The electrode drawing records: building the list with its defaults, showing and reading the
// process fields of the drawing dialog, the option menus, paste and release.
#include "drawing/electrode_record.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include "config/comma_list.h"
#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/setting_values.h"
#include "config/settings.h"
#include "electrode/electrode.h"
#include "electrode/work_part.h"
#include "ui/fields.h"

electrode_record *electrode_list = NULL;
electrode_data process_clipboard;  // zero at load: static storage

namespace {

// How a process field is shown in the dialog and kept in the record.
enum FieldKind {
    kText,    // a text field and the record's text
    kChoice,  // an option menu and the index of its item
    kReal,    // a real field
    kInt,     // an integer field or a toggle
    kPerson,  // an option menu and the text of its item
};

struct ProcessField {
    const char *object;   // the dialog object
    FieldKind kind;
    size_t offset;        // of the field in electrode_data
    const char *setting;  // option menus: the setting whose comma list holds the items
};

// The process fields, in the order the dialog is read and shown (option menus are loaded in
// this order too). Texts are KV_RECORD_TEXT_SIZE bytes.
const ProcessField kProcessFields[] = {
    {"STR_0", kText, offsetof(electrode_data, mould_no), NULL},
    {"WORKPIECE_STR", kText, offsetof(electrode_data, workpiece_name), NULL},
    {"MATERIAL_OPTION", kChoice, offsetof(electrode_data, material_index), KV_KEY_ELECTRODE_DRAFT_MATERIAL},
    {"METHOD_OPTION", kChoice, offsetof(electrode_data, edm_method_index), KV_KEY_ELECTRODE_DRAFT_METHOD},
    {"MACHINE_OPTION", kChoice, offsetof(electrode_data, machine_index), KV_KEY_ELECTRODE_DRAFT_MACH},
    {"COARSE_SIZE_REAL", kReal, offsetof(electrode_data, coarse_gap), NULL},
    {"COARSE_NUM_INT", kInt, offsetof(electrode_data, coarse_count), NULL},
    {"SUPR_CORASE_SZIE_REAL", kReal, offsetof(electrode_data, supr_coarse_gap), NULL},
    {"SUPR_COARSE_NUM_INT", kInt, offsetof(electrode_data, supr_coarse_count), NULL},
    {"FINE_SIZE_REAL", kReal, offsetof(electrode_data, fine_gap), NULL},
    {"FINE_NUM_INT", kInt, offsetof(electrode_data, fine_count), NULL},
    {"TOGGLE_20", kInt, offsetof(electrode_data, wire_cut), NULL},
    {"TOGGLE_21", kInt, offsetof(electrode_data, relief), NULL},
    {"TOGGLE_22", kInt, offsetof(electrode_data, clear_r_corner), NULL},
    {"TOGGLE_23", kInt, offsetof(electrode_data, clear_square_corner), NULL},
    {"DRAW_OPTION", kPerson, offsetof(electrode_data, drawn_by), KV_KEY_ELECTRODE_DRAFT_MAN},
    {"SPLIT_ELECTRODE_OPTION", kPerson, offsetof(electrode_data, split_by), KV_KEY_ELECTRODE_DRAFT_SPLIT},
    {"CREATE_ELECTRODE_OPTION", kPerson, offsetof(electrode_data, electrode_by), KV_KEY_ELECTRODE_DRAFT_CREATE},
};

void *field_of(electrode_data *data, const ProcessField &f) { return (char *)data + f.offset; }
const void *field_of(const electrode_data *data, const ProcessField &f) { return (const char *)data + f.offset; }

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

// The defaults of every record are the same within one build (the settings and the work part's
// name do not change within a callback): read once, for the first record, and copied.
struct ListBuilder {
    electrode_record *head;
    electrode_record *tail;
    int failed;
    int have_defaults;
    electrode_data defaults;
};

void append_record(const char *name, void *context) {
    ListBuilder *b = (ListBuilder *)context;
    if (b->failed) return;
    electrode_record *r = (electrode_record *)calloc(1, sizeof *r);
    if (!r) {
        b->failed = 1;
        return;
    }
    if (!b->have_defaults) {
        init_electrode_record(r, "");
        b->defaults = r->data;
        b->have_defaults = 1;
    }
    r->data = b->defaults;
    kv_copy(r->data.electrode_name, sizeof r->data.electrode_name, name);
    r->selected = 0;
    r->next = NULL;
    if (b->tail)
        b->tail->next = r;
    else
        b->head = r;
    b->tail = r;
}

}  // namespace

void init_electrode_record(electrode_record *record, const char *name) {
    if (!record) return;
    electrode_data *d = &record->data;
    memset(d, 0, sizeof *d);
    work_part_folder_name(d->mould_no, sizeof d->mould_no);  // shops name a mould's folder after it
    kv_copy(d->electrode_name, sizeof d->electrode_name, name);
    work_part_name(d->workpiece_name, sizeof d->workpiece_name);
    kv_drop_split_char(d->workpiece_name);
    d->supr_coarse_gap = setting_real(KV_KEY_ELECTRODE_DRAFT_SUPR);
    d->coarse_gap = setting_real(KV_KEY_ELECTRODE_DRAFT_ROUG);
    d->fine_gap = setting_real(KV_KEY_ELECTRODE_DRAFT_FIN);
    d->supr_coarse_count = setting_int(KV_KEY_ELECTRODE_DRAFT_SUR_NUM);
    d->coarse_count = setting_int(KV_KEY_ELECTRODE_DRAFT_ROUG_NUM);
    d->fine_count = setting_int(KV_KEY_ELECTRODE_DRAFT_FIN_NUM);
}

electrode_record *build_electrode_list(void) {
    tag_t work = UF_ASSEM_ask_work_part();
    if (work == NULL_TAG) return NULL;
    ListBuilder *b_heap = (ListBuilder *)calloc(1, sizeof(ListBuilder));  // 6 KB: off NX's stack
    if (!b_heap) return NULL;
    ListBuilder &b = *b_heap;
    list_electrode_categories(work, append_record, &b);
    // A list with a hole would hide an electrode: show none instead.
    electrode_record *head = b.head;
    if (b.failed) {
        free_electrode_list(head);
        head = NULL;
    }
    free(b_heap);
    return head;
}

void free_electrode_list(electrode_record *head) {
    while (head) {
        electrode_record *next = head->next;
        free(head);
        head = next;
    }
}

int refresh_selected_flags(electrode_record *head, int dialog_id, const char *list_object) {
    list_selection selection;
    if (read_list_selection(dialog_id, list_object, &selection) != 0) return -1;
    for (electrode_record *r = head; r; r = r->next)
        r->selected = selection_has_text(&selection, r->data.electrode_name) ? 1 : 0;
    release_list_selection(&selection);
    return 0;
}

// The first item is set on the emptied list: NX leaves open whether a set flips a multi-select
// list's item or selects it, and on a list with nothing selected both select it.
void fill_electrode_list_box(int dialog_id, const char *list_object, electrode_record *head) {
    list_clear(dialog_id, list_object);
    for (electrode_record *r = head; r; r = r->next)
        list_append(dialog_id, list_object, r->data.electrode_name);
    set_choice(dialog_id, list_object, 0);
}

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

void fill_option_lists(int dialog_id) {
    for (const ProcessField &f : kProcessFields) {
        if (!f.setting) continue;
        char list[KV_SETTING_BUFSIZE];
        read_setting(f.setting, list, sizeof list);
        set_option_items(dialog_id, f.object, list);
    }
}

void read_process_fields(int dialog_id, electrode_data *data) {
    if (!data) return;
    memset(data, 0, sizeof *data);
    for (const ProcessField &f : kProcessFields) {
        void *field = field_of(data, f);
        switch (f.kind) {
            case kText: read_text(dialog_id, f.object, (char *)field, KV_RECORD_TEXT_SIZE); break;
            case kChoice:
            case kInt: ask_int_value(dialog_id, f.object, (int *)field); break;
            case kReal: ask_real_value(dialog_id, f.object, (double *)field); break;
            case kPerson: read_person(dialog_id, f.object, f.setting, (char *)field, KV_RECORD_TEXT_SIZE); break;
        }
    }
}

void show_process_fields(int dialog_id, const electrode_data *data) {
    if (!data) return;
    for (const ProcessField &f : kProcessFields) {
        const void *field = field_of(data, f);
        switch (f.kind) {
            case kText: set_string_value(dialog_id, f.object, (const char *)field); break;
            case kChoice: set_choice(dialog_id, f.object, *(const int *)field); break;
            case kInt: set_value(dialog_id, f.object, *(const int *)field); break;
            case kReal: set_real_value(dialog_id, f.object, *(const double *)field); break;
            case kPerson: show_person(dialog_id, f.object, f.setting, (const char *)field); break;
        }
    }
}

void paste_process_data(electrode_record *record, const electrode_data *source) {
    if (!record || !source || &record->data == source) return;
    for (const ProcessField &f : kProcessFields) {
        void *to = field_of(&record->data, f);
        const void *from = field_of(source, f);
        switch (f.kind) {
            case kText:
            case kPerson: kv_copy((char *)to, KV_RECORD_TEXT_SIZE, (const char *)from); break;
            case kChoice:
            case kInt: *(int *)to = *(const int *)from; break;
            case kReal: *(double *)to = *(const double *)from; break;
        }
    }
}
