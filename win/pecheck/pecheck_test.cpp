// kelvora-pecheck's checks on small images made here: the faults a mingw-w64 link does not
// produce on its own (ordinals, delay-loaded imports, wrong resource language or picture, UTF-8
// texts) must still be reported, and broken tables must give "malformed", never a wild read.
// NX's export table is read from text made here and from win/nx-exports.tsv itself.
// Built with -fexec-charset=GBK: plain literals are GBK, u8 literals UTF-8.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "pe_checks.h"
#include "pe_file.h"

namespace {

const uint32_t kBase = 0x1000;  // RVA of the one section
const uint32_t kFileOffset = 0x200;

// One data section, filled in order; every append returns the RVA it was placed at.
struct fake_image {
    std::vector<unsigned char> data;

    uint32_t rva() const { return kBase + static_cast<uint32_t>(data.size()); }
    uint32_t u16(uint32_t v) {
        uint32_t at = rva();
        data.push_back(v & 0xff);
        data.push_back(v >> 8 & 0xff);
        return at;
    }
    uint32_t u32(uint32_t v) {
        uint32_t at = u16(v & 0xffff);
        u16(v >> 16);
        return at;
    }
    uint32_t u64(uint64_t v) {
        uint32_t at = u32(static_cast<uint32_t>(v));
        u32(static_cast<uint32_t>(v >> 32));
        return at;
    }
    uint32_t bytes(const std::string &s) {
        uint32_t at = rva();
        data.insert(data.end(), s.begin(), s.end());
        return at;
    }
    uint32_t text(const std::string &s) {
        uint32_t at = bytes(s);
        data.push_back(0);
        if (data.size() % 2) data.push_back(0);
        return at;
    }
    void set32(uint32_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) data[at - kBase + i] = static_cast<unsigned char>(v >> (8 * i));
    }
    pe_image image(bool wide) const {
        pe_image img;
        img.bytes.assign(kFileOffset, 0);
        img.bytes.insert(img.bytes.end(), data.begin(), data.end());
        img.machine = wide ? PE_MACHINE_AMD64 : PE_MACHINE_I386;
        img.magic = wide ? PE_MAGIC_PE32_PLUS : PE_MAGIC_PE32;
        img.characteristics = PE_FILE_DLL;
        img.image_base = 0x10000000;
        img.header_size = kFileOffset;
        for (int i = 0; i < 16; i++) img.dir_rva[i] = img.dir_size[i] = 0;
        pe_section s = {".data", kBase, static_cast<uint32_t>(data.size()), kFileOffset,
                        static_cast<uint32_t>(data.size())};
        img.sections.push_back(s);
        return img;
    }
};

bool has_line(const std::vector<std::string> &lines, const std::string &part) {
    for (const std::string &l : lines)
        if (l.find(part) != std::string::npos) return true;
    return false;
}

std::string joined(const std::vector<std::string> &lines) {
    std::string all;
    for (const std::string &l : lines) all += l + "\n";
    return all;
}

// A table of 64-bit releases: UF_DISP_regenerate_display moves to libufun.dll in the fourth.
export_table nx_table() {
    export_table t;
    t.path = "/tmp/nx-exports.tsv";
    t.releases = {"NX5-32", "NX6-64", "NX7-64", "NX7.5-64", "NX8.5-32", "NX8.5-64", "NX9-64"};
    const std::string u = "libufun.dll", g = "libugopenint.dll";
    t.calls["UF_initialize"] = {u, u, u, u, u, u, u};
    t.calls["UF_MB_add_actions"] = {g, g, g, g, g, g, g};
    t.calls["UF_DISP_regenerate_display"] = {g, g, g, g, u, u, u};
    return t;
}

// ---- imports --------------------------------------------------------------------------------

struct fake_library {
    std::string dll;
    std::vector<std::string> names;  // "#7": by ordinal
    bool delayed;
};

