// The simulated host's drafting where the plug-in relies on it: drawings, member views and their
// projection, part import onto a sheet, ordinate objects, sheets in part files and as SVG.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "nxsim/nxsim.h"
#include "sheet_fixture.h"

namespace {

using namespace kv_test;

class SheetHostCalls : public SheetHost {
protected:
    void SetUp() override {
        SheetHost::SetUp();
        config("ELECTRODE_PREFIX_NAME=E\n");
        // E1: a block 40 x 30 x 10 with a cylinder boss on top, so that the top view hides nothing
        // and the front view shows the boss.
        open_part("M1/core.prt", block_part({{"E1", 101, {0, 0, 0}, {40, 30, 10}}},
                                            R"({ "id": 100, "type": "solid", "layer": 101, "shape": { "cylinder":
                                                 { "origin": [20, 15, 10], "radius": 5, "height": 5 } } })"));
    }
    std::array<double, 9> mtx(tag_t view) { return mv(view).mtx; }
};

TEST_F(SheetHostCalls, DrawingsAreUniqueByNameAndShownOnlyWhenOpened) {
    UF_DRAW_info_t info;
    memset(&info, 0, sizeof info);
    info.size_state = UF_DRAW_METRIC_SIZE;
    info.size.metric_size_code = UF_DRAW_A3;
    info.drawing_scale = 1;
    info.units = UF_PART_METRIC;
    info.projection_angle = UF_DRAW_THIRD_ANGLE_PROJECTION;
    tag_t d = NULL_TAG, again = NULL_TAG, current = NULL_TAG;
    ASSERT_EQ(0, UF_DRAW_create_drawing("Sheet1", &info, &d));
    EXPECT_DOUBLE_EQ(420, nxsim::sheet_of(d).length);
    EXPECT_DOUBLE_EQ(297, nxsim::sheet_of(d).height);
    EXPECT_EQ(nxsim::ERR_DRAW_EXISTS, UF_DRAW_create_drawing("SHEET1", &info, &again));
    EXPECT_EQ(NULL_TAG, again);
    info.drawing_scale = 0;
    EXPECT_EQ(nxsim::ERR_BAD_ARG, UF_DRAW_create_drawing("S2", &info, &again));
    UF_DRAW_ask_current_drawing(&current);
    EXPECT_EQ(NULL_TAG, current);
    // A model view cannot go onto a drawing that is not shown.
    UF_DRAW_view_info_t vi;
    UF_DRAW_initialize_view_info(&vi);
    double at[2] = {100, 100};
    tag_t v = NULL_TAG;
    EXPECT_EQ(nxsim::ERR_DRAW_NOT_CURRENT, UF_DRAW_import_view(d, view_named("TOP"), at, &vi, &v));
    EXPECT_EQ(0, UF_DRAW_open_drawing(d));
    UF_DRAW_ask_current_drawing(&current);
    EXPECT_EQ(d, current);
    // NX12 and later want the view's part named; earlier releases take it empty.
    EXPECT_EQ(nxsim::ERR_BAD_ARG, UF_DRAW_import_view(d, view_named("TOP"), at, &vi, &v));
    UF_PART_ask_part_name(UF_ASSEM_ask_work_part(), vi.model_name);
    ASSERT_EQ(0, UF_DRAW_import_view(d, view_named("TOP"), at, &vi, &v));
    EXPECT_EQ("TOP@1", nxsim::obj(v)->name);
    // Member views are no model views to import from.
    tag_t w = NULL_TAG;
    EXPECT_EQ(nxsim::ERR_BAD_TAG, UF_DRAW_import_view(d, v, at, &vi, &w));
    nxsim::set_nx_release(11);
    vi.model_name[0] = '\0';
    EXPECT_EQ(0, UF_DRAW_import_view(d, view_named("TOP"), at, &vi, &w));
    nxsim::set_nx_release(2007);
    // Deleting the drawing takes its views along.
    EXPECT_EQ(0, UF_DRAW_delete_drawing(d));
    EXPECT_EQ(nullptr, nxsim::member_view(v));
    EXPECT_EQ(1, uc6447(kv_test::writable("TOP@1"), 1, nullptr));
}

