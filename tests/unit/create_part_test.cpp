// Electrode part files: the file name, the existence check, the new part and its component, the
// links and ECS copies, failures of NX calls, and messages with long paths.
#include <cstring>

#include "create/electrode_part.h"
#include "drawing/electrode_drawing.h"
#include "create_fixture.h"

namespace {

// E02 and E03 share layer 105; ARC and the sheet-body solid are not carried over.
const char kCore[] = R"({ "format": "nxsim-part", "version": 1, "objects": [
  { "id": 1, "type": "category", "name": "E01", "layers": [101] },
  { "id": 2, "type": "category", "name": "E02", "layers": [102, 105] },
  { "id": 3, "type": "category", "name": "E03", "layers": [105] },
  { "id": 4, "type": "solid", "name": "BODY1", "layer": 101, "shape": { "box": { "origin": [0, 0, 0], "size": [4, 4, 4] } } },
  { "id": 5, "type": "csys", "name": "ECS_A", "layer": 101, "origin": [1, 2, 3], "matrix": [0, 1, 0, -1, 0, 0, 0, 0, 1] },
  { "id": 6, "type": "point", "name": "TIP", "layer": 101, "coords": [2, 2, 0] },
  { "id": 7, "type": "line", "name": "EDGE", "layer": 101, "start": [0, 0, 4], "end": [4, 0, 4] },
  { "id": 8, "type": "matrix", "layer": 101, "values": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 9, "type": "arc", "name": "ARC", "layer": 101, "matrix": 8, "center": [0, 0, 0], "radius": 1, "start_angle": 0, "end_angle": 3 },
  { "id": 10, "type": "csys", "name": "ECS_B", "layer": 101, "origin": [0, 0, 0], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 11, "type": "solid", "name": "SHARED", "layer": 105, "shape": { "box": { "origin": [9, 9, 0], "size": [1, 1, 1] } } } ] })";

class ElectrodePart : public kv_test::CreateHost {
protected:
    void SetUp() override {
        CreateHost::SetUp();
        open_part("mould/core.prt", kCore);
        core_ = work();
        kv_test::make_dirs(tmp_ / "out");
    }
    // Creates electrode name in folder (relative to the temporary folder).
    int create(const std::string& name, const std::string& folder = "out") {
        std::string f = tmp_ / folder;
        std::vector<char> buf(f.begin(), f.end());
        buf.resize(1024, '\0');  // the dialog's folder buffer
        buf.back() = '\0';
        char lacks[KV_LACK_BUFSIZE] = "old";
        int rc = create_electrode_part(buf.data(), name.c_str(), nullptr, lacks, sizeof lacks);
        lacks_ = lacks;
        return rc;
    }
    std::string lacks_;  // what the last part made lacks
    // A new A4 drawing of the core, shown; the null tag when NX refused.
    static tag_t open_drawing(const char* name) {
        UF_DRAW_info_t info{};
        info.size_state = UF_DRAW_CUSTOM_SIZE;
        info.size.custom_size[0] = 297;
        info.size.custom_size[1] = 210;
        info.drawing_scale = 1;
        info.units = UF_PART_METRIC;
        tag_t drawing = NULL_TAG;
        if (UF_DRAW_create_drawing(name, &info, &drawing) != 0 || UF_DRAW_open_drawing(drawing) != 0) return NULL_TAG;
        return drawing;
    }
    tag_t loaded(const std::string& rel) { return UF_PART_ask_part_tag((tmp_ / rel).c_str()); }
    bool on_disk(const std::string& rel) {
        int status = 1;
        return UF_CFI_ask_file_exist((tmp_ / rel).c_str(), &status) == 0 && status == 0;
    }
    // What the new part holds: type and name ("feature LINKED_BODY", "csys ECS", ...).
    std::vector<std::string> contents(tag_t part) {
        std::vector<std::string> out;
        for (tag_t t : nxsim::S().parts[part].order) {
            const nxsim::Object& o = object(t);
            // Matrices are left out: each ECS stands on one of its own.
            if (o.temporary || o.type == 12 || o.type == nxsim::T_MATRIX) continue;
            out.push_back(o.type == nxsim::T_FEATURE ? "feature " + o.feature_type
                                                     : std::to_string(o.type) + " " + o.name);
        }
        return out;
    }
    void expect_current_parts_are_core() {
        EXPECT_EQ(core_, work());
        EXPECT_EQ(core_, UF_PART_ask_display_part());
    }
    std::string prefix() {
        char buf[KV_PART_PREFIX_BUFSIZE];
        electrode_part_prefix(buf, sizeof buf);
        return buf;
    }
    tag_t core_ = NULL_TAG;
};

