// Ordinate dimensions of an electrode drawing: where the origin lies decides which corner
// markers are dimensioned; margins lie along the extreme edge lines of each view.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "drawing/dimension_refs.h"
#include "drawing/ordinate_dims.h"
#include "sheet_fixture.h"

namespace {

using namespace kv_test;

// The reference objects of electrode `name` for the box lo..hi: eight blanked corner markers,
// the origin marker at origin (none for null), the twelve blanked edge lines (but skip_line).
std::string refs(const std::string& name, const double lo[3], const double hi[3], const double* origin,
                 int skip_line = -1, const std::string& arc_name = "") {
    std::ostringstream o;
    o << R"({ "id": 200, "type": "matrix", "values": [1,0,0, 0,1,0, 0,0,1] })";
    auto arc = [&](int id, const std::string& n, double x, double y, double z, bool blank) {
        o << R"(, { "id": )" << id << R"(, "type": "arc", "name": ")" << n << R"(", "layer": 101, "matrix": 200, "center": [)"
          << x << "," << y << "," << z << R"(], "radius": 0.001, "start_angle": 0, "end_angle": 6.283185307179586)"
          << (blank ? R"(, "blank": true)" : "") << " }";
    };
    const double c[8][3] = {{lo[0], lo[1], lo[2]}, {hi[0], lo[1], lo[2]}, {hi[0], hi[1], lo[2]}, {lo[0], hi[1], lo[2]},
                            {lo[0], lo[1], hi[2]}, {hi[0], lo[1], hi[2]}, {hi[0], hi[1], hi[2]}, {lo[0], hi[1], hi[2]}};
    for (int i = 0; i < 8; ++i) arc(201 + i, arc_name.empty() ? name : arc_name, c[i][0], c[i][1], c[i][2], true);
    if (origin) arc(210, (arc_name.empty() ? name : arc_name) + "_ORG", origin[0], origin[1], origin[2], false);
    const int edge[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {1, 5}, {2, 6}, {3, 7}, {4, 5}, {5, 6}, {6, 7}, {7, 4}};
    for (int i = 0; i < 12; ++i) {
        if (i == skip_line) continue;
        const double* a = c[edge[i][0]];
        const double* b = c[edge[i][1]];
        o << R"(, { "id": )" << 220 + i << R"(, "type": "line", "name": ")" << name << i << R"(", "layer": 101, "blank": true, "start": [)"
          << a[0] << "," << a[1] << "," << a[2] << R"(], "end": [)" << b[0] << "," << b[1] << "," << b[2] << "] }";
    }
    return o.str();
}

class Ordinate : public SheetHost {
protected:
    void SetUp() override {
        SheetHost::SetUp();
        config("ELECTRODE_PREFIX_NAME=E\n");
    }
    // The part, a drawing with the top view at (100, 100) and the front view above it at
    // (100, 200), both at scale 1.
    void open(const double lo[3], const double hi[3], const double* origin, int skip_line = -1,
              const std::string& arc_name = "") {
        Block b{"E1", 101, {lo[0], lo[1], lo[2]}, {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]}};
        open_part("M1/core.prt", block_part({b}, refs("E1", lo, hi, origin, skip_line, arc_name)));
        drawing_ = open_new_drawing("E1");
        top_ = import_at(drawing_, "E1_TOP", 100, 100);
        double at[2] = {100, 200};
        ASSERT_EQ(0, UF_DRAW_add_orthographic_view(drawing_, top_, UF_DRAW_project_infer, at, &front_));
    }
    tag_t line(int index) { return work().by_type[UF_line_type].at(index); }
    uf_list_p_t edge_lines() {
        uf_list_p_t l = nullptr;
        UF_MODL_create_list(&l);
        find_edge_lines("E1", l);
        return l;
    }
    tag_t drawing_ = NULL_TAG, top_ = NULL_TAG, front_ = NULL_TAG;
};

const double kLo[3] = {0, 0, 0}, kHi[3] = {40, 30, 10};

