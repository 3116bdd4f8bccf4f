/* Text sources: attribute titles and the $PART_NAME / $DIR tokens, and title-block notes found
 * by name. */
#ifndef KELVORA_TEXT_SOURCE_H
#define KELVORA_TEXT_SOURCE_H

#include <stddef.h>

#include "nx.h"

/* The text that title stands for on object into text (size bytes): the token's text for
 * $PART_NAME and $DIR, else the object's attribute: a string's text, an integer as written, a
 * real with up to six decimals and no trailing zeros; the empty text for the null object or a
 * missing attribute of another type. Returns text. */
char *read_text_attribute(tag_t object, const char *title, char *text, size_t size);

/* The note (type 25, subtype 1) of group whose NAME attribute equals name (case ignored),
 * or the null tag. */
tag_t find_named_note(tag_t group, const char *name);

/* Replaces the note's text by text as its one line, cut to NX's 132 characters (an empty text
 * becomes one space). 0; -1 for the null note (NX not called); -2 when NX refuses (its text
 * stays). */
int set_note_text(tag_t note, const char *text);

#endif
