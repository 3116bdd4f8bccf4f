// The job sheet's files: the CSV cells of every kind of row, the HTML's header, cut list and
// total, and the replacement that never leaves half a file nor loses the earlier one.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config_fixture.h"
#include "drawing/job_sheet.h"
#include "test_support.h"

namespace {

using kv_test::read_file;

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> csv_lines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) out.push_back(text.substr(at, end - at));
    EXPECT_EQ(text.size(), at) << "the last line ends with CRLF";
    return out;
}

// Three electrodes: E1 placed and cut from blank 1 turned, E2 tilted without a fitting blank,
// E3 without ECS or body.
class JobSheetWrite : public ::testing::Test {
protected:
    void SetUp() override {
        memset(&sheet_, 0, sizeof sheet_);
        memset(data_, 0, sizeof data_);
        memset(rows_, 0, sizeof rows_);
        parse_stock_list("20x20x50,40x30x60,", &sheet_.stock);
        strcpy(sheet_.mould_no, "M<1>");
        strcpy(sheet_.workpiece, "core");
        strcpy(sheet_.datum, "坐标系 EDM_DATUM");
        strcpy(sheet_.units, "mm");
        strcpy(sheet_.date, "2026/12/08");
        const char* names[3] = {"E1", "E,2", "E3"};
        for (int i = 0; i < 3; ++i) {
            strcpy(data_[i].electrode_name, names[i]);
            data_[i].supr_coarse_gap = 0.15;
            data_[i].coarse_gap = 0.3;
            data_[i].fine_gap = 0.05;
            data_[i].supr_coarse_count = 1;
            data_[i].coarse_count = i;
            data_[i].fine_count = 2;
            rows_[i].data = &data_[i];
            rows_[i].stock.index = -1;
        }
        data_[0].relief = 1;
        strcpy(data_[0].drawn_by, "张工");
        strcpy(rows_[0].material, "紫铜");
        rows_[0].place = {KV_PLACE_SET, {50, 105, 30}, 90, {0, 0, 1}};
        rows_[0].has_box = 1;
        rows_[0].size[0] = 26, rows_[0].size[1] = 36, rows_[0].size[2] = 45;
        rows_[0].stock = {1, 1, {28, 38, 55}};
        rows_[1].place = {KV_PLACE_TILT, {-0.0001, 2, 3}, 0, {0, -0.17365, 0.98481}};
        rows_[1].has_box = 1;
        rows_[1].size[0] = 100, rows_[1].size[1] = 10, rows_[1].size[2] = 10;
        rows_[1].stock = {-1, 0, {102, 12, 20}};
        rows_[2].place.kind = KV_PLACE_NO_ECS;
        sheet_.rows = rows_;
        sheet_.count = 3;
    }
    std::string write(job_writer writer) {
        std::string path = tmp_ / "out";
        FILE* f = fopen(path.c_str(), "wb");
        EXPECT_EQ(0, writer(f, &sheet_));
        fclose(f);
        return read_file(path);
    }
    job_sheet sheet_;
    electrode_data data_[3];
    job_row rows_[3];
    kv_test::TempDir tmp_;
};

TEST_F(JobSheetWrite, CsvRowsOfEveryKind) {
    std::vector<std::string> lines = csv_lines(write(write_job_csv));
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("电极,X,Y,Z,C,标记,Z向I,Z向J,Z向K,长,宽,高,材料,方式,加工中心,特粗单边火花位,特粗数量,粗单边火花位,粗数量,精单边火花位,精数量,"
              "线割,避空,清R角,清直角,画图,拆电极,编电极,备料,备料旋转,最小备料,基准",
              lines[0]);
    EXPECT_EQ("E1,50.000,105.000,30.000,90.000,,,,,26.000,36.000,45.000,紫铜,,,0.300,0,0.150,1,0.050,2,"
              "No,Yes,No,No,张工,,,40x30x60,90,,坐标系 EDM_DATUM",
              lines[1]);
    // A name holding a comma is quoted; -0.0001 is 0.000; the tilt gives the Z direction.
    EXPECT_EQ("\"E,2\",0.000,2.000,3.000,0.000,TILT,0.000,-0.174,0.985,100.000,10.000,10.000,,,,0.300,1,0.150,1,"
              "0.050,2,No,No,No,No,,,,NO_STOCK,,102x12x20,坐标系 EDM_DATUM",
              lines[1 + 1]);
    EXPECT_EQ("E3,,,,,NO_ECS,,,,,,,,,,0.300,2,0.150,1,0.050,2,No,No,No,No,,,,,,,坐标系 EDM_DATUM", lines[3]);
}

