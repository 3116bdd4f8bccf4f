// Note texts: the host answers uc5566 in NX's codes (1 is success), and the plug-in reads them so.
#include <cstring>
#include <string>
#include <vector>

#include "config_fixture.h"
#include "electrode/text_source.h"

namespace {

const char kNotes[] = R"({
  "format": "nxsim-part", "version": 1,
  "objects": [
    { "id": 1, "type": "note", "layer": 1, "text": ["old"], "attributes": { "NAME": "MOLDNO" } },
    { "id": 2, "type": "line", "layer": 1, "start": [0, 0, 0], "end": [1, 0, 0] }
  ]
})";

class NoteText : public kv_test::SettingsHost {
protected:
    void SetUp() override {
        kv_test::SettingsHost::SetUp();
        open_part("M1/core.prt", kNotes);
    }
    tag_t first_of_type(int type) {
        tag_t t = NULL_TAG;
        UF_OBJ_cycle_objs_in_part(UF_ASSEM_ask_work_part(), type, &t);
        return t;
    }
    tag_t note() { return first_of_type(UF_drafting_entity_type); }
    std::vector<std::string> text() { return nxsim::obj(note())->note; }
};

TEST_F(NoteText, HostAnswersInNxsCodes) {
    char lines[2][133] = {"first", "second"};
    EXPECT_EQ(1, uc5566(note(), 1, 2, lines));
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), text());

    EXPECT_EQ(3, uc5566(NULL_TAG, 1, 1, lines));
    EXPECT_EQ(2, uc5566(first_of_type(UF_line_type), 1, 1, lines));  // not a note
    EXPECT_EQ(2, uc5566(note(), 2, 1, lines));                        // not a text kind it takes
    EXPECT_EQ(2, uc5566(note(), 1, 0, lines));
    EXPECT_EQ(2, uc5566(note(), 1, 1, nullptr));
    // A line of 132 characters fits; one filling all 133 bytes has no terminator.
    memset(lines[1], 'w', 132);
    lines[1][132] = '\0';
    EXPECT_EQ(1, uc5566(note(), 1, 2, lines));
    EXPECT_EQ(std::string(132, 'w'), text()[1]);
    lines[1][132] = 'w';
    EXPECT_EQ(4, uc5566(note(), 1, 2, lines));
    EXPECT_EQ(std::string(132, 'w'), text()[1]);  // a refused call changes nothing
    EXPECT_EQ(2u, text().size());
}

TEST_F(NoteText, PluginTakesOnlyOneAsSuccess) {
    EXPECT_EQ(0, set_note_text(note(), "M-001"));
    EXPECT_EQ(std::vector<std::string>{"M-001"}, text());

    // Every answer but 1 is a refusal, whatever its number.
    for (int code : {2, 3, 4, 5, 7}) {
        nxsim::fail("uc5566", nxsim::FaultMode::Once, 1, code);
        EXPECT_EQ(-2, set_note_text(note(), "other")) << code;
        EXPECT_EQ(std::vector<std::string>{"M-001"}, text()) << code;
    }
    EXPECT_EQ(-2, set_note_text(first_of_type(UF_line_type), "x"));

    // The null note is the plug-in's own refusal: NX is not asked.
    int calls = nxsim::call_count("uc5566");
    EXPECT_EQ(-1, set_note_text(NULL_TAG, "x"));
    EXPECT_EQ(calls, nxsim::call_count("uc5566"));
}

}  // namespace
