// One failed NX call costs the electrode it belongs to and nothing else: a sheet that cannot be
// opened, a user's part that cannot be made work or display part again, an object that cannot be
// moved, a category list cut short, a layer range with no free layer, and the Windows services.
#include <sys/stat.h>

#include <fstream>

#include <nlohmann/json.hpp>

#include "case_fixture.h"
#include "create/electrode_part.h"
#include "create_fixture.h"
#include "drawing/electrode_drawing.h"
#include "fault_sweep.h"
#include "layer/layer_dialog.h"
#include "scenario.h"
#include "platform/win_services.h"

namespace {

using json = nlohmann::json;
using kv_test::choose;
using kv_test::folder;
using kv_test::ok;
using kv_test::pick;
using kv_test::press;
using kv_test::set;

using kv_test::read_json;

bool fired(const std::string& call) {
    for (const std::string& l : nxsim::call_log())
        if (l == call + " -> injected failure") return true;
    return false;
}

// ---------------------------------------------------------------- the drawing sheet

TEST(ContainedFaults, ASheetThatCannotBeOpenedCostsThatDrawingAloneAndTheUserIsTold) {
    kv_test::TempDir tmp;
    json doc = kv_test::load_case("sheet_demo_electrodes");
    ASSERT_FALSE(doc.is_discarded());
    // The first opening finds no sheet shown (the template would go into the model), the second
    // finds the first electrode's sheet shown (it would take the second's drawing).
    for (int n : {1, 2}) {
        doc["faults"] = json::array({{{"call", "UF_DRAW_open_drawing"}, {"mode", "nth"}, {"n", n}}});
        std::string path = tmp / ("open" + std::to_string(n) + ".json"), out = tmp / ("open" + std::to_string(n));
        std::ofstream(path) << doc.dump();
        kvsim::RunResult r = kvsim::run_scenario(path, out);
        ASSERT_EQ(0, r.exit_code) << r.message;
        ASSERT_TRUE(fired("UF_DRAW_open_drawing"));
        const std::string lost = n == 1 ? "E01" : "E02";
        std::vector<std::string> told;
        for (const std::string& l : kv_test::gbk_lines(nxsim::transcript()))
            if (l.rfind("message: ", 0) == 0) told.push_back(l.substr(9));
        EXPECT_EQ((std::vector<std::string>{"电极 " + lost + " 的图纸无法打开！"}), told);

        json part = read_json(out + "/parts/core.json");
        std::vector<std::string> drawn;
        for (const json& d : part["drawings"]) {
            drawn.push_back(d["name"]);
            EXPECT_EQ(3u, d["views"].size()) << d["name"];
            EXPECT_EQ(23u, d["notes"].size()) << d["name"];
            EXPECT_EQ(9u, d["dimensions"].size()) << d["name"];
        }
        std::vector<std::string> expected = {"E01", "E02", "E03"};
        expected.erase(std::find(expected.begin(), expected.end(), lost));
        EXPECT_EQ(expected, drawn);
        // No title in another's name, no template in the model, no view of another's layer.
        EXPECT_EQ(std::vector<std::string>{}, kv_sweep::spoilt_results(out, "core", "E"));
    }
}

// ---------------------------------------------------------------- electrode part files

// Three electrodes, one body and one ECS each.
const char kCore[] = R"({ "format": "nxsim-part", "version": 1, "objects": [
  { "id": 1, "type": "category", "name": "E01", "layers": [101] },
  { "id": 2, "type": "category", "name": "E02", "layers": [102] },
  { "id": 3, "type": "category", "name": "E03", "layers": [103] },
  { "id": 4, "type": "solid", "name": "BODY1", "layer": 101, "shape": { "box": { "origin": [0, 0, 0], "size": [4, 4, 4] } } },
  { "id": 5, "type": "csys", "name": "ECS1", "layer": 101, "origin": [0, 0, 4], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 6, "type": "solid", "name": "BODY2", "layer": 102, "shape": { "box": { "origin": [9, 0, 0], "size": [4, 4, 4] } } },
  { "id": 7, "type": "csys", "name": "ECS2", "layer": 102, "origin": [9, 0, 4], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 8, "type": "solid", "name": "BODY3", "layer": 103, "shape": { "box": { "origin": [18, 0, 0], "size": [4, 4, 4] } } },
  { "id": 9, "type": "csys", "name": "ECS3", "layer": 103, "origin": [18, 0, 4], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] } ] })";

