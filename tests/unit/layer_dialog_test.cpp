// The electrode layer dialog, driven as the user drives it: picks, OK, Apply, the checks and
// their messages, the ECS colour and name, and the selection it holds between callbacks.
#include "create_fixture.h"
#include "layer/layer_dialog.h"

namespace {

using kv_test::apply;
using kv_test::cancel;
using kv_test::ok;
using kv_test::pick;
using kv_test::press;
using kv_test::set;

const char kBodies[] = R"({ "format": "nxsim-part", "version": 1, "objects": [
  { "id": 1, "type": "solid", "name": "BODY1", "shape": { "box": { "origin": [0, 0, 0], "size": [5, 5, 5] } } },
  { "id": 2, "type": "csys", "name": "CSYS1", "color": 5, "origin": [0, 0, 5], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 3, "type": "point", "name": "TIP1", "coords": [2, 2, 0] },
  { "id": 4, "type": "solid", "name": "BODY2", "shape": { "box": { "origin": [9, 0, 0], "size": [5, 5, 5] } } },
  { "id": 5, "type": "csys", "name": "CSYS2", "color": 5, "origin": [9, 0, 5], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] } ] })";

class LayerDialog : public kv_test::CreateHost {
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

TEST_F(LayerDialog, ApplyMakesTheElectrodeAndProposesTheNextOne) {
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1", "CSYS1", "TIP1"})}), apply(),
                          press("ACTION_2", {pick({"BODY2", "CSYS2"})}), ok()});
    EXPECT_EQ((std::vector<std::string>{"E01@101", "E02@102"}), categories());
    for (const char* n : {"BODY1", "TIP1"}) EXPECT_EQ(101, layer_of(n)) << n;
    EXPECT_EQ(102, layer_of("BODY2"));
    // The ECS is coloured (255, 128, 0) and named after its electrode; bodies keep their colour.
    const nxsim::Object& ecs = object(named("E01_CSYS"));
    EXPECT_EQ(101, ecs.layer);
    EXPECT_NE(5, ecs.color);
    EXPECT_EQ(ecs.color, object(named("E02_CSYS")).color);
    EXPECT_EQ(87, object(named("BODY1")).color);
    int status = 0;
    UF_LAYER_ask_status(102, &status);
    EXPECT_EQ(UF_LAYER_ACTIVE_LAYER, status);
    EXPECT_TRUE(messages().empty());
}

// The drawing and the job sheet find an electrode's system by its name alone: an ECS NX will not
// rename (twice) takes the whole electrode back, and the user is told, instead of an electrode
// whose views and positions would silently come out in the absolute frame.
TEST_F(LayerDialog, AnEcsThatCannotBeNamedTakesTheElectrodeBackAndSaysSo) {
    nxsim::fail("UF_OBJ_set_name", nxsim::FaultMode::Always);
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1", "CSYS1", "TIP1"})}), ok(), cancel()});
    nxsim::clear_faults();
    EXPECT_TRUE(categories().empty());
    for (const char* n : {"BODY1", "CSYS1", "TIP1"}) EXPECT_EQ(1, layer_of(n)) << n;
    EXPECT_EQ((std::vector<std::string>{"电极 E01 的坐标系无法命名，电极未创建！"}), messages());
    // Refused once, asked again: the electrode is made as usual.
    nxsim::fail("UF_OBJ_set_name", nxsim::FaultMode::Once);
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1", "CSYS1"})}), ok()});
    EXPECT_EQ((std::vector<std::string>{"E01@101"}), categories());
    EXPECT_EQ(101, layer_of("E01_CSYS"));
}

TEST_F(LayerDialog, WithoutTheColourSettingTheEcsKeepsItsColourAndName) {
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_START_LAYER=101\nELECTRODE_END_LAYER=200\nELECTRODE_COLOR_SET=0\n");
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"CSYS1"})}), ok()});
    EXPECT_EQ(5, object(named("CSYS1")).color);
    EXPECT_EQ(101, layer_of("CSYS1"));
}

TEST_F(LayerDialog, TheLayerIsCheckedBeforeTheNameAndTheDialogStaysOpen) {
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1"})}),
                          set("INT_1", 300), set("STR_0", "X01"), ok(),
                          set("INT_1", 0), ok(),
                          set("INT_1", 150), apply(),
                          set("STR_0", "e" + std::string(25, '1')), ok(),
                          set("STR_0", "e" + std::string(24, '1')), ok()});
    // 25 characters at most: "<name>_CSYS", the longest name made from it, must fit NX's 30.
    EXPECT_EQ((std::vector<std::string>{"图层数值超出范围", "图层数值超出范围", "电极命名不正确！",
                                        "电极名称过长，最多25个字符！"}),
              messages());
    EXPECT_EQ((std::vector<std::string>{"e" + std::string(24, '1') + "@150"}), categories());
    EXPECT_EQ(150, layer_of("BODY1"));
}

TEST_F(LayerDialog, OkWithNothingPickedClosesWithoutACategory) {
    run("KELVORA_LAYER", {ok()});
    EXPECT_TRUE(categories().empty());
}

TEST_F(LayerDialog, ANewPickReplacesTheHeldOneAndACancelledPickEmptiesIt) {
    // The arrays of the earlier picks are released (the ledger checks it at the end).
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1"})}), press("ACTION_2", {pick({"BODY2"})}), ok()});
    EXPECT_EQ(1, layer_of("BODY1"));
    EXPECT_EQ(101, layer_of("BODY2"));
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1"})}), press("ACTION_2", {kv_test::pick_cancel()}), ok()});
    EXPECT_EQ(1, layer_of("BODY1"));
    EXPECT_EQ((std::vector<std::string>{"E01@101"}), categories());
}

TEST_F(LayerDialog, AFailedPickKeepsTheHeldSelection) {
    nxsim::fail("UF_UI_select_by_class", nxsim::FaultMode::Nth, 2);
    run("KELVORA_LAYER", {press("ACTION_2", {pick({"BODY1"})}), press("ACTION_2"), ok()});
    EXPECT_EQ(101, layer_of("BODY1"));
}

TEST_F(LayerDialog, CallbacksDoNothingWithoutTheApi) {
    UF_terminate();
    nxsim::fail("UF_initialize", nxsim::FaultMode::Always);
    size_t calls = nxsim::call_log().size();
    layer_dialog_state state = {0, nullptr};
    EXPECT_EQ(0, layer_constructor_cb(1, &state, nullptr));
    EXPECT_EQ(0, layer_select_cb(1, &state, nullptr));
    EXPECT_EQ(0, layer_ok_cb(1, &state, nullptr));
    EXPECT_EQ(0, layer_apply_cb(1, &state, nullptr));
    EXPECT_EQ(0, layer_destructor_cb(1, &state, nullptr));
    for (size_t i = calls; i < nxsim::call_log().size(); ++i)
        EXPECT_EQ(0u, nxsim::call_log()[i].rfind("UF_initialize", 0)) << nxsim::call_log()[i];
    nxsim::clear_faults();
    UF_initialize();
}

}  // namespace
