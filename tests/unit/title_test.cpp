// The title block: number and date texts, the twenty fields from the record, and the
// user-defined fields from the electrode body's attributes.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "drawing/title_block.h"
#include "electrode/text_source.h"
#include "sheet_fixture.h"

namespace {

using namespace kv_test;

TEST(TitleText, RealTextsLoseTrailingZerosAndALonePoint) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"0.300000", "0.3"},   {"1.000000", "1"},   {"0.000000", "0"}, {"-0.050000", "-0.05"},
                 {"100.000000", "100"}, {"100", "100"},      {".500", ".500"},  {"2.50.0", "2.50"},
                 {"", ""},              {"1.5e+10", "1.5e+10"}};
    for (const Case& c : cases) {
        char text[32];
        snprintf(text, sizeof text, "%s", c.in);
        EXPECT_EQ(0, trim_real_text(text));
        EXPECT_STREQ(c.out, text) << c.in;
    }
    EXPECT_EQ(-1, trim_real_text(nullptr));

    char gap[KV_FIELD_TEXT_SIZE];
    format_gap(0.15, gap, sizeof gap);
    EXPECT_STREQ("0.15", gap);
    format_gap(2, gap, sizeof gap);
    EXPECT_STREQ("2", gap);
    // "%f" of 1e300 does not fit 255 characters: the short form, not a cut number.
    format_gap(1e300, gap, sizeof gap);
    EXPECT_STREQ("1e+300", gap);
}

TEST(TitleText, DatesShowTwoDigitMonthsAndDays) {
    char text[KV_DATE_SIZE];
    format_date(2026, 12, 7, text, sizeof text);
    EXPECT_STREQ("2026/12/07", text);
    format_date(2027, 3, 5, text, sizeof text);
    EXPECT_STREQ("2027/03/05", text);
    format_date(2026, 10, 9, text, sizeof text);
    EXPECT_STREQ("2026/10/09", text);
    char small[6];
    format_date(2026, 10, 9, small, sizeof small);
    EXPECT_STREQ("2026/", small);
    EXPECT_EQ(-1, format_today(nullptr, 8));

    time_t now = time(nullptr);
    struct tm local = *localtime(&now);
    char want[KV_DATE_SIZE];
    format_date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, want, sizeof want);
    EXPECT_EQ(0, format_today(text, sizeof text));
    EXPECT_STREQ(want, text);
}

// A template group: a note for every field but METHOD, one whose NAME is lower case, and a line
// named CREATE before the CREATE note; plus the user-defined notes and a body with attributes.
const char kFields[] = R"(
  { "id": 101, "type": "line", "start": [0,0,0], "end": [1,0,0], "attributes": { "NAME": "CREATE" } },
  { "id": 102, "type": "note", "text": ["?"], "attributes": { "NAME": "moldno" } },
  { "id": 103, "type": "note", "text": ["?"], "attributes": { "NAME": "ELECTRODENAME" } },
  { "id": 104, "type": "note", "text": ["?"], "attributes": { "NAME": "PARTNAME" } },
  { "id": 105, "type": "note", "text": ["?"], "attributes": { "NAME": "MATERIAL" } },
  { "id": 107, "type": "note", "text": ["?"], "attributes": { "NAME": "MACHINE" } },
  { "id": 108, "type": "note", "text": ["?"], "attributes": { "NAME": "POSITION1" } },
  { "id": 109, "type": "note", "text": ["?"], "attributes": { "NAME": "POSITION2" } },
  { "id": 110, "type": "note", "text": ["?"], "attributes": { "NAME": "POSITION3" } },
  { "id": 111, "type": "note", "text": ["?"], "attributes": { "NAME": "POSITIONNUM1" } },
  { "id": 112, "type": "note", "text": ["?"], "attributes": { "NAME": "POSITIONNUM2" } },
  { "id": 113, "type": "note", "text": ["?"], "attributes": { "NAME": "POSITIONNUM3" } },
  { "id": 114, "type": "note", "text": ["?"], "attributes": { "NAME": "DATE" } },
  { "id": 115, "type": "note", "text": ["?"], "attributes": { "NAME": "METH1" } },
  { "id": 116, "type": "note", "text": ["?"], "attributes": { "NAME": "METH2" } },
  { "id": 117, "type": "note", "text": ["?"], "attributes": { "NAME": "METH3" } },
  { "id": 118, "type": "note", "text": ["?"], "attributes": { "NAME": "METH4" } },
  { "id": 119, "type": "note", "text": ["?"], "attributes": { "NAME": "CREATE" } },
  { "id": 120, "type": "note", "text": ["?"], "attributes": { "NAME": "SPLIT" } },
  { "id": 121, "type": "note", "text": ["?"], "attributes": { "NAME": "CREATELECT" } },
  { "id": 122, "type": "note", "text": ["?"], "attributes": { "NAME": "MOULD_OWNER" } },
  { "id": 123, "type": "note", "text": ["?"], "attributes": { "NAME": "FILENAME" } },
  { "id": 124, "type": "note", "text": ["?"], "attributes": { "NAME": "REMARK" } },
  { "id": 130, "type": "group", "members": [101, 102, 103, 104, 105, 107, 108, 109, 110, 111, 112, 113, 114, 115,
                                            116, 117, 118, 119, 120, 121, 122, 123, 124] },
  { "id": 131, "type": "solid", "layer": 101, "attributes": { "OWNER": "华南模具", "REMARK": "R0.5" },
    "shape": { "box": { "origin": [0, 0, 0], "size": [1, 1, 1] } } } )";

