// Code 128: set choice (the rules of ISO/IEC 15417's Annex E for printable ASCII), check value
// and the bar and space widths of each symbol value.
#include "drawing/code128.h"

#include <string.h>

namespace {

// Bar, space, bar, space, bar, space widths of each value (the stop has a seventh, a bar).
const char *const kWidths[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112",
};

int is_digit(char c) { return c >= '0' && c <= '9'; }

size_t digit_run(const char *p) {
    size_t n = 0;
    while (is_digit(p[n])) ++n;
    return n;
}

struct symbol {
    int *values;
    int max, count;
};

int push(symbol *s, int value) {
    if (s->count >= s->max) return -1;
    s->values[s->count++] = value;
    return 0;
}

// Pairs of digits in set C.
int push_pairs(symbol *s, const char *p, size_t pairs) {
    for (size_t i = 0; i < pairs; ++i)
        if (push(s, (p[2 * i] - '0') * 10 + (p[2 * i + 1] - '0')) != 0) return -1;
    return 0;
}

// The data's values after the start, switching sets by the rules (data checked beforehand).
int push_data(symbol *s, const char *data, int in_c) {
    const char *p = data;
    if (in_c) {
        size_t run = digit_run(p);
        if (push_pairs(s, p, run / 2) != 0) return -1;
        p += run / 2 * 2;
        if (*p && push(s, KV_C128_CODE_B) != 0) return -1;
    }
    while (*p) {
        size_t run = digit_run(p);
        if (run < 4) {
            if (push(s, *p - 32) != 0) return -1;
            ++p;
            continue;
        }
        // An odd run keeps its first digit in set B.
        if (run % 2 == 1) {
            if (push(s, *p - 32) != 0) return -1;
            ++p;
            --run;
        }
        if (push(s, KV_C128_CODE_C) != 0 || push_pairs(s, p, run / 2) != 0) return -1;
        p += run;
        if (*p && push(s, KV_C128_CODE_B) != 0) return -1;
    }
    return 0;
}

}  // namespace

int code128_values(const char *data, int *values, int max) {
    if (!data || !values || data[0] == '\0') return -1;
    for (const char *p = data; *p; ++p)
        if ((unsigned char)*p < 0x20 || (unsigned char)*p > 0x7e) return -1;
    size_t lead = digit_run(data), n = strlen(data);
    int in_c = lead >= 4 || (n == 2 && lead == 2);
    symbol s = {values, max, 0};
    if (push(&s, in_c ? KV_C128_START_C : KV_C128_START_B) != 0 || push_data(&s, data, in_c) != 0) return -1;
    long sum = s.values[0];
    for (int i = 1; i < s.count; ++i) sum += (long)i * s.values[i];
    if (push(&s, (int)(sum % 103)) != 0 || push(&s, KV_C128_STOP) != 0) return -1;
    return s.count;
}

int code128_modules(const char *data, char *bars, size_t size) {
    if (!bars || size == 0) return -1;
    bars[0] = '\0';
    int values[256];
    int count = code128_values(data, values, (int)(sizeof values / sizeof values[0]));
    if (count < 0) return -1;
    size_t n = 0;
    for (int i = 0; i < count; ++i) {
        const char *w = kWidths[values[i]];
        for (int k = 0; w[k]; ++k)
            for (int m = 0; m < w[k] - '0'; ++m) {
                if (n + 1 >= size) {
                    bars[0] = '\0';
                    return -1;
                }
                bars[n++] = k % 2 == 0 ? '1' : '0';
            }
    }
    bars[n] = '\0';
    return (int)n;
}
