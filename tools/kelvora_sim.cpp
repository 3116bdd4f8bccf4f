// kelvora-sim: plays a scenario against the simulated NX host with the plug-in loaded.
//   kelvora-sim run SCENARIO.json --out DIR
#include <cstdio>
#include <cstring>
#include <string>

#include "scenario.h"

static int usage() {
    fprintf(stderr, "usage: kelvora-sim run SCENARIO.json --out DIR\n");
    return 2;
}

int main(int argc, char** argv) {
    if (argc != 5 || strcmp(argv[1], "run") != 0 || strcmp(argv[3], "--out") != 0) return usage();
    kvsim::RunResult r = kvsim::run_scenario(argv[2], argv[4]);
    if (r.exit_code != 0) fprintf(stderr, "kelvora-sim: %s%s", r.message.c_str(),
                                  (!r.message.empty() && r.message.back() == '\n') ? "" : "\n");
    return r.exit_code;
}
