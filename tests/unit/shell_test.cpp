// The plug-in shell: registering the actions, the guard and launch, and doing nothing at all
// when the API cannot be initialised.
#include <gtest/gtest.h>

#include <cstring>

#include "create/create_dialog.h"
#include "drawing/drawing_dialog.h"
#include "drawing/job_sheet.h"
#include "drawing/process_listing.h"
#include "layer/layer_dialog.h"
#include "nx.h"
#include "nxsim/nxsim.h"
#include "platform/late_calls.h"
#include "shell/shell.h"
#include "platform/win_services.h"
#include "test_support.h"
#include "ui/dialog.h"

namespace {

TEST(Shell, UfstaRegistersTheActionsAndBalancesTheApi) {
    nxsim::reset();
    ufsta(nullptr, nullptr, 0);
    EXPECT_EQ((std::vector<std::string>{"KELVORA_LAYER", "KELVORA_DRAFT", "KELVORA_CREATE", "KELVORA_ABOUT"}),
              nxsim::actions());
    EXPECT_EQ(0, nxsim::init_depth());
}

TEST(Shell, WithoutTheApiNothingHappensAnywhere) {
    nxsim::reset();
    std::string err;
    ASSERT_EQ(0, nxsim::open_part(kv_test::source_path("tests/unit/data/layers.prt"), &err)) << err;
    nxsim::set_dialog_folder(kv_test::source_path("kit/application"));
    nxsim::fail("UF_initialize", nxsim::FaultMode::Always);
    ufsta(nullptr, nullptr, 0);
    EXPECT_TRUE(nxsim::actions().empty());
    UF_MB_cb_status_t (*actions[])(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t) = {
        layer_action, draft_action, create_action, about_action};
    for (auto* action : actions) EXPECT_EQ(UF_MB_CB_CONTINUE, action(nullptr, nullptr, nullptr));
    // Every callback of the three dialogs' tables, OK ones included, keeps the dialog open.
    int (*callbacks[])(int, void*, UF_STYLER_item_value_type_p_t) = {
        dialog_cancel_cb, noop_cb,
        create_constructor_cb, create_ok_cb, create_apply_cb, create_clear_selection_cb,
        create_invert_selection_cb, create_choose_folder_cb,
        layer_constructor_cb, layer_destructor_cb, layer_ok_cb, layer_apply_cb, layer_select_cb,
        drawing_constructor_cb, drawing_destructor_cb, drawing_ok_cb, drawing_apply_cb, electrode_list_cb,
        apply_process_data_cb, copy_process_data_cb, paste_process_data_cb, write_process_listing, job_sheet_cb};
    for (size_t i = 0; i < sizeof callbacks / sizeof callbacks[0]; ++i)
        EXPECT_EQ(0, callbacks[i](1, nullptr, nullptr)) << "callback " << i;
    EXPECT_TRUE(nxsim::transcript().empty());
    // Nothing but the failed UF_initialize calls reached the host.
    for (auto& call : nxsim::call_log()) EXPECT_EQ(0u, call.find("UF_initialize")) << call;
    EXPECT_EQ(0, nxsim::init_depth());
    nxsim::reset();
}

TEST(Shell, CheckWorkPartSaysSoWhenThereIsNone) {
    nxsim::reset();
    EXPECT_EQ(0, check_work_part());
    EXPECT_EQ((std::vector<std::string>{"box: 无当前工作文件！"}), kv_test::gbk_lines(nxsim::transcript()));
    std::string err;
    ASSERT_EQ(0, nxsim::open_part(kv_test::source_path("tests/unit/data/layers.prt"), &err)) << err;
    EXPECT_EQ(1, check_work_part());
    EXPECT_EQ(1u, nxsim::transcript().size());
    EXPECT_EQ(0, nxsim::init_depth());
}

TEST(Shell, LaunchReportsNxErrorTextForAMissingDialogFile) {
    nxsim::reset();
    nxsim::set_dialog_folder(kv_test::source_path("tests/unit"));
    int response = 0;
    int rc = launch_layer_dialog(&response);
    EXPECT_NE(0, rc);
    ASSERT_EQ(1u, nxsim::transcript().size());
    EXPECT_EQ("status: Unable to open the UIStyler dialog file", nxsim::transcript()[0]);
    EXPECT_EQ(0, nxsim::init_depth());
}

// A call NX moved between its two libraries is looked up at run time: called where the release
// exports it, done without (nothing called, -1) where neither library does.
TEST(Shell, AMovedCallIsCalledWhereNxExportsItAndDoneWithoutElsewhere) {
    nxsim::reset();
    ASSERT_EQ(0, UF_initialize());
    EXPECT_EQ(0, late_regenerate_display());
    EXPECT_EQ(1, nxsim::call_count("UF_DISP_regenerate_display"));
    EXPECT_EQ(nullptr, ws_find_nx_call("UF_NO_SUCH_CALL"));
    EXPECT_EQ(nullptr, ws_find_nx_call(""));
    nxsim::fail("ws_find_nx_call", nxsim::FaultMode::Always);
    EXPECT_EQ(-1, late_regenerate_display());
    EXPECT_EQ(1, nxsim::call_count("UF_DISP_regenerate_display"));
    EXPECT_EQ(0, UF_terminate());
}

}  // namespace
