// Dialog field access: each operation fills NX's item value record, makes one
// UF_STYLER_ask_value or UF_STYLER_set_value call and, after an ask, copies the answer out and
// releases NX's value at once. NX's result codes are not reported: outputs are cleared first,
// so a failed call leaves 0, 0.0 or the empty text.
#include "ui/fields.h"

#include <string.h>

#include "config/kv_text.h"

namespace {

UF_STYLER_item_value_type_t record(const char *object, int attribute, int subitem) {
    UF_STYLER_item_value_type_t value;
    memset(&value, 0, sizeof value);
    value.item_id = object;
    value.item_attr = attribute;
    value.subitem_index = subitem;
    return value;
}

/* Asks NX; 0 when the record holds NX's answer (to be released with release()). */
int ask(int dialog_id, UF_STYLER_item_value_type_t *value) {
    if (!value->item_id) return -1;
    return UF_STYLER_ask_value(dialog_id, value);
}

void release(UF_STYLER_item_value_type_t *value) { UF_STYLER_free_value(value); }

/* Sets through NX; the record holds the caller's data, which NX does not own. */
void set(int dialog_id, UF_STYLER_item_value_type_t *value) {
    if (value->item_id) UF_STYLER_set_value(dialog_id, value);
}

}  // namespace

int ask_int_value(int dialog_id, const char *object, int *value) {
    if (!value) return 0;
    *value = 0;
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, 0);
    if (ask(dialog_id, &v) != 0) return 0;
    if (v.indicator == UF_STYLER_INTEGER_VALUE) *value = v.value.integer;
    release(&v);
    return 0;
}

int ask_real_value(int dialog_id, const char *object, double *value) {
    if (!value) return 0;
    *value = 0.0;
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, 0);
    if (ask(dialog_id, &v) != 0) return 0;
    if (v.indicator == UF_STYLER_REAL_VALUE) *value = v.value.real;
    release(&v);
    return 0;
}

int ask_string_value(int dialog_id, const char *object, char *text, size_t size) {
    if (!text || size == 0) return 0;
    text[0] = '\0';
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, 0);
    if (ask(dialog_id, &v) != 0) return 0;
    if (v.indicator == UF_STYLER_STRING_VALUE && v.value.string) kv_copy(text, size, v.value.string);
    release(&v);
    return 0;
}

// Texts go through set_string_value: an address does not fit an int on 64-bit hosts.
int set_value(int dialog_id, const char *object, int value) {
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, 0);
    v.indicator = UF_STYLER_INTEGER_VALUE;
    v.value.integer = value;
    set(dialog_id, &v);
    return 0;
}

int set_string_value(int dialog_id, const char *object, const char *text) {
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, 0);
    v.indicator = UF_STYLER_STRING_VALUE;
    v.value.string = (char *)(text ? text : "");
    set(dialog_id, &v);
    return 0;
}

int set_real_value(int dialog_id, const char *object, double value) {
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, 0);
    v.indicator = UF_STYLER_REAL_VALUE;
    v.value.real = value;
    set(dialog_id, &v);
    return 0;
}

int set_choice(int dialog_id, const char *object, int n) {
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, n);
    v.indicator = UF_STYLER_INTEGER_VALUE;
    v.value.integer = n;
    set(dialog_id, &v);
    return 0;
}

namespace {

int set_nav_sensitive(int dialog_id, int button, int flag) {
    UF_STYLER_item_value_type_t v = record(UF_STYLER_NAV_INDEX, UF_STYLER_SENSITIVITY, button);
    v.indicator = UF_STYLER_INTEGER_VALUE;
    v.value.integer = flag ? 1 : 0;
    set(dialog_id, &v);
    return 0;
}

}  // namespace

int set_ok_sensitive(int dialog_id, int flag) {
    return set_nav_sensitive(dialog_id, UF_STYLER_OK_INDEX, flag);
}

int set_apply_sensitive(int dialog_id, int flag) {
    return set_nav_sensitive(dialog_id, UF_STYLER_APPLY_INDEX, flag);
}

int list_count(int dialog_id, const char *object) {
    int count = 0;
    return ask_list_count(dialog_id, object, &count) == 0 ? count : 0;
}

int ask_list_count(int dialog_id, const char *object, int *count) {
    *count = 0;
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_SUBITEM_VALUES, 0);
    if (ask(dialog_id, &v) != 0) return -1;
    *count = v.count > 0 ? v.count : 0;
    release(&v);
    return 0;
}

int list_item_text(int dialog_id, const char *object, int n, char *text, size_t size) {
    if (!text || size == 0) return 0;
    text[0] = '\0';
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_SUBITEM_VALUES, 0);
    if (ask(dialog_id, &v) != 0) return 0;
    if (v.indicator == UF_STYLER_STRING_PTR_VALUE && v.value.strings && n >= 0 && n < v.count &&
        v.value.strings[n])
        kv_copy(text, size, v.value.strings[n]);
    release(&v);
    return 0;
}

int list_clear(int dialog_id, const char *object) {
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_LIST_DELETE, UF_STYLER_NO_SUB_INDEX);
    set(dialog_id, &v);
    return 0;
}

int list_append(int dialog_id, const char *object, const char *text) {
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_LIST_INSERT, UF_STYLER_NO_SUB_INDEX);
    v.indicator = UF_STYLER_STRING_VALUE;
    v.value.string = (char *)(text ? text : "");
    return v.item_id && UF_STYLER_set_value(dialog_id, &v) == 0 ? 0 : -1;
}

