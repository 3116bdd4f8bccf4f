// kelvora-sim's --stats: the NX calls of a run by name and by step, the Windows services apart.
#include <gtest/gtest.h>

#include <fstream>

#include <nlohmann/json.hpp>

#include "case_fixture.h"
#include "config_fixture.h"
#include "nxsim/nxsim.h"
#include "scenario.h"

namespace {

using json = nlohmann::json;

TEST(CallStats, CountsEveryNxCallOnceByNameAndByStep) {
    kv_test::TempDir tmp;
    json doc = kv_test::load_case("layer_proposal_and_apply", tmp.path());
    ASSERT_FALSE(doc.is_discarded());
    std::string scenario = tmp / "scenario.json";
    std::ofstream(scenario) << doc.dump();
    ASSERT_EQ(0, kvsim::run_scenario(scenario, tmp / "out").exit_code);
    ASSERT_TRUE(kvsim::write_call_stats(tmp / "stats.json"));
    json stats = kv_test::read_json(tmp / "stats.json");
    ASSERT_TRUE(stats.is_object());

    long sum = 0;
    for (auto& c : stats["calls"].items()) {
        EXPECT_EQ(c.key().rfind("ws_", 0), std::string::npos) << c.key();  // no NX call
        EXPECT_EQ(nxsim::call_count(c.key()), c.value().get<int>()) << c.key();
        sum += c.value().get<long>();
    }
    EXPECT_EQ(sum, stats["total"].get<long>());
    EXPECT_EQ(stats["calls"].size(), stats["distinct"].get<size_t>());
    EXPECT_GT(stats["services"].value("ws_open_file", 0), 0);  // config.dat, read for the settings

    // Loading the plug-in, then one entry per step; together they make the run.
    const json& steps = stats["steps"];
    ASSERT_EQ(doc["steps"].size() + 1, steps.size());
    EXPECT_EQ("start", steps[0]["step"]);
    EXPECT_EQ(1, steps[0]["calls"].value("UF_MB_add_actions", 0));
    EXPECT_EQ(doc["steps"][0]["action"], steps[1]["action"]);
    long by_steps = 0;
    for (const json& s : steps) by_steps += s["total"].get<long>();
    EXPECT_EQ(sum, by_steps);

    EXPECT_FALSE(kvsim::write_call_stats(tmp / "no-such-folder/stats.json"));
}

}  // namespace
