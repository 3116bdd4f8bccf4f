// A plug-in whose only action opens a window that refuses to close and waits for it: the smoke
// host cannot answer it, so the run must end in the host's timeout with a message, not hang.
#include <windows.h>

#include "nx.h"

namespace {

LRESULT CALLBACK refuse_close(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wparam, lparam);
}

UF_MB_cb_status_t open_window(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = refuse_close;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KvTestStuck";
    RegisterClassA(&wc);
    CreateWindowA("KvTestStuck", "Kelvora test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                  nullptr, wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return UF_MB_CB_CONTINUE;
}

UF_MB_action_t g_actions[] = {
    {(char *)"KV_TEST_STUCK", {open_window, nullptr}},
    {nullptr, {nullptr, nullptr}},
};

}  // namespace

extern "C" DllExport void ufsta(char *param, int *retcod, int rlen) {
    (void)param;
    (void)retcod;
    (void)rlen;
    if (UF_initialize() != 0) return;
    UF_MB_add_actions(g_actions);
    UF_terminate();
}