class ContainedCreate : public kv_test::CreateHost {
protected:
    void SetUp() override {
        CreateHost::SetUp();
        open_part("mould/core.prt", kCore);
        core_ = work();
        out_ = tmp_ / ("out" + std::to_string(round_++));  // a fresh folder per set-up
        kv_test::make_dirs(out_);
    }
    void create_all() {
        run("KELVORA_CREATE", {press("ACTION_1", {folder(out_)}), choose("MULTI_LIST_2", {"E01", "E02", "E03"}), ok()});
    }
    // The part files in the folder; each must link only its own electrode's body, from the core.
    std::vector<std::string> files() {
        std::vector<std::string> out;
        std::string list = tmp_ / "files.txt";
        if (system(("ls '" + out_ + "' > '" + list + "'").c_str()) != 0) return out;
        std::ifstream in(list);
        for (std::string f; std::getline(in, f);) out.push_back(f);
        for (tag_t p : nxsim::parts()) {
            std::string name = nxsim::part_file_name(p);
            if (name.find("core_E0") == std::string::npos) continue;
            std::string own = "BODY" + name.substr(name.size() - 5, 1);
            for (tag_t t : nxsim::S().parts[p].order) {
                const nxsim::Object& o = object(t);
                if (o.type == nxsim::T_FEATURE && o.alive && o.link_source != NULL_TAG) {
                    EXPECT_EQ(own, object(o.link_source).name) << name;
                }
            }
        }
        return out;
    }
    tag_t core_ = NULL_TAG;
    std::string out_;
    int round_ = 0;
};

TEST_F(ContainedCreate, OneFailedSwitchBackToTheUsersPartCostsNoFileAndNoName) {
    const std::vector<std::string> all = {"core_E01.prt", "core_E02.prt", "core_E03.prt"};
    // Each call site once: three electrodes, each put back after its part is made, made the work
    // part and put back for its ECS, and again for the update after its link.
    for (const char* call : {"UF_ASSEM_set_work_part", "UF_PART_set_display_part"}) {
        for (int n = 1; n <= (std::string(call) == "UF_PART_set_display_part" ? 3 : 15); ++n) {
            SCOPED_TRACE(std::string(call) + " #" + std::to_string(n));
            TearDown();
            SetUp();
            nxsim::fail(call, nxsim::FaultMode::Nth, n);
            create_all();
            EXPECT_TRUE(fired(call));
            EXPECT_EQ(all, files());
            EXPECT_EQ(core_, work());
            EXPECT_EQ(core_, UF_PART_ask_display_part());
            // Making an electrode part the work part for its ECS (the 2nd of each electrode's
            // five switches) failing costs that part its ECS: the user hears which. One for the
            // update (the 4th) costs nothing: NX's next update completes the link.
            std::vector<std::string> told;
            if (std::string(call) == "UF_ASSEM_set_work_part" && n % 5 == 2)
                told.push_back("电极 E0" + std::to_string(n / 5 + 1) + " 的零件文件缺少对象：坐标系 1 个");
            EXPECT_EQ(told, messages());
        }
    }
}

TEST_F(ContainedCreate, AnUnknownDisplayPartCostsThatElectrodesFileOnly) {
    nxsim::fail("UF_PART_ask_display_part", nxsim::FaultMode::Nth, 3);  // E02's first question
    create_all();
    EXPECT_TRUE(fired("UF_PART_ask_display_part"));
    EXPECT_EQ((std::vector<std::string>{"core_E01.prt", "core_E03.prt"}), files());
    EXPECT_EQ((std::vector<std::string>{"文件 " + out_ + "/core_E02.prt 创建失败！"}), messages());
    EXPECT_EQ(core_, work());
}

