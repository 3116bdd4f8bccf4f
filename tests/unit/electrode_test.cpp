// Electrode categories and layers, colours, attribute texts, tokens, named notes, comma lists.
#include <cstring>
#include <string>
#include <vector>

#include "config/comma_list.h"
#include "config/settings.h"
#include "config_fixture.h"
#include "electrode/electrode.h"
#include "electrode/text_source.h"
#include "electrode/work_part.h"

namespace {

// Categories in NX's order after ALL; TOOLS holds layer 150 before X9 does.
const char kMould[] = R"({
  "format": "nxsim-part", "version": 1,
  "objects": [
    { "id": 1, "type": "category", "name": "TOOLS", "layers": [5, 6, 150] },
    { "id": 2, "type": "category", "name": "e01", "layers": [101] },
    { "id": 3, "type": "category", "name": "E02", "layers": ["102-103"] },
    { "id": 4, "type": "category", "name": "ELEC", "layers": [] },
    { "id": 5, "type": "category", "name": "X9", "layers": [150, 160] },
    { "id": 6, "type": "solid", "name": "BODY", "layer": 101,
      "attributes": { "MATERIAL": "CU", "$PART_NAME": "not this", "LONG": "0123456789",
                      "COUNT": 3, "GAP": 0.150, "DEPTH": 12.0, "TINY": -0.0000001, "BIG": 1e300 },
      "shape": { "box": { "origin": [0, 0, 0], "size": [10, 10, 10] } } },
    { "id": 7, "type": "csys", "name": "E01_CSYS", "layer": 101,
      "origin": [0, 0, 0], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
    { "id": 8, "type": "line", "layer": 1, "start": [0, 0, 0], "end": [1, 0, 0],
      "attributes": { "NAME": "MOLDNO" } },
    { "id": 9, "type": "note", "layer": 1, "text": ["old"], "attributes": { "NAME": "MOLDNO" } },
    { "id": 10, "type": "note", "layer": 1, "text": ["x"], "attributes": { "NAME": "DATE" } },
    { "id": 11, "type": "note", "layer": 1, "text": ["x"] },
    { "id": 12, "type": "group", "members": [8, 11, 9, 10] }
  ]
})";

class Electrodes : public kv_test::SettingsHost {
protected:
    void SetUp() override {
        kv_test::SettingsHost::SetUp();
        config("ELECTRODE_PREFIX_NAME = E\n");
        open_part("M1234/core.prt", kMould);
    }
    tag_t work() { return UF_ASSEM_ask_work_part(); }
    tag_t named(const std::string& name) {
        for (auto& kv : nxsim::S().objects)
            if (kv.second.name == name) return kv.first;
        return NULL_TAG;
    }
    // The note whose NAME attribute is name.
    tag_t note_with(const std::string& name) {
        for (auto& kv : nxsim::S().objects)
            if (kv.second.type == 25 && kv.second.attrs.count("NAME") && kv.second.attrs.at("NAME") == name)
                return kv.first;
        return NULL_TAG;
    }
    tag_t first_of_type(int type) {
        tag_t t = NULL_TAG;
        UF_OBJ_cycle_objs_in_part(work(), type, &t);
        return t;
    }
    std::string layer_name(int layer, size_t size = KV_CATEGORY_NAME_BUFSIZE) {
        std::string buf(size, 'x');
        EXPECT_EQ(0, category_of_layer(layer, &buf[0], size));
        return buf.c_str();
    }
    static void collect(const char* name, void* context) {
        static_cast<std::vector<std::string>*>(context)->push_back(name);
    }
    std::vector<std::string> electrodes() {
        std::vector<std::string> names;
        int count = list_electrode_categories(work(), collect, &names);
        EXPECT_EQ(count, (int)names.size());
        return names;
    }
};

TEST_F(Electrodes, NamesThatAreElectrodes) {
    for (const char* yes : {"E01", "e01", "ELEC", "E"}) EXPECT_EQ(1, is_electrode_name(yes)) << yes;
    for (const char* no : {"", "TOOLS", "X9"}) EXPECT_EQ(0, is_electrode_name(no)) << no;
    EXPECT_EQ(0, is_electrode_name(nullptr));
    config("ELECTRODE_PREFIX_NAME = EL\n");
    EXPECT_EQ(0, is_electrode_name("E"));  // the prefix is longer than the name
    EXPECT_EQ(1, is_electrode_name("el9"));
    config("ELECTRODE_PREFIX_NAME = " + std::string(3000, 'E') + "\n");
    EXPECT_EQ(0, is_electrode_name("EEE"));
    // The line's first 1023 characters leave a prefix of 999 letters.
    EXPECT_EQ(1, is_electrode_name(std::string(1100, 'e').c_str()));
    EXPECT_EQ(0, is_electrode_name(std::string(998, 'e').c_str()));
    config("# no prefix\n");
    EXPECT_EQ(1, is_electrode_name("TOOLS"));
    EXPECT_EQ(0, is_electrode_name(""));
}

