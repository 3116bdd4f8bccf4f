// The electrode process drawing. Not built yet: a record with both view tags gets 0 and no
// sheet; without them nothing can be drawn, as later on.
#include "drawing/electrode_drawing.h"

/* -1 when a view tag is null, else 0; makes nothing yet. */
int make_electrode_drawing(const char *name, electrode_data data) {
    (void)name;
    if (data.top_view_tag == NULL_TAG || data.iso_view_tag == NULL_TAG) return -1;
    return 0;
}
