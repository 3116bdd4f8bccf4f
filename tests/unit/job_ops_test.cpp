// The operations list: burn order by gap, zero counts, IDs a barcode can carry (GBK mould numbers
// and names, the part name in place of a mould number, clashes refused), and the file's rows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "drawing/job_ops.h"

namespace {

// A sheet of n electrodes, all with the gaps 特粗 0.3, 粗 0.15, 精 0.05 and counts 1, 1, 2.
class JobOps : public ::testing::Test {
protected:
    void SetUp() override {
        memset(&sheet_, 0, sizeof sheet_);
        memset(data_, 0, sizeof data_);
        memset(rows_, 0, sizeof rows_);
        strcpy(sheet_.part_name, "core");
        for (int i = 0; i < 4; ++i) {
            snprintf(data_[i].electrode_name, sizeof data_[i].electrode_name, "E%02d", i + 1);
            strcpy(data_[i].mould_no, "M2301");
            data_[i].coarse_gap = 0.3, data_[i].coarse_count = 1;
            data_[i].supr_coarse_gap = 0.15, data_[i].supr_coarse_count = 1;
            data_[i].fine_gap = 0.05, data_[i].fine_count = 2;
            rows_[i].data = &data_[i];
            rows_[i].stock.index = -1;
        }
        sheet_.rows = rows_;
        sheet_.count = 1;
    }
    void TearDown() override { free(sheet_.ops); }
    std::vector<std::string> ids() {
        std::vector<std::string> out;
        for (int i = 0; i < sheet_.op_count; ++i) out.push_back(sheet_.ops[i].id);
        return out;
    }
    std::vector<std::string> stages() {
        std::vector<std::string> out;
        for (int i = 0; i < sheet_.op_count; ++i) out.push_back(stage_label(sheet_.ops[i].stage));
        return out;
    }
    int make() { return make_job_ops(&sheet_, message_, sizeof message_); }
    job_sheet sheet_;
    electrode_data data_[4];
    job_row rows_[4];
    char message_[4096];
};

using V = std::vector<std::string>;

TEST_F(JobOps, StagesBurnFromTheLargestGapCopiesInOrder) {
    ASSERT_EQ(0, make());
    EXPECT_EQ((V{"M2301-E01-R1", "M2301-E01-S1", "M2301-E01-F1", "M2301-E01-F2"}), ids());
    EXPECT_EQ((V{"特粗", "粗", "精", "精"}), stages());
    for (int i = 0; i < sheet_.op_count; ++i) EXPECT_EQ(i + 1, sheet_.ops[i].number);
    EXPECT_DOUBLE_EQ(0.05, sheet_.ops[3].gap);
    // The finish gap largest: it burns first and is R; the letters follow the gaps, not the names.
    data_[0].fine_gap = 0.4, data_[0].fine_count = 1;
    data_[0].coarse_gap = 0.1;
    ASSERT_EQ(0, make());
    EXPECT_EQ((V{"精", "粗", "特粗"}), stages());
    EXPECT_EQ((V{"M2301-E01-R1", "M2301-E01-S1", "M2301-E01-F1"}), ids());
}

TEST_F(JobOps, EqualGapsKeepTheTitleBlocksOrder) {
    data_[0].coarse_gap = data_[0].supr_coarse_gap = data_[0].fine_gap = 0.2;
    ASSERT_EQ(0, make());
    EXPECT_EQ((V{"特粗", "粗", "精", "精"}), stages());
    EXPECT_EQ((V{"M2301-E01-R1", "M2301-E01-S1", "M2301-E01-F1", "M2301-E01-F2"}), ids());
    // 特粗 and 精 equal below 粗: 粗 first, then 特粗 before 精.
    data_[0].supr_coarse_gap = 0.3, data_[0].coarse_gap = 0.1, data_[0].fine_gap = 0.1;
    ASSERT_EQ(0, make());
    EXPECT_EQ((V{"粗", "特粗", "精", "精"}), stages());
    EXPECT_EQ((V{"M2301-E01-R1", "M2301-E01-S1", "M2301-E01-F1", "M2301-E01-F2"}), ids());
}

TEST_F(JobOps, ZeroAndNegativeCountsGiveNoOperations) {
    sheet_.count = 3;
    data_[0].coarse_count = 0;          // a stage without rows keeps its letter
    data_[1].coarse_count = data_[1].supr_coarse_count = data_[1].fine_count = 0;
    data_[2].coarse_count = -3, data_[2].supr_coarse_count = 0, data_[2].fine_count = 1;
    ASSERT_EQ(0, make());
    EXPECT_EQ((V{"M2301-E01-S1", "M2301-E01-F1", "M2301-E01-F2", "M2301-E03-F1"}), ids());
    // Nothing to make at all: no operations, no failure.
    data_[0].supr_coarse_count = data_[0].fine_count = data_[2].fine_count = 0;
    ASSERT_EQ(0, make());
    EXPECT_EQ(0, sheet_.op_count);
    EXPECT_EQ(nullptr, sheet_.ops);
}

TEST_F(JobOps, IdsKeepWhatABarcodeCarries) {
    char out[64];
    // GBK characters leave whole, even one whose trail byte reads as ASCII ('丂' is 81 40, '@').
    EXPECT_EQ(6u, barcode_chars("模具M23-01号", out, sizeof out));
    EXPECT_STREQ("M23-01", out);
    EXPECT_EQ(2u, barcode_chars("\x81\x40X\x81\x7e" "Y", out, sizeof out));
    EXPECT_STREQ("XY", out);
    EXPECT_EQ(3u, barcode_chars("a\tb\x7f~", out, sizeof out));
    EXPECT_STREQ("ab~", out);
    EXPECT_EQ(3u, barcode_chars("ABCDEF", out, 4));
    EXPECT_STREQ("ABC", out);

    sheet_.count = 3;
    strcpy(data_[0].mould_no, "模具M2301");
    strcpy(data_[1].mould_no, "");        // no mould number: the part's name
    strcpy(data_[2].mould_no, "模具一号");  // nothing a barcode carries: the part's name
    strcpy(data_[2].electrode_name, "电极E03");
    for (int i = 0; i < 3; ++i) data_[i].coarse_count = data_[i].supr_coarse_count = 0, data_[i].fine_count = 1;
    ASSERT_EQ(0, make());
    EXPECT_EQ((V{"M2301-E01-F1", "core-E02-F1", "core-E03-F1"}), ids());
    // Neither: the electrode's name leads.
    strcpy(sheet_.part_name, "型芯");
    ASSERT_EQ(0, make());
    EXPECT_EQ("E02-F1", ids()[1]);
}

TEST_F(JobOps, RefusalsNameTheElectrodesAndKeepNothing) {
    sheet_.count = 2;
    strcpy(data_[1].electrode_name, "电极");
    EXPECT_EQ(-1, make());
    EXPECT_STREQ("电极 电极 的名称中没有条码可用的字符（ASCII 可打印字符），未生成加工单！", message_);
    EXPECT_EQ(nullptr, sheet_.ops);
    EXPECT_EQ(0, sheet_.op_count);
    // Two names the same once reduced: both named, the first in list order first.
    strcpy(data_[1].electrode_name, "E01模");
    EXPECT_EQ(-1, make());
    EXPECT_STREQ("电极 E01 与电极 E01模 的编号相同（M2301-E01-F1），未生成加工单！", message_);
    EXPECT_EQ(nullptr, sheet_.ops);
    // Mould and name run together: "M-A" + "X" and "M" + "A-X".
    strcpy(data_[0].mould_no, "M-A"), strcpy(data_[0].electrode_name, "X");
    strcpy(data_[1].mould_no, "M"), strcpy(data_[1].electrode_name, "A-X");
    EXPECT_EQ(-1, make());
    EXPECT_STREQ("电极 X 与电极 A-X 的编号相同（M-A-X-F1），未生成加工单！", message_);
    // Too long for a label's barcode.
    memset(data_[0].mould_no, 'M', 60);
    data_[0].mould_no[60] = '\0';
    EXPECT_EQ(-1, make());
    EXPECT_STREQ("电极 X 的编号超过 63 个字符，未生成加工单！", message_);
    // So many pieces that the list would not be printed: refused before anything is allocated.
    strcpy(data_[0].mould_no, "M");
    data_[0].fine_count = KV_OPS_MAX;
    EXPECT_EQ(-1, make());
    EXPECT_EQ(nullptr, sheet_.ops);
    data_[0].fine_count = data_[1].fine_count = 0x7fffffff;
    EXPECT_EQ(-1, make());
    EXPECT_STREQ("电极总数超过 20000 件，未生成加工单！", message_);
}

std::string csv_of(const job_sheet* sheet) {
    char* buf = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&buf, &size);
    EXPECT_EQ(0, write_job_ops_csv(f, sheet));
    fclose(f);
    std::string out(buf, size);
    free(buf);
    return out;
}