TEST_F(Electrodes, ListFollowsNxOrderAndSkipsAll) {
    EXPECT_EQ((std::vector<std::string>{"E01", "E02", "ELEC"}), electrodes());
    config("ELECTRODE_PREFIX_NAME=a\n");  // "ALL" never counts, whatever the prefix
    EXPECT_EQ(std::vector<std::string>{}, electrodes());
    config("");
    EXPECT_EQ((std::vector<std::string>{"TOOLS", "E01", "E02", "ELEC", "X9"}), electrodes());
    EXPECT_EQ(5, list_electrode_categories(work(), nullptr, nullptr));
}

TEST_F(Electrodes, OnePassingCycleFailureHidesNoElectrode) {
    nxsim::fail("UF_OBJ_cycle_objs_in_part", nxsim::FaultMode::Nth, 3);
    EXPECT_EQ((std::vector<std::string>{"E01", "E02", "ELEC"}), electrodes());
    nxsim::fail("UF_OBJ_cycle_objs_in_part", nxsim::FaultMode::Always);
    EXPECT_EQ(std::vector<std::string>{}, electrodes());
    nxsim::clear_faults();
}

TEST_F(Electrodes, CategoryOfLayer) {
    EXPECT_EQ("E01", layer_name(101));  // upper-cased
    EXPECT_EQ("E02", layer_name(103));
    EXPECT_EQ("TOOLS", layer_name(150));  // the first category holding it, even if another does too
    EXPECT_EQ("X9", layer_name(160));
    EXPECT_EQ("", layer_name(200));       // only ALL holds it
    EXPECT_EQ("", layer_name(0));
    EXPECT_EQ("", layer_name(257));
    EXPECT_EQ("TO", layer_name(150, 3));  // cut to the caller's buffer
    nxsim::close_all_parts();
    EXPECT_EQ("", layer_name(101));
}

TEST_F(Electrodes, FirstLayers) {
    int first = 99;
    EXPECT_EQ(0, first_layer_of_category("e02", &first));
    EXPECT_EQ(102, first);
    EXPECT_EQ(-1, first_layer_of_category("ELEC", &first));  // no layer at all
    EXPECT_EQ(0, first);
    first = 99;
    EXPECT_EQ(-1, first_layer_of_category("NOPE", &first));
    EXPECT_EQ(0, first);
    EXPECT_EQ(-1, first_layer_of_category(std::string(300, 'E').c_str(), &first));

    first = 77;
    EXPECT_EQ(-1, electrode_first_layer("TOOLS", &first));
    EXPECT_EQ(77, first);  // not an electrode: untouched
    EXPECT_EQ(0, electrode_first_layer("ELEC", &first));
    EXPECT_EQ(0, first);
    EXPECT_EQ(0, electrode_first_layer("E01", &first));
    EXPECT_EQ(101, first);
}

TEST_F(Electrodes, FailingCategoryCallsGiveEmptyResults) {
    nxsim::fail("UF_LAYER_ask_category_info", nxsim::FaultMode::Always);
    EXPECT_EQ("", layer_name(101));
    EXPECT_EQ(std::vector<std::string>{}, electrodes());
    int first = 99;
    EXPECT_EQ(-1, first_layer_of_category("E01", &first));
    EXPECT_EQ(0, first);
    nxsim::clear_faults();
    nxsim::fail("UF_LAYER_ask_category_tag", nxsim::FaultMode::Once);
    EXPECT_EQ(-1, first_layer_of_category("E01", &first));
    nxsim::fail("UF_OBJ_cycle_objs_in_part", nxsim::FaultMode::Always);
    EXPECT_EQ("", layer_name(101));
    EXPECT_EQ(std::vector<std::string>{}, electrodes());
}

