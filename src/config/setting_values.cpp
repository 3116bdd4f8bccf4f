// Settings read as numbers. The whole value is read (a setting holds at most 1023 characters),
// so leading zeros or digits never fall off a shorter buffer.
#include "config/setting_values.h"

#include <limits.h>
#include <math.h>
#include <stdlib.h>

#include "config/settings.h"

int setting_int(const char *key) {
    char value[KV_SETTING_BUFSIZE];
    read_setting(key, value, sizeof value);
    // strtol, not atoi: a number beyond int's range is clamped rather than wrapped.
    long n = strtol(value, NULL, 10);
    if (n > INT_MAX) return INT_MAX;
    if (n < INT_MIN) return INT_MIN;
    return (int)n;
}

double setting_real(const char *key) {
    char value[KV_SETTING_BUFSIZE];
    read_setting(key, value, sizeof value);
    return strtod(value, NULL);
}

double setting_size(const char *key, double fallback) {
    char value[KV_SETTING_BUFSIZE];
    if (read_setting(key, value, sizeof value) != 0) return fallback;
    char *end = NULL;
    double v = strtod(value, &end);
    return end == value || *end != '\0' || !isfinite(v) || v < 0 ? fallback : v;
}