class Title : public SheetHost {
protected:
    void SetUp() override {
        SheetHost::SetUp();
        config(
            "ELECTRODE_DRAFT_MATERIAL=紫铜,石墨,\n"
            "ELECTRODE_DRAFT_METHOD=平动,\n"
            "ELECTRODE_DRAFT_MACH=1号机,2号机,\n"
            "ELECTRODE_USER_DEFINE_INFO=MOULD_OWNER,FILENAME,,REMARK,\n"
            "ELECTRODE_USER_DEFINE_ATTR_NAME=OWNER,$part_name,SKIPPED,,\n");
        // The literals are GBK; part files are UTF-8.
        open_part("M1234/core.prt", nxsim::to_utf8(block_part({}, kFields)));
        group_ = work().by_type[15].front();
        body_ = work().by_type[UF_solid_type].front();
    }
    // The text of the group's note named name.
    std::string field(const char* name) {
        for (tag_t t : work().by_type[UF_drafting_entity_type]) {
            const nxsim::Object* o = nxsim::live_obj(t);
            auto a = o->attrs.find("NAME");
            if (a != o->attrs.end() && a->second == name) return o->note.size() == 1 ? o->note[0] : "<lines>";
        }
        return "<none>";
    }
    tag_t group_ = NULL_TAG, body_ = NULL_TAG;
};

TEST_F(Title, EveryFieldTakesItsTextFromTheRecord) {
    electrode_data d;
    memset(&d, 0, sizeof d);
    strcpy(d.mould_no, "M2301");
    strcpy(d.electrode_name, "E01");
    strcpy(d.workpiece_name, "型芯");
    d.material_index = 1;
    d.edm_method_index = 0;
    d.machine_index = 7;  // beyond the list
    d.supr_coarse_gap = 0.15;
    d.coarse_gap = 0.3;
    d.fine_gap = 0.05;
    d.supr_coarse_count = 1;
    d.coarse_count = 0;
    d.fine_count = 12;
    d.relief = 1;
    strcpy(d.split_by, "陈工");
    strcpy(d.electrode_by, "赵工");
    EXPECT_EQ(0, fill_title_block(group_, d));
    EXPECT_EQ("M2301", field("moldno"));  // NAME matched whatever its letter case
    EXPECT_EQ("E01", field("ELECTRODENAME"));
    EXPECT_EQ("型芯", field("PARTNAME"));
    EXPECT_EQ("石墨", field("MATERIAL"));
    EXPECT_EQ(" ", field("MACHINE"));
    EXPECT_EQ("0.15", field("POSITION1"));
    EXPECT_EQ("0.3", field("POSITION2"));
    EXPECT_EQ("0.05", field("POSITION3"));
    EXPECT_EQ("1", field("POSITIONNUM1"));
    EXPECT_EQ("0", field("POSITIONNUM2"));
    EXPECT_EQ("12", field("POSITIONNUM3"));
    char today[KV_DATE_SIZE];
    format_today(today, sizeof today);
    EXPECT_EQ(today, field("DATE"));
    EXPECT_EQ(" ", field("METH1"));
    EXPECT_EQ("x", field("METH2"));
    EXPECT_EQ(" ", field("METH3"));
    EXPECT_EQ(" ", field("METH4"));
    EXPECT_EQ(" ", field("CREATE"));  // an empty person; the line named CREATE is passed over
    EXPECT_EQ("陈工", field("SPLIT"));
    EXPECT_EQ("赵工", field("CREATELECT"));
    EXPECT_EQ(-1, fill_title_block(NULL_TAG, d));
}

