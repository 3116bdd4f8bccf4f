// The simulated host's parts, assemblies, selection, coordinate systems and WAVE links, as the
// layer and create dialogs rely on them.
#include <cstring>

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
    { "id": 4, "type": "point", "name": "HIDDEN", "layer": 7, "coords": [0, 0, 0] },
    { "id": 5, "type": "category", "name": "E01", "layers": [101] } ] })";

class CreateHostCalls : public kv_test::CreateHost {
protected:
    void SetUp() override {
        CreateHost::SetUp();
        open_part("mould/core.prt", kCore);
        core_ = work();
    }
    tag_t new_part(const std::string& rel) {
        tag_t p = NULL_TAG;
        EXPECT_EQ(0, UF_PART_new((tmp_ / rel).c_str(), UF_PART_METRIC, &p));
        return p;
    }
    tag_t core_ = NULL_TAG;
};

TEST_F(CreateHostCalls, NewPartsAreSavedFoundByNameAndLeafNamesStayUnique) {
    kv_test::make_dirs(tmp_ / "out");
    tag_t e01 = new_part("out/core_E01.prt");
    ASSERT_NE(NULL_TAG, e01);
    EXPECT_EQ(e01, work());
    EXPECT_EQ(e01, UF_PART_ask_display_part());
    int status = 0;
    EXPECT_EQ(0, UF_CFI_ask_file_exist((tmp_ / "out/core_E01.prt").c_str(), &status));
    EXPECT_EQ(1, status);  // not on disk before it is saved
    ASSERT_EQ(0, UF_PART_save());
    UF_CFI_ask_file_exist((tmp_ / "out/core_E01.prt").c_str(), &status);
    EXPECT_EQ(0, status);

    EXPECT_EQ(e01, UF_PART_ask_part_tag((tmp_ / "out/core_E01.prt").c_str()));
    EXPECT_EQ(e01, UF_PART_ask_part_tag("CORE_e01.prt"));
    EXPECT_EQ(NULL_TAG, UF_PART_ask_part_tag((tmp_ / "elsewhere/core_E01.prt").c_str()));

    tag_t again = 7;
    EXPECT_EQ(nxsim::ERR_PART_NAME, UF_PART_new((tmp_ / "b/core_e01.prt").c_str(), 1, &again));
    EXPECT_EQ(NULL_TAG, again);
    kv_test::write_file(tmp_ / "out/other.prt", "not loaded");
    EXPECT_EQ(nxsim::ERR_FILE_EXISTS, UF_PART_new((tmp_ / "out/other.prt").c_str(), 1, &again));
    EXPECT_NE(0, UF_PART_new((tmp_ / "out/x.prt").c_str(), 3, &again));  // units 1 or 2 only

    // Showing a part makes it the work part as well.
    ASSERT_EQ(0, UF_PART_set_display_part(core_));
    EXPECT_EQ(core_, work());
}

TEST_F(CreateHostCalls, TheWorkPartStaysWithinTheDisplayedAssembly) {
    kv_test::make_dirs(tmp_ / "out");
    tag_t e01 = new_part("out/E01.prt");
    UF_PART_save();
    UF_PART_set_display_part(core_);
    EXPECT_EQ(nxsim::ERR_NOT_IN_ASSEMBLY, UF_ASSEM_set_work_part(e01));
    EXPECT_EQ(core_, work());

    double origin[3] = {0, 0, 0}, axes[6] = {1, 0, 0, 0, 1, 0};
    tag_t instance = NULL_TAG;
    UF_PART_load_status_t load{};
    ASSERT_EQ(0, UF_ASSEM_add_part_to_assembly(core_, (tmp_ / "out/E01.prt").c_str(), nullptr, "", origin,
                                               axes, -1, &instance, &load));
    EXPECT_EQ(0, load.n_parts);
    EXPECT_EQ(nullptr, load.file_names);
    EXPECT_EQ("E01", object(instance).name);
    EXPECT_EQ(0, UF_ASSEM_set_work_part(e01));
    EXPECT_EQ(e01, work());
    // A part cannot become a component of itself (or of its own component).
    EXPECT_NE(0, UF_ASSEM_add_part_to_assembly(e01, (tmp_ / "mould/core.prt").c_str(), nullptr, "", origin,
                                               axes, -1, &instance, &load));
    EXPECT_EQ(0, UF_ASSEM_set_work_part(NULL_TAG));
    EXPECT_EQ(core_, work());
}

