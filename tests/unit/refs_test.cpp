// Reference geometry for the dimensions: the electrode box found by plane probes, the markers and
// edge lines left under the electrode's names, and the state NX is left in on every way out.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "drawing/dimension_refs.h"
#include "drawing/measure.h"
#include "drawing/wcs.h"
#include "refs_fixture.h"

namespace {

using namespace kv_test;

class Refs : public SettingsHost {
protected:
    void SetUp() override {
        SettingsHost::SetUp();
        config(kRefsConfig);
        open_part("refs.prt", refs_part());
        user_wcs_ = wcs_frame();
    }

    // The box the references of electrode name describe, read back from its corner markers in
    // the coordinates of frame f: x_min, y_min, z_min, x_max, y_max, z_max.
    std::array<double, 6> marker_box(const std::string& name, const Frame& f) {
        std::array<double, 6> box{1e300, 1e300, 1e300, -1e300, -1e300, -1e300};
        for (tag_t arc : named(name, UF_circle_type)) {
            auto c = arc_centre(arc);
            auto l = local(f, c.data());
            for (int a = 0; a < 3; ++a) {
                box[a] = std::min(box[a], l[a]);
                box[3 + a] = std::max(box[3 + a], l[a]);
            }
        }
        return box;
    }

    void expect_box(const std::string& name, const Frame& f, std::array<double, 6> want) {
        auto got = marker_box(name, f);
        for (int i = 0; i < 6; ++i) EXPECT_NEAR(want[i], got[i], 0.00015) << name << " box value " << i;
    }

    // The WCS is back where the user had it.
    void expect_user_wcs() {
        Frame now = wcs_frame();
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(user_wcs_.origin[i], now.origin[i], 1e-9);
        for (int i = 0; i < 9; ++i) EXPECT_NEAR(user_wcs_.m[i], now.m[i], 1e-9);
    }

    Frame user_wcs_;
};

TEST_F(Refs, BlockAlignedToItsEcsGivesTheFacesAndMarksCornersAndEdges) {
    tag_t ecs = csys_named("e1_csys");
    ASSERT_EQ(0, build_dimension_references(ecs, "E1"));
    Frame f = frame_of(ecs);
    expect_box("E1", f, {-10, -5, 0, 10, 5, 5});
    // The corners in the documented order, each exactly on the block (its faces lie on NX's box).
    auto arcs = named("E1", UF_circle_type);
    ASSERT_EQ(8u, arcs.size());
    const double corners[8][3] = {{-10, -5, 0}, {10, -5, 0}, {10, 5, 0}, {-10, 5, 0},
                                  {-10, -5, 5}, {10, -5, 5}, {10, 5, 5}, {-10, 5, 5}};
    for (int i = 0; i < 8; ++i) {
        auto l = local(f, arc_centre(arcs[i]).data());
        for (int a = 0; a < 3; ++a) EXPECT_NEAR(corners[i][a], l[a], 1e-9) << "corner " << i;
        UF_CURVE_arc_t data{};
        ASSERT_EQ(0, UF_CURVE_ask_arc_data(arcs[i], &data));
        EXPECT_DOUBLE_EQ(KV_MARKER_RADIUS, data.radius);
        EXPECT_DOUBLE_EQ(0, data.start_angle);
        EXPECT_NEAR(TWOPI, data.end_angle, 1e-12);
        EXPECT_EQ(1, nxsim::live_obj(arcs[i])->blank);
    }
    // Edge i joins the corners of the edge table.
    const int from[12] = {0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 6, 7};
    const int to[12] = {1, 2, 3, 0, 4, 5, 6, 7, 5, 6, 7, 4};
    for (int i = 0; i < 12; ++i) {
        auto lines = named("E1" + std::to_string(i), UF_line_type);
        ASSERT_EQ(1u, lines.size()) << "line " << i;
        UF_CURVE_line_t line{};
        ASSERT_EQ(0, UF_CURVE_ask_line_data(lines[0], &line));
        auto a = local(f, line.start_point), b = local(f, line.end_point);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(corners[from[i]][k], a[k], 1e-9) << "line " << i;
            EXPECT_NEAR(corners[to[i]][k], b[k], 1e-9) << "line " << i;
        }
        EXPECT_EQ(1, nxsim::live_obj(lines[0])->blank);
    }
    // The origin marker sits on the ECS origin and stays visible.
    auto org = named("E1_ORG", UF_circle_type);
    ASSERT_EQ(1u, org.size());
    auto c = arc_centre(org[0]);
    EXPECT_NEAR(10, c[0], 1e-9);
    EXPECT_NEAR(5, c[1], 1e-9);
    EXPECT_NEAR(0, c[2], 1e-9);
    EXPECT_EQ(0, nxsim::live_obj(org[0])->blank);
    expect_user_wcs();
}

