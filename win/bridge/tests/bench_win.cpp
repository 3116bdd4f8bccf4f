// kvbridge-bench's Windows side: NX's libraries (the bridge's) and the bench plug-in loaded as
// the runner loads them.
//   kvbridge-bench BENCH_PLUGIN.DLL PART N
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "bench.h"

namespace {

void* g_ufsta = nullptr;
typedef long long(__cdecl* calls_f)(int);
calls_f g_calls = nullptr;

}  // namespace

void* bench_ufsta() { return g_ufsta; }

long long bench_plugin_calls(int n) { return g_calls(n); }

extern "C" int wmain(int argc, WCHAR** wargv) {
    char** argv = static_cast<char**>(calloc((size_t)argc + 1, sizeof(char*)));
    for (int i = 0; i < argc; ++i) {
        argv[i] = static_cast<char*>(calloc(4096, 1));
        WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, argv[i], 4095, nullptr, nullptr);
    }
    if (argc != 4) return bench_main(argc, argv);
    if (!LoadLibraryA("libufun.dll") || !LoadLibraryA("libugopenint.dll")) {
        fprintf(stderr, "bench: the bridge's NX libraries were not loaded\n");
        return 1;
    }
    HMODULE plugin = LoadLibraryW(wargv[1]);
    g_ufsta = plugin ? reinterpret_cast<void*>(GetProcAddress(plugin, "ufsta")) : nullptr;
    g_calls = plugin ? reinterpret_cast<calls_f>(reinterpret_cast<void*>(GetProcAddress(plugin, "kv_bench_calls"))) : nullptr;
    if (!g_ufsta || !g_calls) {
        fprintf(stderr, "bench: %s is not the bench plug-in\n", argv[1]);
        return 1;
    }
    return bench_main(argc, argv);
}
