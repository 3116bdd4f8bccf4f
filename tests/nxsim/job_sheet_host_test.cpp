// The job sheet against the simulated host: placements from the datum named in the settings,
// boxes measured by plane probes with the WCS given back and nothing left in the part, the
// files and the messages, and every NX call of the button failing once.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "case_fixture.h"
#include "config_fixture.h"
#include "drawing/job_sheet.h"
#include "scenario.h"

namespace {

using json = nlohmann::json;

const char kConfig[] =
    "ELECTRODE_PREFIX_NAME=E\n"
    "ELECTRODE_START_LAYER=101\n"
    "ELECTRODE_END_LAYER=200\n"
    "ELECTRODE_DRAFT_MATERIAL=紫铜,石墨,\n"
    "EDM_DATUM_CSYS=edm_datum\n"
    "ELECTRODE_STOCK_LIST=30x,30x30x40,40x30x60,\n"
    "ELECTRODE_STOCK_CLAMP=5\n";

// The datum at (10, 20, 0) turned 90 degrees; the WCS elsewhere, turned 90 degrees too.
//   E1 (101) block 20 x 10 x 5 with its ECS at (30, 20, 0) turned 180 degrees
//   E2 (102) block with its ECS tilted 10 degrees about X
//   E3 (103) block 10 x 20 x 70 along the absolute axes, no ECS
//   E4 (104) an ECS and no body
//   E5 (105) block with a left-handed ECS
const char kPart[] = R"({ "format": "nxsim-part", "version": 1,
  "wcs": { "origin": [1, 2, 3], "matrix": [0, 1, 0, -1, 0, 0, 0, 0, 1] },
  "objects": [
  { "id": 1, "type": "csys", "name": "EDM_DATUM", "layer": 1, "origin": [10, 20, 0], "matrix": [0, 1, 0, -1, 0, 0, 0, 0, 1] },
  { "id": 2, "type": "category", "name": "E1", "layers": [101] },
  { "id": 3, "type": "solid", "layer": 101, "shape": { "box": { "origin": [20, 15, 0], "size": [20, 10, 5] } } },
  { "id": 4, "type": "csys", "name": "E1_CSYS", "layer": 101, "origin": [30, 20, 0], "matrix": [-1, 0, 0, 0, -1, 0, 0, 0, 1] },
  { "id": 5, "type": "category", "name": "E2", "layers": [102] },
  { "id": 6, "type": "solid", "layer": 102, "shape": { "box": { "origin": [0, 0, 0], "size": [10, 10, 10] } } },
  { "id": 7, "type": "csys", "name": "E2_CSYS", "layer": 102, "origin": [0, 0, 0],
    "matrix": [1, 0, 0, 0, 0.984807753012208, 0.17364817766693, 0, -0.17364817766693, 0.984807753012208] },
  { "id": 8, "type": "category", "name": "E3", "layers": [103] },
  { "id": 9, "type": "solid", "layer": 103, "shape": { "box": { "origin": [-50, 0, 0], "size": [10, 20, 70] } } },
  { "id": 10, "type": "category", "name": "E4", "layers": [104] },
  { "id": 11, "type": "csys", "name": "E4_CSYS", "layer": 104, "origin": [5, 5, 5], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 12, "type": "category", "name": "E5", "layers": [105] },
  { "id": 13, "type": "solid", "layer": 105, "shape": { "box": { "origin": [100, 0, 0], "size": [8, 6, 4] } } },
  { "id": 14, "type": "csys", "name": "E5_CSYS", "layer": 105, "origin": [100, 0, 0], "matrix": [0, 1, 0, 1, 0, 0, 0, 0, 1] } ] })";

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class JobSheetHost : public kv_test::SettingsHost {
protected:
    void SetUp() override {
        SettingsHost::SetUp();
        config(kConfig);
        open_part("mould/core.prt", kPart);
        head_ = build_electrode_list();
        ASSERT_NE(nullptr, head_);
    }
    void TearDown() override {
        free_electrode_list(head_);
        SettingsHost::TearDown();
    }
    std::string part_json() { return nxsim::part_json(UF_ASSEM_ask_work_part()); }
    electrode_record* head_ = nullptr;
};

