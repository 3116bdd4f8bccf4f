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
#include "drawing/process_fields.h"
#include "ui/fields.h"

electrode_data process_clipboard;  // zero at load: static storage

namespace {

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
    for (int i = 0; i < kv_process_field_count; ++i) {
        const process_field &f = kv_process_fields[i];
        if (!f.object || !f.setting) continue;
        char list[KV_SETTING_BUFSIZE];
        read_setting(f.setting, list, sizeof list);
        set_option_items(dialog_id, f.object, list);
    }
}

void read_process_fields(int dialog_id, electrode_data *data) {
    if (!data) return;
    memset(data, 0, sizeof *data);
    for (int i = 0; i < kv_process_field_count; ++i) {
        const process_field &f = kv_process_fields[i];
        if (!f.object) continue;
        void *field = process_field_value(data, &f);
        switch (f.kind) {
            case KV_FIELD_TEXT: read_text(dialog_id, f.object, (char *)field, KV_RECORD_TEXT_SIZE); break;
            case KV_FIELD_CHOICE:
            case KV_FIELD_COUNT:
            case KV_FIELD_FLAG: ask_int_value(dialog_id, f.object, (int *)field); break;
            case KV_FIELD_REAL: ask_real_value(dialog_id, f.object, (double *)field); break;
            case KV_FIELD_PERSON: read_person(dialog_id, f.object, f.setting, (char *)field, KV_RECORD_TEXT_SIZE); break;
        }
    }
}

void show_process_fields(int dialog_id, const electrode_data *data) {
    if (!data) return;
    for (int i = 0; i < kv_process_field_count; ++i) {
        const process_field &f = kv_process_fields[i];
        if (!f.object) continue;
        const void *field = process_field_value(data, &f);
        switch (f.kind) {
            case KV_FIELD_TEXT: set_string_value(dialog_id, f.object, (const char *)field); break;
            case KV_FIELD_CHOICE: set_choice(dialog_id, f.object, *(const int *)field); break;
            case KV_FIELD_COUNT:
            case KV_FIELD_FLAG: set_value(dialog_id, f.object, *(const int *)field); break;
            case KV_FIELD_REAL: set_real_value(dialog_id, f.object, *(const double *)field); break;
            case KV_FIELD_PERSON: show_person(dialog_id, f.object, f.setting, (const char *)field); break;
        }
    }
}

void paste_process_data(electrode_record *record, const electrode_data *source) {
    if (!record || !source || &record->data == source) return;
    // What the dialog edits is process data; the name is the record's own.
    for (int i = 0; i < kv_process_field_count; ++i) {
        const process_field &f = kv_process_fields[i];
        if (!f.object) continue;
        void *to = process_field_value(&record->data, &f);
        const void *from = process_field_value(source, &f);
        switch (f.kind) {
            case KV_FIELD_TEXT:
            case KV_FIELD_PERSON: kv_copy((char *)to, KV_RECORD_TEXT_SIZE, (const char *)from); break;
            case KV_FIELD_CHOICE:
            case KV_FIELD_COUNT:
            case KV_FIELD_FLAG: *(int *)to = *(const int *)from; break;
            case KV_FIELD_REAL: *(double *)to = *(const double *)from; break;
        }
    }
}
