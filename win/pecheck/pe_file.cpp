// PE image reading. Offsets and counts come from the file itself, so each one is checked
// against the bytes before it is used.
#include "pe_file.h"

#include <cstdio>
#include <cstring>

namespace {

int read16(const std::vector<unsigned char> &b, uint64_t off, uint16_t *v) {
    *v = 0;
    if (off > b.size() || b.size() - off < 2) return -1;
    *v = static_cast<uint16_t>(b[off] | (b[off + 1] << 8));
    return 0;
}

int read32(const std::vector<unsigned char> &b, uint64_t off, uint32_t *v) {
    *v = 0;
    if (off > b.size() || b.size() - off < 4) return -1;
    *v = static_cast<uint32_t>(b[off]) | static_cast<uint32_t>(b[off + 1]) << 8 |
         static_cast<uint32_t>(b[off + 2]) << 16 | static_cast<uint32_t>(b[off + 3]) << 24;
    return 0;
}

int read64(const std::vector<unsigned char> &b, uint64_t off, uint64_t *v) {
    *v = 0;
    uint32_t lo = 0, hi = 0;
    if (read32(b, off, &lo) != 0 || read32(b, off + 4, &hi) != 0) return -1;
    *v = static_cast<uint64_t>(hi) << 32 | lo;
    return 0;
}

// A little-endian value of 2, 4 or 8 bytes at rva, wherever the sections put it.
int read_rva(const pe_image *img, uint32_t rva, uint32_t size, uint64_t *v) {
    *v = 0;
    const unsigned char *p = nullptr;
    if (pe_data_at(img, rva, size, &p) != 0) return -1;
    for (uint32_t i = size; i > 0; i--) *v = *v << 8 | p[i - 1];
    return 0;
}

// The NUL-terminated text at rva, at most max bytes long.
int read_text(const pe_image *img, uint32_t rva, size_t max, std::string *text) {
    text->clear();
    const unsigned char *p = nullptr;
    if (pe_data_at(img, rva, 1, &p) != 0) return -1;
    for (size_t n = 0; n < max; n++) {
        if (pe_data_at(img, rva + static_cast<uint32_t>(n), 1, &p) != 0) return -1;
        if (*p == 0) return 0;
        text->push_back(static_cast<char>(*p));
    }
    return -1;
}

const size_t kMaxName = 4096;

// The thunk list of one library (import name table): names or ordinals until the zero entry.
int read_thunks(const pe_image *img, uint32_t rva, pe_import_library *lib) {
    const bool wide = img->magic == PE_MAGIC_PE32_PLUS;
    const uint32_t step = wide ? 8 : 4;
    const uint64_t ordinal_flag = wide ? 0x8000000000000000ull : 0x80000000ull;
    for (uint32_t n = 0;; n++) {
        if (n > 65536) return -1;  // no real library has more: the table has no end
        uint64_t thunk = 0;
        if (read_rva(img, rva + n * step, step, &thunk) != 0) return -1;
        if (thunk == 0) return 0;
        pe_import_call call;
        call.ordinal = -1;
        if (thunk & ordinal_flag) {
            call.ordinal = static_cast<int>(thunk & 0xffff);
        } else if (thunk > 0xffffffffull ||
                   read_text(img, static_cast<uint32_t>(thunk) + 2, kMaxName, &call.name) != 0) {
            return -1;
        }
        lib->calls.push_back(call);
    }
}

// UTF-16 resource name; characters outside ASCII shown as '?' (names here are identifiers).
int read_resource_name(const pe_image *img, uint32_t rva, std::string *name) {
    name->clear();
    uint64_t len = 0;
    if (read_rva(img, rva, 2, &len) != 0) return -1;
    for (uint32_t i = 0; i < len; i++) {
        uint64_t c = 0;
        if (read_rva(img, rva + 2 + 2 * i, 2, &c) != 0) return -1;
        name->push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return 0;
}

struct res_entry {
    uint32_t id;
    std::string name;
    uint32_t target;  // offset from the start of the resource section
    bool is_dir;
};

int read_res_dir(const pe_image *img, uint32_t base, uint32_t offset, std::vector<res_entry> *out) {
    out->clear();
    uint64_t named = 0, ids = 0;
    if (read_rva(img, base + offset + 12, 2, &named) != 0 || read_rva(img, base + offset + 14, 2, &ids) != 0)
        return -1;
    for (uint32_t i = 0; i < named + ids; i++) {
        uint64_t name = 0, target = 0;
        uint32_t at = base + offset + 16 + 8 * i;
        if (read_rva(img, at, 4, &name) != 0 || read_rva(img, at + 4, 4, &target) != 0) return -1;
        res_entry e;
        e.id = static_cast<uint32_t>(name);
        e.is_dir = (target & 0x80000000u) != 0;
        e.target = static_cast<uint32_t>(target & 0x7fffffffu);
        if (name & 0x80000000u) {
            e.id = PE_RES_NAMED;
            if (read_resource_name(img, base + static_cast<uint32_t>(name & 0x7fffffffu), &e.name) != 0)
                return -1;
        }
        out->push_back(e);
    }
    return 0;
}

}  // namespace

int pe_data_at(const pe_image *img, uint32_t rva, uint32_t size, const unsigned char **data) {
    *data = nullptr;
    const uint64_t end = static_cast<uint64_t>(rva) + size;
    if (end <= img->header_size && end <= img->bytes.size()) {
        *data = img->bytes.data() + rva;
        return 0;
    }
    for (const pe_section &s : img->sections) {
        if (rva < s.vaddr) continue;
        const uint64_t off = rva - s.vaddr;
        if (off + size > s.raw_size) continue;  // beyond the file data (zero-filled memory)
        *data = img->bytes.data() + s.raw_offset + off;
        return 0;
    }
    return -1;
}

int pe_load(const char *path, pe_image *img, std::string *why) {
    img->bytes.clear();
    img->sections.clear();
    img->machine = img->characteristics = img->magic = 0;
    img->image_base = 0;
    img->header_size = 0;
    memset(img->dir_rva, 0, sizeof img->dir_rva);
    memset(img->dir_size, 0, sizeof img->dir_size);
    why->clear();

    FILE *f = fopen(path, "rb");
    if (!f) {
        *why = "cannot be read";
        return -1;
    }
    unsigned char chunk[65536];
    size_t n = 0;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) img->bytes.insert(img->bytes.end(), chunk, chunk + n);
    const bool failed = ferror(f) != 0;
    fclose(f);
    if (failed) {
        *why = "cannot be read";
        return -1;
    }

