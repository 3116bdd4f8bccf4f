// The runner hands the session absolute, normalised paths: a scenario run from any folder, by
// any spelling of its path, gives the outputs of a run by its absolute path. The plug-in reads
// the mould number and $DIR from the part's folder, so "./core.prt" would show as ".".
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "config_fixture.h"
#include "scenario.h"

namespace {

// Goes into a folder for one run and back to where the test was, whatever the run does.
class InFolder {
public:
    explicit InFolder(const std::string& dir) {
        char buf[PATH_MAX];
        back_ = getcwd(buf, sizeof buf) ? buf : "";
        ok_ = !back_.empty() && chdir(dir.c_str()) == 0;
    }
    ~InFolder() {
        if (!back_.empty() && chdir(back_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << back_;
    }
    bool ok() const { return ok_; }

private:
    std::string back_;
    bool ok_ = false;
};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every output file of a run by its name under the --out folder; drawings carry today's date.
std::map<std::string, std::string> outputs(const std::string& out) {
    std::map<std::string, std::string> files;
    for (const char* name : {"transcript.txt", "listing.txt", "stdout.txt", "parts/core.json",
                             "sheets/core_E01.svg", "sheets/core_E02.svg", "sheets/core_E03.svg"}) {
        std::string text = read_file(out + "/" + name);
        files[name] = std::regex_replace(text, std::regex("[0-9]{4}/[0-9]{2}/[0-9]{2}"), "YYYY/MM/DD");
    }
    return files;
}

// The relative spelling of a path from the folder `from`, both resolved as the kernel does.
std::string relative_from(const std::string& from, const std::string& path) {
    char a[PATH_MAX], b[PATH_MAX];
    if (!realpath(from.c_str(), a) || !realpath(path.c_str(), b)) return path;
    std::string up;
    for (const char* c = a; *c; ++c)
        if (*c == '/') up += "../";
    return up + (b + 1);
}

TEST(ScenarioPaths, RelativeRunsGiveTheOutputsOfTheAbsoluteRun) {
    kv_test::TempDir tmp;
    const std::string case_dir = kv_test::source_path("tests/scenarios/sheet_demo_electrodes");

    ASSERT_EQ(0, kvsim::run_scenario(case_dir + "/scenario.json", tmp / "abs").exit_code);
    auto want = outputs(tmp / "abs");
    ASSERT_NE(std::string::npos, want["parts/core.json"].find("\"PROJECT\": \"sheet_demo_electrodes\""));
    ASSERT_FALSE(want["sheets/core_E03.svg"].empty());

    struct Run {
        std::string cwd, scenario, out;
    } runs[] = {
        {case_dir, "scenario.json", tmp / "here"},
        {case_dir, "./scenario.json", tmp / "dot"},
        {kv_test::source_path("tests"), "./scenarios/../scenarios/sheet_demo_electrodes/scenario.json",
         tmp / "up"},
        // The --out folder relative too.
        {tmp.path(), relative_from(tmp.path(), case_dir + "/scenario.json"), "rel"},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.cwd + ": " + run.scenario);
        {
            InFolder in(run.cwd);
            ASSERT_TRUE(in.ok());
            kvsim::RunResult r = kvsim::run_scenario(run.scenario, run.out);
            ASSERT_EQ(0, r.exit_code) << r.message;
        }
        std::string out = run.out[0] == '/' ? run.out : tmp / run.out;
        auto got = outputs(out);
        for (auto& kv : want) EXPECT_EQ(kv.second, got[kv.first]) << kv.first << " differs";
    }
}

TEST(ScenarioPaths, DotsInsideTheScenarioNameTheRealFolders) {
    kv_test::TempDir tmp;
    const std::string case_dir = kv_test::source_path("tests/scenarios/sheet_demo_electrodes");
    kv_test::write_file(tmp / "M2401/core.prt", read_file(case_dir + "/core.prt"));
    std::string text = read_file(case_dir + "/scenario.json");
    text.replace(text.find("\"../../../kit\""), 14, "\"" + kv_test::source_path("kit") + "/./\"");
    text.replace(text.find("\"core.prt\""), 10, "\"./../M2401/./core.prt\"");
    kv_test::write_file(tmp / "M2401/scenario.json", text);

    kvsim::RunResult r = kvsim::run_scenario(tmp / "M2401/scenario.json", tmp / "out");
    ASSERT_EQ(0, r.exit_code) << r.message;
    std::string part = read_file(tmp / "out/parts/core.json");
    EXPECT_NE(std::string::npos, part.find("\"PROJECT\": \"M2401\""));
    EXPECT_EQ(std::string::npos, part.find("\"PROJECT\": \".\""));
}

}  // namespace
