// Small helpers the host's files share: the session's parts, error texts, checks of the reals
// the plug-in passes, the numbers and layer lists of part files, names and handed-out arrays.
// Internal to the host.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "state.h"

namespace nxsim {

// The session's work part and displayed part; null when there is none.
inline Part* work_part() { return part(S().work_part); }
inline Part* display_part() { return part(S().display_part); }

// Gives an error code of the host its text for UF_get_fail_message, when first returned.
inline void say(int code, const char* text) { S().messages[code] = text; }

// Whether all three numbers are finite.
inline bool finite3(const double* v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

// A point or direction in the axes of m (its rows, as a matrix object keeps them): out = m v,
// out apart from v.
inline void to_axes(const double* m, const double v[3], double out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = m[3 * i] * v[0] + m[3 * i + 1] * v[1] + m[3 * i + 2] * v[2];
}
// Back from the axes of m: out = v[0] X + v[1] Y + v[2] Z, X, Y and Z its rows; out apart from v.
inline void from_axes(const double* m, const double v[3], double out[3]) {
    for (int a = 0; a < 3; ++a) out[a] = m[a] * v[0] + m[3 + a] * v[1] + m[6 + a] * v[2];
}

// Whether the first `rows` rows of m (3 numbers each) are unit vectors at right angles, within
// 1e-6 (the axes of a matrix, or X and Y of a coordinate system). Anything not finite fails.
bool orthonormal(const double* m, int rows = 3);

// The n numbers as a part file writes them: rounded to multiples of 1/unit, so that values
// that differ by rounding noise write the same text, and never "-0".
json rounded(const double* v, int n, double unit = 1e9);

// A layer table (mask[0] is layer 1, 256 entries) as a part file writes it: the layers in order,
// a run of two or more as "a-b".
template <class Mask>
json layer_ranges(const Mask& mask) {
    json out = json::array();
    for (int l = 1; l <= 256; ++l) {
        if (!mask[l - 1]) continue;
        int e = l;
        while (e < 256 && mask[e]) ++e;
        if (e > l)
            out.push_back(std::to_string(l) + "-" + std::to_string(e));
        else
            out.push_back(l);
        l = e;
    }
    return out;
}

// The last component of a path; paths may carry either separator, '/' or '\'.
std::string leaf_name(const std::string& path);

// Whether the texts are equal with ASCII letter case ignored (no copies: parts hold many names).
bool same_nocase(const char* a, size_t alen, const char* b, size_t blen);
inline bool same_nocase(const std::string& a, const std::string& b) {
    return same_nocase(a.data(), a.size(), b.data(), b.size());
}

// The tags as an array handed out by the call (in the ledger; the plug-in frees it with UF_free),
// or null for none.
tag_t* tag_array(const std::vector<tag_t>& tags, const char* call);

// NX's default palette, a 6x6x6 cube: colour 1 + 36 g + 6 r + b, where each digit counts its
// component down from full. The levels of red, green and blue, 0 (none) to 5 (full).
inline void palette_levels(int color, int levels[3]) {
    int k = color - 1;
    levels[0] = 5 - (k / 6) % 6;
    levels[1] = 5 - k / 36;
    levels[2] = 5 - k % 6;
}

}  // namespace nxsim
