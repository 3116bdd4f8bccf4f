// The calls NX wants after display is resumed (UF_DISP_regenerate_display) and after WAVE links are
// made (UF_MODL_update): the host's contract, and where the plug-in makes them (read from the call
// log), failures of either included.
#include <algorithm>
#include <string>
#include <vector>

#include "create/electrode_part.h"
#include "create_fixture.h"
#include "drawing/dimension_refs.h"
#include "drawing/measure.h"

namespace {

// E01 holds a body, a point and a system; E02 a system only (nothing to link); E03 a block to
// measure.
const char kPart[] = R"({ "format": "nxsim-part", "version": 1, "objects": [
  { "id": 1, "type": "category", "name": "E01", "layers": [101] },
  { "id": 2, "type": "category", "name": "E02", "layers": [102] },
  { "id": 3, "type": "category", "name": "E03", "layers": [103] },
  { "id": 4, "type": "solid", "layer": 101, "shape": { "box": { "origin": [0, 0, 0], "size": [4, 4, 4] } } },
  { "id": 5, "type": "point", "layer": 101, "coords": [2, 2, 0] },
  { "id": 6, "type": "csys", "name": "ECS_A", "layer": 101, "origin": [0, 0, 0], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 7, "type": "csys", "name": "ECS_B", "layer": 102, "origin": [0, 0, 0], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 8, "type": "solid", "layer": 103, "shape": { "box": { "origin": [10, 0, 0], "size": [6, 5, 4] } } } ] })";

class UpdateCalls : public kv_test::CreateHost {
protected:
    void SetUp() override {
        CreateHost::SetUp();
        open_part("mould/core.prt", kPart);
        kv_test::make_dirs(tmp_ / "out");
    }
    int create(const std::string& name) {
        std::string f = tmp_ / "out";
        std::vector<char> buf(f.begin(), f.end());
        buf.resize(1024, '\0');
        return create_electrode_part(buf.data(), name.c_str(), nullptr, nullptr, 0);
    }
    // Positions in the call log of call, made from position `from` on.
    static std::vector<size_t> at(const std::string& call, size_t from) {
        std::vector<size_t> out;
        const auto& log = nxsim::call_log();
        for (size_t i = from; i < log.size(); ++i)
            if (log[i] == call) out.push_back(i);
        return out;
    }
    // The last position of any of calls from `from` on, or `from` when none was made.
    static size_t last_of(std::initializer_list<const char*> calls, size_t from) {
        size_t last = from;
        for (const char* c : calls) {
            auto p = at(c, from);
            if (!p.empty()) last = std::max(last, p.back());
        }
        return last;
    }
    // The box of E03 (layer 103) as the plug-in measures it; the number measured.
    int measure(double box[6]) {
        uf_list_p_t list = nullptr;
        UF_MODL_create_list(&list);
        collect_solid_bodies(103, list);
        int n = measure_electrode_box(list, box);
        UF_MODL_delete_list(&list);
        return n;
    }
};

TEST_F(UpdateCalls, HostChecksAndLogsBoth) {
    EXPECT_EQ(0, UF_DISP_regenerate_display());
    EXPECT_EQ(0, UF_MODL_update());
    nxsim::fail("UF_MODL_update", nxsim::FaultMode::Once, 1, 9);
    EXPECT_EQ(9, UF_MODL_update());
    nxsim::fail("UF_DISP_regenerate_display", nxsim::FaultMode::Once, 1, 9);
    EXPECT_EQ(9, UF_DISP_regenerate_display());
    EXPECT_EQ(2, nxsim::call_count("UF_MODL_update"));
    EXPECT_EQ(2, nxsim::call_count("UF_DISP_regenerate_display"));
    nxsim::close_all_parts();
    EXPECT_EQ(nxsim::ERR_NO_WORK_PART, UF_MODL_update());
    EXPECT_EQ(0, UF_DISP_regenerate_display());
}

