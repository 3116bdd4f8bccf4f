// The plug-in shell: the action table, the guard and launch, and doing nothing at all when
// the API cannot be initialised.
#include <gtest/gtest.h>

#include <cstring>

#include "create/create_dialog.h"
#include "drawing/drawing_dialog.h"
#include "layer/layer_dialog.h"
#include "nx.h"
#include "nxsim/nxsim.h"
#include "shell/shell.h"
#include "test_support.h"
#include "ui/dialog.h"

namespace {

TEST(Shell, ActionTableHasFourNamedRowsThenTheNullRow) {
    const UF_MB_action_t* t = action_table();
    const char* names[] = {"KELVORA_LAYER", "KELVORA_DRAFT", "KELVORA_CREATE", "KELVORA_ABOUT"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(nullptr, t[i].action_name);
        EXPECT_STREQ(names[i], t[i].action_name);
        EXPECT_NE(nullptr, t[i].action_cb.cb);
        EXPECT_EQ(nullptr, t[i].action_cb.cb_data);
    }
    EXPECT_EQ(nullptr, t[4].action_name);
    EXPECT_EQ(nullptr, t[4].action_cb.cb);
    EXPECT_EQ(nullptr, t[4].action_cb.cb_data);
}

TEST(Shell, UfstaRegistersTheActionsAndBalancesTheApi) {
    nxsim::reset();
    ufsta(nullptr, nullptr, 0);
    EXPECT_EQ((std::vector<std::string>{"KELVORA_LAYER", "KELVORA_DRAFT", "KELVORA_CREATE", "KELVORA_ABOUT"}),
              nxsim::actions());
    EXPECT_EQ(0, nxsim::init_depth());
}

// Every row of a table ends with the terminator and names its objects; counts match.
TEST(Shell, DialogTablesEndWithTheTerminatorAtTheirCount) {
    struct {
        UF_STYLER_callback_info_t* table;
        int rows;
    } tables[] = {{create_dialog_table(), CREATE_DIALOG_ROWS},
                  {layer_dialog_table(), LAYER_DIALOG_ROWS},
                  {drawing_dialog_table(), DRAWING_DIALOG_ROWS}};
    for (auto& t : tables) {
        const UF_STYLER_callback_info_t& last = t.table[t.rows - 1];
        EXPECT_STREQ(UF_STYLER_NULL_OBJECT, last.object_id);
        EXPECT_EQ(UF_STYLER_NO_CB, last.cb_type);
        EXPECT_EQ(nullptr, last.callback_proc);
        // Dialog rows first, in the order constructor, destructor, OK, Apply, Cancel.
        const int order[] = {UF_STYLER_CONSTRUCTOR_CB, UF_STYLER_DESTRUCTOR_CB, UF_STYLER_OK_CB,
                             UF_STYLER_APPLY_CB, UF_STYLER_CANCEL_CB};
        for (int i = 0; i < 5; ++i) {
            EXPECT_STREQ(UF_STYLER_DIALOG_INDEX, t.table[i].object_id);
            EXPECT_EQ(order[i], t.table[i].cb_type);
            EXPECT_NE(nullptr, t.table[i].callback_proc);
        }
        EXPECT_EQ(dialog_cancel_cb, t.table[4].callback_proc);
    }
}

TEST(Shell, WithoutTheApiNothingHappensAnywhere) {
    nxsim::reset();
    std::string err;
    ASSERT_EQ(0, nxsim::open_part(kv_test::source_path("tests/unit/data/layers.prt"), &err)) << err;
    nxsim::set_dialog_folder(kv_test::source_path("kit/application"));
    nxsim::fail("UF_initialize", nxsim::FaultMode::Always);
    ufsta(nullptr, nullptr, 0);
    EXPECT_TRUE(nxsim::actions().empty());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(UF_MB_CB_CONTINUE, action_table()[i].action_cb.cb(nullptr, nullptr, nullptr));
    UF_STYLER_callback_info_t* tables[] = {create_dialog_table(), layer_dialog_table(), drawing_dialog_table()};
    for (auto* t : tables)
        for (int i = 0; t[i].callback_proc; ++i)
            EXPECT_EQ(0, t[i].callback_proc(1, nullptr, nullptr)) << t[i].object_id << " " << t[i].cb_type;
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

}  // namespace