TEST_F(Electrodes, ColourFromRgbUsesTheQuarterStepScale) {
    tag_t csys = named("E01_CSYS");
    ASSERT_NE(NULL_TAG, csys);
    set_color_from_rgb(csys, 255, 255, 255);  // 0.99609375 each: white
    EXPECT_EQ(1, nxsim::obj(csys)->color);
    // 179/256 = 0.699 is nearer 0.6 than 0.8 (179/255 would not be): colour 198, not 192.
    set_color_from_rgb(csys, 179, 0, 0);
    EXPECT_EQ(198, nxsim::obj(csys)->color);
    set_color_from_rgb(csys, 0, 0, 255);
    EXPECT_EQ(211, nxsim::obj(csys)->color);
    set_color_from_rgb(csys, 128, 128, 128);  // 0.5 lies midway: the lower colour number wins
    EXPECT_EQ(87, nxsim::obj(csys)->color);
    EXPECT_EQ(4, nxsim::call_count("UF_DISP_load_color_table"));

    nxsim::fail("UF_DISP_ask_closest_color", nxsim::FaultMode::Once);
    int sets = nxsim::call_count("UF_OBJ_set_color");
    EXPECT_EQ(0, set_color_from_rgb(csys, 0, 255, 0));
    EXPECT_EQ(87, nxsim::obj(csys)->color);
    EXPECT_EQ(sets, nxsim::call_count("UF_OBJ_set_color"));  // no colour number, nothing set
}

// ------------------------------------------------------------------ attribute texts and tokens

TEST_F(Electrodes, AttributeTextsAndTokens) {
    tag_t body = named("BODY");
    char text[64];
    EXPECT_STREQ("CU", read_text_attribute(body, "MATERIAL", text, sizeof text));
    EXPECT_STREQ("", read_text_attribute(body, "NOPE", text, sizeof text));
    EXPECT_STREQ("", read_text_attribute(NULL_TAG, "MATERIAL", text, sizeof text));
    EXPECT_STREQ("", read_text_attribute(NULL_TAG, "$PART_NAME", text, sizeof text));
    // Tokens in any case win over an attribute of the same title.
    EXPECT_STREQ("core", read_text_attribute(body, "$part_name", text, sizeof text));
    EXPECT_STREQ("M1234", read_text_attribute(body, "$Dir", text, sizeof text));
    EXPECT_STREQ("0123", read_text_attribute(body, "LONG", text, 5));
    EXPECT_STREQ("", read_text_attribute(body, std::string(2000, 'T').c_str(), text, sizeof text));
    // Numbers come back as NX types them: integers as written, reals with up to six decimals.
    EXPECT_STREQ("3", read_text_attribute(body, "COUNT", text, sizeof text));
    EXPECT_STREQ("0.15", read_text_attribute(body, "GAP", text, sizeof text));
    EXPECT_STREQ("12", read_text_attribute(body, "DEPTH", text, sizeof text));
    EXPECT_STREQ("0", read_text_attribute(body, "TINY", text, sizeof text));
    EXPECT_STREQ("", read_text_attribute(body, "BIG", text, sizeof text));  // no text holds it
    nxsim::fail("UF_ATTR_read_value", nxsim::FaultMode::Once);
    EXPECT_STREQ("", read_text_attribute(body, "MATERIAL", text, sizeof text));
}

TEST_F(Electrodes, WorkPartNameAndFolder) {
    char text[64] = "junk";
    EXPECT_EQ(0, work_part_name(text, sizeof text));
    EXPECT_STREQ("core", text);
    EXPECT_EQ(0, work_part_name(text, 3));
    EXPECT_STREQ("co", text);
    std::string& path = nxsim::part(work())->path;
    struct {
        const char* path;
        const char* folder;
    } cases[] = {
        {"C:\\X\\M1234\\core.prt", "M1234"},
        {"C:\\core.prt", ""},  // a drive root has no folder name
        {"/core.prt", ""},
        {"/ab/core.prt", "ab"},
        {"core.prt", ""},
        {"D:/mixed\\P-7/core.prt", "P-7"},
        // "模具" and GBK B1 5C, whose trail byte is a backslash, not a separator (UTF-8 on this host).
        {"C:\\X\\\xE6\xA8\xA1\xE5\x85\xB7\xE7\x9B\xB6\\core.prt", "\xC4\xA3\xBE\xDF\xB1\x5C"},
    };
    for (auto& c : cases) {
        path = c.path;
        strcpy(text, "junk");
        EXPECT_EQ(0, work_part_folder_name(text, sizeof text));
        EXPECT_STREQ(c.folder, text) << c.path;
    }
    nxsim::fail("uc4576", nxsim::FaultMode::Once);
    EXPECT_EQ(0, work_part_folder_name(text, sizeof text));
    EXPECT_STREQ("", text);
    nxsim::fail("UF_PART_ask_part_name", nxsim::FaultMode::Once);
    EXPECT_EQ(0, work_part_name(text, sizeof text));
    EXPECT_STREQ("", text);
    nxsim::close_all_parts();
    EXPECT_EQ(0, work_part_name(text, sizeof text));
    EXPECT_STREQ("", text);
    EXPECT_EQ(0, work_part_folder_name(text, sizeof text));
    EXPECT_STREQ("", text);
}

