// Which imports of a plug-in file its libraries do not export: what Windows names only as
// error 127. The file is read as it lies on disk, so nothing of it runs.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kvsmoke.h"

namespace {

const long kMaxFile = 256L * 1024 * 1024;

struct Image {
    unsigned char *data;
    size_t size;
    const IMAGE_SECTION_HEADER *sections;
    int section_count;
};

// File offset of an RVA, or 0 when no section holds it.
size_t rva_offset(const Image &im, DWORD rva) {
    for (int i = 0; i < im.section_count; i++) {
        const IMAGE_SECTION_HEADER &s = im.sections[i];
        DWORD span = s.Misc.VirtualSize > s.SizeOfRawData ? s.Misc.VirtualSize : s.SizeOfRawData;
        if (rva >= s.VirtualAddress && rva - s.VirtualAddress < span) {
            size_t off = (size_t)s.PointerToRawData + (rva - s.VirtualAddress);
            return off < im.size ? off : 0;
        }
    }
    return 0;
}

// The NUL-terminated text at an RVA, or nullptr when it does not end inside the file.
const char *rva_text(const Image &im, DWORD rva) {
    size_t off = rva_offset(im, rva);
    if (!off || !memchr(im.data + off, '\0', im.size - off)) return nullptr;
    return reinterpret_cast<const char *>(im.data + off);
}

int read_file(const char *path, Image *im) {
    memset(im, 0, sizeof *im);
    FILE *f = fopen(path, "rb");
    if (!f) return -1;
    long size = (fseek(f, 0, SEEK_END) == 0) ? ftell(f) : -1;
    if (size <= 0 || size > kMaxFile || fseek(f, 0, SEEK_SET) != 0) {
        fclose(f);
        return -1;
    }
    im->data = static_cast<unsigned char *>(malloc((size_t)size));
    im->size = (size_t)size;
    bool ok = im->data && fread(im->data, 1, im->size, f) == im->size;
    fclose(f);
    if (!ok) {
        free(im->data);
        im->data = nullptr;
        return -1;
    }
    return 0;
}

// The import directory of a 64-bit image; 0, or -1 when the headers are not those of one.
int parse_headers(Image *im, const IMAGE_DATA_DIRECTORY **imports) {
    *imports = nullptr;
    if (im->size < sizeof(IMAGE_DOS_HEADER)) return -1;
    const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(im->data);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0 ||
        (size_t)dos->e_lfanew + sizeof(IMAGE_NT_HEADERS64) > im->size)
        return -1;
    const IMAGE_NT_HEADERS64 *nt = reinterpret_cast<const IMAGE_NT_HEADERS64 *>(im->data + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC ||
        nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
        return -1;
    size_t sections = (size_t)dos->e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                      nt->FileHeader.SizeOfOptionalHeader;
    if (sections + nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER) > im->size) return -1;
    im->sections = reinterpret_cast<const IMAGE_SECTION_HEADER *>(im->data + sections);
    im->section_count = nt->FileHeader.NumberOfSections;
    *imports = &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    return 0;
}

// Missing names of one imported library, or -1 when its records leave the file.
int check_library(const Image &im, const IMAGE_IMPORT_DESCRIPTOR &d, const char *lib, const char *base) {
    HMODULE module = GetModuleHandleA(lib);
    if (!module) module = LoadLibraryA(lib);
    if (!module) {
        host_log("load: %s not found, imported by %s", lib, base);
        return 1;
    }
    DWORD thunks = d.OriginalFirstThunk ? d.OriginalFirstThunk : d.FirstThunk;
    int missing = 0;
    for (DWORD rva = thunks;; rva += sizeof(ULONGLONG)) {
        size_t off = rva_offset(im, rva);
        if (!off || off + sizeof(ULONGLONG) > im.size) return -1;
        ULONGLONG thunk;
        memcpy(&thunk, im.data + off, sizeof thunk);
        if (thunk == 0) break;
        if (thunk & IMAGE_ORDINAL_FLAG64) {
            WORD ordinal = (WORD)(thunk & 0xffff);
            if (!GetProcAddress(module, MAKEINTRESOURCEA(ordinal))) {
                host_log("load: %s lacks ordinal %u, imported by %s", lib, ordinal, base);
                missing++;
            }
            continue;
        }
        const char *name = rva_text(im, (DWORD)thunk + 2);  // after the hint
        if (!name) return -1;
        if (!GetProcAddress(module, name)) {
            host_log("load: %s lacks %s, imported by %s", lib, name, base);
            missing++;
        }
    }
    return missing;
}

}  // namespace

int report_missing_imports(const char *path, const char *base) {
    Image im;
    if (read_file(path, &im) != 0) return -1;
    const IMAGE_DATA_DIRECTORY *dir = nullptr;
    int missing = parse_headers(&im, &dir) == 0 ? 0 : -1;
    size_t off = (missing == 0 && dir->VirtualAddress) ? rva_offset(im, dir->VirtualAddress) : 0;
    for (; missing >= 0 && off; off += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        if (off + sizeof(IMAGE_IMPORT_DESCRIPTOR) > im.size) {
            missing = -1;
            break;
        }
        IMAGE_IMPORT_DESCRIPTOR d;
        memcpy(&d, im.data + off, sizeof d);
        if (d.Name == 0) break;
        const char *lib = rva_text(im, d.Name);
        int n = lib ? check_library(im, d, lib, base) : -1;
        missing = n < 0 ? -1 : missing + n;
    }
    free(im.data);
    return missing;
}
