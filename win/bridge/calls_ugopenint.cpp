// The calls of libugopenint.dll that hand the host pointers to plug-in code: the menu action
// table and a dialog's callback table. The host gets copies whose callbacks it can call.
#include "bridge.h"
#include "nxsim/nxsim.h"

namespace {

// NX reads the action table to its end row; the bridge reads no further than this.
const int kMaxActionRows = 4096;

}  // namespace

extern "C" KVB_MS_ABI int kvb_UF_MB_add_actions(UF_MB_action_t action_table[]) {
    kvb::CallScope scope("UF_MB_add_actions");
    if (!action_table) return UF_MB_add_actions(nullptr);
    std::string why;
    UF_MB_action_t* copy = kvb::wrap_actions(action_table, kMaxActionRows, &why);
    if (!copy) {
        // NX would read on past the table into whatever follows it.
        nxsim::add_error("UF_MB_add_actions: the action table is refused: " + why);
        return UF_MB_add_actions(nullptr);
    }
    return UF_MB_add_actions(copy);
}

extern "C" KVB_MS_ABI int kvb_UF_STYLER_create_dialog(char* dialog_file, UF_STYLER_callback_info_t* cbs,
                                                      int number_of_cbs, void* client_data, int* response) {
    kvb::CallScope scope("UF_STYLER_create_dialog");
    if (!cbs || number_of_cbs < 1) return UF_STYLER_create_dialog(dialog_file, cbs, number_of_cbs, client_data, response);
    std::string file = dialog_file ? kvb::to_linux_path(dialog_file) : "";
    UF_STYLER_callback_info_t* copy = kvb::wrap_callbacks(cbs, number_of_cbs, file.c_str());
    if (!copy) {
        nxsim::add_error(file + ": the dialog's callbacks are more than the bridge's trampolines");
        return UF_STYLER_create_dialog(dialog_file, nullptr, 0, client_data, response);
    }
    int rc = UF_STYLER_create_dialog(dialog_file ? &file[0] : nullptr, copy, number_of_cbs, client_data, response);
    kvb::release_callbacks(copy);
    return rc;
}
