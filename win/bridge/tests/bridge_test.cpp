// The bridge's Linux side without Wine: paths both ways, the trampolines the host calls plug-in
// code through (the plug-in's stand-ins here are ms_abi functions, as a MinGW DLL's are), and the
// path-carrying thunks against the simulated host, called with the Windows convention.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "bridge.h"
#include "nxsim/nxsim.h"

#define MS KVB_MS_ABI

extern "C" {
MS int kvb_UF_initialize(void);
MS int kvb_UF_terminate(void);
MS void kvb_UF_free_string_array(int n_strings, char** string_array);
MS void kvb_UF_free(void* data);
MS int kvb_UF_translate_variable(const char* variable, char** translation);
MS int kvb_UF_PART_ask_part_name(tag_t part, char part_fspec[MAX_FSPEC_SIZE + 1]);
MS tag_t kvb_UF_PART_ask_part_tag(const char* part_name);
MS tag_t kvb_UF_ASSEM_ask_work_part(void);
MS int kvb_UF_CFI_ask_file_exist(const char* file_spec, int* status);
MS int kvb_uc4576(const char* fspec, int ftype, char dspec[MAX_FSPEC_SIZE + 1], char fname[UF_CFI_MAX_FILE_NAME_LEN + 1]);
MS int kvb_UF_ASSEM_add_part_to_assembly(tag_t parent_part, const char* part, const char* refset_name,
                                         const char* instance_name, double origin[3], double csys_matrix[6], int layer,
                                         tag_t* instance, UF_PART_load_status_t* error_status);
MS int kvb_UF_MB_add_actions(UF_MB_action_t action_table[]);
}

