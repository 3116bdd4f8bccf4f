// The simulated host's model views, layout and WCS, as the electrode views rely on them.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "refs_fixture.h"

namespace {

using namespace kv_test;

class ViewsHost : public SettingsHost {
protected:
    void SetUp() override {
        SettingsHost::SetUp();
        open_part("refs.prt", refs_part());
    }
    std::array<double, 9> matrix(const char* view) {
        std::array<double, 9> m{};
        EXPECT_EQ(0, uc6433(kv_test::writable(view), m.data())) << view;
        return m;
    }
    nxsim::Part& part() { return *nxsim::part(nxsim::S().work_part); }
};

TEST_F(ViewsHost, StandardViewsHaveNxOrientationsAndTopIsTheWorkView) {
    auto top = matrix("TOP");
    auto front = matrix("front");  // view names ignore letter case
    auto iso = matrix("TFR-ISO");
    EXPECT_EQ((std::array<double, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}), top);
    EXPECT_EQ((std::array<double, 9>{1, 0, 0, 0, 0, 1, 0, -1, 0}), front);
    // The isometric view looks from (1, -1, 1) with Z up the screen.
    const double r = 1 / std::sqrt(3.0);
    EXPECT_NEAR(r, iso[6], 1e-12);
    EXPECT_NEAR(-r, iso[7], 1e-12);
    EXPECT_NEAR(r, iso[8], 1e-12);
    EXPECT_NEAR(0, iso[2], 1e-12);
    EXPECT_EQ(top, matrix(""));  // the work view
    tag_t work = NULL_TAG, t = NULL_TAG;
    ASSERT_EQ(0, UF_VIEW_ask_tag_of_view_name(kv_test::writable(""), &work));
    ASSERT_EQ(0, UF_VIEW_ask_tag_of_view_name(kv_test::writable("TOP"), &t));
    EXPECT_EQ(work, t);
    EXPECT_NE(0, UF_VIEW_ask_tag_of_view_name(kv_test::writable("NOSUCH"), &t));
    EXPECT_EQ(NULL_TAG, t);
}

TEST_F(ViewsHost, DeletingRefusesStandardWorkAndLayoutViews) {
    EXPECT_EQ(3, uc6454((char*)"FRONT"));
    EXPECT_EQ(1, uc6454((char*)"NOSUCH"));
    EXPECT_EQ(2, uc6454((char*)""));
    EXPECT_EQ(5, uc6454((char*)"TOP@1"));
    ASSERT_EQ(0, uc6450("", "MINE", 1, 0));
    EXPECT_EQ(4, uc6450("", "mine", 1, 0));  // the name exists
    EXPECT_EQ(2, uc6450("", "A@B", 1, 0));
    EXPECT_EQ(9, uc6450("FRONT", "OTHER", 1, 0));  // not in the layout
    ASSERT_EQ(0, uc6464("", "", "MINE"));
    EXPECT_EQ(4, uc6454((char*)"MINE"));  // the work view
    ASSERT_EQ(0, uc6464("", "", "TOP"));
    EXPECT_EQ(0, uc6454((char*)"MINE"));
    tag_t t = NULL_TAG;
    EXPECT_NE(0, UF_VIEW_ask_tag_of_view_name(kv_test::writable("MINE"), &t));
}

TEST_F(ViewsHost, ModificationsAreSavedOnRequestAndDroppedWhenTheViewLeavesTheLayout) {
    double xy[6] = {0, 1, 0, -1, 0, 0};
    ASSERT_EQ(0, uc6434(kv_test::writable(""), 4, NULL_TAG, xy));  // TOP turned 90 degrees, not saved
    ASSERT_EQ(0, uc6450("", "TURNED", 1, 0));   // saved with the modification
    ASSERT_EQ(0, uc6450("", "PLAIN", 0, 0));    // saved as TOP was saved
    EXPECT_EQ((std::array<double, 9>{0, 1, 0, -1, 0, 0, 0, 0, 1}), matrix("TURNED"));
    EXPECT_EQ((std::array<double, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}), matrix("PLAIN"));
    EXPECT_EQ(3, uc6450("", "", 1, 0));  // a standard view keeps NX's orientation
    // Replacing the work view by itself keeps the modification; by another view drops it.
    ASSERT_EQ(0, uc6464("", "", "TOP"));
    EXPECT_EQ((std::array<double, 9>{0, 1, 0, -1, 0, 0, 0, 0, 1}), matrix(""));
    ASSERT_EQ(0, uc6464("", "", "PLAIN"));
    EXPECT_EQ((std::array<double, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}), matrix("TOP"));
    EXPECT_EQ(0, uc6449("PLAIN"));
    EXPECT_EQ(9, uc6449("TOP"));  // not in the layout any more
}

TEST_F(ViewsHost, FittingCentresTheVisibleGeometry) {
    // Only E1's block (layer 101, x 0..20, y 0..10, z 0..5) stays visible.
    ASSERT_EQ(0, UF_LAYER_set_status(101, UF_LAYER_WORK_LAYER));
    for (int l = 1; l <= 256; ++l)
        if (l != 101) UF_LAYER_set_status(l, UF_LAYER_INACTIVE_LAYER);
    ASSERT_EQ(0, uc6432(kv_test::writable(""), 1));
    nxsim::Object* top = nxsim::live_obj(part().work_view);
    EXPECT_NEAR(10, top->shown.centre[0], 1e-6);
    EXPECT_NEAR(5, top->shown.centre[1], 1e-6);
    EXPECT_NEAR(2.5, top->shown.centre[2], 1e-6);
    EXPECT_NEAR(0.9 * 400 / 20, top->shown.scale, 1e-6);  // the width decides
    EXPECT_EQ(9, uc6432(kv_test::writable("FRONT"), 1));
}