TEST_F(ContainedCreate, WhenTheUsersPartCannotBeWorkPartAgainTheBatchStopsAndSaysWhatWasMade) {
    // E02's switch back fails, and so does the look that would have found its second try good:
    // the plug-in cannot vouch for the work part and makes nothing more.
    nxsim::fail("UF_PART_set_display_part", nxsim::FaultMode::Nth, 2);
    nxsim::fail("UF_PART_ask_display_part", nxsim::FaultMode::Nth, 5);
    create_all();
    ASSERT_TRUE(fired("UF_PART_set_display_part") && fired("UF_PART_ask_display_part"));
    EXPECT_EQ((std::vector<std::string>{"core_E01.prt", "core_E02.prt"}), files());
    EXPECT_EQ((std::vector<std::string>{"文件 " + out_ + "/core_E02.prt 创建失败！",
                                        std::string(KV_PARTS_STOPPED_TEXT) + KV_PARTS_MADE_TEXT + "E01"}),
              messages());
    // E02's file is the empty part NX saved: no component, no link.
    EXPECT_EQ(1u, of_type(core_, nxsim::T_COMPONENT).size());

    TearDown();
    SetUp();
    nxsim::fail("UF_PART_set_display_part", nxsim::FaultMode::Always);
    create_all();
    EXPECT_EQ((std::vector<std::string>{"core_E01.prt"}), files());
    EXPECT_EQ((std::vector<std::string>{"文件 " + out_ + "/core_E01.prt 创建失败！",
                                        std::string(KV_PARTS_STOPPED_TEXT) + KV_PARTS_NONE_TEXT}),
              messages());
}

TEST_F(ContainedCreate, AFailedCategoryCycleDoesNotEmptyTheList) {
    for (int n : {1, 2, 4}) {
        SCOPED_TRACE(n);
        TearDown();
        SetUp();
        nxsim::fail("UF_OBJ_cycle_objs_in_part", nxsim::FaultMode::Nth, n);
        create_all();  // the choice fails when an item is missing
        EXPECT_TRUE(fired("UF_OBJ_cycle_objs_in_part"));
        EXPECT_EQ(3u, files().size());
    }
}

TEST_F(ContainedCreate, ThePartNameThatCannotBeReadNamesNoFile) {
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_PART_PREFIX_NAME=$part_name\nELECTRODE_PART_SEPARATOR=_\n");
    nxsim::fail("UF_PART_ask_part_name", nxsim::FaultMode::Nth, 1);  // E01's prefix
    create_all();
    EXPECT_TRUE(fired("UF_PART_ask_part_name"));
    EXPECT_EQ((std::vector<std::string>{"core_E02.prt", "core_E03.prt"}), files());
    ASSERT_EQ(1u, messages().size());
    EXPECT_NE(std::string::npos, messages()[0].find("创建失败"));
}

// ---------------------------------------------------------------- the layer dialog

const char kBodies[] = R"({ "format": "nxsim-part", "version": 1, "objects": [
  { "id": 1, "type": "solid", "name": "BODY1", "shape": { "box": { "origin": [0, 0, 0], "size": [5, 5, 5] } } },
  { "id": 2, "type": "csys", "name": "CSYS1", "color": 5, "origin": [0, 0, 5], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 3, "type": "solid", "name": "BODY2", "shape": { "box": { "origin": [9, 0, 0], "size": [5, 5, 5] } } },
  { "id": 4, "type": "csys", "name": "CSYS2", "color": 5, "origin": [9, 0, 5], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 5, "type": "solid", "name": "BODY3", "shape": { "box": { "origin": [18, 0, 0], "size": [5, 5, 5] } } } ] })";

