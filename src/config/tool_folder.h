/* Finding the plug-in's install folder (the tool folder). */
#ifndef KELVORA_TOOL_FOLDER_H
#define KELVORA_TOOL_FOLDER_H

#define KV_PATH_BUFSIZE 1024

/* The environment variable that names the tool folder, and the mark that makes a comment line
 * of NX's custom_dirs.dat carry it ("#!!#KELVORA_PATH=D:\Kelvora"). */
#define KV_TOOL_FOLDER_VARIABLE "KELVORA_PATH"
#define KV_TOOL_FOLDER_MARKER "#!!#"
/* Shown (with the variable's name) when no source gives a tool folder. GBK. */
#define KV_TOOL_FOLDER_MISSING_TEXT "%s环境变量没有设置!"

/* The tool folder into folder (1024 bytes): from the marked line of NX's custom_dirs.dat,
 * else KELVORA_PATH, else two folders above the library file; the empty text (after telling
 * the user) when none gives one. Always 0. */
int find_tool_folder(char folder[KV_PATH_BUFSIZE]);

/* The value of the marked line "<marker><variable>=<folder>" in NX's custom_dirs.dat into
 * result (1024 bytes, empty when none). 0 when the file was read to a stop (found or not); -1
 * when an argument is missing or UGII_ROOT_DIR could not be translated; -2 when the file's path
 * does not fit, the file did not open or a read failed. */
int read_custom_dirs_entry(const char *variable, const char *marker, char result[KV_PATH_BUFSIZE]);

/* The folder two levels above the library file into result (1024 bytes). 0, or -1 and the
 * empty text when the library's path is not known or has fewer levels. */
int module_parent_folder(char result[KV_PATH_BUFSIZE]);

#endif
