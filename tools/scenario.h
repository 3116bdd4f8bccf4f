// Scenario files for kelvora-sim: reading them and playing them against the simulated host.
#pragma once

#include <string>

namespace kvsim {

struct RunResult {
    int exit_code = 0;    // 0 clean, 1 scenario or host errors, 2 bad input, 3 leaks
    std::string message;  // why, when not 0
};

// Plays the scenario file in a fresh session and writes its outputs into out_dir (made if missing):
// transcript.txt, listing.txt, stdout.txt, parts/*.json and sheets/*.svg. The outputs are written
// whenever the scenario could be read, also when the run stops early.
RunResult run_scenario(const std::string& scenario_path, const std::string& out_dir);

// How the runner reaches the plug-in. Unset, it calls the ufsta linked into it. A loader of the
// plug-in's DLL (the Wine bridge, win/bridge/) sets start, called in place of ufsta; finish, called
// after the last step while the plug-in's standard output still goes to stdout.txt; and
// output_text, applied to the transcript, the listing, the standard output and the part dumps
// before the --out folder is written "<out>". Any of them may be null.
// Writes how often the last run called each NX call, as JSON: {"calls": {name: count, ...} (by
// name), "distinct": calls named, "total": all calls, "services": the Windows services (ws_...)
// counted apart, as they are no NX calls, "steps": [{"step": "start" (loading the
// plug-in) or "steps[i]", "action": its menu action or "", "total", "calls"}, ...] for each step
// played}. False when the file cannot be written.
bool write_call_stats(const std::string& path);

struct PluginHost {
    void (*start)() = nullptr;
    void (*finish)() = nullptr;
    std::string (*output_text)(const std::string& text) = nullptr;
};
void set_plugin_host(const PluginHost& host);

}  // namespace kvsim
