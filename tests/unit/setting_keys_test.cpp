// Every setting key is named once: in src/config/setting_keys.h, shipped in the kit's
// config.dat, documented in the kit's README, and written nowhere else in src/ as a literal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "test_support.h"

namespace {

using kv_test::read_file;

// The keys the header names (the macro is KV_KEY_ and the key).
std::set<std::string> header_keys() {
    std::set<std::string> keys;
    std::string text = read_file(kv_test::source_path("src/config/setting_keys.h"));
    std::regex define(R"re(#define KV_KEY_(\w+) "(\w+)")re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), define); it != std::sregex_iterator(); ++it) {
        EXPECT_EQ((*it)[1].str(), (*it)[2].str()) << "a macro named after another key";
        keys.insert((*it)[2].str());
    }
    return keys;
}

TEST(SettingKeys, EachKeyIsShippedDocumentedAndNamedOnlyInItsHeader) {
    std::set<std::string> keys = header_keys();
    ASSERT_GE(keys.size(), 45u);
    std::string config = read_file(kv_test::source_path("kit/data/config.dat"));
    std::string readme = read_file(kv_test::source_path("kit/README.md"));
    std::set<std::string> shipped;
    std::regex line(R"re((^|\n)#?[ \t]*([A-Z][A-Z0-9]*_[A-Z0-9_]+)[ \t]*=)re");  // comments name KEY, POSI, SIZE
    for (auto it = std::sregex_iterator(config.begin(), config.end(), line); it != std::sregex_iterator(); ++it)
        shipped.insert((*it)[2].str());
    for (const std::string& key : keys) {
        EXPECT_TRUE(shipped.count(key)) << key << " is not in kit/data/config.dat";
        EXPECT_NE(std::string::npos, readme.find("`" + key + "`")) << key << " is not documented in kit/README.md";
    }
    for (const std::string& key : shipped)
        EXPECT_TRUE(keys.count(key)) << key << " is shipped but src/config/setting_keys.h does not name it";

    // No source file spells a key as a text of its own: a typo there would read as a missing setting.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kv_test::source_path("src"))) {
        std::string path = entry.path().string();
        if (!entry.is_regular_file() || path.find("setting_keys.h") != std::string::npos) continue;
        std::string text = read_file(path);
        for (const std::string& key : keys)
            EXPECT_EQ(std::string::npos, text.find("\"" + key + "\"")) << key << " spelled out in " << path;
    }
}

}  // namespace