TEST_F(Ordinate, OriginAtTheCentreGivesSixDimensionsInTheFirstView) {
    const double lo[3] = {-20, -15, 0}, hi[3] = {20, 15, 10}, origin[3] = {0, 0, 0};
    open(lo, hi, origin);
    dimension_electrode_views("E1", top_, front_);
    // The origin, the lower edge 15 below and the upper edge 15 above on the left margin; the
    // origin and the left and right edges 20 away on the bottom margin.
    EXPECT_EQ("V0 H0 V-15 H-20 V15 H20", dims_text(top_));
    EXPECT_EQ("H0 H-20 H20", dims_text(front_));
    // Texts go 10 beyond their points; the points are the markers' centres on the sheet.
    for (auto& kv : nxsim::S().ordinates) {
        const nxsim::Ordinate& d = kv.second;
        if (d.kind != nxsim::Ordinate::Dimension || d.view != top_) continue;
        if (d.dim_type == 2) {
            EXPECT_DOUBLE_EQ(d.point[0] - 10, d.text_origin[0]);
        }
        if (d.dim_type == 1) {
            EXPECT_DOUBLE_EQ(d.point[1] - 10, d.text_origin[1]);
        }
    }
    // Named "ORD ORG", one per view.
    int origins = 0;
    for (auto& kv : nxsim::S().ordinates)
        if (kv.second.kind == nxsim::Ordinate::Origin) {
            ++origins;
            EXPECT_EQ("ORD ORG", nxsim::obj(kv.first)->name);
        }
    EXPECT_EQ(2, origins);
}

// One electrode's dimensioning reads each marker's centre once and maps it and each edge line's
// ends once per view, into arrays of its own rather than NX's lists.
TEST_F(Ordinate, EachMarkerAndEdgeLineIsMappedOncePerView) {
    const double lo[3] = {-20, -15, 0}, hi[3] = {20, 15, 10}, origin[3] = {0, 0, 0};
    open(lo, hi, origin);
    int maps = nxsim::call_count("UF_VIEW_map_model_to_drawing");
    int arcs = nxsim::call_count("UF_CURVE_ask_arc_data");
    int lists = nxsim::call_count("UF_MODL_create_list");
    dimension_electrode_views("E1", top_, front_);
    EXPECT_EQ(2 * (8 + 1 + 2 * 12), nxsim::call_count("UF_VIEW_map_model_to_drawing") - maps);
    EXPECT_EQ(8 + 2, nxsim::call_count("UF_CURVE_ask_arc_data") - arcs);  // the origin's once per view
    EXPECT_EQ(lists, nxsim::call_count("UF_MODL_create_list"));
    EXPECT_EQ("V0 H0 V-15 H-20 V15 H20", dims_text(top_));
}

TEST_F(Ordinate, OriginAtTheLowerLeftCornerIsNotDimensionedTwice) {
    const double origin[3] = {0, 0, 0};
    open(kLo, kHi, origin);
    dimension_electrode_views("E1", top_, front_);
    EXPECT_EQ("V0 H0 V30 H40", dims_text(top_));
    EXPECT_EQ("H0 H40", dims_text(front_));
}

TEST_F(Ordinate, OriginOnAnEdgeGivesTheLowerLeftMarkerOneDimension) {
    const double left[3] = {0, 10, 0};
    open(kLo, kHi, left);
    dimension_electrode_views("E1", top_, front_);
    EXPECT_EQ("V0 H0 V-10 V20 H40", dims_text(top_));
    EXPECT_EQ("H0 H40", dims_text(front_));
}

TEST_F(Ordinate, OriginOnTheBottomEdgeGivesTheLowerLeftMarkerAHorizontalDimension) {
    const double bottom[3] = {15, 0, 0};
    open(kLo, kHi, bottom);
    dimension_electrode_views("E1", top_, front_);
    EXPECT_EQ("V0 H0 H-15 V30 H25", dims_text(top_));
    EXPECT_EQ("H0 H-15 H25", dims_text(front_));
}

TEST_F(Ordinate, WithoutAnOriginMarkerTheLowerLeftCornerIsTheOrigin) {
    open(kLo, kHi, nullptr);
    dimension_electrode_views("E1", top_, front_);
    EXPECT_EQ("V0 H0 V30 H40", dims_text(top_));
    EXPECT_EQ("H0 H40", dims_text(front_));
}

TEST_F(Ordinate, NoMarkersAtAllMakeNothing) {
    open_part("M1/core.prt", block_part({{"E1", 101, {0, 0, 0}, {4, 3, 1}}}));
    drawing_ = open_new_drawing("E1");
    top_ = import_at(drawing_, "E1_TOP", 100, 100);
    dimension_electrode_views("E1", top_, NULL_TAG);
    EXPECT_TRUE(nxsim::S().ordinates.empty());
    EXPECT_EQ(0, nxsim::call_count("UF_DRF_create_orddimension"));
}

