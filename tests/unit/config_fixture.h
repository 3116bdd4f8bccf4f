// A fresh simulated session with a tool folder of its own (KELVORA_PATH), for the settings,
// electrode and dialog-field tests. Every test ends with no host error and an empty ledger.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "nx.h"
#include "nxsim/nxsim.h"
#include "state.h"
#include "test_support.h"

namespace kv_test {

// A folder under the build tree, removed with everything in it at the end.
class TempDir {
public:
    TempDir() {
        std::string tmpl = std::string(KV_BINARY_DIR) + "/tmp-settings-XXXXXX";
        char* made = mkdtemp(&tmpl[0]);
        path_ = made ? made : "";
    }
    ~TempDir() {
        if (!path_.empty()) system(("rm -rf '" + path_ + "'").c_str());
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

private:
    std::string path_;
};

inline void make_dirs(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
}

// Writes bytes as they are (test literals are GBK, like a shop's config.dat).
inline void write_file(const std::string& path, const std::string& bytes) {
    size_t slash = path.rfind('/');
    if (slash != std::string::npos) make_dirs(path.substr(0, slash));
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class SettingsHost : public ::testing::Test {
protected:
    void SetUp() override {
        nxsim::reset();
        tool_ = tmp_ / "tool";
        make_dirs(tool_ + "/data");
        nxsim::set_env("KELVORA_PATH", tool_);
        ASSERT_EQ(0, UF_initialize());
    }
    void TearDown() override {
        while (nxsim::init_depth() > 0) UF_terminate();
        EXPECT_TRUE(nxsim::errors().empty()) << nxsim::errors().front();
        EXPECT_TRUE(nxsim::leaks().empty()) << nxsim::leaks().front();
    }
    void config(const std::string& bytes) { write_file(tool_ + "/data/config.dat", bytes); }
    // Opens a part written from JSON text (UTF-8) at rel under the temporary folder.
    void open_part(const std::string& rel, const std::string& json) {
        write_file(tmp_ / rel, json);
        std::string err;
        ASSERT_EQ(0, nxsim::open_part(tmp_ / rel, &err)) << err;
    }
    // Lines of the transcript, GBK like the test's literals.
    std::vector<std::string> seen() { return gbk_lines(nxsim::transcript()); }

    TempDir tmp_;
    std::string tool_;
};

}  // namespace kv_test
