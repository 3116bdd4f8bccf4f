/* The process information listing: the EDM process data of every electrode of the drawing
 * dialog, written to NX's listing window. */
#ifndef KELVORA_PROCESS_LISTING_H
#define KELVORA_PROCESS_LISTING_H

#include "nx.h"
#include "drawing/electrode_record.h"

/* Each piece of the report is formatted into a line buffer of this size. */
#define KV_LISTING_LINE_SIZE 1024

/* The INFO_ACTION callback: appends the report of the dialog's records (client_data: its
 * drawing_dialog_state), as stored, selected or not, to the listing window, opening it when
 * needed. Always 0 (the dialog stays open). */
int write_process_listing(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t cb);

/* Writes the report of the list (title and one block per record). The API must be initialised. */
void write_process_report(const electrode_record *head);

#endif
