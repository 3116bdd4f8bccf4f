/* Electrodes are layer categories of the work part whose names begin with the configured
 * prefix. These operations recognise them, find their layers and colour their objects. */
#ifndef KELVORA_ELECTRODE_H
#define KELVORA_ELECTRODE_H

#include <stddef.h>

#include "nx.h"

/* A category name: at most 30 characters and the terminator. */
#define KV_CATEGORY_NAME_BUFSIZE 31

/* The layer category of part after *category (the first when it is the null tag): 0, the null
 * tag at the end. A failed step is made once more from the same place, so that one passing
 * failure does not hide the categories after it (their electrodes would be missing, their layers
 * would look free); -1 and the null tag when it failed twice. */
int next_category(tag_t part, tag_t *category);

/* 0 and the tag of the work part's layer category of that name; -1 and the null tag when there
 * is none or the name cannot be a category's. */
int find_category(const char *name, tag_t *category);

/* 1 when name begins with ELECTRODE_PREFIX_NAME (ASCII case ignored), else 0. */
int is_electrode_name(const char *name);

/* is_electrode_name's test with the prefix in hand, for a caller that tests many names within
 * one callback (the settings do not change within it). */
int has_electrode_prefix(const char *name, const char *prefix);

/* The configured electrode layers, ELECTRODE_START_LAYER to ELECTRODE_END_LAYER, kept within
 * NX's layers 1 to 256 (a wild range costs no calls); an empty range when start > end. */
void electrode_layer_range(int *start, int *end);

/* The layers shown beside one electrode hide, *first to *last: with only_electrodes (the setting
 * ELECTRODE_ONLY_DISPLAY_ELECT is 1) the other electrodes' range start to end, so that the
 * user's model stays in sight; else every layer of NX. */
void electrode_hidden_layers(int only_electrodes, int start, int end, int *first, int *last);

/* The upper-cased name of the first category (in NX's order, "ALL" skipped) that holds the
 * layer, or the empty text. Always 0. */
int category_of_layer(int layer, char *name, size_t size);

/* 0 and the lowest layer of the named category; -1 and 0 when there is no such category or
 * it holds no layer. */
int first_layer_of_category(const char *name, int *first_layer);

/* -1 when name is not an electrode's (output untouched); else 0 and the category's first
 * layer (0 when it holds none). */
int electrode_first_layer(const char *name, int *first_layer);

/* Receives each electrode name (upper case) in NX's cycling order. */
typedef void (*electrode_name_fn)(const char *name, void *context);

/* Calls take for every electrode category of part, in NX's cycling order ("ALL" never
 * counts). Returns the number of electrodes found. */
int list_electrode_categories(tag_t part, electrode_name_fn take, void *context);

/* Gives object the NX colour nearest to red, green, blue (0 to 255 each). Always 0. */
int set_color_from_rgb(tag_t object, double red, double green, double blue);

/* The NX colour nearest to red, green, blue as set_color_from_rgb finds it, into *color (0 when
 * NX gives none): 0, or -1. One answer serves every object of one callback coloured alike, as the
 * colour table does not change within it. */
int closest_color_from_rgb(double red, double green, double blue, int *color);

#endif
