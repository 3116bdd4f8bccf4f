/* Reading text files line by line for the configuration readers: a line ends at a line feed
 * or a carriage return, only its first bytes are kept and the rest of it is dropped. The file
 * is read in blocks and most lines are looked at where they lie in the block, so a scan costs
 * little more than reading the file. */
#ifndef KELVORA_LINE_READER_H
#define KELVORA_LINE_READER_H

#include <stddef.h>
#include <stdio.h>
#include <string.h>

typedef struct kv_line_reader_s {
    FILE *file;
    size_t pos;      /* next unread byte of block */
    size_t len;      /* bytes in block */
    int at_end;      /* the stream reported end of file or a read error */
    int failed;      /* the stream reported a read error (a folder opened as a file, say) */
    size_t next_lf;  /* index of the next line feed in block at or after pos, or len */
    size_t next_cr;  /* the same for the next carriage return */
    char block[16384];
} kv_line_reader_t;

/* Makes reader read file from its current position (a null file reads as an empty one). The
 * stream's own buffering is turned off. */
void kv_line_reader_init(kv_line_reader_t *reader, FILE *file);

/* The index of the next c in the block at or after pos, or the block's length. */
static inline size_t kv_find_in_block(const kv_line_reader_t *reader, char c) {
    const char *hit = (const char *)memchr(reader->block + reader->pos, c, reader->len - reader->pos);
    return hit ? (size_t)(hit - reader->block) : reader->len;
}

/* The next line, without its break, as *text and *length: inside the reader's block when the
 * line lies in it, else gathered in spill (spill_size bytes: the first spill_size-1 bytes kept,
 * the rest dropped). The text may be longer than the caller keeps and is not terminated.
 * 1 when a line was read: *had_break is 1 when it ended at a line break, 0 when the file ended
 * first. 0 when the file was already at its end. */
int kv_next_line_slow(kv_line_reader_t *reader, const char **text, size_t *length, char *spill,
                      size_t spill_size, int *had_break);

/* The next line, as kv_next_line_slow gives it, with the common case (a whole line inside the
 * block) inline: a scan of config.dat takes it for nearly every line. */
static inline int kv_next_line(kv_line_reader_t *reader, const char **text, size_t *length,
                               char *spill, size_t spill_size, int *had_break) {
    if (reader->pos < reader->len) {
        // Each kind of break is searched once per stretch of the block, not once per line.
        if (reader->next_lf < reader->pos) reader->next_lf = kv_find_in_block(reader, '\n');
        if (reader->next_cr < reader->pos) reader->next_cr = kv_find_in_block(reader, '\r');
        size_t brk = reader->next_lf < reader->next_cr ? reader->next_lf : reader->next_cr;
        if (brk < reader->len) {
            *text = reader->block + reader->pos;
            *length = brk - reader->pos;
            reader->pos = brk + 1;
            *had_break = 1;
            return 1;
        }
    }
    return kv_next_line_slow(reader, text, length, spill, spill_size, had_break);
}

/* kv_next_line copied into line (size bytes, the first size-1 bytes of the line kept, always
 * terminated); the empty text at the end. */
int kv_read_line(kv_line_reader_t *reader, char *line, size_t size, int *had_break);

#endif
