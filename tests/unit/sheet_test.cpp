// The electrode drawing sheet: size, template, view placement and scales, view layers and the
// failures that leave a sheet without some of its objects.
#include <gtest/gtest.h>

#include "drawing/electrode_drawing.h"
#include "sheet_fixture.h"

namespace {

using namespace kv_test;

const char kBoxes[] =
    "ELECTRODE_PREFIX_NAME=E\n"
    "ELECTRODE_START_LAYER=101\n"
    "ELECTRODE_END_LAYER=200\n"
    "ELECTRODE_FIRST_VIEW_X_POSI=70\nELECTRODE_FIRST_VIEW_Y_POSI=135\n"
    "ELECTRODE_FIRST_VIEW_X_SIZE=80\nELECTRODE_FIRST_VIEW_Y_SIZE=80\n"
    "ELECTRODE_SECOND_VIEW_X_POSI=70\nELECTRODE_SECOND_VIEW_Y_POSI=230\n"
    "ELECTRODE_THIRD_VIEW_X_POSI=160\nELECTRODE_THIRD_VIEW_Y_POSI=185\n"
    "ELECTRODE_THIRD_VIEW_X_SIZE=70\nELECTRODE_THIRD_VIEW_Y_SIZE=70\n";

class Sheet : public SheetHost {
protected:
    void SetUp() override {
        SheetHost::SetUp();
        config(kBoxes);
    }
    // Two electrodes side by side: E1 100 x 50 x 10 and E2 20 x 10 x 5.
    void open_two() {
        open_part("M1/core.prt", block_part({{"E1", 101, {0, 0, 0}, {100, 50, 10}}, {"E2", 102, {200, 0, 0}, {20, 10, 5}}}));
    }
    double scale(tag_t view) { return mv(view).scale; }
};

// Whether NX's update centres a view on its reference point, and the margin of its borders, are
// undocumented: the sheet tests run under both of the host's readings.
class SheetReadings : public Sheet, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        Sheet::SetUp();
        nxsim::Readings readings;
        readings.view_keeps_anchor = GetParam();
        nxsim::set_readings(readings);
    }
    // The view's extent lies within the box of that size centred on position.
    static void expect_in_box(tag_t view, double x, double y, double w, double h) {
        auto b = borders(view);
        EXPECT_NEAR(x, (b[0] + b[2]) / 2, 1e-9);
        EXPECT_NEAR(y, (b[1] + b[3]) / 2, 1e-9);
        EXPECT_LE(b[2] - b[0], w + 1e-9);
        EXPECT_LE(b[3] - b[1], h + 1e-9);
    }
    static bool overlap(tag_t a, tag_t b) {
        auto p = borders(a), q = borders(b);
        return p[0] < q[2] && q[0] < p[2] && p[1] < q[3] && q[1] < p[3];
    }
};
INSTANTIATE_TEST_SUITE_P(UpdateCentresOrKeepsAnchor, SheetReadings, ::testing::Bool());

TEST_P(SheetReadings, ViewsFillTheirBoxesAndShareOneScale) {
    open_two();
    ASSERT_EQ(0, make_electrode_drawing("E1", data_for("E1")));
    ASSERT_EQ(0, make_electrode_drawing("E2", data_for("E2")));
    // Each view shows its electrode only: 100 x 50 fills 80 x 80 at 0.8, 20 x 10 at 4. The front
    // view above it keeps that scale while it fits the same box.
    std::vector<tag_t> v1 = views_of(drawing_named("E1")), v2 = views_of(drawing_named("E2"));
    ASSERT_EQ(3u, v1.size());
    ASSERT_EQ(3u, v2.size());
    EXPECT_DOUBLE_EQ(0.8, scale(v1[0]));
    EXPECT_DOUBLE_EQ(0.8, scale(v1[1]));
    EXPECT_DOUBLE_EQ(4.0, scale(v2[0]));
    EXPECT_DOUBLE_EQ(4.0, scale(v2[1]));
    auto b = borders(v1[0]);
    EXPECT_NEAR(30, b[0], 1e-9);
    EXPECT_NEAR(115, b[1], 1e-9);
    EXPECT_NEAR(110, b[2], 1e-9);
    EXPECT_NEAR(155, b[3], 1e-9);
    // First angle: the view above the top view is the front view, centred on its position.
    b = borders(v1[1]);
    EXPECT_NEAR(30, b[0], 1e-9);
    EXPECT_NEAR(226, b[1], 1e-9);
    EXPECT_NEAR(234, b[3], 1e-9);
    EXPECT_EQ(drawing_named("E2"), [] { tag_t d = NULL_TAG; UF_DRAW_ask_current_drawing(&d); return d; }());
}