// Import (and delay-import) tables of 64-bit thunks for the libraries.
pe_image import_image(const std::vector<fake_library> &libs) {
    fake_image f;
    std::vector<std::pair<uint32_t, uint32_t>> tables;  // name RVA, thunk list RVA
    for (const fake_library &l : libs) {
        std::vector<uint64_t> thunks;
        for (const std::string &n : l.names) {
            if (n[0] == '#') {
                thunks.push_back(0x8000000000000000ull | std::stoul(n.substr(1)));
            } else {
                uint32_t hint = f.u16(0);
                f.text(n);
                thunks.push_back(hint);
            }
        }
        uint32_t list = f.rva();
        for (uint64_t t : thunks) f.u64(t);
        f.u64(0);
        tables.push_back({f.text(l.dll), list});
    }
    uint32_t descriptors = f.rva();
    for (size_t i = 0; i < libs.size(); i++) {
        if (libs[i].delayed) continue;
        f.u32(tables[i].second);
        f.u32(0);
        f.u32(0);
        f.u32(tables[i].first);
        f.u32(tables[i].second);
    }
    for (int i = 0; i < 5; i++) f.u32(0);
    uint32_t delayed = f.rva();
    for (size_t i = 0; i < libs.size(); i++) {
        if (!libs[i].delayed) continue;
        const uint32_t fields[8] = {1, tables[i].first, 0, tables[i].second, tables[i].second, 0, 0, 0};
        for (uint32_t v : fields) f.u32(v);
    }
    for (int i = 0; i < 8; i++) f.u32(0);
    pe_image img = f.image(true);
    img.dir_rva[PE_DIR_IMPORT] = descriptors;
    img.dir_size[PE_DIR_IMPORT] = delayed - descriptors;
    img.dir_rva[PE_DIR_DELAY_IMPORT] = delayed;
    img.dir_size[PE_DIR_DELAY_IMPORT] = 32;
    return img;
}

TEST(PeCheckImports, EachForeignLibraryIsNamed) {
    pe_image img = import_image({
        {"KERNEL32.dll", {"GetModuleHandleExA"}, false},
        {"libufun.dll", {"UF_initialize"}, false},
        {"libstdc++-6.dll", {"_Znwy"}, false},
        {"helper.dll", {"help"}, false},
        {"LIBWINPTHREAD-1.DLL", {"pthread_mutex_lock"}, true},
    });
    std::vector<std::string> problems = {"stale"};
    EXPECT_EQ(check_imports(&img, nullptr, {}, &problems), -1);
    EXPECT_EQ(problems.size(), 3u) << joined(problems);
    EXPECT_TRUE(has_line(problems, "from libstdc++-6.dll, a MinGW runtime DLL"));
    EXPECT_TRUE(has_line(problems, "from helper.dll, which is neither a Windows DLL nor an NX library"));
    EXPECT_TRUE(has_line(problems, "from LIBWINPTHREAD-1.DLL (delay-loaded), a MinGW runtime DLL"));
}

