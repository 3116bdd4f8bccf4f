// NX's UIStyler files: the generator writes what the format's facts say (checked against a fixture
// written from them, not from the generator), the host reads back what the descriptions state,
// and a damaged file is refused with the file and what is wrong.
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>

#include "description.h"
#include "nx.h"
#include "nxsim/nxsim.h"
#include "test_support.h"
#include "uistyler_format.h"

namespace {

// The dialog of tests/nxsim/data/uistyler_fixture.txt, as a description.
const char kFixtureDescription[] =
    "DIALOG fixture title=\"Fixture\" callbacks=\"constructor,ok:building,cancel\"\n"
    "OBJECT LABEL_0 LABEL label=\"Pick one:\"\n"
    "OBJECT TOGGLE_1 TOGGLE label=On value=1 callbacks=value_changed\n"
    "OBJECT OPT_2 OPTION_MENU label=Direction items=\"Up,Down\" value=1\n"
    "OBJECT GAP_REAL REAL label=\"Gap (mm)\" value=0.0254 sensitive=0\n"
    "OBJECT SEP_0 SEPARATOR\n"
    "OBJECT LIST_5 MULTI_LIST label=Items callbacks=\"activate:building,double_click\"\n"
    "OBJECT NAME_STR STRING label=Name value=\"E01: top\"\n"
    "OBJECT N_INT INTEGER label=Count value=-7\n"
    "OBJECT GO_ACTION ACTION_BUTTON label=Go callbacks=activate\n";

std::string fixture_text() { return kv_test::read_file(kv_test::source_path("tests/nxsim/data/uistyler_fixture.txt")); }

std::string compress_level(const std::string& text, int level) {
    uLongf size = compressBound((uLong)text.size());
    std::string out(size, '\0');
    compress2((Bytef*)&out[0], &size, (const Bytef*)text.data(), (uLong)text.size(), level);
    out.resize(size);
    return out;
}

// text with its Checksum line made right again, so that only the damage meant is left.
std::string resummed(const std::string& text) {
    size_t last = text.rfind("Checksum:");
    std::string body = text.substr(0, last);
    std::string line = "Checksum:";
    line.append(39 - line.size(), ' ');
    return body + line + std::to_string(uistyler::adler32_of(body)) + "\n";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string field(const std::string& indent_key, const std::string& value) {
    std::string l = indent_key + ":";
    l.append(39 - l.size(), ' ');
    return l + value + "\n";
}

class UIStylerFile : public ::testing::Test {
protected:
    void SetUp() override { nxsim::reset(); }
    std::string write(const std::string& name, const std::string& bytes) {
        std::string path = std::string(KV_BINARY_DIR) + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
};

TEST_F(UIStylerFile, TheGeneratorWritesTheFixtureByteForByte) {
    dlgc::Description d;
    std::string err;
    ASSERT_EQ(0, dlgc::parse_description("fixture.dlg.txt", kFixtureDescription, &d, &err)) << err;
    std::string want = fixture_text();
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(want, uistyler::file_text(d.file));
    // One zlib stream at level 1 ("78 01"), nothing before or after it.
    std::string bytes = uistyler::file_bytes(d.file);
    EXPECT_EQ(compress_level(want, 1), bytes);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ("\x78\x01", bytes.substr(0, 2));
}

TEST_F(UIStylerFile, TheHostReadsTheFixturesObjectsValuesAndCallbacks) {
    nxsim::Dialog d;
    std::string err;
    ASSERT_EQ(0, nxsim::load_dlg(write("fixture-read.dlg", compress_level(fixture_text(), 1)), d, &err)) << err;
    EXPECT_EQ("Fixture", d.title);
    const std::pair<const char*, int> kinds[] = {
        {"LABEL_0", UF_STYLER_LABEL_TYPE},   {"TOGGLE_1", UF_STYLER_TOGGLE_TYPE},
        {"OPT_2", UF_STYLER_OPTION_MENU_TYPE}, {"GAP_REAL", UF_STYLER_REAL_TYPE},
        {"SEP_0", UF_STYLER_SEPARATOR_TYPE}, {"LIST_5", UF_STYLER_MULTI_LIST_TYPE},
        {"NAME_STR", UF_STYLER_STRING_TYPE}, {"N_INT", UF_STYLER_INTEGER_TYPE},
        {"GO_ACTION", UF_STYLER_ACTION_BUTTON_TYPE},
    };
    ASSERT_EQ(9u, d.items.size());
    for (size_t i = 0; i < d.items.size(); ++i) {
        EXPECT_EQ(kinds[i].first, d.items[i].id);
        EXPECT_EQ(kinds[i].second, d.items[i].kind) << kinds[i].first;
    }
    EXPECT_EQ("Pick one:", d.find("LABEL_0")->label);
    EXPECT_EQ(1, d.find("TOGGLE_1")->ivalue);
    EXPECT_EQ((std::vector<std::string>{"Up", "Down"}), d.find("OPT_2")->items);
    EXPECT_EQ(1, d.find("OPT_2")->ivalue);
    EXPECT_DOUBLE_EQ(0.0254, d.find("GAP_REAL")->rvalue);
    EXPECT_FALSE(d.find("GAP_REAL")->sensitive);
    EXPECT_EQ("E01: top", d.find("NAME_STR")->svalue);
    EXPECT_EQ(-7, d.find("N_INT")->ivalue);
    std::vector<std::string> cbs;
    for (const auto& c : d.callbacks)
        cbs.push_back(c.object + "/" + std::to_string(c.cb_type) + (c.building ? "!" : ""));
    EXPECT_EQ((std::vector<std::string>{UF_STYLER_DIALOG_INDEX "/8", UF_STYLER_DIALOG_INDEX "/4!",
                                        UF_STYLER_DIALOG_INDEX "/7", "TOGGLE_1/1", "LIST_5/0!", "LIST_5/3",
                                        "GO_ACTION/0"}),
              cbs);
}

// Every kit dialog, opened from the file the build wrote (the one a shop gets), holds what its
// description states.
TEST_F(UIStylerFile, EachKitDialogReadsBackAsItsDescription) {
    for (const char* name : {"createElectDlg", "edmDrfDlg", "setElectLayer"}) {
        SCOPED_TRACE(name);
        dlgc::Description want;
        std::string err;
        ASSERT_EQ(0, dlgc::read_description(kv_test::source_path(std::string("kit/dialogs/") + name + ".dlg.txt"), &want, &err))
            << err;
        std::string path = kv_test::source_path(std::string("kit/application/") + name + ".dlg");
        EXPECT_EQ(uistyler::file_bytes(want.file), kv_test::read_file(path)) << "the build did not write it";
        nxsim::Dialog d;
        ASSERT_EQ(0, nxsim::load_dlg(path, d, &err)) << err;
        EXPECT_EQ(nxsim::to_gbk(want.title), d.title);
        ASSERT_EQ(want.rows.size(), d.items.size());
        size_t object_callbacks = 0;
        for (size_t i = 0; i < d.items.size(); ++i) {
            const dlgc::Row& r = want.rows[i];
            EXPECT_EQ(r.id, d.items[i].id);
            EXPECT_EQ(uistyler::kind_by_name(r.kind)->styler_type, d.items[i].kind) << r.id;
            EXPECT_EQ(nxsim::to_gbk(r.label), d.items[i].label) << r.id;
            object_callbacks += r.callbacks.size();
        }
        EXPECT_EQ(want.callbacks.size() + object_callbacks, d.callbacks.size());
        for (size_t i = 0; i < want.callbacks.size(); ++i) {
            const std::string& c = want.callbacks[i];
            EXPECT_EQ(UF_STYLER_DIALOG_INDEX, d.callbacks[i].object);
            EXPECT_EQ(uistyler::callback_by_name(c.substr(0, c.find(' ')))->cb_type, d.callbacks[i].cb_type) << c;
            EXPECT_EQ(c.find("opens a dialog") != std::string::npos, d.callbacks[i].building) << c;
        }
    }
}

TEST_F(UIStylerFile, ChineseTextIsStoredAsGbkAndReadBackAsWritten) {
    // "电极 A" in UTF-8, as descriptions are written; the test's own literals are GBK.
    std::string path = std::string(KV_BINARY_DIR) + "/gbk.dlg";
    ASSERT_EQ("", kv_test::write_dialog(path, "DIALOG g title=\"\xe7\x94\xb5\xe6\x9e\x81\"\n"
                                              "OBJECT O OPTION_MENU label=\"\xe7\x94\xb5\xe6\x9e\x81 A\" "
                                              "items=\"\xe7\xb4\xab\xe9\x93\x9c,\xe7\x9f\xb3\xe5\xa2\xa8\"\n"));
    nxsim::Dialog d;
    std::string err;
    ASSERT_EQ(0, nxsim::load_dlg(path, d, &err)) << err;
    EXPECT_EQ("电极", d.title);
    EXPECT_EQ("电极 A", d.find("O")->label);
    EXPECT_EQ((std::vector<std::string>{"紫铜", "石墨"}), d.find("O")->items);
    // A character GBK has no form for is refused when the kit is built, not written as '?'.
    std::string refused = kv_test::write_dialog(path, "DIALOG g\nOBJECT L LABEL label=\"\xf0\x9f\x98\x80\"\n");
    EXPECT_NE(std::string::npos, refused.find(":2: L.label: ")) << refused;
}

TEST_F(UIStylerFile, DamagedFilesAreRefusedNamingTheFileAndTheFault) {
    const std::string text = fixture_text();
    const std::string good = compress_level(text, 1);
    struct Case {
        const char* what;
        std::string bytes;
        const char* says;
    };
    const Case cases[] = {
        {"plain text", kFixtureDescription, "the zlib stream is damaged"},
        {"cut short", good.substr(0, good.size() / 2), "the zlib stream ends early"},
        {"bytes after the stream", good + "x", "1 bytes follow the zlib stream"},
        {"one field edited", compress_level(replaced(text, "Fixture", "Fixturf"), 1), "Checksum: 2045421267 is not"},
        {"fields swapped",
         compress_level(resummed(replaced(text, field("        Hot", "False") + field("        Dynamic list", "True"),
                                          field("        Dynamic list", "True") + field("        Hot", "False"))), 1),
         "line 53: expected field 'Hot', found '        Dynamic list:"},
        {"unknown item type",
         compress_level(resummed(replaced(text, field("        Item type", "18"), field("        Item type", "12"))), 1),
         "Item type: unknown item type code 12"},
        {"unknown callback",
         compress_level(resummed(replaced(text, field("    Callback", "5"), field("    Callback", "4"))), 1),
         "unknown dialog callback code 4"},
        {"value column moved",
         compress_level(resummed(replaced(text, field("        Label", "On"), "        Label: On\n")), 1),
         "field 'Label': its value does not start at column 40"},
        {"a number skipped",
         compress_level(resummed(replaced(text, field("        Item number", "3"), field("        Item number", "4"))), 1),
         "Item number: expected 3"},
        {"a GBK character cut",
         compress_level(resummed(replaced(text, field("        Label", "On"), field("        Label", "On\xb5"))), 1),
         "Label: not GBK text at byte 3"},
        {"no Dialog Bar",
         compress_level(resummed(text.substr(0, text.find("Dialog Bar\n")) + "Checksum: x\n"), 1),
         "the text ends where 'Dialog Bar' is expected"},
        {"version 4", compress_level(resummed(replaced(text, field("UIStyler Version", "3"), field("UIStyler Version", "4"))), 1),
         "only version 3 is read"},
        {"toggle set to 2",
         compress_level(resummed(replaced(text, field("        Integer data", "1"), field("        Integer data", "2"))), 1),
         "TOGGLE_1: Integer data: a toggle is 0 or 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = write("damaged.dlg", c.bytes);
        nxsim::Dialog d;
        std::string err;
        EXPECT_NE(0, nxsim::load_dlg(path, d, &err));
        EXPECT_EQ(0u, err.rfind(path + ": ", 0)) << err;
        EXPECT_NE(std::string::npos, err.find(c.says)) << err;
    }
}

int no_op(int, void*, UF_STYLER_item_value_type_p_t) { return UF_UI_CB_CONTINUE_DIALOG; }

// The plug-in's table must find each of its rows in the file: an object or a reason the file
// lacks ends the run as a refused input before the dialog shows.
TEST_F(UIStylerFile, ACallbackRowTheFileLacksIsRefused) {
    nxsim::set_dialog_folder(std::string(KV_BINARY_DIR));
    write("fixture.dlg", compress_level(fixture_text(), 1));
    UF_initialize();
    int response = 0;
    UF_STYLER_callback_info_t missing_object[] = {
        {(char*)"NO_SUCH", UF_STYLER_ACTIVATE_CB, 0, no_op},
        {(char*)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
    };
    EXPECT_NE(0, UF_STYLER_create_dialog((char*)"fixture.dlg", missing_object, 2, nullptr, &response));
    UF_STYLER_callback_info_t missing_reason[] = {
        {(char*)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, no_op},
        {(char*)"GO_ACTION", UF_STYLER_DOUBLE_CLICK_CB, 0, no_op},
        {(char*)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
    };
    EXPECT_NE(0, UF_STYLER_create_dialog((char*)"fixture.dlg", missing_reason, 3, nullptr, &response));
    UF_terminate();
    ASSERT_EQ(2u, nxsim::refused_inputs().size());
    EXPECT_NE(std::string::npos, nxsim::refused_inputs()[0].find("NO_SUCH: not declared")) << nxsim::refused_inputs()[0];
    EXPECT_EQ(std::string(KV_BINARY_DIR) + "/fixture.dlg: GO_ACTION: the file has no double_click callback, but the "
                                           "plug-in's callback row 2 names it",
              nxsim::refused_inputs()[1]);
    EXPECT_TRUE(nxsim::transcript().empty());
}

// Descriptions the generator refuses stop the build at their line, before any file is written.
TEST(DialogDescription, LinesItCannotTakeStopItAtTheirLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"DIALOG d\nDIALOG d\n", ":2: a second DIALOG"},
        {"DIALOG d\nOBJECT\xd6 X STRING\n", ":2: not UTF-8 text at byte 7"},
        {"DIALOG d\nOBJECT L LABEL label=\"\xe7\x94\"\n", ":2: not UTF-8"},
        {"DIALOG d\nOBJECT L LABEL label=\"\xe7\x94", ":2: not UTF-8"},  // cut at the end of the file
        {"DIALOG d\nOBJECT S STRING items=\"a,b\"\n", ":2: S.items: "},
        {"DIALOG d\nOBJECT B ACTION_BUTTON value=1\n", ":2: B.value: "},
        {"DIALOG d\nOBJECT M MULTI_LIST items=\"a\" value=0\n", ":2: M.value: "},
        {"DIALOG d\nOBJECT T TOGGLE value=2\n", ":2: T.value: "},
        {"DIALOG d\nOBJECT O OPTION_MENU value=2 items=\"a,b\"\n", ":2: O.value: no item 2"},
        {"DIALOG d\nOBJECT I INTEGER value=99999999999\n", ":2: I.value: "},
        {"DIALOG d\nOBJECT R REAL value=inf\n", ":2: R.value: "},
        {"DIALOG d\nOBJECT R REAL value=1e999\n", ":2: R.value: "},
        {"DIALOG d\nOBJECT R REAL value=0.1234567\n", ":2: R.value: '0.1234567' has more than six decimals"},
        {"DIALOG d\nOBJECT G ACTION_BUTTON sensitive=no\n", ":2: G.sensitive: "},
        {"DIALOG d\nOBJECT L SINGLE_LIST\n", ":2: no UIStyler file code is known for a SINGLE_LIST"},
        {"DIALOG d\nOBJECT B ACTION_BUTTON callbacks=ok\n", ":2: B.callbacks: no object callback 'ok'"},
        {"DIALOG d callbacks=\"ok,ok\"\n", ":1: callbacks: 'ok' twice"},
        {"DIALOG d callbacks=ok:later\n", ":1: callbacks: 'later': only ':building' may follow"},
        {"DIALOG d\nOBJECT L LABEL label=\"a\x01\"\n", ":2: L.label: a control character"},
        {"DIALOG d\nOBJECT A-B LABEL\n", ":2: identifier 'A-B'"},
    };
    for (const auto& c : cases) {
        dlgc::Description d;
        std::string err;
        EXPECT_NE(0, dlgc::parse_description("bad.dlg.txt", c.first, &d, &err)) << c.second;
        EXPECT_EQ(0u, err.rfind(std::string("bad.dlg.txt") + c.second, 0)) << err;
    }
    dlgc::Description d;
    std::string err;
    ASSERT_EQ(0, dlgc::parse_description("ok.dlg.txt", "DIALOG d\nOBJECT O OPTION_MENU value=1 items=\"a,b\"\n", &d, &err))
        << err;
    EXPECT_EQ(1, d.file.objects[0].ivalue);
}

}  // namespace