// ------------------------------------------------------------------ named notes

TEST_F(Electrodes, NamedNotesAndTheirTexts) {
    tag_t group = first_of_type(15);
    tag_t note = find_named_note(group, "moldno");
    EXPECT_EQ(note_with("MOLDNO"), note);  // the line carrying the same NAME is passed over
    EXPECT_EQ(note_with("DATE"), find_named_note(group, "Date"));
    EXPECT_EQ(NULL_TAG, find_named_note(group, "MISSING"));
    EXPECT_EQ(NULL_TAG, find_named_note(group, ""));  // not the note without a NAME
    EXPECT_EQ(NULL_TAG, find_named_note(NULL_TAG, "MOLDNO"));
    EXPECT_EQ(NULL_TAG, find_named_note(group, nullptr));

    EXPECT_EQ(0, set_note_text(note, "M-001"));
    EXPECT_EQ(std::vector<std::string>{"M-001"}, nxsim::obj(note)->note);
    EXPECT_EQ(0, set_note_text(note, ""));
    EXPECT_EQ(std::vector<std::string>{" "}, nxsim::obj(note)->note);
    EXPECT_EQ(0, set_note_text(note, std::string(500, 'n').c_str()));
    EXPECT_EQ(std::vector<std::string>{std::string(132, 'n')}, nxsim::obj(note)->note);
    EXPECT_EQ(0, set_note_text(note, (std::string(131, 'n') + "紫铜").c_str()));
    EXPECT_EQ(std::vector<std::string>{std::string(131, 'n')}, nxsim::obj(note)->note);
    EXPECT_NE(0, set_note_text(named("BODY"), "x"));
}

TEST_F(Electrodes, NamedNoteLookupSurvivesFailingCalls) {
    tag_t group = first_of_type(15);
    nxsim::fail("UF_GROUP_ask_group_data", nxsim::FaultMode::Once);
    EXPECT_EQ(NULL_TAG, find_named_note(group, "MOLDNO"));
    nxsim::fail("UF_OBJ_ask_type_and_subtype", nxsim::FaultMode::Always);
    EXPECT_EQ(NULL_TAG, find_named_note(group, "MOLDNO"));
    nxsim::clear_faults();
    nxsim::fail("UF_ATTR_read_value", nxsim::FaultMode::Always);
    EXPECT_EQ(NULL_TAG, find_named_note(group, "MOLDNO"));
}

// One reading of a template group answers every field as find_named_note would, with the NAME of
// each note read once; without the group's members in hand every field asks NX as before.
TEST_F(Electrodes, NamedNotesReadOnceAnswerAsEachLookup) {
    tag_t group = first_of_type(15);
    int reads = nxsim::call_count("UF_ATTR_read_value");
    group_members m;
    ASSERT_EQ(0, read_group_members(group, &m));
    int notes = 0;
    for (int i = 0; i < m.count; ++i) notes += m.types[i] == UF_drafting_entity_type && m.subtypes[i] == UF_draft_note_subtype;
    EXPECT_EQ(notes, nxsim::call_count("UF_ATTR_read_value") - reads);  // the line's NAME is never read
    reads = nxsim::call_count("UF_ATTR_read_value");
    for (const char* name : {"moldno", "Date", "MISSING", ""})
        EXPECT_EQ(find_named_note(group, name), find_note_in(&m, name)) << name;
    EXPECT_EQ(NULL_TAG, find_note_in(&m, nullptr));
    reads = nxsim::call_count("UF_ATTR_read_value") - reads;
    EXPECT_GT(reads, 0);  // find_named_note's, none of the reading's
    release_group_members(&m);
    EXPECT_EQ(nullptr, m.tags);

    nxsim::fail("UF_GROUP_ask_group_data", nxsim::FaultMode::Once);
    EXPECT_EQ(-1, read_group_members(group, &m));
    EXPECT_EQ(0, m.read);
    EXPECT_EQ(note_with("MOLDNO"), find_note_in(&m, "MOLDNO"));  // asked of NX
    release_group_members(&m);
    // A note whose type could not be read is no note of the reading.
    nxsim::fail("UF_OBJ_ask_type_and_subtype", nxsim::FaultMode::Always);
    ASSERT_EQ(0, read_group_members(group, &m));
    EXPECT_EQ(NULL_TAG, find_note_in(&m, "MOLDNO"));
    release_group_members(&m);
}

