// A session with a tool folder of its own and the drawing dialog's description, for the tests of
// the electrode records, the drawing batch and the process listing.
#pragma once

#include <functional>
#include <string>

#include "config_fixture.h"
#include "drawing/electrode_record.h"

namespace kv_test {

// Process-data settings of the drawing tests (GBK, as a shop writes them).
const char kDrawingConfig[] =
    "ELECTRODE_PREFIX_NAME=E\n"
    "ELECTRODE_START_LAYER=101\n"
    "ELECTRODE_END_LAYER=200\n"
    "ELECTRODE_DRAFT_SUPR=0.15\n"
    "ELECTRODE_DRAFT_ROUG=0.3\n"
    "ELECTRODE_DRAFT_FIN=abc\n"
    "ELECTRODE_DRAFT_SUR_NUM=1\n"
    "ELECTRODE_DRAFT_ROUG_NUM=2\n"
    "ELECTRODE_DRAFT_MATERIAL=紫铜,石墨,\n"
    "ELECTRODE_DRAFT_METHOD=平动,直打,\n"
    "ELECTRODE_DRAFT_MACH=1号机,2号机,\n"
    "ELECTRODE_DRAFT_MAN=张工,李工,\n"
    "ELECTRODE_DRAFT_SPLIT=陈工,\n"
    "ELECTRODE_DRAFT_CREATE=A,B\n";

// Electrodes E01 (layer 101), E02 (102, named in lower case) and E03 (103 and 110); a category
// FIX that is no electrode; the drawings given as a JSON array.
inline std::string drawing_part(const std::string& drawings = "[]") {
    return R"({ "format": "nxsim-part", "version": 1, "objects": [
      { "id": 1, "type": "category", "name": "FIX", "layers": [5] },
      { "id": 2, "type": "category", "name": "E01", "layers": [101] },
      { "id": 3, "type": "category", "name": "e02", "layers": [102] },
      { "id": 4, "type": "category", "name": "E03", "layers": [110, 103] } ],
      "drawings": )" + drawings + " }";
}

class DrawingFixture : public SettingsHost {
public:
    // An object of the open dialog.
    static nxsim::DialogItem& item(const std::string& id) {
        nxsim::DialogItem* it = nxsim::S().dialogs.back()->find(id);
        if (!it) abort();
        return *it;
    }

protected:
    electrode_record* electrode_list = nullptr;  // the records a test builds, released after it

    void SetUp() override {
        SettingsHost::SetUp();
        nxsim::set_dialog_folder(source_path("kit/application"));
        config(kDrawingConfig);
    }
    void TearDown() override {
        free_electrode_list(electrode_list);
        electrode_list = nullptr;
        SettingsHost::TearDown();
    }

    // Runs body inside the open drawing dialog (as its constructor), then closes the dialog.
    void in_dialog(std::function<void(int)> body) {
        body_ = std::move(body);
        UF_STYLER_callback_info_t table[] = {
            {(char*)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, run_body},
            {(char*)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
        };
        int response = 0;
        ASSERT_EQ(0, UF_STYLER_create_dialog((char*)"edmDrfDlg.dlg", table, 2, nullptr, &response));
    }

private:
    static int run_body(int dialog_id, void*, UF_STYLER_item_value_type_p_t) {
        body_(dialog_id);
        return UF_UI_CB_EXIT_DIALOG;
    }
    static inline std::function<void(int)> body_;
};

}  // namespace kv_test
