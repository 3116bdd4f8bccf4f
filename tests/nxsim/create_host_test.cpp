// What the layer and create tests do not show of the simulated host: NX's refusals for new parts,
// the work part within the displayed assembly, load statuses, selection responses, and part
// files that read back components and links as they were saved.
#include "create_fixture.h"

namespace {

const char kCore[] = R"({ "format": "nxsim-part", "version": 1,
  "layer_status": { "7": "invisible" },
  "objects": [
    { "id": 1, "type": "solid", "name": "BODY", "layer": 101, "color": 6,
      "shape": { "box": { "origin": [0, 0, 0], "size": [10, 20, 30] } } },
    { "id": 2, "type": "csys", "name": "ECS1", "layer": 101,
      "origin": [1, 2, 3], "matrix": [0, 1, 0, -1, 0, 0, 0, 0, 1] },
    { "id": 3, "type": "point", "name": "TIP", "layer": 101, "coords": [5, 5, 0] },
    { "id": 4, "type": "point", "name": "HIDDEN", "layer": 7, "coords": [0, 0, 0] } ] })";

class CreateHostCalls : public kv_test::CreateHost {
protected:
    void SetUp() override {
        CreateHost::SetUp();
        open_part("mould/core.prt", kCore);
        core_ = work();
        kv_test::make_dirs(tmp_ / "out");
    }
    tag_t new_part(const std::string& rel, int units = UF_PART_METRIC) {
        tag_t p = 7;
        last_rc_ = UF_PART_new((tmp_ / rel).c_str(), units, &p);
        return p;
    }
    int add(tag_t parent, const std::string& rel, UF_PART_load_status_t* load) {
        double origin[3] = {0, 0, 0}, axes[6] = {1, 0, 0, 0, 1, 0};
        tag_t instance = NULL_TAG;
        return UF_ASSEM_add_part_to_assembly(parent, (tmp_ / rel).c_str(), nullptr, "", origin, axes, -1,
                                             &instance, load);
    }
    tag_t core_ = NULL_TAG;
    int last_rc_ = 0;
};

TEST_F(CreateHostCalls, NewPartsNeedAFreshFileNameAndValidUnits) {
    tag_t e01 = new_part("out/core_E01.prt");
    ASSERT_NE(NULL_TAG, e01);
    EXPECT_EQ(e01, UF_PART_ask_display_part());
    EXPECT_EQ(e01, UF_PART_ask_part_tag("CORE_e01.prt"));  // a bare name matches in any case
    EXPECT_EQ(NULL_TAG, UF_PART_ask_part_tag((tmp_ / "elsewhere/core_E01.prt").c_str()));

    EXPECT_EQ(NULL_TAG, new_part("b/core_e01.prt"));  // file names stay unique in a session
    EXPECT_EQ(nxsim::ERR_PART_NAME, last_rc_);
    kv_test::write_file(tmp_ / "out/other.prt", "not loaded");
    EXPECT_EQ(NULL_TAG, new_part("out/other.prt"));
    EXPECT_EQ(nxsim::ERR_FILE_EXISTS, last_rc_);
    EXPECT_EQ(NULL_TAG, new_part("out/x.prt", 3));
    // Showing a part makes it the work part as well.
    ASSERT_EQ(0, UF_PART_set_display_part(core_));
    EXPECT_EQ(core_, work());
}

TEST_F(CreateHostCalls, TheWorkPartStaysWithinTheDisplayedAssembly) {
    tag_t e01 = new_part("out/E01.prt");
    UF_PART_save();
    UF_PART_set_display_part(core_);
    EXPECT_EQ(nxsim::ERR_NOT_IN_ASSEMBLY, UF_ASSEM_set_work_part(e01));
    UF_PART_load_status_t load{};
    ASSERT_EQ(0, add(core_, "out/E01.prt", &load));
    EXPECT_EQ(0, load.n_parts);
    EXPECT_EQ(0, UF_ASSEM_set_work_part(e01));
    EXPECT_NE(0, add(e01, "mould/core.prt", &load));  // no part contains itself
    EXPECT_EQ(0, UF_ASSEM_set_work_part(NULL_TAG));
    EXPECT_EQ(core_, work());

    // A file that cannot be loaded is named in the load status, which the caller frees.
    int rc = add(core_, "lib/missing.prt", &load);
    EXPECT_NE(0, rc);
    EXPECT_TRUE(load.failed);
    ASSERT_EQ(1, load.n_parts);
    EXPECT_EQ(tmp_ / "lib/missing.prt", load.file_names[0]);
    EXPECT_EQ(rc, load.statuses[0]);
    UF_free_string_array(load.n_parts, load.file_names);
    UF_free(load.statuses);
}

