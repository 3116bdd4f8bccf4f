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

/* Size of a note name as find_named_note compares it: 1023 bytes and the terminator. */
#define KV_NOTE_NAME_SIZE 1024

/* One group's members, read once for one drawing: each member's type and subtype, and the NAME
 * attribute of its notes. The steps that fill one imported template (line widths, colours, the
 * named notes) look here instead of asking NX again for every field; nothing of it outlives
 * the drawing. */
typedef struct group_members_s {
    tag_t group;
    int read;                          /* 1 when the members are here; 0 (NX could not list them
                                          or memory ran out): lookups ask NX afresh */
    int count;
    tag_t *tags;                       /* NX's array, released with UF_free */
    int *types;                        /* -1 where NX could not say */
    int *subtypes;
    char (*names)[KV_NOTE_NAME_SIZE];  /* each note's NAME; empty for other members */
} group_members;

/* Reads group's members into m (cleared first). 0; -1 when NX could not list them or memory ran
 * out (m->read 0: find_note_in then asks NX as find_named_note does). */
int read_group_members(tag_t group, group_members *m);

/* find_named_note over a reading of the group: the first note whose NAME equals name (case
 * ignored), or the null tag. */
tag_t find_note_in(const group_members *m, const char *name);

/* Frees what m holds and clears it. */
void release_group_members(group_members *m);

/* Replaces the note's text by text as its one line, cut to NX's 132 characters (an empty text
 * becomes one space). 0; -1 for the null note (NX not called); -2 when NX refuses (its text
 * stays). */
int set_note_text(tag_t note, const char *text);

#endif
