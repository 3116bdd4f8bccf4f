// The simulated host's drawings, question dialog and view fitting, as the drawing dialog relies
// on them.
#include <gtest/gtest.h>

#include <fstream>

#include "nx.h"
#include "nxsim/nxsim.h"
#include "state.h"
#include "test_support.h"

namespace {

const char* kPart = R"({
  "format": "nxsim-part", "version": 1,
  "objects": [ { "id": 1, "type": "category", "name": "E01", "layers": [101] } ],
  "drawings": [ { "name": "e01" }, { "name": "E02" }, { "name": "SHEET1" } ],
  "current_drawing": "E02"
})";

std::string write_part(const std::string& name, const std::string& text) {
    std::string path = std::string(KV_BINARY_DIR) + "/" + name;
    std::ofstream(path) << text;
    return path;
}

nxsim::Answer question(int button) {
    nxsim::Answer a;
    a.kind = nxsim::Answer::Question;
    a.button = button;
    a.where = "test";
    return a;
}

class DrawingHost : public ::testing::Test {
protected:
    void SetUp() override {
        nxsim::reset();
        std::string err;
        ASSERT_EQ(0, nxsim::open_part(write_part("drawing_host.prt", kPart), &err)) << err;
        ASSERT_EQ(0, UF_initialize());
    }
    void TearDown() override {
        while (nxsim::init_depth() > 0) UF_terminate();
        EXPECT_TRUE(nxsim::leaks().empty()) << nxsim::leaks().front();
    }
    std::vector<std::string> drawing_names() {
        std::vector<std::string> out;
        int n = 0;
        tag_t* tags = nullptr;
        EXPECT_EQ(0, UF_DRAW_ask_drawings(&n, &tags));
        for (int i = 0; i < n; ++i) {
            char name[256] = "";
            UF_OBJ_ask_name(tags[i], name);
            out.push_back(name);
        }
        UF_free(tags);
        return out;
    }
    // The three-button record of the plug-in's question: OK and CANCEL shown, BACK hidden.
    int ask(int* response) {
        char ok[] = "OK", back[] = "BACK", cancel[] = "CANCEL", text[] = "E01 exists", title[] = "Q";
        UF_UI_message_buttons_t b{};
        b.button1 = true;
        b.button3 = true;
        b.label1 = ok;
        b.label2 = back;
        b.label3 = cancel;
        b.response1 = 1;
        b.response2 = 2;
        b.response3 = 3;
        char* messages[] = {text};
        return UF_UI_message_dialog(title, UF_UI_MESSAGE_QUESTION, messages, 1, false, &b, response);
    }
};

TEST_F(DrawingHost, DrawingsComeFromThePartFileInOrderAndRoundTrip) {
    EXPECT_EQ((std::vector<std::string>{"e01", "E02", "SHEET1"}), drawing_names());
    tag_t current = NULL_TAG;
    ASSERT_EQ(0, UF_DRAW_ask_current_drawing(&current));
    char name[256] = "";
    UF_OBJ_ask_name(current, name);
    EXPECT_STREQ("E02", name);
    int type = 0, subtype = 0;
    UF_OBJ_ask_type_and_subtype(current, &type, &subtype);
    EXPECT_EQ(62, type);
    std::string saved = nxsim::part_json(UF_ASSEM_ask_work_part());
    EXPECT_NE(std::string::npos, saved.find("\"current_drawing\": \"E02\""));
    EXPECT_NE(std::string::npos, saved.find("{\n      \"name\": \"e01\"\n    }"));
    // Sheets lie on no layer: cycling a layer never meets them.
    tag_t t = NULL_TAG;
    UF_LAYER_cycle_by_layer(0, &t);
    EXPECT_EQ(NULL_TAG, t);
}

TEST_F(DrawingHost, DeletingTheCurrentDrawingLeavesTheModelShown) {
    tag_t current = NULL_TAG;
    UF_DRAW_ask_current_drawing(&current);
    ASSERT_EQ(0, UF_DRAW_delete_drawing(current));
    EXPECT_EQ((std::vector<std::string>{"e01", "SHEET1"}), drawing_names());
    UF_DRAW_ask_current_drawing(&current);
    EXPECT_EQ(NULL_TAG, current);
    EXPECT_NE(0, UF_DRAW_delete_drawing(current));  // the null tag is no drawing
    tag_t category = NULL_TAG;
    UF_LAYER_ask_category_tag((char*)"E01", &category);
    EXPECT_NE(0, UF_DRAW_delete_drawing(category));
    EXPECT_EQ(std::string::npos, nxsim::part_json(UF_ASSEM_ask_work_part()).find("current_drawing"));
}

TEST_F(DrawingHost, NoDrawingsHandsOutNoArrayAndFailuresClearOutputs) {
    std::string err;
    ASSERT_EQ(0, nxsim::open_part(write_part("drawing_host_empty.prt", R"({"format": "nxsim-part", "version": 1})"), &err));
    int n = 5;
    tag_t* tags = (tag_t*)&n;
    ASSERT_EQ(0, UF_DRAW_ask_drawings(&n, &tags));
    EXPECT_EQ(0, n);
    EXPECT_EQ(nullptr, tags);
    nxsim::fail("UF_DRAW_ask_drawings", nxsim::FaultMode::Once);
    n = 5;
    EXPECT_NE(0, UF_DRAW_ask_drawings(&n, &tags));
    EXPECT_EQ(0, n);
    EXPECT_EQ(nullptr, tags);
    EXPECT_NE(std::string::npos, nxsim::part_json(UF_ASSEM_ask_work_part()).find("\"objects\""));
    EXPECT_EQ(std::string::npos, nxsim::part_json(UF_ASSEM_ask_work_part()).find("drawings"));
}

TEST_F(DrawingHost, PartFilesWithBadDrawingsAreRefused) {
    std::string err;
    EXPECT_NE(0, nxsim::open_part(write_part("d1.prt", R"({"format": "nxsim-part", "version": 1,
        "drawings": [ { "name": "A" }, { "name": "A" } ]})"), &err));
    EXPECT_NE(std::string::npos, err.find("drawings[1].name")) << err;
    EXPECT_NE(0, nxsim::open_part(write_part("d2.prt", R"({"format": "nxsim-part", "version": 1,
        "drawings": [ { "name": "A" } ], "current_drawing": "a"})"), &err));
    EXPECT_NE(std::string::npos, err.find("current_drawing")) << err;
    // A refused file leaves the session as it was.
    EXPECT_EQ(3u, drawing_names().size());
}

TEST_F(DrawingHost, QuestionIsAnsweredFromTheScript) {
    int response = 0;
    nxsim::push_answer(question(3));
    ASSERT_EQ(0, ask(&response));
    EXPECT_EQ(3, response);
    nxsim::push_answer(question(1));
    ASSERT_EQ(0, ask(&response));
    EXPECT_EQ(1, response);
    EXPECT_EQ((std::vector<std::string>{"question: E01 exists", "answer: CANCEL", "question: E01 exists",
                                         "answer: OK"}),
              nxsim::transcript());
    EXPECT_TRUE(nxsim::errors().empty());
    // A hidden button, or no answer at all, is an error of the script; the box counts as closed.
    nxsim::push_answer(question(2));
    ASSERT_EQ(0, ask(&response));
    EXPECT_EQ(3, response);
    ASSERT_EQ(0, ask(&response));
    EXPECT_EQ(3, response);
    EXPECT_EQ(2u, nxsim::errors().size());
}

}  // namespace