TEST_P(SheetReadings, AProjectedViewTooWideShrinksBothViews) {
    // The first line of a key counts: the view goes to the right of view 1.
    config("ELECTRODE_SECOND_VIEW_X_POSI=170\nELECTRODE_SECOND_VIEW_Y_POSI=135\n" + std::string(kBoxes));
    // Top view 40 x 20 fits at 2; the side view to its right shows the depth, 50, as 100 wide.
    open_part("M1/core.prt", block_part({{"E1", 101, {0, 0, 0}, {40, 20, 50}}}));
    ASSERT_EQ(0, make_electrode_drawing("E1", data_for("E1")));
    std::vector<tag_t> v = views_of(drawing_named("E1"));
    ASSERT_EQ(3u, v.size());
    EXPECT_DOUBLE_EQ(1.6, scale(v[0]));
    EXPECT_DOUBLE_EQ(1.6, scale(v[1]));
    auto b = borders(v[1]);
    EXPECT_NEAR(80, b[2] - b[0], 1e-9);
    EXPECT_NEAR(135, (b[1] + b[3]) / 2, 1e-9);
}

// Each view lies in the middle of its box, within it, and no two overlap, whether or not NX's
// update moves a view and whatever margin its borders carry.
TEST_P(SheetReadings, ViewsLieInTheirBoxesWithoutOverlapping) {
    open_two();
    ASSERT_EQ(0, make_electrode_drawing("E2", data_for("E2")));
    std::vector<tag_t> v = views_of(drawing_named("E2"));
    ASSERT_EQ(3u, v.size());
    expect_in_box(v[0], 70, 135, 80, 80);
    expect_in_box(v[1], 70, 230, 80, 80);
    expect_in_box(v[2], 160, 185, 70, 70);
    EXPECT_FALSE(overlap(v[0], v[1]));
    EXPECT_FALSE(overlap(v[0], v[2]));
    EXPECT_FALSE(overlap(v[1], v[2]));
    // The top view's model corner lies where the default reading puts it: the same sheet.
    double corner[3] = {200, 0, 5}, at[2];
    ASSERT_EQ(0, UF_VIEW_map_model_to_drawing(v[0], corner, at));
    EXPECT_NEAR(30, at[0], 1e-9);
    EXPECT_NEAR(115, at[1], 1e-9);
}

// The size of what a view shows is its borders without the margin NX may add, at its own scale,
// which it keeps.
TEST_P(SheetReadings, AViewsSizeLeavesOutTheMarginOfItsBorders) {
    open_two();
    tag_t d = open_new_drawing("SIZE");
    tag_t top = import_at(d, "E2_TOP", 100, 100);
    set_view_layers(top, "E2");
    ASSERT_EQ(0, UF_DRAW_set_view_scale(top, 3));
    UF_DRAW_update_one_view(d, top);
    double w = 0, h = 0;
    EXPECT_EQ(0, view_size(d, top, &w, &h));
    EXPECT_NEAR(60, w, 1e-9);
    EXPECT_NEAR(30, h, 1e-9);
    EXPECT_DOUBLE_EQ(3, scale(top));
    // Centred at a point, the view's extent is in the middle there, wherever NX's update leaves it.
    const double at[2] = {50, 60};
    double ref[2] = {0, 0};
    EXPECT_EQ(0, centre_view_at(d, top, at, ref));
    auto b = borders(top);
    EXPECT_NEAR(50, (b[0] + b[2]) / 2, 1e-9);
    EXPECT_NEAR(60, (b[1] + b[3]) / 2, 1e-9);
    EXPECT_DOUBLE_EQ(mv(top).ref[0], ref[0]);
    // Borders NX cannot give: no size, and nothing to centre.
    nxsim::fail("UF_DRAW_ask_view_borders", nxsim::FaultMode::Always);
    EXPECT_EQ(-1, view_size(d, top, &w, &h));
    EXPECT_EQ(0, w);
    EXPECT_EQ(-1, centre_view_at(d, top, at, ref));
    nxsim::clear_faults();
    // A second asking NX refuses leaves the borders as NX gave them, and the scale as it was.
    nxsim::fail("UF_DRAW_set_view_scale", nxsim::FaultMode::Once);
    EXPECT_EQ(0, view_size(d, top, &w, &h));
    EXPECT_NEAR(GetParam() ? 70 : 60, w, 1e-9);
    EXPECT_DOUBLE_EQ(3, scale(top));
}

