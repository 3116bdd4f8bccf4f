// The watcher: plays the user who answers the windows the plug-in's Windows services open. What
// the user sees and answers comes from the simulated host's stand-in of the same service, so the
// transcript line, the scripted answer it takes and an injected fault are the host's own; the
// watcher reads the real window's text for it and presses the real window's buttons.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/win_services.h"
#include "winhost.h"
#include "../common/dialog_template.h"

namespace {

const int kAboutDialog = 4000;
const int kAboutBitmap = 4001;
const int kBrowserTitle = 14146;  // the static text of Wine's folder browser that shows the title
const DWORD kPollMs = 10;
const DWORD kSettleMs = 30;     // a window just shown finishes its initialisation
const DWORD kCloseMs = 5000;    // a window still open after this did not close
const char kOpenedOn[] = "(the folder it opened on)";

HMODULE g_plugin = nullptr;
HANDLE g_thread = nullptr;
volatile LONG g_stop = 0;
HWND g_given_up[16];  // windows answered once that did not close: left to the watchdog
int g_given_up_count = 0;

// The text of a window as GBK (the plug-in's code page) or UTF-8.
void window_text(HWND window, UINT code_page, char* out, int size) {
    WCHAR wide[2048] = L"";
    GetWindowTextW(window, wide, 2048);
    int n = WideCharToMultiByte(code_page, 0, wide, -1, out, size, nullptr, nullptr);
    if (n <= 0) out[0] = '\0';
    out[size - 1] = '\0';
}

bool class_is(HWND window, const char* name) {
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0;
}

HWND child_of_class(HWND parent, const char* name) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (class_is(c, name)) return c;
    return nullptr;
}

bool given_up(HWND window) {
    for (int i = 0; i < g_given_up_count; ++i)
        if (g_given_up[i] == window) return true;
    return false;
}

void error(const char* format, const char* a, const char* b = "") {
    char text[4200];
    snprintf(text, sizeof text, format, a, b);
    kvr_host_error(text);
}

void press(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    DWORD_PTR result = 0;
    if (button)
        SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kCloseMs, &result);
    else
        PostMessageA(dialog, WM_CLOSE, 0, 0);
}

bool wait_closed(HWND window) {
    for (DWORD waited = 0; waited < kCloseMs; waited += kPollMs) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(kPollMs);
    }
    return false;
}

void report(const char* format, ...) __attribute__((format(printf, 1, 2)));
void report(const char* format, ...) {
    char line[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    kvr_report(line);
}

// For the run's report: what the About dialog shows, control by control in the order of its
// template, and its picture in about.png of the report's folder.
void describe_about(HWND dialog, const char* caption) {
    WCHAR module[MAX_PATH] = L"";
    char path[MAX_PATH * 3] = "";
    GetModuleFileNameW(g_plugin, module, MAX_PATH);
    WideCharToMultiByte(CP_UTF8, 0, module, -1, path, sizeof path, nullptr, nullptr);
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') base = p + 1;
    report("about: dialog %d of %s: \"%s\"", kAboutDialog, base, caption);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char text[2048];
        window_text(c, CP_UTF8, text, sizeof text);
        LONG style = GetWindowLongA(c, GWL_STYLE);
        if (class_is(c, "Button")) {
            report("about: button %d \"%s\"%s", GetDlgCtrlID(c), text, (style & 0xf) == BS_DEFPUSHBUTTON ? " (default)" : "");
        } else if (class_is(c, "Static") && (style & SS_TYPEMASK) == SS_BITMAP) {
            HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(c, STM_GETIMAGE, IMAGE_BITMAP, 0));
            BITMAP b;
            if (shown && GetObjectA(shown, sizeof b, &b) == sizeof b)
                report("about: picture, a bitmap of %dx%d", (int)b.bmWidth, (int)b.bmHeight);
            else
                report("about: picture without a bitmap");
        } else if (class_is(c, "Static") && (style & SS_TYPEMASK) == SS_ETCHEDHORZ) {
            report("about: rule");
        } else {
            char cls[64] = "";
            GetClassNameA(c, cls, sizeof cls);
            report("about: %s \"%s\"", class_is(c, "Static") ? "text" : cls, text);
        }
    }
    char file[MAX_PATH * 3];
    snprintf(file, sizeof file, "%s/about.png", kvr_report_folder());
    char windows_file[MAX_PATH * 3];
    kvr_windows_path(file, windows_file, sizeof windows_file);
    int width = 0, height = 0;
    int rc = save_window_png(dialog, windows_file, &width, &height);
    if (rc == 0)
        report("about: pictured in about.png (%dx%d)", width, height);
    else
        error("About dialog \"%s\": its picture could not be %s", caption, rc == -1 ? "taken" : "written");
}