TEST_F(ElectrodePart, ThePrefixComesFromTheKeywordAndTheSeparator) {
    EXPECT_EQ("core_", prefix());
    config("ELECTRODE_PART_PREFIX_NAME=$Part_NAME\n");
    EXPECT_EQ("core", prefix());
    config("ELECTRODE_PART_PREFIX_NAME=$dir\nELECTRODE_PART_SEPARATOR=-\n");
    EXPECT_EQ("mould-", prefix());
    // An attribute the work part does not have: no prefix, and no separator either.
    config("ELECTRODE_PART_PREFIX_NAME=MOLD_NO\nELECTRODE_PART_SEPARATOR=-\n");
    EXPECT_EQ("", prefix());
    config("ELECTRODE_PART_SEPARATOR=-\n");
    EXPECT_EQ("", prefix());
}

TEST_F(ElectrodePart, MakesTheFileTheComponentAndTheLinks) {
    ASSERT_EQ(0, create("E01", "out//"));
    expect_current_parts_are_core();
    EXPECT_TRUE(on_disk("out/core_E01.prt"));
    tag_t e01 = loaded("out/core_E01.prt");
    ASSERT_NE(NULL_TAG, e01);
    // Saved at once, still empty; the links come afterwards and are not saved.
    std::ifstream file(tmp_ / "out/core_E01.prt");
    std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(std::string::npos, saved.find("feature"));
    EXPECT_EQ((std::vector<std::string>{"feature LINKED_BODY", "70 ", "45 ECS", "feature LINKED_POINT", "2 ",
                                        "feature LINKED_CURVE", "3 ", "45 ECS"}),
              contents(e01));
    EXPECT_EQ("", lacks_);
    const nxsim::Object& ecs = object(of_type(e01, 45).front());
    EXPECT_EQ(-1.0, ecs.mtx[3]);
    EXPECT_EQ(3.0, ecs.p1[2]);
    // The ECS stands on a matrix of its own part, made from the values of the electrode's.
    ASSERT_NE(NULL_TAG, ecs.matrix);
    EXPECT_EQ(e01, object(ecs.matrix).part);

    std::vector<tag_t> components = of_type(core_, nxsim::T_COMPONENT);
    ASSERT_EQ(1u, components.size());
    const nxsim::Object& c = object(components[0]);
    EXPECT_EQ(e01, c.child);
    EXPECT_EQ((std::array<double, 3>{0, 0, 0}), c.p1);
    EXPECT_EQ((std::array<double, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}), c.mtx);
}

TEST_F(ElectrodePart, ALayerOfSeveralElectrodesIsLinkedIntoEach) {
    ASSERT_EQ(0, create("E02"));
    ASSERT_EQ(0, create("E03"));
    for (const char* file : {"out/core_E02.prt", "out/core_E03.prt"})
        EXPECT_EQ((std::vector<std::string>{"feature LINKED_BODY", "70 "}), contents(loaded(file))) << file;
}

// The part is made but empty: the caller (the dialog's batch) names it among the short ones.
TEST_F(ElectrodePart, AnUnknownCategoryLeavesTheNewPartEmptyForTheCallerToTell) {
    EXPECT_EQ(1, create("E09"));
    EXPECT_TRUE(contents(loaded("out/core_E09.prt")).empty());
    EXPECT_EQ("全部对象（电极的图层类别无法读取）", lacks_);
    EXPECT_TRUE(messages().empty());
}

