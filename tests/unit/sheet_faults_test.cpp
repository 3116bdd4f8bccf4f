// Every NX call the drawing sheet, title block and ordinate dimensions make, failing once while
// the first of three electrode drawings is made: the run ends cleanly, nothing leaks, the later
// electrodes get their whole drawings and every layer ends selectable.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "case_fixture.h"
#include "config_fixture.h"
#include "scenario.h"

namespace {

using json = nlohmann::json;

const char* const kCalls[] = {
    "UF_DISP_ask_drawing_display", "UF_DISP_set_drawing_display", "UF_DISP_ask_grid_parameters",
    "UF_DISP_set_grid_parameters", "UF_DRAW_set_border_display", "UF_DRAW_create_drawing",
    "UF_DRAW_open_drawing", "UF_CFI_ask_file_exist", "UF_PART_import", "UF_GROUP_ask_group_data",
    "UF_OBJ_ask_type_and_subtype", "UF_OBJ_set_line_width", "UF_DISP_load_color_table",
    "UF_DISP_ask_closest_color", "UF_OBJ_set_color", "UF_ASSEM_ask_work_part", "UF_PART_ask_units",
    "UF_DRF_ask_preferences", "UF_DRF_set_preferences", "UF_ATTR_read_value", "uc5566",
    "UF_PART_ask_part_name", "uc4574", "uc4576", "UF_LAYER_ask_category_tag", "UF_LAYER_ask_category_info",
    "UF_LAYER_cycle_by_layer", "UF_DRAW_ask_current_drawing", "UF_DRAW_initialize_view_info",
    "UF_DRAW_import_view", "UF_DRAW_update_one_view", "UF_DRAW_add_orthographic_view", "UF_LAYER_ask_status",
    "UF_OBJ_ask_name", "uc6447", "UF_DRAW_ask_view_borders", "UF_DRAW_set_drawing_ref_pt",
    "UF_DRAW_set_view_scale", "UF_DRAW_ask_view_scale", "UF_DRAW_ask_view_display", "UF_DRAW_set_view_display",
    "UF_OBJ_cycle_objs_in_part", "UF_OBJ_cycle_by_name_and_type", "UF_CURVE_ask_arc_data",
    "UF_CURVE_ask_line_data", "UF_CSYS_ask_matrix_values", "UF_MTX4_invert", "UF_VIEW_map_model_to_drawing",
    "UF_DRF_init_object_structure", "UF_DRF_create_ordorigin", "UF_DRF_create_ordmargin",
    "UF_DRF_create_orddimension"};

using kv_test::read_json;

TEST(SheetFaults, AnyCallFailingOnceCostsAtMostTheFirstDrawing) {
    kv_test::TempDir tmp;
    json doc = kv_test::load_case("sheet_demo_electrodes");
    ASSERT_FALSE(doc.is_discarded());

    // Where the first drawing starts in a run without faults, and how often each call is made
    // before it.
    std::string plain = tmp / "plain.json";
    std::ofstream(plain) << doc.dump();
    ASSERT_EQ(0, kvsim::run_scenario(plain, tmp / "plain").exit_code);
    std::vector<std::string> log = nxsim::call_log();
    size_t start = 0;
    while (start < log.size() && log[start] != "UF_DISP_ask_drawing_display") ++start;
    ASSERT_LT(start, log.size());

    int tried = 0;
    for (const char* call : kCalls) {
        int before = 0;
        bool later = false;
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i] != call) continue;
            if (i < start) ++before;
            else later = true;
        }
        ASSERT_TRUE(later) << call << " is not made by the drawing steps";
        doc["faults"] = json::array({{{"call", call}, {"mode", "nth"}, {"n", before + 1}}});
        std::string path = tmp / (std::string(call) + ".json");
        std::ofstream(path) << doc.dump();
        std::string out = tmp / call;
        kvsim::RunResult r = kvsim::run_scenario(path, out);
        ++tried;
        EXPECT_EQ(0, r.exit_code) << call << ": " << r.message;
        bool fired = false;
        for (const std::string& l : nxsim::call_log()) fired = fired || l == std::string(call) + " -> injected failure";
        EXPECT_TRUE(fired) << call;

        json part = read_json(out + "/parts/core.json");
        ASSERT_FALSE(part.is_discarded()) << call;
        EXPECT_TRUE(part["layer_status"].empty()) << call << ": " << part["layer_status"].dump();
        int whole = 0;
        for (const json& d : part.value("drawings", json::array())) {
            if (d["name"] == "E01") continue;
            // A later drawing has its three views, its title block and its dimensions.
            if (d.value("views", json::array()).size() == 3 && d.value("notes", json::object()).size() == 23 &&
                d.value("dimensions", json::array()).size() == 9)
                ++whole;
        }
        EXPECT_EQ(2, whole) << call;
    }
    EXPECT_EQ((int)(sizeof kCalls / sizeof kCalls[0]), tried);
}

}  // namespace
