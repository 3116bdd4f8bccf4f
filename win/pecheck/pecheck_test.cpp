// kelvora-pecheck's checks on small images made here: the faults a mingw-w64 link does not
// produce on its own (ordinals, delay-loaded imports, wrong resource language or picture, UTF-8
// texts) must still be reported, and broken tables must give "malformed", never a wild read.
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

def_file nx_def(const char *library, std::vector<std::string> names) {
    def_file d;
    d.path = std::string(library) + ".def";
    d.library = std::string(library) + ".dll";
    d.names = std::move(names);
    return d;
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

TEST(PeCheckImports, EachForeignLibraryAndMisplacedCallIsNamed) {
    pe_image img = import_image({
        {"KERNEL32.dll", {"GetModuleHandleExA"}, false},
        {"libufun.dll", {"UF_initialize", "UF_MB_add_actions", "UF_made_up", "#7"}, false},
        {"LIBUGOPENINT.DLL", {"UF_UI_set_status"}, false},  // library names are case-insensitive
        {"libstdc++-6.dll", {"_Znwy"}, false},
        {"helper.dll", {"help"}, false},
        {"LIBWINPTHREAD-1.DLL", {"pthread_mutex_lock"}, true},
    });
    const std::vector<def_file> defs = {nx_def("libufun", {"UF_initialize"}),
                                        nx_def("libugopenint", {"UF_MB_add_actions", "UF_UI_set_status"})};
    std::vector<std::string> problems = {"stale"};
    EXPECT_EQ(check_imports(&img, defs, &problems), -1);
    EXPECT_EQ(problems.size(), 6u) << joined(problems);
    EXPECT_TRUE(has_line(problems, "UF_MB_add_actions imported from libufun.dll; NX exports it from libugopenint.dll"));
    EXPECT_TRUE(has_line(problems, "UF_made_up imported from libufun.dll is a call of no NX library"));
    EXPECT_TRUE(has_line(problems, "ordinal 7 imported from libufun.dll"));
    EXPECT_TRUE(has_line(problems, "from libstdc++-6.dll, a MinGW runtime DLL"));
    EXPECT_TRUE(has_line(problems, "from helper.dll, which is neither a Windows DLL nor an NX library"));
    EXPECT_TRUE(has_line(problems, "from LIBWINPTHREAD-1.DLL (delay-loaded), a MinGW runtime DLL"));

    // 32-bit names: a call without cdecl's underscore is pointed at the .def's spelling.
    pe_image plain = import_image({{"libufun.dll", {"UF_initialize"}, false}});
    EXPECT_EQ(check_imports(&plain, {nx_def("libufun", {"_UF_initialize"})}, &problems), -1);
    EXPECT_TRUE(has_line(problems, "the .def has _UF_initialize")) << joined(problems);

    // Without .def files the NX libraries are allowed but their calls are not examined.
    EXPECT_EQ(check_imports(&img, {}, &problems), -1);
    EXPECT_EQ(problems.size(), 3u) << joined(problems);
}

TEST(PeCheckImports, TablesPointingOutsideTheFileAreMalformed) {
    pe_image img = import_image({{"libufun.dll", {"UF_initialize"}, false}});
    std::vector<std::string> problems;
    pe_image name_outside = img;
    // The descriptor's name RVA (offset 12) moved past the section.
    const uint32_t descriptor = img.dir_rva[PE_DIR_IMPORT] - kBase + kFileOffset;
    name_outside.bytes[descriptor + 12 + 1] = 0x90;
    EXPECT_EQ(check_imports(&name_outside, {}, &problems), -2);
    EXPECT_TRUE(has_line(problems, "import table is malformed"));

    // The first call's name entry moved past the section.
    pe_image name_entry_outside = img;
    const uint32_t list = img.bytes[descriptor] | img.bytes[descriptor + 1] << 8;
    name_entry_outside.bytes[list - kBase + kFileOffset + 1] = 0x90;
    EXPECT_EQ(check_imports(&name_entry_outside, {}, &problems), -2);
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

// ---- module-definition files ------------------------------------------------------------------

TEST(PeCheckDefFile, LibraryAndExportedNamesAreRead) {
    char path[] = "/tmp/pecheck-def-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    FILE *f = fdopen(fd, "w");
    fputs("; NX's interface library\nLIBRARY \"libugopenint\"\nEXPORTS\n"
          "    UF_MB_add_actions @3\n    uc1601=uc1601_impl\n    UF_UI_set_status ; status line\n",
          f);
    fclose(f);
    def_file def;
    EXPECT_EQ(read_def_file(path, &def), 0);
    EXPECT_EQ(def.library, "libugopenint.dll");
    EXPECT_EQ(def.names, (std::vector<std::string>{"UF_MB_add_actions", "uc1601", "UF_UI_set_status"}));

    f = fopen(path, "w");
    fputs("EXPORTS\n    UF_initialize\n", f);
    fclose(f);
    EXPECT_EQ(read_def_file(path, &def), -2);
    remove(path);
    EXPECT_EQ(read_def_file(path, &def), -1);
}

}  // namespace
