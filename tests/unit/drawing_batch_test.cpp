// The drawing batch: existing drawings found by name, the question before one is replaced,
// and the layers shown for the selected electrodes.
#include <gtest/gtest.h>

#include <cstring>

#include "drawing/drawing_batch.h"
#include "drawing/drawing_dialog.h"
#include "drawing_fixture.h"

namespace {

using kv_test::DrawingFixture;

nxsim::Answer question(int button) {
    nxsim::Answer a;
    a.kind = nxsim::Answer::Question;
    a.button = button;
    a.where = "test";
    return a;
}

class Batch : public DrawingFixture {
protected:
    std::vector<std::string> drawings() {
        std::vector<std::string> out;
        nxsim::Part* p = nxsim::part(UF_ASSEM_ask_work_part());
        for (tag_t t : p->drawings) out.push_back(nxsim::obj(t)->name);
        return out;
    }
    std::vector<std::string> questions() {
        std::vector<std::string> out;
        for (auto& line : seen())
            if (line.rfind("question: ", 0) == 0 || line.rfind("answer: ", 0) == 0) out.push_back(line);
        return out;
    }
    int status(int layer) {
        int s = 0;
        UF_LAYER_ask_status(layer, &s);
        return s;
    }
    // Selects the named records and gives each of them views, as the model-view step would.
    void select(std::initializer_list<const char*> wanted, bool with_views = true) {
        for (electrode_record* r = electrode_list; r; r = r->next) {
            r->selected = 0;
            for (const char* w : wanted)
                if (strcmp(w, r->data.electrode_name) == 0) r->selected = 1;
            r->data.top_view_tag = with_views ? 900 : NULL_TAG;
            r->data.iso_view_tag = with_views ? 901 : NULL_TAG;
        }
    }
};

TEST_F(Batch, DrawingsAreFoundByNameWhateverTheirLetterCase) {
    open_part("M1/core.prt", kv_test::drawing_part(R"([{"name": "e01"}, {"name": "E03_OLD"}])"));
    int exists = -1;
    EXPECT_EQ(0, drawing_exists("E01", &exists));
    EXPECT_EQ(1, exists);
    EXPECT_EQ(0, drawing_exists("E03", &exists));
    EXPECT_EQ(0, exists);
    // Not listed: counted as existing, so the user is asked rather than a drawing lost.
    nxsim::fail("UF_DRAW_ask_drawings", nxsim::FaultMode::Once);
    EXPECT_EQ(-1, drawing_exists("E03", &exists));
    EXPECT_EQ(1, exists);

    nxsim::fail("UF_DRAW_ask_drawings", nxsim::FaultMode::Once);
    EXPECT_EQ(-1, delete_drawing_named("E01"));
    EXPECT_EQ(-1, delete_drawing_named("E02"));
    EXPECT_EQ((std::vector<std::string>{"e01", "E03_OLD"}), drawings());
    EXPECT_EQ(0, delete_drawing_named("E01"));
    EXPECT_EQ((std::vector<std::string>{"E03_OLD"}), drawings());
}

TEST_F(Batch, OnlyTheFirstDrawingOfTheNameIsDeleted) {
    open_part("M1/core.prt", kv_test::drawing_part(R"([{"name": "E01"}, {"name": "e01"}])"));
    EXPECT_EQ(0, delete_drawing_named("e01"));
    EXPECT_EQ((std::vector<std::string>{"e01"}), drawings());
}

TEST_F(Batch, QuestionTextIsCutBetweenCharacters) {
    open_part("M1/core.prt", kv_test::drawing_part());
    std::string text = "EE";
    for (int i = 0; i < 100; ++i) text += "图";
    nxsim::push_answer(question(1));
    int answer = 0;
    EXPECT_EQ(0, question_box("QUESTION", text.c_str(), &answer));
    EXPECT_EQ(1, answer);
    // 127 bytes would end in half of the 64th character.
    EXPECT_EQ("question: " + text.substr(0, 126), questions().at(0));
}

TEST_F(Batch, PassAsksForEachExistingDrawingAndGoesOnAfterCancel) {
    open_part("M1/core.prt", kv_test::drawing_part(R"([{"name": "e01"}, {"name": "E02"}, {"name": "E03"}])"));
    electrode_list = build_electrode_list();
    select({"E01", "E02"});
    nxsim::push_answer(question(3));
    nxsim::push_answer(question(1));
    drawing_pass(electrode_list);
    EXPECT_EQ((std::vector<std::string>{"question: E01 图已存在，是否更新?", "answer: CANCEL",
                                         "question: E02 图已存在，是否更新?", "answer: OK"}),
              questions());
    // E01 kept (CANCEL), E02 deleted and made anew (now the last), E03 not selected.
    EXPECT_EQ((std::vector<std::string>{"e01", "E03", "E02"}), drawings());
    EXPECT_EQ(0u, nxsim::pending_answers());
}

// The pass lists the drawings once; a drawing it made or deleted since is asked of NX again, and
// a listing NX refused leaves every electrode to ask NX itself, as before.
TEST_F(Batch, PassListsTheDrawingsOnceAndAsksAgainAboutWhatItChanged) {
    open_part("M1/core.prt", kv_test::drawing_part(R"([{"name": "E03"}])"));
    electrode_list = build_electrode_list();
    select({"E01", "E02", "E03"});
    strcpy(electrode_list->next->data.electrode_name, "E01");  // E01 twice: its drawing made first
    nxsim::push_answer(question(1));
    nxsim::push_answer(question(3));
    int lists = nxsim::call_count("UF_DRAW_ask_drawings");
    drawing_pass(electrode_list);
    EXPECT_EQ((std::vector<std::string>{"question: E01 图已存在，是否更新?", "answer: OK",
                                         "question: E03 图已存在，是否更新?", "answer: CANCEL"}),
              questions());
    EXPECT_EQ((std::vector<std::string>{"E03", "E01"}), drawings());
    // One listing for the pass, one to ask again about the drawing it made.
    EXPECT_EQ(2, nxsim::call_count("UF_DRAW_ask_drawings") - lists);
}

TEST_F(Batch, PassWhoseListingFailsAsksForEachElectrode) {
    open_part("M1/core.prt", kv_test::drawing_part(R"([{"name": "E02"}])"));
    electrode_list = build_electrode_list();
    select({"E01", "E02"});
    nxsim::push_answer(question(3));
    nxsim::fail("UF_DRAW_ask_drawings", nxsim::FaultMode::Once);
    drawing_pass(electrode_list);
    EXPECT_EQ((std::vector<std::string>{"question: E02 图已存在，是否更新?", "answer: CANCEL"}), questions());
    EXPECT_EQ((std::vector<std::string>{"E02", "E01"}), drawings());
}

TEST_F(Batch, WithoutViewsAnExistingDrawingIsKept) {
    open_part("M1/core.prt", kv_test::drawing_part(R"([{"name": "E02"}])"));
    electrode_list = build_electrode_list();
    select({"E02"}, false);
    nxsim::push_answer(question(1));
    drawing_pass(electrode_list);
    EXPECT_EQ((std::vector<std::string>{"E02"}), drawings());
    EXPECT_EQ(2u, questions().size());
}

// OK with a selection the dialog cannot hand over draws nothing, says so and keeps the dialog
// open, instead of closing it as if the (empty) selection had been drawn.
TEST_F(Batch, OkThatCannotReadTheSelectionDrawsNothingSaysSoAndKeepsTheDialog) {
    open_part("M1/core.prt", kv_test::drawing_part());
    int response = -1;
    in_dialog([&](int dialog_id) {
        electrode_list = build_electrode_list();
        fill_electrode_list_box(dialog_id, KV_ELECTRODE_LIST_OBJECT, electrode_list);
        item(KV_ELECTRODE_LIST_OBJECT).selected = {0};
        nxsim::fail("UF_STYLER_ask_value", nxsim::FaultMode::Once);
        drawing_dialog_state state = {electrode_list};
        response = drawing_ok_cb(dialog_id, &state, nullptr);
    });
    EXPECT_EQ(UF_UI_CB_CONTINUE_DIALOG, response);
    EXPECT_TRUE(drawings().empty());
    std::vector<std::string> told;
    for (const std::string& line : seen())
        if (line.rfind("message: ", 0) == 0) told.push_back(line.substr(9));
    EXPECT_EQ((std::vector<std::string>{"无法读取电极列表的选择，未生成图纸！"}), told);
}

// An electrode whose coordinate system NX cannot look up gets no drawing (its views would come out
// in the absolute orientation) and the user is told; the others are drawn.
TEST_F(Batch, AnElectrodeWhoseEcsCannotBeLookedUpIsLeftOutAndNamed) {
    open_part("M1/core.prt", kv_test::drawing_part());
    in_dialog([&](int dialog_id) {
        electrode_list = build_electrode_list();
        fill_electrode_list_box(dialog_id, KV_ELECTRODE_LIST_OBJECT, electrode_list);
        item(KV_ELECTRODE_LIST_OBJECT).selected = {0, 1};
        nxsim::fail("UF_LAYER_cycle_by_layer", nxsim::FaultMode::Once);
        EXPECT_EQ(1, run_drawing_batch(dialog_id, electrode_list));
    });
    std::vector<std::string> told;
    for (const std::string& line : seen())
        if (line.rfind("message: ", 0) == 0) told.push_back(line.substr(9));
    EXPECT_EQ((std::vector<std::string>{"电极 E01 的坐标系无法读取，图纸未生成！"}), told);
    EXPECT_EQ((std::vector<std::string>{"E02"}), drawings());
}

TEST_F(Batch, RecordsThatAreNoLongerElectrodesAreSkipped) {
    open_part("M1/core.prt", kv_test::drawing_part(R"([{"name": "E01"}])"));
    electrode_list = build_electrode_list();
    select({"E01"});
    config("ELECTRODE_PREFIX_NAME=X\n");  // the prefix changed while the dialog was open
    drawing_pass(electrode_list);
    EXPECT_TRUE(questions().empty());
    EXPECT_EQ((std::vector<std::string>{"E01"}), drawings());
}

TEST_F(Batch, ElectrodeRangeBeyondNxsLayersCostsNoCalls) {
    open_part("M1/core.prt", kv_test::drawing_part());
    electrode_list = build_electrode_list();
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_ONLY_DISPLAY_ELECT=1\nELECTRODE_START_LAYER=-5\n"
           "ELECTRODE_END_LAYER=2000000000\n");
    select({});
    int before = nxsim::call_count("UF_LAYER_set_status");
    show_selected_electrode_layers(electrode_list);
    EXPECT_EQ(256, nxsim::call_count("UF_LAYER_set_status") - before);
    EXPECT_EQ(UF_LAYER_WORK_LAYER, status(1));  // nothing selected: the work layer stays
    EXPECT_EQ(UF_LAYER_INACTIVE_LAYER, status(256));
}

}  // namespace
