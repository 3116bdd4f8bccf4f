// The 32-bit bridge's copies of the records Linux i386 and Windows i686 lay out differently: the
// thunks called with records in the plug-in's layout (kvw::, as MinGW lays them out) against the
// host, which must see and give the same values in its own layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "nxsim/nxsim.h"
#include "records.h"

extern "C" {
KVB_MS_ABI int kvb_UF_initialize(void);
KVB_MS_ABI int kvb_UF_terminate(void);
KVB_MS_ABI void kvb_UF_free(void* data);
KVB_MS_ABI int kvb_UF_CURVE_create_arc(kvw::UF_CURVE_arc_s* arc_coords, tag_t* arc);
KVB_MS_ABI int kvb_UF_CURVE_ask_arc_data(tag_t arc, kvw::UF_CURVE_arc_s* arc_coords);
KVB_MS_ABI int kvb_UF_DRF_init_object_structure(kvw::UF_DRF_object_s* object);
KVB_MS_ABI int kvb_UF_MODL_intersect_objects(tag_t object_1, tag_t object_2, double tolerance,
                                             int* num_intersections, UF_MODL_intersect_info_p_t** intersections);
}

namespace {

class BridgeRecords : public ::testing::Test {
protected:
    void SetUp() override {
        nxsim::reset();
        std::string err;
        ASSERT_EQ(nxsim::open_part(std::string(KV_TOP) + "/examples/demo/core.prt", &err), 0) << err;
        ASSERT_EQ(kvb_UF_initialize(), 0);
    }
    void TearDown() override {
        kvb_UF_terminate();
        EXPECT_TRUE(nxsim::errors().empty()) << nxsim::errors().front();
        EXPECT_TRUE(nxsim::leaks().empty()) << nxsim::leaks().front();
    }
};

TEST_F(BridgeRecords, ArcGivenAndReadInThePluginsLayout) {
    // The doubles follow a 4-byte tag: at 8 in the plug-in's record, at 4 in the host's.
    static_assert(offsetof(kvw::UF_CURVE_arc_s, start_angle) == 8, "Windows layout");
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    tag_t matrix = NULL_TAG;
    ASSERT_EQ(UF_CSYS_create_matrix(identity, &matrix), 0);
    kvw::UF_CURVE_arc_s arc{};
    arc.matrix_tag = matrix;
    arc.start_angle = 0.25;
    arc.end_angle = 1.5;
    arc.arc_center[0] = 1;
    arc.arc_center[1] = 2;
    arc.arc_center[2] = 3;
    arc.radius = 4.5;
    tag_t made = NULL_TAG;
    ASSERT_EQ(kvb_UF_CURVE_create_arc(&arc, &made), 0);

    UF_CURVE_arc_t host{};
    ASSERT_EQ(UF_CURVE_ask_arc_data(made, &host), 0);
    EXPECT_EQ(host.start_angle, 0.25);
    EXPECT_EQ(host.end_angle, 1.5);
    EXPECT_EQ(host.arc_center[2], 3);
    EXPECT_EQ(host.radius, 4.5);

    kvw::UF_CURVE_arc_s back;
    memset(&back, 0xff, sizeof back);
    ASSERT_EQ(kvb_UF_CURVE_ask_arc_data(made, &back), 0);
    EXPECT_EQ(back.matrix_tag, host.matrix_tag);
    EXPECT_EQ(back.start_angle, 0.25);
    EXPECT_EQ(back.end_angle, 1.5);
    EXPECT_EQ(back.arc_center[0], 1);
    EXPECT_EQ(back.radius, 4.5);
    EXPECT_NE(kvb_UF_CURVE_ask_arc_data(made, nullptr), 0);  // a null record stays null
}

TEST_F(BridgeRecords, RecordInitialisedByTheHostReachesThePluginWhole) {
    kvw::UF_DRF_object_s object;
    memset(&object, 0x5a, sizeof object);
    ASSERT_EQ(kvb_UF_DRF_init_object_structure(&object), 0);
    UF_DRF_object_t host;
    memset(&host, 0x5a, sizeof host);
    ASSERT_EQ(UF_DRF_init_object_structure(&host), 0);
    EXPECT_EQ(object.object_tag, host.object_tag);
    EXPECT_EQ(object.object_assoc_type, host.object_assoc_type);
    EXPECT_EQ(object.object2_tag, host.object2_tag);
    EXPECT_EQ(object.assoc_dwg_pos[0], host.assoc_dwg_pos[0]);
    EXPECT_EQ(object.assoc_dwg_pos[1], host.assoc_dwg_pos[1]);
}

TEST_F(BridgeRecords, IntersectionsHandedOutInThePluginsLayoutAndReleasedAsTheHostsMemory) {
    tag_t part = UF_ASSEM_ask_work_part();
    tag_t body = NULL_TAG;
    ASSERT_EQ(UF_OBJ_cycle_objs_in_part(part, UF_solid_type, &body), 0);
    ASSERT_NE(body, NULL_TAG);
    double corner[3], dirs[3][3], lengths[3];
    ASSERT_EQ(UF_MODL_ask_bounding_box_aligned(body, NULL_TAG, false, corner, dirs, lengths), 0);
    double middle[3] = {corner[0] + dirs[0][0] * lengths[0] / 2, corner[1] + dirs[0][1] * lengths[0] / 2,
                        corner[2] + dirs[0][2] * lengths[0] / 2};
    tag_t plane = NULL_TAG;
    ASSERT_EQ(UF_MODL_create_fixed_dplane(middle, dirs[0], &plane), 0);

    int want_n = 0;
    UF_MODL_intersect_info_p_t* want = nullptr;
    ASSERT_EQ(UF_MODL_intersect_objects(body, plane, 0.001, &want_n, &want), 0);
    ASSERT_GT(want_n, 0);

    int n = 0;
    UF_MODL_intersect_info_p_t* got = nullptr;
    ASSERT_EQ(kvb_UF_MODL_intersect_objects(body, plane, 0.001, &n, &got), 0);
    ASSERT_EQ(n, want_n);
    for (int i = 0; i < n; ++i) {
        auto* w = reinterpret_cast<kvw::UF_MODL_intersect_info_s*>(got[i]);
        ASSERT_EQ(w->intersect_type, want[i]->intersect_type) << i;
        switch (w->intersect_type) {
        case UF_MODL_INTERSECT_POINT:
            EXPECT_EQ(w->intersect.point.coords[2], want[i]->intersect.point.coords[2]) << i;
            EXPECT_EQ(w->intersect.point.object_2_v_parm, want[i]->intersect.point.object_2_v_parm) << i;
            break;
        case UF_MODL_INTERSECT_COINCIDE:
            EXPECT_EQ(w->intersect.coincide.identifier, want[i]->intersect.coincide.identifier) << i;
            EXPECT_EQ(w->intersect.coincide.object_2_second_parm, want[i]->intersect.coincide.object_2_second_parm) << i;
            break;
        default: {
            // Each call makes its own curves: the plug-in's names one of the host's objects.
            int type = 0, subtype = 0, want_type = 0;
            EXPECT_EQ(UF_OBJ_ask_type_and_subtype(w->intersect.curve.identifier, &type, &subtype), 0) << i;
            UF_OBJ_ask_type_and_subtype(want[i]->intersect.curve.identifier, &want_type, &subtype);
            EXPECT_EQ(type, want_type) << i;
        }
        }
        kvb_UF_free(got[i]);  // the host's record released (TearDown: no leak)
        UF_free(want[i]);
    }
    kvb_UF_free(got);
    UF_free(want);
}

// A dialog callback of the plug-in's, reading and writing the call data in its own layout.
std::string g_item;
int plugin_cb(int, void*, kvw::UF_STYLER_item_value_type_s* data) {
    g_item = data->item_id;
    data->value.real = 2.5;
    data->indicator = UF_STYLER_REAL_VALUE;
    return UF_UI_CB_CONTINUE_DIALOG;
}

TEST(BridgeRecordsCallbacks, DialogCallbackDataCopiedForThePluginAndBack) {
    typedef int (*HostCb)(int, void*, UF_STYLER_item_value_type_p_t);
    UF_STYLER_callback_info_t table[] = {
        {(char*)"REAL_0", UF_STYLER_VALUE_CHANGED_CB, 0, reinterpret_cast<HostCb>(plugin_cb)},
        {(char*)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
    };
    UF_STYLER_callback_info_t* copy = kvb::wrap_callbacks(table, 2, "x.dlg");
    ASSERT_NE(copy, nullptr);
    UF_STYLER_item_value_type_t data{};
    data.reason = UF_STYLER_VALUE_CHANGED_REASON;
    data.item_id = "REAL_0";
    EXPECT_EQ(copy[0].callback_proc(3, nullptr, &data), UF_UI_CB_CONTINUE_DIALOG);
    EXPECT_EQ(g_item, "REAL_0");
    EXPECT_EQ(data.indicator, UF_STYLER_REAL_VALUE);
    EXPECT_EQ(data.value.real, 2.5);
    kvb::release_callbacks(copy);
}

}  // namespace