    const std::vector<unsigned char> &b = img->bytes;
    uint32_t pe = 0, signature = 0;
    if (b.size() < 64 || b[0] != 'M' || b[1] != 'Z' || read32(b, 0x3c, &pe) != 0 || read32(b, pe, &signature) != 0 ||
        signature != 0x00004550) {
        *why = "not a PE image (no MZ header or PE signature)";
        return -2;
    }
    const uint64_t coff = static_cast<uint64_t>(pe) + 4;
    uint16_t sections = 0, opt_size = 0;
    uint32_t opt_fields = 0, dir_count = 0;
    if (read16(b, coff, &img->machine) != 0 || read16(b, coff + 2, &sections) != 0 ||
        read16(b, coff + 16, &opt_size) != 0 || read16(b, coff + 18, &img->characteristics) != 0 ||
        read16(b, coff + 20, &img->magic) != 0) {
        *why = "truncated PE header";
        return -2;
    }
    const uint64_t opt = coff + 20;
    if (img->magic == PE_MAGIC_PE32) {
        uint32_t base = 0;
        opt_fields = 96;
        if (read32(b, opt + 28, &base) != 0) opt_fields = 0;
        img->image_base = base;
    } else if (img->magic == PE_MAGIC_PE32_PLUS) {
        opt_fields = 112;
        if (read64(b, opt + 24, &img->image_base) != 0) opt_fields = 0;
    } else {
        *why = "unknown optional header kind (magic not 0x10b or 0x20b)";
        return -2;
    }
    if (opt_fields == 0 || opt_size < opt_fields || read32(b, opt + 60, &img->header_size) != 0 ||
        read32(b, opt + opt_fields - 4, &dir_count) != 0) {
        *why = "truncated optional header";
        return -2;
    }
    if (dir_count > 16) dir_count = 16;
    if (opt_fields + 8ull * dir_count > opt_size) {
        *why = "data directories outside the optional header";
        return -2;
    }
    for (uint32_t i = 0; i < dir_count; i++) {
        if (read32(b, opt + opt_fields + 8 * i, &img->dir_rva[i]) != 0 ||
            read32(b, opt + opt_fields + 8 * i + 4, &img->dir_size[i]) != 0) {
            *why = "truncated data directories";
            return -2;
        }
    }
    const uint64_t table = opt + opt_size;
    for (uint16_t i = 0; i < sections; i++) {
        const uint64_t at = table + 40ull * i;
        pe_section s;
        memset(s.name, 0, sizeof s.name);
        if (at + 40 > b.size() || read32(b, at + 8, &s.vsize) != 0 || read32(b, at + 12, &s.vaddr) != 0 ||
            read32(b, at + 16, &s.raw_size) != 0 || read32(b, at + 20, &s.raw_offset) != 0) {
            *why = "truncated section table";
            return -2;
        }
        memcpy(s.name, b.data() + at, 8);
        if (static_cast<uint64_t>(s.raw_offset) + s.raw_size > b.size()) {
            *why = std::string("section ") + s.name + " lies beyond the end of the file (truncated?)";
            return -2;
        }
        img->sections.push_back(s);
    }
    return 0;
}

