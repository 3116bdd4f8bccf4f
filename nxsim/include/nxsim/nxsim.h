// Control interface of the simulated NX host, for the scenario runner and the tests.
// The plug-in never includes this: it sees the host only through nx.h.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "nx.h"

namespace nxsim {

enum class FaultMode { Once, Nth, Always };

// A scripted answer for a sub-dialog the plug-in opens.
struct Answer {
    enum Kind { Select, Folder, Question } kind = Select;
    bool cancel = false;                 // the user cancelled (Select, Folder)
    std::vector<std::string> names;      // Select: objects to pick by name (UTF-8)
    std::string text;                    // Folder: the chosen path (UTF-8)
    bool no_path = false;                // Folder: text names a folder with no path on disk (此电脑)
    int button = 1;                      // Question: 1 first button (OK), 2 second, 3 third
    std::string where;                   // scenario position, for messages
};

// A scripted user event in an open dialog.
struct DialogEvent {
    // Look: the user reads the dialog (its objects' values go to the transcript).
    enum Kind { Set, Select, Press, DoubleClick, Ok, Apply, Cancel, Look } kind = Press;
    std::string object;                  // dialog object identifier
    nlohmann::json value;                // Set: the value; Select: indices or texts
    std::vector<Answer> answers;         // queued before the event fires
    std::string where;
};

// Starts a fresh session: no parts, no actions, empty transcript and ledger, the default readings.
void reset();

// Where NX leaves a behaviour the plug-in meets undocumented, the host follows one reading of it
// by default (docs/nxsim.md, "Readings of undocumented NX"); each switch gives the other reading,
// so that the plug-in can be shown right under both. A scenario sets them in its "host" object.
struct Readings {
    // UF_MODL_ask_bounding_box_aligned: the exact box shrunk inside the body by NX's distance
    // tolerance on every side (default: never smaller than the body).
    bool box_inside = false;
    // UF_STYLER_set_value on an item of a multi-select list selects it: an item already selected
    // stays so, and sub-item -1 changes nothing (default: it flips the item; -1 clears the list).
    bool list_set_selects = false;
    // UF_DRAW_update_one_view keeps a member view's anchor (the model point on its reference point)
    // where it is, and UF_DRAW_ask_view_borders reports the borders with a margin (default: the
    // update puts the middle of what the view shows on its reference point, the borders are
    // exactly that extent).
    bool view_keeps_anchor = false;
};
void set_readings(const Readings& readings);
const Readings& readings();

// Opens a part file; it becomes the display and work part. 0, or -1 with *err set.
int open_part(const std::string& path, std::string* err);
// Closes every part (the session keeps no work part).
void close_all_parts();
// The parts in load order, and a part's JSON text as it would be saved.
std::vector<tag_t> parts();
std::string part_file_name(tag_t part);
std::string part_json(tag_t part);

void set_env(const std::string& name, const std::string& utf8_value);
void set_dialog_folder(const std::string& folder);
void set_library_path(const std::string& path);
// The NX release the session plays, for the calls whose documented contract changed between
// releases: 4, 5, ..., 7.5, 8.5, 9, 10, 11, 12, 1847, 1953, 2007 (the default, the newest).
void set_nx_release(double release);
// release as a scenario names it ("NX12", "NX7.5", "NX1953"; a "-32" or "-64" suffix is
// allowed): true and *release, or false for anything else.
bool parse_nx_release(const std::string& text, double* release);
// The library path set_library_path gave (empty when none), read without a call of the plug-in.
std::string library_path();

// Makes the named call fail: once (its next call), on its n-th call from now, or always.
// code 0 picks the host's default injected-failure code.
void fail(const std::string& call, FaultMode mode, int n = 1, int code = 0);
void clear_faults();

// Registered menu actions, in registration order; runs one (its callback's result is
// returned). -1 when no action of that name is registered.
std::vector<std::string> actions();
int run_action(const std::string& name);

void push_answer(const Answer& a);
void queue_events(const std::vector<DialogEvent>& events);
size_t pending_answers();
size_t pending_events();

// What the user saw, one line per item, UTF-8.
const std::vector<std::string>& transcript();
// The listing window's text, converted to UTF-8.
std::string listing();
// Allocations handed out and not released, one line each ("UF_... #seq").
std::vector<std::string> leaks();
// Problems the host found: protocol faults of the plug-in and scenario errors.
const std::vector<std::string>& errors();
void add_error(const std::string& utf8_text);
// Malformed input files the host was given (part files, dialog descriptions), each message naming
// the file and the field; a run that met any ends with exit code 2.
const std::vector<std::string>& refused_inputs();
// Calls made so far, in order, and how often one call was made.
const std::vector<std::string>& call_log();
int call_count(const std::string& call);
// Every call made so far with how often it was made, by name (injected failures count as calls).
const std::map<std::string, int>& call_counts();
// The API's initialise/terminate balance (0 outside any entry).
int init_depth();

// Sets a layer's status in the work part as the user would in NX's layer settings (1 work,
// 2 selectable, 3 reference, 4 invisible). 0, or NX's error code (no work part, a layer
// outside 1-256, the work layer given another status).
int set_layer_status(int layer, int status);

// Shows the model of the displayed part instead of its current drawing.
void leave_drawing();

// Every drawing sheet of every part, rendered: file name "<PART>_<DRAWING>.svg" (the part's file
// name without its extension; characters a file name cannot hold become '_') and the SVG text.
struct SheetImage {
    std::string file;
    std::string svg;
};
std::vector<SheetImage> render_sheets();

}  // namespace nxsim
