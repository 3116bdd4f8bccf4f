// Block-wise line reading for config.dat and custom_dirs.dat.
#include "config/line_reader.h"

#include <string.h>

void kv_line_reader_init(kv_line_reader_t *reader, FILE *file) {
    // The reader buffers whole blocks itself: the stream's own buffer would only add a copy
    // (and, on some C libraries, an allocation and a file-status query per file).
    if (file) setvbuf(file, NULL, _IONBF, 0);
    reader->file = file;
    reader->pos = 0;
    reader->len = 0;
    reader->at_end = file ? 0 : 1;
    reader->failed = 0;
    reader->next_lf = 0;
    reader->next_cr = 0;
}

namespace {

/* Reads the next block; 0 at the end of the file or on a read error. */
int refill(kv_line_reader_t *reader) {
    if (reader->at_end) return 0;
    reader->len = fread(reader->block, 1, sizeof reader->block, reader->file);
    reader->pos = 0;
    if (reader->len == 0) {
        reader->at_end = 1;
        if (ferror(reader->file)) reader->failed = 1;
        return 0;
    }
    reader->next_lf = kv_find_in_block(reader, '\n');
    reader->next_cr = kv_find_in_block(reader, '\r');
    return 1;
}

/* The index of the next line break at or after pos, or the block's length. */
size_t next_break(kv_line_reader_t *reader) {
    if (reader->next_lf < reader->pos) reader->next_lf = kv_find_in_block(reader, '\n');
    if (reader->next_cr < reader->pos) reader->next_cr = kv_find_in_block(reader, '\r');
    return reader->next_lf < reader->next_cr ? reader->next_lf : reader->next_cr;
}

}  // namespace

int kv_next_line_slow(kv_line_reader_t *reader, const char **text, size_t *length, char *spill,
                      size_t spill_size, int *had_break) {
    *text = spill;
    *length = 0;
    *had_break = 0;
    if (reader->pos == reader->len && !refill(reader)) return 0;
    size_t brk = next_break(reader);
    if (brk < reader->len) {
        *text = reader->block + reader->pos;
        *length = brk - reader->pos;
        reader->pos = brk + 1;
        *had_break = 1;
        return 1;
    }
    // The line runs past the block: gather what fits, drop the rest.
    size_t kept = 0;
    for (;;) {
        size_t seg = brk - reader->pos;
        if (spill_size > 0 && kept < spill_size - 1) {
            size_t take = seg < spill_size - 1 - kept ? seg : spill_size - 1 - kept;
            memcpy(spill + kept, reader->block + reader->pos, take);
            kept += take;
        }
        if (brk < reader->len) {
            reader->pos = brk + 1;
            *had_break = 1;
            break;
        }
        reader->pos = reader->len;
        if (!refill(reader)) break;
        brk = next_break(reader);
    }
    *length = kept;
    return 1;
}

int kv_read_line(kv_line_reader_t *reader, char *line, size_t size, int *had_break) {
    const char *text = NULL;
    size_t length = 0;
    int got = kv_next_line(reader, &text, &length, line, size, had_break);
    if (size == 0) return got;
    if (length > size - 1) length = size - 1;
    if (text != line) memcpy(line, text, length);
    line[length] = '\0';
    return got;
}