TEST_F(ViewsHost, SavedViewsAndTheLayoutComeBackFromThePartFile) {
    double xy[6] = {0, 1, 0, -1, 0, 0};
    ASSERT_EQ(0, uc6434(kv_test::writable(""), 4, NULL_TAG, xy));
    ASSERT_EQ(0, uc6450("", "E1_TOP", 1, 0));
    ASSERT_EQ(0, uc6464("", "", "E1_TOP"));
    std::string saved = nxsim::part_json(nxsim::S().work_part);
    write_file(tmp_ / "again.prt", saved);
    std::string err;
    ASSERT_EQ(0, nxsim::open_part(tmp_ / "again.prt", &err)) << err;
    EXPECT_EQ((std::array<double, 9>{0, 1, 0, -1, 0, 0, 0, 0, 1}), matrix(""));
    tag_t work = NULL_TAG, t = NULL_TAG;
    UF_VIEW_ask_tag_of_view_name(kv_test::writable(""), &work);
    UF_VIEW_ask_tag_of_view_name(kv_test::writable("E1_TOP"), &t);
    EXPECT_EQ(work, t);
    EXPECT_EQ(saved, nxsim::part_json(nxsim::S().work_part));
}

TEST_F(ViewsHost, APartWhoseViewsWereNotChangedSavesNoneOfThem) {
    ASSERT_EQ(0, uc6432(kv_test::writable(""), 1));
    std::string saved = nxsim::part_json(nxsim::S().work_part);
    EXPECT_EQ(std::string::npos, saved.find("\"views\""));
    EXPECT_EQ(std::string::npos, saved.find("\"layout\""));
}

TEST_F(ViewsHost, BadViewsInAPartFileAreRefusedWithTheField) {
    std::string err;
    write_file(tmp_ / "bad.prt", R"({ "format": "nxsim-part", "version": 1,
      "views": [ { "name": "A", "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 2] } ] })");
    EXPECT_NE(0, nxsim::open_part(tmp_ / "bad.prt", &err));
    EXPECT_NE(std::string::npos, err.find("views[0].matrix")) << err;
    write_file(tmp_ / "bad2.prt", R"({ "format": "nxsim-part", "version": 1,
      "layout": { "views": ["TOP"], "work_view": "FRONT" } })");
    EXPECT_NE(0, nxsim::open_part(tmp_ / "bad2.prt", &err));
    EXPECT_NE(std::string::npos, err.find("layout.work_view")) << err;
}

TEST_F(ViewsHost, WcsIsACoordinateSystemAndPointsMapThroughIt) {
    tag_t wcs = NULL_TAG, again = NULL_TAG;
    ASSERT_EQ(0, UF_CSYS_ask_wcs(&wcs));
    ASSERT_EQ(0, UF_CSYS_ask_wcs(&again));
    EXPECT_EQ(wcs, again);
    double p[3] = {1, 0, 0}, abs[3], back[3];
    ASSERT_EQ(0, UF_CSYS_map_point(UF_CSYS_ROOT_WCS_COORDS, p, UF_CSYS_ROOT_COORDS, abs));
    EXPECT_NEAR(1, abs[0], 1e-12);  // origin (1, 2, 3) plus the WCS X axis (0, 1, 0)
    EXPECT_NEAR(3, abs[1], 1e-12);
    EXPECT_NEAR(3, abs[2], 1e-12);
    ASSERT_EQ(0, UF_CSYS_map_point(UF_CSYS_ROOT_COORDS, abs, UF_CSYS_ROOT_WCS_COORDS, back));
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(p[i], back[i], 1e-12);
    EXPECT_EQ(UF_CSYS_ERR_INVALID_COORDS, UF_CSYS_map_point(4, p, 1, back));
    // A temporary system made the WCS: not saved, and the WCS follows it.
    const double m[9] = {0, 0, 1, 1, 0, 0, 0, 1, 0};
    tag_t mt = NULL_TAG, c = NULL_TAG;
    ASSERT_EQ(0, UF_CSYS_create_matrix(m, &mt));
    const double o[3] = {5, 6, 7};
    ASSERT_EQ(0, UF_CSYS_create_temp_csys(o, mt, &c));
    ASSERT_EQ(0, UF_CSYS_set_wcs(c));
    EXPECT_EQ(c, (UF_CSYS_ask_wcs(&again), again));
    EXPECT_EQ(7, part().wcs_origin[2]);
    EXPECT_EQ(1, part().wcs_mtx[2]);
    EXPECT_TRUE(nxsim::live_obj(c)->temporary);
    int deleted_status = 0;
    int* statuses = nullptr;
    ASSERT_EQ(0, UF_OBJ_delete_array_of_objects(1, &c, &statuses));
    deleted_status = statuses[0];
    UF_free(statuses);
    EXPECT_NE(0, deleted_status);  // the WCS cannot be deleted
}

}  // namespace
