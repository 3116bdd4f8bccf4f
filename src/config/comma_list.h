/* Comma lists, as config.dat writes them: "a,b," holds two items (each item is followed by a
 * comma; text after the last comma is no item). No NX here: the stock arithmetic and the
 * listing split their texts without NX's headers. */
#ifndef KELVORA_COMMA_LIST_H
#define KELVORA_COMMA_LIST_H

#include <stddef.h>

/* The number of items of a comma list (the number of commas); 0 for a null list. */
int list_item_count(const char *list);

/* Item n (from 0) of a comma list into text (size bytes, cut between characters); the empty
 * text when there is no item n. Always 0. */
int list_item(const char *list, int n, char *text, size_t size);

/* The index of the first item equal to text (ASCII case ignored), or -1. */
int list_item_index(const char *list, const char *text);

/* Item index of list into text (size bytes), never ending in half a double-byte character (a
 * list read cut may end inside one). 0; -1 and the empty text when the list has no such item. */
int list_item_whole(const char *list, int index, char *text, size_t size);

/* Item index of the comma list in setting key (read afresh) into text (size bytes), never
 * ending in half a double-byte character. 0; -1 and the empty text when the setting is missing
 * or has no such item. */
int setting_list_item(const char *key, int index, char *text, size_t size);

#endif
