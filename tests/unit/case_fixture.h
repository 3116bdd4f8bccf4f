// Scenario cases as tests take them: a JSON file read without throwing, and a case's scenario
// with the source tree's kit and its part, in place or copied into a folder of the test's (so
// that nothing a run writes beside the part lands in the source tree).
#ifndef KV_TEST_CASE_FIXTURE_H
#define KV_TEST_CASE_FIXTURE_H

#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "config_fixture.h"

namespace kv_test {

// The file's JSON, or a discarded value when it cannot be read or parsed.
inline nlohmann::json read_json(const std::string& path) {
    std::ifstream in(path);
    return nlohmann::json::parse(in, nullptr, false);
}

// tests/scenarios/<name>/scenario.json with the kit of the source tree and the case's core.prt,
// copied into part_folder when one is given. Discarded when the scenario cannot be read.
inline nlohmann::json load_case(const std::string& name, const std::string& part_folder = "") {
    const std::string case_dir = source_path("tests/scenarios/" + name);
    nlohmann::json doc = read_json(case_dir + "/scenario.json");
    if (doc.is_discarded()) return doc;
    doc["kit"] = source_path("kit");
    std::string part = case_dir + "/core.prt";
    if (!part_folder.empty()) {
        std::ifstream in(part, std::ios::binary);
        part = part_folder + "/core.prt";
        std::ofstream(part, std::ios::binary) << in.rdbuf();
    }
    doc["part"] = part;
    return doc;
}

}  // namespace kv_test

#endif