TEST_F(Sheet, IsometricViewIsOnlyEverShrunkAndShowsHiddenLines) {
    open_part("M1/core.prt", block_part({{"E1", 101, {0, 0, 0}, {120, 60, 5}}, {"E2", 102, {0, 100, 0}, {120, 110, 5}},
                                         {"E3", 103, {300, 0, 0}, {10, 10, 10}}}));
    tag_t d = open_new_drawing("ISO");
    const double box[2] = {100, 100};
    double r = 0;
    tag_t wide = import_at(d, "E1_TOP", 100, 100), big = import_at(d, "E2_TOP", 100, 100);
    set_view_layers(wide, "E1");
    set_view_layers(big, "E2");
    UF_DRAW_update_one_view(d, wide);
    UF_DRAW_update_one_view(d, big);
    EXPECT_EQ(0, shrink_ratio(d, wide, box, &r));
    EXPECT_DOUBLE_EQ(1.0, r);  // too large in width only
    EXPECT_EQ(0, shrink_ratio(d, big, box, &r));
    EXPECT_DOUBLE_EQ(100.0 / 120.0, r);
    EXPECT_EQ(0, box_ratio(d, wide, box, &r));
    EXPECT_DOUBLE_EQ(100.0 / 120.0, r);

    ASSERT_EQ(0, make_electrode_drawing("E3", data_for("E3")));
    std::vector<tag_t> v = views_of(drawing_named("E3"));
    ASSERT_EQ(3u, v.size());
    EXPECT_DOUBLE_EQ(1.0, scale(v[2]));  // a small isometric view is not enlarged
    EXPECT_EQ(UF_OBJ_FONT_DASHED, mv(v[2]).prefs.hidden_line_font);
    EXPECT_EQ(0, set_view_display(v[2], 0));
    EXPECT_EQ(UF_OBJ_FONT_INVISIBLE, mv(v[2]).prefs.hidden_line_font);
}

TEST_F(Sheet, SheetSizeComesFromTheSettingsOrIsA4Portrait) {
    open_two();
    struct Case {
        const char* sizes;
        double length, height;
    } cases[] = {{"", 210, 297},
                 {"ELECTRODE_SHEET_X_SIZE=0\nELECTRODE_SHEET_Y_SIZE=-5\n", 210, 297},
                 {"ELECTRODE_SHEET_X_SIZE=420\nELECTRODE_SHEET_Y_SIZE=297\n", 420, 297}};
    for (const Case& c : cases) {
        config(std::string(kBoxes) + c.sizes);
        make_electrode_drawing("E1", data_for("E1"));
        tag_t d = drawing_named("E1");
        ASSERT_NE(NULL_TAG, d);
        const nxsim::Sheet& sh = nxsim::sheet_of(d);
        EXPECT_DOUBLE_EQ(c.length, sh.length) << c.sizes;
        EXPECT_DOUBLE_EQ(c.height, sh.height) << c.sizes;
        EXPECT_EQ(UF_DRAW_CUSTOM_SIZE, sh.size_state);
        EXPECT_EQ(UF_PART_METRIC, sh.units);
        EXPECT_EQ(UF_DRAW_FIRST_ANGLE_PROJECTION, sh.projection);
        UF_DRAW_delete_drawing(d);
    }
}

TEST_F(Sheet, WithoutViewsNothingIsMade) {
    open_two();
    electrode_data d = data_for("E1");
    d.iso_view_tag = NULL_TAG;
    EXPECT_EQ(-1, make_electrode_drawing("E1", d));
    d = data_for("E1");
    d.top_view_tag = NULL_TAG;
    EXPECT_EQ(-1, make_electrode_drawing("E1", d));
    EXPECT_TRUE(work().drawings.empty());
    EXPECT_EQ(0, nxsim::call_count("UF_DISP_ask_drawing_display"));
}