int pe_exports(const pe_image *img, std::vector<std::string> *names) {
    names->clear();
    const uint32_t dir = img->dir_rva[PE_DIR_EXPORT];
    if (dir == 0 || img->dir_size[PE_DIR_EXPORT] == 0) return 0;
    uint64_t base = 0, functions = 0, named = 0, function_table = 0, name_table = 0, ordinal_table = 0;
    if (read_rva(img, dir + 16, 4, &base) != 0 || read_rva(img, dir + 20, 4, &functions) != 0 ||
        read_rva(img, dir + 24, 4, &named) != 0 || read_rva(img, dir + 28, 4, &function_table) != 0 ||
        read_rva(img, dir + 32, 4, &name_table) != 0 || read_rva(img, dir + 36, 4, &ordinal_table) != 0)
        return -1;
    if (functions > 65536 || named > functions) return -1;
    std::vector<bool> has_name(functions, false);
    for (uint32_t i = 0; i < named; i++) {
        uint64_t name_rva = 0, index = 0;
        std::string name;
        if (read_rva(img, static_cast<uint32_t>(name_table) + 4 * i, 4, &name_rva) != 0 ||
            read_rva(img, static_cast<uint32_t>(ordinal_table) + 2 * i, 2, &index) != 0 || index >= functions ||
            read_text(img, static_cast<uint32_t>(name_rva), kMaxName, &name) != 0)
            return -1;
        has_name[index] = true;
        names->push_back(name);
    }
    // Slots without a name are exported by ordinal; empty slots (address 0) are not exports.
    for (uint32_t i = 0; i < functions; i++) {
        uint64_t address = 0;
        if (read_rva(img, static_cast<uint32_t>(function_table) + 4 * i, 4, &address) != 0) return -1;
        if (!has_name[i] && address != 0) names->push_back("#" + std::to_string(base + i));
    }
    return 0;
}

int pe_imports(const pe_image *img, std::vector<pe_import_library> *libs) {
    libs->clear();
    const uint32_t dir = img->dir_rva[PE_DIR_IMPORT];
    for (uint32_t i = 0; dir != 0; i++) {
        if (i > 4096) return -1;
        const uint32_t at = dir + 20 * i;
        uint64_t lookup = 0, name = 0, iat = 0;
        if (read_rva(img, at, 4, &lookup) != 0 || read_rva(img, at + 12, 4, &name) != 0 ||
            read_rva(img, at + 16, 4, &iat) != 0)
            return -1;
        if (lookup == 0 && name == 0 && iat == 0) break;
        pe_import_library lib;
        lib.delayed = false;
        if (read_text(img, static_cast<uint32_t>(name), kMaxName, &lib.dll) != 0 ||
            read_thunks(img, static_cast<uint32_t>(lookup != 0 ? lookup : iat), &lib) != 0)
            return -1;
        libs->push_back(lib);
    }
    // Delay-load descriptors: addresses are RVAs when attribute bit 0 is set, else VAs.
    const uint32_t delay = img->dir_rva[PE_DIR_DELAY_IMPORT];
    for (uint32_t i = 0; delay != 0; i++) {
        if (i > 4096) return -1;
        const uint32_t at = delay + 32 * i;
        uint64_t attributes = 0, name = 0, lookup = 0;
        if (read_rva(img, at, 4, &attributes) != 0 || read_rva(img, at + 4, 4, &name) != 0 ||
            read_rva(img, at + 16, 4, &lookup) != 0)
            return -1;
        if (name == 0 && lookup == 0) break;
        if ((attributes & 1) == 0) {
            if (name < img->image_base || lookup < img->image_base) return -1;
            name -= img->image_base;
            lookup -= img->image_base;
        }
        pe_import_library lib;
        lib.delayed = true;
        if (read_text(img, static_cast<uint32_t>(name), kMaxName, &lib.dll) != 0 ||
            read_thunks(img, static_cast<uint32_t>(lookup), &lib) != 0)
            return -1;
        libs->push_back(lib);
    }
    return 0;
}

int pe_resources(const pe_image *img, std::vector<pe_resource> *resources) {
    resources->clear();
    const uint32_t base = img->dir_rva[PE_DIR_RESOURCE];
    if (base == 0 || img->dir_size[PE_DIR_RESOURCE] == 0) return 0;
    // Type, name and language levels; the third level's entries are data, the others directories.
    std::vector<res_entry> types, names, langs;
    if (read_res_dir(img, base, 0, &types) != 0) return -1;
    for (const res_entry &t : types) {
        if (!t.is_dir || read_res_dir(img, base, t.target, &names) != 0) return -1;
        for (const res_entry &n : names) {
            if (!n.is_dir || read_res_dir(img, base, n.target, &langs) != 0) return -1;
            for (const res_entry &l : langs) {
                uint64_t rva = 0, size = 0;
                if (l.is_dir || read_rva(img, base + l.target, 4, &rva) != 0 ||
                    read_rva(img, base + l.target + 4, 4, &size) != 0)
                    return -1;
                pe_resource r;
                r.type = t.id;
                r.type_name = t.name;
                r.id = n.id;
                r.name = n.name;
                r.lang = l.id;
                r.rva = static_cast<uint32_t>(rva);
                r.size = static_cast<uint32_t>(size);
                resources->push_back(r);
            }
        }
    }
    return 0;
}
