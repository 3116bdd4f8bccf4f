/* The title block of an electrode drawing: the template's notes named by their NAME attribute
 * get the electrode's process data, the date and the user-defined fields. */
#ifndef KELVORA_TITLE_BLOCK_H
#define KELVORA_TITLE_BLOCK_H

#include <stddef.h>

#include "nx.h"
#include "drawing/electrode_record.h"
#include "drawing/process_fields.h"
#include "electrode/text_source.h"

/* Field texts: 255 characters and the terminator. */
#define KV_FIELD_TEXT_SIZE 256
/* A date as the title block shows it: "2026/12/07". */
#define KV_DATE_SIZE 32

/* Gives each note of the template group named after a process field that field's text from
 * data (the process field table's text form), and the note DATE today's date; notes the template
 * does not have are skipped. The choice lists are read afresh for every call. 0, or -1 for the
 * null group (nothing written). */
int fill_title_block(tag_t group, electrode_data data);

/* Fills the notes named in ELECTRODE_USER_DEFINE_INFO with the body's texts for the attribute
 * titles of ELECTRODE_USER_DEFINE_ATTR_NAME, paired by position. 0; -1 when the body or group
 * is null, -2 when the two lists are empty or differ in length (nothing written then). */
int fill_user_defined_notes(tag_t body, tag_t group);

/* The two fills above over one reading of the template group (read_group_members), made once
 * for the drawing; the same results, with the null group read as -1. */
int fill_title_block_notes(const group_members *notes, electrode_data data);
int fill_user_defined_notes_in(tag_t body, const group_members *notes);

/* Today's local date as year/month/day with two-digit month and day into text (size bytes).
 * 0; -1 when text is null or the date cannot be had (text then empty). */
int format_today(char *text, size_t size);

/* The date form of format_today for the given day. 0, or -1 when text is null. */
int format_date(int year, int month, int day, char *text, size_t size);

#endif