TEST(PeCheckImports, EachNxCallIsCheckedInEveryReleaseOfTheArchitecture) {
    const export_table table = nx_table();
    std::vector<size_t> wide;
    ASSERT_EQ(arch_releases(&table, "x86_64", &wide), 0);
    EXPECT_EQ(wide, (std::vector<size_t>{1, 2, 3, 5, 6}));
    std::vector<std::string> problems;

    // Library names in any case; the moved call found at run time is no import at all.
    pe_image good = import_image({{"LIBUFUN.DLL", {"UF_initialize"}, false},
                                  {"libUGopenint.dll", {"UF_MB_add_actions"}, true}});
    EXPECT_EQ(check_imports(&good, &table, wide, &problems), 0) << joined(problems);

    pe_image img = import_image({
        {"libufun.dll", {"UF_initialize", "UF_MB_add_actions", "UF_DISP_regenerate_display", "_UF_initialize",
                         "_UF_initialize@0", "UF_made_up", "#7"}, false},
        {"libugopenint.dll", {"UF_DISP_regenerate_display", "_UF_MB_add_actions"}, false},
    });
    EXPECT_EQ(check_imports(&img, &table, wide, &problems), -1);
    EXPECT_EQ(problems.size(), 8u) << joined(problems);
    // The oldest release of the columns is named, never a release of the other architecture.
    EXPECT_TRUE(has_line(problems, "UF_MB_add_actions imported from libufun.dll: NX6-64 exports it from "
                                   "libugopenint.dll (so do all 5 releases checked)"));
    EXPECT_TRUE(has_line(problems, "UF_DISP_regenerate_display imported from libufun.dll: NX6-64 exports it from "
                                   "libugopenint.dll (3 of the 5 releases checked do: the call moves"));
    EXPECT_TRUE(has_line(problems, "UF_DISP_regenerate_display imported from libugopenint.dll: NX8.5-64 exports it "
                                   "from libufun.dll (2 of the 5"));
    EXPECT_TRUE(has_line(problems, "_UF_initialize imported from libufun.dll: NX6-64 exports no _UF_initialize, it "
                                   "exports UF_initialize from libufun.dll"));
    EXPECT_TRUE(has_line(problems, "_UF_initialize@0 imported from libufun.dll: NX6-64 exports no _UF_initialize@0, "
                                   "it exports UF_initialize"));
    EXPECT_TRUE(has_line(problems, "_UF_MB_add_actions imported from libugopenint.dll: NX6-64 exports no "
                                   "_UF_MB_add_actions, it exports UF_MB_add_actions from libugopenint.dll"));
    EXPECT_TRUE(has_line(problems, "UF_made_up imported from libufun.dll: NX6-64 exports no such call "
                                   "(nx-exports.tsv does not know it)"));
    EXPECT_TRUE(has_line(problems, "ordinal 7 imported from libufun.dll: NX's calls are imported by name"));

    // The 32-bit columns: the oldest is NX5-32, and only the two 32-bit releases count.
    std::vector<size_t> narrow;
    ASSERT_EQ(arch_releases(&table, "i686", &narrow), 0);
    pe_image moved = import_image({{"libufun.dll", {"UF_DISP_regenerate_display"}, false}});
    EXPECT_EQ(check_imports(&moved, &table, narrow, &problems), -1);
    EXPECT_TRUE(has_line(problems, "UF_DISP_regenerate_display imported from libufun.dll: NX5-32 exports it from "
                                   "libugopenint.dll (1 of the 2 releases checked does:")) << joined(problems);
    // A column set of NX8.5-64 and later only: libufun.dll is right there.
    EXPECT_EQ(check_imports(&moved, &table, {5, 6}, &problems), 0) << joined(problems);
}

TEST(PeCheckImports, TablesPointingOutsideTheFileAreMalformed) {
    pe_image img = import_image({{"libufun.dll", {"UF_initialize"}, false}});
    std::vector<std::string> problems;
    pe_image name_outside = img;
    // The descriptor's name RVA (offset 12) moved past the section.
    const uint32_t descriptor = img.dir_rva[PE_DIR_IMPORT] - kBase + kFileOffset;
    name_outside.bytes[descriptor + 12 + 1] = 0x90;
    EXPECT_EQ(check_imports(&name_outside, nullptr, {}, &problems), -2);
    EXPECT_TRUE(has_line(problems, "import table is malformed"));

    // The first call's name entry moved past the section.
    pe_image name_entry_outside = img;
    const uint32_t list = img.bytes[descriptor] | img.bytes[descriptor + 1] << 8;
    name_entry_outside.bytes[list - kBase + kFileOffset + 1] = 0x90;
    EXPECT_EQ(check_imports(&name_entry_outside, nullptr, {}, &problems), -2);
}

// ---- exports --------------------------------------------------------------------------------

TEST(PeCheckExports, ExportsByOrdinalAndMissingNamesAreReported) {
    fake_image f;
    uint32_t name = f.text("ufsta");
    uint32_t functions = f.u32(0x1234);
    f.u32(0x1240);  // a second function with no name: exported by ordinal 2
    uint32_t names = f.u32(name);
    uint32_t ordinals = f.u16(0);
    f.u16(0);
    uint32_t dir = f.u32(0);
    const uint32_t fields[9] = {0, 0, 0, 1, 2, 1, functions, names, ordinals};
    for (uint32_t v : fields) f.u32(v);
    pe_image img = f.image(false);
    img.dir_rva[PE_DIR_EXPORT] = dir;
    img.dir_size[PE_DIR_EXPORT] = 40;

    std::vector<std::string> problems;
    EXPECT_EQ(check_exports(&img, {"ufsta", "ufusr"}, &problems), -1);
    EXPECT_EQ(problems.size(), 2u) << joined(problems);
    EXPECT_TRUE(has_line(problems, "export ufusr missing"));
    EXPECT_TRUE(has_line(problems, "unexpected exports (1): #2; the DLL may export only ufsta, ufusr"));
}