TEST_F(JobSheetWrite, MirroredRowKeepsItsBoxButNoPosition) {
    rows_[0].place.kind = KV_PLACE_MIRRORED;
    std::vector<std::string> lines = csv_lines(write(write_job_csv));
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(0u, lines[1].find("E1,,,,,MIRRORED,,,,26.000,36.000,45.000,")) << lines[1];
}

TEST_F(JobSheetWrite, HtmlHeaderCutListAndTotal) {
    std::string html = write(write_job_html);
    EXPECT_NE(std::string::npos, html.find("<meta charset=\"gbk\">"));
    EXPECT_NE(std::string::npos, html.find("size: A4 landscape"));
    EXPECT_NE(std::string::npos, html.find("<td>M&lt;1&gt;</td>"));
    EXPECT_NE(std::string::npos, html.find("<td>2026/12/08</td>"));
    EXPECT_NE(std::string::npos, html.find("<td>坐标系 EDM_DATUM</td>"));
    EXPECT_NE(std::string::npos, html.find("<td>E,2</td>"));
    // Cut list: E1's three pieces from 40x30x60, E2's four with no blank; E3 has no box.
    EXPECT_NE(std::string::npos, html.find("<tr><td>40x30x60</td><td class=\"n\">3</td><td>E1</td></tr>"));
    EXPECT_NE(std::string::npos, html.find("<tr><td class=\"f\">NO_STOCK</td><td class=\"n\">4</td><td>E,2</td></tr>"));
    EXPECT_EQ(std::string::npos, html.find("<td>20x20x50</td>"));
    // Every electrode's pieces are made: 3 + 4 + 5.
    EXPECT_NE(std::string::npos, html.find("电极总数：12（3 种）"));
    EXPECT_EQ(html.size() - 15, html.rfind("</body></html>\n"));
}

// An electrode NX failed to measure is flagged beside its placement's flag and listed apart in
// the cut list with its pieces, never dropped from it like one without a body.
TEST_F(JobSheetWrite, UnmeasuredBoxIsFlaggedAndKeptInTheCutList) {
    rows_[2].box_failed = 1;
    rows_[0].box_failed = 1;
    rows_[0].has_box = 0;
    std::vector<std::string> lines = csv_lines(write(write_job_csv));
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(0u, lines[1].find("E1,50.000,105.000,30.000,90.000,BOX?,,,,,,,紫铜,")) << lines[1];
    EXPECT_EQ(0u, lines[3].find("E3,,,,,NO_ECS BOX?,")) << lines[3];
    std::string html = write(write_job_html);
    EXPECT_NE(std::string::npos, html.find("<tr><td class=\"f\">BOX?</td><td class=\"n\">8</td><td>E1 E3</td></tr>"));
    EXPECT_EQ(std::string::npos, html.find("<td>40x30x60</td>"));
    EXPECT_NE(std::string::npos, html.find("电极总数：12（3 种）"));
}

int failing_writer(FILE* out, const job_sheet*) {
    fputs("half", out);
    return -1;
}

// Names in folder that a press leaves behind when it should not (temporary files, copies aside).
std::vector<std::string> leftovers(const std::string& folder) {
    std::vector<std::string> out;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n.find(".tmp") != std::string::npos || n.find(".old") != std::string::npos) out.push_back(n);
        }
        closedir(d);
    }
    return out;
}

TEST_F(JobSheetWrite, ReplacementKeepsTheOldFileOnFailure) {
    std::string path = tmp_ / "core_EDM.csv";
    kv_test::write_file(path, "good old sheet");
    EXPECT_EQ(-1, write_replacing(path.c_str(), failing_writer, &sheet_));
    EXPECT_EQ("good old sheet", read_file(path));
    EXPECT_TRUE(leftovers(tmp_.path()).empty());
    // What was written not reaching the disk (a full disk's last flush) costs nothing either.
    nxsim::fail("ws_commit_file", nxsim::FaultMode::Once);
    EXPECT_EQ(-1, write_replacing(path.c_str(), write_job_csv, &sheet_));
    EXPECT_EQ("good old sheet", read_file(path));
    ASSERT_EQ(0, write_replacing(path.c_str(), write_job_csv, &sheet_));
    EXPECT_EQ(write(write_job_csv), read_file(path));
    EXPECT_TRUE(leftovers(tmp_.path()).empty());
}

