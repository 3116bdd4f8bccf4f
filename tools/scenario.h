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

}  // namespace kvsim