TEST_F(SheetHostCalls, ProjectedViewsFollowTheDrawingsProjectionAngle) {
    tag_t d = open_new_drawing("FIRST");  // first angle
    tag_t top = import_at(d, "E1_TOP", 100, 100);
    struct Case {
        double x, y;
    } first[] = {{100, 200}, {200, 100}, {100, 0}, {0, 100}};  // above, right, below, left
    for (const Case& c : first) {
        double at[2] = {c.x, c.y};
        tag_t v = NULL_TAG;
        ASSERT_EQ(0, UF_DRAW_add_orthographic_view(d, top, UF_DRAW_project_infer, at, &v));
        std::array<double, 9> m = mtx(v);
        // The view's Z points away from the side it is placed on (first angle) ...
        double dx = c.x - 100, dy = c.y - 100;
        double toward[3];
        for (int k = 0; k < 3; ++k) toward[k] = dx / 100 * mtx(top)[k] + dy / 100 * mtx(top)[3 + k];
        EXPECT_NEAR(-1, m[6] * toward[0] + m[7] * toward[1] + m[8] * toward[2], 1e-12) << c.x << "," << c.y;
        // ... and shares the sheet axis along which it lies.
        if (dx == 0)
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(mtx(top)[k], m[k], 1e-12);
        else
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(mtx(top)[3 + k], m[3 + k], 1e-12);
        EXPECT_EQ(1.0, mv(v).scale);
    }
    EXPECT_EQ("ORTHO@5", nxsim::obj(views_of(d).back())->name);
    // In third angle the view above looks from the parent's up side.
    UF_DRAW_info_t info;
    memset(&info, 0, sizeof info);
    info.size_state = UF_DRAW_CUSTOM_SIZE;
    info.size.custom_size[0] = 297;
    info.size.custom_size[1] = 420;
    info.drawing_scale = 1;
    info.units = UF_PART_METRIC;
    info.projection_angle = UF_DRAW_THIRD_ANGLE_PROJECTION;
    tag_t third = NULL_TAG, v = NULL_TAG;
    ASSERT_EQ(0, UF_DRAW_create_drawing("THIRD", &info, &third));
    UF_DRAW_open_drawing(third);
    top = import_at(third, "E1_TOP", 100, 100);
    double above[2] = {100, 200}, same[2] = {100, 100};
    ASSERT_EQ(0, UF_DRAW_add_orthographic_view(third, top, UF_DRAW_project_infer, above, &v));
    EXPECT_NEAR(1, mtx(v)[7], 1e-12);  // Z = +Y of the top view
    EXPECT_EQ(nxsim::ERR_DRAW_NO_DIRECTION, UF_DRAW_add_orthographic_view(third, top, UF_DRAW_project_infer, same, &v));
    EXPECT_EQ(NULL_TAG, v);
}

TEST_F(SheetHostCalls, ViewsMapTheModelAboutTheMiddleOfWhatTheyShow) {
    tag_t d = open_new_drawing("MAP");
    tag_t top = import_at(d, "E1_TOP", 100, 100);
    auto b = borders(top);
    EXPECT_DOUBLE_EQ(80, b[0]);
    EXPECT_DOUBLE_EQ(85, b[1]);
    EXPECT_DOUBLE_EQ(120, b[2]);
    EXPECT_DOUBLE_EQ(115, b[3]);
    ASSERT_EQ(0, UF_DRAW_set_view_scale(top, 2));
    double ref[2] = {50, 60};
    ASSERT_EQ(0, UF_DRAW_set_drawing_ref_pt(d, top, ref));
    double corner[3] = {40, 30, 0}, at[2];
    ASSERT_EQ(0, UF_VIEW_map_model_to_drawing(top, corner, at));
    EXPECT_DOUBLE_EQ(90, at[0]);
    EXPECT_DOUBLE_EQ(90, at[1]);
    EXPECT_EQ(nxsim::ERR_BAD_ARG, UF_DRAW_set_view_scale(top, 0));
    EXPECT_DOUBLE_EQ(2, mv(top).scale);
    // The null tag is the work view, the sheet's own while the drawing is shown: bordered by the
    // sheet, and its reference point is taken without moving any member view.
    double sheet[4];
    ASSERT_EQ(0, UF_DRAW_ask_view_borders(NULL_TAG, sheet));
    EXPECT_DOUBLE_EQ(0, sheet[0]);
    EXPECT_DOUBLE_EQ(210, sheet[2]);
    EXPECT_DOUBLE_EQ(297, sheet[3]);
    EXPECT_EQ(0, UF_DRAW_set_drawing_ref_pt(d, NULL_TAG, corner));
    EXPECT_DOUBLE_EQ(50, mv(top).ref[0]);
    // Hiding the body's layer in the view leaves it nothing: no size, no move.
    int none[256] = {0};
    EXPECT_EQ(0, uc6447(kv_test::writable(nxsim::obj(top)->name.c_str()), 2, none));
    UF_DRAW_update_one_view(d, top);
    b = borders(top);
    EXPECT_DOUBLE_EQ(b[0], b[2]);
    none[3] = 7;
    EXPECT_EQ(31, uc6447(kv_test::writable(nxsim::obj(top)->name.c_str()), 2, none));
    EXPECT_EQ(1, uc6447(kv_test::writable("NOSUCH@9"), 2, none));
    EXPECT_EQ(2, uc6447(kv_test::writable(""), 2, none));
}

