/* The EDM process fields of an electrode drawing record, listed once: the dialog object that
 * edits each, the template note that shows it on the title block, its label in the listing, and
 * its text form. The dialog, the title block, the listing and the job sheet all read this table,
 * so a new field is one row here (plus the record, the dialog file and the template). */
#ifndef KELVORA_PROCESS_FIELDS_H
#define KELVORA_PROCESS_FIELDS_H

#include <stddef.h>

#include "drawing/electrode_record.h"
#include "config/settings.h"

/* How a field is kept in the record and edited in the dialog. */
typedef enum process_field_kind_e {
    KV_FIELD_TEXT,    /* a text field and the record's text */
    KV_FIELD_CHOICE,  /* an option menu and the index of its item in a setting's comma list */
    KV_FIELD_REAL,    /* a real field (a gap) */
    KV_FIELD_COUNT,   /* an integer field */
    KV_FIELD_FLAG,    /* a toggle: 0 off, else on */
    KV_FIELD_PERSON   /* an option menu and the text of its item */
} process_field_kind;

typedef struct process_field_s {
    const char        *object;        /* the drawing dialog's object; null: not edited there */
    const char        *note;          /* the title block note named so */
    process_field_kind kind;
    size_t             offset;        /* of the value in electrode_data */
    const char        *setting;       /* choices and persons: the setting holding the items */
    const char        *listing_before;/* listing: a piece written before the field, or null */
    const char        *listing_label; /* listing: the label, right-aligned in 8 bytes */
    int                listing_ends_line;
} process_field;

/* The fields in the order of the listing (the dialog's option menus load in this order too). */
extern const process_field kv_process_fields[];
extern const int kv_process_field_count;

/* The choice fields, in the order of the table. */
enum { KV_CHOICE_MATERIAL, KV_CHOICE_METHOD, KV_CHOICE_MACHINE, KV_CHOICE_COUNT };

/* The comma lists of the choice fields, read once for one action so that every record of it
 * names its choices from the same lists. */
typedef struct process_choice_lists_s {
    char list[KV_CHOICE_COUNT][KV_SETTING_BUFSIZE];
} process_choice_lists;

/* Reads the lists from the settings (a missing one is empty). */
void read_process_choice_lists(process_choice_lists *lists);

/* Item index of choice list choice into text (size bytes); empty when the index lies beyond the
 * list. 0; -1 for a null argument or an unknown choice (text then empty when it can be). */
int process_choice_text(const process_choice_lists *lists, int choice, int index, char *text, size_t size);

/* The field's text as the title block shows it, into text (size bytes, cut without splitting a
 * double-byte character): texts and persons as kept, choices as their item, gaps trimmed
 * ("0.300000" -> "0.3"), counts in decimal, flags "x" or " ". 0; -1 for a null argument. */
int process_field_text(const process_field *field, const electrode_data *data,
                       const process_choice_lists *lists, char *text, size_t size);

/* The value of a field in data. */
const void *process_field_value(const electrode_data *data, const process_field *field);
void *process_field_value(electrode_data *data, const process_field *field);

/* Drops the zeros after the last decimal point of a number's text, and the point when nothing
 * follows it ("0.300000" -> "0.3", "2.000000" -> "2"). A text without a point, whose last point
 * comes first, or with anything but digits after it (an exponent) stays. 0, or -1 for a null
 * text. */
int trim_real_text(char *text);

/* A gap's text: "%f" of value, trimmed. 0, or -1 when text is null. */
int format_gap(double value, char *text, size_t size);

#endif