namespace {

const std::string kTop = KV_TOP;

// ---- paths --------------------------------------------------------------------------------------

TEST(BridgePaths, LinuxPathsBecomeDrivePathsAndBack) {
    EXPECT_EQ(kvb::to_windows_path("/work/kit/application"), "Z:\\work\\kit\\application");
    EXPECT_EQ(kvb::to_windows_path("/"), "Z:\\");
    EXPECT_EQ(kvb::to_windows_path("/nx/"), "Z:\\nx\\");  // NX's UGII_ROOT_DIR keeps its separator
    EXPECT_EQ(kvb::to_windows_path("core.prt"), "core.prt");
    EXPECT_EQ(kvb::to_windows_path(""), "");
    for (const char* p : {"/work/kit/application", "/", "/nx/", "/a b/c.prt"})
        EXPECT_EQ(kvb::to_linux_path(kvb::to_windows_path(p)), p);
}

TEST(BridgePaths, PluginPathsTakenAsWindowsNamesThem) {
    EXPECT_EQ(kvb::to_linux_path("z:/work/core.prt"), "/work/core.prt");
    EXPECT_EQ(kvb::to_linux_path("Z:"), "/");
    EXPECT_EQ(kvb::to_linux_path("\\work\\core.prt"), "/work/core.prt");  // rooted: the current drive, Z:
    EXPECT_EQ(kvb::to_linux_path("sub\\core.prt"), "sub/core.prt");
    EXPECT_EQ(kvb::to_linux_path("\\\\server\\share"), "\\\\server\\share");
    // 0x5C is the second byte of some GBK characters (here 0x81 0x5C): not a separator.
    std::string gbk = std::string("Z:\\d\\") + "\x81\x5c" + "\\e.prt";
    EXPECT_EQ(kvb::to_linux_path(gbk), std::string("/d/") + "\x81\x5c" + "/e.prt");
}

TEST(BridgePaths, OtherDrivesWhereTheWinePrefixMapsThem) {
    char dir[] = "/tmp/kvbridge-prefix-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string prefix = dir;
    ASSERT_EQ(mkdir((prefix + "/drive_c").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((prefix + "/dosdevices").c_str(), 0755), 0);
    ASSERT_EQ(symlink("../drive_c", (prefix + "/dosdevices/c:").c_str()), 0);
    const char* saved = getenv("WINEPREFIX");
    std::string kept = saved ? saved : "";
    setenv("WINEPREFIX", dir, 1);
    EXPECT_EQ(kvb::to_linux_path("C:\\users\\x.prt"), prefix + "/drive_c/users/x.prt");
    EXPECT_EQ(kvb::to_linux_path("D:\\NX\\core.prt"), "D:\\NX\\core.prt");  // not mapped: no file here
    unsetenv("WINEPREFIX");
    EXPECT_EQ(kvb::to_linux_path("C:\\NX\\core.prt"), "C:\\NX\\core.prt");
    if (saved) setenv("WINEPREFIX", kept.c_str(), 1);
    unlink((prefix + "/dosdevices/c:").c_str());
    rmdir((prefix + "/dosdevices").c_str());
    rmdir((prefix + "/drive_c").c_str());
    rmdir(dir);
}

TEST(BridgePaths, DrivePathsInTextsReadAsLinuxPaths) {
    EXPECT_EQ(kvb::linux_paths_in_text("message: file Z:\\w\\out\\e.prt exists\n"), "message: file /w/out/e.prt exists\n");
    EXPECT_EQ(kvb::linux_paths_in_text("\"Z:\\\\w\\\\out\\\\e.prt\""), "\"/w/out/e.prt\"");  // escaped in JSON
    EXPECT_EQ(kvb::linux_paths_in_text("XZ:\\w"), "XZ:\\w");  // inside a word: no drive
    EXPECT_EQ(kvb::linux_paths_in_text("C:\\w and Z:\\ end"), "C:\\w and / end");
    // UTF-8 texts: a backslash after a multibyte character is a separator.
    EXPECT_EQ(kvb::linux_paths_in_text("文件 Z:\\电极\\e.prt 已存在"), "文件 /电极/e.prt 已存在");
    // GBK texts: a backslash that ends a double-byte character is kept.
    std::string gbk = std::string("\xce\xc4 Z:\\d\\") + "\x81\x5c" + "\\e.prt";
    EXPECT_EQ(kvb::linux_paths_in_text(gbk), std::string("\xce\xc4 /d/") + "\x81\x5c" + "/e.prt");
}

// ---- trampolines ----------------------------------------------------------------------------------

std::string g_seen;
void* g_data_seen = nullptr;

MS UF_MB_cb_status_t plugin_action(UF_MB_widget_t, UF_MB_data_t data, UF_MB_activated_button_p_t) {
    char context[512];
    kvb::describe_context(context, sizeof context);
    g_seen = context;
    g_data_seen = data;
    return UF_MB_CB_WARNING;
}

MS int plugin_dialog_cb(int dialog_id, void*, UF_STYLER_item_value_type_p_t) {
    char context[512];
    kvb::describe_context(context, sizeof context);
    g_seen = context + std::string(" #") + std::to_string(dialog_id);
    return UF_UI_CB_EXIT_DIALOG;
}

MS int other_dialog_cb(int, void*, UF_STYLER_item_value_type_p_t) { return UF_UI_CB_CONTINUE_DIALOG; }

typedef UF_MB_cb_status_t (*HostMbCallback)(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t);

TEST(BridgeTrampolines, MenuActionCalledWithItsOwnDataAndNamed) {
    int data = 0;
    UF_MB_action_t table[] = {
        {(char*)"KV_A", {reinterpret_cast<HostMbCallback>(plugin_action), &data}},
        {nullptr, {nullptr, nullptr}},
    };
    std::string why;
    UF_MB_action_t* copy = kvb::wrap_actions(table, 16, &why);
    ASSERT_NE(copy, nullptr) << why;
    EXPECT_STREQ(copy[0].action_name, "KV_A");
    EXPECT_EQ(copy[1].action_name, nullptr);
    EXPECT_EQ(copy[1].action_cb.cb, nullptr);
    EXPECT_EQ(copy[0].action_cb.cb(nullptr, copy[0].action_cb.cb_data, nullptr), UF_MB_CB_WARNING);
    EXPECT_EQ(g_seen, "menu action KV_A");
    EXPECT_EQ(g_data_seen, &data);
    EXPECT_EQ(kvb::entry_elapsed_ms(), -1);  // the entry is over
}

TEST(BridgeTrampolines, ActionTableWithoutEndRowRefused) {
    UF_MB_action_t table[3] = {
        {(char*)"KV_A", {reinterpret_cast<HostMbCallback>(plugin_action), nullptr}},
        {(char*)"KV_B", {reinterpret_cast<HostMbCallback>(plugin_action), nullptr}},
        {(char*)"KV_C", {reinterpret_cast<HostMbCallback>(plugin_action), nullptr}},
    };
    std::string why;
    EXPECT_EQ(kvb::wrap_actions(table, 3, &why), nullptr);
    EXPECT_EQ(why, "no end row within 3 rows");
}

// A table that lacks its end row and is followed by other data: NX would take the data for rows.
TEST(BridgeTrampolines, ActionTableFollowedByOtherDataRefusedNamingTheRow) {
    struct {
        UF_MB_action_t rows[2];
        char after[sizeof(UF_MB_action_t)];
    } table = {{{(char*)"KV_A", {reinterpret_cast<HostMbCallback>(plugin_action), nullptr}},
                {(char*)"KV_B", {reinterpret_cast<HostMbCallback>(plugin_action), nullptr}}},
               {}};
    memset(table.after, 'Z', sizeof table.after);  // a row's size in either architecture
    std::string why;
    EXPECT_EQ(kvb::wrap_actions(table.rows, 4096, &why), nullptr);
    EXPECT_EQ(why, "row 2 is neither an action nor the end row (name unreadable, callback not code)");

    static const char kNotCode[] = "data";
    UF_MB_action_t data_as_callback[] = {
        {(char*)"KV_A", {reinterpret_cast<HostMbCallback>(const_cast<char*>(kNotCode)), nullptr}},
        {nullptr, {nullptr, nullptr}},
    };
    EXPECT_EQ(kvb::wrap_actions(data_as_callback, 16, &why), nullptr);
    EXPECT_EQ(why, "row 0 is neither an action nor the end row (name ok, callback not code)");

    UF_MB_action_t name_not_text[] = {
        {(char*)"KV A", {reinterpret_cast<HostMbCallback>(plugin_action), nullptr}},
        {nullptr, {nullptr, nullptr}},
    };
    EXPECT_EQ(kvb::wrap_actions(name_not_text, 16, &why), nullptr);
    EXPECT_EQ(why, "row 0 is neither an action nor the end row (name not a text, callback ok)");
}

// The rows run into memory that cannot be read: refused before the bridge reads it.
TEST(BridgeTrampolines, ActionTableRunningIntoUnreadableMemoryRefused) {
    long page = sysconf(_SC_PAGESIZE);
    char* pages = static_cast<char*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(pages + page, page, PROT_NONE), 0);
    auto* rows = reinterpret_cast<UF_MB_action_t*>(pages + page) - 1;  // the last row before the hole
    rows[0] = {(char*)"KV_A", {reinterpret_cast<HostMbCallback>(plugin_action), nullptr}};
    std::string why;
    EXPECT_EQ(kvb::wrap_actions(rows, 16, &why), nullptr);
    EXPECT_EQ(why, "row 1 cannot be read");
    munmap(pages, 2 * page);
}

// Rows without a name or a callback are the host's to judge, not the bridge's.
TEST(BridgeTrampolines, ActionRowsMissingANameOrCallbackHandedToTheHost) {
    UF_MB_action_t table[] = {
        {(char*)"KV_A", {nullptr, nullptr}},
        {nullptr, {reinterpret_cast<HostMbCallback>(plugin_action), nullptr}},
        {nullptr, {nullptr, nullptr}},
    };
    std::string why;
    UF_MB_action_t* copy = kvb::wrap_actions(table, 16, &why);
    ASSERT_NE(copy, nullptr) << why;
    EXPECT_EQ(copy[0].action_cb.cb, nullptr);
    EXPECT_EQ(copy[1].action_name, nullptr);
    EXPECT_EQ(copy[2].action_cb.cb, nullptr);
}

TEST(BridgeTrampolines, DialogCallbacksShareATrampolinePerFunctionAndNameTheDialog) {
    typedef int (*HostCb)(int, void*, UF_STYLER_item_value_type_p_t);
    UF_STYLER_callback_info_t table[] = {
        {(char*)"OK", UF_STYLER_OK_CB, 0, reinterpret_cast<HostCb>(plugin_dialog_cb)},
        {(char*)"APPLY", UF_STYLER_APPLY_CB, 0, reinterpret_cast<HostCb>(plugin_dialog_cb)},
        {(char*)"CANCEL", UF_STYLER_CANCEL_CB, 0, reinterpret_cast<HostCb>(other_dialog_cb)},
        {(char*)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
    };
    UF_STYLER_callback_info_t* copy = kvb::wrap_callbacks(table, 4, "x.dlg");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy[0].callback_proc, copy[1].callback_proc);
    EXPECT_NE(copy[0].callback_proc, copy[2].callback_proc);
    EXPECT_EQ(copy[3].callback_proc, nullptr);
    EXPECT_STREQ(copy[3].object_id, UF_STYLER_NULL_OBJECT);
    UF_STYLER_item_value_type_t data{};
    data.reason = UF_STYLER_APPLY_REASON;
    data.item_id = "APPLY";
    EXPECT_EQ(copy[1].callback_proc(7, nullptr, &data), UF_UI_CB_EXIT_DIALOG);
    EXPECT_EQ(g_seen, "dialog callback of APPLY (Apply) in x.dlg #7");
    kvb::release_callbacks(copy);
}

// ---- the thunks against the host ------------------------------------------------------------------

class BridgeCalls : public ::testing::Test {
protected:
    void SetUp() override {
        nxsim::reset();
        std::string err;
        ASSERT_EQ(nxsim::open_part(kTop + "/examples/demo/core.prt", &err), 0) << err;
        nxsim::set_env("KELVORA_PATH", kTop + "/kit");
        ASSERT_EQ(kvb_UF_initialize(), 0);
    }
    void TearDown() override {
        kvb_UF_terminate();
        EXPECT_TRUE(nxsim::errors().empty()) << nxsim::errors().front();
        EXPECT_TRUE(nxsim::leaks().empty()) << nxsim::leaks().front();
    }
};

TEST_F(BridgeCalls, PartNameAndFoldersGivenAsDrivePaths) {
    char name[MAX_FSPEC_SIZE + 1];
    ASSERT_EQ(kvb_UF_PART_ask_part_name(kvb_UF_ASSEM_ask_work_part(), name), 0);
    EXPECT_EQ(std::string(name), kvb::to_windows_path(kTop + "/examples/demo/core.prt"));
    EXPECT_EQ(kvb_UF_PART_ask_part_tag(name), kvb_UF_ASSEM_ask_work_part());
    char dir[MAX_FSPEC_SIZE + 1], file[UF_CFI_MAX_FILE_NAME_LEN + 1];
    ASSERT_EQ(kvb_uc4576(name, 2, dir, file), 0);
    EXPECT_EQ(std::string(dir), kvb::to_windows_path(kTop + "/examples/demo"));
    EXPECT_STREQ(file, "core.prt");
    int status = -1;
    ASSERT_EQ(kvb_UF_CFI_ask_file_exist(name, &status), 0);
    EXPECT_EQ(status, 0);
}

TEST_F(BridgeCalls, VariableTranslatedOnceAndKeptAsTheSessionKeepsIt) {
    char* first = nullptr;
    char* again = nullptr;
    ASSERT_EQ(kvb_UF_translate_variable("KELVORA_PATH", &first), 0);
    ASSERT_EQ(kvb_UF_translate_variable("KELVORA_PATH", &again), 0);
    EXPECT_EQ(std::string(first), kvb::to_windows_path(kTop + "/kit"));
    EXPECT_EQ(first, again);
    char* none = reinterpret_cast<char*>(1);
    ASSERT_EQ(kvb_UF_translate_variable("KV_NOT_SET", &none), 0);
    EXPECT_EQ(none, nullptr);
}

TEST_F(BridgeCalls, FailedLoadNamesDrivePathsAndIsReleasedAsTheHostsMemory) {
    double origin[3] = {0, 0, 0}, axes[6] = {1, 0, 0, 0, 1, 0};
    tag_t instance = NULL_TAG;
    UF_PART_load_status_t status;
    std::string missing = kvb::to_windows_path(kTop + "/examples/demo/missing.prt");
    EXPECT_NE(kvb_UF_ASSEM_add_part_to_assembly(kvb_UF_ASSEM_ask_work_part(), missing.c_str(), nullptr, nullptr,
                                                origin, axes, 0, &instance, &status),
              0);
    ASSERT_EQ(status.n_parts, 1);
    EXPECT_EQ(std::string(status.file_names[0]), missing);
    kvb_UF_free_string_array(status.n_parts, status.file_names);
    kvb_UF_free(status.statuses);
}

TEST(BridgeActionTable, WithoutEndRowReportedNotRead) {
    nxsim::reset();
    ASSERT_EQ(kvb_UF_initialize(), 0);
    static UF_MB_action_t rows[4096];
    for (auto& r : rows) r = {(char*)"KV_A", {reinterpret_cast<HostMbCallback>(plugin_action), nullptr}};
    EXPECT_NE(kvb_UF_MB_add_actions(rows), 0);
    ASSERT_EQ(nxsim::errors().size(), 1u);
    EXPECT_NE(nxsim::errors()[0].find("no end row"), std::string::npos);
    EXPECT_TRUE(nxsim::actions().empty());
    kvb_UF_terminate();
}

}  // namespace