// The other reading of what NX leaves undocumented: an update keeps the view's anchor where the
// view was made with it, and the borders NX reports carry a margin.
TEST_F(SheetHostCalls, UnderTheKeptAnchorReadingUpdatesLeaveTheViewWhereItLies) {
    nxsim::Readings readings;
    readings.view_keeps_anchor = true;
    nxsim::set_readings(readings);
    tag_t d = open_new_drawing("KEPT");
    tag_t top = import_at(d, "E1_TOP", 100, 100);
    // The anchor is the model view's centre, the origin: the block (0..40 x 0..30) lies up and
    // right of the reference point, and NX's borders are 5 wider each way.
    double origin[3] = {0, 0, 0}, at[2];
    ASSERT_EQ(0, UF_VIEW_map_model_to_drawing(top, origin, at));
    EXPECT_DOUBLE_EQ(100, at[0]);
    EXPECT_DOUBLE_EQ(100, at[1]);
    double b[4];
    ASSERT_EQ(0, UF_DRAW_ask_view_borders(top, b));
    EXPECT_DOUBLE_EQ(95, b[0]);
    EXPECT_DOUBLE_EQ(95, b[1]);
    EXPECT_DOUBLE_EQ(145, b[2]);
    EXPECT_DOUBLE_EQ(135, b[3]);
    // Scaled about the anchor, updated: still there; the margin does not grow with the scale.
    ASSERT_EQ(0, UF_DRAW_set_view_scale(top, 2));
    ASSERT_EQ(0, UF_DRAW_update_one_view(d, top));
    ASSERT_EQ(0, UF_DRAW_ask_view_borders(top, b));
    EXPECT_DOUBLE_EQ(95, b[0]);
    EXPECT_DOUBLE_EQ(185, b[2]);
    EXPECT_DOUBLE_EQ(165, b[3]);
    // A projected view keeps its parent's anchor: the two stay aligned.
    double above[2] = {100, 250};
    tag_t front = NULL_TAG;
    ASSERT_EQ(0, UF_DRAW_add_orthographic_view(d, top, UF_DRAW_project_infer, above, &front));
    ASSERT_EQ(0, UF_DRAW_update_one_view(d, front));
    ASSERT_EQ(0, UF_VIEW_map_model_to_drawing(front, origin, at));
    EXPECT_DOUBLE_EQ(100, at[0]);
    EXPECT_DOUBLE_EQ(250, at[1]);
    // A view that shows nothing: a border of no size at its reference point, and the margin.
    int none[256] = {0};
    EXPECT_EQ(0, uc6447(kv_test::writable(nxsim::obj(top)->name), 2, none));
    ASSERT_EQ(0, UF_DRAW_update_one_view(d, top));
    ASSERT_EQ(0, UF_DRAW_ask_view_borders(top, b));
    EXPECT_DOUBLE_EQ(95, b[0]);
    EXPECT_DOUBLE_EQ(105, b[2]);
    // Part files write the extent, without the margin.
    nlohmann::json part = nlohmann::json::parse(nxsim::part_json(UF_ASSEM_ask_work_part()));
    EXPECT_EQ(nlohmann::json::array({100.0, 100.0, 100.0, 100.0}), part["drawings"][0]["views"][0]["borders"]);
}

