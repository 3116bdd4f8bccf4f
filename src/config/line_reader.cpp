// Block-wise line reading for config.dat and custom_dirs.dat.
#include "config/line_reader.h"

#include <string.h>

void kv_line_reader_init(kv_line_reader_t *reader, FILE *file) {
    reader->file = file;
    reader->pos = 0;
    reader->len = 0;
    reader->at_end = file ? 0 : 1;
    reader->failed = 0;
}

/* 1 and a line (ended by a break or by the end of the file), or 0 at the end. */
int kv_read_line(kv_line_reader_t *reader, char *line, size_t size, int *had_break) {
    size_t kept = 0;
    int got_any = 0;
    *had_break = 0;
    if (size > 0) line[0] = '\0';
    for (;;) {
        if (reader->pos == reader->len) {
            if (reader->at_end) break;
            reader->len = fread(reader->block, 1, sizeof reader->block, reader->file);
            reader->pos = 0;
            if (reader->len == 0) {
                reader->at_end = 1;
                if (ferror(reader->file)) reader->failed = 1;
                break;
            }
        }
        const char *start = reader->block + reader->pos;
        size_t avail = reader->len - reader->pos;
        const char *lf = (const char *)memchr(start, '\n', avail);
        const char *cr = (const char *)memchr(start, '\r', lf ? (size_t)(lf - start) : avail);
        const char *brk = cr ? cr : lf;
        size_t seg = brk ? (size_t)(brk - start) : avail;
        // Keep what fits; the rest of a long line is read and dropped.
        if (size > 0 && kept < size - 1) {
            size_t take = seg < size - 1 - kept ? seg : size - 1 - kept;
            memcpy(line + kept, start, take);
            kept += take;
        }
        got_any = 1;
        if (brk) {
            reader->pos += seg + 1;
            *had_break = 1;
            break;
        }
        reader->pos = reader->len;
    }
    if (size > 0) line[kept] = '\0';
    return got_any;
}