// ---- resources ------------------------------------------------------------------------------

struct fake_resource {
    uint32_t type;
    uint32_t id;
    uint32_t lang;
    std::string blob;
    uint32_t extra_size;  // declared beyond the blob's bytes
};

// A resource tree (type, name, language) of one leaf per item.
pe_image resource_image(const std::vector<fake_resource> &items) {
    fake_image f;
    auto dir = [&f](const std::vector<std::pair<uint32_t, uint32_t>> &entries) {
        uint32_t at = f.u32(0);
        f.u32(0);
        f.u32(0);
        f.u16(0);
        f.u16(static_cast<uint32_t>(entries.size()));
        for (const auto &e : entries) {
            f.u32(e.first);
            f.u32(e.second);
        }
        return at;
    };
    // The root must sit at the start: reserve it, fill its entries at the end.
    std::vector<std::pair<uint32_t, uint32_t>> root(items.size(), {0, 0});
    const uint32_t root_at = dir(root);
    for (size_t i = 0; i < items.size(); i++) {
        uint32_t blob = f.bytes(items[i].blob);
        uint32_t entry = f.u32(blob);
        f.u32(static_cast<uint32_t>(items[i].blob.size()) + items[i].extra_size);
        f.u32(0);
        f.u32(0);
        uint32_t langs = dir({{items[i].lang, entry - kBase}});
        uint32_t names = dir({{items[i].id, 0x80000000u | (langs - kBase)}});
        f.set32(root_at + 16 + 8 * static_cast<uint32_t>(i), items[i].type);
        f.set32(root_at + 20 + 8 * static_cast<uint32_t>(i), 0x80000000u | (names - kBase));
    }
    pe_image img = f.image(false);
    img.dir_rva[PE_DIR_RESOURCE] = root_at;
    img.dir_size[PE_DIR_RESOURCE] = f.rva() - root_at;
    return img;
}

std::string bitmap_header(int32_t width, int32_t height, int bits) {
    fake_image f;
    f.u32(40);
    f.u32(static_cast<uint32_t>(width));
    f.u32(static_cast<uint32_t>(height));
    f.u16(1);
    f.u16(static_cast<uint32_t>(bits));
    for (int i = 0; i < 6; i++) f.u32(0);
    return std::string(f.data.begin(), f.data.end());
}

TEST(PeCheckResources, AboutDialogAndPictureMustBeChinesePrcAndOfTheirSize) {
    std::vector<std::string> problems;
    // A top-down bitmap (negative height) has the right size too.
    pe_image good = resource_image({{PE_RT_DIALOG, 4000, 0x0804, "dialog..", 0},
                                    {PE_RT_BITMAP, 4001, 0x0804, bitmap_header(204, -159, 24), 0}});
    EXPECT_EQ(check_resources(&good, &problems), 0) << joined(problems);

    pe_image wrong = resource_image({{PE_RT_DIALOG, 4000, 0x0409, "dialog..", 0},
                                     {PE_RT_BITMAP, 4001, 0x0804, bitmap_header(204, 159, 8), 0}});
    EXPECT_EQ(check_resources(&wrong, &problems), -1);
    EXPECT_EQ(problems.size(), 2u) << joined(problems);
    EXPECT_TRUE(has_line(problems, "dialog 4000 (RT_DIALOG) has language 0x0409, not Chinese (PRC) 0x0804"));
    EXPECT_TRUE(has_line(problems, "bitmap 4001 (RT_BITMAP) is 204 x 159, 8 bits per pixel"));

    // The picture under another id, the dialog as another type: both count as missing.
    pe_image elsewhere = resource_image({{PE_RT_BITMAP, 4002, 0x0804, bitmap_header(204, 159, 24), 0},
                                         {PE_RT_BITMAP, 4000, 0x0804, bitmap_header(204, 159, 24), 0}});
    EXPECT_EQ(check_resources(&elsewhere, &problems), -1);
    EXPECT_EQ(problems.size(), 2u) << joined(problems);
    EXPECT_TRUE(has_line(problems, "dialog 4000 (RT_DIALOG) missing"));
    EXPECT_TRUE(has_line(problems, "bitmap 4001 (RT_BITMAP) missing"));

    // Data whose size runs past the end of its section.
    pe_image cut = resource_image({{PE_RT_DIALOG, 4000, 0x0804, "dialog..", 0},
                                   {PE_RT_BITMAP, 4001, 0x0804, bitmap_header(204, 159, 24), 97308}});
    EXPECT_EQ(check_resources(&cut, &problems), -1);
    EXPECT_EQ(problems.size(), 1u) << joined(problems);
    EXPECT_TRUE(has_line(problems, "bitmap 4001 (RT_BITMAP): its data lies outside the file"));

    // A type entry that points at data instead of a directory.
    pe_image flat = good;
    const uint32_t root_entry = flat.dir_rva[PE_DIR_RESOURCE] - kBase + kFileOffset + 20;
    flat.bytes[root_entry + 3] = 0;
    EXPECT_EQ(check_resources(&flat, &problems), -2);
    EXPECT_TRUE(has_line(problems, "resource tree is malformed"));
}

