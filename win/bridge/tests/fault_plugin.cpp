// A test plug-in (MinGW, 64-bit) whose menu actions fault or hang in each place the bridge must
// report: in the action itself, in a dialog callback, inside an NX call, without a window, and
// in a window nobody can answer. Built three ways: as is; with KV_NO_ENTRY (no ufsta); with
// KV_MISSING_CALL (it imports a call NX's libraries do not have).
#include <windows.h>

#include "nx.h"

#ifdef KV_MISSING_CALL
extern "C" int UF_BRIDGE_NO_SUCH_CALL(void);
#endif

namespace {

volatile int* g_nowhere = nullptr;

UF_MB_cb_status_t fault_in_action(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) {
    *g_nowhere = 1;
    return UF_MB_CB_CONTINUE;
}

int fault_in_callback(int, void*, UF_STYLER_item_value_type_p_t) {
    *g_nowhere = 2;
    return UF_UI_CB_CONTINUE_DIALOG;
}

int close_dialog(int, void*, UF_STYLER_item_value_type_p_t) { return UF_UI_CB_EXIT_DIALOG; }

UF_MB_cb_status_t fault_in_dialog(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) {
    UF_STYLER_callback_info_t table[] = {
        {(char *)"ACTION_2", UF_STYLER_ACTIVATE_CB, 0, fault_in_callback},
        {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CANCEL_CB, 0, close_dialog},
        {(char *)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
    };
    char file[] = "setElectLayer.dlg";
    int response = 0;
    if (UF_initialize() != 0) return UF_MB_CB_CONTINUE;
    UF_STYLER_create_dialog(file, table, 3, nullptr, &response);
    UF_terminate();
    return UF_MB_CB_CONTINUE;
}

// The host writes the name into a buffer that is no buffer.
UF_MB_cb_status_t fault_in_call(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) {
    if (UF_initialize() != 0) return UF_MB_CB_CONTINUE;
    UF_OBJ_ask_name(UF_ASSEM_ask_work_part(), reinterpret_cast<char *>(16));
    UF_terminate();
    return UF_MB_CB_CONTINUE;
}

UF_MB_cb_status_t hang(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) {
    for (;;) Sleep(100);
}

LRESULT CALLBACK refuse_close(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wparam, lparam);
}

UF_MB_cb_status_t stuck_window(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = refuse_close;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KvTestStuck";
    RegisterClassA(&wc);
    CreateWindowA("KvTestStuck", "Kelvora test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                  wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return UF_MB_CB_CONTINUE;
}

UF_MB_action_t g_actions[] = {
    {(char *)"KV_FAULT_ACTION", {fault_in_action, nullptr}},
    {(char *)"KV_FAULT_DIALOG", {fault_in_dialog, nullptr}},
    {(char *)"KV_FAULT_IN_CALL", {fault_in_call, nullptr}},
    {(char *)"KV_HANG", {hang, nullptr}},
    {(char *)"KV_STUCK", {stuck_window, nullptr}},
    {nullptr, {nullptr, nullptr}},
};

}  // namespace

#ifdef KV_NO_ENTRY
extern "C" DllExport void not_ufsta(void) {}
#else
extern "C" DllExport void ufsta(char *param, int *retcod, int rlen) {
    (void)param;
    (void)retcod;
    (void)rlen;
    if (UF_initialize() != 0) return;
#ifdef KV_MISSING_CALL
    UF_BRIDGE_NO_SUCH_CALL();
#endif
    UF_MB_add_actions(g_actions);
    UF_terminate();
}
#endif
