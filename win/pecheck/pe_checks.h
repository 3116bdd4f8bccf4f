/* The checks a plug-in DLL must pass before NX can load it on a shop's machine. Each check
 * clears its problem list, appends one line per fault (naming what is wrong) and returns 0 when
 * there is none, -1 when there are faults, -2 when the image's own tables are malformed. */
#ifndef KELVORA_PECHECK_PE_CHECKS_H
#define KELVORA_PECHECK_PE_CHECKS_H

#include <map>
#include <string>
#include <vector>

#include "pe_file.h"

/* NX's export table (win/nx-exports.tsv): which library each release exports each call from.
 * releases are the column names in the file's order, oldest first (NX4-32 ... NX2007-64);
 * calls maps a call to its library per column, as the loader names it ("libufun.dll"). */
struct export_table {
    std::string path;
    std::vector<std::string> releases;
    std::map<std::string, std::vector<std::string>> calls;
};

/* Reads the table: '#' lines and empty lines aside, a header "call<TAB>release..." whose release
 * names end in -32 or -64, then one row a call with one cell a release, "ufun" or "ugopenint".
 * 0; -1 when the file cannot be read; -2 when it is malformed. why names the file and, for a
 * malformed one, the line, the field and what is wrong with it. */
int read_export_table(const char *path, export_table *table, std::string *why);

/* The columns of the releases a DLL of arch is made for: names ending in -32 for "i686", in -64
 * for "x86_64", oldest first. 0; -1 when the table has none (or arch is neither). */
int arch_releases(const export_table *table, const char *arch, std::vector<size_t> *columns);

/* The non-empty lines of a UTF-8 text file; lines starting with '#' are comments.
 * 0; -1 when the file cannot be read. */
int read_text_lines(const char *path, std::vector<std::string> *lines);

/* True for the DLLs every Windows installation has (kernel32, user32, msvcrt, ...). */
bool is_windows_dll(const std::string &dll);

/* Machine of arch ("i686" or "x86_64") and the DLL flag. */
int check_machine(const pe_image *img, const char *arch, std::vector<std::string> *problems);

/* The exported names are exactly the expected ones. */
int check_exports(const pe_image *img, const std::vector<std::string> &expected, std::vector<std::string> *problems);

/* Imports come only from Windows' own DLLs and NX's two libraries (libufun.dll, libugopenint.dll,
 * in any case). With a table, every call imported from those two must be exported under that
 * exact name (no decoration) by that library in each release of columns; a refused one gives one
 * line naming the call, the library it is imported from and the oldest release that refuses it,
 * with where that release exports it instead. Ordinal imports of NX calls are refused. Without a
 * table (nullptr) or without columns the NX calls are not examined. */
int check_imports(const pe_image *img, const export_table *table, const std::vector<size_t> &columns,
                  std::vector<std::string> *problems);

/* The About dialog 4000 and its bitmap 4001 (204 x 159, 24 bits), both Chinese (PRC). */
int check_resources(const pe_image *img, std::vector<std::string> *problems);

/* Each UTF-8 text appears, converted to GBK, in the data of a section. */
int check_gbk_texts(const pe_image *img, const std::vector<std::string> &texts, std::vector<std::string> *problems);

/* What --list prints: machine, exports, imports per library with counts, resources. */
int describe_image(const pe_image *img, std::string *text);

#endif
