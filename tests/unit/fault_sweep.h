// The fault sweep: a scenario re-run once per call it makes and per call site of that call (its
// first three and its last), with that one call failing there. Each run is a child process, so
// that a crash is counted instead of ending the sweep; its outputs are then checked for work
// that landed where it does not belong.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace kv_sweep {

struct Figures {
    int runs = 0;
    int fired = 0;           // runs whose injected failure was reached
    int crashes = 0;         // children ended by a signal
    int leaks = 0;           // exit code 3
    int host_errors = 0;     // exit code 1 or 2: the plug-in did what NX would not allow
    int off_script = 0;      // exit code 1 only because the user's script no longer fits (a
                             // dialog or list item that a refusal left out, events left over)
    int spoilt = 0;          // runs with a wrong-part, mixed or misplaced result
    int untold = 0;          // runs that ended normally with an electrode short of what the run
                             // without the fault gave it, and no message or box naming it
    std::set<std::string> calls;        // the calls swept
    std::vector<std::string> findings;  // one line per run that was not clean
};

// What the outputs in out_dir show that must never be: electrode files named after or made
// from the wrong part, two electrodes on one layer (in the categories, the electrode parts or
// the drawing views), a drawing holding another electrode's sheet, a template in the model.
// user_stem is the user's part file name without extension; prefix the electrode prefix.
std::vector<std::string> spoilt_results(const std::string& out_dir, const std::string& user_stem,
                                        const std::string& prefix);

// Sweeps the scenario (a case folder holding scenario.json, or the file itself) with every call
// for which keep(call) is true; two children at a time. Figures are added to *figures.
void sweep(const std::string& scenario, bool (*keep)(const std::string& call), Figures* figures);

}  // namespace kv_sweep