TEST_F(CreateHostCalls, AddingAPartLoadsItOrReportsItInTheLoadStatus) {
    kv_test::write_file(tmp_ / "lib/PUNCH.prt", R"({ "format": "nxsim-part", "version": 1 })");
    double origin[3] = {0, 0, 5}, axes[6] = {0, 1, 0, -1, 0, 0};
    tag_t instance = NULL_TAG;
    UF_PART_load_status_t load{};
    ASSERT_EQ(0, UF_ASSEM_add_part_to_assembly(core_, (tmp_ / "lib/PUNCH.prt").c_str(), nullptr, "P1", origin,
                                               axes, 0, &instance, &load));
    EXPECT_NE(NULL_TAG, UF_PART_ask_part_tag("punch.prt"));
    EXPECT_EQ("P1", object(instance).name);
    EXPECT_DOUBLE_EQ(1.0, object(instance).mtx[8]);  // Z = X x Y

    auto expect_reported = [&](int rc) {
        EXPECT_NE(0, rc);
        EXPECT_TRUE(load.failed);
        ASSERT_EQ(1, load.n_parts);
        EXPECT_EQ(tmp_ / "lib/missing.prt", load.file_names[0]);
        EXPECT_EQ(rc, load.statuses[0]);
        UF_free_string_array(load.n_parts, load.file_names);
        UF_free(load.statuses);
    };
    expect_reported(UF_ASSEM_add_part_to_assembly(core_, (tmp_ / "lib/missing.prt").c_str(), nullptr, "",
                                                  origin, axes, -1, &instance, &load));
    nxsim::fail("UF_ASSEM_add_part_to_assembly", nxsim::FaultMode::Once);
    expect_reported(UF_ASSEM_add_part_to_assembly(core_, (tmp_ / "lib/missing.prt").c_str(), nullptr, "",
                                                  origin, axes, -1, &instance, &load));
    EXPECT_EQ(NULL_TAG, instance);
}

TEST_F(CreateHostCalls, SelectionIsAnsweredByNameWithNxsResponses) {
    UF_UI_mask_t masks[] = {{70, 0, 0}, {2, 0, 0}};
    UF_UI_selection_options_t opts{2, masks, 4, 0, nullptr};
    int response = 0, count = 0;
    tag_t* objects = nullptr;
    nxsim::push_answer(kv_test::pick({"TIP", "BODY", "TIP"}));
    ASSERT_EQ(0, UF_UI_select_by_class((char*)"Pick", &opts, &response, &count, &objects));
    EXPECT_EQ(3, response);  // OK in select_by_class's own numbering
    ASSERT_EQ(2, count);
    EXPECT_EQ(named("TIP"), objects[0]);
    EXPECT_EQ(named("BODY"), objects[1]);
    UF_free(objects);

    nxsim::push_answer(kv_test::pick_cancel());
    UF_UI_select_by_class((char*)"Pick", &opts, &response, &count, &objects);
    EXPECT_EQ(2, response);
    EXPECT_EQ(0, count);
    EXPECT_EQ(nullptr, objects);
    EXPECT_EQ((std::vector<std::string>{"select: Pick -> TIP, BODY", "select: Pick -> cancelled"}), seen());

    // The mask leaves the ECS out, and a point on an invisible layer cannot be picked.
    for (const char* name : {"ECS1", "HIDDEN"}) {
        nxsim::push_answer(kv_test::pick({name}));
        UF_UI_select_by_class((char*)"Pick", &opts, &response, &count, &objects);
        EXPECT_EQ(0, count);
    }
    EXPECT_EQ(2u, nxsim::errors().size());
    nxsim::S().errors.clear();
}

