// The stock list and the blank chosen for each electrode.
#include "drawing/job_sheet_stock.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "config/comma_list.h"

namespace {

// Ties in volume or length are judged to a relative part in a billion: "40x30x60" and
// "30x40x60" hold the same volume however the products round.
const double kTieTolerance = 1e-9;

// A positive finite number filling text[0..n) exactly, into *out. 0, or -1.
int parse_size(const char *text, size_t n, double *out) {
    char buf[KV_SIZE_TEXT_SIZE];
    if (n == 0 || n >= sizeof buf) return -1;
    memcpy(buf, text, n);
    buf[n] = '\0';
    // strtod would take " 5", "+5", "0x1p3", "inf" and "nan": only digits and one '.' pass.
    int dots = 0, digits = 0;
    for (size_t i = 0; i < n; ++i) {
        if (buf[i] == '.') ++dots;
        else if (buf[i] >= '0' && buf[i] <= '9') ++digits;
        else return -1;
    }
    if (dots > 1 || digits == 0) return -1;
    double v = strtod(buf, NULL);
    if (!isfinite(v) || !(v > 0)) return -1;
    *out = v;
    return 0;
}

int same(double a, double b) { return fabs(a - b) <= kTieTolerance * (fabs(a) > fabs(b) ? fabs(a) : fabs(b)); }

// 1 when the blank candidate beats best (volume, then length; a tie keeps the earlier one).
int better(const job_blank *candidate, const job_blank *best) {
    double v = candidate->a * candidate->b * candidate->l, w = best->a * best->b * best->l;
    if (!same(v, w)) return v < w;
    if (!same(candidate->l, best->l)) return candidate->l < best->l;
    return 0;
}

void trim_zeros(char *text) {
    size_t n = strlen(text);
    if (!strchr(text, '.')) return;
    while (n > 0 && text[n - 1] == '0') text[--n] = '\0';
    if (n > 0 && text[n - 1] == '.') text[--n] = '\0';
}

}  // namespace

int parse_blank(const char *item, job_blank *blank) {
    if (!blank) return -1;
    memset(blank, 0, sizeof *blank);
    if (!item) return -1;
    double v[3];
    const char *p = item;
    for (int k = 0; k < 3; ++k) {
        size_t n = strcspn(p, "xX");
        if ((k < 2 && p[n] == '\0') || (k == 2 && p[n] != '\0')) return -1;
        if (parse_size(p, n, &v[k]) != 0) return -1;
        p += n + (k < 2 ? 1 : 0);
    }
    blank->a = v[0];
    blank->b = v[1];
    blank->l = v[2];
    return 0;
}

int parse_stock_list(const char *text, job_stock_list *list) {
    if (!list) return 0;
    memset(list, 0, sizeof *list);
    if (!text) return 0;
    int n = list_item_count(text);
    for (int i = 0; i < n && !list->cut; ++i) {
        // As long as a setting can be: a cut item could read as another, wrong size.
        char item[1024];
        list_item(text, i, item, sizeof item);
        job_blank blank;
        if (parse_blank(item, &blank) != 0) continue;
        if (list->count == KV_STOCK_MAX)
            list->cut = 1;
        else
            list->blanks[list->count++] = blank;
    }
    return list->count;
}

int choose_stock(const job_stock_list *list, const double size[3], double clearance, double clamp,
                 job_stock_choice *choice) {
    if (!choice) return -2;
    memset(choice, 0, sizeof *choice);
    choice->index = -1;
    if (!list || !size) return -2;
    choice->need[0] = size[0] + 2 * clearance;
    choice->need[1] = size[1] + 2 * clearance;
    choice->need[2] = size[2] + clamp;
    const double *need = choice->need;
    for (int i = 0; i < list->count; ++i) {
        const job_blank *k = &list->blanks[i];
        if (k->l < need[2]) continue;
        int straight = k->a >= need[0] && k->b >= need[1];
        int turned = !straight && k->a >= need[1] && k->b >= need[0];
        if (!straight && !turned) continue;
        if (choice->index >= 0 && !better(k, &list->blanks[choice->index])) continue;
        choice->index = i;
        choice->turned = turned;
    }
    return choice->index >= 0 ? 0 : -1;
}

int format_size(const double v[3], char *text, size_t size) {
    if (!text || size == 0) return -1;
    text[0] = '\0';
    if (!v) return -1;
    char part[3][KV_SIZE_TEXT_SIZE];
    for (int k = 0; k < 3; ++k) {
        if (!isfinite(v[k]) || fabs(v[k]) > 1e12) return -1;
        snprintf(part[k], sizeof part[k], "%.3f", fabs(v[k]) < 0.0005 ? 0.0 : v[k]);
        trim_zeros(part[k]);
    }
    int n = snprintf(text, size, "%sx%sx%s", part[0], part[1], part[2]);
    if (n < 0 || (size_t)n >= size) {
        text[0] = '\0';
        return -1;
    }
    return 0;
}
