// Bounded copies, case folding and path separators. Texts are GBK: a byte from 0x81 to 0xFE
// starts a double-byte character whose second byte may look like an ASCII letter, so folding
// and cutting step over whole characters.
#include "config/kv_text.h"

#include <string.h>

int kv_is_path_sep(char c) { return c == '\\' || c == '/'; }

const char *kv_last_path_sep(const char *path) {
    if (!path) return NULL;
    const char *last = NULL;
    // Read by characters: the trail byte of a GBK pair may be 0x5C, a backslash on its own.
    for (const char *p = path; *p; ++p) {
        if (kv_is_gbk_lead((unsigned char)*p) && p[1] != '\0') {
            ++p;
            continue;
        }
        if (kv_is_path_sep(*p)) last = p;
    }
    return last;
}

int kv_is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

size_t kv_copy_n(char *dst, size_t size, const char *src, size_t n) {
    if (!dst || size == 0) return 0;
    size_t len = 0;
    if (src) {
        size_t limit = size - 1;
        while (len < n && src[len] != '\0') {
            size_t step = (kv_is_gbk_lead((unsigned char)src[len]) && len + 1 < n &&
                           src[len + 1] != '\0')
                              ? 2
                              : 1;
            if (len + step > limit) break;
            len += step;
        }
        memmove(dst, src, len);
    }
    dst[len] = '\0';
    return len;
}

size_t kv_copy(char *dst, size_t size, const char *src) { return kv_copy_n(dst, size, src, (size_t)-1); }

// Walked from the start: a trail byte may look like a lead byte.
void kv_drop_split_char(char *text) {
    if (!text) return;
    for (size_t i = 0; text[i] != '\0'; ++i) {
        if (!kv_is_gbk_lead((unsigned char)text[i])) continue;
        if (text[i + 1] == '\0') {
            text[i] = '\0';
            return;
        }
        ++i;
    }
}

void kv_upper(char *text) {
    if (!text) return;
    for (char *p = text; *p; ++p) {
        if (kv_is_gbk_lead((unsigned char)*p)) {
            if (p[1] == '\0') break;
            ++p;
        } else if (*p >= 'a' && *p <= 'z') {
            *p = (char)(*p - 'a' + 'A');
        }
    }
}

static char fold(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

int kv_equal_nocase_n(const char *a, size_t alen, const char *b, size_t blen) {
    if (!a || !b || alen != blen) return 0;
    for (size_t i = 0; i < alen; ++i) {
        if (kv_is_gbk_lead((unsigned char)a[i]) && i + 1 < alen) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return 0;
            ++i;
        } else if (fold(a[i]) != fold(b[i])) {
            return 0;
        }
    }
    return 1;
}

int kv_equal_nocase(const char *a, const char *b) {
    if (!a || !b) return 0;
    return kv_equal_nocase_n(a, strlen(a), b, strlen(b));
}

void kv_append_listed(char *list, size_t size, const char *item) {
    static const char kSeparator[] = "；", kMore[] = "……";
    if (!list || size == 0 || !item || strstr(list, kMore)) return;
    size_t used = strlen(list), sep = used ? strlen(kSeparator) : 0, len = strlen(item);
    if (used + sep + len + sizeof kMore <= size) {
        if (sep) memcpy(list + used, kSeparator, sep);
        memcpy(list + used + sep, item, len + 1);
    } else if (used + sizeof kMore <= size) {
        memcpy(list + used, kMore, sizeof kMore);
    }
}