TEST_F(Sheet, MissingTemplateLeavesTheEmptySheetAndTellsTheUser) {
    open_two();
    remove_template();
    EXPECT_EQ(0, make_electrode_drawing("E1", data_for("E1")));
    EXPECT_EQ(std::vector<std::string>{"box: The template file isn't exist"}, seen());
    tag_t d = drawing_named("E1");
    ASSERT_NE(NULL_TAG, d);
    EXPECT_TRUE(nxsim::sheet_of(d).views.empty());
    EXPECT_TRUE(nxsim::sheet_of(d).objects.empty());

    tag_t group = NULL_TAG;
    EXPECT_EQ(-1, import_template("", &group));
    EXPECT_EQ(-1, import_template((tool_ + "/template/edmDraft.prt").c_str(), &group));
    EXPECT_EQ(NULL_TAG, group);
    EXPECT_EQ(0, nxsim::call_count("UF_PART_import"));
}

TEST_F(Sheet, TemplateLinesGetWidthTwoAndTheConfiguredColourOthersKeepTheirs) {
    open_two();
    config(std::string(kBoxes) +
           "ELECTRODE_LINE_COLOR_CHANGE=1\nELECTORDE_LINE_COLOR_R=0\nELECTORDE_LINE_COLOR_G=0\nELECTORDE_LINE_COLOR_B=255\n");
    ASSERT_EQ(0, make_electrode_drawing("E1", data_for("E1")));
    config(kBoxes);
    ASSERT_EQ(0, make_electrode_drawing("E2", data_for("E2")));
    for (const char* name : {"E1", "E2"}) {
        int lines = 0, others = 0;
        for (tag_t t : nxsim::sheet_of(drawing_named(name)).objects) {
            const nxsim::Object* o = nxsim::live_obj(t);
            if (o->type == UF_line_type) {
                ++lines;
                EXPECT_EQ(UF_OBJ_WIDTH_THIN, o->line_width);
                EXPECT_EQ(name[1] == '1' ? 211 : 216, o->color);  // blue, or the template's black
            } else if (o->type == UF_circle_type || o->type == UF_drafting_entity_type) {
                ++others;
                EXPECT_EQ(0, o->line_width);
                EXPECT_EQ(216, o->color);
            }
        }
        EXPECT_GT(lines, 40) << name;
        EXPECT_GT(others, 40) << name;
    }
}

TEST_F(Sheet, ViewLayersFollowTheDisplaySetting) {
    open_part("M1/core.prt", block_part({{"E1", 101, {0, 0, 0}, {10, 10, 10}}},
                                        R"({ "id": 100, "type": "point", "layer": 5, "coords": [0, 0, 0] })",
                                        R"("layer_status": { "5": "invisible", "150": "invisible" },)"));
    tag_t d = open_new_drawing("L");
    tag_t v = import_at(d, "E1_TOP", 100, 100);
    EXPECT_EQ(0, set_view_layers(v, "E1"));
    for (int l = 1; l <= 256; ++l) EXPECT_EQ(l == 101 ? 1 : 0, mv(v).layers[l - 1]) << l;

    config(std::string(kBoxes) + "ELECTRODE_ONLY_DISPLAY_ELECT=1\n");
    EXPECT_EQ(0, set_view_layers(v, "E1"));
    for (int l = 1; l <= 256; ++l) {
        bool shown = l == 101 || (l != 5 && (l < 101 || l > 200));
        EXPECT_EQ(shown ? 1 : 0, mv(v).layers[l - 1]) << l;
    }
    // A range beyond NX's layers hides what exists of it and nothing else.
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_ONLY_DISPLAY_ELECT=1\nELECTRODE_START_LAYER=-40\nELECTRODE_END_LAYER=900\n");
    EXPECT_EQ(0, set_view_layers(v, "E1"));
    for (int l = 1; l <= 256; ++l) EXPECT_EQ(l == 101 ? 1 : 0, mv(v).layers[l - 1]) << l;
    EXPECT_EQ(-1, set_view_layers(NULL_TAG, "E1"));
}

