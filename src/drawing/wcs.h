/* Saving the work coordinate system (WCS) before the plug-in turns it to an electrode's system,
 * and giving it back afterwards. */
#ifndef KELVORA_WCS_H
#define KELVORA_WCS_H

#include "nx.h"

/* The WCS as the user had it: its values, and its coordinate system for when a new system
 * cannot be made from the values. */
typedef struct saved_wcs_s {
    double origin[3];
    double matrix[9];
    tag_t  csys;
} saved_wcs;

/* The WCS's origin and nine matrix values. 0, or -1 with zero outputs. */
int save_wcs(double origin[3], double matrix[9]);

/* Makes a new temporary coordinate system of origin and matrix the WCS. 0, or -1 when NX did
 * not make it the WCS. */
int restore_wcs(const double origin[3], const double matrix[9]);

/* Fills saved (cleared first) with the WCS's values and system, asking once more when NX fails:
 * a passing failure must not cost the user's WCS. 0, or -1 when the WCS could not be read (the
 * caller then must not move it). */
int keep_wcs(saved_wcs *saved);

/* Makes the saved WCS the WCS again: from its values, else its system, else from the values
 * once more. */
void give_back_wcs(const saved_wcs *saved);

#endif
