// The Windows services of the plug-in, with Win32 calls. Built only for Windows.
// Resources (the About dialog 4000 and its bitmap 4001) come from this library's own module,
// not from NX's executable: every call names that module explicitly.
#include <windows.h>
#include <io.h>
#include <shlobj.h>

#include <cstring>

#include "platform/win_services.h"

namespace {

// The module of this library, found from the address of one of its own functions.
HMODULE library_module() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&library_module), &module);
    return module;
}

const char kCaption[] = "Kelvora";
const int kAboutDialog = 4000;

// The About dialog adds nothing to a standard modal dialog: OK, Escape and the close box end it.
INT_PTR CALLBACK about_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;  // focus stays on the default button
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wparam));
                return TRUE;
            }
            break;
        case WM_CLOSE:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
    }
    return FALSE;
}

// Selects the start folder (the browser's lParam) as soon as the browser is shown.
int CALLBACK select_start(HWND window, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start) SendMessageA(window, BFFM_SETSELECTIONA, TRUE, start);
    return 0;
}

}  // namespace


extern "C" int ws_message_box(const char *text) {
    MessageBoxA(nullptr, text ? text : "", kCaption, MB_OK | MB_TASKMODAL);
    return 0;
}

extern "C" int ws_browse_folder(const char *title, char path[1024]) {
    return ws_browse_folder_at(title, nullptr, path);
}

extern "C" int ws_browse_folder_at(const char *title, const char *start, char path[1024]) {
    if (!path) return -1;
    path[0] = '\0';
    char display[MAX_PATH] = "";
    BROWSEINFOA info;
    memset(&info, 0, sizeof info);
    info.hwndOwner = nullptr;
    info.pidlRoot = nullptr;  // the desktop
    info.pszDisplayName = display;
    info.lpszTitle = title;
    info.ulFlags = BIF_EDITBOX;  // 0x0010
    if (start && start[0]) {
        info.lpfn = select_start;
        info.lParam = reinterpret_cast<LPARAM>(start);
    }
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (!item) return -1;
    char chosen[MAX_PATH] = "";
    BOOL ok = SHGetPathFromIDListA(item, chosen);
    CoTaskMemFree(item);  // the shell's item list is released by its allocator
    if (!ok || !chosen[0]) return -2;
    strncpy(path, chosen, 1023);
    path[1023] = '\0';
    return 0;
}

extern "C" int ws_module_file_path(char path[1024]) {
    if (!path) return -1;
    path[0] = '\0';
    DWORD n = GetModuleFileNameA(library_module(), path, 1024);
    if (n == 0 || n >= 1024) {
        path[0] = '\0';
        return -1;
    }
    return 0;
}

extern "C" int ws_show_about_dialog(void) {
    DialogBoxParamA(library_module(), MAKEINTRESOURCEA(kAboutDialog), nullptr, about_proc, 0);
    return 0;
}

// NX loads both libraries before any plug-in, so GetModuleHandle finds them without taking a
// reference of the plug-in's own.
extern "C" ws_nx_call_t ws_find_nx_call(const char *name) {
    if (!name || !name[0]) return nullptr;
    static const char *const kLibraries[] = {"libufun.dll", "libugopenint.dll"};
    for (const char *library : kLibraries) {
        HMODULE module = GetModuleHandleA(library);
        FARPROC address = module ? GetProcAddress(module, name) : nullptr;
        if (address) return reinterpret_cast<ws_nx_call_t>(address);
    }
    return nullptr;
}

extern "C" int ws_path_kind(const char *path) {
    if (!path || !path[0]) return WS_PATH_OTHER;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? WS_PATH_NONE : WS_PATH_OTHER;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return WS_PATH_OTHER;
    return attributes & FILE_ATTRIBUTE_READONLY ? WS_PATH_READ_ONLY : WS_PATH_FILE;
}

// The C runtime's fclose can report success after its last flush failed (a full disk): the
// buffer is flushed and checked here, while the file is still open.
extern "C" int ws_commit_file(FILE *file) {
    if (!file || fflush(file) != 0 || ferror(file)) return -1;
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle)) return -1;
    return 0;
}

// Windows' C runtime takes narrow paths in the system code page, GBK on a Chinese system.
extern "C" FILE *ws_open_file(const char *path, const char *mode) {
    if (!path || !mode) return nullptr;
    return fopen(path, mode);
}

extern "C" int ws_remove_file(const char *path) { return path && remove(path) == 0 ? 0 : -1; }

extern "C" int ws_replace_file(const char *from, const char *to) {
    if (!from || !to) return -1;
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : -1;
}