TEST_F(JobSheetHost, PlacementsAndBoxesInTheDatum) {
    const std::string before = part_json();
    job_sheet s;
    ASSERT_EQ(0, gather_job_sheet(head_, &s));
    ASSERT_EQ(5, s.count);
    EXPECT_STREQ("坐标系 edm_datum", s.datum);
    EXPECT_STREQ("mm", s.units);
    const job_row* r = s.rows;
    // E1: 20 along absolute X from the datum is 20 along the datum's -Y; turned 90 from it.
    EXPECT_EQ(KV_PLACE_SET, r[0].place.kind);
    EXPECT_NEAR(0, r[0].place.position[0], 1e-9);
    EXPECT_NEAR(-20, r[0].place.position[1], 1e-9);
    EXPECT_EQ(90.0, r[0].place.c);
    ASSERT_EQ(1, r[0].has_box);
    const double e1[3] = {20, 10, 5};
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(e1[a], r[0].size[a], 0.0006) << a;
    // 22 x 12 x 10 fits 30x30x40 (the malformed "30x" skipped, the clamp 5 from the settings).
    EXPECT_EQ(0, r[0].stock.index);
    EXPECT_EQ(KV_PLACE_TILT, r[1].place.kind);
    EXPECT_NEAR(0.17365, std::fabs(r[1].place.z_dir[0]), 1e-5);
    // E3 has no ECS: measured along the datum's axes, so its 10 x 20 turns into 20 x 10.
    EXPECT_EQ(KV_PLACE_NO_ECS, r[2].place.kind);
    ASSERT_EQ(1, r[2].has_box);
    EXPECT_NEAR(20, r[2].size[0], 0.0006);
    EXPECT_NEAR(10, r[2].size[1], 0.0006);
    EXPECT_EQ(-1, r[2].stock.index);  // 75 long needs more than 60
    EXPECT_EQ(KV_PLACE_SET, r[3].place.kind);
    EXPECT_EQ(0, r[3].has_box);
    EXPECT_EQ(KV_PLACE_MIRRORED, r[4].place.kind);
    ASSERT_EQ(1, r[4].has_box);
    EXPECT_NEAR(6, r[4].size[0], 0.0006);  // along the ECS X, which is absolute Y
    EXPECT_NEAR(4, r[4].size[2], 0.0006);
    free_job_sheet(&s);
    // No probe, marker or system left, and the WCS as it was.
    EXPECT_EQ(before, part_json());
}

TEST_F(JobSheetHost, AbsoluteDatumWhenTheSettingNamesNothing) {
    config("ELECTRODE_PREFIX_NAME=E\nEDM_DATUM_CSYS=NOPE\n");
    job_sheet s;
    ASSERT_EQ(0, gather_job_sheet(head_, &s));
    EXPECT_STREQ("绝对坐标系（没有可用的坐标系 NOPE）", s.datum);
    EXPECT_NEAR(30, s.rows[0].place.position[0], 1e-9);
    EXPECT_EQ(180.0, s.rows[0].place.c);
    EXPECT_EQ(0, s.stock.count);
    free_job_sheet(&s);
    config("ELECTRODE_PREFIX_NAME=E\n");
    ASSERT_EQ(0, gather_job_sheet(head_, &s));
    EXPECT_STREQ("绝对坐标系（未设置 EDM_DATUM_CSYS）", s.datum);
    free_job_sheet(&s);
}

