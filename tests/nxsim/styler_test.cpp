// The dialog engine of the simulated host: callback order, closing rules and the item value
// semantics the plug-in's field operations rely on.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "nx.h"
#include "nxsim/nxsim.h"
#include "test_support.h"

namespace {

std::function<int(int)> g_on_press;  // what GO_ACTION does, given the dialog id
std::vector<std::string> g_calls;
std::vector<void*> g_client_data;  // what each callback was handed

int record(int type, int id, void* client_data) {
    g_calls.push_back(std::to_string(type));
    g_client_data.push_back(client_data);
    if (type == UF_STYLER_ACTIVATE_CB && g_on_press) return g_on_press(id);
    return 0;
}
int ctor(int id, void* cd, UF_STYLER_item_value_type_p_t) { return record(8, id, cd); }
int dtor(int id, void* cd, UF_STYLER_item_value_type_p_t) { return record(9, id, cd); }
int ok(int id, void* cd, UF_STYLER_item_value_type_p_t) { return record(4, id, cd) + 1; }
int apply(int id, void* cd, UF_STYLER_item_value_type_p_t) { return record(5, id, cd); }
int press(int id, void* cd, UF_STYLER_item_value_type_p_t) { return record(0, id, cd); }

UF_STYLER_callback_info_t kTable[] = {
    {(char*)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, ctor},
    {(char*)UF_STYLER_DIALOG_INDEX, UF_STYLER_DESTRUCTOR_CB, 0, dtor},
    {(char*)UF_STYLER_DIALOG_INDEX, UF_STYLER_OK_CB, 0, ok},
    {(char*)UF_STYLER_DIALOG_INDEX, UF_STYLER_APPLY_CB, 0, apply},
    {(char*)"GO_ACTION", UF_STYLER_ACTIVATE_CB, 0, press},
    {(char*)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
};

nxsim::DialogEvent ev(nxsim::DialogEvent::Kind k, const char* obj = "") {
    nxsim::DialogEvent e;
    e.kind = k;
    e.object = obj;
    e.where = "test";
    return e;
}

class Styler : public ::testing::Test {
protected:
    void SetUp() override {
        nxsim::reset();
        // One folder per process: CTest runs these tests side by side, each writing the file.
        folder_ = std::string(KV_BINARY_DIR) + "/styler-test-" + std::to_string(getpid());
        mkdir(folder_.c_str(), 0755);
        ASSERT_EQ("", kv_test::write_dialog(folder_ + "/test.dlg",
                                            kv_test::read_file(kv_test::source_path("tests/unit/data/test.dlg.txt"))));
        nxsim::set_dialog_folder(folder_);
        g_calls.clear();
        g_client_data.clear();
        g_on_press = nullptr;
        UF_initialize();
    }
    void TearDown() override {
        UF_terminate();
        EXPECT_TRUE(nxsim::leaks().empty()) << nxsim::leaks().front();
        unlink((folder_ + "/test.dlg").c_str());
        unlink((folder_ + "/test.dlg.txt").c_str());
        rmdir(folder_.c_str());
    }
    std::string folder_;
    int run(std::vector<nxsim::DialogEvent> events, int* response = nullptr, void* client_data = nullptr) {
        nxsim::queue_events(events);
        int r = 0;
        int rc = UF_STYLER_create_dialog((char*)"test.dlg", kTable, 6, client_data, &r);
        if (response) *response = r;
        return rc;
    }
};

TEST_F(Styler, CallbacksFireInNxOrderAndOkClosesOnOne) {
    int response = 0;
    ASSERT_EQ(0, run({ev(nxsim::DialogEvent::Press, "GO_ACTION"), ev(nxsim::DialogEvent::Apply),
                      ev(nxsim::DialogEvent::Ok)},
                     &response));
    EXPECT_EQ((std::vector<std::string>{"8", "0", "5", "4", "9"}), g_calls);
    EXPECT_EQ(UF_UI_OK, response);
    EXPECT_TRUE(nxsim::errors().empty());
}

// A dialog keeps its state in what it gave NX: every callback, from the constructor to the
// destructor, gets that pointer, and a dialog opened from a callback gets its own.
TEST_F(Styler, EveryCallbackIsHandedItsDialogsClientData) {
    int outer = 0, inner = 0;
    g_on_press = [&](int) {
        if (g_calls.size() > 2) return 0;  // one nested dialog, opened from the first press
        int r = 0;  // it takes the next event, OK
        EXPECT_EQ(0, UF_STYLER_create_dialog((char*)"test.dlg", kTable, 6, &inner, &r));
        return 0;
    };
    ASSERT_EQ(0, run({ev(nxsim::DialogEvent::Press, "GO_ACTION"), ev(nxsim::DialogEvent::Ok),
                      ev(nxsim::DialogEvent::Apply), ev(nxsim::DialogEvent::Ok)},
                     nullptr, &outer));
    ASSERT_EQ((std::vector<std::string>{"8", "0", "8", "4", "9", "5", "4", "9"}), g_calls);
    EXPECT_EQ((std::vector<void*>{&outer, &outer, &inner, &inner, &inner, &outer, &outer, &outer}), g_client_data);
    EXPECT_TRUE(nxsim::errors().empty());
}

TEST_F(Styler, MissingFileAndBadTablesAreRefused) {
    int r = 0;
    EXPECT_NE(0, UF_STYLER_create_dialog((char*)"missing.dlg", kTable, 6, nullptr, &r));
    EXPECT_NE(0, UF_STYLER_create_dialog((char*)"test.dlg", kTable, 5, nullptr, &r));  // no terminator
    UF_STYLER_callback_info_t bad[] = {
        {(char*)"NO_SUCH_OBJECT", UF_STYLER_ACTIVATE_CB, 0, press},
        {(char*)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
    };
    EXPECT_NE(0, UF_STYLER_create_dialog((char*)"test.dlg", bad, 2, nullptr, &r));
    EXPECT_TRUE(g_calls.empty());  // nothing was shown
}

TEST_F(Styler, GreyedButtonsAndRunningOutOfEventsAreScriptErrors) {
    g_on_press = [](int id) {
        UF_STYLER_item_value_type_t v{};
        v.item_id = UF_STYLER_NAV_INDEX;
        v.item_attr = UF_STYLER_SENSITIVITY;
        v.subitem_index = 0;
        v.value.integer = 0;
        UF_STYLER_set_value(id, &v);
        return 0;
    };
    run({ev(nxsim::DialogEvent::Press, "GREY_ACTION"), ev(nxsim::DialogEvent::Press, "GO_ACTION"),
         ev(nxsim::DialogEvent::Ok)});
    ASSERT_EQ(3u, nxsim::errors().size());  // greyed object, greyed OK, dialog left open
    EXPECT_EQ("9", g_calls.back());          // the destructor still ran
}

// Asks attribute 2 of the list with the given indicator and returns the selected texts or indices.
std::vector<std::string> selection(int id, int indicator) {
    UF_STYLER_item_value_type_t v{};
    v.item_id = "ELEC_LIST";
    v.item_attr = UF_STYLER_VALUE;
    v.indicator = indicator;
    std::vector<std::string> out;
    if (UF_STYLER_ask_value(id, &v) != 0) return {"error"};
    for (int i = 0; i < v.count; ++i)
        out.push_back(v.indicator == UF_STYLER_STRING_PTR_VALUE ? v.value.strings[i]
                                                                : std::to_string(v.value.integers[i]));
    UF_STYLER_free_value(&v);
    return out;
}

void set_list(int id, int attr, int sub) {
    UF_STYLER_item_value_type_t v{};
    v.item_id = "ELEC_LIST";
    v.item_attr = attr;
    v.subitem_index = sub;
    UF_STYLER_set_value(id, &v);
}

TEST_F(Styler, MultiSelectListFlipsTheSubItemAndClearsOnMinusOne) {
    std::vector<std::vector<std::string>> seen;
    g_on_press = [&](int id) {
        seen.push_back(selection(id, UF_STYLER_INTEGER_PTR_VALUE));
        set_list(id, UF_STYLER_VALUE, 2);  // flips E03 on
        seen.push_back(selection(id, UF_STYLER_STRING_PTR_VALUE));
        set_list(id, UF_STYLER_VALUE, 0);  // flips E01 off
        seen.push_back(selection(id, UF_STYLER_STRING_PTR_VALUE));
        set_list(id, UF_STYLER_VALUE, -1);  // clears
        seen.push_back(selection(id, UF_STYLER_INTEGER_PTR_VALUE));
        return 0;
    };
    nxsim::DialogEvent sel = ev(nxsim::DialogEvent::Select, "ELEC_LIST");
    sel.value = nlohmann::json::array({0, "E02"});
    run({sel, ev(nxsim::DialogEvent::Press, "GO_ACTION"), ev(nxsim::DialogEvent::Ok)});
    ASSERT_EQ(4u, seen.size());
    EXPECT_EQ((std::vector<std::string>{"0", "1"}), seen[0]);
    EXPECT_EQ((std::vector<std::string>{"E01", "E02", "E03"}), seen[1]);
    EXPECT_EQ((std::vector<std::string>{"E02", "E03"}), seen[2]);
    EXPECT_TRUE(seen[3].empty());
    EXPECT_TRUE(nxsim::errors().empty());
}

// The other reading of the undocumented set: the item is selected, whatever it was, and -1 does
// nothing; deleting every item still leaves nothing selected.
TEST_F(Styler, UnderTheSelectsReadingASetSelectsTheSubItemAndMinusOneChangesNothing) {
    nxsim::Readings readings;
    readings.list_set_selects = true;
    nxsim::set_readings(readings);
    std::vector<std::vector<std::string>> seen;
    g_on_press = [&](int id) {
        set_list(id, UF_STYLER_VALUE, 2);  // selects E03
        set_list(id, UF_STYLER_VALUE, 0);  // E01 stays selected
        seen.push_back(selection(id, UF_STYLER_STRING_PTR_VALUE));
        set_list(id, UF_STYLER_VALUE, -1);
        set_list(id, UF_STYLER_VALUE, 7);  // no such item
        seen.push_back(selection(id, UF_STYLER_INTEGER_PTR_VALUE));
        set_list(id, UF_STYLER_LIST_DELETE, -1);
        seen.push_back(selection(id, UF_STYLER_INTEGER_PTR_VALUE));
        return 0;
    };
    nxsim::DialogEvent sel = ev(nxsim::DialogEvent::Select, "ELEC_LIST");
    sel.value = nlohmann::json::array({0, "E02"});
    run({sel, ev(nxsim::DialogEvent::Press, "GO_ACTION"), ev(nxsim::DialogEvent::Ok)});
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ((std::vector<std::string>{"E01", "E02", "E03"}), seen[0]);
    EXPECT_EQ((std::vector<std::string>{"0", "1", "2"}), seen[1]);
    EXPECT_TRUE(seen[2].empty());
    EXPECT_TRUE(nxsim::errors().empty());
}

TEST_F(Styler, ListItemsInsertDeleteAndReplace) {
    std::vector<std::string> items;
    g_on_press = [&](int id) {
        UF_STYLER_item_value_type_t v{};
        v.item_id = "ELEC_LIST";
        v.item_attr = UF_STYLER_LIST_DELETE;
        v.subitem_index = -1;
        UF_STYLER_set_value(id, &v);
        v.item_attr = UF_STYLER_LIST_INSERT;
        v.indicator = UF_STYLER_STRING_VALUE;
        v.value.string = (char*)"E09";
        UF_STYLER_set_value(id, &v);
        v.item_attr = UF_STYLER_SUBITEM_VALUES;
        UF_STYLER_ask_value(id, &v);
        for (int i = 0; i < v.count; ++i) items.push_back(v.value.strings[i]);
        UF_STYLER_free_value(&v);
        return 0;
    };
    run({ev(nxsim::DialogEvent::Press, "GO_ACTION"), ev(nxsim::DialogEvent::Ok)});
    EXPECT_EQ((std::vector<std::string>{"E09"}), items);
}

TEST_F(Styler, FieldValuesAndOptionMenuChoice) {
    std::string text;
    int option_after_minus_one = 99;
    g_on_press = [&](int id) {
        UF_STYLER_item_value_type_t v{};
        v.item_id = "NAME_STR";
        v.item_attr = UF_STYLER_VALUE;
        UF_STYLER_ask_value(id, &v);
        text = v.value.string;
        UF_STYLER_free_value(&v);
        UF_STYLER_item_value_type_t m{};
        m.item_id = "MAT_OPTION";
        m.item_attr = UF_STYLER_VALUE;
        m.subitem_index = 1;
        UF_STYLER_set_value(id, &m);
        m.subitem_index = -1;  // outside the items: the choice stays
        UF_STYLER_set_value(id, &m);
        UF_STYLER_ask_value(id, &m);
        option_after_minus_one = m.value.integer;
        return 0;
    };
    nxsim::DialogEvent set = ev(nxsim::DialogEvent::Set, "NAME_STR");
    set.value = nxsim::to_utf8("电极E05");  // scenario values are UTF-8
    nxsim::DialogEvent choose = ev(nxsim::DialogEvent::Select, "MAT_OPTION");
    choose.value = nxsim::to_utf8("石墨");
    run({set, ev(nxsim::DialogEvent::Press, "GO_ACTION"), choose, ev(nxsim::DialogEvent::Ok)});
    EXPECT_EQ("电极E05", text);
    EXPECT_EQ(1, option_after_minus_one);
    EXPECT_TRUE(nxsim::errors().empty());
}

TEST_F(Styler, AskingOutsideADialogIsRefused) {
    UF_STYLER_item_value_type_t v{};
    v.item_id = "NAME_STR";
    v.item_attr = UF_STYLER_VALUE;
    EXPECT_NE(0, UF_STYLER_ask_value(1, &v));
}

}  // namespace
