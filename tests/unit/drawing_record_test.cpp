// The electrode drawing records: defaults, the dialog's process fields and option menus, paste,
// and texts cut without splitting a GBK character.
#include <gtest/gtest.h>

#include <cstring>

#include "drawing/electrode_record.h"
#include "electrode/work_part.h"
#include "drawing_fixture.h"

namespace {

using kv_test::DrawingFixture;

class Records : public DrawingFixture {};

std::vector<std::string> names(const electrode_record* head) {
    std::vector<std::string> out;
    for (; head; head = head->next) out.push_back(head->data.electrode_name);
    return out;
}

TEST_F(Records, OneRecordPerElectrodeWithDefaultsFromTheSettings) {
    open_part("moulds/M1234/core.prt", kv_test::drawing_part());
    electrode_list = build_electrode_list();
    ASSERT_EQ((std::vector<std::string>{"E01", "E02", "E03"}), names(electrode_list));
    const electrode_data& d = electrode_list->next->data;
    EXPECT_STREQ("M1234", d.mould_no);
    EXPECT_STREQ("core", d.workpiece_name);
    EXPECT_DOUBLE_EQ(0.15, d.supr_coarse_gap);
    EXPECT_DOUBLE_EQ(0.3, d.coarse_gap);
    EXPECT_EQ(0.0, d.fine_gap);  // not a number
    EXPECT_EQ(1, d.supr_coarse_count);
    EXPECT_EQ(2, d.coarse_count);
    EXPECT_EQ(0, d.fine_count);  // missing
    EXPECT_EQ(0, d.material_index);
    EXPECT_STREQ("", d.drawn_by);
    EXPECT_EQ(NULL_TAG, d.ecs_tag);
    EXPECT_EQ(0, electrode_list->selected);

    // A second build gives the very same defaults.
    electrode_record* again = build_electrode_list();
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(0, memcmp(&electrode_list->data, &again->data, sizeof again->data));
    free_electrode_list(again);
}

TEST_F(Records, NoWorkPartOrNoElectrodeGivesAnEmptyList) {
    EXPECT_EQ(nullptr, build_electrode_list());
    char mould[16] = "x";
    work_part_folder_name(mould, sizeof mould);
    EXPECT_STREQ("", mould);
    config("ELECTRODE_PREFIX_NAME=ELEC\n");
    open_part("p/core.prt", kv_test::drawing_part());
    EXPECT_EQ(nullptr, build_electrode_list());
    open_part("q/core.prt", R"({ "format": "nxsim-part", "version": 1, "objects": [
        { "id": 1, "type": "category", "name": "all", "layers": "1-256" },
        { "id": 2, "type": "category", "name": "elec_a", "layers": [7] } ] })");
    electrode_list = build_electrode_list();
    EXPECT_EQ((std::vector<std::string>{"ELEC_A"}), names(electrode_list));
}

TEST_F(Records, PasteCopiesTheProcessDataOnly) {
    electrode_data source{};
    strcpy(source.mould_no, "M9");
    strcpy(source.electrode_name, "E99");
    strcpy(source.workpiece_name, "cavity");
    source.material_index = 1;
    source.edm_method_index = 2;
    source.machine_index = 3;
    source.supr_coarse_gap = 0.1;
    source.coarse_gap = 0.2;
    source.fine_gap = 0.3;
    source.wire_cut = source.relief = source.clear_r_corner = source.clear_square_corner = 1;
    source.supr_coarse_count = 4;
    source.coarse_count = 5;
    source.fine_count = 6;
    strcpy(source.drawn_by, "A");
    strcpy(source.split_by, "B");
    strcpy(source.electrode_by, "C");
    source.ecs_tag = source.top_view_tag = source.iso_view_tag = 99;
    electrode_record other{};
    electrode_record target{};
    strcpy(target.data.electrode_name, "E01");
    target.data.ecs_tag = 11;
    target.data.top_view_tag = 12;
    target.data.iso_view_tag = 13;
    target.selected = 1;
    target.next = &other;

    paste_process_data(&target, &source);
    electrode_data want = source;  // both value-initialised: padding is zero on both sides
    strcpy(want.electrode_name, "E01");
    want.ecs_tag = 11;
    want.top_view_tag = 12;
    want.iso_view_tag = 13;
    EXPECT_EQ(0, memcmp(&want, &target.data, sizeof want));
    EXPECT_EQ(1, target.selected);
    EXPECT_EQ(&other, target.next);
}

class ProcessFields : public DrawingFixture {};

std::vector<std::string> items_of(const char* id) { return DrawingFixture::item(id).items; }

