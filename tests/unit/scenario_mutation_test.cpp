// Scenario files mutated one value at a time: every value of two small scenarios (a layer
// dialog with a pick and a create dialog with a folder answer) replaced by a value of each other
// JSON kind, and every object field dropped. Each run must end with one of the runner's exit
// codes and a message; bad input (2) names the scenario file. A crash, an abort or a hang ends
// this test; a leak shows in the sanitizer build.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "config_fixture.h"
#include "scenario.h"

namespace {

using json = nlohmann::json;

const char kLayerScenario[] = R"({
  "kit": "KIT", "part": "PART",
  "steps": [ { "action": "KELVORA_LAYER", "events": [
    { "press": "ACTION_2", "answers": [ { "select": ["BODY_A"] } ] },
    { "set": "INT_1", "value": 120 }, { "set": "STR_0", "value": "E07" }, "apply", "cancel" ] } ]
})";

const char kCreateScenario[] = R"({
  "kit": "KIT", "part": "PART",
  "faults": [ { "call": "UF_PART_save", "mode": "nth", "n": 2 } ],
  "steps": [ { "action": "KELVORA_CREATE", "events": [
    { "press": "ACTION_1", "answers": [ { "folder": "${OUT}/e" } ] },
    { "press": "ACTION_5" }, "look", "ok" ] } ]
})";

// Every JSON pointer below the document's root, in document order.
void pointers(const json& j, const json::json_pointer& at, std::vector<json::json_pointer>* out) {
    if (j.is_object())
        for (auto it = j.begin(); it != j.end(); ++it) {
            out->push_back(at / it.key());
            pointers(it.value(), at / it.key(), out);
        }
    else if (j.is_array())
        for (size_t i = 0; i < j.size(); ++i) {
            out->push_back(at / i);
            pointers(j[i], at / i, out);
        }
}

// The mutants of doc: each value replaced by each kind it is not, each object field dropped.
std::vector<json> mutants(const json& doc) {
    const json others[] = {nullptr, 7, -1.5, "x", json::array(), json::object(), true};
    std::vector<json::json_pointer> at;
    pointers(doc, json::json_pointer(), &at);
    std::vector<json> out;
    for (const auto& p : at) {
        for (const json& v : others) {
            if (doc.at(p).type() == v.type()) continue;
            json m = doc;
            m.at(p) = v;
            out.push_back(m);
        }
        json m = doc;
        if (m.at(p.parent_pointer()).is_object()) {
            m.at(p.parent_pointer()).erase(p.back());
            out.push_back(m);
        }
    }
    return out;
}

void run_mutants(const char* text, const char* name) {
    kv_test::TempDir tmp;
    std::string base(text);
    base.replace(base.find("KIT"), 3, kv_test::source_path("kit"));
    // A copy of the part: a mutant's folder may fall back to the part's, never the source tree.
    std::ifstream part_in(kv_test::source_path("tests/scenarios/create_second_run/core.prt"), std::ios::binary);
    std::ofstream(tmp / "core.prt", std::ios::binary) << part_in.rdbuf();
    base.replace(base.find("PART"), 4, tmp / "core.prt");
    json doc = json::parse(base);
    std::vector<json> all = mutants(doc);
    ASSERT_GT(all.size(), 50u);
    int refused = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        std::string path = tmp / (std::string(name) + std::to_string(i) + ".json");
        std::ofstream(path) << all[i].dump();
        kvsim::RunResult r = kvsim::run_scenario(path, tmp / ("out" + std::to_string(i)));
        EXPECT_TRUE(r.exit_code >= 0 && r.exit_code <= 2) << all[i].dump() << ": " << r.exit_code;
        if (r.exit_code != 0) {
            EXPECT_FALSE(r.message.empty()) << all[i].dump();
        }
        if (r.exit_code == 2) {
            ++refused;
            EXPECT_NE(std::string::npos, r.message.find(path)) << all[i].dump() << ": " << r.message;
        }
    }
    EXPECT_GT(refused, 0);
    testing::Test::RecordProperty(std::string(name) + "_mutants", (int)all.size());
    testing::Test::RecordProperty(std::string(name) + "_refused", refused);
}

TEST(ScenarioMutants, EveryValueOfAnotherKindEndsCleanlyWithTheFileNamed) {
    run_mutants(kLayerScenario, "layer");
    run_mutants(kCreateScenario, "create");
}

}  // namespace