// The datum the settings name is in the part but cannot be read: the sheet stops with a message
// naming it, and the files of an earlier press stay as they were. Measured from the absolute frame
// instead, every position would be wrong (E1 at X 30 instead of 0) while the status said written.
TEST_F(JobSheetHost, ADatumThatCannotBeReadStopsTheSheetNamingIt) {
    std::string folder = tmp_ / "jobs";
    kv_test::make_dirs(folder);
    ASSERT_EQ(0, write_job_sheet(head_, folder.c_str()));
    const std::string csv_before = file_text(folder + "/core_EDM.csv");
    // The third work-part question is the datum's lookup (after the sheet's and the units').
    const std::pair<const char*, int> faults[] = {
        {"UF_CSYS_ask_csys_info", 1}, {"UF_CSYS_ask_matrix_values", 1},
        {"UF_OBJ_cycle_by_name_and_type", 1}, {"UF_ASSEM_ask_work_part", 3}};
    for (const auto& [call, n] : faults) {
        nxsim::fail(call, nxsim::FaultMode::Nth, n);
        job_sheet s;
        EXPECT_EQ(-3, gather_job_sheet(head_, &s)) << call;
        EXPECT_EQ(0, s.count) << call;
        EXPECT_EQ("box: 无法读取加工单的基准坐标系 edm_datum，未生成加工单！", seen().back()) << call;
        nxsim::clear_faults();
        // Writing, the work part is asked once more before the sheet is gathered.
        nxsim::fail(call, nxsim::FaultMode::Nth, strcmp(call, "UF_ASSEM_ask_work_part") == 0 ? n + 1 : n);
        EXPECT_EQ(-2, write_job_sheet(head_, folder.c_str())) << call;
        EXPECT_EQ("box: 无法读取加工单的基准坐标系 edm_datum，未生成加工单！", seen().back()) << call;
        EXPECT_EQ(csv_before, file_text(folder + "/core_EDM.csv")) << call;
        nxsim::clear_faults();
    }
}

// NX cannot say whether an electrode has a coordinate system: its row would read NO_ECS with a
// larger blank, so the sheet stops and names the electrode.
TEST_F(JobSheetHost, AnEcsLookupThatFailsStopsTheSheetNamingTheElectrode) {
    nxsim::fail("UF_LAYER_cycle_by_layer", nxsim::FaultMode::Once);
    job_sheet s;
    EXPECT_EQ(-3, gather_job_sheet(head_, &s));
    EXPECT_EQ(0, s.count);
    EXPECT_EQ("box: 无法读取电极 E1 的坐标系，未生成加工单！", seen().back());
    ASSERT_EQ(0, gather_job_sheet(head_, &s));
    EXPECT_EQ(KV_PLACE_SET, s.rows[0].place.kind);
    free_job_sheet(&s);
}

// A stock list longer than the sheet reads, or than a setting holds, is used as far as it goes
// and the user is told, instead of blanks left out without a word.
TEST_F(JobSheetHost, ACutStockListIsTold) {
    std::string folder = tmp_ / "jobs";
    kv_test::make_dirs(folder);
    std::string items;
    for (int i = 0; i < KV_STOCK_MAX + 1; ++i) items += "40x30x" + std::to_string(60 + i) + ",";
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_STOCK_LIST=" + items + "\n");
    ASSERT_EQ(0, write_job_sheet(head_, folder.c_str()));
    const std::string told = "box: 备料表（ELECTRODE_STOCK_LIST）只使用了前 64 种坯料，其余的未读取！";
    EXPECT_EQ(told, seen()[seen().size() - 2]);
    EXPECT_EQ(0u, seen().back().find("status: 加工单已写入："));
    // A line longer than the 1023 characters a setting holds ends inside an item, here
    // "100.125x200.125x3" of "...x300.125", which would read as a blank 3 long: it is dropped.
    items = std::string(24, 'x') + ",";
    for (int i = 0; i < 43; ++i) items += "100.125x200.125x300.125,";
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_STOCK_LIST=" + items + "\n");
    job_sheet s;
    ASSERT_EQ(0, gather_job_sheet(head_, &s));
    EXPECT_EQ(1, s.stock.cut);
    EXPECT_EQ(40, s.stock.count);
    for (int i = 0; i < s.stock.count; ++i) EXPECT_EQ(300.125, s.stock.blanks[i].l) << i;
    free_job_sheet(&s);
}

