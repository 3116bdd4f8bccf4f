/* Reading a Windows PE image (EXE or DLL) from a file: headers, sections, the export names,
 * the imports per library and the resource tree. Every read is bounded by the file: a
 * truncated or malformed image gives an error result, never a read outside the bytes. */
#ifndef KELVORA_PECHECK_PE_FILE_H
#define KELVORA_PECHECK_PE_FILE_H

#include <cstdint>
#include <string>
#include <vector>

#define PE_MACHINE_I386 0x014c
#define PE_MACHINE_AMD64 0x8664
#define PE_FILE_DLL 0x2000
#define PE_MAGIC_PE32 0x10b
#define PE_MAGIC_PE32_PLUS 0x20b

#define PE_DIR_EXPORT 0
#define PE_DIR_IMPORT 1
#define PE_DIR_RESOURCE 2
#define PE_DIR_DELAY_IMPORT 13

#define PE_RT_BITMAP 2
#define PE_RT_DIALOG 5

struct pe_section {
    char name[9];
    uint32_t vaddr;
    uint32_t vsize;
    uint32_t raw_offset;
    uint32_t raw_size;
};

struct pe_image {
    std::vector<unsigned char> bytes;
    uint16_t machine;
    uint16_t characteristics;
    uint16_t magic;
    uint64_t image_base;
    uint32_t header_size;
    uint32_t dir_rva[16];
    uint32_t dir_size[16];
    std::vector<pe_section> sections;
};

/* One imported call: by name, or by ordinal (name empty). */
struct pe_import_call {
    std::string name;
    int ordinal;
};

struct pe_import_library {
    std::string dll;
    bool delayed;
    std::vector<pe_import_call> calls;
};

/* A resource leaf. A type or name given as a string has id PE_RES_NAMED and the string. */
#define PE_RES_NAMED 0xffffffffu
struct pe_resource {
    uint32_t type;
    std::string type_name;
    uint32_t id;
    std::string name;
    uint32_t lang;
    uint32_t rva;
    uint32_t size;
};

/* Reads the file and its headers. 0; -1 when the file cannot be read; -2 when it is not a PE
 * image or its headers or section table lie outside the file (why says which). */
int pe_load(const char *path, pe_image *img, std::string *why);

/* The bytes of size bytes at rva, inside one section's file data (or the headers).
 * 0 and *data; -1 and nullptr when they are not all in the file. */
int pe_data_at(const pe_image *img, uint32_t rva, uint32_t size, const unsigned char **data);

/* Names of the exports; an export without a name is listed as "#ordinal".
 * 0 (an image without exports gives an empty list); -1 when the export table is malformed. */
int pe_exports(const pe_image *img, std::vector<std::string> *names);

/* The imported libraries with their calls, ordinary imports first, then delay-loaded ones.
 * 0; -1 when an import table is malformed. */
int pe_imports(const pe_image *img, std::vector<pe_import_library> *libs);

/* Every resource leaf (type, name, language). 0; -1 when the resource tree is malformed. */
int pe_resources(const pe_image *img, std::vector<pe_resource> *resources);

#endif