TEST_F(ProcessFields, OptionMenusTakeOnlyItemsFollowedByAComma) {
    in_dialog([](int d) {
        set_option_items(d, "MATERIAL_OPTION", "A,B");
        EXPECT_EQ((std::vector<std::string>{"A"}), items_of("MATERIAL_OPTION"));
        set_option_items(d, "MATERIAL_OPTION", "A,B,");
        EXPECT_EQ((std::vector<std::string>{"A", "B"}), items_of("MATERIAL_OPTION"));
        set_option_items(d, "MATERIAL_OPTION", "");
        EXPECT_EQ((std::vector<std::string>{""}), items_of("MATERIAL_OPTION"));
        set_option_items(d, "MATERIAL_OPTION", "AB");
        EXPECT_EQ((std::vector<std::string>{""}), items_of("MATERIAL_OPTION"));
        // Items are at most 255 bytes, cut between characters.
        std::string item = "x";
        for (int i = 0; i < 200; ++i) item += "\xB5\xE7";
        set_option_items(d, "MATERIAL_OPTION", (item + ",").c_str());
        EXPECT_EQ(item.substr(0, 255), items_of("MATERIAL_OPTION").at(0));

        fill_option_lists(d);
        EXPECT_EQ((std::vector<std::string>{"紫铜", "石墨"}), items_of("MATERIAL_OPTION"));
        EXPECT_EQ((std::vector<std::string>{"1号机", "2号机"}), items_of("MACHINE_OPTION"));
        EXPECT_EQ((std::vector<std::string>{"陈工"}), items_of("SPLIT_ELECTRODE_OPTION"));
        EXPECT_EQ((std::vector<std::string>{"A"}), items_of("CREATE_ELECTRODE_OPTION"));
    });
}

TEST_F(ProcessFields, ShownDataReadsBackTheSameAndEachFieldKeepsItsObject) {
    in_dialog([](int d) {
        fill_option_lists(d);
        electrode_data shown{};
        strcpy(shown.mould_no, "M77");
        strcpy(shown.workpiece_name, "型芯");
        shown.material_index = 1;
        shown.edm_method_index = 0;
        shown.machine_index = 1;
        shown.supr_coarse_gap = 0.12;
        shown.coarse_gap = 0.34;
        shown.fine_gap = 0.05;
        shown.supr_coarse_count = 3;
        shown.coarse_count = 4;
        shown.fine_count = 5;
        shown.relief = 1;
        shown.clear_square_corner = 1;
        strcpy(shown.drawn_by, "李工");
        strcpy(shown.split_by, "陈工");
        strcpy(shown.electrode_by, "a");  // letter case of the list's "A" ignored
        show_process_fields(d, &shown);
        EXPECT_EQ("M77", item("STR_0").svalue);
        EXPECT_EQ("型芯", item("WORKPIECE_STR").svalue);
        EXPECT_EQ(1, item("MATERIAL_OPTION").ivalue);
        EXPECT_EQ(0, item("METHOD_OPTION").ivalue);
        EXPECT_EQ(1, item("MACHINE_OPTION").ivalue);
        EXPECT_DOUBLE_EQ(0.12, item("SUPR_CORASE_SZIE_REAL").rvalue);
        EXPECT_DOUBLE_EQ(0.34, item("COARSE_SIZE_REAL").rvalue);
        EXPECT_DOUBLE_EQ(0.05, item("FINE_SIZE_REAL").rvalue);
        EXPECT_EQ(3, item("SUPR_COARSE_NUM_INT").ivalue);
        EXPECT_EQ(4, item("COARSE_NUM_INT").ivalue);
        EXPECT_EQ(5, item("FINE_NUM_INT").ivalue);
        EXPECT_EQ(1, item("DRAW_OPTION").ivalue);

        electrode_data back;
        memset(&back, 0x5A, sizeof back);
        read_process_fields(d, &back);
        electrode_data want = shown;
        strcpy(want.electrode_by, "A");  // the list's own text
        EXPECT_EQ(0, memcmp(&want, &back, sizeof want));  // name and tags cleared

        // Each flag has its own toggle, both ways.
        int electrode_data::*flags[] = {&electrode_data::wire_cut, &electrode_data::relief,
                                        &electrode_data::clear_r_corner, &electrode_data::clear_square_corner};
        const char* toggles[] = {"TOGGLE_20", "TOGGLE_21", "TOGGLE_22", "TOGGLE_23"};
        for (int i = 0; i < 4; ++i) {
            electrode_data one{};
            one.*flags[i] = 1;
            show_process_fields(d, &one);
            for (int j = 0; j < 4; ++j) EXPECT_EQ(i == j ? 1 : 0, item(toggles[j]).ivalue) << toggles[j];
            read_process_fields(d, &back);
            for (int j = 0; j < 4; ++j) EXPECT_EQ(i == j ? 1 : 0, back.*flags[j]) << toggles[j];
        }
    });
}

TEST_F(ProcessFields, PersonNotInItsListLeavesTheMenuAndLongTextsAreCut) {
    in_dialog([](int d) {
        fill_option_lists(d);
        electrode_data shown{};
        strcpy(shown.drawn_by, "张工");
        show_process_fields(d, &shown);
        strcpy(shown.drawn_by, "nobody");
        show_process_fields(d, &shown);
        electrode_data back{};
        read_process_fields(d, &back);
        EXPECT_STREQ("张工", back.drawn_by);

        std::string text = "ab";
        for (int i = 0; i < 600; ++i) text += "\xB5\xE7";
        item("STR_0").svalue = text;
        read_process_fields(d, &back);
        EXPECT_EQ(text.substr(0, 1022), back.mould_no);
    });
}

}  // namespace
