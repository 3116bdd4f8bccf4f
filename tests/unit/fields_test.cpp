// Dialog field access, inside a running dialog of the simulated host.
#include <cstring>
#include <functional>
#include <string>

#include "config_fixture.h"
#include "ui/fields.h"

namespace {

const char kDialog[] =
    "DIALOG fields title=\"Fields\" callbacks=constructor\n"
    "OBJECT STR_0 STRING value=start\n"
    "OBJECT INT_1 INTEGER value=5\n"
    "OBJECT REAL_2 REAL value=1.5\n"
    "OBJECT TOG TOGGLE value=1\n"
    "OBJECT OPT OPTION_MENU items=\"CU,GR,W\"\n"
    "OBJECT ML MULTI_LIST items=\"E01,E02,E03\"\n"
    "OBJECT BTN ACTION_BUTTON\n";

std::function<void(int)> g_body;

int constructor_cb(int dialog_id, void*, UF_STYLER_item_value_type_p_t) {
    if (UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    g_body(dialog_id);
    UF_terminate();
    return UF_UI_CB_EXIT_DIALOG;  // the test's work is done: close
}

class Fields : public kv_test::SettingsHost {
protected:
    void SetUp() override {
        kv_test::SettingsHost::SetUp();
        kv_test::write_file(tmp_ / "dlg/fields.dlg", "");
        ASSERT_EQ("", kv_test::write_dialog(tmp_ / "dlg/fields.dlg", kDialog));
        nxsim::set_dialog_folder(tmp_ / "dlg");
    }
    // Runs body(dialog_id) inside the dialog's constructor.
    void in_dialog(std::function<void(int)> body) {
        g_body = std::move(body);
        UF_STYLER_callback_info_t table[] = {
            {(char*)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, constructor_cb},
            {(char*)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
        };
        int response = 0;
        ASSERT_EQ(0, UF_STYLER_create_dialog((char*)"fields.dlg", table, 2, nullptr, &response));
    }
    static nxsim::DialogItem& item(const char* id) { return *nxsim::S().dialogs.back()->find(id); }
    static std::string text(int d, const char* object, size_t size = 64) {
        std::string buf(size, 'x');
        ask_string_value(d, object, &buf[0], size);
        return buf.c_str();
    }
    static std::string list_text(int d, const char* object, int n) {
        char buf[64] = "junk";
        list_item_text(d, object, n, buf, sizeof buf);
        return buf;
    }
};

TEST_F(Fields, ValuesOfEveryKind) {
    in_dialog([](int d) {
        set_string_value(d, "STR_0", "紫铜电极");
        EXPECT_EQ("紫铜", text(d, "STR_0", 6));  // cut to the buffer, whole characters only
        set_string_value(d, "STR_0", nullptr);
        EXPECT_EQ("", text(d, "STR_0"));

        int i = -1;
        set_value(d, "TOG", 0);
        ask_int_value(d, "TOG", &i);
        EXPECT_EQ(0, i);
        double r = -1;
        set_real_value(d, "REAL_2", 0.05);
        ask_real_value(d, "REAL_2", &r);
        EXPECT_EQ(0.05, r);
        set_choice(d, "OPT", 2);
        ask_int_value(d, "OPT", &i);
        EXPECT_EQ(2, i);
        set_ok_sensitive(d, 0);
        EXPECT_FALSE(nxsim::S().dialogs.back()->ok_sensitive);
        EXPECT_TRUE(nxsim::S().dialogs.back()->apply_sensitive);

        // Asking a field for the wrong kind of value, or an unknown field, gives the cleared output.
        ask_int_value(d, "STR_0", &i);
        EXPECT_EQ(0, i);
        ask_real_value(d, "INT_1", &r);
        EXPECT_EQ(0.0, r);
        EXPECT_EQ("", text(d, "INT_1"));
        EXPECT_EQ("", text(d, "NO_SUCH_OBJECT"));
        EXPECT_EQ("", text(d, nullptr));
    });
}

TEST_F(Fields, ListItems) {
    in_dialog([](int d) {
        EXPECT_EQ(3, list_count(d, "ML"));
        EXPECT_EQ("E02", list_text(d, "ML", 1));
        EXPECT_EQ("", list_text(d, "ML", -1));
        EXPECT_EQ("", list_text(d, "ML", 3));
        list_clear(d, "ML");
        EXPECT_EQ(0, list_count(d, "ML"));
        list_append(d, "ML", "E07");
        list_append(d, "ML", "电极");
        EXPECT_EQ(2, list_count(d, "ML"));
        EXPECT_EQ("电极", list_text(d, "ML", 1));

        set_list_items(d, "OPT", 0, nullptr);  // one empty item, not none
        EXPECT_EQ(1, list_count(d, "OPT"));
        EXPECT_EQ("", list_text(d, "OPT", 0));
        char a[] = "CU", b[] = "GR";
        char* items[] = {a, b};
        set_list_items(d, "OPT", 2, items);
        EXPECT_EQ((std::vector<std::string>{"CU", "GR"}), item("OPT").items);
        EXPECT_EQ(0, list_count(d, "BTN"));  // not a list
        EXPECT_EQ(0, list_count(d, "NOPE"));
    });
}

TEST_F(Fields, SelectionOfAMultiSelectList) {
    in_dialog([](int d) {
        select_item(d, "ML", 0);
        select_item(d, "ML", 0);  // already selected: stays selected
        EXPECT_EQ(1, is_item_selected(d, "ML", 0));
        EXPECT_EQ(0, is_item_selected(d, "ML", 1));
        EXPECT_EQ(1, is_text_selected(d, "ML", "e01"));
        EXPECT_EQ(0, is_text_selected(d, "ML", "E02"));
        EXPECT_EQ(0, is_text_selected(d, "ML", std::string(3000, 'E').c_str()));
        EXPECT_EQ(0, is_text_selected(d, "ML", nullptr));
        EXPECT_EQ(0, is_item_selected(d, "ML", -1));
    });
}

// Whether NX's set flips a multi-select list's item or selects it is undocumented: the rebuilt
// list ends the same under both of the host's readings.
TEST_F(Fields, RebuildingAListInvertsOrClearsItsSelectionUnderEitherReading) {
    for (bool selects : {false, true}) {
        nxsim::Readings readings;
        readings.list_set_selects = selects;
        nxsim::set_readings(readings);
        in_dialog([&](int d) {
            list_append(d, "ML", "电极");
            select_item(d, "ML", 0);
            select_item(d, "ML", 3);
            EXPECT_EQ(0, rebuild_list(d, "ML", KV_LIST_INVERTED));
            EXPECT_EQ((std::vector<std::string>{"E01", "E02", "E03", "电极"}), item("ML").items);
            EXPECT_EQ((std::set<int>{1, 2}), item("ML").selected) << "selects " << selects;
            EXPECT_EQ(0, rebuild_list(d, "ML", KV_LIST_INVERTED));
            EXPECT_EQ((std::set<int>{0, 3}), item("ML").selected) << "selects " << selects;
            EXPECT_EQ(0, rebuild_list(d, "ML", KV_LIST_NONE));
            EXPECT_TRUE(item("ML").selected.empty()) << "selects " << selects;
            EXPECT_EQ(4u, item("ML").items.size());
        });
    }
}

TEST_F(Fields, AListNxWouldNotRebuildIsReported) {
    in_dialog([](int d) {
        select_item(d, "ML", 1);
        // Unread items or selection: the list stays as it was.
        nxsim::fail("UF_STYLER_ask_value", nxsim::FaultMode::Once);
        EXPECT_EQ(-1, rebuild_list(d, "ML", KV_LIST_NONE));
        nxsim::fail("UF_STYLER_ask_value", nxsim::FaultMode::Nth, 2);
        EXPECT_EQ(-1, rebuild_list(d, "ML", KV_LIST_INVERTED));
        EXPECT_EQ((std::set<int>{1}), item("ML").selected);
        EXPECT_EQ(-1, rebuild_list(d, "NO_SUCH", KV_LIST_NONE));
        EXPECT_EQ(-1, rebuild_list(d, nullptr, KV_LIST_NONE));
        // An item NX did not insert again, or did not select.
        nxsim::fail("UF_STYLER_set_value", nxsim::FaultMode::Nth, 3);
        EXPECT_EQ(-2, rebuild_list(d, "ML", KV_LIST_INVERTED));
        EXPECT_EQ(2u, item("ML").items.size());
        nxsim::fail("UF_STYLER_set_value", nxsim::FaultMode::Nth, 4);  // the first item's selection
        EXPECT_EQ(-2, rebuild_list(d, "ML", KV_LIST_INVERTED));
        EXPECT_EQ(2u, item("ML").items.size());
        EXPECT_TRUE(item("ML").selected.empty());
        nxsim::fail("UF_STYLER_set_value", nxsim::FaultMode::Once);
        EXPECT_EQ(-2, rebuild_list(d, "ML", KV_LIST_NONE));
    });
}

TEST_F(Fields, FailingCallsLeaveClearedOutputsAndNoLeak) {
    in_dialog([](int d) {
        select_item(d, "ML", 2);
        set_string_value(d, "STR_0", "kept");
        nxsim::fail("UF_STYLER_ask_value", nxsim::FaultMode::Always);
        int i = 9;
        double r = 9;
        ask_int_value(d, "INT_1", &i);
        ask_real_value(d, "REAL_2", &r);
        EXPECT_EQ(0, i);
        EXPECT_EQ(0.0, r);
        EXPECT_EQ("", text(d, "STR_0"));
        EXPECT_EQ(0, list_count(d, "ML"));
        EXPECT_EQ("", list_text(d, "ML", 0));
        EXPECT_EQ(0, is_item_selected(d, "ML", 2));
        EXPECT_EQ(0, is_text_selected(d, "ML", "E03"));
        nxsim::clear_faults();
        nxsim::fail("UF_STYLER_set_value", nxsim::FaultMode::Always);
        set_string_value(d, "STR_0", "lost");
        list_append(d, "ML", "E09");
        nxsim::clear_faults();
        EXPECT_EQ("kept", text(d, "STR_0"));
        EXPECT_EQ(3, list_count(d, "ML"));
    });
}

TEST_F(Fields, OneReadingOfASelectionAnswersEveryTextInAnyOrder) {
    in_dialog([](int d) {
        select_item(d, "ML", 0);
        select_item(d, "ML", 2);
        list_selection sel;
        EXPECT_EQ(0, read_list_selection(d, "ML", &sel));
        // In list order, then backwards (the search wraps round), then the unselected item.
        EXPECT_EQ(1, selection_has_text(&sel, "E01"));
        EXPECT_EQ(1, selection_has_text(&sel, "e03"));
        EXPECT_EQ(1, selection_has_text(&sel, "E01"));
        EXPECT_EQ(0, selection_has_text(&sel, "E02"));
        EXPECT_EQ(1, selection_has_text(&sel, "E03"));
        EXPECT_EQ(0, selection_has_text(&sel, nullptr));
        release_list_selection(&sel);
        EXPECT_EQ(0, selection_has_text(&sel, "E01"));
        release_list_selection(&sel);  // a second release frees nothing twice

        // A failed reading selects nothing and holds nothing (the ledger would fail the test).
        nxsim::fail("UF_STYLER_ask_value", nxsim::FaultMode::Once);
        EXPECT_EQ(-1, read_list_selection(d, "ML", &sel));
        EXPECT_EQ(0, selection_has_text(&sel, "E01"));
        release_list_selection(&sel);
    });
}

}  // namespace
