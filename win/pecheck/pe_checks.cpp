// The plug-in DLL's checks: machine, exports, imports against NX's export table, resources, GBK texts.
#include "pe_checks.h"

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

namespace {

const uint32_t kAboutDialog = 4000;
const uint32_t kAboutBitmap = 4001;
const uint32_t kLangChinesePrc = 0x0804;
const int kBitmapWidth = 204;
const int kBitmapHeight = 159;
const int kBitmapBits = 24;

std::string lower(std::string s) {
    for (char &c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

std::string hex4(uint32_t v) {
    char text[16] = "";
    snprintf(text, sizeof text, "0x%04x", v);
    return text;
}

std::string base_name(const std::string &path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The MinGW runtime DLLs a plug-in must not need: named in the message so the cause is plain.
bool is_mingw_runtime(const std::string &dll) {
    const std::string d = lower(dll);
    return d.rfind("libstdc++", 0) == 0 || d.rfind("libgcc_s", 0) == 0 || d.rfind("libwinpthread", 0) == 0;
}

bool is_nx_library(const std::string &dll) {
    const std::string d = lower(dll);
    return d == "libufun.dll" || d == "libugopenint.dll";
}

bool is_identifier(const std::string &s) {
    if (s.empty() || (s[0] >= '0' && s[0] <= '9')) return false;
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

std::vector<std::string> split_tabs(const std::string &line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

// The undecorated name a cdecl (_UF_x) or stdcall (_UF_x@4) decoration was made from; "" when
// the name carries neither.
std::string undecorated(const std::string &name) {
    if (name.size() < 2 || name[0] != '_') return "";
    std::string plain = name.substr(1);
    const size_t at = plain.rfind('@');
    if (at != std::string::npos && at + 1 < plain.size() &&
        plain.find_first_not_of("0123456789", at + 1) == std::string::npos)
        plain.erase(at);
    return plain;
}

// One refused NX import, or "" when every release of columns exports name from dll.
std::string refusal(const export_table &table, const std::vector<size_t> &columns, const std::string &dll,
                    const std::string &name) {
    const std::string oldest = table.releases[columns[0]];
    const std::string head = name + " imported from " + dll + ": ";
    auto row = table.calls.find(name);
    if (row == table.calls.end()) {
        auto plain = table.calls.find(undecorated(name));
        if (plain != table.calls.end())
            return head + oldest + " exports no " + name + ", it exports " + plain->first + " from " +
                   plain->second[columns[0]] + " (NX's import names carry no decoration)";
        return head + oldest + " exports no such call (" + base_name(table.path) + " does not know it)";
    }
    size_t refused = 0, first = columns.size();
    for (size_t i = 0; i < columns.size(); i++) {
        if (lower(row->second[columns[i]]) == lower(dll)) continue;
        refused++;
        if (first == columns.size()) first = i;
    }
    if (refused == 0) return "";
    std::string line = head + table.releases[columns[first]] + " exports it from " + row->second[columns[first]];
    if (refused == columns.size())
        line += " (so do all " + std::to_string(columns.size()) + " releases checked)";
    else
        line += " (" + std::to_string(refused) + " of the " + std::to_string(columns.size()) + " releases checked " +
                (refused == 1 ? "does" : "do") + ": the call moves between the libraries, find it at run time)";
    return line;
}

const pe_resource *find_resource(const std::vector<pe_resource> &resources, uint32_t type, uint32_t id) {
    const pe_resource *found = nullptr;
    for (const pe_resource &r : resources) {
        if (r.type != type || r.id != id) continue;
        if (r.lang == kLangChinesePrc) return &r;
        if (!found) found = &r;
    }
    return found;
}

// Size and depth from the bitmap resource's header (a BMP file without its file header).
int bitmap_info(const pe_image *img, const pe_resource &r, int *width, int *height, int *bits) {
    *width = *height = *bits = 0;
    const unsigned char *p = nullptr;
    if (r.size < 12 || pe_data_at(img, r.rva, 12, &p) != 0) return -1;
    const uint32_t header = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
    if (header == 12) {  // BITMAPCOREHEADER: 16-bit sizes
        *width = p[4] | p[5] << 8;
        *height = p[6] | p[7] << 8;
        *bits = p[10] | p[11] << 8;
        return 0;
    }
    if (header < 40 || r.size < 16 || pe_data_at(img, r.rva, 16, &p) != 0) return -2;
    *width = static_cast<int32_t>(p[4] | p[5] << 8 | p[6] << 16 | static_cast<uint32_t>(p[7]) << 24);
    int32_t h = static_cast<int32_t>(p[8] | p[9] << 8 | p[10] << 16 | static_cast<uint32_t>(p[11]) << 24);
    *height = h < 0 ? -h : h;  // negative: stored top-down
    *bits = p[14] | p[15] << 8;
    return 0;
}

std::string resource_type_name(const pe_resource &r) {
    static const std::map<uint32_t, const char *> names = {
        {1, "RT_CURSOR"}, {2, "RT_BITMAP"},   {3, "RT_ICON"},        {4, "RT_MENU"},
        {5, "RT_DIALOG"}, {6, "RT_STRING"},   {14, "RT_GROUP_ICON"}, {16, "RT_VERSION"},
        {24, "RT_MANIFEST"},
    };
    if (r.type == PE_RES_NAMED) return "\"" + r.type_name + "\"";
    auto it = names.find(r.type);
    return it != names.end() ? it->second : "type " + std::to_string(r.type);
}

int utf8_to_gbk(const std::string &utf8, std::string *gbk) {
    gbk->clear();
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return -2;
    std::vector<char> in(utf8.begin(), utf8.end());
    std::vector<char> out(utf8.size() * 2 + 16);  // GBK never takes more bytes than UTF-8
    char *src = in.data();
    char *dst = out.data();
    size_t src_left = in.size(), dst_left = out.size();
    const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || src_left != 0) return -1;
    gbk->assign(out.data(), out.size() - dst_left);
    return 0;
}

bool image_contains(const pe_image *img, const std::string &bytes) {
    if (bytes.empty()) return true;
    for (const pe_section &s : img->sections) {
        if (memmem(img->bytes.data() + s.raw_offset, s.raw_size, bytes.data(), bytes.size())) return true;
    }
    return false;
}

}  // namespace

int read_export_table(const char *path, export_table *table, std::string *why) {
    table->path = path;
    table->releases.clear();
    table->calls.clear();
    why->clear();
    std::ifstream in(path);
    if (!in) {
        *why = std::string(path) + ": cannot be read";
        return -1;
    }
    std::map<std::string, int> line_of;  // call -> the line that gave it, for duplicates
    std::vector<std::string> header;
    std::string line;
    int n = 0;
    auto bad = [&](const std::string &what) {
        *why = std::string(path) + ": line " + std::to_string(n) + ", " + what;
        table->releases.clear();
        table->calls.clear();
        return -2;
    };
    while (std::getline(in, line)) {
        n++;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields = split_tabs(line);
        if (header.empty()) {
            if (fields[0] != "call")
                return bad("field 1: the header's first field must be 'call', not '" + fields[0] + "'");
            if (fields.size() < 2) return bad("the header names no release");
            for (size_t i = 1; i < fields.size(); i++) {
                const std::string &r = fields[i];
                const std::string field = "field " + std::to_string(i + 1) + " ('" + r + "')";
                if (r.size() < 4 || (r.compare(r.size() - 3, 3, "-32") != 0 && r.compare(r.size() - 3, 3, "-64") != 0))
                    return bad(field + ": a release name ends in -32 or -64");
                if (std::find(fields.begin() + 1, fields.begin() + static_cast<long>(i), r) !=
                    fields.begin() + static_cast<long>(i))
                    return bad(field + ": the release is named twice");
            }
            header = fields;
            table->releases.assign(fields.begin() + 1, fields.end());
            continue;
        }
        const std::string &call = fields[0];
        if (!is_identifier(call)) return bad("field 1: '" + call + "' is not a call name");
        if (fields.size() != header.size())
            return bad(call + ": " + std::to_string(fields.size()) + " fields, the header has " +
                       std::to_string(header.size()));
        if (line_of.count(call)) return bad("field 1: " + call + " is already on line " + std::to_string(line_of[call]));
        std::vector<std::string> libs;
        for (size_t i = 1; i < fields.size(); i++) {
            if (fields[i] != "ufun" && fields[i] != "ugopenint")
                return bad(call + ", field " + std::to_string(i + 1) + " (" + header[i] + "): '" + fields[i] +
                           "' is neither ufun nor ugopenint");
            libs.push_back("lib" + fields[i] + ".dll");
        }
        line_of[call] = n;
        table->calls[call] = libs;
    }
    if (header.empty() || table->calls.empty()) {
        *why = std::string(path) + (header.empty() ? ": no header line (call, releases...)" : ": the table lists no call");
        table->releases.clear();
        return -2;
    }
    return 0;
}

int arch_releases(const export_table *table, const char *arch, std::vector<size_t> *columns) {
    columns->clear();
    const char *suffix = strcmp(arch, "i686") == 0 ? "-32" : strcmp(arch, "x86_64") == 0 ? "-64" : nullptr;
    if (!suffix) return -1;
    for (size_t i = 0; i < table->releases.size(); i++) {
        const std::string &r = table->releases[i];
        if (r.size() > 3 && r.compare(r.size() - 3, 3, suffix) == 0) columns->push_back(i);
    }
    return columns->empty() ? -1 : 0;
}

int read_text_lines(const char *path, std::vector<std::string> *lines) {
    lines->clear();
    std::ifstream in(path);
    if (!in) return -1;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        lines->push_back(line);
    }
    return 0;
}

bool is_windows_dll(const std::string &dll) {
    static const std::set<std::string> system = {
        "kernel32.dll", "user32.dll",   "gdi32.dll",    "shell32.dll",  "ole32.dll",   "oleaut32.dll",
        "advapi32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll",   "shlwapi.dll", "version.dll",
        "winmm.dll",    "ws2_32.dll",   "uxtheme.dll",  "imm32.dll",    "rpcrt4.dll",  "psapi.dll",
        "ntdll.dll",    "winspool.drv", "secur32.dll",  "crypt32.dll",  "msimg32.dll", "setupapi.dll",
    };
    return system.count(lower(dll)) != 0;
}

int check_machine(const pe_image *img, const char *arch, std::vector<std::string> *problems) {
    problems->clear();
    const bool wide = strcmp(arch, "x86_64") == 0;
    const uint16_t machine = wide ? PE_MACHINE_AMD64 : PE_MACHINE_I386;
    const uint16_t magic = wide ? PE_MAGIC_PE32_PLUS : PE_MAGIC_PE32;
    if (img->machine != machine) {
        const char *found = img->machine == PE_MACHINE_I386    ? "i686"
                            : img->machine == PE_MACHINE_AMD64 ? "x86_64"
                                                               : "another machine";
        problems->push_back("machine is " + std::string(found) + " (" + hex4(img->machine) + "), not " + arch +
                            " (" + hex4(machine) + ")");
    } else if (img->magic != magic) {
        problems->push_back("optional header is " + hex4(img->magic) + ", not " + hex4(magic) + " as " + arch +
                            " needs");
    }
    if ((img->characteristics & PE_FILE_DLL) == 0)
        problems->push_back("not a DLL: the IMAGE_FILE_DLL flag is not set (characteristics " +
                            hex4(img->characteristics) + ")");
    return problems->empty() ? 0 : -1;
}

int check_exports(const pe_image *img, const std::vector<std::string> &expected, std::vector<std::string> *problems) {
    problems->clear();
    std::vector<std::string> names;
    if (pe_exports(img, &names) != 0) {
        problems->push_back("export table is malformed");
        return -2;
    }
    for (const std::string &e : expected)
        if (std::find(names.begin(), names.end(), e) == names.end()) problems->push_back("export " + e + " missing");
    std::vector<std::string> extra;
    for (const std::string &n : names)
        if (std::find(expected.begin(), expected.end(), n) == expected.end()) extra.push_back(n);
    if (!extra.empty()) {
        // One line however many: a DLL that exports every symbol would otherwise flood the output.
        std::string line = "unexpected exports (" + std::to_string(extra.size()) + "): ";
        for (size_t i = 0; i < extra.size() && i < 5; i++) line += (i ? ", " : "") + extra[i];
        if (extra.size() > 5) line += " and " + std::to_string(extra.size() - 5) + " more";
        std::string allowed;
        for (const std::string &e : expected) allowed += (allowed.empty() ? "" : ", ") + e;
        line += allowed.empty() ? "; the DLL must export nothing" : "; the DLL may export only " + allowed;
        problems->push_back(line);
    }
    return problems->empty() ? 0 : -1;
}

int check_imports(const pe_image *img, const export_table *table, const std::vector<size_t> &columns,
                  std::vector<std::string> *problems) {
    problems->clear();
    std::vector<pe_import_library> libs;
    if (pe_imports(img, &libs) != 0) {
        problems->push_back("import table is malformed");
        return -2;
    }
    for (const pe_import_library &lib : libs) {
        const std::string how = lib.delayed ? " (delay-loaded)" : "";
        const std::string calls = std::to_string(lib.calls.size()) + (lib.calls.size() == 1 ? " call" : " calls");
        if (is_windows_dll(lib.dll)) continue;
        if (!is_nx_library(lib.dll)) {
            if (is_mingw_runtime(lib.dll))
                problems->push_back("imports " + calls + " from " + lib.dll + how +
                                    ", a MinGW runtime DLL no NX installation has: link it statically");
            else
                problems->push_back("imports " + calls + " from " + lib.dll + how +
                                    ", which is neither a Windows DLL nor an NX library");
            continue;
        }
        if (!table || columns.empty()) continue;  // the NX calls are not examined
        for (const pe_import_call &c : lib.calls) {
            if (c.name.empty()) {
                // Ordinals are not kept from one release to the next.
                problems->push_back("ordinal " + std::to_string(c.ordinal) + " imported from " + lib.dll +
                                    ": NX's calls are imported by name");
                continue;
            }
            const std::string line = refusal(*table, columns, lib.dll, c.name);
            if (!line.empty()) problems->push_back(line);
        }
    }
    return problems->empty() ? 0 : -1;
}

int check_resources(const pe_image *img, std::vector<std::string> *problems) {
    problems->clear();
    std::vector<pe_resource> resources;
    if (pe_resources(img, &resources) != 0) {
        problems->push_back("resource tree is malformed");
        return -2;
    }
    struct wanted {
        uint32_t type;
        uint32_t id;
        const char *what;
    } const items[] = {{PE_RT_DIALOG, kAboutDialog, "dialog 4000 (RT_DIALOG)"},
                       {PE_RT_BITMAP, kAboutBitmap, "bitmap 4001 (RT_BITMAP)"}};
    for (const wanted &w : items) {
        const pe_resource *r = find_resource(resources, w.type, w.id);
        if (!r) {
            problems->push_back(std::string(w.what) + " missing");
            continue;
        }
        if (r->lang != kLangChinesePrc)
            problems->push_back(std::string(w.what) + " has language " + hex4(r->lang) + ", not Chinese (PRC) " +
                                hex4(kLangChinesePrc));
        const unsigned char *data = nullptr;
        if (pe_data_at(img, r->rva, r->size, &data) != 0) {
            problems->push_back(std::string(w.what) + ": its data lies outside the file");
            continue;
        }
        if (w.type != PE_RT_BITMAP) continue;
        int width = 0, height = 0, bits = 0;
        if (bitmap_info(img, *r, &width, &height, &bits) != 0) {
            problems->push_back(std::string(w.what) + " has no bitmap header");
        } else if (width != kBitmapWidth || height != kBitmapHeight || bits != kBitmapBits) {
            char line[200] = "";
            snprintf(line, sizeof line, "%s is %d x %d, %d bits per pixel; the About picture is %d x %d, %d bits",
                     w.what, width, height, bits, kBitmapWidth, kBitmapHeight, kBitmapBits);
            problems->push_back(line);
        }
    }
    return problems->empty() ? 0 : -1;
}

int check_gbk_texts(const pe_image *img, const std::vector<std::string> &texts, std::vector<std::string> *problems) {
    problems->clear();
    for (const std::string &t : texts) {
        std::string gbk;
        const int rc = utf8_to_gbk(t, &gbk);
        if (rc == -2) {
            problems->push_back("iconv cannot convert UTF-8 to GBK on this system");
            return -2;
        }
        if (rc != 0) {
            problems->push_back("text \"" + t + "\" cannot be written in GBK");
        } else if (!image_contains(img, gbk)) {
            if (image_contains(img, t))
                problems->push_back("GBK text \"" + t + "\" missing, its UTF-8 bytes are there: the texts are UTF-8, "
                                    "not GBK (compiled without -fexec-charset=GBK?)");
            else
                problems->push_back("GBK text \"" + t + "\" missing from the image");
        }
    }
    return problems->empty() ? 0 : -1;
}

int describe_image(const pe_image *img, std::string *text) {
    text->clear();
    char line[256] = "";
    const char *machine = img->machine == PE_MACHINE_I386 ? "i686" : img->machine == PE_MACHINE_AMD64 ? "x86_64" : "?";
    snprintf(line, sizeof line, "machine: %s (0x%04x)%s\n", machine, img->machine,
             (img->characteristics & PE_FILE_DLL) ? ", DLL" : ", not a DLL");
    *text += line;

    std::vector<std::string> exports;
    std::vector<pe_import_library> libs;
    std::vector<pe_resource> resources;
    const int bad_exports = pe_exports(img, &exports);
    const int bad_imports = pe_imports(img, &libs);
    const int bad_resources = pe_resources(img, &resources);

    *text += "exports (" + std::to_string(exports.size()) + "):";
    for (const std::string &e : exports) *text += " " + e;
    *text += bad_exports ? " [export table malformed]\n" : "\n";

    size_t calls = 0;
    for (const pe_import_library &l : libs) calls += l.calls.size();
    *text += "imports (" + std::to_string(libs.size()) + " libraries, " + std::to_string(calls) + " calls):" +
             (bad_imports ? " [import table malformed]\n" : "\n");
    for (const pe_import_library &l : libs) {
        snprintf(line, sizeof line, "  %-20s %4zu%s\n", l.dll.c_str(), l.calls.size(), l.delayed ? " (delay-loaded)" : "");
        *text += line;
    }

    *text += "resources (" + std::to_string(resources.size()) + "):" + (bad_resources ? " [resource tree malformed]\n" : "\n");
    for (const pe_resource &r : resources) {
        std::string name = r.id == PE_RES_NAMED ? "\"" + r.name + "\"" : std::to_string(r.id);
        snprintf(line, sizeof line, "  %-12s %-6s language 0x%04x, %u bytes", resource_type_name(r).c_str(),
                 name.c_str(), r.lang, r.size);
        *text += line;
        int width = 0, height = 0, bits = 0;
        if (r.type == PE_RT_BITMAP && bitmap_info(img, r, &width, &height, &bits) == 0) {
            snprintf(line, sizeof line, ", %d x %d, %d bits per pixel", width, height, bits);
            *text += line;
        }
        *text += "\n";
    }
    return (bad_exports || bad_imports || bad_resources) ? -1 : 0;
}