TEST_F(CreateHostCalls, CoordinateSystemsCopyAcrossPartsWithoutSavingHiddenMatrices) {
    tag_t matrix = NULL_TAG;
    double origin[3];
    ASSERT_EQ(0, UF_CSYS_ask_csys_info(named("ECS1"), &matrix, origin));
    EXPECT_EQ(3.0, origin[2]);
    tag_t again = NULL_TAG;
    UF_CSYS_ask_csys_info(named("ECS1"), &again, origin);
    EXPECT_EQ(matrix, again);
    EXPECT_EQ(std::string::npos, nxsim::part_json(core_).find("\"matrix\",")) << "hidden matrix saved";

    kv_test::make_dirs(tmp_ / "out");
    tag_t e01 = new_part("out/E01.prt");
    tag_t copy = NULL_TAG;
    ASSERT_EQ(0, UF_CSYS_create_csys(origin, matrix, &copy));
    EXPECT_EQ(e01, object(copy).part);
    double values[9];
    tag_t own = NULL_TAG;
    UF_CSYS_ask_csys_info(copy, &own, origin);
    UF_CSYS_ask_matrix_values(own, values);
    EXPECT_EQ(-1.0, values[3]);

    double skew[9] = {1, 0, 0, 1, 1, 0, 0, 0, 1};
    EXPECT_NE(0, UF_CSYS_create_matrix(skew, &matrix));
    EXPECT_EQ(NULL_TAG, matrix);
}

TEST_F(CreateHostCalls, LinkedFeaturesKeepTheirSourceAndReadBackAsSaved) {
    kv_test::make_dirs(tmp_ / "out");
    tag_t e01 = new_part("out/E01.prt");
    tag_t body = NULL_TAG, tip = NULL_TAG;
    ASSERT_EQ(0, UF_WAVE_create_linked_body(named("BODY"), NULL_TAG, e01, true, &body));
    ASSERT_EQ(0, UF_WAVE_create_linked_curve(named("TIP"), NULL_TAG, e01, true, &tip));
    const nxsim::Object& linked = object(object(body).members.at(0));
    EXPECT_EQ(e01, linked.part);
    EXPECT_EQ(6, linked.color);
    EXPECT_EQ(1, linked.layer);  // the target's work layer

    tag_t none = NULL_TAG;
    EXPECT_NE(0, UF_WAVE_create_linked_body(named("TIP"), NULL_TAG, e01, true, &none));
    EXPECT_NE(0, UF_WAVE_create_linked_curve(named("ECS1"), NULL_TAG, e01, true, &none));
    EXPECT_NE(0, UF_WAVE_create_linked_body(named("BODY"), named("ECS1"), e01, true, &none));
    EXPECT_EQ(NULL_TAG, none);
    // Features lie on no layer.
    tag_t t = NULL_TAG;
    std::vector<int> types;
    while (UF_LAYER_cycle_by_layer(0, &t) == 0 && t) types.push_back(object(t).type);
    EXPECT_EQ((std::vector<int>{70, 2}), types);

    std::string saved = nxsim::part_json(e01);
    EXPECT_NE(std::string::npos, saved.find("\"part\": \"core.prt\""));
    EXPECT_NE(std::string::npos, saved.find("\"name\": \"BODY\""));
    kv_test::write_file(tmp_ / "again/E01.prt", saved);
    std::string err;
    ASSERT_EQ(0, nxsim::open_part(tmp_ / "again/E01.prt", &err)) << err;
    EXPECT_EQ(saved, nxsim::part_json(work()));
}

TEST_F(CreateHostCalls, AssembliesReadBackTheirComponents) {
    kv_test::write_file(tmp_ / "lib/PUNCH.prt", R"({ "format": "nxsim-part", "version": 1 })");
    double origin[3] = {1, 2, 3}, axes[6] = {1, 0, 0, 0, 1, 0};
    tag_t instance = NULL_TAG;
    UF_PART_load_status_t load{};
    ASSERT_EQ(0, UF_ASSEM_add_part_to_assembly(core_, (tmp_ / "lib/PUNCH.prt").c_str(), "BODY", "", origin, axes,
                                               -1, &instance, &load));
    std::string saved = nxsim::part_json(core_);
    kv_test::write_file(tmp_ / "again/core.prt", saved);
    std::string err;
    ASSERT_EQ(0, nxsim::open_part(tmp_ / "again/core.prt", &err)) << err;
    EXPECT_EQ(saved, nxsim::part_json(work()));
}

}  // namespace
