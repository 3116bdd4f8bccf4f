// End-point associations of ordinate objects: NX's record defaults, the host's refusal of a
// modifier that names neither end, and the plug-in's margins and dimensions passing a valid one.
#include <gtest/gtest.h>

#include <cstring>

#include "drawing/ordinate_dims.h"
#include "sheet_fixture.h"

namespace {

using namespace kv_test;

// A line from (0, 0) to (40, 0) and arcs at (5, 5) and (40, 30) under the top view of block E1.
const char kRefs[] = R"({ "id": 200, "type": "matrix", "values": [1,0,0, 0,1,0, 0,0,1] },
  { "id": 201, "type": "arc", "layer": 101, "matrix": 200, "center": [5, 5, 0], "radius": 0.001, "start_angle": 0, "end_angle": 6.28 },
  { "id": 202, "type": "arc", "layer": 101, "matrix": 200, "center": [40, 30, 10], "radius": 0.001, "start_angle": 0, "end_angle": 6.28 },
  { "id": 203, "type": "line", "layer": 101, "start": [0, 0, 0], "end": [40, 0, 0] })";

class OrdinateAssoc : public SheetHost {
protected:
    void SetUp() override {
        SheetHost::SetUp();
        config("ELECTRODE_PREFIX_NAME=E\n");
        open_part("M1/refs.prt", block_part({{"E1", 101, {0, 0, 0}, {40, 30, 10}}}, kRefs));
        drawing_ = open_new_drawing("ORD");
        top_ = import_at(drawing_, "E1_TOP", 100, 100);
        origin_arc_ = work().by_type[UF_circle_type][0];
        point_arc_ = work().by_type[UF_circle_type][1];
        line_ = work().by_type[UF_line_type][0];
    }
    UF_DRF_object_t record(tag_t object, UF_DRF_assoc_type_t assoc, int modifier) {
        UF_DRF_object_t rec;
        UF_DRF_init_object_structure(&rec);
        rec.object_tag = object;
        rec.object_view_tag = top_;
        rec.object_assoc_type = assoc;
        rec.object_assoc_modifier = modifier;
        return rec;
    }
    tag_t origin() {
        UF_DRF_object_t rec = record(origin_arc_, UF_DRF_arc_center, UF_DRF_first_end_point);
        char name[] = "ORD ORG";
        tag_t t = NULL_TAG;
        EXPECT_EQ(0, UF_DRF_create_ordorigin(&rec, 5, 1, 2, name, &t));
        return t;
    }
    static size_t ordinates() { return nxsim::S().ordinates.size(); }

    tag_t drawing_ = NULL_TAG, top_ = NULL_TAG, origin_arc_ = NULL_TAG, point_arc_ = NULL_TAG, line_ = NULL_TAG;
};

TEST_F(OrdinateAssoc, RecordStartsAtTheFirstEndPoint) {
    UF_DRF_object_t rec;
    memset(&rec, 0x5a, sizeof rec);
    ASSERT_EQ(0, UF_DRF_init_object_structure(&rec));
    EXPECT_EQ(UF_DRF_end_point, rec.object_assoc_type);
    EXPECT_EQ(UF_DRF_first_end_point, rec.object_assoc_modifier);
    EXPECT_EQ(NULL_TAG, rec.object_tag);
    EXPECT_EQ(NULL_TAG, rec.object_view_tag);
    EXPECT_EQ(NULL_TAG, rec.object2_tag);
}

TEST_F(OrdinateAssoc, EndPointsAreTheFirstOrTheLastAndNothingElse) {
    tag_t org = origin();
    ASSERT_NE(NULL_TAG, org);
    double p3[3] = {0, 0, 0}, p2[2] = {0, 0};
    char name[] = "ORG2";
    UF_DRF_text_t text{};
    char empty[1] = "";
    text.user_dim_text = empty;
    double where[3] = {0, 0, 0};
    for (int modifier : {0, 3, -1}) {
        size_t before = ordinates();
        UF_DRF_object_t rec = record(line_, UF_DRF_end_point, modifier);
        tag_t made = 42;
        EXPECT_EQ(nxsim::ERR_DRF_MODIFIER, UF_DRF_create_ordorigin(&rec, 5, 1, 2, name, &made)) << modifier;
        EXPECT_EQ(NULL_TAG, made);
        made = 42;
        EXPECT_EQ(nxsim::ERR_DRF_MODIFIER, UF_DRF_create_ordmargin(1, org, &rec, p3, p2, -5, &made)) << modifier;
        EXPECT_EQ(NULL_TAG, made);
        made = 42;
        EXPECT_EQ(nxsim::ERR_DRF_MODIFIER, UF_DRF_create_orddimension(org, 1, &rec, 0, 0.1, &text, 2, where, &made))
            << modifier;
        EXPECT_EQ(NULL_TAG, made);
        EXPECT_EQ(before, ordinates()) << modifier;
    }
    char message[133];
    ASSERT_EQ(0, UF_get_fail_message(nxsim::ERR_DRF_MODIFIER, message));
    EXPECT_NE(0u, strlen(message));

    // The two ends measure from the origin at (5, 5) along X: 0 - 5 and 40 - 5.
    tag_t first = NULL_TAG, last = NULL_TAG;
    UF_DRF_object_t rec = record(line_, UF_DRF_end_point, UF_DRF_first_end_point);
    ASSERT_EQ(0, UF_DRF_create_orddimension(org, 1, &rec, 0, 0.1, &text, 2, where, &first));
    rec.object_assoc_modifier = UF_DRF_last_end_point;
    ASSERT_EQ(0, UF_DRF_create_orddimension(org, 1, &rec, 0, 0.1, &text, 2, where, &last));
    EXPECT_DOUBLE_EQ(-5, nxsim::live_ordinate(first, nxsim::Ordinate::Dimension)->value);
    EXPECT_DOUBLE_EQ(35, nxsim::live_ordinate(last, nxsim::Ordinate::Dimension)->value);
}

TEST_F(OrdinateAssoc, PluginPassesAValidModifierEvenWhenInitialisingFails) {
    for (bool init_fails : {false, true}) {
        if (init_fails) nxsim::fail("UF_DRF_init_object_structure", nxsim::FaultMode::Always);
        tag_t org = NULL_TAG, margin = NULL_TAG, dim = NULL_TAG;
        ASSERT_EQ(0, create_ordinate_origin(top_, origin_arc_, &org)) << init_fails;
        ASSERT_EQ(0, create_margin(top_, org, line_, KV_SIDE_BOTTOM, &margin)) << init_fails;
        const nxsim::Ordinate* m = nxsim::live_ordinate(margin, nxsim::Ordinate::Margin);
        ASSERT_NE(nullptr, m);
        EXPECT_EQ(UF_DRF_end_point, m->assoc);
        EXPECT_EQ(UF_DRF_first_end_point, m->modifier);
        EXPECT_NEAR(80, m->position, 1e-3);  // 5 below the line, at drawing y 85
        ASSERT_EQ(0, create_ordinate_dimension(top_, margin, point_arc_, KV_SIDE_BOTTOM, &dim)) << init_fails;
        EXPECT_DOUBLE_EQ(35, nxsim::live_ordinate(dim, nxsim::Ordinate::Dimension)->value);
    }
    nxsim::clear_faults();
}

}  // namespace
