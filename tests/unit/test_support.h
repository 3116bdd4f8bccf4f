// Helpers shared by the unit tests.
#pragma once

#include <string>
#include <vector>

#include "state.h"

namespace kv_test {

inline std::string source_path(const std::string& rel) { return std::string(KV_SOURCE_DIR) + "/" + rel; }

// Transcript lines are UTF-8; test literals are GBK like the plug-in's texts.
inline std::vector<std::string> gbk_lines(const std::vector<std::string>& utf8) {
    std::vector<std::string> out;
    for (auto& l : utf8) out.push_back(nxsim::to_gbk(l));
    return out;
}

}  // namespace kv_test
