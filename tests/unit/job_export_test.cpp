// Export templates: every placeholder and format, conditionals, line ends kept, each malformed
// template refused with its line, output names, and the files written beside the job sheet with
// a bad template costing only its own file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config_fixture.h"
#include "drawing/job_export.h"
#include "drawing/job_ops.h"
#include "test_support.h"

namespace {

using kv_test::read_file;

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Three electrodes: E1 placed at (50, 105, -0.0004) turned 90 and cut from 40x30x60, with a 特粗
// and two 精 burns; E2 tilted near the origin without a blank, one 粗 burn; E3 without a
// coordinate system, its box not measured, one 精 burn.
class JobExport : public kv_test::SettingsHost {
protected:
    void SetUp() override {
        SettingsHost::SetUp();
        memset(&sheet_, 0, sizeof sheet_);
        memset(data_, 0, sizeof data_);
        memset(rows_, 0, sizeof rows_);
        parse_stock_list("20x20x50,40x30x60,", &sheet_.stock);
        strcpy(sheet_.mould_no, "M2301");
        strcpy(sheet_.workpiece, "型芯");
        strcpy(sheet_.datum, "坐标系 EDM_DATUM");
        strcpy(sheet_.units, "mm");
        strcpy(sheet_.date, "2026/12/08");
        strcpy(sheet_.part_name, "core");
        const char* names[3] = {"E1", "E2", "E3"};
        for (int i = 0; i < 3; ++i) {
            strcpy(data_[i].electrode_name, names[i]);
            strcpy(data_[i].mould_no, "M2301");
            rows_[i].data = &data_[i];
            rows_[i].stock.index = -1;
        }
        data_[0].coarse_gap = 0.25, data_[0].coarse_count = 1;
        data_[0].fine_gap = 0.05, data_[0].fine_count = 2;
        data_[1].supr_coarse_gap = 0.4, data_[1].supr_coarse_count = 1;
        data_[2].fine_gap = 0.1, data_[2].fine_count = 1;
        strcpy(rows_[0].material, "紫铜");
        strcpy(rows_[0].method, "平动");
        strcpy(rows_[0].machine, "1号火花机");
        rows_[0].place = {KV_PLACE_SET, {50, 105, -0.0004}, 90, {0, 0, 1}};
        rows_[0].has_box = 1;
        rows_[0].stock = {1, 0, {28, 38, 55}};
        rows_[1].place = {KV_PLACE_TILT, {-0.0001, 2, 3.25}, 0, {0, -0.17365, 0.98481}};
        rows_[1].has_box = 1;
        rows_[1].stock = {-1, 0, {102, 12, 20}};
        rows_[2].place.kind = KV_PLACE_NO_ECS;
        rows_[2].box_failed = 1;
        sheet_.rows = rows_;
        sheet_.count = 3;
        char message[256];
        ASSERT_EQ(0, make_job_ops(&sheet_, message, sizeof message)) << message;
    }
    void TearDown() override {
        free_export_template(&t_);
        free(sheet_.ops);
        SettingsHost::TearDown();
    }
    // The template's output for the sheet; "<refused: message>" when the template is refused.
    std::string fill(const std::string& text) {
        char message[1024];
        if (parse_export_template("t.tpl", text.data(), text.size(), &t_, message, sizeof message) != 0)
            return std::string("<refused: ") + message + ">";
        std::string path = tmp_ / "out";
        FILE* f = fopen(path.c_str(), "wb");
        EXPECT_EQ(0, write_export(f, &t_, &sheet_));
        fclose(f);
        return read_file(path);
    }
    // The message refusing text, "" when it is accepted.
    std::string refusal(const std::string& text) {
        char message[1024];
        int rc = parse_export_template("bad.tpl", text.data(), text.size(), &t_, message, sizeof message);
        EXPECT_TRUE(rc == 0 || t_.text == nullptr) << "nothing kept on failure";
        return rc == 0 ? "" : message;
    }
    std::string name_of(const std::string& text) {
        char name[KV_EXPORT_NAME_SIZE] = "x";
        if (parse_export_template("t.tpl", text.data(), text.size(), &t_, nullptr, 0) != 0) return "<refused>";
        return export_file_name(&t_, &sheet_, name, sizeof name) == 0 ? name : "<none>";
    }
    job_sheet sheet_;
    electrode_data data_[3];
    job_row rows_[3];
    export_template t_ = {};
};

TEST_F(JobExport, EveryPlaceholderWithItsDefaultFormat) {
    EXPECT_EQ("core|M2301|型芯|2026/12/08|坐标系 EDM_DATUM|mm|5|3\n"
              "1|1|M2301-E1-R1|E1|特粗|1|50.000|105.000|0.000|90.000|0.250||紫铜|平动|1号火花机|40x30x60\n"
              "2|2|M2301-E1-S1|E1|精|1|50.000|105.000|0.000|90.000|0.050||紫铜|平动|1号火花机|40x30x60\n"
              "3|3|M2301-E1-S2|E1|精|2|50.000|105.000|0.000|90.000|0.050||紫铜|平动|1号火花机|40x30x60\n"
              "4|4|M2301-E2-R1|E2|粗|1|0.000|2.000|3.250|0.000|0.400|TILT||||NO_STOCK\n"
              "5|5|M2301-E3-R1|E3|精|1|||||0.100|NO_ECS BOX?||||\n"
              "end M2301-E1-R1 E1 50.000\n",
              fill("FILE=x\n#PART#|#MOULD#|#WORKPIECE#|#DATE#|#DATUM#|#UNITS#|#OP_COUNT#|#ELECTRODE_COUNT#\n"
                   "OP_START\n"
                   "#ROW#|#OP#|#ID#|#ELECTRODE#|#STAGE#|#COPY#|#X#|#Y#|#Z#|#C#|#GAP#|#FLAGS#|#MATERIAL#|#METHOD#|"
                   "#MACHINE#|#STOCK#\n"
                   "OP_END\nend #ID# #ELECTRODE# #X#\n"));
}

TEST_F(JobExport, WidthsAndDecimals) {
    // Numbers right-aligned with the decimals asked for, texts left-aligned, a value wider than
    // its width whole, a value that rounds to zero without sign (-0.0001 as 0.00), -0.0006 with
    // its sign; an electrode without a position gets blanks of the width.
    rows_[0].place.position[2] = -0.0006;
    EXPECT_EQ("[  1][E1  ][    50.00][-0.001][105.0000][90][0.25][  1]\n"
              "[  2][E1  ][    50.00][-0.001][105.0000][90][0.05][  2]\n"
              "[  3][E1  ][    50.00][-0.001][105.0000][90][0.05][  3]\n"
              "[  4][E2  ][     0.00][ 3.250][2.0000][ 0][0.40][  4]\n"
              "[  5][E3  ][         ][      ][ ][  ][0.10][  5]\n",
              fill("FILE=x\nOP_START\n"
                   "[#OP:3#][#ELECTRODE:4#][#X:9.2#][#Z:6.3#][#Y:1.4#][#C:2.0#][#GAP:0.2#][#ROW:3.0#]\n"
                   "OP_END\n"));
}

TEST_F(JobExport, ConditionalLinesAndTheRowsTheyLeave) {
    EXPECT_EQ("1:M2301-E1-R1\nat 50.000\n2:M2301-E1-S1\nat 50.000\n3:M2301-E1-S2\nat 50.000\n"
              "4:M2301-E2-R1\n  tilted M2301-E2-R1\nat 0.000\n5:M2301-E3-R1\ncount 5\n",
              fill("FILE=x\nOP_START\n#ROW#:#ID#\n  OP_IF  TILT \n  tilted #ID#\nOP_END_IF\n"
                   "OP_IF !NO_ECS\nat #X#\nOP_END_IF\nOP_END\ncount #OP_COUNT#\n"));
    // An operation that writes no line takes no row and is not counted.
    EXPECT_EQ("n=4\n1=M2301-E1-R1\n2=M2301-E1-S1\n3=M2301-E1-S2\n4=M2301-E2-R1\n",
              fill("FILE=x\nn=#OP_COUNT#\nOP_START\nOP_IF !NO_ECS\n#ROW#=#ID#\nOP_END_IF\nOP_END\n"));
    EXPECT_EQ("S M2301-E2-R1\nB M2301-E3-R1\n",
              fill("FILE=x\nOP_START\nOP_IF BOX?\nB #ID#\nOP_END_IF\nOP_IF NO_STOCK\nS #ID#\nOP_END_IF\n"
                   "OP_IF MIRRORED\nM #ID#\nOP_END_IF\nOP_END\n"));
}

TEST_F(JobExport, LineEndsCommentsAndHashesKept) {
    // Each line keeps its own end; a last line without one gets none; comments and keywords
    // write nothing.
    EXPECT_EQ("A core\r\n1\n2\n3\n4\n5\nZ", fill("! c\r\nFILE=x\r\nA #PART#\r\n! c\nOP_START\r\n#OP#\nOP_END\r\nZ"));
    // "##" is a '#'; a '#' that starts no complete placeholder is text.
    EXPECT_EQ("# #1 #ID x #a-b# core #\n", fill("FILE=x\n## #1 #ID x #a-b# #PART# #\n"));
}

TEST_F(JobExport, MalformedTemplatesNameTheLineAndWhatIsWrong) {
    EXPECT_EQ("导出模板 bad.tpl 第 2 行：未知的占位符 #NAME#，未写入该模板的文件！", refusal("FILE=x\n#NAME#\n"));
    struct Case {
        const char* text;
        int line;
        const char* what;
    };
    const Case cases[] = {
        {"FILE=x\r\n#id#\r\n", 2, "未知的占位符 #id#"},
        {"FILE=#WHO#.txt\n", 1, "未知的占位符 #WHO#"},
        {"FILE=x\nOP_START\n#X:a.3#\nOP_END\n", 3, "#X# 的格式不是"},
        {"FILE=x\nOP_START\n#X:65.2#\nOP_END\n", 3, "#X# 的格式不是"},
        {"FILE=x\nOP_START\n#X:3.#\nOP_END\n", 3, "#X# 的格式不是"},
        {"FILE=x\nOP_START\n#X:3.10#\nOP_END\n", 3, "#X# 的格式不是"},
        {"FILE=x\nOP_START\n#X:.3#\nOP_END\n", 3, "#X# 的格式不是"},
        {"FILE=x\nOP_START\n#X:#\nOP_END\n", 3, "#X# 的格式不是"},
        {"FILE=x\nOP_START\n#ID:8.2#\nOP_END\n", 3, "#ID# 不是小数"},
        {"FILE=x\nOP_START\n#COPY:3.1#\nOP_END\n", 3, "#COPY# 不是小数"},
        {"FILE=x\nOP_START\nA\n", 2, "OP_START 没有对应的 OP_END"},
        {"FILE=x\nOP_START\nOP_START\nOP_END\n", 3, "OP_START 只能出现一次"},
        {"FILE=x\nOP_START\nOP_END\nOP_START\nOP_END\n", 4, "OP_START 只能出现一次"},
        {"FILE=x\nOP_END\n", 2, "OP_END 前没有 OP_START"},
        {"A\nFILE=x\n", 1, "第一行应为 FILE="},
        {"! only a comment\n", 1, "没有 FILE="},
        {"", 1, "没有 FILE="},
        {"FILE=  \n", 1, "FILE= 后没有文件名"},
        {"FILE=x\nOP_IF TILT\n", 2, "OP_IF 只能用在"},
        {"FILE=x\nOP_START\nOP_IF TILT\nOP_IF !TILT\n", 4, "OP_IF 不能嵌套"},
        {"FILE=x\nOP_START\nOP_IF SLANTED\n", 3, "OP_IF 后的标记未知"},
        {"FILE=x\nOP_START\nOP_IF\n", 3, "OP_IF 后的标记未知"},
        {"FILE=x\nOP_START\nOP_END_IF\n", 3, "OP_END_IF 前没有 OP_IF"},
        {"FILE=x\nOP_START\nOP_IF TILT\nOP_END\n", 4, "OP_IF 没有对应的 OP_END_IF"},
        {"FILE=x\n#ROW#\n", 2, "#ROW# 只能用在"},
        {"FILE=x\nOP_START\nOP_END\n#ROW#\n", 4, "#ROW# 只能用在"},
    };
    for (const Case& c : cases) {
        std::string message = refusal(c.text);
        char where[64];
        snprintf(where, sizeof where, "第 %d 行：", c.line);
        EXPECT_NE(std::string::npos, message.find(where)) << c.text << " -> " << message;
        EXPECT_NE(std::string::npos, message.find(c.what)) << c.text << " -> " << message;
    }
    // Accepted: whole numbers with no decimals, a width alone, keywords with blanks around.
    EXPECT_EQ("", refusal("FILE=x\nOP_START\n#ROW:3.0##COPY:2##X:0.4#\n OP_IF !BOX? \nOP_END_IF\nOP_END\n"));
}

TEST_F(JobExport, OutputNamesAreFileNames) {
    EXPECT_EQ("core_1号火花机.job", name_of("FILE=#PART#_#MACHINE#.job\n"));
    EXPECT_EQ("a_b_c_d_e_f_g_h_i_j.txt", name_of("FILE=a/b\\c:d*e?f\"g<h>i|j.txt\n"));
    EXPECT_EQ("_.._x", name_of("FILE=/../x\n"));
    EXPECT_EQ("<none>", name_of("FILE=..\n"));
    strcpy(sheet_.part_name, "");
    EXPECT_EQ("<none>", name_of("FILE=#PART#\n"));
    std::string long_name = "FILE=" + std::string(300, 'n') + "\n";
    EXPECT_EQ("<none>", name_of(long_name));
}

// The files beside the job sheet: every template that can be written is, whatever the others.
TEST_F(JobExport, EachTemplateWrittenOnItsOwn) {
    config("EDM_EXPORT_TEMPLATES = good.tpl, missing.tpl, bad.tpl, clash.tpl, ../data/good.tpl, again.tpl, third.tpl\n");
    kv_test::write_file(tool_ + "/data/good.tpl", "FILE=#PART#_GOOD.txt\nOP_START\n#ID#\nOP_END\n");
    kv_test::write_file(tool_ + "/data/bad.tpl", "FILE=x.txt\n#NOPE#\n");
    kv_test::write_file(tool_ + "/data/clash.tpl", "! the job sheet's\nFILE=#PART#_edm.CSV\n");
    kv_test::write_file(tool_ + "/data/again.tpl", "FILE=core_good.TXT\n");
    kv_test::write_file(tool_ + "/data/third.tpl", "FILE=third.txt\r\n#OP_COUNT#\r\n");
    const std::string jobs = tmp_ / "jobs";
    kv_test::make_dirs(jobs);
    const char* taken[] = {"core_EDM.csv", "core_EDM.html"};
    EXPECT_EQ(2, write_export_files(&sheet_, jobs.c_str(), taken, 2));
    EXPECT_EQ("M2301-E1-R1\nM2301-E1-S1\nM2301-E1-S2\nM2301-E2-R1\nM2301-E3-R1\n", read_file(jobs + "/core_GOOD.txt"));
    EXPECT_EQ("5\r\n", read_file(jobs + "/third.txt"));
    EXPECT_FALSE(exists(jobs + "/x.txt"));
    EXPECT_EQ((std::vector<std::string>{
                  "box: 无法读取导出模板 missing.tpl（文件不存在或无法打开），未写入该模板的文件！",
                  "box: 导出模板 bad.tpl 第 2 行：未知的占位符 #NOPE#，未写入该模板的文件！",
                  "box: 导出模板 clash.tpl 第 2 行：输出文件 core_edm.CSV 与加工单或其它模板的文件同名，未写入该模板的文件！",
                  "box: 无法读取导出模板 ../data/good.tpl（不是数据文件夹中的文件名），未写入该模板的文件！",
                  "box: 导出模板 again.tpl 第 1 行：输出文件 core_good.TXT 与加工单或其它模板的文件同名，未写入该模板的文件！",
              }),
              seen());
}

TEST_F(JobExport, UnwritableOutputKeepsWhatIsThere) {
    config("EDM_EXPORT_TEMPLATES=a.tpl,b.tpl,c.tpl,\n");
    kv_test::write_file(tool_ + "/data/a.tpl", "FILE=a.txt\nnew\n");
    kv_test::write_file(tool_ + "/data/b.tpl", "FILE=b.txt\nnew\n");
    kv_test::write_file(tool_ + "/data/c.tpl", "FILE=c.txt\nnew\n");
    const std::string jobs = tmp_ / "jobs";
    kv_test::write_file(jobs + "/a.txt", "old");
    chmod((jobs + "/a.txt").c_str(), 0444);
    kv_test::make_dirs(jobs + "/b.txt");
    EXPECT_EQ(1, write_export_files(&sheet_, jobs.c_str(), nullptr, 0));
    EXPECT_EQ("old", read_file(jobs + "/a.txt"));
    EXPECT_EQ("new\n", read_file(jobs + "/c.txt"));
    EXPECT_EQ((std::vector<std::string>{"box: 文件为只读，导出文件未写入：" + jobs + "/a.txt",
                                        "box: 已有同名的文件夹，导出文件未写入：" + jobs + "/b.txt"}),
              seen());
}

TEST_F(JobExport, NoSettingNoFiles) {
    config("ELECTRODE_PREFIX_NAME=E\n");
    const std::string jobs = tmp_ / "jobs";
    kv_test::make_dirs(jobs);
    EXPECT_EQ(0, write_export_files(&sheet_, jobs.c_str(), nullptr, 0));
    EXPECT_TRUE(seen().empty());
}

}  // namespace

// The demo's and the export case's settings are the shipped ones with a few lines in front: the
// shipped file whole after them, so that neither drifts from what a shop gets.
TEST(ExportSettings, CopiesOfTheShippedSettingsEndWithThemWhole) {
    const std::string shipped = read_file(kv_test::source_path("kit/data/config.dat"));
    ASSERT_FALSE(shipped.empty());
    for (const char* copy : {"examples/demo/kit/data/config.dat", "tests/scenarios/jobsheet_export/kit/data/config.dat"}) {
        const std::string text = read_file(kv_test::source_path(copy));
        ASSERT_GT(text.size(), shipped.size()) << copy;
        EXPECT_EQ(shipped, text.substr(text.size() - shipped.size())) << copy << " is not the shipped settings";
    }
}
