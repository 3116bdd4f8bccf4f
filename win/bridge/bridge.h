// The Wine bridge's core (libkvbridge.so): what the two NX libraries it stands in for
// (libufun.dll, libugopenint.dll, both Linux winelib modules) and its runner share. Plain Linux
// code without Windows headers: the plug-in DLL calls the libraries with the Windows convention
// (ms_abi on x64, cdecl on i386), they forward to the simulated host (libnxsim.so), and every pointer to
// plug-in code the host is given is wrapped so that the host calls it with that convention.
#pragma once

#include <cstddef>
#include <string>

#include "nx.h"

#if defined(__x86_64__)
// The plug-in's convention: on every function it calls and every pointer to its code.
#define KVB_MS_ABI __attribute__((ms_abi))
#else
// On i386 both sides call with cdecl, but MinGW code keeps the stack aligned to 4 bytes only while
// this code, compiled with SSE, assumes 16: every function the plug-in calls realigns it (on a
// pointer to plug-in code the attribute does nothing).
#define KVB_MS_ABI __attribute__((force_align_arg_pointer))
#endif

namespace kvb {

// ---- what the plug-in is doing, for fault reports --------------------------------------------

// Marks the NX call in progress while it lives (the generated thunks hold one each).
class CallScope {
public:
    explicit CallScope(const char* call);  // call: a text that outlives the scope
    ~CallScope();
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
};

// Marks an entry into plug-in code (ufsta, a menu action, a dialog callback) while it lives.
// The outermost entry's start is what the runner's watchdog times.
class EntryScope {
public:
    explicit EntryScope(const char* what);  // what: a text that outlives the scope
    ~EntryScope();
    EntryScope(const EntryScope&) = delete;
    EntryScope& operator=(const EntryScope&) = delete;
};

// The entries and the NX call in progress, outermost first, into out ("menu action KELVORA_LAYER
// > dialog callback of OK_ACTION (activate) in setElectLayer.dlg > NX call UF_OBJ_set_layer"); the
// empty text outside the plug-in. Safe to call from another thread or an exception handler: it
// reads fixed buffers only. Always 0.
int describe_context(char* out, size_t size);

// Milliseconds since the outermost entry in progress began (monotonic clock), or -1 when the
// plug-in is not running.
long long entry_elapsed_ms();

// ---- paths -------------------------------------------------------------------------------------
// NX on Windows names files by drive paths; under Wine the Linux root is drive Z:. Texts are GBK
// (the plug-in's) or UTF-8 (the host's): a backslash that is the second byte of a GBK character is
// never a separator.

// "/a/b" as Windows names it ("Z:\a\b", "/" -> "Z:\"); a text that is not an absolute Linux path
// is returned unchanged.
std::string to_windows_path(const std::string& path);

// A path the plug-in gives, as the host takes it: "Z:\a\b" (either slash, either letter case)
// -> "/a/b", a rooted "\a\b" -> "/a/b", a relative "a\b" -> "a/b". Another drive is taken where
// the Wine prefix ($WINEPREFIX) maps it ("C:\x" -> "<prefix>/drive_c/x"); a drive it does not map
// is returned unchanged.
std::string to_linux_path(const std::string& path);

// text with every Z: path in it written as its Linux path ("file Z:\w\o\e.prt exists" ->
// "file /w/o/e.prt exists"). A path runs from "Z:\" to white space, a quote, '<', '>' or '|';
// runs of backslashes (a JSON text escapes them) become one slash. UTF-8 texts are read as
// UTF-8, others as GBK.
std::string linux_paths_in_text(const std::string& text);

// ---- memory the bridge rewrote ------------------------------------------------------------------

// Remembers that copy (made with malloc) stands for the host's allocation original.
void remember_copy(void* copy, void* original);
// The host's allocation that copy stands for, and forgets copy (freeing it); data itself when
// the bridge made no copy of it.
void* release_copy(void* data);
// Remembers the host's strings of a string array whose entries the bridge replaced by copies.
void remember_string_array(char** array, int n, char** originals);
// Puts the host's strings back into array (freeing the copies); false when the bridge replaced none.
bool restore_string_array(char** array, int n);

// ---- plug-in code the host calls ------------------------------------------------------------------

// A copy of the plug-in's menu action table (read to its all-null end row, at most max_rows rows)
// whose callbacks the host can call: each calls the plug-in's with the Windows convention. The
// copy lives as long as the process, as NX keeps the table's pointers. Null, and why in *why,
// when no end row was found within max_rows, or a row before it cannot be read or holds a name
// that is no readable text or a callback outside the process's code (NX would read on past a
// table without an end row into whatever follows it).
UF_MB_action_t* wrap_actions(const UF_MB_action_t* table, int max_rows, std::string* why);

// A copy of a dialog's callback table (number_of_cbs rows) whose callbacks the host can call;
// dialog_file names the dialog in fault reports. Released by release_callbacks when the dialog
// has closed. Null when more distinct callbacks are met than the bridge has trampolines for.
UF_STYLER_callback_info_t* wrap_callbacks(const UF_STYLER_callback_info_t* cbs, int number_of_cbs,
                                          const char* dialog_file);
void release_callbacks(UF_STYLER_callback_info_t* copy);

// Calls the plug-in's entry point ufsta (its address in the DLL) with the Windows convention, as
// the entry "ufsta".
void call_ufsta(void* ufsta);

}  // namespace kvb
