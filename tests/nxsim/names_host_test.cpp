// Finding objects by name (UF_OBJ_cycle_by_name_and_type) and cycling after the model changed: the
// host answers from indexes kept beside the model, and these cases are where such an index would
// go stale (renames, objects made after it was built, deletion, undo, parts of the same name,
// a part that left the session).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_fixture.h"
#include "nx.h"
#include "nxsim/nxsim.h"
#include "state.h"

namespace {

const int kLine = 3;  // UF_line_type

class HostNames : public ::testing::Test {
protected:
    void SetUp() override {
        nxsim::reset();
        std::string err;
        ASSERT_EQ(0, nxsim::open_part(kv_test::source_path("tests/unit/data/layers.prt"), &err)) << err;
        ASSERT_EQ(0, UF_initialize());
        core_ = UF_ASSEM_ask_work_part();
    }
    void TearDown() override {
        UF_terminate();
        EXPECT_TRUE(nxsim::errors().empty()) << nxsim::errors().front();
        EXPECT_TRUE(nxsim::leaks().empty()) << nxsim::leaks().front();
    }
    // A line of the work part with the name ("" leaves it unnamed).
    tag_t line(const char* name) {
        UF_CURVE_line_t l{};
        l.end_point[0] = 1 + (double)lines_++;
        tag_t t = NULL_TAG;
        EXPECT_EQ(0, UF_CURVE_create_line(&l, &t));
        if (*name) {
            EXPECT_EQ(0, UF_OBJ_set_name(t, name));
        }
        return t;
    }
    // Every line of the part with the name, as the plug-in cycles them.
    std::vector<tag_t> named(const char* name, tag_t part = NULL_TAG) {
        std::vector<tag_t> out;
        tag_t t = NULL_TAG;
        while (UF_OBJ_cycle_by_name_and_type(part ? part : core_, name, kLine, false, &t) == 0 && t)
            out.push_back(t);
        return out;
    }
    tag_t core_ = NULL_TAG;
    int lines_ = 0;
};

TEST_F(HostNames, RenamedMadeAndDeletedObjectsAreFoundByTheirNameOfNowInCreationOrder) {
    tag_t a1 = line("A"), b = line("B"), a2 = line("A");
    EXPECT_EQ((std::vector<tag_t>{a1, a2}), named("A"));
    // Renamed after the names were looked at: found by the new name only, still in creation order.
    ASSERT_EQ(0, UF_OBJ_set_name(a1, "B"));
    EXPECT_EQ((std::vector<tag_t>{a2}), named("A"));
    EXPECT_EQ((std::vector<tag_t>{a1, b}), named("B"));
    // Made after, named at once or later; named back to a name it had.
    tag_t a3 = line("A"), late = line("");
    ASSERT_EQ(0, UF_OBJ_set_name(late, "A"));
    ASSERT_EQ(0, UF_OBJ_set_name(a1, "A"));
    EXPECT_EQ((std::vector<tag_t>{a1, a2, a3, late}), named("A"));
    EXPECT_EQ((std::vector<tag_t>{b}), named("B"));
    // Cycling on after an object of another name goes on from its place in creation order.
    tag_t t = b;
    ASSERT_EQ(0, UF_OBJ_cycle_by_name_and_type(core_, "A", kLine, false, &t));
    EXPECT_EQ(a2, t);
    // Deleted: skipped, by name and when cycling the type.
    int* statuses = nullptr;
    tag_t gone[] = {a2, late};
    ASSERT_EQ(0, UF_OBJ_delete_array_of_objects(2, gone, &statuses));
    UF_free(statuses);
    EXPECT_EQ((std::vector<tag_t>{a1, a3}), named("A"));
    std::vector<tag_t> all;
    for (t = NULL_TAG; UF_OBJ_cycle_objs_in_part(core_, kLine, &t) == 0 && t;) all.push_back(t);
    EXPECT_EQ((std::vector<tag_t>{a1, b, a3}), all);
    // Cycling on from a deleted object goes on from its place.
    t = a2;
    ASSERT_EQ(0, UF_OBJ_cycle_by_name_and_type(core_, "A", kLine, false, &t));
    EXPECT_EQ(a3, t);
}

TEST_F(HostNames, UndoBringsBackTheNamesOfTheMarkAndForgetsWhatWasMadeAfterIt) {
    tag_t a = line("A"), b = line("B");
    UF_UNDO_mark_id_t mark = 0;
    ASSERT_EQ(0, UF_UNDO_set_mark(UF_UNDO_invisible, nullptr, &mark));
    ASSERT_EQ(0, UF_OBJ_set_name(a, "C"));
    tag_t later = line("A");
    int* statuses = nullptr;
    ASSERT_EQ(0, UF_OBJ_delete_array_of_objects(1, &b, &statuses));
    UF_free(statuses);
    EXPECT_EQ((std::vector<tag_t>{later}), named("A"));
    EXPECT_EQ((std::vector<tag_t>{a}), named("C"));
    EXPECT_TRUE(named("B").empty());
    ASSERT_EQ(0, UF_UNDO_undo_to_mark(mark, nullptr));
    EXPECT_EQ((std::vector<tag_t>{a}), named("A"));
    EXPECT_EQ((std::vector<tag_t>{b}), named("B"));
    EXPECT_TRUE(named("C").empty());
    // The undone line is no object any more, to find or to cycle on from.
    tag_t t = later;
    EXPECT_EQ(3, UF_OBJ_cycle_by_name_and_type(core_, "A", kLine, false, &t));
    tag_t next = line("A");
    EXPECT_EQ((std::vector<tag_t>{a, next}), named("A"));
    ASSERT_EQ(0, UF_UNDO_delete_mark(mark, nullptr));
}

TEST_F(HostNames, PartsKeepTheirOwnNamesAndAClosedPartHasNone) {
    tag_t mine = line("A");
    kv_test::TempDir tmp;
    tag_t other = NULL_TAG;
    ASSERT_EQ(0, UF_PART_new((tmp / "other.prt").c_str(), UF_PART_METRIC, &other));  // now the work part
    tag_t theirs = line("A");
    EXPECT_EQ((std::vector<tag_t>{mine}), named("A", core_));
    EXPECT_EQ((std::vector<tag_t>{theirs}), named("A", other));
    // Cycling one part on from an object of another is refused.
    tag_t t = mine;
    EXPECT_EQ(3, UF_OBJ_cycle_by_name_and_type(other, "A", kLine, false, &t));
    nxsim::discard_part(other);
    t = NULL_TAG;
    EXPECT_EQ(3, UF_OBJ_cycle_by_name_and_type(other, "A", kLine, false, &t));
    EXPECT_EQ(NULL_TAG, t);
    int type = 0, subtype = 0;
    EXPECT_EQ(3, UF_OBJ_ask_type_and_subtype(theirs, &type, &subtype));
    EXPECT_EQ((std::vector<tag_t>{mine}), named("A", core_));
}

}  // namespace