TEST_F(Refs, TurnedCurvedAndBsplineBodiesAreMeasuredToTheTolerance) {
    ASSERT_EQ(0, build_dimension_references(csys_named("E2_CSYS"), "E2"));
    expect_box("E2", frame_of(csys_named("E2_CSYS")), {-15, -10, 0, 15, 10, 20});
    ASSERT_EQ(0, build_dimension_references(csys_named("E7_CSYS"), "E7"));
    expect_box("E7", frame_of(csys_named("E7_CSYS")), {-20, -15, 0, 20, 15, 30});
    // Several bodies on the first layer: the box holds them all, the body on 106 is ignored.
    ASSERT_EQ(0, build_dimension_references(csys_named("e1_csys"), "E5"));
    expect_box("E5", frame_of(csys_named("e1_csys")), {90, -5, 0, 115, 5, 20});
    // One body of two lumps: the planes between them cut nothing, the box spans both.
    ASSERT_EQ(0, build_dimension_references(csys_named("e1_csys"), "E6"));
    expect_box("E6", frame_of(csys_named("e1_csys")), {-10, 55, 0, 30, 65, 10});
    expect_user_wcs();
}

TEST_F(Refs, WithoutEcsTheMarkerSitsAtTheWcsOriginAndTheBoxFollowsTheWcs) {
    ASSERT_EQ(0, build_dimension_references(NULL_TAG, "E3"));
    auto org = named("E3_ORG", UF_circle_type);
    ASSERT_EQ(1u, org.size());
    auto c = arc_centre(org[0]);
    EXPECT_NEAR(1, c[0], 1e-9);
    EXPECT_NEAR(2, c[1], 1e-9);
    EXPECT_NEAR(3, c[2], 1e-9);
    expect_box("E3", user_wcs_, {13, 36, -3, 23, 46, 7});
    expect_user_wcs();
}

TEST_F(Refs, RunningTwiceLeavesOneSetAndNamesAreExact) {
    tag_t ecs = csys_named("e1_csys");
    ASSERT_EQ(0, build_dimension_references(ecs, "E1"));
    ASSERT_EQ(0, build_dimension_references(ecs, "E1"));
    EXPECT_EQ(1u, named("E1_ORG", UF_circle_type).size());
    EXPECT_EQ(8u, named("E1", UF_circle_type).size());
    for (int i = 0; i < 12; ++i) EXPECT_EQ(1u, named("E1" + std::to_string(i), UF_line_type).size()) << i;
    // A line "E15" is only the edge step's business; the corner step leaves "E1_ORG" alone.
    double box[6] = {0, 0, 0, 1, 1, 1};
    create_corner_markers("E1", box);
    EXPECT_EQ(1u, named("E1_ORG", UF_circle_type).size());
    EXPECT_EQ(1u, named("E15", UF_line_type).size());
    EXPECT_EQ(0, delete_named_objects("E1", UF_line_type));
    EXPECT_EQ(1u, named("E15", UF_line_type).size());
}

