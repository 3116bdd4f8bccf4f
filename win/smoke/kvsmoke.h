// The smoke host: loads the plug-in as NX does, plays its menu actions against the stand-in NX
// libraries, and answers the windows the plug-in opens.
#ifndef KV_SMOKE_KVSMOKE_H
#define KV_SMOKE_KVSMOKE_H

#include <windows.h>

/* Appends one line to the transcript (the file named by KV_SMOKE_LOG) and to standard output. */
void host_log(const char *format, ...);

/* Text of a window as UTF-8 (what the window shows, whatever code page the plug-in wrote it in).
 * Always 0; the text is empty for a window without one. */
int window_text_utf8(HWND window, char *out, int size);

/* Lists the imports of the 64-bit PE file at path that the modules it names do not export, one
 * "load: LIB lacks NAME, imported by BASE" line each. Their number, or -1 when the file is not a
 * readable 64-bit PE file. */
int report_missing_imports(const char *path, const char *base);

/* Writes what the screen shows of the window to a PNG file. 0; -1 when the capture failed;
 * -2 when the file could not be written. */
int save_window_png(HWND window, const char *path);

/* Starts the thread that answers the plug-in's windows: message boxes are logged and
 * confirmed, the plug-in's resource dialog 4000 is described, photographed (when screenshot is
 * not empty) and closed with its IDOK button, any other window is logged and closed.
 * 0, or -1 when the thread could not start. */
int start_watcher(HMODULE plugin, const char *plugin_base, const char *screenshot);

/* Arms the watchdog for one step: when it has not ended within seconds, the host logs what
 * hung and ends with exit code 4. seconds 0 disarms it. */
void set_deadline(const char *what, int seconds);

/* Stops the watcher thread. The number of windows it could not handle as expected. */
int stop_watcher(void);

#endif
