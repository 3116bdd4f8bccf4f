// The runner's Windows side: the program's entry, the plug-in DLL loaded as NX loads it, its
// standard output captured, and the guards that end a run whose plug-in faults or hangs.
#include <dlfcn.h>
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "winhost.h"

// From bridge.h, which is not included here: its nx.h would take Wine's _WIN32 for the SDK's.
namespace kvb {
int describe_context(char* out, size_t size);
long long entry_elapsed_ms();
}  // namespace kvb

namespace {

HMODULE g_plugin = nullptr;
void* g_ufsta = nullptr;
HANDLE g_stdout_file = INVALID_HANDLE_VALUE;
HANDLE g_watchdog = nullptr;
volatile LONG g_stop = 0;
int g_timeout_s = 0;

typedef int(__cdecl* crt_fflush_f)(FILE*);
typedef int(__cdecl* crt_open_osfhandle_f)(intptr_t, int);
typedef int(__cdecl* crt_dup2_f)(int, int);
typedef int(__cdecl* crt_close_f)(int);

const char* base_name(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') base = p + 1;
    return base;
}

void utf8_of_wide(const WCHAR* text, char* out, size_t size) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, (int)size, nullptr, nullptr);
    if (n <= 0 && size) out[0] = '\0';
    out[size - 1] = '\0';
}

// Ends the run now: the message on standard error, exit code 1. The outputs are not written:
// the session may be in the middle of a call.
[[noreturn]] void end_run(const char* message) {
    fprintf(stderr, "kelvora-sim: %s\n", message);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 1);
    _Exit(1);
}

const char* exception_name(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION: return "access violation";
        case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
        case EXCEPTION_PRIV_INSTRUCTION: return "privileged instruction";
        case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
        case EXCEPTION_INT_OVERFLOW: return "integer overflow";
        case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
        case EXCEPTION_IN_PAGE_ERROR: return "in-page error";
        case EXCEPTION_DATATYPE_MISALIGNMENT: return "misaligned data";
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "array bounds exceeded";
        default: return nullptr;
    }
}

// Where an address lies: "kelvora.dll+0x1234", or "host code" outside every Windows module (the
// simulated host and the bridge's Linux libraries).
void describe_address(const void* address, char* out, size_t size, HMODULE* module) {
    *module = nullptr;
    WCHAR path[MAX_PATH] = L"";
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(address), module) &&
        GetModuleFileNameW(*module, path, MAX_PATH)) {
        char name[MAX_PATH * 3];
        utf8_of_wide(path, name, sizeof name);
        snprintf(out, size, "%s+0x%llx", base_name(name),
                 (unsigned long long)((const char*)address - (const char*)*module));
    } else {
        // Linux code: the host, the bridge, the C++ runtime.
        Dl_info info;
        if (dladdr(address, &info) && info.dli_fname) {
            const char* symbol = info.dli_sname ? info.dli_sname : "?";
            const void* start = info.dli_sname ? info.dli_saddr : info.dli_fbase;
            snprintf(out, size, "%s (%s+0x%llx)", base_name(info.dli_fname), symbol,
                     (unsigned long long)((const char*)address - (const char*)start));
        } else {
            snprintf(out, size, "0x%llx", (unsigned long long)(uintptr_t)address);
        }
    }
}

// A fault the plug-in's run cannot survive: in the plug-in, in the bridge, in the host (Linux
// code, no Windows module) or in the C runtime the plug-in calls. Faults inside Wine's own
// libraries are left to them: some are expected and handled there.
bool ours(HMODULE module) {
    if (!module || module == g_plugin) return true;
    static const char* const kOurs[] = {"libufun.dll", "libugopenint.dll", "kelvora-sim-wine.exe", "msvcrt.dll"};
    for (const char* name : kOurs)
        if (module == GetModuleHandleA(name)) return true;
    return false;
}

LONG WINAPI on_exception(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* rec = info->ExceptionRecord;
    const char* what = exception_name(rec->ExceptionCode);
    if (!what) return EXCEPTION_CONTINUE_SEARCH;
    HMODULE module = nullptr;
    char where[MAX_PATH * 3 + 64];
    describe_address(rec->ExceptionAddress, where, sizeof where, &module);
    if (!ours(module)) return EXCEPTION_CONTINUE_SEARCH;
    char detail[64] = "";
    if (rec->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && rec->NumberParameters >= 2)
        snprintf(detail, sizeof detail, " (%s address 0x%llx)",
                 rec->ExceptionInformation[0] == 0 ? "reading" : rec->ExceptionInformation[0] == 1 ? "writing" : "executing",
                 (unsigned long long)rec->ExceptionInformation[1]);
    char context[2048];
    kvb::describe_context(context, sizeof context);
    char message[4096];
    snprintf(message, sizeof message, "the plug-in's run faulted: %s%s at %s, in %s", what, detail, where,
             context[0] ? context : "no call of the plug-in (the runner itself)");
    end_run(message);
}