TEST_F(JobOps, TheListHasOneRowPerElectrodeWithThePlacementFlagsAndStock) {
    sheet_.count = 2;
    parse_stock_list("40x30x60,", &sheet_.stock);
    rows_[0].place = {KV_PLACE_TILT, {50, 105, 30}, 37.5, {0, 0.5, 0.866}};
    strcpy(rows_[0].material, "紫铜");
    rows_[0].has_box = 1;
    rows_[0].stock.index = 0;
    rows_[1].place.kind = KV_PLACE_NO_ECS;
    rows_[1].box_failed = 1;
    strcpy(data_[1].electrode_name, "E,2");
    data_[1].coarse_count = data_[1].fine_count = 0;
    ASSERT_EQ(0, make());
    EXPECT_EQ("工序号,编号,电极,阶段,件号,X,Y,Z,C,单边火花位,标记,材料,备料\r\n"
              "1,M2301-E01-R1,E01,特粗,1,50.000,105.000,30.000,37.500,0.300,TILT,紫铜,40x30x60\r\n"
              "2,M2301-E01-S1,E01,粗,1,50.000,105.000,30.000,37.500,0.150,TILT,紫铜,40x30x60\r\n"
              "3,M2301-E01-F1,E01,精,1,50.000,105.000,30.000,37.500,0.050,TILT,紫铜,40x30x60\r\n"
              "4,M2301-E01-F2,E01,精,2,50.000,105.000,30.000,37.500,0.050,TILT,紫铜,40x30x60\r\n"
              "5,\"M2301-E,2-S1\",\"E,2\",粗,1,,,,,0.150,NO_ECS BOX?,,\r\n",
              csv_of(&sheet_));
}

}  // namespace
