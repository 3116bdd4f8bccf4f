// The watcher thread: plays the user who answers the plug-in's windows, and the watchdog that
// ends a host whose step does not return.
#include <cstdio>
#include <cstring>

#include "kvsmoke.h"
#include "../common/dialog_template.h"

namespace {

const int kAboutDialog = 4000;
const DWORD kPollMs = 50;
const DWORD kPaintMs = 700;   // the dialog's first paint before the screenshot
const DWORD kCloseMs = 5000;  // a window still there after this did not close

HMODULE g_plugin = nullptr;
char g_plugin_base[MAX_PATH] = "";
char g_screenshot[MAX_PATH] = "";
HANDLE g_thread = nullptr;
volatile LONG g_stop = 0;
volatile LONG g_problems = 0;
HWND g_stuck = nullptr;  // answered once and still open: left to the watchdog

SRWLOCK g_deadline_lock = SRWLOCK_INIT;
ULONGLONG g_deadline = 0;  // GetTickCount64 value; 0 when no step is watched
char g_step[160] = "";
int g_step_seconds = 0;

const char *base_name(const char *path) {
    const char *base = path;
    for (const char *p = path; *p; p++)
        if (*p == '\\' || *p == '/') base = p + 1;
    return base;
}

struct Found {
    DWORD pid;
    HWND window;
};

BOOL CALLBACK find_own_window(HWND window, LPARAM param) {
    Found *found = reinterpret_cast<Found *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != found->pid || !IsWindowVisible(window) || window == g_stuck) return TRUE;
    found->window = window;
    return FALSE;
}

bool wait_closed(HWND window) {
    for (DWORD waited = 0; waited < kCloseMs; waited += kPollMs) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(kPollMs);
    }
    return false;
}

void press(HWND button) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kCloseMs, &result);
}

void problem() { InterlockedIncrement(&g_problems); }

// A message box: its caption and text, then OK.
void answer_box(HWND box, const char *caption) {
    char text[1024] = "";
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        char t[1024] = "";
        window_text_utf8(child, t, sizeof t);
        if (_stricmp(cls, "Static") == 0 && t[0] && !text[0]) snprintf(text, sizeof text, "%s", t);
    }
    host_log("box: %s | %s", caption, text);
    HWND ok = GetDlgItem(box, IDOK);
    if (!ok) {
        host_log("box: no OK button");
        problem();
        PostMessageA(box, WM_CLOSE, 0, 0);
        return;
    }
    press(ok);
}

// The plug-in's About dialog: what it shows, a screenshot, then its own IDOK button.
void answer_about(HWND dialog, const char *caption) {
    char expected[256] = "";
    if (template_caption(g_plugin, kAboutDialog, expected, sizeof expected) != 0 || strcmp(expected, caption) != 0) {
        host_log("dialog: \"%s\" of %s is not its dialog %d", caption, g_plugin_base, kAboutDialog);
        problem();
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return;
    }
    host_log("about: dialog %d of %s: \"%s\"", kAboutDialog, g_plugin_base, caption);
    HWND ok = nullptr;
    char ok_text[256] = "";
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        char text[1024] = "";
        window_text_utf8(child, text, sizeof text);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        int id = GetDlgCtrlID(child);
        if (_stricmp(cls, "Button") == 0) {
            host_log("about: button %d \"%s\"%s", id, text, (style & 0xf) == BS_DEFPUSHBUTTON ? " (default)" : "");
            if (id == IDOK) {
                ok = child;
                snprintf(ok_text, sizeof ok_text, "%s", text);
            }
        } else if (_stricmp(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP) {
            HBITMAP bitmap = reinterpret_cast<HBITMAP>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
            BITMAP info;
            if (bitmap && GetObjectA(bitmap, sizeof info, &info) == sizeof info) {
                host_log("about: picture, a bitmap of %ldx%ld", info.bmWidth, info.bmHeight);
            } else {
                host_log("about: picture without a bitmap");
                problem();
            }
        } else if (_stricmp(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_ETCHEDHORZ) {
            host_log("about: rule");
        } else {
            host_log("about: %s \"%s\"", _stricmp(cls, "Static") == 0 ? "text" : cls, text);
        }
    }
    if (g_screenshot[0]) {
        Sleep(kPaintMs);
        int rc = save_window_png(dialog, g_screenshot);
        host_log(rc == 0 ? "about: screenshot %s" : "about: screenshot %s failed", base_name(g_screenshot));
        if (rc != 0) problem();
    }
    if (!ok) {
        host_log("about: no IDOK button");
        problem();
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return;
    }
    host_log("about: closed with \"%s\"", ok_text);
    press(ok);
}

void answer(HWND window) {
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    char caption[512] = "";
    window_text_utf8(window, caption, sizeof caption);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    if (strcmp(cls, "#32770") == 0 && instance == g_plugin) {
        answer_about(window, caption);
    } else if (strcmp(cls, "#32770") == 0) {
        answer_box(window, caption);
    } else {
        host_log("window: unexpected %s \"%s\": asked to close", cls, caption);
        problem();
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (!wait_closed(window)) {
        host_log("window: \"%s\" did not close", caption);
        problem();
        g_stuck = window;
    }
}

void check_deadline() {
    AcquireSRWLockExclusive(&g_deadline_lock);
    bool late = g_deadline && GetTickCount64() > g_deadline;
    char step[160];
    snprintf(step, sizeof step, "%s", g_step);
    int seconds = g_step_seconds;
    ReleaseSRWLockExclusive(&g_deadline_lock);
    if (!late) return;
    host_log("timeout: %s did not return within %d s (a window it waits for was not answered)", step, seconds);
    TerminateProcess(GetCurrentProcess(), 4);
}

DWORD WINAPI watch(LPVOID) {
    while (!g_stop) {
        check_deadline();
        Found found = {GetCurrentProcessId(), nullptr};
        EnumWindows(find_own_window, reinterpret_cast<LPARAM>(&found));
        if (found.window) answer(found.window);
        Sleep(kPollMs);
    }
    return 0;
}

}  // namespace

int window_text_utf8(HWND window, char *out, int size) {
    if (!out || size <= 0) return 0;
    out[0] = '\0';
    wchar_t text[1024] = L"";
    int n = GetWindowTextW(window, text, 1024);
    if (n > 0) {
        int m = WideCharToMultiByte(CP_UTF8, 0, text, n, out, size - 1, nullptr, nullptr);
        out[m > 0 ? m : 0] = '\0';
    }
    return 0;
}

int start_watcher(HMODULE plugin, const char *plugin_base, const char *screenshot) {
    g_plugin = plugin;
    snprintf(g_plugin_base, sizeof g_plugin_base, "%s", plugin_base ? plugin_base : "");
    snprintf(g_screenshot, sizeof g_screenshot, "%s", screenshot ? screenshot : "");
    g_stop = 0;
    g_thread = CreateThread(nullptr, 0, watch, nullptr, 0, nullptr);
    return g_thread ? 0 : -1;
}

void set_deadline(const char *what, int seconds) {
    AcquireSRWLockExclusive(&g_deadline_lock);
    snprintf(g_step, sizeof g_step, "%s", what ? what : "");
    g_step_seconds = seconds;
    g_deadline = seconds > 0 ? GetTickCount64() + (ULONGLONG)seconds * 1000 : 0;
    ReleaseSRWLockExclusive(&g_deadline_lock);
}

int stop_watcher(void) {
    if (g_thread) {
        InterlockedExchange(&g_stop, 1);
        WaitForSingleObject(g_thread, INFINITE);
        CloseHandle(g_thread);
        g_thread = nullptr;
    }
    return (int)g_problems;
}