// The About dialog: it must be the plug-in's dialog 4000 showing its bitmap 4001; the host's
// About service writes its line, and the dialog's OK closes it.
void answer_about(HWND dialog) {
    char caption[512], expected[512];
    window_text(dialog, CP_UTF8, caption, sizeof caption);
    if (template_caption(g_plugin, kAboutDialog, expected, sizeof expected) != 0 || strcmp(expected, caption) != 0)
        error("About dialog: \"%s\" is not the plug-in's dialog 4000 (\"%s\")", caption, expected);
    HBITMAP shown = nullptr;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (class_is(c, "Static") && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            shown = reinterpret_cast<HBITMAP>(SendMessageA(c, STM_GETIMAGE, IMAGE_BITMAP, 0));
    HBITMAP resource = LoadBitmapA(g_plugin, MAKEINTRESOURCEA(kAboutBitmap));
    BITMAP a, b;
    if (!shown || !resource || GetObjectA(shown, sizeof a, &a) != sizeof a || GetObjectA(resource, sizeof b, &b) != sizeof b ||
        a.bmWidth != b.bmWidth || a.bmHeight != b.bmHeight)
        error("About dialog \"%s\": it does not show the plug-in's bitmap 4001", caption);
    if (resource) DeleteObject(resource);
    if (kvr_report_folder()) describe_about(dialog, caption);
    ws_show_about_dialog();
    press(dialog, IDOK);
}

// A message box: the host's message box service takes its text; OK closes it.
void answer_box(HWND box) {
    char text[4096] = "";
    for (HWND c = GetWindow(box, GW_CHILD); c && !text[0]; c = GetWindow(c, GW_HWNDNEXT))
        if (class_is(c, "Static")) window_text(c, 936, text, sizeof text);  // the message; the icon has none
    ws_message_box(text);
    press(box, GetDlgItem(box, IDOK) ? IDOK : IDCANCEL);
}

// The text of a tree item as UTF-16.
void item_text(HWND tree, HTREEITEM item, WCHAR* out, int size) {
    out[0] = L'\0';
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = out;
    tv.cchTextMax = size;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

// The child of item showing name (letter case ignored), expanding item first as a click on its
// button does; null when it has none.
HTREEITEM child_named(HWND tree, HTREEITEM item, const WCHAR* name) {
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    for (HTREEITEM c = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
         c; c = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(c)))) {
        WCHAR text[MAX_PATH];
        item_text(tree, c, text, MAX_PATH);
        if (lstrcmpiW(text, name) == 0) return c;
    }
    return nullptr;
}

// The shell's display name of a special folder or a path, as the browser's tree shows it.
bool display_name(int csidl, const WCHAR* path, WCHAR* out) {
    SHFILEINFOW info = {};
    if (path) return SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_DISPLAYNAME) && lstrcpynW(out, info.szDisplayName, MAX_PATH);
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl))) return false;
    bool ok = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME) != 0;
    CoTaskMemFree(pidl);
    return ok && lstrcpynW(out, info.szDisplayName, MAX_PATH);
}

// Selects the folder path (a Z: path without a trailing backslash) in the browser's tree as the
// user does: Desktop, My Computer, the drive, then each folder down the path, opened in turn.
bool select_folder(HWND tree, const WCHAR* path) {
    WCHAR computer[MAX_PATH], drive[MAX_PATH];
    if (!display_name(CSIDL_DRIVES, nullptr, computer) || !display_name(0, L"Z:\\", drive)) return false;
    HTREEITEM at = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (at) at = child_named(tree, at, computer);
    if (at) at = child_named(tree, at, drive);
    const WCHAR* p = path + 2;  // past "Z:"
    while (at && *p) {
        while (*p == L'\\') ++p;
        const WCHAR* end = p;
        while (*end && *end != L'\\') ++end;
        if (end == p) break;
        WCHAR name[MAX_PATH];
        lstrcpynW(name, p, (int)(end - p) + 1 < MAX_PATH ? (int)(end - p) + 1 : MAX_PATH);
        at = child_named(tree, at, name);
        p = end;
    }
    if (!at) return false;
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(at));
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) == at;
}

