// The runner's Windows side (winhost.cpp, watcher.cpp: compiled against Wine's headers) and the
// Linux side (runner.cpp: the scenario runner and the simulated host), which call each other
// through these plain functions. Texts are UTF-8 unless named GBK; paths of the Windows side are
// Windows paths.
#pragma once

#include <cstddef>

// ---- the Windows side ---------------------------------------------------------------------------

// Loads the plug-in DLL (path as Windows names it) and finds its ufsta. 0; -1 and why in error
// (UTF-8, size bytes) when it cannot be loaded or exports no ufsta.
int wh_load_plugin(const char* path, char* error, size_t size);

// The plug-in's ufsta, once loaded.
void* wh_plugin_ufsta();

// Makes Windows report the plug-in's file as path (a Windows path) from now on, as if it had been
// loaded from there. 0, or -1 when the loader's record of the module could not be changed.
int wh_set_module_path(const char* path);

// Sends what the plug-in prints to its standard output into a scratch file of the bridge.
// 0, or -1 when the plug-in's C runtime could not be redirected.
int wh_capture_plugin_stdout();

// What the plug-in printed since wh_capture_plugin_stdout, its C runtime flushed first, with
// "\r\n" as "\n" (the C runtime's text mode writes CRLF), into out (size bytes, cut to fit).
// The length written.
size_t wh_take_plugin_stdout(char* out, size_t size);

// Starts the guards: an exception handler that ends the run with exit code 1 when the plug-in or
// the host faults while the plug-in runs, naming the call and the callback (kvb::describe_context);
// a watchdog that ends it with exit code 1 when an entry into the plug-in (ufsta, a menu action)
// has not returned within timeout_s seconds, naming it and the windows open; and the watcher
// that answers the plug-in's windows (watcher.cpp). 0, or -1 when a thread could not start.
int wh_start_guards(int timeout_s);

// Stops the watcher and the watchdog.
void wh_stop_guards();

// ---- the watcher (watcher.cpp) -----------------------------------------------------------------

// Starts the thread that answers the windows the plug-in opens: message boxes, the folder
// browser and the About dialog, each through the simulated host's service of the same name (its
// transcript line, its scripted answer, its faults); any other window is reported and closed.
// 0, or -1 when the thread could not start.
int watcher_start(void* plugin_module);
void watcher_stop();

// Writes what the window's client area shows, painted by the window and its children into a bitmap
// (no display needed), to a PNG file (path as Windows names it); its size in *width, *height.
// 0, -1 when the window could not be painted, -2 when the file could not be written (capture.cpp).
int save_window_png(void* window, const char* path, int* width, int* height);

// The visible top-level windows of the process as text ("\"caption\" (class), ..."), or "none".
void watcher_list_windows(char* out, size_t size);

// ---- the Linux side (runner.cpp) ----------------------------------------------------------------

extern "C" {
// Records a problem of the run (exit code 1), as the host's own errors are recorded.
void kvr_host_error(const char* text);
// KELVORA_WINE_REPORT's folder (a Linux path), or null when the run writes no report.
const char* kvr_report_folder();
// Adds a line (UTF-8) to the run's report, after the registered actions; nothing without a report.
void kvr_report(const char* line);
// Converts a GBK text to the Windows path form of the Linux path it holds (see kvb::to_windows_path).
// Writes into out (size bytes).
void kvr_windows_path(const char* gbk_linux_path, char* out, size_t size);
}

// The runner's main line, with the arguments as UTF-8.
int kvr_main(int argc, char** argv);