// Why a press wrote nothing is told with the file: a read-only earlier sheet, a folder of the
// sheet's name. The other file of the press is not written either.
TEST_F(JobSheetHost, ARefusedTargetIsNamedWithItsReason) {
    std::string folder = tmp_ / "jobs";
    kv_test::make_dirs(folder + "/core_EDM.html");
    EXPECT_EQ(-2, write_job_sheet(head_, folder.c_str()));
    EXPECT_EQ("box: 已有同名的文件夹，加工单未写入：" + folder + "/core_EDM.html", seen().back());
    EXPECT_FALSE(std::ifstream(folder + "/core_EDM.csv").good());
    kv_test::write_file(folder + "/core_EDM.csv", "read-only");
    chmod((folder + "/core_EDM.csv").c_str(), 0444);
    EXPECT_EQ(-2, write_job_sheet(head_, folder.c_str()));
    EXPECT_EQ("box: 文件为只读，加工单未写入：" + folder + "/core_EDM.csv", seen().back());
    EXPECT_EQ("read-only", file_text(folder + "/core_EDM.csv"));
}

// A datum the part does not have falls back on the absolute frame, and every row of the CSV says so.
TEST_F(JobSheetHost, AnAbsentDatumIsNamedOnEveryRowOfTheCsv) {
    config("ELECTRODE_PREFIX_NAME=E\nEDM_DATUM_CSYS=NOPE\n");
    std::string folder = tmp_ / "jobs";
    kv_test::make_dirs(folder);
    ASSERT_EQ(0, write_job_sheet(head_, folder.c_str()));
    std::istringstream csv(file_text(folder + "/core_EDM.csv"));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(",基准\r", line.substr(line.rfind(',')));
    int rows = 0;
    while (std::getline(csv, line)) {
        EXPECT_EQ(",绝对坐标系（没有可用的坐标系 NOPE）\r", line.substr(line.rfind(','))) << line;
        ++rows;
    }
    EXPECT_EQ(5, rows);
}

TEST_F(JobSheetHost, FilesWrittenOrTheUserTold) {
    std::string folder = tmp_ / "jobs";
    kv_test::make_dirs(folder);
    ASSERT_EQ(0, write_job_sheet(head_, folder.c_str()));
    std::ifstream csv(folder + "/core_EDM.csv", std::ios::binary);
    std::string header;
    std::getline(csv, header);
    EXPECT_EQ(0u, header.find("电极,X,Y,Z,C,"));
    std::ifstream html(folder + "/core_EDM.html");
    EXPECT_TRUE(html.good());
    EXPECT_EQ("status: 加工单已写入：core_EDM.csv, .html, _OPS.csv, _LABELS.html, _MAP.svg", seen().back());
    for (const char* f : {"_OPS.csv", "_LABELS.html", "_MAP.svg"}) EXPECT_TRUE(std::ifstream(folder + "/core_EDM" + f).good()) << f;
    // No folder given: the work part's.
    ASSERT_EQ(0, write_job_sheet(head_, ""));
    EXPECT_TRUE(std::ifstream(tmp_ / "mould/core_EDM.html").good());
    // A folder that does not exist: the box names the file, the tool carries on.
    std::string missing = tmp_ / "gone";
    EXPECT_EQ(-2, write_job_sheet(head_, missing.c_str()));
    EXPECT_EQ("box: 无法写入文件（文件夹不可写、磁盘已满或文件被其它程序打开）：" + missing + "/core_EDM.csv", seen().back());
    EXPECT_EQ(-1, write_job_sheet(nullptr, folder.c_str()));
    EXPECT_EQ("box: 没有电极，未生成加工单", seen().back());
}

using kv_test::read_json;

bool has_leftover(const std::string& folder) {
    DIR* d = opendir(folder.c_str());
    if (!d) return false;
    bool found = false;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        found = found || n.find(".tmp") != std::string::npos || n.find(".old") != std::string::npos;
    }
    closedir(d);
    return found;
}