// The folder browser: the host's service gives the scripted answer. A cancel (or a failing
// service) presses Cancel; the folder the browser opened on (a start folder is selected when it
// shows) is taken with OK; another folder is selected in the tree first, as the user clicks it.
// Wine's browser has no edit box: a folder that does not exist cannot be chosen.
void answer_browser(HWND browser, HWND tree) {
    char title[1024] = "";
    HWND label = GetDlgItem(browser, kBrowserTitle);
    if (label) window_text(label, 936, title, sizeof title);
    bool opened_on = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0;
    char path[1024] = "";
    int rc = opened_on ? ws_browse_folder_at(title, kOpenedOn, path) : ws_browse_folder(title, path);
    if (rc != 0) {
        press(browser, IDCANCEL);
        return;
    }
    if (strcmp(path, kOpenedOn) == 0) {
        press(browser, IDOK);
        return;
    }
    char windows_path[2048];
    kvr_windows_path(path, windows_path, sizeof windows_path);
    WCHAR wide[1024];
    if (!MultiByteToWideChar(936, 0, windows_path, -1, wide, 1024)) wide[0] = L'\0';
    size_t n = lstrlenW(wide);
    while (n > 3 && wide[n - 1] == L'\\') wide[--n] = L'\0';
    if (wide[0] && select_folder(tree, wide)) {
        press(browser, IDOK);
        return;
    }
    char utf8_path[2048];
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8_path, sizeof utf8_path, nullptr, nullptr);
    error("folder browser: %s cannot be chosen (Wine's browser picks existing folders only); cancelled", utf8_path);
    press(browser, IDCANCEL);
}

void answer(HWND window) {
    Sleep(kSettleMs);
    if (!IsWindow(window) || !IsWindowVisible(window)) return;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    HWND tree = child_of_class(window, "SysTreeView32");
    char caption[512], cls[64];
    window_text(window, CP_UTF8, caption, sizeof caption);
    GetClassNameA(window, cls, sizeof cls);
    if (class_is(window, "#32770") && instance == g_plugin) {
        answer_about(window);
    } else if (class_is(window, "#32770") && tree) {
        answer_browser(window, tree);
    } else if (class_is(window, "#32770") && child_of_class(window, "Static") && GetDlgItem(window, IDOK)) {
        answer_box(window);
    } else {
        error("a window the bridge cannot answer opened: \"%s\" (%s); asked to close", caption, cls);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (!wait_closed(window)) {
        error("the window \"%s\" (%s) did not close", caption, cls);
        if (g_given_up_count < 16) g_given_up[g_given_up_count++] = window;
    }
}

struct Found {
    DWORD pid;
    HWND window;
};

BOOL CALLBACK find_own_window(HWND window, LPARAM param) {
    Found* found = reinterpret_cast<Found*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != found->pid || !IsWindowVisible(window) || given_up(window)) return TRUE;
    found->window = window;
    return FALSE;
}

DWORD WINAPI watch(LPVOID) {
    while (!g_stop) {
        Found found = {GetCurrentProcessId(), nullptr};
        EnumWindows(find_own_window, reinterpret_cast<LPARAM>(&found));
        if (found.window) answer(found.window);
        Sleep(kPollMs);
    }
    return 0;
}

struct Listing {
    DWORD pid;
    char* out;
    size_t size;
    size_t used;
};

BOOL CALLBACK list_window(HWND window, LPARAM param) {
    Listing* l = reinterpret_cast<Listing*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != l->pid || !IsWindowVisible(window)) return TRUE;
    char caption[256], cls[64];
    window_text(window, CP_UTF8, caption, sizeof caption);
    GetClassNameA(window, cls, sizeof cls);
    int n = snprintf(l->out + l->used, l->size - l->used, "%s\"%s\" (%s)", l->used ? ", " : "", caption, cls);
    if (n > 0 && (size_t)n < l->size - l->used) l->used += (size_t)n;
    return TRUE;
}

}  // namespace

int watcher_start(void* plugin_module) {
    g_plugin = static_cast<HMODULE>(plugin_module);
    g_stop = 0;
    g_thread = CreateThread(nullptr, 0, watch, nullptr, 0, nullptr);
    return g_thread ? 0 : -1;
}

void watcher_stop() {
    if (!g_thread) return;
    InterlockedExchange(&g_stop, 1);
    WaitForSingleObject(g_thread, INFINITE);
    CloseHandle(g_thread);
    g_thread = nullptr;
}

void watcher_list_windows(char* out, size_t size) {
    Listing l = {GetCurrentProcessId(), out, size, 0};
    out[0] = '\0';
    EnumWindows(list_window, reinterpret_cast<LPARAM>(&l));
    if (!l.used) snprintf(out, size, "none");
}
