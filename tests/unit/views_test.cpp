// The electrodes' views in the model: the ECS looked up by name, the layers shown, the top and
// isometric model views, and the WCS given back.
#include <gtest/gtest.h>

#include <cstring>

#include "drawing/dimension_refs.h"
#include "drawing/model_views.h"
#include "refs_fixture.h"

namespace {

using namespace kv_test;

class Views : public SettingsHost {
protected:
    void SetUp() override {
        SettingsHost::SetUp();
        config(kRefsConfig);
        open_part("refs.prt", refs_part());
        user_wcs_ = wcs_frame();
    }
    void TearDown() override {
        for (electrode_record* r : records_) free(r);
        SettingsHost::TearDown();
    }

    // A list of selected records with the ECS each one's name finds.
    electrode_record* selected(std::vector<const char*> names) {
        electrode_record* head = nullptr;
        electrode_record** tail = &head;
        for (const char* n : names) {
            auto* r = (electrode_record*)calloc(1, sizeof(electrode_record));
            records_.push_back(r);
            strcpy(r->data.electrode_name, n);
            r->selected = 1;
            EXPECT_EQ(0, find_electrode_csys(n, &r->data.ecs_tag)) << n;
            *tail = r;
            tail = &r->next;
        }
        return head;
    }

    std::array<double, 9> view_matrix(const char* name) {
        std::array<double, 9> m{};
        EXPECT_EQ(0, uc6433(kv_test::writable(name), m.data())) << name;
        return m;
    }

    void expect_user_wcs() {
        Frame now = wcs_frame();
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(user_wcs_.origin[i], now.origin[i], 1e-9);
        for (int i = 0; i < 9; ++i) EXPECT_NEAR(user_wcs_.m[i], now.m[i], 1e-9);
    }

    int status(int layer) {
        int s = 0;
        UF_LAYER_ask_status(layer, &s);
        return s;
    }

    std::vector<electrode_record*> records_;
    Frame user_wcs_;
};

tag_t ecs_of(const char* name) {
    tag_t csys = 1;
    EXPECT_EQ(0, find_electrode_csys(name, &csys)) << name;
    return csys;
}

TEST_F(Views, EcsIsFoundByNameOnTheFirstLayerOnly) {
    tag_t e1 = ecs_of("E1");
    EXPECT_NE(NULL_TAG, e1);  // "e1_csys": letter case does not matter
    EXPECT_EQ(e1, csys_named("e1_csys"));
    EXPECT_EQ(NULL_TAG, ecs_of("E5"));  // "E5_CSYS" lies on the second layer
    EXPECT_EQ(NULL_TAG, ecs_of("E3"));  // none at all
    EXPECT_EQ(NULL_TAG, ecs_of("E8"));  // a category without layers
    EXPECT_EQ(NULL_TAG, ecs_of("NOSUCH"));
}

// A layer or an object NX cannot read could hide the ECS: the lookup says it cannot tell instead
// of answering "none", which would put the electrode's views in the absolute orientation.
TEST_F(Views, AnEcsLookupNxCannotFinishSaysSo) {
    for (const char* call : {"UF_LAYER_cycle_by_layer", "UF_OBJ_ask_type_and_subtype"}) {
        nxsim::fail(call, nxsim::FaultMode::Once);
        tag_t csys = 1;
        EXPECT_EQ(-1, find_electrode_csys("E1", &csys)) << call;
        EXPECT_EQ(NULL_TAG, csys) << call;
        nxsim::clear_faults();
    }
    EXPECT_NE(NULL_TAG, ecs_of("E1"));
}

TEST_F(Views, TwoElectrodesGetTheirOwnTopViewsAndShareTheIsometricView) {
    electrode_record* head = selected({"E1", "E2"});
    prepare_electrode_views(head);
    tag_t iso = NULL_TAG;
    ASSERT_EQ(0, UF_VIEW_ask_tag_of_view_name(kv_test::writable("TFR-ISO"), &iso));
    tag_t top1 = NULL_TAG, top2 = NULL_TAG;
    UF_VIEW_ask_tag_of_view_name(kv_test::writable("E1_TOP"), &top1);
    UF_VIEW_ask_tag_of_view_name(kv_test::writable("E2_TOP"), &top2);
    EXPECT_NE(NULL_TAG, top1);
    EXPECT_NE(NULL_TAG, top2);
    EXPECT_EQ(top1, head->data.top_view_tag);
    EXPECT_EQ(top2, head->next->data.top_view_tag);
    EXPECT_EQ(iso, head->data.iso_view_tag);
    EXPECT_EQ(iso, head->next->data.iso_view_tag);
    // Each top view looks down its electrode's ECS.
    Frame f2 = frame_of(csys_named("E2_CSYS"));
    auto m2 = view_matrix("E2_TOP");
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(f2.m[i], m2[i], 1e-9);
    auto m1 = view_matrix("E1_TOP");
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(i % 4 == 0 ? 1 : 0, m1[i], 1e-9);
    // The isometric view of each electrode is saved turned with its ECS: ISO x ECS.
    auto iso_m = view_matrix("TFR-ISO");
    auto e2_iso = view_matrix("E2_ISO");
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            double want = 0;
            for (int k = 0; k < 3; ++k) want += iso_m[3 * r + k] * f2.m[3 * k + c];
            EXPECT_NEAR(want, e2_iso[3 * r + c], 1e-9);
        }
    // The references were built for both; the last electrode's layer is the work layer.
    EXPECT_EQ(1u, named("E1_ORG", UF_circle_type).size());
    EXPECT_EQ(8u, named("E2", UF_circle_type).size());
    EXPECT_EQ(UF_LAYER_WORK_LAYER, status(102));
    expect_user_wcs();
}

