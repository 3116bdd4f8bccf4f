// The process information listing, compared byte for byte in GBK: widths count bytes, so each
// Chinese character takes two columns.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "config/kv_text.h"
#include "drawing/process_listing.h"
#include "drawing_fixture.h"
#include "test_support.h"

namespace {

using kv_test::DrawingFixture;

using kv_test::read_file;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream s(text);
    for (std::string l; std::getline(s, l);) out.push_back(l);
    return out;
}

const char kTitle[] = "                               EDM工艺信息\n";

class Listing : public DrawingFixture {
protected:
    void SetUp() override {
        DrawingFixture::SetUp();
        first_ = {};
        second_ = {};
        electrode_data& a = first_.data;
        strcpy(a.electrode_name, "E01");
        strcpy(a.mould_no, "M1234");
        strcpy(a.workpiece_name, "core");
        a.material_index = 1;
        a.edm_method_index = 0;
        a.machine_index = 1;
        a.supr_coarse_gap = 0.15;
        a.coarse_gap = 0.3;
        a.fine_gap = 0.05;
        a.supr_coarse_count = 1;
        a.coarse_count = 2;
        a.fine_count = 3;
        a.wire_cut = 1;
        a.clear_r_corner = 7;  // any non-zero flag is Yes
        strcpy(a.drawn_by, "张工");
        strcpy(a.split_by, "陈工");
        strcpy(a.electrode_by, "A");
        electrode_data& b = second_.data;
        strcpy(b.electrode_name, "E02");
        strcpy(b.mould_no, "M1234");
        strcpy(b.workpiece_name, "workpiece_of_20bytes");  // longer than its 15 bytes
        b.material_index = 5;                              // no such item
        b.edm_method_index = 1;
        b.machine_index = -1;
        b.supr_coarse_gap = 1.23456;
        b.coarse_gap = 0;
        b.fine_gap = 12.5;
        b.coarse_count = 10;
        b.fine_count = -1;
        b.clear_square_corner = 1;
        first_.next = &second_;
    }
    std::string listing() { return nxsim::S().listing; }  // GBK, as written

    electrode_record first_, second_;
};

// E02 shows a value longer than its field pushing the rest of its line right, a material index
// without an item (15 spaces), and that 粗 is the supr-coarse gap and 特粗 the coarse gap.
TEST_F(Listing, TwoElectrodesByteForByte) {
    write_process_report(&first_);
    std::string want = read_file(kv_test::source_path("tests/unit/data/drawing_listing_two.txt"));
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(want, listing());
}

TEST_F(Listing, EmptyListGivesTheTitleAndASecondReportIsAppended) {
    write_process_report(nullptr);
    EXPECT_EQ(kTitle, listing());
    write_process_report(&second_);
    EXPECT_EQ(0u, listing().find(std::string(kTitle) + kTitle + "====="));
    EXPECT_TRUE(nxsim::S().listing_open);
}

TEST_F(Listing, PieceLongerThanTheLineIsCutBetweenCharacters) {
    std::string name = "xx";
    for (int i = 0; i < 600; ++i) name += "电";
    kv_copy(first_.data.workpiece_name, sizeof first_.data.workpiece_name, name.c_str());
    first_.next = nullptr;
    write_process_report(&first_);
    auto l = lines(listing());
    ASSERT_GE(l.size(), 3u);
    // Label (8 bytes) and value cut to the 1023 bytes of the line: the 507th character would be
    // split, so the value keeps xx and 506 characters.
    size_t at = l[2].find("工件名：");
    ASSERT_NE(std::string::npos, at);
    EXPECT_EQ(std::string("工件名：") + name.substr(0, 2 + 2 * 506), l[2].substr(at));
    EXPECT_EQ("  材料：石墨", l[3].substr(0, 12));  // the next piece starts a new line
}

}  // namespace