TEST_F(SheetHostCalls, ImportedTemplatesLieOnTheSheetAsOneGroup) {
    std::string path = tool_ + "/template/edmDraft.prt";
    UF_import_part_modes_t modes{};
    modes.group_mode = 1;
    double x[6] = {0, 1, 0, -1, 0, 0}, at[3] = {200, 0, 0};
    tag_t group = NULL_TAG;
    size_t model_objects = work().order.size();
    // Without a drawing shown the objects go into the model, turned and placed.
    ASSERT_EQ(0, UF_PART_import(path.c_str(), &modes, x, at, 0.5, &group));
    EXPECT_GT(work().order.size(), model_objects + 100);
    const nxsim::Object* first = nxsim::obj(work().order[model_objects + 1]);  // after the matrix
    EXPECT_EQ(UF_line_type, first->type);
    EXPECT_DOUBLE_EQ(195, first->p1[0]);  // (10, 10) of the template, turned a quarter and halved
    EXPECT_DOUBLE_EQ(5, first->p1[1]);
    EXPECT_EQ(1, nxsim::live_obj(group)->layer);

    tag_t d = open_new_drawing("T");
    double same[6] = {1, 0, 0, 0, 1, 0}, zero[3] = {0, 0, 0};
    ASSERT_EQ(0, UF_LAYER_set_status(7, UF_LAYER_WORK_LAYER));
    model_objects = work().order.size();
    size_t saved = nlohmann::json::parse(nxsim::part_json(work().tag))["objects"].size();
    ASSERT_EQ(0, UF_PART_import(path.c_str(), &modes, same, zero, 1.0, &group));
    const nxsim::Sheet& sh = nxsim::sheet_of(d);
    EXPECT_EQ(group, sh.objects.back());
    EXPECT_EQ(sh.objects.size() - 2, nxsim::live_obj(group)->members.size());  // all but the matrix and the group
    // On the sheet, and on the work layer like any object: the cycles meet every one of them.
    EXPECT_EQ(model_objects + sh.objects.size(), work().order.size());
    size_t met = 0;
    for (tag_t t = NULL_TAG; UF_LAYER_cycle_by_layer(7, &t) == 0 && t != NULL_TAG;) {
        EXPECT_EQ(d, nxsim::obj(t)->sheet);
        ++met;
    }
    EXPECT_EQ(sh.objects.size(), met);
    tag_t line = NULL_TAG;
    ASSERT_EQ(0, UF_OBJ_cycle_objs_in_part(work().tag, UF_line_type, &line));
    EXPECT_EQ(0, nxsim::obj(line)->sheet);  // the model's lines come first, the sheet's follow
    // The part file keeps them with the sheet, not among the model's objects.
    EXPECT_EQ(saved, nlohmann::json::parse(nxsim::part_json(work().tag))["objects"].size());
    EXPECT_EQ(1u, nxsim::parts().size());  // the template is not left loaded

    EXPECT_EQ(nxsim::ERR_FILE_LOAD, UF_PART_import("/no/such/file.prt", &modes, same, zero, 1.0, &group));
    EXPECT_EQ(NULL_TAG, group);
    EXPECT_EQ(nxsim::ERR_BAD_ARG, UF_PART_import(path.c_str(), &modes, same, zero, 0, &group));
    // Grouping with nowhere to give the group is a bad argument, and nothing is copied.
    size_t on_sheet = sh.objects.size();
    EXPECT_EQ(nxsim::ERR_BAD_ARG, UF_PART_import(path.c_str(), &modes, same, zero, 1.0, nullptr));
    EXPECT_EQ(on_sheet, nxsim::sheet_of(d).objects.size());
    EXPECT_EQ(1u, nxsim::parts().size());
}