// ---- texts ----------------------------------------------------------------------------------

TEST(PeCheckTexts, TextsMustBeGbkAndUtf8OnesAreRecognised) {
    fake_image f;
    f.text("无当前工作文件！");  // GBK, as the plug-in's sources are compiled
    f.text(u8"没有选择电极");     // left UTF-8
    pe_image img = f.image(false);
    std::vector<std::string> problems;
    EXPECT_EQ(check_gbk_texts(&img, {u8"无当前工作文件！", u8"没有选择电极", u8"图层数值超出范围", u8"电极 \U0001F600"},
                              &problems),
              -1);
    EXPECT_EQ(problems.size(), 3u) << joined(problems);
    EXPECT_TRUE(has_line(problems, u8"\"没有选择电极\" missing, its UTF-8 bytes are there: the texts are UTF-8, not GBK"));
    EXPECT_TRUE(has_line(problems, u8"\"图层数值超出范围\" missing from the image"));
    EXPECT_TRUE(has_line(problems, "cannot be written in GBK"));
}

// ---- NX's export table -----------------------------------------------------------------------

// Writes text to a fresh temporary file and reads it as an export table.
int read_table_text(const std::string &text, export_table *table, std::string *why, std::string *path) {
    char name[] = "/tmp/pecheck-exports-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) return -9;
    FILE *f = fdopen(fd, "w");
    fputs(text.c_str(), f);
    fclose(f);
    const int rc = read_export_table(name, table, why);
    remove(name);
    *path = name;
    return rc;
}

TEST(PeCheckExportTable, RowsAreReadWithTheirLibraryPerRelease) {
    export_table table;
    std::string why, path;
    ASSERT_EQ(read_table_text("# which library exports each call\r\n"
                              "call\tNX4-32\tNX6-64\tNX8.5-32\r\n"
                              "\r\n"
                              "UF_initialize\tufun\tufun\tufun\r\n"
                              "UF_DISP_regenerate_display\tugopenint\tugopenint\tufun\r\n",
                              &table, &why, &path),
              0)
        << why;
    EXPECT_EQ(table.path, path);
    EXPECT_EQ(table.releases, (std::vector<std::string>{"NX4-32", "NX6-64", "NX8.5-32"}));
    EXPECT_EQ(table.calls.size(), 2u);
    EXPECT_EQ(table.calls["UF_DISP_regenerate_display"],
              (std::vector<std::string>{"libugopenint.dll", "libugopenint.dll", "libufun.dll"}));
    std::vector<size_t> columns;
    EXPECT_EQ(arch_releases(&table, "i686", &columns), 0);
    EXPECT_EQ(columns, (std::vector<size_t>{0, 2}));
    EXPECT_EQ(arch_releases(&table, "arm64", &columns), -1);

    EXPECT_EQ(read_export_table("/nonexistent/nx-exports.tsv", &table, &why), -1);
    EXPECT_NE(why.find("/nonexistent/nx-exports.tsv: cannot be read"), std::string::npos) << why;
}