char g_windows[2048];

DWORD WINAPI list_windows(LPVOID) {
    watcher_list_windows(g_windows, sizeof g_windows);
    return 0;
}

DWORD WINAPI watchdog(LPVOID) {
    while (!g_stop) {
        long long elapsed = kvb::entry_elapsed_ms();
        if (elapsed > (long long)g_timeout_s * 1000) {
            char context[2048], message[4500];
            kvb::describe_context(context, sizeof context);
            // Listing the windows asks the window manager, which a hung plug-in may hold.
            snprintf(g_windows, sizeof g_windows, "(they could not be listed)");
            HANDLE lister = CreateThread(nullptr, 0, list_windows, nullptr, 0, nullptr);
            if (lister) WaitForSingleObject(lister, 2000);
            snprintf(message, sizeof message,
                     "timeout: %s did not return within %d s (open windows: %s); a window it waits for was "
                     "not answered, or it never opened",
                     context, g_timeout_s, g_windows);
            end_run(message);
        }
        Sleep(100);
    }
    return 0;
}

// The plug-in's imports from NX's two libraries that these do not export, into out ("A, B"). Wine
// binds such an import to a stub that fails when called; Windows refuses the library. Their number.
int missing_nx_imports(HMODULE module, char* out, size_t size) {
    out[0] = '\0';
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    // The plug-in is of the runner's own width: the headers' native records (32 or 64 bits).
    const IMAGE_NT_HEADERS* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return 0;
    int missing = 0;
    size_t used = 0;
    for (auto imp = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
        const char* lib = reinterpret_cast<const char*>(base + imp->Name);
        if (lstrcmpiA(lib, "libufun.dll") != 0 && lstrcmpiA(lib, "libugopenint.dll") != 0) continue;
        HMODULE nx = GetModuleHandleA(lib);
        DWORD names = imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk;
        for (auto t = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + names); t->u1.AddressOfData; ++t) {
            if (IMAGE_SNAP_BY_ORDINAL(t->u1.Ordinal)) continue;
            const char* name = reinterpret_cast<const char*>(
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + t->u1.AddressOfData)->Name);
            if (nx && GetProcAddress(nx, name)) continue;
            ++missing;
            int n = snprintf(out + used, size - used, "%s%s", used ? ", " : "", name);
            if (n > 0 && (size_t)n < size - used)
                used += (size_t)n;
            else
                out[used] = '\0';  // whole names only
        }
    }
    return missing;
}

}  // namespace

int wh_load_plugin(const char* path, char* error, size_t size) {
    error[0] = '\0';
    WCHAR wide[MAX_PATH * 2];
    if (!MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, MAX_PATH * 2)) {
        snprintf(error, size, "%s: the path is too long", path);
        return -1;
    }
    // NX has its own libraries loaded before it loads a plug-in: the plug-in's imports bind to
    // them by name, wherever the plug-in lies. Here they are the bridge's, beside this program.
    static const char* const kNxLibraries[] = {"libufun.dll", "libugopenint.dll"};
    for (const char* nx : kNxLibraries) {
        if (!LoadLibraryA(nx)) {
            snprintf(error, size, "the bridge's %s was not loaded (error %lu)", nx, (unsigned long)GetLastError());
            return -1;
        }
    }
    g_plugin = LoadLibraryExW(wide, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!g_plugin) {
        DWORD code = GetLastError();
        snprintf(error, size, "%s: Windows did not load it (error %lu%s)", path, (unsigned long)code,
                 code == ERROR_MOD_NOT_FOUND ? ": a library it imports is missing"
                 : code == ERROR_PROC_NOT_FOUND ? ": a call it imports is missing"
                 : code == ERROR_BAD_EXE_FORMAT ? (sizeof(void*) == 8 ? ": not a 64-bit Windows library" : ": not a 32-bit Windows library") : "");
        return -1;
    }
    char missing[6144];  // every call of nx.h, named as a wrongly built DLL names them
    if (missing_nx_imports(g_plugin, missing, sizeof missing) > 0) {
        snprintf(error, size, "%s: Windows refuses it (error %d: a call it imports is missing): NX's libraries lack %s",
                 path, ERROR_PROC_NOT_FOUND, missing);
        return -1;
    }
    g_ufsta = reinterpret_cast<void*>(GetProcAddress(g_plugin, "ufsta"));
    if (!g_ufsta) {
        snprintf(error, size, "%s: exports no ufsta", path);
        return -1;
    }
    return 0;
}

void* wh_plugin_ufsta() { return g_ufsta; }

