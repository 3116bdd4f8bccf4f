// The simulated host's geometry calls as the reference geometry relies on them: matrices,
// curves, modelling lists, aligned boxes, plane probes, undo marks and STEP solids.
#include <gtest/gtest.h>

#include <cmath>

#include "refs_fixture.h"

namespace {

using namespace kv_test;

class RefsHost : public SettingsHost {
protected:
    void SetUp() override {
        SettingsHost::SetUp();
        open_part("refs.prt", refs_part());
    }
    // The first solid body on layer.
    tag_t body_on(int layer) {
        tag_t t = NULL_TAG;
        while (UF_LAYER_cycle_by_layer(layer, &t) == 0 && t) {
            int type = 0, sub = 0;
            UF_OBJ_ask_type_and_subtype(t, &type, &sub);
            if (type == UF_solid_type) return t;
        }
        return NULL_TAG;
    }
    // Cuts: 1 when the plane through point with normal n meets body, else 0.
    int cuts(tag_t body, std::array<double, 3> point, std::array<double, 3> n) {
        tag_t plane = NULL_TAG;
        EXPECT_EQ(0, UF_MODL_create_fixed_dplane(point.data(), n.data(), &plane));
        int count = 0;
        UF_MODL_intersect_info_p_t* recs = nullptr;
        EXPECT_EQ(0, UF_MODL_intersect_objects(body, plane, 0.00001, &count, &recs));
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(UF_MODL_INTERSECT_CURVE, recs[i]->intersect_type);
            UF_free(recs[i]);
        }
        if (recs) UF_free(recs);  // none with no intersection
        return count > 0 ? 1 : 0;
    }
};

