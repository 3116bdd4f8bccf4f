/* Text sources: attribute titles and the $PART_NAME / $DIR tokens, title-block notes found by
 * name, and comma lists ("a,b," holds two items: each item is followed by a comma). */
#ifndef KELVORA_TEXT_SOURCE_H
#define KELVORA_TEXT_SOURCE_H

#include <stddef.h>

#include "nx.h"

/* The text that title stands for on object into text (size bytes): the token's text for
 * $PART_NAME and $DIR, else the object's attribute: a string's text, an integer as written, a
 * real with up to six decimals and no trailing zeros; the empty text for the null object or a
 * missing attribute of another type. Returns text. */
char *read_text_attribute(tag_t object, const char *title, char *text, size_t size);

/* The work part's file name without folder and extension into text (size bytes); empty
 * without a work part. Always 0. */
int work_part_name(char *text, size_t size);

/* The name of the folder that holds the work part into text (size bytes); empty without a work
 * part or for a drive root. Always 0. */
int work_part_folder_name(char *text, size_t size);

/* The note (type 25, subtype 1) of group whose NAME attribute equals name (case ignored),
 * or the null tag. */
tag_t find_named_note(tag_t group, const char *name);

/* Replaces the note's text by text as its one line, cut to NX's 132 characters (an empty text
 * becomes one space). 0; -1 for the null note (NX not called); -2 when NX refuses (its text
 * stays). */
int set_note_text(tag_t note, const char *text);

/* The number of items of a comma list (the number of commas); 0 for a null list. */
int list_item_count(const char *list);

/* Item n (from 0) of a comma list into text (size bytes, cut between characters); the empty
 * text when there is no item n. Always 0. */
int list_item(const char *list, int n, char *text, size_t size);

/* The index of the first item equal to text (ASCII case ignored), or -1. */
int list_item_index(const char *list, const char *text);

/* Item index of the comma list in setting key (read afresh) into text (size bytes), never
 * ending in half a double-byte character. 0; -1 and the empty text when the setting is missing
 * or has no such item. */
int setting_list_item(const char *key, int index, char *text, size_t size);

#endif