TEST_F(Ordinate, MarginsLieOutsideTheExtremeEdgeLinesSeenSideOn) {
    const double origin[3] = {10, 10, 0};
    open(kLo, kHi, origin);
    uf_list_p_t lines = edge_lines();
    // Top view: uprights 4 to 7 are seen end-on; of two lines at one place the first counts.
    EXPECT_EQ(line(3), extreme_edge_line(top_, lines, KV_SIDE_LEFT));
    EXPECT_EQ(line(2), extreme_edge_line(top_, lines, KV_SIDE_TOP));
    EXPECT_EQ(line(1), extreme_edge_line(top_, lines, KV_SIDE_RIGHT));
    EXPECT_EQ(line(0), extreme_edge_line(top_, lines, KV_SIDE_BOTTOM));
    // Front view: the edges along Y are end-on, the uprights bound left and right.
    EXPECT_EQ(line(4), extreme_edge_line(front_, lines, KV_SIDE_LEFT));
    EXPECT_EQ(line(8), extreme_edge_line(front_, lines, KV_SIDE_TOP));
    EXPECT_EQ(line(5), extreme_edge_line(front_, lines, KV_SIDE_RIGHT));
    EXPECT_EQ(line(0), extreme_edge_line(front_, lines, KV_SIDE_BOTTOM));

    tag_t origin_tag = NULL_TAG, margins[4];
    tag_t arc = work().by_type[UF_circle_type].back();
    ASSERT_EQ(0, create_ordinate_origin(top_, arc, &origin_tag));
    create_view_margins(top_, origin_tag, lines, margins);
    // The top view's box is 80..120 x 85..115 on the sheet.
    const double want[4] = {75, 120, 125, 80};
    for (int side = 0; side < 4; ++side) {
        const nxsim::Ordinate* m = nxsim::live_ordinate(margins[side], nxsim::Ordinate::Margin);
        ASSERT_NE(nullptr, m) << side;
        EXPECT_DOUBLE_EQ(want[side], m->position) << side;
        EXPECT_EQ(side == KV_SIDE_LEFT || side == KV_SIDE_RIGHT ? 2 : 1, m->margin_type);
    }
    tag_t none = NULL_TAG;
    EXPECT_EQ(-1, create_margin(top_, NULL_TAG, line(0), KV_SIDE_BOTTOM, &none));
    EXPECT_EQ(-1, create_ordinate_origin(top_, NULL_TAG, &none));
    EXPECT_EQ(NULL_TAG, none);
    UF_MODL_delete_list(&lines);
}

TEST_F(Ordinate, AMissingEdgeLineLeavesTheOthersTheirRoles) {
    const double origin[3] = {10, 10, 0};
    open(kLo, kHi, origin, 0);
    uf_list_p_t lines = edge_lines();
    int count = 0;
    UF_MODL_ask_list_count(lines, &count);
    EXPECT_EQ(11, count);
    // Line "E18" (along X at y_min, on top) now bounds the bottom; the right stays "E11".
    tag_t bottom = extreme_edge_line(top_, lines, KV_SIDE_BOTTOM);
    EXPECT_EQ("E18", nxsim::obj(bottom)->name);
    EXPECT_EQ("E11", nxsim::obj(extreme_edge_line(top_, lines, KV_SIDE_RIGHT))->name);
    UF_MODL_delete_list(&lines);
}

TEST_F(Ordinate, MarkersAreFoundWhateverTheirCaseEdgeLinesOnlyByExactName) {
    const double origin[3] = {10, 10, 0};
    open(kLo, kHi, origin, -1, "e1");
    uf_list_p_t arcs = nullptr;
    UF_MODL_create_list(&arcs);
    tag_t origin_arc = NULL_TAG;
    EXPECT_EQ(8, find_marker_arcs("E1", arcs, &origin_arc));
    EXPECT_EQ("e1_ORG", nxsim::obj(origin_arc)->name);
    // Two markers at one corner of the view: the first in list order.
    tag_t marker = NULL_TAG;
    double at[2];
    corner_marker(top_, arcs, KV_CORNER_UPPER_RIGHT, &marker, at);
    EXPECT_EQ(work().by_type[UF_circle_type].at(2), marker);
    EXPECT_DOUBLE_EQ(120, at[0]);
    EXPECT_DOUBLE_EQ(115, at[1]);
    UF_MODL_delete_list(&arcs);

    uf_list_p_t none = nullptr;
    UF_MODL_create_list(&none);
    EXPECT_EQ(0, find_edge_lines("e1", none));
    corner_marker(top_, none, KV_CORNER_LOWER_LEFT, &marker, at);
    EXPECT_EQ(NULL_TAG, marker);
    EXPECT_EQ(0.0, at[0]);
    UF_MODL_delete_list(&none);
}

