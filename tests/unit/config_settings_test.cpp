// Reading config.dat (values, numbers, list items) and finding the tool folder.
#include <climits>
#include <cstring>

#include "config/comma_list.h"
#include "config/setting_values.h"
#include "config/settings.h"
#include "config/tool_folder.h"
#include "config_fixture.h"

namespace {

using kv_test::SettingsHost;
using kv_test::write_file;

class Settings : public SettingsHost {
protected:
    void SetUp() override {
        SettingsHost::SetUp();
        nxsim::set_env("UGII_ROOT_DIR", tmp_ / "nx/");  // no custom_dirs.dat unless a test writes one
    }
    // The value read for key, or "<rc>" when the lookup fails (the buffer must then be empty).
    std::string lookup(const char* key, size_t size = KV_SETTING_BUFSIZE) {
        std::string buf(size, 'x');
        int rc = read_setting(key, &buf[0], size);
        if (rc != 0) {
            EXPECT_EQ('\0', buf[0]) << "value not emptied for " << key;
            return "<" + std::to_string(rc) + ">";
        }
        EXPECT_LT(strlen(buf.c_str()), size);
        return buf.c_str();
    }
};

TEST_F(Settings, SpacesCommentsAndKeyCase) {
    config(
        "ELECTRODE_START_LAYER = 1 0 1\n"
        "electrode_prefix_name=E\n"
        "   # ELECTRODE_END_LAYER=200\n"
        "!ELECTRODE_COLOR_SET=1\n"
        "\tELECTRODE_NUMBER_LENGTH=2\n"
        "ELECTRODE_PART_SEPARATOR\t=_\n"
        "\n"
        "    \n");
    EXPECT_EQ("101", lookup("ELECTRODE_START_LAYER"));  // spaces vanish, even between digits
    EXPECT_EQ("E", lookup("ELECTRODE_PREFIX_NAME"));     // keys ignore case
    EXPECT_EQ("<-2>", lookup("ELECTRODE_END_LAYER"));    // "#" after leading spaces: comment
    EXPECT_EQ("<-2>", lookup("ELECTRODE_COLOR_SET"));
    EXPECT_EQ("<-2>", lookup("ELECTRODE_NUMBER_LENGTH"));  // tabs are kept, so the key differs
    EXPECT_EQ("<-2>", lookup("ELECTRODE_PART_SEPARATOR"));
}

TEST_F(Settings, ValuesAndDuplicates) {
    config(
        "A=\n"
        "A\n"
        "A = 7\n"
        "A = 8\n"
        "B=x=y=\n"
        "C==\n"
        "ELECTRODE_DRAFT_MATERIAL = 紫铜, 石墨,\n"
        "=orphan\n"
        "LAST=no break");
    EXPECT_EQ("7", lookup("A"));  // empty values and a bare key do not count; the first value wins
    EXPECT_EQ("x=y=", lookup("B"));
    EXPECT_EQ("=", lookup("C"));
    EXPECT_EQ("紫铜,石墨,", lookup("ELECTRODE_DRAFT_MATERIAL"));
    EXPECT_EQ("nobreak", lookup("LAST"));
    EXPECT_EQ("<-2>", lookup("MISSING"));
    EXPECT_EQ("<-2>", lookup(nullptr));
}

TEST_F(Settings, LineBreaksOfEveryKind) {
    config("A=1\r\nB=2\rC=3\n\n\r\rD=4");
    EXPECT_EQ("1", lookup("A"));
    EXPECT_EQ("2", lookup("B"));
    EXPECT_EQ("3", lookup("C"));
    EXPECT_EQ("4", lookup("D"));
}

TEST_F(Settings, LongLinesCountTheirFirst1023Characters) {
    std::string tail = std::string(3000, 'y') + "HIDDEN=1";
    config("LONG=" + std::string(5000, 'x') + "\n" + "NEXT=" + std::string(1018, 'z') + tail + "\nLAST=ok\n");
    EXPECT_EQ(std::string(1018, 'x'), lookup("LONG"));
    EXPECT_EQ(std::string(1018, 'z'), lookup("NEXT"));
    EXPECT_EQ("<-2>", lookup("HIDDEN"));  // the rest of a long line is no line of its own
    EXPECT_EQ("ok", lookup("LAST"));
}

TEST_F(Settings, LinesAcrossTheReadersBlocks) {
    // The file is read in blocks of 16384 bytes: a line may start, end or break at any edge.
    for (int pad = 16372; pad <= 16392; ++pad) {
        config("#" + std::string(pad - 1, ' ') + "\r\nKEY = value" + std::to_string(pad) + "\r\n" +
               std::string(17000, '!') + "\nLAST=" + std::to_string(pad));
        EXPECT_EQ("value" + std::to_string(pad), lookup("KEY")) << pad;
        EXPECT_EQ(std::to_string(pad), lookup("LAST")) << pad;
    }
}

TEST_F(Settings, ValuesAreCutToTheCallersBuffer) {
    config("K=abcdefgh\nG=紫铜紫铜\n");
    EXPECT_EQ("abc", lookup("K", 4));
    EXPECT_EQ("", lookup("K", 1));
    // A cut never leaves half of a double-byte character.
    EXPECT_EQ("紫", lookup("G", 4));
    EXPECT_EQ("紫铜", lookup("G", 6));
    char untouched = 'q';
    EXPECT_EQ(0, read_setting("K", nullptr, 0));
    EXPECT_EQ(0, read_setting("K", &untouched, 0));
    EXPECT_EQ('q', untouched);
}

TEST_F(Settings, GarbageAndNulBytes) {
    std::string bytes("\xff\xfe\x00\x01junk\n", 9);
    bytes += std::string("KEY\0=1\n", 7);           // the NUL ends the line's text: no "="
    bytes += std::string("A\0B\nOTHER=2\n", 12);
    bytes += "\x81\n\x81=3\nAFTER=\x81\x41\n";
    config(bytes);
    EXPECT_EQ("<-2>", lookup("KEY"));
    EXPECT_EQ("2", lookup("OTHER"));
    EXPECT_EQ("\x81\x41", lookup("AFTER"));
    EXPECT_EQ("3", lookup("\x81"));
}

TEST_F(Settings, NothingIsCached) {
    config("ELECTRODE_PREFIX_NAME=E\n");
    EXPECT_EQ("E", lookup("ELECTRODE_PREFIX_NAME"));
    config("ELECTRODE_PREFIX_NAME=EL\n");
    EXPECT_EQ("EL", lookup("ELECTRODE_PREFIX_NAME"));
}

TEST_F(Settings, MissingFileFolderOrToolFolder) {
    EXPECT_EQ("<-1>", lookup("ELECTRODE_PREFIX_NAME"));  // no config.dat
    char path[KV_PATH_BUFSIZE] = "x";
    EXPECT_EQ(-2, config_file_path(path, sizeof path));
    EXPECT_STREQ("", path);

    kv_test::make_dirs(tool_ + "/data/config.dat");  // a folder where the file should be
    EXPECT_EQ("<-1>", lookup("ELECTRODE_PREFIX_NAME"));

    nxsim::set_env("KELVORA_PATH", "");  // defined but empty: the user is told at every lookup
    EXPECT_EQ("<-1>", lookup("A"));
    EXPECT_EQ("<-1>", lookup("B"));
    strcpy(path, "x");
    EXPECT_EQ(-1, config_file_path(path, sizeof path));
    EXPECT_STREQ("", path);
    std::vector<std::string> told(3, "message: KELVORA_PATH环境变量没有设置!");
    EXPECT_EQ(told, seen());
}

TEST_F(Settings, ConfigFilePathDropsOneTrailingSeparator) {
    config("A=1\n");
    char path[KV_PATH_BUFSIZE];
    nxsim::set_env("KELVORA_PATH", tool_ + "/");
    EXPECT_EQ(0, config_file_path(path, sizeof path));
    EXPECT_EQ(tool_ + "/data/config.dat", path);
    EXPECT_EQ("1", lookup("A"));
    char small[8] = "x";
    EXPECT_EQ(-2, config_file_path(small, sizeof small));  // a cut path would name another file
    EXPECT_STREQ("", small);
}

TEST_F(Settings, NumbersAreTheStartOfTheWholeValue) {
    config("INT=12mm\nNEG=-7\nBIG=4294967297\nSMALL=-99999999999\nHEX=0x10\nWORD=abc\n"
           "LONG=" + std::string(300, '0') + "7\nREAL=0.25mm\nEXP=1.5e2\n");
    EXPECT_EQ(12, setting_int("INT"));  // text after the number is ignored
    EXPECT_EQ(-7, setting_int("NEG"));
    EXPECT_EQ(INT_MAX, setting_int("BIG"));  // clamped, not wrapped round to 1
    EXPECT_EQ(INT_MIN, setting_int("SMALL"));
    EXPECT_EQ(0, setting_int("HEX"));  // decimal only
    EXPECT_EQ(0, setting_int("WORD"));
    EXPECT_EQ(0, setting_int("MISSING"));
    EXPECT_EQ(7, setting_int("LONG"));  // the digits after 300 zeros still count
    EXPECT_DOUBLE_EQ(0.25, setting_real("REAL"));
    EXPECT_DOUBLE_EQ(150.0, setting_real("EXP"));
    EXPECT_DOUBLE_EQ(7.0, setting_real("LONG"));
    EXPECT_EQ(0.0, setting_real("WORD"));
    EXPECT_EQ(0.0, setting_real("MISSING"));
}

TEST_F(Settings, SizesAreWholeNumbersNotBelowZero) {
    config("S=2.5\nZERO=0\nUNIT=2.5mm\nNEG=-1\nINF=inf\nWORD=abc\n");
    EXPECT_DOUBLE_EQ(2.5, setting_size("S", 9.0));
    EXPECT_EQ(0.0, setting_size("ZERO", 9.0));
    for (const char* key : {"UNIT", "NEG", "INF", "WORD", "MISSING"}) EXPECT_EQ(9.0, setting_size(key, 9.0)) << key;
    nxsim::set_env("KELVORA_PATH", tmp_ / "nowhere");
    EXPECT_EQ(9.0, setting_size("S", 9.0));  // no config.dat
}

TEST_F(Settings, ListItemsNeverEndInHalfACharacter) {
    // "\xB5" before a comma is a lead byte whose trail byte is missing.
    config("MAT=紫铜,石墨,\nBAD=A\xB5" ",\xB5" ",B,\n");
    char item[64] = "junk";
    EXPECT_EQ(0, setting_list_item("MAT", 1, item, sizeof item));
    EXPECT_STREQ("石墨", item);
    EXPECT_EQ(0, setting_list_item("MAT", 0, item, 4));  // cut between characters
    EXPECT_STREQ("紫", item);
    EXPECT_EQ(0, setting_list_item("BAD", 0, item, sizeof item));
    EXPECT_STREQ("A", item);
    EXPECT_EQ(0, setting_list_item("BAD", 1, item, sizeof item));
    EXPECT_STREQ("", item);
    EXPECT_EQ(0, setting_list_item("BAD", 2, item, sizeof item));
    EXPECT_STREQ("B", item);
    for (int index : {-1, 2}) {
        strcpy(item, "junk");
        EXPECT_EQ(-1, setting_list_item("MAT", index, item, sizeof item)) << index;
        EXPECT_STREQ("", item);
    }
    EXPECT_EQ(-1, setting_list_item("MISSING", 0, item, sizeof item));
    EXPECT_STREQ("", item);
}

// ------------------------------------------------------------------ the tool folder

class ToolFolder : public Settings {
protected:
    void custom_dirs(const std::string& bytes) { write_file(tmp_ / "nx/menus/custom_dirs.dat", bytes); }
    std::string folder() {
        char buf[KV_PATH_BUFSIZE] = "junk";
        EXPECT_EQ(0, find_tool_folder(buf));
        return buf;
    }
};

TEST_F(ToolFolder, MarkedLineWinsOverTheEnvironment) {
    custom_dirs("D:\\Kelvora\n#!!#KELVORA_PATH=/from/marked\n");
    EXPECT_EQ("/from/marked", folder());
    custom_dirs("#!!#OTHER_PATH=/x\n  #!!#  kelvora_path  =  /spaced/line  \n#!!#KELVORA_PATH=/second\n");
    EXPECT_EQ("/spaced/line", folder());
    custom_dirs("# !!#KELVORA_PATH=/x\nKELVORA_PATH=/y\n=#!!#KELVORA_PATH\n");
    EXPECT_EQ(tool_, folder());  // no line carries the marker at its start: the variable is used
}

TEST_F(ToolFolder, LinesThatDoNotCount) {
    custom_dirs("#!!#KELVORA_PATH=\n#!!#KELVORA_PATH=/after/empty\n");
    EXPECT_EQ("/after/empty", folder());  // "=" as the last character: skipped
    custom_dirs("#!!#KELVORA_PATH=   \n#!!#KELVORA_PATH=/never\n");
    EXPECT_EQ(tool_, folder());  // only white space: the first match stops, the variable is used
    custom_dirs("#!!#KELVORA_PATH=/no/break");
    EXPECT_EQ(tool_, folder());  // a last line without a line break is never read
    custom_dirs("#!!#KELVORA_PATH=/crlf\r\n");
    EXPECT_EQ("/crlf", folder());
}

TEST_F(ToolFolder, ReadCustomDirsEntryResults) {
    char result[KV_PATH_BUFSIZE] = "junk";
    EXPECT_NE(0, read_custom_dirs_entry("KELVORA_PATH", "#!!#", result));  // no file
    EXPECT_STREQ("", result);
    custom_dirs("#!!#KELVORA_PATH=" + std::string(2000, 'p') + "\n");
    EXPECT_EQ(0, read_custom_dirs_entry("KELVORA_PATH", "#!!#", result));
    EXPECT_EQ(std::string(1023 - strlen("#!!#KELVORA_PATH="), 'p'), result);
    nxsim::fail("UF_translate_variable", nxsim::FaultMode::Once);
    EXPECT_NE(0, read_custom_dirs_entry("KELVORA_PATH", "#!!#", result));
    EXPECT_STREQ("", result);

    // custom_dirs.dat that is a folder, and a root folder too long for a path.
    kv_test::make_dirs(tmp_ / "nx2/menus/custom_dirs.dat");
    nxsim::set_env("UGII_ROOT_DIR", tmp_ / "nx2/");
    EXPECT_NE(0, read_custom_dirs_entry("KELVORA_PATH", "#!!#", result));
    EXPECT_EQ(tool_, folder());
    nxsim::set_env("UGII_ROOT_DIR", std::string(3000, 'r'));
    EXPECT_NE(0, read_custom_dirs_entry("KELVORA_PATH", "#!!#", result));
    EXPECT_EQ(tool_, folder());
    EXPECT_TRUE(seen().empty());
}

TEST_F(ToolFolder, LibraryLocationWhenNothingElseGivesOne) {
    nxsim::S().env.erase("KELVORA_PATH");
    nxsim::set_library_path("/opt/T/startup/kelvora.dll");
    EXPECT_EQ("/opt/T", folder());
    nxsim::set_library_path("D:\\Kelvora\\startup\\kelvora.dll");
    EXPECT_EQ("D:\\Kelvora", folder());
    char parent[KV_PATH_BUFSIZE] = "junk";
    nxsim::set_library_path("kelvora.dll");
    EXPECT_EQ(-1, module_parent_folder(parent));
    EXPECT_STREQ("", parent);
    EXPECT_EQ(std::vector<std::string>{}, seen());
    EXPECT_EQ("", folder());  // no source at all: the user is told
    EXPECT_EQ(std::vector<std::string>{"message: KELVORA_PATH环境变量没有设置!"}, seen());
    // Defined but empty, the variable is the answer: the library's location is not tried.
    nxsim::set_env("KELVORA_PATH", "");
    nxsim::set_library_path("/opt/T/startup/kelvora.dll");
    EXPECT_EQ("", folder());
    EXPECT_EQ(2u, seen().size());
}

TEST_F(ToolFolder, FailingLookupsFallThroughToTheLibrary) {
    nxsim::set_library_path("/opt/T/startup/kelvora.dll");
    nxsim::fail("UF_translate_variable", nxsim::FaultMode::Always);
    EXPECT_EQ("/opt/T", folder());
}

}  // namespace
