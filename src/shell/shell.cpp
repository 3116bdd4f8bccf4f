// Entry point, menu actions and the work-part guard.
#include "shell/shell.h"

#include "create/create_dialog.h"
#include "drawing/drawing_dialog.h"
#include "layer/layer_dialog.h"
#include "platform/win_services.h"

namespace {

// NX keeps the pointers of this table: it lives as long as the library.
UF_MB_action_t g_actions[] = {
    {(char *)"KELVORA_LAYER", {layer_action, nullptr}},
    {(char *)"KELVORA_DRAFT", {draft_action, nullptr}},
    {(char *)"KELVORA_CREATE", {create_action, nullptr}},
    {(char *)"KELVORA_ABOUT", {about_action, nullptr}},
    {nullptr, {nullptr, nullptr}},
};

}  // namespace

/* Called once by NX at start-up: registers the menu actions. */
extern "C" DllExport void ufsta(char *param, int *retcod, int rlen) {
    (void)param;
    (void)retcod;
    (void)rlen;
    if (UF_initialize() != 0) return;
    UF_MB_add_actions(g_actions);
    UF_terminate();
}

int check_work_part(void) {
    // Without the API the launch that follows cannot open anything either: let it fail there.
    if (UF_initialize() != 0) return 1;
    tag_t work = UF_ASSEM_ask_work_part();
    UF_terminate();
    if (work == NULL_TAG) {
        ws_message_box(KV_NO_WORK_PART_TEXT);
        return 0;
    }
    return 1;
}

UF_MB_cb_status_t layer_action(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) {
    int response = 0;
    if (check_work_part()) launch_layer_dialog(&response);
    return UF_MB_CB_CONTINUE;
}

UF_MB_cb_status_t draft_action(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) {
    int response = 0;
    if (check_work_part()) launch_drawing_dialog(&response);
    return UF_MB_CB_CONTINUE;
}

UF_MB_cb_status_t create_action(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) {
    int response = 0;
    if (check_work_part()) launch_create_dialog(&response);
    return UF_MB_CB_CONTINUE;
}

UF_MB_cb_status_t about_action(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) {
    if (UF_initialize() != 0) return UF_MB_CB_CONTINUE;
    ws_show_about_dialog();
    UF_terminate();
    return UF_MB_CB_CONTINUE;
}