class ContainedLayer : public kv_test::CreateHost {
protected:
    void SetUp() override {
        CreateHost::SetUp();
        open_part("core.prt", kBodies);
    }
    int layer_of(const char* name) { return object(named(name)).layer; }
    std::vector<std::string> categories() {
        std::vector<std::string> out;
        for (tag_t t : of_type(work(), 12)) {
            const nxsim::Object& o = object(t);
            for (int l = 0; l < 256; ++l)
                if (o.cat_layers[l] && o.name != "ALL") out.push_back(o.name + "@" + std::to_string(l + 1));
        }
        return out;
    }
};

TEST_F(ContainedLayer, AMoveRefusedOnceIsAskedForAgain) {
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        TearDown();
        SetUp();
        nxsim::fail("UF_OBJ_set_layer", nxsim::FaultMode::Nth, n);
        run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1", "CSYS1"})}), kv_test::apply(),
                              press("ACTION_2", {pick({"BODY2", "CSYS2"})}), kv_test::apply(),
                              press("ACTION_2", {pick({"BODY3"})}), ok()});
        EXPECT_TRUE(fired("UF_OBJ_set_layer"));
        EXPECT_EQ((std::vector<std::string>{"E01@101", "E02@102", "E03@103"}), categories());
        EXPECT_EQ(102, layer_of("E02_CSYS"));
        EXPECT_TRUE(messages().empty());
    }
}

TEST_F(ContainedLayer, AnObjectThatCannotBeMovedLeavesItsElectrodeUnmadeAndTheOthersWhole) {
    const int user_layer = layer_of("BODY2");
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1", "CSYS1"})}), ok()});
    // From CSYS2 on nothing moves: BODY2, already moved, is taken back; E02 is not made.
    nxsim::fail("UF_OBJ_set_layer", nxsim::FaultMode::Always, 2);
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY2", "CSYS2"})}), kv_test::apply(), kv_test::cancel()});
    EXPECT_EQ((std::vector<std::string>{"电极 E02 的对象无法移到图层 102，电极未创建！"}), messages());
    EXPECT_EQ((std::vector<std::string>{"E01@101"}), categories());
    EXPECT_EQ(user_layer, layer_of("BODY2"));
    EXPECT_EQ(user_layer, layer_of("CSYS2"));
    EXPECT_EQ(5, object(named("CSYS2")).color);
    EXPECT_EQ(101, layer_of("E01_CSYS"));
    // Once the objects move again, E02 is made on the layer it was offered.
    nxsim::clear_faults();
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY2", "CSYS2"})}), ok()});
    EXPECT_EQ((std::vector<std::string>{"E01@101", "E02@102"}), categories());
}

TEST_F(ContainedLayer, WithoutAnUndoMarkAPartlyMovedElectrodeIsMadeSoItsLayerIsNotTakenAgain) {
    const int user_layer = layer_of("CSYS1");
    nxsim::fail("UF_UNDO_set_mark", nxsim::FaultMode::Always);
    nxsim::fail("UF_OBJ_set_layer", nxsim::FaultMode::Always, 2);  // CSYS1 on
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1", "CSYS1"})}), kv_test::apply(), kv_test::cancel()});
    EXPECT_EQ((std::vector<std::string>{"电极 E01 有对象未能移到图层 101，请检查！"}), messages());
    EXPECT_EQ((std::vector<std::string>{"E01@101"}), categories());
    EXPECT_EQ(101, layer_of("BODY1"));
    EXPECT_EQ(user_layer, layer_of("CSYS1"));
    // The next electrode goes to the next layer.
    nxsim::clear_faults();
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY2"})}), ok()});
    EXPECT_EQ(102, layer_of("BODY2"));
}