int wh_set_module_path(const char* path) {
    if (!g_plugin) return -1;
    WCHAR wide[1024];
    int n = MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, 1024);
    if (n <= 1) return -1;
    USHORT bytes = (USHORT)((n - 1) * sizeof(WCHAR));
    // The loader frees the name with the process heap when the module goes: it is made there.
    WCHAR* name = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, bytes + sizeof(WCHAR)));
    if (!name) return -1;
    memcpy(name, wide, bytes + sizeof(WCHAR));
    ULONG_PTR magic = 0;
    LdrLockLoaderLock(0, nullptr, &magic);
    LDR_DATA_TABLE_ENTRY* entry = nullptr;
    NTSTATUS status = LdrFindEntryForAddress(g_plugin, &entry);
    if (status == 0 && entry) {
        entry->FullDllName.Buffer = name;
        entry->FullDllName.Length = bytes;
        entry->FullDllName.MaximumLength = (USHORT)(bytes + sizeof(WCHAR));
    }
    LdrUnlockLoaderLock(0, magic);
    return status == 0 && entry ? 0 : -1;
}

int wh_capture_plugin_stdout() {
    HMODULE crt = GetModuleHandleA("msvcrt.dll");
    auto open_osfhandle = crt ? reinterpret_cast<crt_open_osfhandle_f>(reinterpret_cast<void*>(GetProcAddress(crt, "_open_osfhandle"))) : nullptr;
    auto dup2 = crt ? reinterpret_cast<crt_dup2_f>(reinterpret_cast<void*>(GetProcAddress(crt, "_dup2"))) : nullptr;
    auto close = crt ? reinterpret_cast<crt_close_f>(reinterpret_cast<void*>(GetProcAddress(crt, "_close"))) : nullptr;
    if (!open_osfhandle || !dup2 || !close) return -1;
    WCHAR dir[MAX_PATH], file[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, dir) || !GetTempFileNameW(dir, L"kvo", 0, file)) return -1;
    g_stdout_file = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (g_stdout_file == INVALID_HANDLE_VALUE) return -1;
    HANDLE crt_handle = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), g_stdout_file, GetCurrentProcess(), &crt_handle, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        return -1;
    const int kWriteOnlyText = 0x0001 | 0x4000;  // _O_WRONLY | _O_TEXT: as a console program's stdout
    int fd = open_osfhandle(reinterpret_cast<intptr_t>(crt_handle), kWriteOnlyText);
    if (fd < 0) return -1;
    int rc = dup2(fd, 1);
    close(fd);
    return rc == 0 ? 0 : -1;
}

size_t wh_take_plugin_stdout(char* out, size_t size) {
    if (size == 0) return 0;
    out[0] = '\0';
    HMODULE crt = GetModuleHandleA("msvcrt.dll");
    auto flush = crt ? reinterpret_cast<crt_fflush_f>(reinterpret_cast<void*>(GetProcAddress(crt, "fflush"))) : nullptr;
    if (flush) flush(nullptr);
    if (g_stdout_file == INVALID_HANDLE_VALUE) return 0;
    SetFilePointer(g_stdout_file, 0, nullptr, FILE_BEGIN);
    size_t used = 0;
    char buffer[4096];
    DWORD got = 0;
    bool cr = false;  // the last byte read was a CR not yet written
    while (ReadFile(g_stdout_file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got && used + 1 < size; ++i) {
            if (cr && buffer[i] != '\n') out[used++] = '\r';
            cr = buffer[i] == '\r';
            if (!cr && used + 1 < size) out[used++] = buffer[i];
        }
    }
    if (cr && used + 1 < size) out[used++] = '\r';
    out[used] = '\0';
    return used;
}

int wh_start_guards(int timeout_s) {
    g_timeout_s = timeout_s;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    AddVectoredExceptionHandler(1, on_exception);
    // Wine loads its display driver when a thread first needs it; two threads meeting there (the
    // plug-in's first window and the watcher's first look) can deadlock, so it is loaded here.
    HDC screen = GetDC(nullptr);
    if (screen) ReleaseDC(nullptr, screen);
    GetDesktopWindow();
    g_stop = 0;
    g_watchdog = CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr);
    if (!g_watchdog) return -1;
    return watcher_start(g_plugin);
}

void wh_stop_guards() {
    watcher_stop();
    if (g_watchdog) {
        InterlockedExchange(&g_stop, 1);
        WaitForSingleObject(g_watchdog, INFINITE);
        CloseHandle(g_watchdog);
        g_watchdog = nullptr;
    }
}

// Wine passes the command line as UTF-16; the runner takes UTF-8 (Linux file names).
extern "C" int wmain(int argc, WCHAR** wargv) {
    char** argv = static_cast<char**>(calloc((size_t)argc + 1, sizeof(char*)));
    for (int i = 0; i < argc; ++i) {
        int n = WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, nullptr, 0, nullptr, nullptr);
        argv[i] = static_cast<char*>(malloc(n > 0 ? (size_t)n : 1));
        if (n <= 0 || !WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, argv[i], n, nullptr, nullptr)) argv[i][0] = '\0';
    }
    return kvr_main(argc, argv);
}