TEST_F(JobSheetWrite, UnwritablePlacesLeaveNothing) {
    // A folder that does not exist: nothing is made there.
    std::string missing = tmp_ / "no-such-folder/core_EDM.csv";
    EXPECT_EQ(-1, write_replacing(missing.c_str(), write_job_csv, &sheet_));
    EXPECT_FALSE(exists(tmp_ / "no-such-folder"));
    // A folder standing where the file should go is never moved or replaced.
    std::string blocked = tmp_ / "core_EDM.html";
    kv_test::write_file(blocked + "/inside.txt", "keep");
    EXPECT_EQ(-4, write_replacing(blocked.c_str(), write_job_html, &sheet_));
    EXPECT_EQ("keep", read_file(blocked + "/inside.txt"));
    EXPECT_TRUE(leftovers(tmp_.path()).empty());
    // A read-only earlier sheet is refused as it stands, not moved aside and replaced.
    std::string locked = tmp_ / "locked_EDM.csv";
    kv_test::write_file(locked, "read-only sheet");
    chmod(locked.c_str(), 0444);
    EXPECT_EQ(-3, write_replacing(locked.c_str(), write_job_csv, &sheet_));
    EXPECT_EQ("read-only sheet", read_file(locked));
    EXPECT_TRUE(leftovers(tmp_.path()).empty());
    // A temporary file left by an interrupted press blocks nothing and is not the press's to take.
    std::string path = tmp_ / "core_EDM.csv";
    kv_test::write_file(path + ".1.tmp", "someone's leftover");
    ASSERT_EQ(0, write_replacing(path.c_str(), write_job_csv, &sheet_));
    EXPECT_EQ("someone's leftover", read_file(path + ".1.tmp"));
}

// One press writes its files all or nothing: when the second cannot be placed, the first goes
// back to what it was, so that no new CSV stands beside an old HTML.
TEST_F(JobSheetWrite, AllFilesOfAPressOrNone) {
    std::string csv = tmp_ / "core_EDM.csv", html = tmp_ / "core_EDM.html";
    const char* const paths[2] = {csv.c_str(), html.c_str()};
    const job_writer writers[2] = {write_job_csv, write_job_html};
    const char* failed = nullptr;
    // No earlier files: the first, placed, is taken away again.
    nxsim::fail("ws_replace_file", nxsim::FaultMode::Nth, 2);
    EXPECT_EQ(-2, write_all_replacing(2, paths, writers, &sheet_, &failed));
    EXPECT_EQ(html, failed);
    EXPECT_FALSE(exists(csv));
    EXPECT_FALSE(exists(html));
    // Earlier files: each failing step of the placement brings both back.
    kv_test::write_file(csv, "old csv");
    kv_test::write_file(html, "old html");
    for (int n = 1; n <= 4; ++n) {
        nxsim::clear_faults();
        nxsim::fail("ws_replace_file", nxsim::FaultMode::Nth, n);
        EXPECT_EQ(-2, write_all_replacing(2, paths, writers, &sheet_, &failed)) << n;
        EXPECT_EQ("old csv", read_file(csv)) << n;
        EXPECT_EQ("old html", read_file(html)) << n;
        EXPECT_TRUE(leftovers(tmp_.path()).empty()) << n;
    }
    nxsim::clear_faults();
    // The second target blocked by a folder: the first is not even written.
    kv_test::write_file(tmp_ / "other.html/inside.txt", "keep");
    std::string other = tmp_ / "other.html";
    const char* const blocked[2] = {csv.c_str(), other.c_str()};
    EXPECT_EQ(-4, write_all_replacing(2, blocked, writers, &sheet_, &failed));
    EXPECT_EQ(other, failed);
    EXPECT_EQ("old csv", read_file(csv));
    ASSERT_EQ(0, write_all_replacing(2, paths, writers, &sheet_, &failed));
    EXPECT_EQ(nullptr, failed);
    EXPECT_EQ(write(write_job_csv), read_file(csv));
    EXPECT_EQ(write(write_job_html), read_file(html));
    EXPECT_TRUE(leftovers(tmp_.path()).empty());
}

}  // namespace
