/* Code 128 barcodes of printable ASCII texts (code sets B and C), the shortest symbol by the
 * usual rules: set C for runs of four or more digits, set B for the rest. Plain arithmetic. */
#ifndef KELVORA_CODE128_H
#define KELVORA_CODE128_H

#include <stddef.h>

/* Symbol values: start B and C, switches to B and C, stop. */
#define KV_C128_START_B 104
#define KV_C128_START_C 105
#define KV_C128_CODE_B 100
#define KV_C128_CODE_C 99
#define KV_C128_STOP 106

/* The symbol values of data into values (room for max): the start, the data with the set
 * switches, the check value and the stop. Their number; -1 when data is empty, holds a
 * character outside 0x20-0x7E, or the symbol needs more than max values. */
int code128_values(const char *data, int *values, int max);

/* The modules of data's symbol, '1' a bar and '0' a space, without quiet zones, terminated,
 * into bars (size bytes). The number of modules (11 per value, 13 for the stop); -1 as
 * code128_values, or when they do not fit (bars then empty). */
int code128_modules(const char *data, char *bars, size_t size);

#endif
