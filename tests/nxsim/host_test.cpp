// The simulated host's own behaviour that the plug-in relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "config_fixture.h"
#include "nx.h"
#include "nxsim/nxsim.h"
#include "state.h"
#include "test_support.h"

namespace {

class Host : public ::testing::Test {
protected:
    void SetUp() override {
        nxsim::reset();
        std::string err;
        ASSERT_EQ(0, nxsim::open_part(kv_test::source_path("tests/unit/data/layers.prt"), &err)) << err;
        ASSERT_EQ(0, UF_initialize());
    }
    void TearDown() override {
        UF_terminate();
        EXPECT_TRUE(nxsim::errors().empty()) << nxsim::errors().front();
        EXPECT_TRUE(nxsim::leaks().empty()) << nxsim::leaks().front();
    }
    tag_t work() { return UF_ASSEM_ask_work_part(); }
    std::vector<std::string> category_names() {
        std::vector<std::string> out;
        tag_t t = NULL_TAG;
        while (UF_OBJ_cycle_objs_in_part(work(), 12, &t) == 0 && t != NULL_TAG) {
            UF_LAYER_category_info_t info;
            UF_LAYER_ask_category_info(t, &info);
            out.push_back(info.name);
        }
        return out;
    }
};

TEST_F(Host, CyclesObjectsInCreationOrderWithAllFirst) {
    // The file lists E07 before E01; cycling keeps the file's order, ALL comes first.
    EXPECT_EQ((std::vector<std::string>{"ALL", "E07", "TOOLS", "E01"}), category_names());
    UF_LAYER_category_info_t info{};
    info.name[0] = 'E';
    info.name[1] = '0';
    info.name[2] = '2';
    info.layer_mask[109] = true;
    tag_t cat = NULL_TAG;
    ASSERT_EQ(0, UF_LAYER_create_category(&info, &cat));
    EXPECT_EQ((std::vector<std::string>{"ALL", "E07", "TOOLS", "E01", "E02"}), category_names());
}

TEST_F(Host, CategoryLookupIgnoresCaseAndUnknownIsNoError) {
    tag_t t = NULL_TAG;
    EXPECT_EQ(0, UF_LAYER_ask_category_tag((char*)"e01", &t));
    EXPECT_NE(NULL_TAG, t);
    EXPECT_EQ(0, UF_LAYER_ask_category_tag((char*)"all", &t));
    UF_LAYER_category_info_t info;
    ASSERT_EQ(0, UF_LAYER_ask_category_info(t, &info));
    for (int l = 0; l < 256; ++l) EXPECT_TRUE(info.layer_mask[l]);
    EXPECT_EQ(0, UF_LAYER_ask_category_tag((char*)"E99", &t));
    EXPECT_EQ(NULL_TAG, t);
}

TEST_F(Host, WorkLayerRules) {
    int st = 0;
    ASSERT_EQ(0, UF_LAYER_ask_status(1, &st));
    EXPECT_EQ(UF_LAYER_WORK_LAYER, st);
    // The work layer's own status cannot be changed...
    EXPECT_NE(0, UF_LAYER_set_status(1, UF_LAYER_INACTIVE_LAYER));
    UF_LAYER_ask_status(1, &st);
    EXPECT_EQ(UF_LAYER_WORK_LAYER, st);
    // ...until another layer becomes the work layer; the old one turns selectable.
    ASSERT_EQ(0, UF_LAYER_set_status(101, UF_LAYER_WORK_LAYER));
    UF_LAYER_ask_status(1, &st);
    EXPECT_EQ(UF_LAYER_ACTIVE_LAYER, st);
    EXPECT_EQ(0, UF_LAYER_set_status(1, UF_LAYER_INACTIVE_LAYER));
    UF_LAYER_ask_status(1, &st);
    EXPECT_EQ(UF_LAYER_INACTIVE_LAYER, st);
    EXPECT_NE(0, UF_LAYER_set_status(0, UF_LAYER_ACTIVE_LAYER));
    EXPECT_NE(0, UF_LAYER_set_status(257, UF_LAYER_ACTIVE_LAYER));
}

TEST_F(Host, LayerCyclingAndNames) {
    tag_t t = NULL_TAG;
    std::vector<std::string> names;
    while (UF_LAYER_cycle_by_layer(101, &t) == 0 && t != NULL_TAG) {
        char name[KV_OBJ_NAME_BUFSIZE];
        UF_OBJ_ask_name(t, name);
        names.push_back(name);
    }
    EXPECT_EQ((std::vector<std::string>{"BODY_A", "E01_CSYS"}), names);
    char name[KV_OBJ_NAME_BUFSIZE] = "x";
    tag_t unnamed = NULL_TAG;
    UF_LAYER_cycle_by_layer(5, &unnamed);
    ASSERT_NE(NULL_TAG, unnamed);
    EXPECT_NE(0, UF_OBJ_ask_name(unnamed, name));
    EXPECT_STREQ("", name);
    EXPECT_NE(0, UF_OBJ_set_name(unnamed, std::string(31, 'N').c_str()));
}

TEST_F(Host, LedgerCatchesALeakAndADoubleFree) {
    tag_t group = NULL_TAG;
    UF_OBJ_cycle_objs_in_part(work(), 15, &group);
    ASSERT_NE(NULL_TAG, group);
    tag_t* members = nullptr;
    int n = 0;
    ASSERT_EQ(0, UF_GROUP_ask_group_data(group, &members, &n));
    EXPECT_EQ(2, n);
    ASSERT_EQ(1u, nxsim::leaks().size());
    EXPECT_EQ(0u, nxsim::leaks()[0].find("UF_GROUP_ask_group_data"));
    UF_free(members);
    EXPECT_TRUE(nxsim::leaks().empty());
    UF_free(members);  // released twice: reported, not a crash
    ASSERT_EQ(1u, nxsim::errors().size());
    UF_free(nullptr);  // NX does not document a null pointer: code that relies on it is caught
    ASSERT_EQ(2u, nxsim::errors().size());
    EXPECT_NE(std::string::npos, nxsim::errors()[1].find("null pointer"));
    nxsim::reset();
    UF_initialize();
}

TEST_F(Host, InjectedFaultsOnceNthAndAlways) {
    int st = 0;
    nxsim::fail("UF_LAYER_ask_status", nxsim::FaultMode::Once);
    EXPECT_NE(0, UF_LAYER_ask_status(1, &st));
    EXPECT_EQ(0, st);  // outputs are cleared on failure
    EXPECT_EQ(0, UF_LAYER_ask_status(1, &st));

    nxsim::fail("UF_LAYER_ask_status", nxsim::FaultMode::Nth, 3, 12345);
    EXPECT_EQ(0, UF_LAYER_ask_status(1, &st));
    EXPECT_EQ(0, UF_LAYER_ask_status(1, &st));
    EXPECT_EQ(12345, UF_LAYER_ask_status(1, &st));
    EXPECT_EQ(0, UF_LAYER_ask_status(1, &st));

    nxsim::fail("UF_LAYER_ask_status", nxsim::FaultMode::Always);
    for (int i = 0; i < 3; ++i) EXPECT_NE(0, UF_LAYER_ask_status(1, &st));
    nxsim::clear_faults();
    EXPECT_EQ(0, UF_LAYER_ask_status(1, &st));

    char msg[133];
    nxsim::fail("UF_OBJ_set_color", nxsim::FaultMode::Once);
    int rc = UF_OBJ_set_color(work(), 5);
    ASSERT_NE(0, rc);
    EXPECT_EQ(0, UF_get_fail_message(rc, msg));
    EXPECT_GT(strlen(msg), 0u);
}

TEST_F(Host, CallsOutsideInitializeAreReported) {
    UF_terminate();
    int st = 0;
    EXPECT_EQ(UF_err_program_not_initialized, UF_LAYER_ask_status(1, &st));
    EXPECT_EQ(1u, nxsim::errors().size());
    EXPECT_NE(0, UF_terminate());  // one terminate too many
    EXPECT_EQ(2u, nxsim::errors().size());
    nxsim::reset();
    UF_initialize();
}

TEST_F(Host, MessagesAndStatusGoToTheTranscript) {
    uc1601((char*)"第一行*第二行", 1);
    uc1601((char*)"a*b", 0);
    UF_UI_set_status((char*)"就绪");
    EXPECT_EQ((std::vector<std::string>{"message: 第一行*第二行", "status: a-b", "status: 就绪"}),
              kv_test::gbk_lines(nxsim::transcript()));
}

TEST_F(Host, WritingToAListingWindowThatIsNotOpenFailsAndTheRunGoesOn) {
    EXPECT_EQ(4, UF_UI_write_listing_window("lost"));
    EXPECT_TRUE(nxsim::errors().empty());
    EXPECT_EQ(0, UF_UI_open_listing_window());
    EXPECT_EQ(0, UF_UI_write_listing_window("kept"));
    EXPECT_EQ("kept", nxsim::listing());
}

TEST_F(Host, MessagesShowAtMost132BytesAndNeverHalfACharacter) {
    std::string full(132, 'a'), over = std::string(131, 'b') + "模";
    uc1601((char*)full.c_str(), 1);
    uc1601((char*)over.c_str(), 1);
    uc1601((char*)(full + "c").c_str(), 0);
    EXPECT_EQ((std::vector<std::string>{"message: " + full, "message: " + std::string(131, 'b') + " [cut]",
                                        "status: " + full + " [cut]"}),
              kv_test::gbk_lines(nxsim::transcript()));
}

TEST_F(Host, AttributesReadAsStrings) {
    tag_t t = NULL_TAG;
    UF_LAYER_cycle_by_layer(101, &t);
    UF_ATTR_value_t v{};
    char buf[UF_ATTR_MAX_STRING_LEN + 1];
    v.value.string = buf;
    ASSERT_EQ(0, UF_ATTR_read_value(t, (char*)"MATERIAL", UF_ATTR_string, &v));
    EXPECT_EQ(UF_ATTR_string, v.type);
    EXPECT_STREQ("紫铜", buf);
    ASSERT_EQ(0, UF_ATTR_read_value(t, (char*)"NOPE", UF_ATTR_any, &v));
    EXPECT_EQ(0, v.type);
}

TEST_F(Host, PartFileRoundTripKeepsObjectsAndSolids) {
    std::string text = nxsim::part_json(work());
    EXPECT_NE(std::string::npos, text.find("\"volume\": 6000.0"));
    EXPECT_NE(std::string::npos, text.find("\"name\": \"E07\""));
}

TEST_F(Host, MatricesNeedFiniteOrthonormalRows) {
    tag_t m = NULL_TAG;
    const double turned[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    EXPECT_EQ(0, UF_CSYS_create_matrix(turned, &m));
    EXPECT_NE(NULL_TAG, m);
    const double sheared[9] = {1, 0, 0, 0.1, 1, 0, 0, 0, 1};
    const double nan[9] = {NAN, 0, 0, 0, 1, 0, 0, 0, 1};
    const double infinite[9] = {1, 0, 0, 0, 1, 0, 0, 0, INFINITY};
    for (const double* bad : {sheared, nan, infinite}) {
        EXPECT_EQ(4, UF_CSYS_create_matrix(bad, &m));
        EXPECT_EQ(NULL_TAG, m);
    }
}

// Every section of a part file and every kind of object, written as the host writes them: reading
// the file and writing the part again gives the same document, so reading mirrors writing.
TEST(HostPartFiles, EverySectionAndObjectKindReadsBackAsWritten) {
    const char* text = R"({
      "format": "nxsim-part", "version": 1, "units": "english", "work_layer": 5,
      "layer_status": {"7": "reference", "9": "invisible"},
      "wcs": {"origin": [1, 2, 3], "matrix": [0, 1, 0, -1, 0, 0, 0, 0, 1]},
      "attributes": {"MOULD": "M1234"},
      "objects": [
        {"id": 1, "type": "category", "name": "ALL", "layers": "1-256"},
        {"id": 2, "type": "category", "name": "E01", "layers": [3, "10-12"], "description": "one"},
        {"id": 3, "type": "point", "name": "P", "layer": 3, "color": 6, "coords": [1, 2, 3]},
        {"id": 4, "type": "line", "layer": 5, "color": 1, "blank": true, "line_width": 2,
         "start": [0, 0, 0], "end": [10, 0, 0]},
        {"id": 5, "type": "matrix", "layer": 5, "color": 1, "values": [1, 0, 0, 0, 1, 0, 0, 0, 1]},
        {"id": 6, "type": "arc", "layer": 5, "color": 1, "matrix": 5, "center": [0, 0, 1], "radius": 2.5,
         "start_angle": 0.5, "end_angle": 3.0},
        {"id": 7, "type": "note", "layer": 5, "color": 1, "text": ["A", "B"], "origin": [5, 5, 0],
         "height": 3.5, "align": "center"},
        {"id": 8, "type": "group", "name": "G", "layer": 5, "color": 1, "members": [3, 4]},
        {"id": 9, "type": "csys", "name": "ECS", "layer": 5, "color": 1, "origin": [1, 1, 1],
         "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1]},
        {"id": 10, "type": "solid", "name": "BODY", "layer": 1, "color": 87, "attributes": {"E": "1"},
         "shape": {"box": {"origin": [0, 0, 0], "size": [10, 20, 30]}}, "volume": 6000.0},
        {"id": 11, "type": "component", "name": "E01", "layer": 5, "part": "E01.prt", "refset": "BODY",
         "origin": [0, 0, 0], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1]},
        {"id": 12, "type": "feature", "feature_type": "LINKED_BODY",
         "source": {"part": "core.prt", "object": 10, "name": "BODY", "at_timestamp": true}, "geometry": [13]},
        {"id": 13, "type": "solid", "layer": 5, "color": 87,
         "shape": {"box": {"origin": [0, 0, 0], "size": [1, 2, 3]}}, "volume": 6.0},
        {"id": 14, "type": "datum_plane", "layer": 5, "color": 1, "origin": [0, 0, 5], "normal": [0, 0, 1]}
      ],
      "views": [{"name": "MINE", "matrix": [1, 0, 0, 0, 0, 1, 0, -1, 0], "scale": 2.0, "centre": [1, 2, 3]}],
      "layout": {"name": "L2", "views": ["MINE", "TOP"], "work_view": "TOP"},
      "drawings": [{"name": "SHEET1", "size": [297.0, 210.0], "scale": 1.0, "units": "metric",
                    "projection": "first angle", "objects": 0}],
      "current_drawing": "SHEET1"
    })";
    nxsim::reset();
    kv_test::TempDir tmp;
    kv_test::write_file(tmp / "all.prt", text);
    std::string err;
    ASSERT_EQ(0, nxsim::open_part(tmp / "all.prt", &err)) << err;
    std::string written = nxsim::part_json(nxsim::parts().back());
    EXPECT_EQ(nlohmann::json::parse(text), nlohmann::json::parse(written)) << written;
    kv_test::write_file(tmp / "again.prt", written);
    ASSERT_EQ(0, nxsim::open_part(tmp / "again.prt", &err)) << err;
    EXPECT_EQ(written, nxsim::part_json(nxsim::parts().back()));
    EXPECT_TRUE(nxsim::refused_inputs().empty());
}

}  // namespace
