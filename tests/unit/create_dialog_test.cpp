// The create-electrode dialog, driven as the user drives it: the list, the selection buttons, the
// folder and its default, OK and Apply.
#include <sys/stat.h>

#include "create/create_dialog.h"
#include "create_fixture.h"

namespace {

using kv_test::apply;
using kv_test::choose;
using kv_test::folder;
using kv_test::cancel;
using kv_test::ok;
using kv_test::press;

// With prefix A, "All" (NX's own ALL) would match but never counts; B01 is no electrode.
const char kCategories[] = R"({ "format": "nxsim-part", "version": 1, "objects": [
  { "id": 1, "type": "category", "name": "All", "layers": "1-256" },
  { "id": 2, "type": "category", "name": "a07", "layers": [107] },
  { "id": 3, "type": "category", "name": "B01", "layers": [102] },
  { "id": 4, "type": "category", "name": "A01", "layers": [101] } ] })";

class CreateDialog : public kv_test::CreateHost {
protected:
    void SetUp() override {
        CreateHost::SetUp();
        config("ELECTRODE_PREFIX_NAME=A\n");
        open_part("mould/core.prt", kCategories);
        out_ = tmp_ / "out";
        kv_test::make_dirs(out_);
    }
    static bool exists(const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0;
    }
    // The electrode part files now in folder, in the list's order.
    std::vector<std::string> made(const std::string& folder) {
        std::vector<std::string> out;
        for (const char* n : {"A07", "A01", "a07", "a01"})
            if (exists(folder + "/" + n + ".prt")) out.push_back(n);
        return out;
    }
    std::string out_;
};

TEST_F(CreateDialog, ListsTheElectrodesInUpperCaseAndNxOrderWithoutAll) {
    // Item texts are the upper-case names: choosing by those texts works, and "ALL" is no item.
    run("KELVORA_CREATE", {press("ACTION_1", {folder(out_)}), choose("MULTI_LIST_2", {"A07", "A01"}), ok()});
    EXPECT_EQ((std::vector<std::string>{"A07", "A01"}), made(out_));
    EXPECT_EQ(2u, nxsim::S().parts.size() - 1);
}

// OK when NX cannot hand over the list's selection makes no file, says so and keeps the dialog
// open, instead of closing it as if nothing had been picked.
TEST_F(CreateDialog, OkThatCannotReadTheSelectionMakesNothingAndSaysSo) {
    nxsim::fail("UF_STYLER_ask_value", nxsim::FaultMode::Always);
    run("KELVORA_CREATE", {press("ACTION_1", {folder(out_)}), choose("MULTI_LIST_2", {"A07"}), ok(), cancel()});
    nxsim::clear_faults();
    EXPECT_TRUE(made(out_).empty());
    EXPECT_EQ((std::vector<std::string>{"无法读取电极列表的选择，未创建电极文件！"}), messages());
}

// An electrode NX did not add to the list could not be picked: the user hears the list is not whole.
TEST_F(CreateDialog, AListNxCouldNotFillWholeIsToldOf) {
    nxsim::fail("UF_STYLER_set_value", nxsim::FaultMode::Nth, 2);  // the first item, after the clearing
    run("KELVORA_CREATE", {cancel()});
    EXPECT_EQ((std::vector<std::string>{"电极列表未能完整列出，请关闭后重新打开对话框！"}), messages());
}

// An inversion NX would not carry out leaves a selection the user did not ask for: told.
TEST_F(CreateDialog, AnInversionNxRefusedIsToldOf) {
    nxsim::fail("UF_STYLER_ask_value", nxsim::FaultMode::Always);
    run("KELVORA_CREATE", {press("ACTION_5"), cancel()});
    nxsim::clear_faults();
    EXPECT_EQ((std::vector<std::string>{"电极列表的选择未能全部反选，请检查后再创建！"}), messages());
}