TEST_F(Refs, NoBodyOnTheFirstLayerRemovesCornersAndEdgesButMakesTheOrigin) {
    ASSERT_EQ(0, build_dimension_references(NULL_TAG, "E8"));  // a category without layers
    EXPECT_EQ(1u, named("E8_ORG", UF_circle_type).size());
    // References an earlier run left under E5's names go, and none come back without bodies.
    ASSERT_EQ(0, build_dimension_references(NULL_TAG, "E5"));
    ASSERT_EQ(8u, named("E5", UF_circle_type).size());
    double zero[6] = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, create_corner_markers("E5", zero));
    EXPECT_EQ(0, create_edge_lines("E5", zero));
    EXPECT_TRUE(named("E5", UF_circle_type).empty());
    EXPECT_TRUE(named("E50", UF_line_type).empty());
    uf_list_p_t list = nullptr;
    ASSERT_EQ(0, UF_MODL_create_list(&list));
    double box[6] = {1, 1, 1, 1, 1, 1};
    EXPECT_EQ(0, measure_electrode_box(list, box));
    for (double v : box) EXPECT_EQ(0, v);
    UF_MODL_delete_list(&list);
}

TEST_F(Refs, FlatElectrodeGetsItsMarkersAndTheLinesNxCanMake) {
    ASSERT_EQ(0, build_dimension_references(csys_named("E4_CSYS"), "E4"));
    Frame f = frame_of(csys_named("E4_CSYS"));
    expect_box("E4", f, {0, 0, 0, 20, 10, 0.00001});
    EXPECT_EQ(8u, named("E4", UF_circle_type).size());
    // Top and bottom coincide to within the point test: the uprights are all but points.
    for (int i = 0; i < 12; ++i) {
        auto lines = named("E4" + std::to_string(i), UF_line_type);
        ASSERT_EQ(1u, lines.size()) << i;
        UF_CURVE_line_t l{};
        UF_CURVE_ask_line_data(lines[0], &l);
        double len = std::hypot(l.end_point[0] - l.start_point[0], l.end_point[1] - l.start_point[1],
                                l.end_point[2] - l.start_point[2]);
        if (i >= 4 && i <= 7) {
            EXPECT_LT(len, KV_POINT_BOX_TOLERANCE) << i;
        }
    }
    // A box that is a point in all three axes gets neither.
    double point[6] = {1, 1, 1, 1.000001, 1.000001, 1.000001};
    EXPECT_EQ(0, create_corner_markers("E4", point));
    EXPECT_EQ(0, create_edge_lines("E4", point));
    EXPECT_TRUE(named("E4", UF_circle_type).empty());
}