TEST(PeCheckExportTable, MalformedTablesNameTheLineAndTheField) {
    const std::string header = "call\tNX4-32\tNX6-64\n";
    const struct {
        std::string text;
        std::string why;
    } cases[] = {
        {"", "no header line (call, releases...)"},
        {"# only a comment\n", "no header line"},
        {header, "the table lists no call"},
        {"name\tNX4-32\n", "line 1, field 1: the header's first field must be 'call', not 'name'"},
        {"call\n", "line 1, the header names no release"},
        {"call\tNX4\tNX6-64\n", "line 1, field 2 ('NX4'): a release name ends in -32 or -64"},
        {"call\tNX4-32\tNX4-32\n", "line 1, field 3 ('NX4-32'): the release is named twice"},
        {header + "UF_a\tufun\n", "line 2, UF_a: 2 fields, the header has 3"},
        {header + "UF_a\tufun\tufun\tufun\n", "line 2, UF_a: 4 fields, the header has 3"},
        {header + "UF_a\tufun\tugopenint\n# note\nUF_b\tufun\tUFUN\n",
         "line 4, UF_b, field 3 (NX6-64): 'UFUN' is neither ufun nor ugopenint"},
        {header + "UF_a\tufun\tufun \n", "line 2, UF_a, field 3 (NX6-64): 'ufun ' is neither"},
        {header + "UF_a\tufun\tufun\nUF_a\tufun\tufun\n", "line 3, field 1: UF_a is already on line 2"},
        {header + "\tufun\tufun\n", "line 2, field 1: '' is not a call name"},
        {header + "UF a\tufun\tufun\n", "line 2, field 1: 'UF a' is not a call name"},
    };
    for (const auto &c : cases) {
        export_table table;
        std::string why, path;
        EXPECT_EQ(read_table_text(c.text, &table, &why, &path), -2) << c.text;
        EXPECT_EQ(why.rfind(path + ": " + c.why, 0), 0u) << why;
        EXPECT_TRUE(table.calls.empty() && table.releases.empty()) << c.text;
    }
}

// The table the DLLs are checked against: each architecture's releases, the moved call's eras.
TEST(PeCheckExportTable, NxTableGivesEachArchitectureItsReleases) {
    export_table table;
    std::string why;
    ASSERT_EQ(read_export_table(KELVORA_NX_EXPORTS, &table, &why), 0) << why;
    std::vector<size_t> narrow, wide;
    ASSERT_EQ(arch_releases(&table, "i686", &narrow), 0);
    ASSERT_EQ(arch_releases(&table, "x86_64", &wide), 0);
    ASSERT_EQ(narrow.size(), 6u);
    ASSERT_EQ(wide.size(), 11u);
    EXPECT_EQ(table.releases[narrow.front()], "NX4-32");
    EXPECT_EQ(table.releases[wide.front()], "NX6-64");
    EXPECT_EQ(table.releases[wide.back()], "NX2007-64");

    std::vector<std::string> problems;
    pe_image ufun = import_image({{"libufun.dll", {"UF_DISP_regenerate_display"}, false}});
    pe_image ugopenint = import_image({{"libugopenint.dll", {"UF_DISP_regenerate_display"}, false}});
    const struct {
        const pe_image *img;
        const std::vector<size_t> *columns;
        const char *line;
    } moved[] = {
        {&ufun, &narrow, "imported from libufun.dll: NX4-32 exports it from libugopenint.dll"},
        {&ufun, &wide, "imported from libufun.dll: NX6-64 exports it from libugopenint.dll"},
        {&ugopenint, &narrow, "imported from libugopenint.dll: NX8.5-32 exports it from libufun.dll"},
        {&ugopenint, &wide, "imported from libugopenint.dll: NX8.5-64 exports it from libufun.dll"},
    };
    for (const auto &m : moved) {
        EXPECT_EQ(check_imports(m.img, &table, *m.columns, &problems), -1);
        ASSERT_EQ(problems.size(), 1u) << joined(problems);
        EXPECT_TRUE(has_line(problems, std::string("UF_DISP_regenerate_display ") + m.line)) << joined(problems);
    }
}

}  // namespace