// Each object NX would not link or copy is counted by kind; the part is made with the rest.
TEST_F(ElectrodePart, WhatNxWouldNotCarryOverIsListedByKind) {
    nxsim::fail("UF_WAVE_create_linked_pt_point", nxsim::FaultMode::Always);
    nxsim::fail("UF_WAVE_create_linked_curve", nxsim::FaultMode::Always);
    nxsim::fail("UF_CSYS_create_matrix", nxsim::FaultMode::Once);
    EXPECT_EQ(1, create("E01"));
    EXPECT_EQ("点 1 个、直线 1 个、坐标系 1 个", lacks_);
    EXPECT_EQ((std::vector<std::string>{"feature LINKED_BODY", "70 ", "45 ECS"}), contents(loaded("out/core_E01.prt")));
    nxsim::clear_faults();

    // An object whose type NX would not tell, and a layer NX would not walk to its end.
    nxsim::fail("UF_OBJ_ask_type_and_subtype", nxsim::FaultMode::Once);
    nxsim::fail("UF_LAYER_cycle_by_layer", nxsim::FaultMode::Nth, 3);
    EXPECT_EQ(1, create("E02"));
    EXPECT_EQ("类型无法读取的对象 1 个、图层 105 上未能读取的对象", lacks_);
    EXPECT_TRUE(messages().empty());
}

// A drawing made while an electrode's layer is the work layer gets its template on that layer,
// where the layer cycles meet it: none of it is linked, and a template that cannot be told apart
// keeps every line and point out (counted as lacking) rather than link a sheet's frame.
TEST_F(ElectrodePart, TemplateObjectsOnAnElectrodeLayerAreNeverLinked) {
    std::string tpl = tmp_ / "template.prt";
    kv_test::write_file(tpl, R"({ "format": "nxsim-part", "version": 1, "objects": [
      { "id": 1, "type": "line", "start": [10, 10, 0], "end": [200, 10, 0] },
      { "id": 2, "type": "point", "coords": [5, 5, 0] },
      { "id": 3, "type": "note", "origin": [20, 20, 0], "text": ["TITLE"] } ] })");
    ASSERT_EQ(0, UF_LAYER_set_status(101, UF_LAYER_WORK_LAYER));
    tag_t drawing = open_drawing("E01");
    ASSERT_NE(NULL_TAG, drawing);
    tag_t group = NULL_TAG;
    ASSERT_EQ(0, import_template(tpl.c_str(), &group));
    EXPECT_EQ("KV_SHEET_TEMPLATE", object(group).name);
    EXPECT_EQ(101, object(object(group).members[0]).layer);

    ASSERT_EQ(0, create("E01"));
    EXPECT_EQ((std::vector<std::string>{"feature LINKED_BODY", "70 ", "45 ECS", "feature LINKED_POINT", "2 ",
                                        "feature LINKED_CURVE", "3 ", "45 ECS"}),
              contents(loaded("out/core_E01.prt")));

    // The template groups could not be read: the user's point and line stay out as well.
    config("ELECTRODE_PART_PREFIX_NAME=$part_name\nELECTRODE_PART_SEPARATOR=-\n");  // another part name
    nxsim::fail("UF_OBJ_cycle_by_name_and_type", nxsim::FaultMode::Once);
    EXPECT_EQ(1, create("E01"));
    EXPECT_EQ("点 2 个、直线 2 个", lacks_);
    EXPECT_EQ((std::vector<std::string>{"feature LINKED_BODY", "70 ", "45 ECS", "45 ECS"}),
              contents(loaded("out/core-E01.prt")));
}

// An import whose group NX would not name could never be told from the electrode's objects:
// what it brought is deleted again.
TEST_F(ElectrodePart, ATemplateThatCannotBeMarkedIsTakenOffTheSheet) {
    std::string tpl = tmp_ / "template.prt";
    kv_test::write_file(tpl, R"({ "format": "nxsim-part", "version": 1, "objects": [
      { "id": 1, "type": "line", "start": [10, 10, 0], "end": [200, 10, 0] } ] })");
    tag_t drawing = open_drawing("E01");
    ASSERT_NE(NULL_TAG, drawing);
    nxsim::fail("UF_OBJ_set_name", nxsim::FaultMode::Always);
    tag_t group = 99;
    EXPECT_EQ(-1, import_template(tpl.c_str(), &group));
    EXPECT_EQ(NULL_TAG, group);
    for (tag_t t : nxsim::sheet_of(drawing).objects) EXPECT_FALSE(nxsim::live_obj(t)) << t;
}

