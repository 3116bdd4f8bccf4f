/* Settings read as numbers. Each call reads config.dat afresh (read_setting); a setting that is
 * missing, or whose file cannot be read, reads as the number's default. The items of a comma-list
 * setting are read by setting_list_item (config/comma_list.h), beside the comma lists. */
#ifndef KELVORA_SETTING_VALUES_H
#define KELVORA_SETTING_VALUES_H

/* The decimal integer the value starts with (white space and a sign allowed before it, anything
 * after it ignored: "12mm" reads 12), kept within int's range; 0 when the setting is missing or
 * its value starts with no number. */
int setting_int(const char *key);

/* The real number the value starts with, as strtod reads it (anything after it ignored); 0 when
 * the setting is missing or its value starts with no number. */
double setting_real(const char *key);

/* A size or distance (mm): the value when it is a finite number not below 0 and nothing else;
 * fallback when the setting is missing, has text after the number, or is negative or infinite. */
double setting_size(const char *key, double fallback);

#endif
