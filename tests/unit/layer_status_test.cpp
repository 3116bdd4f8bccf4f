// Layer statuses known within one callback: what is asked of NX once, what the callback's own
// changes make known, and what is asked again (the old work layer, a failed call, a new callback).
#include <gtest/gtest.h>

#include "drawing_fixture.h"
#include "drawing/drawing_batch.h"
#include "electrode/layer_status.h"

namespace {

class LayerReading : public kv_test::DrawingFixture {
protected:
    void SetUp() override {
        DrawingFixture::SetUp();
        open_part("M1/core.prt", kv_test::drawing_part());
        forget_layer_statuses(&known_);
    }
    int asks() { return nxsim::call_count("UF_LAYER_ask_status"); }
    int sets() { return nxsim::call_count("UF_LAYER_set_status"); }
    // The host's own record of a status, asked without a call.
    int raw(int layer) { return nxsim::part(UF_ASSEM_ask_work_part())->layer_status[layer]; }
    int status(int layer) {
        int s = -1;
        EXPECT_EQ(0, known_layer_status(&known_, layer, &s)) << layer;
        return s;
    }
    layer_statuses known_;
};

TEST_F(LayerReading, EachLayerIsAskedOnceAndTheCallbacksOwnChangesAreKnown) {
    int a = asks(), s = sets();
    EXPECT_EQ(UF_LAYER_ACTIVE_LAYER, status(5));
    EXPECT_EQ(UF_LAYER_ACTIVE_LAYER, status(5));
    EXPECT_EQ(1, asks() - a);
    EXPECT_EQ(0, change_layer_status(&known_, 5, UF_LAYER_INACTIVE_LAYER));
    EXPECT_EQ(0, change_layer_status(&known_, 5, UF_LAYER_INACTIVE_LAYER));  // known: no call
    EXPECT_EQ(0, change_layer_status(&known_, 6, UF_LAYER_INACTIVE_LAYER));
    EXPECT_EQ(2, sets() - s);
    EXPECT_EQ(UF_LAYER_INACTIVE_LAYER, status(5));
    EXPECT_EQ(UF_LAYER_INACTIVE_LAYER, status(6));
    EXPECT_EQ(1, asks() - a);
    // Without a reading every question and change goes to NX.
    int st = 0;
    EXPECT_EQ(0, known_layer_status(nullptr, 5, &st));
    EXPECT_EQ(0, change_layer_status(nullptr, 5, UF_LAYER_INACTIVE_LAYER));
    EXPECT_EQ(2, asks() - a);
    EXPECT_EQ(3, sets() - s);
    EXPECT_EQ(-1, known_layer_status(&known_, 257, &st));
    EXPECT_EQ(0, st);
}

TEST_F(LayerReading, TheOldWorkLayerAndFailedCallsAreAskedAgain) {
    EXPECT_EQ(UF_LAYER_WORK_LAYER, status(1));
    EXPECT_EQ(0, change_layer_status(&known_, 7, UF_LAYER_WORK_LAYER));
    int a = asks();
    EXPECT_EQ(UF_LAYER_WORK_LAYER, status(7));
    EXPECT_EQ(0, asks() - a);
    EXPECT_EQ(UF_LAYER_ACTIVE_LAYER, status(1));  // NX chose it: asked
    EXPECT_EQ(1, asks() - a);

    int st = -1;
    nxsim::fail("UF_LAYER_ask_status", nxsim::FaultMode::Once);
    EXPECT_NE(0, known_layer_status(&known_, 9, &st));
    EXPECT_EQ(0, st);
    EXPECT_EQ(UF_LAYER_ACTIVE_LAYER, status(9));  // the failure was not kept

    int s = sets();
    nxsim::fail("UF_LAYER_set_status", nxsim::FaultMode::Once);
    EXPECT_NE(0, change_layer_status(&known_, 9, UF_LAYER_INACTIVE_LAYER));
    EXPECT_EQ(0, change_layer_status(&known_, 9, UF_LAYER_ACTIVE_LAYER));  // unknown after the failure: set
    EXPECT_EQ(2, sets() - s);
    // NX refuses to change the work layer: refused every time, never taken as done.
    EXPECT_NE(0, change_layer_status(&known_, 7, UF_LAYER_INACTIVE_LAYER));
    EXPECT_NE(0, change_layer_status(&known_, 7, UF_LAYER_INACTIVE_LAYER));
    EXPECT_EQ(UF_LAYER_WORK_LAYER, status(7));
}

// The user may change statuses between callbacks: the next callback's reading asks again.
TEST_F(LayerReading, TheNextCallbackSeesWhatTheUserChanged) {
    EXPECT_EQ(UF_LAYER_ACTIVE_LAYER, status(9));
    ASSERT_EQ(0, nxsim::set_layer_status(9, UF_LAYER_INACTIVE_LAYER));
    forget_layer_statuses(&known_);
    EXPECT_EQ(UF_LAYER_INACTIVE_LAYER, status(9));
}

// The layers shown with the selected electrodes: each layer set once, to its last status.
TEST_F(LayerReading, SelectedElectrodesLayersAreSetOnceEach) {
    config(std::string(kv_test::kDrawingConfig) + "ELECTRODE_ONLY_DISPLAY_ELECT=1\n");
    electrode_list = build_electrode_list();
    for (electrode_record* r = electrode_list; r; r = r->next) r->selected = r != electrode_list;  // E02, E03
    int s = sets();
    show_selected_electrode_layers(electrode_list, &known_);
    // 102 made the work layer, 101 and 104-200 hidden, 103 shown, 102's change to shown refused.
    EXPECT_EQ(101, sets() - s);
    EXPECT_EQ(UF_LAYER_WORK_LAYER, raw(102));
    EXPECT_EQ(UF_LAYER_ACTIVE_LAYER, raw(103));
    EXPECT_EQ(UF_LAYER_INACTIVE_LAYER, raw(101));
    EXPECT_EQ(UF_LAYER_INACTIVE_LAYER, raw(200));
    EXPECT_EQ(UF_LAYER_ACTIVE_LAYER, raw(1));
    // Within the callback the rest is known: only the work layer, refused before, is set again.
    s = sets();
    show_selected_electrode_layers(electrode_list, &known_);
    EXPECT_EQ(2, sets() - s);
    EXPECT_EQ(UF_LAYER_WORK_LAYER, raw(102));
}

}  // namespace
