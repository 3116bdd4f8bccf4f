/* The call log shared by the stand-in NX libraries: one line per call, appended to the file
 * named by KV_SMOKE_LOG (nothing is written without it). The file is opened for each line so
 * that both libraries and the smoke host write to it without sharing a handle, in call order. */
#ifndef KV_SMOKE_STANDIN_LOG_H
#define KV_SMOKE_STANDIN_LOG_H

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#define KV_EXPORT __declspec(dllexport)

static inline void kv_log(const char *format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return;
    const char *path = getenv("KV_SMOKE_LOG");
    if (!path || !path[0]) return;
    FILE *f = fopen(path, "ab");
    if (!f) return;
    fputs(line, f);
    fputc('\n', f);
    fclose(f);
}

#endif