// The markers of one electrode as find_marker_arcs answers: the arcs in list order, then the
// origin marker (0 when none).
std::vector<tag_t> markers(const char* name) {
    uf_list_p_t arcs = nullptr;
    UF_MODL_create_list(&arcs);
    tag_t origin = NULL_TAG;
    int found = find_marker_arcs(name, arcs, &origin);
    std::vector<tag_t> out;
    for (int i = 0; i < found; ++i) {
        tag_t t = NULL_TAG;
        UF_MODL_ask_list_item(arcs, i, &t);
        out.push_back(t);
    }
    out.push_back(origin);
    UF_MODL_delete_list(&arcs);
    return out;
}

TEST_F(Ordinate, AMarkerBatchFindsWhatAReadingOfEveryArcFinds) {
    const double origin[3] = {10, 10, 0};
    open(kLo, kHi, origin, -1, "e1");
    const std::vector<tag_t> plain = markers("E1");
    ASSERT_EQ(9u, plain.size());  // eight corners and the origin
    begin_marker_batch();
    EXPECT_EQ(plain, markers("E1"));
    EXPECT_EQ(plain, markers("e1"));
    EXPECT_EQ(std::vector<tag_t>{NULL_TAG}, markers("E2"));

    // Arcs made and deleted after the batch's first reading count as they would without it.
    double angles[2] = {0, 360}, centre[3] = {1, 2, 3}, matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1},
           zero[3] = {0, 0, 0};
    tag_t later = NULL_TAG, later_origin = NULL_TAG;
    ASSERT_EQ(0, create_arc_in_csys(angles, centre, 0.001, zero, matrix, &later));
    ASSERT_EQ(0, UF_OBJ_set_name(later, "E1"));
    ASSERT_EQ(0, create_arc_in_csys(angles, centre, 0.001, zero, matrix, &later_origin));
    ASSERT_EQ(0, UF_OBJ_set_name(later_origin, "e1_org"));
    int* statuses = nullptr;
    tag_t first = plain[0];
    ASSERT_EQ(0, UF_OBJ_delete_array_of_objects(1, &first, &statuses));
    UF_free(statuses);
    std::vector<tag_t> expected(plain.begin() + 1, plain.end() - 1);
    expected.push_back(later);
    expected.push_back(later_origin);
    EXPECT_EQ(expected, markers("E1"));
    end_marker_batch();
    EXPECT_EQ(expected, markers("E1"));

    // A reading that fails leaves the batch reading every arc per call: nothing is lost.
    begin_marker_batch();
    nxsim::fail("UF_OBJ_ask_name", nxsim::FaultMode::Once);
    EXPECT_EQ(expected, markers("E1"));
    EXPECT_EQ(expected, markers("E1"));
    end_marker_batch();
    begin_marker_batch();
    nxsim::fail("UF_OBJ_cycle_objs_in_part", nxsim::FaultMode::Once);
    EXPECT_EQ(expected, markers("E1"));
    end_marker_batch();
    end_marker_batch();  // a second end releases nothing twice
}

// Enough arcs of many names, made in no order, that the batch sorts its reading more than once:
// each name still gives its arcs in NX's order, as a reading of every arc does.
TEST_F(Ordinate, AMarkerBatchSortsManyNamesAndKeepsEachNamesOrder) {
    const double origin[3] = {10, 10, 0};
    open(kLo, kHi, origin, -1, "e1");
    double angles[2] = {0, 360}, matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}, zero[3] = {0, 0, 0};
    auto make = [&](int k) {
        double centre[3] = {double(k), 0, 0};
        tag_t arc = NULL_TAG;
        ASSERT_EQ(0, create_arc_in_csys(angles, centre, 0.001, zero, matrix, &arc));
        std::string name = "M" + std::to_string((k * 7) % 13);  // names out of order, each many times
        ASSERT_EQ(0, UF_OBJ_set_name(arc, name.c_str()));
    };
    auto all = [&] {
        std::vector<std::vector<tag_t>> found;
        for (int n = 0; n < 13; ++n) found.push_back(markers(("M" + std::to_string(n)).c_str()));
        return found;
    };
    for (int k = 0; k < 80; ++k) make(k);
    const std::vector<std::vector<tag_t>> before = all();
    EXPECT_EQ(8u, before[0].size());  // seven arcs named M0, then the (missing) origin
    begin_marker_batch();
    EXPECT_EQ(before, all());
    for (int k = 80; k < 130; ++k) make(k);  // more than the batch searches unsorted
    const std::vector<std::vector<tag_t>> in_batch = all();
    end_marker_batch();
    EXPECT_EQ(all(), in_batch);
}

}  // namespace
