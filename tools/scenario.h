// Scenario files for kelvora-sim: reading them and playing them against the simulated host.
#pragma once

#include <string>

namespace kvsim {

struct RunResult {
    int exit_code = 0;    // 0 clean, 1 scenario or host errors, 2 bad input, 3 leaks
    std::string message;  // why, when not 0
};

// Plays the scenario file and writes its outputs into out_dir.
RunResult run_scenario(const std::string& scenario_path, const std::string& out_dir);

}  // namespace kvsim