TEST_F(ContainedLayer, ACategoryListCutShortProposesNoTakenLayerAndApplyRefusesOne) {
    const int user_layer = layer_of("BODY3");
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1", "CSYS1"})}), ok()});
    // One failed cycle step while proposing: tried again, E02 on 102 is proposed.
    nxsim::fail("UF_OBJ_cycle_objs_in_part", nxsim::FaultMode::Nth, 2);
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY2"})}), ok()});
    EXPECT_EQ((std::vector<std::string>{"E01@101", "E02@102"}), categories());
    // The categories cannot be read at all: nothing can be vouched for.
    nxsim::fail("UF_OBJ_cycle_objs_in_part", nxsim::FaultMode::Always);
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY3"})}), ok(), kv_test::cancel()});
    EXPECT_EQ((std::vector<std::string>{"无法读取图层类别，电极未创建！"}), messages());
    EXPECT_EQ(user_layer, layer_of("BODY3"));
}

TEST_F(ContainedLayer, ALayerOfAnotherElectrodeIsRefusedAndAFullRangeProposesNone) {
    const int user_layer = layer_of("BODY3");
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1", "CSYS1"})}), ok()});
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY2"})}), set("INT_1", 101), ok(),
                          set("STR_0", "e01"), ok()});  // the electrode's own layer takes more
    EXPECT_EQ((std::vector<std::string>{"图层 101 已属于电极 E01，请另选图层！"}), messages());
    EXPECT_EQ(101, layer_of("BODY2"));

    // Every layer of 1 to 256 holds an electrode: the proposal falls back to layer 1.
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_START_LAYER=1\nELECTRODE_END_LAYER=256\n");
    for (int l = 1; l <= 256; ++l) {
        if (l == 101) continue;
        char name[8];
        snprintf(name, sizeof name, "E%03d", l);
        UF_LAYER_category_info_t info;
        memset(&info, 0, sizeof info);
        strcpy(info.name, name);
        info.layer_mask[l - 1] = true;
        tag_t made = NULL_TAG;
        ASSERT_EQ(0, UF_LAYER_create_category(&info, &made));
    }
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY3"})}), ok(), kv_test::cancel()});
    EXPECT_EQ("没有空闲的电极图层！", messages().back());
    EXPECT_EQ(user_layer, layer_of("BODY3"));
    EXPECT_EQ(256u, categories().size());
}

// ---------------------------------------------------------------- the Windows services

TEST_F(ContainedCreate, FailedServicesShowNothingAndTheirCallersCarryOn) {
    nxsim::fail("ws_message_box", nxsim::FaultMode::Once);
    EXPECT_EQ(0, ws_message_box("x"));
    nxsim::fail("ws_show_about_dialog", nxsim::FaultMode::Once);
    EXPECT_EQ(0, ws_show_about_dialog());
    nxsim::fail("ws_module_file_path", nxsim::FaultMode::Once);
    char path[1024] = "old";
    EXPECT_EQ(-1, ws_module_file_path(path));
    EXPECT_STREQ("", path);
    EXPECT_TRUE(seen().empty());

    // The folder browser does not open (Windows shows that as a cancel): its answer is not taken
    // by a later browser, and the files go to the work part's folder.
    nxsim::fail("ws_browse_folder", nxsim::FaultMode::Once);
    run("KELVORA_CREATE", {press("ACTION_1", {folder(out_)}), choose("MULTI_LIST_2", {"E01"}), ok()});
    EXPECT_EQ(0u, nxsim::pending_answers());
    struct stat st;
    EXPECT_EQ(0, stat((tmp_ / "mould/core_E01.prt").c_str(), &st));
    EXPECT_TRUE(files().empty());
    EXPECT_TRUE(messages().empty());

    // A folder chosen that has no path on disk: the user is told, and the files go to the work
    // part's folder as before.
    run("KELVORA_CREATE", {press("ACTION_1", {kv_test::virtual_folder(u8"此电脑")}), choose("MULTI_LIST_2", {"E02"}), ok()});
    EXPECT_EQ((std::vector<std::string>{"所选位置不是磁盘上的文件夹，请重新选择！"}), messages());
    EXPECT_EQ(0, stat((tmp_ / "mould/core_E02.prt").c_str(), &st));
}

}  // namespace
