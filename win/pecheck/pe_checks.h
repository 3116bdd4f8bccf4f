/* The checks a plug-in DLL must pass before NX can load it on a shop's machine. Each check
 * clears its problem list, appends one line per fault (naming what is wrong) and returns 0 when
 * there is none, -1 when there are faults, -2 when the image's own tables are malformed. */
#ifndef KELVORA_PECHECK_PE_CHECKS_H
#define KELVORA_PECHECK_PE_CHECKS_H

#include <string>
#include <vector>

#include "pe_file.h"

/* A module-definition file: the library it names and the names it exports. */
struct def_file {
    std::string path;
    std::string library;
    std::vector<std::string> names;
};

/* 0; -1 when the file cannot be read; -2 when it has no LIBRARY line or no EXPORTS section. */
int read_def_file(const char *path, def_file *def);

/* The non-empty lines of a UTF-8 text file; lines starting with '#' are comments.
 * 0; -1 when the file cannot be read. */
int read_text_lines(const char *path, std::vector<std::string> *lines);

/* True for the DLLs every Windows installation has (kernel32, user32, msvcrt, ...). */
bool is_windows_dll(const std::string &dll);

/* Machine of arch ("i686" or "x86_64") and the DLL flag. */
int check_machine(const pe_image *img, const char *arch, std::vector<std::string> *problems);

/* The exported names are exactly the expected ones. */
int check_exports(const pe_image *img, const std::vector<std::string> &expected, std::vector<std::string> *problems);

/* Imports come only from Windows' own DLLs and the libraries the .def files name; and every call
 * from those libraries is one its .def lists (no .def given: the NX calls are not examined). */
int check_imports(const pe_image *img, const std::vector<def_file> &defs, std::vector<std::string> *problems);

/* The About dialog 4000 and its bitmap 4001 (204 x 159, 24 bits), both Chinese (PRC). */
int check_resources(const pe_image *img, std::vector<std::string> *problems);

/* Each UTF-8 text appears, converted to GBK, in the data of a section. */
int check_gbk_texts(const pe_image *img, const std::vector<std::string> &texts, std::vector<std::string> *problems);

/* What --list prints: machine, exports, imports per library with counts, resources. */
int describe_image(const pe_image *img, std::string *text);

#endif