TEST_F(Refs, ExtentSearchesStayWithinTheirProbeBounds) {
    tag_t ecs = csys_named("E2_CSYS");
    Frame f = frame_of(ecs);
    double origin[3], matrix[9];
    ASSERT_EQ(0, ask_csys_frame(ecs, origin, matrix));
    ASSERT_EQ(0, restore_wcs(origin, matrix));
    tag_t body = NULL_TAG;
    UF_LAYER_cycle_by_layer(102, &body);
    double x[3], y[3], z[3];
    ASSERT_EQ(0, wcs_axes(x, y, z));
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(f.m[i], x[i]);
    // Lower X of the turned block (-15) from a loose bracket of 100.
    int before = nxsim::call_count("UF_MODL_create_fixed_dplane");
    double out = 0;
    EXPECT_EQ(0, find_lower_extent(body, x, 0, -60, 40, KV_PROBE_TOLERANCE, &out));
    int probes = nxsim::call_count("UF_MODL_create_fixed_dplane") - before;
    EXPECT_NEAR(-15, out, 0.00015);
    EXPECT_LE(probes, 11 + (int)std::ceil(std::log2(100 / KV_PROBE_TOLERANCE)));
    EXPECT_EQ(0, find_upper_extent(body, z, 2, 0, 50, KV_PROBE_TOLERANCE, &out));
    EXPECT_NEAR(20, out, 0.00015);
    // A bound that the plane already cuts is the extent itself.
    EXPECT_EQ(0, find_lower_extent(body, z, 2, 0, 50, KV_PROBE_TOLERANCE, &out));
    EXPECT_EQ(0, out);
    // No plane of the range cuts: the lower search gives the midpoint, the upper one hi.
    EXPECT_EQ(-1, find_lower_extent(body, z, 2, 30, 40, KV_PROBE_TOLERANCE, &out));
    EXPECT_EQ(35, out);
    EXPECT_EQ(-1, find_upper_extent(body, z, 2, 30, 40, KV_PROBE_TOLERANCE, &out));
    EXPECT_EQ(40, out);
    // Reversed, narrow and non-finite ranges end at once.
    before = nxsim::call_count("UF_MODL_create_fixed_dplane");
    EXPECT_EQ(-1, find_lower_extent(body, z, 2, 5, 1, KV_PROBE_TOLERANCE, &out));
    EXPECT_EQ(3, out);
    EXPECT_EQ(-1, find_upper_extent(body, z, 2, 5, 1, KV_PROBE_TOLERANCE, &out));
    EXPECT_EQ(1, out);
    EXPECT_EQ(0, find_lower_extent(body, z, 2, 2, 2.0001, KV_PROBE_TOLERANCE, &out));
    EXPECT_EQ(-1, find_upper_extent(body, z, 2, 0, INFINITY, KV_PROBE_TOLERANCE, &out));
    EXPECT_EQ(before, nxsim::call_count("UF_MODL_create_fixed_dplane"));
    // A plane NX does not make ends the search with the search's own bound.
    nxsim::fail("UF_MODL_create_fixed_dplane", nxsim::FaultMode::Once);
    EXPECT_EQ(-1, find_upper_extent(body, z, 2, 0, 50, KV_PROBE_TOLERANCE, &out));
    EXPECT_EQ(50, out);
    nxsim::fail("UF_MODL_create_fixed_dplane", nxsim::FaultMode::Once);
    EXPECT_EQ(-1, find_lower_extent(body, z, 2, -10, 50, KV_PROBE_TOLERANCE, &out));
    EXPECT_EQ(-10, out);
    EXPECT_EQ(-1, plane_cuts_body(body, z, 3, 0));
}

// NX's box need not hold the body: under the host's reading that gives a box inside it, the
// search walks out and finds the same extents.
TEST_F(Refs, BoxesInsideTheBodyAreWalkedOutOf) {
    nxsim::Readings readings;
    readings.box_inside = true;
    nxsim::set_readings(readings);
    ASSERT_EQ(0, build_dimension_references(csys_named("e1_csys"), "E1"));
    expect_box("E1", frame_of(csys_named("e1_csys")), {-10, -5, 0, 10, 5, 5});
    ASSERT_EQ(0, build_dimension_references(csys_named("E2_CSYS"), "E2"));
    expect_box("E2", frame_of(csys_named("E2_CSYS")), {-15, -10, 0, 15, 10, 20});
    ASSERT_EQ(0, build_dimension_references(csys_named("E7_CSYS"), "E7"));
    expect_box("E7", frame_of(csys_named("E7_CSYS")), {-20, -15, 0, 20, 15, 30});
    ASSERT_EQ(0, build_dimension_references(csys_named("e1_csys"), "E6"));
    expect_box("E6", frame_of(csys_named("e1_csys")), {-10, 55, 0, 30, 65, 10});
    // The flat plate's box is its middle plane; the walk still finds both faces.
    ASSERT_EQ(0, build_dimension_references(csys_named("E4_CSYS"), "E4"));
    EXPECT_EQ(8u, named("E4", UF_circle_type).size());
    expect_box("E4", frame_of(csys_named("E4_CSYS")), {0, 0, 0, 20, 10, 0.00001});
    expect_user_wcs();
}