TEST_F(UpdateCalls, DisplayIsRegeneratedOnceResumedAndTheProbesGone) {
    double box[6], again[6];
    size_t from = nxsim::call_log().size();
    ASSERT_EQ(1, measure(box));
    auto regenerate = at("UF_DISP_regenerate_display", from);
    auto display = at("UF_DISP_set_display", from);
    ASSERT_EQ(1u, regenerate.size());
    ASSERT_EQ(2u, display.size());  // suppressed, then resumed
    EXPECT_GT(regenerate[0], last_of({"UF_DISP_set_display", "UF_UNDO_undo_to_mark", "UF_UNDO_delete_mark",
                                      "UF_MODL_create_fixed_dplane"}, from));

    // A failing regeneration changes nothing the measurement gives; display stays resumed.
    nxsim::fail("UF_DISP_regenerate_display", nxsim::FaultMode::Always);
    ASSERT_EQ(1, measure(again));
    EXPECT_TRUE(std::equal(box, box + 6, again));
    EXPECT_EQ(UF_DISP_UNSUPPRESS_DISPLAY, nxsim::S().display);
    nxsim::clear_faults();
}

// Without the undo, the probes are deleted by name; a deletion that fails hands out its statuses
// all the same (NX documents it), and the retry must not lose them (the fixture checks leaks).
TEST_F(UpdateCalls, ProbesDeletedAgainWhenTheFirstDeletionFails) {
    size_t objects = nxsim::S().parts[work()].order.size();
    nxsim::fail("UF_UNDO_undo_to_mark", nxsim::FaultMode::Always);
    nxsim::fail("UF_OBJ_delete_array_of_objects", nxsim::FaultMode::Once);
    double box[6];
    ASSERT_EQ(1, measure(box));
    EXPECT_EQ(2, nxsim::call_count("UF_OBJ_delete_array_of_objects"));
    size_t alive = 0;
    for (tag_t t : nxsim::S().parts[work()].order) alive += nxsim::live_obj(t) && !nxsim::obj(t)->temporary;
    EXPECT_LE(alive, objects);
    nxsim::clear_faults();
}

TEST_F(UpdateCalls, ModelIsUpdatedOnceAfterTheLinks) {
    size_t from = nxsim::call_log().size();
    ASSERT_EQ(0, create("E01"));
    auto update = at("UF_MODL_update", from);
    ASSERT_EQ(1u, update.size());
    EXPECT_EQ(1u, at("UF_WAVE_create_linked_body", from).size());
    EXPECT_EQ(1u, at("UF_WAVE_create_linked_pt_point", from).size());  // the point, by NX's point link
    EXPECT_TRUE(at("UF_WAVE_create_linked_curve", from).empty());
    EXPECT_GT(update[0], last_of({"UF_WAVE_create_linked_body", "UF_WAVE_create_linked_pt_point"}, from));
    // NX updates the work part: the electrode part is made the work part for the update, and the
    // user's part is the work part again afterwards.
    auto set_work = at("UF_ASSEM_set_work_part", from);
    ASSERT_GE(set_work.size(), 2u);
    EXPECT_EQ(update[0] - 1, set_work[set_work.size() - 2]);
    EXPECT_EQ(update[0] + 1, set_work.back());
    EXPECT_EQ(UF_PART_ask_part_tag((tmp_ / "mould/core.prt").c_str()), UF_ASSEM_ask_work_part());

    // No link, no update: a system is copied, not linked.
    from = nxsim::call_log().size();
    ASSERT_EQ(0, create("E02"));
    EXPECT_TRUE(at("UF_MODL_update", from).empty());
}

TEST_F(UpdateCalls, FailingLinksOrUpdateLeaveTheElectrodePartMade) {
    // Every link refused: nothing to update.
    nxsim::fail("UF_WAVE_create_linked_body", nxsim::FaultMode::Always);
    nxsim::fail("UF_WAVE_create_linked_pt_point", nxsim::FaultMode::Always);
    size_t from = nxsim::call_log().size();
    ASSERT_EQ(1, create("E01"));  // made without its links, for the caller to tell
    EXPECT_TRUE(at("UF_MODL_update", from).empty());
    nxsim::clear_faults();

    // A refused update keeps the links as made.
    nxsim::fail("UF_MODL_update", nxsim::FaultMode::Always);
    ASSERT_EQ(0, create("E03"));
    tag_t e03 = UF_PART_ask_part_tag((tmp_ / "out/core_E03.prt").c_str());
    ASSERT_NE(NULL_TAG, e03);
    EXPECT_EQ(1u, of_type(e03, nxsim::T_FEATURE).size());
    EXPECT_EQ(1u, of_type(e03, UF_solid_type).size());
    EXPECT_TRUE(messages().empty());
    nxsim::clear_faults();
}

}  // namespace