TEST_F(RefsHost, MatrixHelpersFollowNxConventions) {
    const double rz[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};  // rows: X along y, Y along -x
    const double rx[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
    double p[9];
    UF_MTX3_multiply(rz, rx, p);  // rz x rx
    const double want[9] = {0, 0, 1, -1, 0, 0, 0, -1, 0};
    for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(want[i], p[i]);
    // A vector times the matrix: its components along the matrix's axes.
    const double v[3] = {0, 2, 0};
    double along[3];
    UF_MTX3_vec_multiply(v, rz, along);
    EXPECT_DOUBLE_EQ(2, along[0]);
    EXPECT_DOUBLE_EQ(0, along[1]);
    double m4[16], inv[16], back[16];
    UF_MTX3_mtx4(rz, m4);
    m4[3] = 5;  // with a translation
    ASSERT_EQ(0, UF_MTX4_invert(m4, inv));
    ASSERT_EQ(0, UF_MTX4_invert(inv, back));
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m4[i], back[i], 1e-12);
    double z[3];
    UF_MTX4_y_vec(m4, z);
    EXPECT_DOUBLE_EQ(-1, z[0]);
    const double singular[16] = {1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_NE(0, UF_MTX4_invert(singular, inv));
}

TEST_F(RefsHost, ArcsKeepTheirRecordAndBadCurvesAreRefused) {
    const double m[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    tag_t mt = NULL_TAG;
    ASSERT_EQ(0, UF_CSYS_create_matrix(m, &mt));
    UF_CURVE_arc_t a{mt, 0, TWOPI, {1, 2, 3}, 0.5};
    tag_t arc = NULL_TAG;
    ASSERT_EQ(0, UF_CURVE_create_arc(&a, &arc));
    UF_CURVE_arc_t back{};
    ASSERT_EQ(0, UF_CURVE_ask_arc_data(arc, &back));
    EXPECT_EQ(mt, back.matrix_tag);
    EXPECT_DOUBLE_EQ(2, back.arc_center[1]);
    EXPECT_DOUBLE_EQ(TWOPI, back.end_angle);
    UF_CURVE_arc_t reversed{mt, 1, 0.5, {0, 0, 0}, 1};
    EXPECT_EQ(UF_CURVE_START_EXCEEDS_END, UF_CURVE_create_arc(&reversed, &arc));
    EXPECT_EQ(NULL_TAG, arc);
    UF_CURVE_arc_t too_long{mt, 0, 7, {0, 0, 0}, 1};
    EXPECT_EQ(UF_CURVE_ANGLES_EXCEED_2PI, UF_CURVE_create_arc(&too_long, &arc));
    UF_CURVE_arc_t no_matrix{csys_named("E2_CSYS"), 0, 1, {0, 0, 0}, 1};
    EXPECT_EQ(UF_CURVE_NOT_A_MATRIX_TAG, UF_CURVE_create_arc(&no_matrix, &arc));
    UF_CURVE_line_t point_line{{1, 1, 1}, {1, 1, 1}};
    tag_t line = NULL_TAG;
    EXPECT_NE(0, UF_CURVE_create_line(&point_line, &line));
    EXPECT_EQ(NULL_TAG, line);
}

TEST_F(RefsHost, ModellingListsIgnoreDuplicatesAndAreReleasedByDelete) {
    uf_list_p_t list = nullptr;
    ASSERT_EQ(0, UF_MODL_create_list(&list));
    int count = -1;
    ASSERT_EQ(0, UF_MODL_ask_list_count(list, &count));
    EXPECT_EQ(0, count);
    UF_MODL_put_list_item(list, 1001);
    UF_MODL_put_list_item(list, 1002);
    UF_MODL_put_list_item(list, 1001);
    UF_MODL_ask_list_count(list, &count);
    EXPECT_EQ(2, count);
    tag_t t = NULL_TAG;
    ASSERT_EQ(0, UF_MODL_ask_list_item(list, 1, &t));
    EXPECT_EQ(1002u, t);
    EXPECT_NE(0, UF_MODL_ask_list_item(list, 2, &t));
    ASSERT_EQ(0, UF_MODL_delete_list(&list));
    EXPECT_EQ(nullptr, list);
    // TearDown finds the ledger empty.
}

TEST_F(RefsHost, AlignedBoxesBoundTheBodyLooselyOnCurvedFaces) {
    // The cylinder of E3 (r 5 about (-40, 20)) seen from axes turned 45 degrees.
    const double c = std::sqrt(0.5);
    const double m[9] = {c, c, 0, -c, c, 0, 0, 0, 1};
    tag_t mt = NULL_TAG, csys = NULL_TAG;
    ASSERT_EQ(0, UF_CSYS_create_matrix(m, &mt));
    const double o[3] = {-40, 20, 0};
    ASSERT_EQ(0, UF_CSYS_create_temp_csys(o, mt, &csys));
    double corner[3], dirs[3][3], len[3];
    ASSERT_EQ(0, UF_MODL_ask_bounding_box_aligned(body_on(103), csys, false, corner, dirs, len));
    for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(m[3 * k], dirs[k][0]);
    auto lo = local(frame_of(csys), corner);
    EXPECT_LE(lo[0], -5);
    EXPECT_LE(lo[1], -5);
    EXPECT_GT(len[0], 10 + 1);  // the circle's control polygon, not the circle
    EXPECT_NEAR(10, len[2], 1e-6);
    // A block aligned with the WCS is boxed exactly: E1 from the WCS at (1, 2, 3) turned 90 degrees.
    ASSERT_EQ(0, UF_MODL_ask_bounding_box_aligned(body_on(101), NULL_TAG, false, corner, dirs, len));
    EXPECT_NEAR(10, len[0], 1e-9);
    EXPECT_NEAR(20, len[1], 1e-9);
    EXPECT_NEAR(5, len[2], 1e-9);
}

TEST_F(RefsHost, UnderTheInsideReadingBoxesLieWithinTheBodyByNxsTolerance) {
    nxsim::Readings readings;
    readings.box_inside = true;
    nxsim::set_readings(readings);
    // E1 (20 x 10 x 5) from the WCS turned 90 degrees: 10 x 20 x 5, each side in by 0.0254 mm.
    double corner[3], dirs[3][3], len[3];
    ASSERT_EQ(0, UF_MODL_ask_bounding_box_aligned(body_on(101), NULL_TAG, false, corner, dirs, len));
    EXPECT_NEAR(10 - 2 * 0.0254, len[0], 1e-9);
    EXPECT_NEAR(20 - 2 * 0.0254, len[1], 1e-9);
    EXPECT_NEAR(5 - 2 * 0.0254, len[2], 1e-9);
    auto lo = local(wcs_frame(), corner);
    EXPECT_NEAR(-2 + 0.0254, lo[0], 1e-9);  // the block's y 0..10 is the WCS's x -2..8
    // The cylinder's curved sides too lie inside: the exact extent, not the control polygon's.
    ASSERT_EQ(0, UF_MODL_ask_bounding_box_aligned(body_on(103), NULL_TAG, false, corner, dirs, len));
    EXPECT_NEAR(10 - 2 * 0.0254, len[0], 1e-6);
    // expand widens the inside box by 0.1 each way, as it widens NX's.
    ASSERT_EQ(0, UF_MODL_ask_bounding_box_aligned(body_on(101), NULL_TAG, true, corner, dirs, len));
    EXPECT_NEAR(10 - 2 * 0.0254 + 0.2, len[0], 1e-9);
    // A plate thinner than twice the tolerance (E4, 0.00001 thick) shrinks to its middle plane.
    ASSERT_EQ(0, UF_MODL_ask_bounding_box_aligned(body_on(104), NULL_TAG, false, corner, dirs, len));
    EXPECT_NEAR(0, len[2], 1e-12);
    EXPECT_NEAR(0.000005, local(wcs_frame(), corner)[2] + 3, 1e-9);
    // A new session follows the default reading again: never smaller than the body.
    nxsim::set_readings(nxsim::Readings());
    ASSERT_EQ(0, UF_MODL_ask_bounding_box_aligned(body_on(101), NULL_TAG, false, corner, dirs, len));
    EXPECT_NEAR(10, len[0], 1e-9);
}

TEST_F(RefsHost, PlanesCutBodiesExactlyIncludingTouchingAndNotBetweenLumps) {
    tag_t block = body_on(101);  // x 0..20
    EXPECT_EQ(1, cuts(block, {20, 0, 0}, {1, 0, 0}));        // touching the face
    EXPECT_EQ(0, cuts(block, {20.00001, 0, 0}, {1, 0, 0}));  // just off it
    EXPECT_EQ(1, cuts(block, {10, 0, 0}, {-1, 0, 0}));
    tag_t lumps = body_on(107);  // x 0..10 and 30..40
    EXPECT_EQ(0, cuts(lumps, {20, 0, 0}, {1, 0, 0}));
    EXPECT_EQ(1, cuts(lumps, {35, 0, 0}, {1, 0, 0}));
    tag_t bspline = body_on(108);  // up to z 30
    EXPECT_EQ(1, cuts(bspline, {0, 0, 29.9999}, {0, 0, 1}));
    EXPECT_EQ(0, cuts(bspline, {0, 0, 30.0001}, {0, 0, 1}));
    int n = 5;
    UF_MODL_intersect_info_p_t* recs = nullptr;
    EXPECT_NE(0, UF_MODL_intersect_objects(block, lumps, 0.00001, &n, &recs));  // two bodies: not supported
    EXPECT_EQ(0, n);
    EXPECT_EQ(nullptr, recs);
}

TEST_F(RefsHost, UndoRemovesWhatWasMadeAfterTheMarkAndBringsBackWhatWasDeleted) {
    tag_t point = NULL_TAG;
    UF_LAYER_cycle_by_layer(5, &point);
    ASSERT_NE(NULL_TAG, point);
    UF_UNDO_mark_id_t mark = 0, later = 0;
    ASSERT_EQ(0, UF_UNDO_set_mark(UF_UNDO_invisible, nullptr, &mark));
    double p[3] = {0, 0, 0}, n[3] = {0, 0, 1};
    tag_t plane = NULL_TAG;
    ASSERT_EQ(0, UF_MODL_create_fixed_dplane(p, n, &plane));
    ASSERT_EQ(0, UF_UNDO_set_mark(UF_UNDO_invisible, kv_test::writable("LATER"), &later));
    int* statuses = nullptr;
    ASSERT_EQ(0, UF_OBJ_delete_array_of_objects(1, &point, &statuses));
    EXPECT_EQ(0, statuses[0]);
    UF_free(statuses);
    EXPECT_EQ(nullptr, nxsim::live_obj(point));
    ASSERT_EQ(0, UF_UNDO_undo_to_mark(mark, nullptr));
    EXPECT_EQ(nullptr, nxsim::live_obj(plane));
    EXPECT_NE(nullptr, nxsim::live_obj(point));
    EXPECT_NE(0, UF_UNDO_delete_mark(later, nullptr));  // dropped by the undo
    ASSERT_EQ(0, UF_UNDO_delete_mark(mark, nullptr));
    EXPECT_NE(0, UF_UNDO_undo_to_mark(mark, nullptr));
    EXPECT_TRUE(nxsim::S().undo_marks.empty());
}

TEST_F(RefsHost, StepSolidsAreReadBesideThePartAndBadOnesRefused) {
    nxsim::Object* o = nxsim::live_obj(body_on(108));
    ASSERT_NE(nullptr, o);
    EXPECT_NEAR(12968.993, nxsim::geom_volume(o->shape), 0.01);
    write_file(tmp_ / "beside.prt", R"({ "format": "nxsim-part", "version": 1, "objects": [
      { "id": 1, "type": "solid", "shape": { "step": "missing.step" } } ] })");
    std::string err;
    EXPECT_NE(0, nxsim::open_part(tmp_ / "beside.prt", &err));
    EXPECT_NE(std::string::npos, err.find("objects[0].shape.step")) << err;
    EXPECT_NE(std::string::npos, err.find(tmp_ / "missing.step")) << err;
}

}  // namespace