TEST_F(Title, LongTextsAreCutToANoteLineBetweenCharacters) {
    electrode_data d;
    memset(&d, 0, sizeof d);
    std::string mould = "M";
    while (mould.size() < 1000) mould += "模";
    snprintf(d.mould_no, sizeof d.mould_no, "%s", mould.c_str());
    fill_title_block(group_, d);
    // 132 bytes would end in half a character.
    EXPECT_EQ(mould.substr(0, 131), field("moldno"));
}

TEST_F(Title, UserDefinedFieldsPairNotesAndTitlesByPosition) {
    EXPECT_EQ(0, fill_user_defined_notes(body_, group_));
    EXPECT_EQ("华南模具", field("MOULD_OWNER"));
    EXPECT_EQ("core", field("FILENAME"));  // $PART_NAME in any letter case
    EXPECT_EQ("?", field("REMARK"));       // its title is empty: skipped

    config("ELECTRODE_USER_DEFINE_INFO=REMARK,MOULD_OWNER,\nELECTRODE_USER_DEFINE_ATTR_NAME=REMARK,\n");
    EXPECT_EQ(-2, fill_user_defined_notes(body_, group_));
    EXPECT_EQ("?", field("REMARK"));
    config("ELECTRODE_USER_DEFINE_INFO=REMARK,MOULD_OWNER,\nELECTRODE_USER_DEFINE_ATTR_NAME=REMARK,NOTHING,\n");
    EXPECT_EQ(-1, fill_user_defined_notes(NULL_TAG, group_));
    EXPECT_EQ(-1, fill_user_defined_notes(body_, NULL_TAG));
    EXPECT_EQ(0, fill_user_defined_notes(body_, group_));
    EXPECT_EQ("R0.5", field("REMARK"));
    EXPECT_EQ(" ", field("MOULD_OWNER"));  // the body has no NOTHING attribute
}

TEST_F(Title, TheKitTemplateCarriesEveryField) {
    tag_t d = open_new_drawing("T");
    (void)d;
    tag_t group = NULL_TAG;
    double x[6] = {1, 0, 0, 0, 1, 0}, at[3] = {0, 0, 0};
    UF_import_part_modes_t modes{};
    modes.group_mode = 1;
    std::string path = tool_ + "/template/edmDraft.prt";
    ASSERT_EQ(0, UF_PART_import(path.c_str(), &modes, x, at, 1.0, &group));
    // A process field added without its note in the template would never show on a drawing.
    for (int i = 0; i < kv_process_field_count; ++i)
        EXPECT_NE(NULL_TAG, find_named_note(group, kv_process_fields[i].note)) << kv_process_fields[i].note;
    for (const char* f : {"DATE", "FILENAME", "PROJECT", "REMARK"})
        EXPECT_NE(NULL_TAG, find_named_note(group, f)) << f;
}

// The choice numbers the job sheet asks by are the table's choice fields in order, and each
// reads its own setting.
TEST(ProcessFieldTable, ChoiceNumbersNameTheirOwnLists) {
    const char* keys[KV_CHOICE_COUNT] = {};
    keys[KV_CHOICE_MATERIAL] = KV_KEY_ELECTRODE_DRAFT_MATERIAL;
    keys[KV_CHOICE_METHOD] = KV_KEY_ELECTRODE_DRAFT_METHOD;
    keys[KV_CHOICE_MACHINE] = KV_KEY_ELECTRODE_DRAFT_MACH;
    int choice = 0;
    for (int i = 0; i < kv_process_field_count; ++i) {
        if (kv_process_fields[i].kind != KV_FIELD_CHOICE) continue;
        ASSERT_LT(choice, KV_CHOICE_COUNT);
        EXPECT_STREQ(keys[choice], kv_process_fields[i].setting) << i;
        ++choice;
    }
    EXPECT_EQ(KV_CHOICE_COUNT, choice);
    process_choice_lists lists;
    memset(&lists, 0, sizeof lists);
    kv_copy(lists.list[KV_CHOICE_METHOD], sizeof lists.list[0], "A,B,C,");  // an item ends at its comma
    char text[8] = "junk";
    EXPECT_EQ(0, process_choice_text(&lists, KV_CHOICE_METHOD, 2, text, sizeof text));
    EXPECT_STREQ("C", text);
    EXPECT_EQ(0, process_choice_text(&lists, KV_CHOICE_METHOD, 3, text, sizeof text));
    EXPECT_STREQ("", text);
    strcpy(text, "junk");
    EXPECT_EQ(-1, process_choice_text(&lists, KV_CHOICE_COUNT, 0, text, sizeof text));
    EXPECT_STREQ("", text);
}

}  // namespace
