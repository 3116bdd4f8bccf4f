/* Small text and path helpers shared by the plug-in: bounded copies, ASCII case folding that
 * leaves GBK double-byte characters alone, and the platform's path separator. */
#ifndef KELVORA_KV_TEXT_H
#define KELVORA_KV_TEXT_H

#include <stddef.h>

/* Paths are joined with the platform's separator (NX and config.dat expect a backslash on
 * Windows); paths that come from outside are split at either separator. */
#ifdef _WIN32
#define KV_PATH_SEP '\\'
#define KV_PATH_SEP_STR "\\"
#else
#define KV_PATH_SEP '/'
#define KV_PATH_SEP_STR "/"
#endif

/* 1 when c separates folders ('\\' or '/'), else 0. */
int kv_is_path_sep(char c);

/* The last separator of path, read by GBK characters (a pair's trail byte is no separator), or
 * NULL when it has none. */
const char *kv_last_path_sep(const char *path);

/* 1 when c is the first byte of a GBK double-byte character, else 0. Inline: the scans of
 * config.dat ask it for every byte they compare. */
static inline int kv_is_gbk_lead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

/* 1 for the ASCII white-space characters (space, tab, CR, LF, VT, FF), else 0. */
int kv_is_space(char c);

/* Copies the first n bytes of src (fewer when it ends sooner) into dst of size bytes, cut to
 * fit without splitting a double-byte character; always terminated when size > 0. Returns the
 * number of bytes copied. */
size_t kv_copy_n(char *dst, size_t size, const char *src, size_t n);

/* kv_copy_n of the whole text; a null src gives the empty text. */
size_t kv_copy(char *dst, size_t size, const char *src);

/* Ends text before a lead byte that has no trail byte left (a text cut by a routine that does
 * not know GBK, or a malformed setting), so that it never ends in half a character. */
void kv_drop_split_char(char *text);

/* Upper-cases the ASCII letters of text in place; double-byte characters are left alone. */
void kv_upper(char *text);

/* 1 when a (alen bytes) and b (blen bytes) are the same text apart from the case of ASCII
 * letters, else 0. The trail byte of a double-byte character, which may look like a letter,
 * must match exactly. */
int kv_equal_nocase_n(const char *a, size_t alen, const char *b, size_t blen);

/* kv_equal_nocase_n of two terminated texts; a null text equals nothing. */
int kv_equal_nocase(const char *a, const char *b);

/* Adds item to a list of what a run left undone ("A；B"), in list (size bytes); when it does not
 * fit, the list ends in "……" instead and takes no more. */
void kv_append_listed(char *list, size_t size, const char *item);

#endif
