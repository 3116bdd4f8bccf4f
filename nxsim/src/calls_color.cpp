// NX's colour table and the nearest-colour lookup.
#include <cmath>

#include "util.h"

using namespace nxsim;

namespace {

bool has_part() { return display_part() != nullptr || work_part() != nullptr; }

// The colour's red, green and blue, 0 to 1 (1 white, 6 yellow, 36 green, 186 red, 211 blue,
// 216 black).
void table_rgb(int color, double rgb[3]) {
    int levels[3];
    palette_levels(color, levels);
    for (int i = 0; i < 3; ++i) rgb[i] = levels[i] / 5.0;
}

}  // namespace

extern "C" {

// Loads NX's default colour table, which the host always has; 0, or NX's error code (640004 without a part).
int UF_DISP_load_color_table(void) {
    if (int rc = enter("UF_DISP_load_color_table")) return rc;
    if (!has_part()) return ERR_NO_WORK_PART;
    return 0;
}

// The palette's colour nearest the RGB values; 0, or NX's error code. Host's choice: the lower number on a tie.
int UF_DISP_ask_closest_color(int clr_model, double clr_values[3], int clr_cmp_mtd, int* clr_num) {
    if (clr_num) *clr_num = 0;
    if (int rc = enter("UF_DISP_ask_closest_color")) return rc;
    if (!clr_values || !clr_num) return ERR_BAD_ARG;
    if (clr_model != UF_DISP_rgb_model || clr_cmp_mtd != UF_DISP_CCM_EUCLIDEAN_DISTANCE) return ERR_BAD_ARG;
    for (int i = 0; i < 3; ++i)
        if (!(clr_values[i] >= 0.0 && clr_values[i] <= 1.0)) return ERR_BAD_ARG;
    if (!has_part()) return ERR_NO_WORK_PART;
    // The background (0) is never an answer; ties go to the lower number.
    int best = 1;
    double best_d = INFINITY;
    for (int c = UF_OBJ_MIN_COLOR; c <= UF_OBJ_MAX_COLOR; ++c) {
        double rgb[3];
        table_rgb(c, rgb);
        double d = 0;
        for (int i = 0; i < 3; ++i) d += (rgb[i] - clr_values[i]) * (rgb[i] - clr_values[i]);
        if (d < best_d) {
            best_d = d;
            best = c;
        }
    }
    *clr_num = best;
    return 0;
}

}  // extern "C"