TEST_F(Electrodes, ClosestColourIsAskedOnceForManyObjects) {
    int color = -1;
    int loads = nxsim::call_count("UF_DISP_load_color_table");
    EXPECT_EQ(0, closest_color_from_rgb(179, 0, 0, &color));
    EXPECT_EQ(198, color);  // as set_color_from_rgb gives it
    EXPECT_EQ(1, nxsim::call_count("UF_DISP_load_color_table") - loads);
    nxsim::fail("UF_DISP_ask_closest_color", nxsim::FaultMode::Once);
    EXPECT_EQ(-1, closest_color_from_rgb(179, 0, 0, &color));
    EXPECT_EQ(0, color);
}

// ------------------------------------------------------------------ comma lists

TEST(CommaLists, ItemsAreFollowedByACommaEach) {
    char item[16] = "junk";
    EXPECT_EQ(2, list_item_count("CU,GR,"));
    list_item("CU,GR,", 0, item, sizeof item);
    EXPECT_STREQ("CU", item);
    list_item("CU,GR,", 1, item, sizeof item);
    EXPECT_STREQ("GR", item);
    for (int n : {2, -1, 1000}) {
        strcpy(item, "junk");
        list_item("CU,GR,", n, item, sizeof item);
        EXPECT_STREQ("", item) << n;
    }
    EXPECT_EQ(1, list_item_index("CU,GR,", "gr"));

    EXPECT_EQ(1, list_item_count("CU,GR"));  // text after the last comma is no item
    list_item("CU,GR", 1, item, sizeof item);
    EXPECT_STREQ("", item);
    EXPECT_EQ(-1, list_item_index("CU,GR", "GR"));
    EXPECT_EQ(0, list_item_index("CU,GR", "cu"));

    EXPECT_EQ(3, list_item_count(",,x,"));  // empty items count
    list_item(",,x,", 2, item, sizeof item);
    EXPECT_STREQ("x", item);
    EXPECT_EQ(0, list_item_index(",,x,", ""));
    EXPECT_EQ(-1, list_item_index("", "x"));
    EXPECT_EQ(-1, list_item_index("nocomma", "nocomma"));
    EXPECT_EQ(-1, list_item_index(nullptr, "x"));
    EXPECT_EQ(-1, list_item_index("a,", nullptr));
    EXPECT_EQ(0, list_item_count(nullptr));
    list_item(nullptr, 0, item, sizeof item);
    EXPECT_STREQ("", item);
}

TEST(CommaLists, DoubleByteItemsAndCase) {
    const char* list = "紫铜,石墨,铜钨,Gr,";
    char item[8];
    EXPECT_EQ(4, list_item_count(list));
    list_item(list, 1, item, sizeof item);
    EXPECT_STREQ("石墨", item);
    EXPECT_EQ(2, list_item_index(list, "铜钨"));
    EXPECT_EQ(3, list_item_index(list, "gR"));
    list_item(list, 0, item, 4);  // three bytes hold one character, not one and a half
    EXPECT_STREQ("紫", item);
}

TEST(CommaLists, LongItemsAndThousandsOfItems) {
    std::string list;
    for (int i = 0; i < 5000; ++i) list += "item" + std::to_string(i) + ",";
    list += std::string(4000, 'L') + ",";
    EXPECT_EQ(5001, list_item_count(list.c_str()));
    char item[KV_SETTING_BUFSIZE];
    list_item(list.c_str(), 4999, item, sizeof item);
    EXPECT_STREQ("item4999", item);
    list_item(list.c_str(), 5000, item, sizeof item);
    EXPECT_EQ(std::string(1023, 'L'), item);
    EXPECT_EQ(4321, list_item_index(list.c_str(), "ITEM4321"));
    EXPECT_EQ(5000, list_item_index(list.c_str(), std::string(4000, 'l').c_str()));
    EXPECT_EQ(-1, list_item_index(list.c_str(), std::string(1023, 'L').c_str()));
}

}  // namespace