// Never no item: NX's option menus need an item to show.
int set_list_items(int dialog_id, const char *object, int count, char **items) {
    char empty[1] = "";
    char *one[1] = {empty};
    if (count <= 0 || !items) {
        count = 1;
        items = one;
    }
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_SUBITEM_VALUES, 0);
    v.indicator = UF_STYLER_STRING_PTR_VALUE;
    v.count = count;
    v.value.strings = items;
    set(dialog_id, &v);
    return 0;
}

int is_item_selected(int dialog_id, const char *object, int n) {
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, 0);
    v.indicator = UF_STYLER_INTEGER_PTR_VALUE;
    if (ask(dialog_id, &v) != 0) return 0;
    int selected = 0;
    if (v.indicator == UF_STYLER_INTEGER_PTR_VALUE && v.value.integers)
        for (int i = 0; i < v.count && !selected; ++i) selected = v.value.integers[i] == n;
    release(&v);
    return selected;
}

// NX leaves open whether a set flips an item of a multi-select list or selects it; for an item
// not selected both select it, so the state is asked first.
int select_item(int dialog_id, const char *object, int n) {
    if (is_item_selected(dialog_id, object, n)) return 0;
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, n);
    set(dialog_id, &v);
    return 0;
}

namespace {

/* Marks in chosen (count flags) the selected items of the list. 0, or -1 when NX gave none. */
int ask_selected_items(int dialog_id, const char *object, int count, unsigned char *chosen) {
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, 0);
    v.indicator = UF_STYLER_INTEGER_PTR_VALUE;
    if (ask(dialog_id, &v) != 0) return -1;
    int rc = v.indicator == UF_STYLER_INTEGER_PTR_VALUE && (v.value.integers || v.count == 0) ? 0 : -1;
    for (int i = 0; rc == 0 && i < v.count; ++i)
        if (v.value.integers[i] >= 0 && v.value.integers[i] < count) chosen[v.value.integers[i]] = 1;
    release(&v);
    return rc;
}

/* Deletes every item of the list and inserts the count items again, then sets the chosen ones.
 * On a list with nothing selected a set selects its item whether NX flips or selects: the
 * result does not depend on which. 0, or -2 when a call failed. */
int refill_list(int dialog_id, const char *object, int count, char **items, const unsigned char *chosen) {
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_LIST_DELETE, UF_STYLER_NO_SUB_INDEX);
    if (UF_STYLER_set_value(dialog_id, &v) != 0) return -2;
    int rc = 0;
    for (int i = 0; i < count; ++i)
        if (list_append(dialog_id, object, items[i]) != 0) rc = -2;
    for (int i = 0; i < count && rc == 0; ++i) {
        if (!chosen[i]) continue;
        UF_STYLER_item_value_type_t pick = record(object, UF_STYLER_VALUE, i);
        if (UF_STYLER_set_value(dialog_id, &pick) != 0) rc = -2;
    }
    return rc;
}

}  // namespace

int rebuild_list(int dialog_id, const char *object, int keep) {
    if (!object) return -1;
    UF_STYLER_item_value_type_t items = record(object, UF_STYLER_SUBITEM_VALUES, 0);
    if (ask(dialog_id, &items) != 0) return -1;
    int count = items.count > 0 ? items.count : 0;
    int rc = items.indicator == UF_STYLER_STRING_PTR_VALUE && (items.value.strings || count == 0) &&
                     count <= KV_LIST_MAX_ITEMS ? 0 : -1;
    unsigned char chosen[KV_LIST_MAX_ITEMS];
    memset(chosen, 0, sizeof chosen);
    if (rc == 0 && keep == KV_LIST_INVERTED && ask_selected_items(dialog_id, object, count, chosen) != 0) rc = -1;
    if (rc == 0 && keep == KV_LIST_INVERTED)
        for (int i = 0; i < count; ++i) chosen[i] = !chosen[i];
    if (rc == 0) rc = refill_list(dialog_id, object, count, items.value.strings, chosen);
    release(&items);
    return rc;
}

int is_text_selected(int dialog_id, const char *object, const char *text) {
    if (!text) return 0;
    list_selection selection;
    read_list_selection(dialog_id, object, &selection);
    int selected = selection_has_text(&selection, text);
    release_list_selection(&selection);
    return selected;
}

int read_list_selection(int dialog_id, const char *object, list_selection *selection) {
    if (!selection) return -1;
    memset(selection, 0, sizeof *selection);
    UF_STYLER_item_value_type_t v = record(object, UF_STYLER_VALUE, 0);
    v.indicator = UF_STYLER_STRING_PTR_VALUE;
    if (ask(dialog_id, &v) != 0) return -1;
    selection->value = v;
    selection->held = 1;
    return 0;
}

int selection_has_text(list_selection *selection, const char *text) {
    if (!selection || !text || !selection->held) return 0;
    const UF_STYLER_item_value_type_t &v = selection->value;
    if (v.indicator != UF_STYLER_STRING_PTR_VALUE || !v.value.strings || v.count <= 0) return 0;
    int start = selection->cursor >= 0 && selection->cursor < v.count ? selection->cursor : 0;
    for (int k = 0; k < v.count; ++k) {
        int i = (start + k) % v.count;
        if (kv_equal_nocase(v.value.strings[i], text)) {
            selection->cursor = i + 1;
            return 1;
        }
    }
    return 0;
}

void release_list_selection(list_selection *selection) {
    if (!selection) return;
    if (selection->held) release(&selection->value);
    memset(selection, 0, sizeof *selection);
}