TEST_F(ElectrodePart, APartThatCouldNotBeMadeOrSavedIsReported) {
    nxsim::fail("UF_PART_new", nxsim::FaultMode::Once);
    EXPECT_EQ(-1, create("E01"));
    expect_current_parts_are_core();
    // A part that exists only in the session is no part file: no success, no links.
    nxsim::fail("UF_PART_save", nxsim::FaultMode::Once);
    EXPECT_EQ(-1, create("E02"));
    expect_current_parts_are_core();
    EXPECT_FALSE(on_disk("out/core_E02.prt"));
    EXPECT_TRUE(contents(loaded("out/core_E02.prt")).empty());
    EXPECT_EQ((std::vector<std::string>{"文件 " + (tmp_ / "out/core_E01.prt") + " 创建失败！",
                                        "文件 " + (tmp_ / "out/core_E02.prt") + " 创建失败！"}),
              messages());
}

TEST_F(ElectrodePart, AComponentThatFailsIsSilentAndTheLinksAreStillMade) {
    nxsim::fail("UF_ASSEM_add_part_to_assembly", nxsim::FaultMode::Once);
    EXPECT_EQ(0, create("E02"));
    EXPECT_TRUE(of_type(core_, nxsim::T_COMPONENT).empty());
    EXPECT_EQ(2u, contents(loaded("out/core_E02.prt")).size());
    EXPECT_TRUE(messages().empty());
}

TEST_F(ElectrodePart, AnEcsIsNeverCopiedIntoTheWrongPart) {
    // The first switch restores the work part after creation; the second would take the
    // first ECS into the new part.
    nxsim::fail("UF_ASSEM_set_work_part", nxsim::FaultMode::Nth, 2);
    size_t systems = of_type(core_, 45).size();
    EXPECT_EQ(1, create("E01"));  // made without the first ECS, for the caller to tell
    EXPECT_EQ(systems, of_type(core_, 45).size());
    EXPECT_EQ(1u, of_type(loaded("out/core_E01.prt"), 45).size());
    expect_current_parts_are_core();
    EXPECT_EQ(-1, copy_csys_to_part(NULL_TAG, named("ECS_A"), "ECS"));
    EXPECT_EQ(-1, copy_csys_to_part(core_, NULL_TAG, "ECS"));
}

TEST_F(ElectrodePart, LongPathsGiveCleanlyCutMessages) {
    // 140 two-byte characters: NX refuses the 256-byte limit. The message fits the 132 bytes NX
    // shows, with the folder's start, "..." and the whole file name.
    std::string deep;
    for (int i = 0; i < 140; ++i) deep += "模";
    EXPECT_EQ(-1, create("E01", deep));
    ASSERT_EQ(1u, messages().size());
    std::string m = messages()[0];
    EXPECT_LE(m.size(), 132u);
    EXPECT_EQ(0u, m.find("文件 " + tmp_.path().substr(0, 12)));
    std::string tail = "模/core_E01.prt 创建失败！";
    EXPECT_EQ(m.size() - tail.size(), m.rfind(tail));
    // Whole characters only: the bytes between "..." and the file name are pairs of "模".
    size_t from = m.find("...") + 3;
    ASSERT_LT(from, m.size() - tail.size());
    std::string middle = m.substr(from, m.size() - tail.size() - from);
    EXPECT_EQ(0u, middle.size() % 2);
    for (size_t i = 0; i < middle.size(); i += 2) EXPECT_EQ("模", middle.substr(i, 2));

    // A path past the plug-in's own buffer is not even tried.
    size_t news = (size_t)nxsim::call_count("UF_PART_new");
    EXPECT_EQ(-1, create("E01", std::string(1015 - tmp_.path().size(), 'd')));
    EXPECT_EQ(news, (size_t)nxsim::call_count("UF_PART_new"));
    EXPECT_LE(messages().at(1).size(), 132u);

    // The folder loses its middle; a file name too long for the room keeps its end.
    char small[24];
    format_path_message(small, sizeof small, "[%s]", "/abcdefghij/klmnopqrst/e.prt");
    EXPECT_STREQ("[/abcde...opqrst/e.prt]", small);
    format_path_message(small, sizeof small, "[%s]", "/a/abcdefghijklmnopqrstuvwxyz.prt");
    EXPECT_STREQ("[...mnopqrstuvwxyz.prt]", small);
    format_path_message(small, sizeof small, "[%s]", "short");
    EXPECT_STREQ("[short]", small);
}

}  // namespace