TEST_F(Refs, ExtentSearchesFromABracketInsideTheBodyWalkOutward) {
    tag_t ecs = csys_named("E2_CSYS");
    double origin[3], matrix[9];
    ASSERT_EQ(0, ask_csys_frame(ecs, origin, matrix));
    ASSERT_EQ(0, restore_wcs(origin, matrix));
    tag_t body = NULL_TAG;
    UF_LAYER_cycle_by_layer(102, &body);
    double x[3], y[3], z[3];
    ASSERT_EQ(0, wcs_axes(x, y, z));
    // Z runs 0..20: a bracket of 5..10 lies inside at both ends.
    double out = 0;
    EXPECT_EQ(0, find_lower_extent(body, z, 2, 5, 10, KV_PROBE_TOLERANCE, &out));
    EXPECT_NEAR(0, out, KV_PROBE_TOLERANCE);
    EXPECT_EQ(0, find_upper_extent(body, z, 2, 5, 10, KV_PROBE_TOLERANCE, &out));
    EXPECT_NEAR(20, out, KV_PROBE_TOLERANCE);
    // Just inside by less than the tolerance: one step out, and the bracket's end stands.
    int before = nxsim::call_count("UF_MODL_create_fixed_dplane");
    EXPECT_EQ(0, find_upper_extent(body, z, 2, 5, 20 - KV_PROBE_TOLERANCE / 2, KV_PROBE_TOLERANCE, &out));
    EXPECT_EQ(20 - KV_PROBE_TOLERANCE / 2, out);
    EXPECT_EQ(2, nxsim::call_count("UF_MODL_create_fixed_dplane") - before);
    // A plane NX does not make on the way out ends the search at the last point inside.
    nxsim::fail("UF_MODL_create_fixed_dplane", nxsim::FaultMode::Nth, 3);
    EXPECT_EQ(-1, find_lower_extent(body, z, 2, 5, 10, KV_PROBE_TOLERANCE, &out));
    EXPECT_NEAR(5 - KV_PROBE_TOLERANCE, out, 1e-12);
}

TEST_F(Refs, ArcsAndPointsInACoordinateSystem) {
    const double angles[2] = {0, 360}, centre[3] = {1, 0, 0}, origin[3] = {1, 2, 3};
    const double turned[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    tag_t arc = 77;
    int calls = (int)nxsim::call_log().size();
    EXPECT_EQ(-1, create_arc_in_csys(angles, centre, 0, origin, turned, &arc));
    EXPECT_EQ(NULL_TAG, arc);
    EXPECT_EQ(-1, create_arc_in_csys(nullptr, centre, 1, origin, turned, &arc));
    EXPECT_EQ(-1, create_arc_in_csys(angles, nullptr, 1, origin, turned, &arc));
    EXPECT_EQ(-1, create_arc_in_csys(angles, centre, 1, origin, turned, nullptr));
    EXPECT_EQ(calls, (int)nxsim::call_log().size());  // no NX call for any of these
    ASSERT_EQ(0, create_arc_in_csys(angles, centre, 2, origin, turned, &arc));
    auto c = arc_centre(arc);  // (1, 2, 3) plus the system's X axis (0, 1, 0)
    EXPECT_NEAR(1, c[0], 1e-12);
    EXPECT_NEAR(3, c[1], 1e-12);
    EXPECT_NEAR(3, c[2], 1e-12);
    double p[3] = {0, 1, 0};
    ASSERT_EQ(0, csys_point_to_absolute(origin, turned, p));
    EXPECT_NEAR(0, p[0], 1e-12);  // (1, 2, 3) plus the system's Y axis (-1, 0, 0)
    EXPECT_NEAR(2, p[1], 1e-12);
    EXPECT_EQ(-1, csys_point_to_absolute(origin, nullptr, p));
    const double flat[9] = {1, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(-1, csys_point_to_absolute(origin, flat, p));
    EXPECT_NEAR(0, p[0], 1e-12);  // unchanged
}

// Only E2 (a turned block with a cylinder boss and its ECS): small enough to build many times.
std::string small_part() {
    return R"({ "format": "nxsim-part", "version": 1,
  "wcs": { "origin": [1, 2, 3], "matrix": [0, 1, 0, -1, 0, 0, 0, 0, 1] },
  "objects": [
  { "id": 1, "type": "category", "name": "E2", "layers": [102] },
  { "id": 2, "type": "solid", "layer": 102, "shape": {
      "place": { "origin": [50, 0, 0], "x": [0.86602540378443865, 0.5, 0], "y": [-0.5, 0.86602540378443865, 0] },
      "shape": { "union": [ { "box": { "origin": [-15, -10, 0], "size": [30, 20, 8] } },
                            { "cylinder": { "origin": [0, 0, 8], "radius": 6, "height": 12 } } ] } } },
  { "id": 3, "type": "csys", "name": "E2_CSYS", "layer": 102, "origin": [50, 0, 0],
    "matrix": [0.86602540378443865, 0.5, 0, -0.5, 0.86602540378443865, 0, 0, 0, 1] } ] })";
}

