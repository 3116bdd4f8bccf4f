/* Reading text files line by line for the configuration readers: a line ends at a line feed
 * or a carriage return, only its first bytes are kept and the rest of it is dropped. The file
 * is read in blocks, so a scan costs little more than reading the file. */
#ifndef KELVORA_LINE_READER_H
#define KELVORA_LINE_READER_H

#include <stddef.h>
#include <stdio.h>

typedef struct kv_line_reader_s {
    FILE *file;
    size_t pos;   /* next unread byte of block */
    size_t len;   /* bytes in block */
    int at_end;   /* the stream reported end of file or a read error */
    int failed;   /* the stream reported a read error (a folder opened as a file, say) */
    char block[4096];
} kv_line_reader_t;

void kv_line_reader_init(kv_line_reader_t *reader, FILE *file);

/* Reads the next line into line (size bytes, the first size-1 bytes of the line kept, the
 * break not kept, always terminated). 1 when a line was read: *had_break is 1 when it ended
 * at a line break, 0 when the file ended first. 0 (and the empty text) when the file was
 * already at its end. */
int kv_read_line(kv_line_reader_t *reader, char *line, size_t size, int *had_break);

#endif