TEST_F(Sheet, ViewsOfNothingKeepTheirScaleAndPosition) {
    // E1's category has no body: its views show nothing, so nothing is scaled or moved.
    open_part("M1/core.prt", R"({ "format": "nxsim-part", "version": 1, "objects": [
      { "id": 1, "type": "category", "name": "E1", "layers": [101] } ],
      "views": [ { "name": "E1_TOP", "matrix": [1,0,0, 0,1,0, 0,0,1] } ] })");
    ASSERT_EQ(0, make_electrode_drawing("E1", data_for("E1")));
    std::vector<tag_t> v = views_of(drawing_named("E1"));
    ASSERT_EQ(3u, v.size());
    for (tag_t t : v) EXPECT_DOUBLE_EQ(1.0, scale(t));
    EXPECT_DOUBLE_EQ(70, mv(v[0]).ref[0]);
    EXPECT_DOUBLE_EQ(135, mv(v[0]).ref[1]);
    double r = 0;
    const double box[2] = {80, 80};
    EXPECT_EQ(0, box_ratio(drawing_named("E1"), v[0], box, &r));
    EXPECT_DOUBLE_EQ(1.0, r);
    EXPECT_EQ(-1, place_view(drawing_named("E1"), v[0], box, -1.0));
    EXPECT_EQ(-1, place_view(drawing_named("E1"), NULL_TAG, box, 1.0));
}

TEST_F(Sheet, BoxesOfNoSizeGiveScalesNxRefuses) {
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_FIRST_VIEW_X_POSI=70\nELECTRODE_FIRST_VIEW_Y_POSI=135\n");
    open_two();
    ASSERT_EQ(0, make_electrode_drawing("E1", data_for("E1")));
    std::vector<tag_t> v = views_of(drawing_named("E1"));
    ASSERT_EQ(3u, v.size());
    // Scale 0 is passed on and refused: views 1 and 2 keep their scale; the isometric view, 100
    // wide, is larger than its box of no size both ways and is refused 0 too.
    for (tag_t t : v) EXPECT_DOUBLE_EQ(1.0, scale(t));
    EXPECT_DOUBLE_EQ(70, mv(v[0]).ref[0]);
    EXPECT_DOUBLE_EQ(0, mv(v[2]).ref[0]);
}

TEST_F(Sheet, DraftingUnitsFollowThePart) {
    open_two();
    EXPECT_EQ(0, set_drafting_units());
    int mpi[100];
    double mpr[70];
    char r[27], dia[27];
    UF_DRF_ask_preferences(mpi, mpr, r, dia);
    EXPECT_EQ(1, mpi[13]);
    open_part("M1/inch.prt", R"({ "format": "nxsim-part", "version": 1, "units": "english" })");
    EXPECT_EQ(0, set_drafting_units());
    UF_DRF_ask_preferences(mpi, mpr, r, dia);
    EXPECT_EQ(3, mpi[13]);
    nxsim::close_all_parts();
    EXPECT_EQ(-1, set_drafting_units());
}

TEST_F(Sheet, ElectrodeBodyIsTheFirstSolidOnTheFirstLayer) {
    open_part("M1/core.prt", block_part({{"E1", 101, {0, 0, 0}, {10, 10, 10}}},
                                        R"({ "id": 100, "type": "solid", "layer": 101, "shape": { "box": { "origin": [50, 0, 0], "size": [1, 1, 1] } } },
                                           { "id": 101, "type": "category", "name": "E2", "layers": [102] })"));
    tag_t body = NULL_TAG;
    EXPECT_EQ(0, electrode_body("E1", &body));
    EXPECT_EQ(work().by_type[UF_solid_type].front(), body);
    EXPECT_EQ(-1, electrode_body("E2", &body));
    EXPECT_EQ(NULL_TAG, body);
    EXPECT_EQ(-1, electrode_body("E9", &body));
}

// NX reports nothing from the grid calls: a grid it did not hand back must not be written over
// the user's with zeros, and a grid it did is turned off.
TEST_F(Sheet, GridIsOnlyWrittenBackWhenNxHandedItOver) {
    open_two();
    UF_DISP_grid_t grid;
    nxsim::fail("UF_DISP_ask_grid_parameters", nxsim::FaultMode::Once);
    prepare_drawing_display();
    for (const std::string& call : nxsim::call_log()) EXPECT_NE("UF_DISP_set_grid_parameters", call);
    UF_DISP_ask_grid_parameters(UF_DISP_DRAWING_GRID, &grid);
    EXPECT_TRUE(grid.show_grid);
    EXPECT_TRUE(grid.snap_to_grid);
    EXPECT_DOUBLE_EQ(1.0, grid.grid_unit_x);

    prepare_drawing_display();
    UF_DISP_ask_grid_parameters(UF_DISP_DRAWING_GRID, &grid);
    EXPECT_FALSE(grid.show_grid);
    EXPECT_FALSE(grid.snap_to_grid);
    EXPECT_DOUBLE_EQ(1.0, grid.grid_unit_x);
}

}  // namespace
