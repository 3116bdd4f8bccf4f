// Comma lists: every item is followed by a comma ("CU,GR," holds two items); text after the
// last comma is no item. Lists are walked in place, so no item or list length is limited.
#include "config/comma_list.h"

#include <string.h>

#include "config/kv_text.h"
#include "config/settings.h"

int list_item_count(const char *list) {
    if (!list) return 0;
    int count = 0;
    for (const char *p = list; *p; ++p)
        if (*p == ',') ++count;
    return count;
}

int list_item(const char *list, int n, char *text, size_t size) {
    if (text && size > 0) text[0] = '\0';
    if (!list || !text || size == 0 || n < 0) return 0;
    const char *start = list;
    int index = 0;
    for (const char *p = list; *p; ++p) {
        if (*p != ',') continue;
        if (index == n) {
            kv_copy_n(text, size, start, (size_t)(p - start));
            return 0;
        }
        ++index;
        start = p + 1;
    }
    return 0;
}

int list_item_index(const char *list, const char *text) {
    if (!list || !text) return -1;
    size_t text_len = strlen(text);
    const char *start = list;
    int index = 0;
    for (const char *p = list; *p; ++p) {
        if (*p != ',') continue;
        if (kv_equal_nocase_n(start, (size_t)(p - start), text, text_len)) return index;
        ++index;
        start = p + 1;
    }
    return -1;
}

int list_item_whole(const char *list, int index, char *text, size_t size) {
    if (!text || size == 0) return -1;
    text[0] = '\0';
    if (!list || index < 0 || index >= list_item_count(list)) return -1;
    list_item(list, index, text, size);
    // A lead byte just before the comma has lost its trail byte: it is no character.
    kv_drop_split_char(text);
    return 0;
}

int setting_list_item(const char *key, int index, char *text, size_t size) {
    if (!text || size == 0) return -1;
    text[0] = '\0';
    char list[KV_SETTING_BUFSIZE];
    read_setting(key, list, sizeof list);
    return list_item_whole(list, index, text, size);
}