TEST_F(Views, ASecondRunReplacesTheTopViewAndLeavesOneSetOfReferences) {
    electrode_record* head = selected({"E2"});
    prepare_electrode_views(head);
    tag_t first = head->data.top_view_tag;
    prepare_electrode_views(head);
    EXPECT_NE(NULL_TAG, head->data.top_view_tag);
    EXPECT_NE(first, head->data.top_view_tag);
    EXPECT_EQ(nullptr, nxsim::live_obj(first));
    int tops = 0;
    for (tag_t t : nxsim::part(nxsim::S().work_part)->views)
        if (nxsim::live_obj(t) && nxsim::live_obj(t)->name == "E2_TOP") ++tops;
    EXPECT_EQ(1, tops);
    EXPECT_EQ(1u, named("E2_ORG", UF_circle_type).size());
    EXPECT_EQ(8u, named("E2", UF_circle_type).size());
    for (int i = 0; i < 12; ++i) EXPECT_EQ(1u, named("E2" + std::to_string(i), UF_line_type).size()) << i;
    expect_user_wcs();
}

// An old top view NX would not delete keeps its name: the new one cannot be saved, and the
// electrode gets no top view rather than the old one (its drawing is then refused and named).
TEST_F(Views, ATopViewThatCannotBeSavedIsNoneNotTheOldOne) {
    electrode_record* head = selected({"E2"});
    prepare_electrode_views(head);
    ASSERT_NE(NULL_TAG, head->data.top_view_tag);
    nxsim::fail("uc6454", nxsim::FaultMode::Always);
    prepare_electrode_views(head);
    EXPECT_EQ(NULL_TAG, head->data.top_view_tag);
    nxsim::clear_faults();
    nxsim::fail("uc6450", nxsim::FaultMode::Once);
    prepare_electrode_views(head);
    EXPECT_EQ(NULL_TAG, head->data.top_view_tag);
    prepare_electrode_views(head);
    EXPECT_NE(NULL_TAG, head->data.top_view_tag);
    expect_user_wcs();
}

TEST_F(Views, TopViewIsAlignedWhicheverViewTheUserWorkedIn) {
    // The user works in FRONT: TOP takes its place before the top view is saved.
    ASSERT_EQ(0, uc6464("", "", "FRONT"));
    tag_t ecs = csys_named("E2_CSYS");
    tag_t top = make_top_view("E2", ecs);
    ASSERT_NE(NULL_TAG, top);
    auto m = view_matrix("E2_TOP");
    Frame f = frame_of(ecs);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(f.m[i], m[i], 1e-9);
    // Without an ECS the view looks down the WCS.
    ASSERT_NE(NULL_TAG, make_top_view("E3", NULL_TAG));
    auto w = view_matrix("E3_TOP");
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(user_wcs_.m[i], w[i], 1e-9);
}

TEST_F(Views, ANameTooLongForAViewGivesNoView) {
    const char* name = "E234567890123456789012345678";  // 28 characters: "_TOP" would make 32
    EXPECT_EQ(NULL_TAG, make_top_view(name, NULL_TAG));
    size_t views = nxsim::part(nxsim::S().work_part)->views.size();
    EXPECT_EQ(8u, views);  // the standard views only
}

TEST_F(Views, OnlyTheElectrodeRangeIsHiddenWhenTheSettingSaysSo) {
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_START_LAYER=10\nELECTRODE_END_LAYER=20\n"
           "ELECTRODE_ONLY_DISPLAY_ELECT=1\n");
    prepare_electrode_views(selected({"E9"}));  // on layer 12
    for (int l = 1; l <= 256; ++l) {
        int want = l == 12 ? UF_LAYER_WORK_LAYER : (l >= 10 && l <= 20 ? UF_LAYER_INACTIVE_LAYER : UF_LAYER_ACTIVE_LAYER);
        EXPECT_EQ(want, status(l)) << "layer " << l;
    }
}

TEST_F(Views, EveryOtherLayerIsHiddenWithoutTheSetting) {
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_START_LAYER=10\nELECTRODE_END_LAYER=20\n");
    prepare_electrode_views(selected({"E9"}));
    for (int l = 1; l <= 256; ++l)
        EXPECT_EQ(l == 12 ? UF_LAYER_WORK_LAYER : UF_LAYER_INACTIVE_LAYER, status(l)) << "layer " << l;
}

TEST_F(Views, WcsThatCannotBeReadLeavesTheElectrodeWithoutViews) {
    electrode_record* head = selected({"E1"});
    head->data.top_view_tag = 4242;  // from an earlier run
    head->data.iso_view_tag = 4243;
    nxsim::fail("UF_CSYS_ask_wcs", nxsim::FaultMode::Always);
    prepare_electrode_views(head);
    nxsim::clear_faults();
    EXPECT_EQ(NULL_TAG, head->data.top_view_tag);
    EXPECT_EQ(NULL_TAG, head->data.iso_view_tag);
    expect_user_wcs();
}

}  // namespace
