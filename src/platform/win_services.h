/* The Windows services the plug-in relies on, behind one small interface.
 * On Windows they are implemented with Win32 calls (win_services_win32.cpp); the simulated
 * host provides them on other systems. All texts are GBK. */
#ifndef KELVORA_WIN_SERVICES_H
#define KELVORA_WIN_SERVICES_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Shows a modal message box with one OK button and the library as resource context.
 * Returns when the user closes it; always 0. */
int ws_message_box(const char *text);

/* Opens the folder browser (desktop as root, an edit box, the given title).
 * 0 and the chosen folder in path (1024 bytes); -1 and the empty text when cancelled; -2 and the
 * empty text when what was chosen has no path on disk (a virtual folder such as the Control
 * Panel, or a path the browser could not hand over). Windows shows a browser that could not
 * open as a cancelled one. */
int ws_browse_folder(const char *title, char path[1024]);

/* ws_browse_folder with the browser opened on folder start (when given and it exists), so that
 * OK alone chooses it. */
int ws_browse_folder_at(const char *title, const char *start, char path[1024]);

/* The full path of the plug-in library file. 0 and the path; -1 and the empty text. */
int ws_module_file_path(char path[1024]);

/* Shows the About dialog (resource template, bitmap) modally until it is closed. Always 0. */
int ws_show_about_dialog(void);

/* What lies at path (GBK): WS_PATH_NONE, WS_PATH_FILE (a file that can be written),
 * WS_PATH_READ_ONLY (a read-only file) or WS_PATH_OTHER (a folder, or anything else that is no
 * file). */
#define WS_PATH_NONE 0
#define WS_PATH_FILE 1
#define WS_PATH_READ_ONLY 2
#define WS_PATH_OTHER 3
int ws_path_kind(const char *path);

/* Makes what was written to file durable before it replaces anything: the C runtime's buffer
 * flushed and checked (fflush, ferror), then the system's (FlushFileBuffers). 0, or -1 when
 * any of it failed. The file stays open. */
int ws_commit_file(FILE *file);

/* Puts the file from in to's place in one step, replacing a file there (MoveFileEx with
 * MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH). 0, or -1 (nothing moved). */
int ws_replace_file(const char *from, const char *to);

/* Opens the file at path (GBK) as fopen does with mode; NULL when it cannot be opened. The plug-in
 * opens its files only through here, so that a host whose file names are not GBK can convert. */
FILE *ws_open_file(const char *path, const char *mode);

/* Deletes the file at path (GBK). 0, or -1 (nothing deleted). */
int ws_remove_file(const char *path);

/* Any function: the type of an address ws_find_nx_call hands out, cast back to the call's own. */
typedef void (*ws_nx_call_t)(void);

/* The address of NX's call NAME in whichever of NX's two loaded libraries (libufun.dll,
 * libugopenint.dll) exports it in this release; NULL when neither does (or neither is loaded). */
ws_nx_call_t ws_find_nx_call(const char *name);

#ifdef __cplusplus
}
#endif

#endif