class RefsFaults : public SettingsHost {
protected:
    // A fresh session holding references of an earlier run, so that the run under test also
    // deletes objects.
    void fresh() {
        while (nxsim::init_depth() > 0) UF_terminate();
        nxsim::reset();
        nxsim::set_env("KELVORA_PATH", tool_);
        ASSERT_EQ(0, UF_initialize());
        open_part("small.prt", small_part());
        ASSERT_EQ(0, build_dimension_references(csys_named("E2_CSYS"), "E2"));
    }
};

// Whichever single call fails, on its first, second or last use, NX is left as the user had it:
// the WCS, the display on, no undo mark, no probe plane, nothing handed out unreleased.
TEST_F(RefsFaults, AnySingleFailingCallLeavesNxAsTheUserHadIt) {
    config(kRefsConfig);
    fresh();
    size_t from = nxsim::call_log().size();
    build_dimension_references(csys_named("E2_CSYS"), "E2");
    std::map<std::string, int> calls;
    for (size_t i = from; i < nxsim::call_log().size(); ++i) ++calls[nxsim::call_log()[i]];
    ASSERT_GT(calls["UF_MODL_create_fixed_dplane"], 20);
    for (auto& kv : calls) {
        // Calls without a result cannot fail.
        bool void_call = (kv.first.rfind("UF_MTX", 0) == 0 && kv.first != "UF_MTX4_invert") ||
                         kv.first.rfind("UF_VEC", 0) == 0 || kv.first == "UF_free";
        if (void_call) continue;
        std::set<int> nth = {1, 2, kv.second};
        for (int n : nth) {
            if (n > kv.second) continue;
            SCOPED_TRACE(kv.first + " failing on use " + std::to_string(n));
            fresh();
            Frame before = wcs_frame();
            nxsim::fail(kv.first, nxsim::FaultMode::Nth, n);
            build_dimension_references(csys_named("E2_CSYS"), "E2");
            nxsim::clear_faults();
            Frame after = wcs_frame();
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(before.origin[i], after.origin[i], 1e-9);
            for (int i = 0; i < 9; ++i) EXPECT_NEAR(before.m[i], after.m[i], 1e-9);
            EXPECT_EQ(1, nxsim::S().display);
            EXPECT_TRUE(nxsim::S().undo_marks.empty());
            EXPECT_EQ(0, live_count_of_type(nxsim::T_DPLANE));
            EXPECT_TRUE(nxsim::leaks().empty()) << nxsim::leaks().front();
            EXPECT_TRUE(nxsim::errors().empty()) << nxsim::errors().front();
        }
    }
}

}  // namespace
