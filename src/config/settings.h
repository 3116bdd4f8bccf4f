/* Settings from config.dat in the tool folder's data folder. Nothing is cached: every lookup
 * finds the tool folder again and scans the file from the top. */
#ifndef KELVORA_SETTINGS_H
#define KELVORA_SETTINGS_H

#include <stddef.h>

/* Size of the buffers settings are read into: 1023 characters and the terminator. */
#define KV_SETTING_BUFSIZE 1024

/* Reads the value of `key` into value (size bytes, always terminated, cut to fit).
 * 0 found; -1 no tool folder or no readable config.dat; -2 no line with the key and a
 * non-empty value. value is the empty text unless 0 is returned. */
int read_setting(const char *key, char *value, size_t size);

/* read_setting, and *cut (when given) 1 when the value found was longer than what was read:
 * its line beyond 1023 characters, or the value beyond size - 1. */
int read_setting_whole(const char *key, char *value, size_t size, int *cut);

/* The full path of config.dat. 0 and the path when the file opens for reading; -1 and the
 * empty text when the tool folder is empty; -2 and the empty text when the file does not
 * open. */
int config_file_path(char *path, size_t size);

#endif
