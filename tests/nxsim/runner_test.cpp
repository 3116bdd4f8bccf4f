// The scenario runner's refusals: each stage (reading the file, starting the session, playing a
// step) names the file and the field with the exit code of its kind, in the order the runner
// meets them, and the outputs are written whenever the scenario could be read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "config_fixture.h"
#include "nxsim/nxsim.h"
#include "scenario.h"

namespace {

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

class Runner : public ::testing::Test {
protected:
    // Runs the scenario text (KIT and PART stand for the kit and a copy of the layer part).
    kvsim::RunResult run(std::string text) {
        for (size_t at; (at = text.find("KIT")) != std::string::npos;) text.replace(at, 3, kv_test::source_path("kit"));
        for (size_t at; (at = text.find("PART")) != std::string::npos;) text.replace(at, 4, tmp_ / "layers.prt");
        kv_test::write_file(path(), text);
        out_ = tmp_ / ("out" + std::to_string(++runs_));
        return kvsim::run_scenario(path(), out_);
    }
    void SetUp() override {
        std::ifstream in(kv_test::source_path("tests/unit/data/layers.prt"), std::ios::binary);
        std::ofstream(tmp_ / "layers.prt", std::ios::binary) << in.rdbuf();
    }
    std::string path() const { return tmp_ / "scenario.json"; }
    std::string out() const { return out_; }
    kv_test::TempDir tmp_;
    std::string out_ = tmp_ / "out";
    int runs_ = 0;
};

TEST_F(Runner, EachStageNamesTheFileAndTheFieldWithItsExitCode) {
    struct Case {
        const char* scenario;
        int exit_code;
        const char* message;  // after "<scenario path>: "
    };
    const Case cases[] = {
        {R"([1])", 2, "not a JSON object"},
        // The fields are checked before any is taken.
        {R"({"steps": {}, "bogus": 1})", 2, "bogus: unknown field"},
        {R"({"env": []})", 2, "env: expected an object of names and values"},
        {R"({"allow_leaks": "yes"})", 2, "allow_leaks: expected true or false"},
        {R"({"host": ["inside_body"]})", 2, "host: expected an object of readings"},
        {R"({"host": {"aligned_box": "tight"}})", 2, "host.aligned_box: expected holds_body or inside_body"},
        {R"({"host": {"clock": "late"}})", 2,
         "host.clock: unknown reading (aligned_box, multi_list_set, view_update)"},
        {R"({"faults": [{"call": "UF_PART_save", "mode": "sometimes"}]})", 2,
         "faults[0].mode: expected once, nth or always"},
        {R"({"part": "missing.prt"})", 2, "part: "},
        {R"({"part": "PART", "steps": {}})", 2, "steps: expected an array"},
        {R"({"part": "PART", "steps": [7]})", 2, "steps[0]: expected an object"},
        {R"({"part": "PART", "steps": [{"close_parts": true}, {"jump": 1}]})", 2,
         "steps[1]: unknown step (action, open_part, close_parts, fail, clear_faults, layers, leave_drawing)"},
        {R"({"part": "PART", "steps": [{"layers": {"2": "hidden"}}]})", 2,
         "steps[0].layers.2: expected work, selectable, reference or invisible"},
        {R"({"kit": "KIT", "part": "PART", "steps": [{"action": "NO_SUCH"}]})", 2,
         "steps[0].action: no menu action 'NO_SUCH' is registered"},
        // A step that leaves a scripted event unused stops the run: the bad step after it is never read.
        {R"({"kit": "KIT", "part": "PART", "steps": [
             {"action": "KELVORA_LAYER", "events": ["cancel", "ok"]}, {"jump": 1}]})",
         1, "steps[0]: 1 scripted event(s) left unused after the dialog setElectLayer.dlg closed; the run stops here"},
    };
    for (const Case& c : cases) {
        kvsim::RunResult r = run(c.scenario);
        EXPECT_EQ(c.exit_code, r.exit_code) << c.scenario << "\n" << r.message;
        EXPECT_EQ(0u, r.message.find(path() + ": " + c.message)) << c.scenario << "\n" << r.message;
        if (c.exit_code == 2 && std::string(c.message) != "not a JSON object") {
            // The session started: what it holds is written, however far the run came.
            EXPECT_TRUE(exists(out() + "/transcript.txt") && exists(out() + "/listing.txt") &&
                        exists(out() + "/stdout.txt") && exists(out() + "/parts"))
                << c.scenario;
        }
    }
}

// A scenario laid over another plays the base, its paths and messages the base's own, under the
// readings the two give together.
TEST_F(Runner, AScenarioLaidOverAnotherPlaysItUnderItsReadings) {
    // The base names its part relative to its own folder and ends on a step it refuses.
    kv_test::write_file(path(), R"({"host": {"aligned_box": "holds_body"}, "part": "layers.prt",
                                    "steps": [{"jump": 1}]})");
    mkdir((tmp_ / "over").c_str(), 0755);
    std::string over = tmp_ / "over/over.json";
    kv_test::write_file(over, R"({"over": "../scenario.json", "host": {"aligned_box": "inside_body"}})");
    kvsim::RunResult r = kvsim::run_scenario(over, out());
    EXPECT_EQ(2, r.exit_code);
    EXPECT_EQ(0u, r.message.find(path() + ": steps[0]: unknown step")) << r.message;
    EXPECT_TRUE(nxsim::readings().box_inside);
    // An overlay gives readings only, and is laid over a plain scenario.
    kv_test::write_file(over, R"({"over": "../scenario.json", "part": "x.prt"})");
    r = kvsim::run_scenario(over, out());
    EXPECT_EQ(over + ": part: a scenario laid over another gives only its host readings", r.message);
    kv_test::write_file(path(), R"({"over": "over/over.json"})");
    kv_test::write_file(over, R"({"over": "../scenario.json"})");
    r = kvsim::run_scenario(over, out());
    EXPECT_EQ(path() + ": over: the base of a scenario laid over it is laid over another", r.message);
}

TEST_F(Runner, AScenarioThatCannotBeReadWritesNothing) {
    kvsim::RunResult r = kvsim::run_scenario(tmp_ / "none.json", out());
    EXPECT_EQ(2, r.exit_code);
    EXPECT_EQ(tmp_ / "none.json: the scenario file cannot be opened", r.message);
    EXPECT_FALSE(exists(out()));
    kv_test::write_file(path(), "{\"steps\": [");
    r = kvsim::run_scenario(path(), out());
    EXPECT_EQ(path() + ": not a JSON object", r.message);
    EXPECT_FALSE(exists(out()));
}

}  // namespace
