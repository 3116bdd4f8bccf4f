// Saving and giving back the WCS around the work done in an electrode's coordinate system.
#include "drawing/wcs.h"

#include <string.h>

int save_wcs(double origin[3], double matrix[9]) {
    if (!origin || !matrix) return -1;
    for (int i = 0; i < 3; ++i) origin[i] = 0;
    for (int i = 0; i < 9; ++i) matrix[i] = 0;
    tag_t wcs = NULL_TAG, matrix_tag = NULL_TAG;
    if (UF_CSYS_ask_wcs(&wcs) != 0 || UF_CSYS_ask_csys_info(wcs, &matrix_tag, origin) != 0 ||
        UF_CSYS_ask_matrix_values(matrix_tag, matrix) != 0) {
        for (int i = 0; i < 3; ++i) origin[i] = 0;
        for (int i = 0; i < 9; ++i) matrix[i] = 0;
        return -1;
    }
    return 0;
}

int restore_wcs(const double origin[3], const double matrix[9]) {
    if (!origin || !matrix) return -1;
    tag_t matrix_tag = NULL_TAG;
    if (UF_CSYS_create_matrix(matrix, &matrix_tag) != 0 || matrix_tag == NULL_TAG) return -1;
    tag_t csys = NULL_TAG;
    if (UF_CSYS_create_temp_csys(origin, matrix_tag, &csys) != 0 || csys == NULL_TAG) return -1;
    return UF_CSYS_set_wcs(csys) == 0 ? 0 : -1;
}

int keep_wcs(saved_wcs *saved) {
    memset(saved, 0, sizeof *saved);
    if (save_wcs(saved->origin, saved->matrix) == 0 && UF_CSYS_ask_wcs(&saved->csys) == 0) return 0;
    return save_wcs(saved->origin, saved->matrix) == 0 && UF_CSYS_ask_wcs(&saved->csys) == 0 ? 0 : -1;
}

void give_back_wcs(const saved_wcs *saved) {
    if (restore_wcs(saved->origin, saved->matrix) == 0) return;
    if (saved->csys != NULL_TAG && UF_CSYS_set_wcs(saved->csys) == 0) return;
    restore_wcs(saved->origin, saved->matrix);
}