TEST(JobSheetFaults, AnyCallFailingOnceLeavesPartWcsAndFilesWhole) {
    kv_test::TempDir tmp;
    json doc = kv_test::load_case("jobsheet_demo", tmp.path());
    ASSERT_FALSE(doc.is_discarded());
    json without = doc;
    json& trimmed = without["steps"][0]["events"];
    trimmed.erase(trimmed.size() - 2);
    std::ofstream(tmp / "without.json") << without.dump();
    ASSERT_EQ(0, kvsim::run_scenario(tmp / "without.json", tmp / "without").exit_code);
    const json untouched = read_json(tmp / "without/parts/core.json");

    std::ofstream(tmp / "plain.json") << doc.dump();
    ASSERT_EQ(0, kvsim::run_scenario(tmp / "plain.json", tmp / "plain").exit_code);
    EXPECT_EQ(untouched, read_json(tmp / "plain/parts/core.json"));
    std::vector<std::string> log = nxsim::call_log();
    size_t start = 0, end = 0;
    while (start < log.size() && log[start] != "ws_browse_folder_at") ++start;
    for (end = start; end < log.size() && log[end] != "UF_UI_set_status"; ++end) {}
    ASSERT_LT(end, log.size());
    std::map<std::string, int> before;
    for (size_t i = 0; i < start; ++i) ++before[log[i]];
    std::set<std::string> calls(log.begin() + start, log.begin() + end + 1);
    EXPECT_GT(calls.size(), 25u);
    for (const std::string& call : calls) {
        doc["faults"] = json::array({{{"call", call}, {"mode", "nth"}, {"n", before[call] + 1}}});
        std::string path = tmp / (call + ".json");
        std::ofstream(path) << doc.dump();
        std::string out = tmp / call;
        kvsim::RunResult r = kvsim::run_scenario(path, out);
        EXPECT_EQ(0, r.exit_code) << call << ": " << r.message;
        bool fired = false;
        for (const std::string& l : nxsim::call_log()) fired = fired || l == call + " -> injected failure";
        EXPECT_TRUE(fired) << call;
        EXPECT_EQ(untouched, read_json(out + "/parts/core.json")) << call;
        EXPECT_FALSE(has_leftover(out + "/jobs")) << call;
        // The five files of the press, all or none.
        int written = 0;
        for (const char* f : {".csv", ".html", "_OPS.csv", "_LABELS.html", "_MAP.svg"})
            written += std::ifstream(out + "/jobs/core_EDM" + f).good() ? 1 : 0;
        EXPECT_TRUE(written == 0 || written == 5) << call << ": " << written << " files";
    }
}

// The browser opens on the work part's folder: OK alone writes there, a cancel writes nothing
// silently, a choice with no path on disk writes nothing and says so.
TEST(JobSheetFolder, TheBrowserOpensOnThePartsFolderAndACancelWritesNothing) {
    kv_test::TempDir tmp;
    json doc = kv_test::load_case("jobsheet_demo", tmp.path());
    ASSERT_FALSE(doc.is_discarded());
    json& events = doc["steps"][0]["events"];
    json& press = events[events.size() - 2];

    press["answers"] = json::array({{{"folder", nullptr}}});
    std::ofstream(tmp / "cancel.json") << doc.dump();
    ASSERT_EQ(0, kvsim::run_scenario(tmp / "cancel.json", tmp / "cancel").exit_code);
    EXPECT_FALSE(std::ifstream(tmp / "core_EDM.csv").good());
    auto boxes = [] {
        std::vector<std::string> shown;
        for (const std::string& l : kv_test::gbk_lines(nxsim::transcript()))
            if (l.rfind("box: ", 0) == 0) shown.push_back(l.substr(5));
        return shown;
    };
    EXPECT_EQ(std::vector<std::string>{}, boxes());

    press["answers"] = json::array({{{"folder", {{"virtual", u8"此电脑"}}}}});
    std::ofstream(tmp / "no_path.json") << doc.dump();
    ASSERT_EQ(0, kvsim::run_scenario(tmp / "no_path.json", tmp / "no_path").exit_code);
    EXPECT_FALSE(std::ifstream(tmp / "core_EDM.csv").good());
    EXPECT_EQ(std::vector<std::string>{"所选位置不是磁盘上的文件夹，加工单未写入！"}, boxes());

    press["answers"] = json::array({{{"folder", ""}}});
    std::ofstream(tmp / "shown.json") << doc.dump();
    ASSERT_EQ(0, kvsim::run_scenario(tmp / "shown.json", tmp / "shown").exit_code);
    EXPECT_TRUE(std::ifstream(tmp / "core_EDM.csv").good());
    EXPECT_TRUE(std::ifstream(tmp / "core_EDM.html").good());
}

}  // namespace