// Whether NX's set flips a list item or selects it is undocumented: both of the host's readings.
class CreateDialogReadings : public CreateDialog, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        CreateDialog::SetUp();
        nxsim::Readings readings;
        readings.list_set_selects = GetParam();
        nxsim::set_readings(readings);
    }
};
INSTANTIATE_TEST_SUITE_P(SetFlipsOrSelects, CreateDialogReadings, ::testing::Bool());

TEST_P(CreateDialogReadings, InvertingTwiceRestoresTheSelectionAndClearingEmptiesIt) {
    run("KELVORA_CREATE", {press("ACTION_1", {folder(out_ + "/")}), choose("MULTI_LIST_2", {0}),
                           press("ACTION_5"), press("ACTION_5"), apply(),
                           press("ACTION_5"), press("ACTION_4"), ok()});
    EXPECT_EQ((std::vector<std::string>{"A07"}), made(out_));
    EXPECT_TRUE(messages().empty());
}

TEST_P(CreateDialogReadings, InvertingSelectsExactlyTheOthers) {
    run("KELVORA_CREATE", {press("ACTION_1", {folder(out_)}), choose("MULTI_LIST_2", {"A01"}), press("ACTION_5"), ok()});
    EXPECT_EQ((std::vector<std::string>{"A07"}), made(out_));
}

TEST_P(CreateDialogReadings, InvertingNothingSelectsEverything) {
    run("KELVORA_CREATE", {press("ACTION_1", {folder(out_)}), press("ACTION_5"), ok()});
    EXPECT_EQ((std::vector<std::string>{"A07", "A01"}), made(out_));
}

// Clearing that NX would not carry out leaves a selection the user did not ask for: told.
TEST_F(CreateDialog, AClearingNxRefusedIsToldOf) {
    nxsim::fail("UF_STYLER_ask_value", nxsim::FaultMode::Always);
    run("KELVORA_CREATE", {press("ACTION_4"), cancel()});
    nxsim::clear_faults();
    EXPECT_EQ((std::vector<std::string>{"电极列表的选择未能清除，请检查后再创建！"}), messages());
}

TEST_F(CreateDialog, WithoutAFolderTheWorkPartsFolderIsUsed) {
    // A browser cancelled after a choice discards the choice.
    run("KELVORA_CREATE", {press("ACTION_1", {folder(out_)}), press("ACTION_1", {folder("")}),
                           choose("MULTI_LIST_2", {"A01"}), ok()});
    EXPECT_EQ((std::vector<std::string>{"A01"}), made(tmp_ / "mould"));
    EXPECT_TRUE(made(out_).empty());
    // Every new dialog starts without a folder.
    run("KELVORA_CREATE", {choose("MULTI_LIST_2", {"A07"}), ok()});
    EXPECT_EQ((std::vector<std::string>{"A07", "A01"}), made(tmp_ / "mould"));
}

TEST_F(CreateDialog, AFolderWithChineseCharactersIsUsedAsNamed) {
    std::string mould = nxsim::to_utf8("模具");  // file names on this host are UTF-8
    open_part(mould + "/core.prt", kCategories);
    run("KELVORA_CREATE", {choose("MULTI_LIST_2", {"A01"}), ok()});
    EXPECT_EQ((std::vector<std::string>{"A01"}), made(tmp_ / mould));
    EXPECT_TRUE(messages().empty());
}

TEST_F(CreateDialog, CallbacksDoNothingWithoutTheApi) {
    UF_terminate();
    nxsim::fail("UF_initialize", nxsim::FaultMode::Always);
    size_t calls = nxsim::call_log().size();
    for (auto cb : {create_constructor_cb, create_ok_cb, create_apply_cb, create_clear_selection_cb,
                    create_invert_selection_cb, create_choose_folder_cb})
        EXPECT_EQ(0, cb(1, nullptr, nullptr));
    for (size_t i = calls; i < nxsim::call_log().size(); ++i)
        EXPECT_EQ(0u, nxsim::call_log()[i].rfind("UF_initialize", 0)) << nxsim::call_log()[i];
    nxsim::clear_faults();
    UF_initialize();
}

}  // namespace
