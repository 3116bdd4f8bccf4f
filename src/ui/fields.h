/* Reading and writing UIStyler dialog objects. Each operation is one UF_STYLER_ask_value or
 * UF_STYLER_set_value call whose value is released at once; none reports NX's failure: a
 * failed call leaves the output as the operation first set it (0, 0.0 or the empty text).
 * Operations returning int without saying otherwise always return 0. */
#ifndef KELVORA_FIELDS_H
#define KELVORA_FIELDS_H

#include <stddef.h>

#include "nx.h"

/* The object's integer (also a toggle's state or an option menu's item index) into *value; 0
 * when the object holds no integer. */
int ask_int_value(int dialog_id, const char *object, int *value);
/* The object's real into *value; 0.0 when the object holds no real. */
int ask_real_value(int dialog_id, const char *object, double *value);
/* The object's text into text (size bytes, cut to fit, always terminated); the empty text when
 * the object holds no text. */
int ask_string_value(int dialog_id, const char *object, char *text, size_t size);

/* Sets an integer, toggle or option value. */
int set_value(int dialog_id, const char *object, int value);
/* Sets a text field's text (a null text as the empty text). */
int set_string_value(int dialog_id, const char *object, const char *text);
/* Sets a real field's value. */
int set_real_value(int dialog_id, const char *object, double value);
/* Chooses item n (from 0) of an option menu or list. */
int set_choice(int dialog_id, const char *object, int n);
/* Greys (0) or enables the dialog's OK / Apply button. */
int set_ok_sensitive(int dialog_id, int flag);
int set_apply_sensitive(int dialog_id, int flag);

/* Lists and option menus. */
/* The number of items; 0 when NX cannot tell. */
int list_count(int dialog_id, const char *object);
/* The number of items into *count. 0; -1 when NX could not say (*count 0). */
int ask_list_count(int dialog_id, const char *object, int *count);
/* Item n's text into text (size bytes, cut to fit); the empty text when n is out of range. */
int list_item_text(int dialog_id, const char *object, int n, char *text, size_t size);
/* Removes every item. */
int list_clear(int dialog_id, const char *object);
/* Adds text (a null text as the empty text) as the last item. 0; -1 when NX did not add it. */
int list_append(int dialog_id, const char *object, const char *text);
/* Replaces all items by the count items; count <= 0 (or no items) leaves one empty item. */
int set_list_items(int dialog_id, const char *object, int count, char **items);
/* Multi-select lists: 1 when item n is selected, else 0. */
int is_item_selected(int dialog_id, const char *object, int n);
/* Item n becomes selected; the other items keep their state. */
int select_item(int dialog_id, const char *object, int n);

/* What rebuild_list leaves selected. */
#define KV_LIST_NONE 0     /* no item */
#define KV_LIST_INVERTED 1 /* the items that were not selected */
/* The longest multi-select list rebuild_list rebuilds. */
#define KV_LIST_MAX_ITEMS 1024
/* Rebuilds a multi-select list with its own items in their order and selects only the items
 * keep asks for (KV_LIST_NONE or KV_LIST_INVERTED). 0; -1 when its items or selection could not
 * be read or it holds more than KV_LIST_MAX_ITEMS items (the list is left as it was); -2 when NX
 * did not rebuild it as asked (items or their selection may be missing). */
int rebuild_list(int dialog_id, const char *object, int keep);
/* 1 when text (ASCII case ignored) is the text of a selected item, else 0. */
int is_text_selected(int dialog_id, const char *object, const char *text);

/* The selected items' texts of a multi-select list, read with one ask and held until
 * release_list_selection, so that many texts can be tested against one reading. Only valid
 * within the callback that read it: the user changes the selection between callbacks. */
typedef struct list_selection_s {
    UF_STYLER_item_value_type_t value;
    int held;    /* 1 while value holds NX's answer */
    int cursor;  /* where the next search starts */
} list_selection;
/* Reads the selection (cleared first). 0; -1 when NX gave none (nothing is then selected). */
int read_list_selection(int dialog_id, const char *object, list_selection *selection);
/* 1 when text (ASCII case ignored) is one of the selection's texts, else 0. Searches from the
 * item after the last one found, so that texts asked in list order cost one look each. */
int selection_has_text(list_selection *selection, const char *text);
/* Releases NX's value; the selection is then empty. */
void release_list_selection(list_selection *selection);

#endif