TEST_F(SheetHostCalls, OrdinateObjectsMeasureAlongTheViewAndKeepTheirGeometry) {
    const char* arcs = R"({ "id": 200, "type": "matrix", "values": [1,0,0, 0,1,0, 0,0,1] },
      { "id": 201, "type": "arc", "layer": 101, "matrix": 200, "center": [5, 5, 0], "radius": 0.001, "start_angle": 0, "end_angle": 6.28, "blank": true },
      { "id": 202, "type": "arc", "layer": 101, "matrix": 200, "center": [40, 30, 10], "radius": 0.001, "start_angle": 0, "end_angle": 6.28, "blank": true },
      { "id": 203, "type": "line", "layer": 101, "start": [0, 0, 0], "end": [40, 0, 0] })";
    open_part("M1/refs.prt", block_part({{"E1", 101, {0, 0, 0}, {40, 30, 10}}}, arcs));
    tag_t d = open_new_drawing("ORD");
    tag_t top = import_at(d, "E1_TOP", 100, 100);
    auto& by_type = work().by_type;
    tag_t o_arc = by_type[UF_circle_type][0], p_arc = by_type[UF_circle_type][1], line = by_type[UF_line_type][0];
    UF_DRF_object_t rec;
    UF_DRF_init_object_structure(&rec);
    rec.object_tag = o_arc;
    rec.object_view_tag = top;
    rec.object_assoc_type = UF_DRF_arc_center;
    char name[] = "ORD ORG";
    tag_t origin = NULL_TAG, margin = NULL_TAG, dim = NULL_TAG;
    ASSERT_EQ(0, UF_DRF_create_ordorigin(&rec, 5, 1, 2, name, &origin));
    EXPECT_EQ(nxsim::ERR_BAD_ARG, UF_DRF_create_ordorigin(&rec, 6, 1, 2, name, &dim));
    // A vertical margin cannot run along a line that is horizontal in the view.
    rec.object_tag = line;
    rec.object_assoc_type = UF_DRF_end_point;
    double p3[3] = {0, 0, 0}, p2[2] = {0, 0};
    EXPECT_EQ(nxsim::ERR_DRF_OBJECT, UF_DRF_create_ordmargin(2, origin, &rec, p3, p2, -5, &margin));
    ASSERT_EQ(0, UF_DRF_create_ordmargin(1, origin, &rec, p3, p2, -5, &margin));
    EXPECT_DOUBLE_EQ(80, nxsim::live_ordinate(margin, nxsim::Ordinate::Margin)->position);
    rec.object_tag = p_arc;
    rec.object_assoc_type = UF_DRF_arc_center;
    UF_DRF_text_t text{};
    char empty[1] = "";
    text.user_dim_text = empty;
    double where[3] = {0, 0, 0};
    ASSERT_EQ(0, UF_DRF_create_orddimension(margin, 2, &rec, 0, 0.1, &text, 2, where, &dim));
    const nxsim::Ordinate* o = nxsim::live_ordinate(dim, nxsim::Ordinate::Dimension);
    EXPECT_EQ(1, o->dim_type);  // the margin decides: horizontal
    EXPECT_DOUBLE_EQ(35, o->value);
    // Against the origin itself the type given counts.
    ASSERT_EQ(0, UF_DRF_create_orddimension(origin, 2, &rec, 0, 0.1, &text, 2, where, &dim));
    EXPECT_DOUBLE_EQ(25, nxsim::live_ordinate(dim, nxsim::Ordinate::Dimension)->value);
    EXPECT_EQ(nxsim::ERR_BAD_TAG, UF_DRF_create_orddimension(NULL_TAG, 1, &rec, 0, 0.1, &text, 2, where, &dim));
    EXPECT_EQ(NULL_TAG, dim);
}

TEST_F(SheetHostCalls, SheetsAreSavedWithTheirSizeAndRenderedTheSameEveryTime) {
    tag_t d = open_new_drawing("E1");
    tag_t top = import_at(d, "E1_TOP", 100, 100);
    double at[2] = {100, 200};
    tag_t front = NULL_TAG;
    UF_DRAW_add_orthographic_view(d, top, UF_DRAW_project_infer, at, &front);
    std::vector<nxsim::SheetImage> sheets = nxsim::render_sheets();
    ASSERT_EQ(1u, sheets.size());
    EXPECT_EQ("core_E1.svg", sheets[0].file);
    const std::string& svg = sheets[0].svg;
    EXPECT_EQ(svg, nxsim::render_sheets()[0].svg);
    EXPECT_NE(std::string::npos, svg.find("viewBox=\"0 0 210 297\""));
    // Monochrome by default; view borders and the grid shown until the plug-in turns them off.
    EXPECT_EQ(std::string::npos, svg.find("stroke=\"#0000ff\""));
    EXPECT_NE(std::string::npos, svg.find("<g id=\"grid\">"));
    EXPECT_NE(std::string::npos, svg.find("<rect x=\"80\" y=\"182\" width=\"40\" height=\"30\""));
    // Hidden edges (the block's bottom under its top in the top view) are dashed.
    EXPECT_NE(std::string::npos, svg.find("<g id=\"view-ORTHO@2\">"));
    EXPECT_NE(std::string::npos, svg.find("stroke-dasharray=\"2,1\""));

    std::string saved = nxsim::part_json(work().tag);
    EXPECT_NE(std::string::npos, saved.find("\"projection\": \"first angle\""));
    std::string path = tmp_ / "M1/saved.prt";
    write_file(path, saved);
    std::string err;
    ASSERT_EQ(0, nxsim::open_part(path, &err)) << err;
    tag_t again = drawing_named("E1");
    EXPECT_DOUBLE_EQ(297, nxsim::sheet_of(again).height);
    EXPECT_EQ(UF_DRAW_FIRST_ANGLE_PROJECTION, nxsim::sheet_of(again).projection);
}

}  // namespace