TEST_F(CreateHostCalls, SelectionAnswersWithNxsResponsesAndOnlyPickableObjects) {
    UF_UI_mask_t masks[] = {{70, 0, 0}, {2, 0, 0}};
    UF_UI_selection_options_t opts{2, masks, 4, 0, nullptr};
    int response = 0, count = 0;
    tag_t* objects = nullptr;
    nxsim::push_answer(kv_test::pick({"TIP", "BODY", "TIP"}));
    ASSERT_EQ(0, UF_UI_select_by_class((char*)"Pick", &opts, &response, &count, &objects));
    EXPECT_EQ(3, response);  // OK in select_by_class's own numbering
    ASSERT_EQ(2, count);
    EXPECT_EQ(named("TIP"), objects[0]);
    UF_free(objects);
    nxsim::push_answer(kv_test::pick_cancel());
    UF_UI_select_by_class((char*)"Pick", &opts, &response, &count, &objects);
    EXPECT_EQ(2, response);
    EXPECT_EQ(nullptr, objects);
    EXPECT_EQ((std::vector<std::string>{"select: Pick -> TIP, BODY", "select: Pick -> cancelled"}), seen());
    // The masks leave the ECS out, and a point on an invisible layer cannot be picked.
    for (const char* name : {"ECS1", "HIDDEN"}) {
        nxsim::push_answer(kv_test::pick({name}));
        UF_UI_select_by_class((char*)"Pick", &opts, &response, &count, &objects);
        EXPECT_EQ(0, count);
    }
    EXPECT_EQ(2u, nxsim::errors().size());
    nxsim::S().errors.clear();
}

TEST_F(CreateHostCalls, PartFilesReadBackComponentsAndLinksAsSaved) {
    tag_t e01 = new_part("out/E01.prt");
    tag_t feature = NULL_TAG, none = NULL_TAG;
    ASSERT_EQ(0, UF_WAVE_create_linked_body(named("BODY"), NULL_TAG, e01, true, &feature));
    ASSERT_EQ(0, UF_WAVE_create_linked_pt_point(named("TIP"), NULL_TAG, e01, true, &feature));
    // Each call takes its own kind: NX links points with the point call only.
    EXPECT_EQ(nxsim::ERR_WAVE_SOURCE, UF_WAVE_create_linked_curve(named("TIP"), NULL_TAG, e01, true, &none));
    EXPECT_NE(0, UF_WAVE_create_linked_body(named("TIP"), NULL_TAG, e01, true, &none));
    EXPECT_NE(0, UF_WAVE_create_linked_pt_point(named("BODY"), NULL_TAG, e01, true, &none));
    EXPECT_NE(0, UF_WAVE_create_linked_curve(named("ECS1"), NULL_TAG, e01, true, &none));
    EXPECT_EQ(NULL_TAG, none);
    tag_t matrix = NULL_TAG, copy = NULL_TAG, own = NULL_TAG;
    double origin[3], values[9];
    UF_CSYS_ask_csys_info(named("ECS1"), &matrix, origin);
    // A matrix of another part is refused (NX does not say it takes one); one of the part is not.
    EXPECT_EQ(nxsim::ERR_BAD_TAG, UF_CSYS_create_csys(origin, matrix, &copy));
    EXPECT_EQ(NULL_TAG, copy);
    ASSERT_EQ(0, UF_CSYS_ask_matrix_values(matrix, values));
    ASSERT_EQ(0, UF_CSYS_create_matrix(values, &own));
    ASSERT_EQ(0, UF_CSYS_create_csys(origin, own, &copy));
    UF_PART_save();
    UF_PART_set_display_part(core_);
    UF_PART_load_status_t load{};
    ASSERT_EQ(0, add(core_, "out/E01.prt", &load));

    for (tag_t part : {core_, e01}) {
        std::string saved = nxsim::part_json(part);
        // Only the matrix made for the copied system is saved, never one made hidden on asking.
        size_t matrices = 0;
        for (size_t at = saved.find("\"type\": \"matrix\""); at != std::string::npos;
             at = saved.find("\"type\": \"matrix\"", at + 1))
            ++matrices;
        EXPECT_EQ(part == e01 ? 1u : 0u, matrices) << "a hidden matrix was saved";
        std::string rel = "again" + std::to_string(part) + "/x.prt";
        kv_test::write_file(tmp_ / rel, saved);
        std::string err;
        ASSERT_EQ(0, nxsim::open_part(tmp_ / rel, &err)) << err;
        EXPECT_EQ(saved, nxsim::part_json(work()));
    }
}

}  // namespace
