// Helpers shared by the unit tests.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "description.h"
#include "state.h"

namespace kv_test {

inline std::string source_path(const std::string& rel) { return std::string(KV_SOURCE_DIR) + "/" + rel; }

// The bytes of a file (empty when it cannot be read).
inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Compiles a dialog description (UTF-8: write other characters as \x escapes) into the UIStyler
// file at path, as the build compiles the kit's: the description's refusal, or empty when written.
inline std::string write_dialog(const std::string& path, const std::string& description) {
    dlgc::Description d;
    std::string err;
    if (dlgc::parse_description(path + ".txt", description, &d, &err) != 0) return err;
    std::ofstream(path, std::ios::binary) << uistyler::file_bytes(d.file);
    return std::string();
}

// Transcript lines are UTF-8; test literals are GBK like the plug-in's texts.
inline std::vector<std::string> gbk_lines(const std::vector<std::string>& utf8) {
    std::vector<std::string> out;
    for (auto& l : utf8) out.push_back(nxsim::to_gbk(l));
    return out;
}

// A writable copy of a text, for NX calls that take char * (NX4 to NX7.5 take view names so):
// kv_test::writable("TOP") lives to the end of the full expression it is made in.
struct Writable {
    std::string text;
    operator char*() { return &text[0]; }
};
inline Writable writable(const std::string& text) { return Writable{text}; }

}  // namespace kv_test
