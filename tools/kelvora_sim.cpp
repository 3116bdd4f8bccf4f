// kelvora-sim: plays a scenario against the simulated NX host with the plug-in loaded.
//   kelvora-sim run SCENARIO.json --out DIR [--stats FILE]
//   kelvora-sim run --plugin KELVORA.DLL SCENARIO.json --out DIR [--stats FILE]
// --stats writes how often the plug-in made each NX call (write_call_stats), also after a failed run.
// With --plugin the Windows DLL is played instead of the linked plug-in: the Wine bridge's runner
// (win/bridge/, docs/wine-bridge.md) is started with the same arguments. It is named by
// KELVORA_WINE_RUNNER, else looked for beside this program as win-bridge/bin/kelvora-sim-wine,
// or win-bridge-32/bin/kelvora-sim-wine for a 32-bit DLL.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scenario.h"

static int usage() {
    fprintf(stderr, "usage: kelvora-sim run [--plugin KELVORA.DLL] SCENARIO.json --out DIR [--stats FILE]\n");
    return 2;
}

// True when path is a PE image for 32-bit x86 (IMAGE_FILE_MACHINE_I386); false for any other
// machine, or a file that cannot be read as one (the runner then says what is wrong with it).
static bool is_i386_dll(const char* path) {
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    unsigned char dos[64], nt[6];
    bool i386 = false;
    if (fread(dos, 1, sizeof dos, f) == sizeof dos && dos[0] == 'M' && dos[1] == 'Z') {
        long offset = dos[60] | dos[61] << 8 | dos[62] << 16 | (long)dos[63] << 24;
        i386 = fseek(f, offset, SEEK_SET) == 0 && fread(nt, 1, sizeof nt, f) == sizeof nt &&
               memcmp(nt, "PE\0\0", 4) == 0 && (nt[4] | nt[5] << 8) == 0x14c;
    }
    fclose(f);
    return i386;
}

// Replaces this process with the Wine bridge's runner; returns only when it cannot be started.
static int run_dll(char** argv) {
    std::string runner;
    if (const char* named = getenv("KELVORA_WINE_RUNNER")) {
        runner = named;
    } else {
        char self[4096];
        ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0) {
            self[n] = '\0';
            std::string dir(self);
            const char* bridge = is_i386_dll(argv[3]) ? "/win-bridge-32" : "/win-bridge";
            runner = dir.substr(0, dir.find_last_of('/')) + bridge + "/bin/kelvora-sim-wine";
        }
    }
    if (runner.empty() || access(runner.c_str(), X_OK) != 0) {
        fprintf(stderr, "kelvora-sim: --plugin needs the Wine bridge's runner, not found at '%s' (build it with "
                        "win/bridge/build-bridge.sh, or name it by KELVORA_WINE_RUNNER)\n", runner.c_str());
        return 2;
    }
    execv(runner.c_str(), argv);
    fprintf(stderr, "kelvora-sim: %s cannot be started: %s\n", runner.c_str(), strerror(errno));
    return 2;
}

int main(int argc, char** argv) {
    bool stats = argc >= 7 && strcmp(argv[argc - 2], "--stats") == 0;
    int args = stats ? argc - 2 : argc;
    if (argc < 2 || strcmp(argv[1], "run") != 0) return usage();
    if (args == 7 && strcmp(argv[2], "--plugin") == 0 && strcmp(argv[5], "--out") == 0) return run_dll(argv);
    if (args != 5 || strcmp(argv[3], "--out") != 0) return usage();
    kvsim::RunResult r = kvsim::run_scenario(argv[2], argv[4]);
    if (stats && !kvsim::write_call_stats(argv[argc - 1])) {
        fprintf(stderr, "kelvora-sim: --stats: cannot write %s\n", argv[argc - 1]);
        if (r.exit_code == 0) r.exit_code = 2;
    }
    if (r.exit_code != 0) fprintf(stderr, "kelvora-sim: %s%s", r.message.c_str(),
                                  (!r.message.empty() && r.message.back() == '\n') ? "" : "\n");
    return r.exit_code;
}
