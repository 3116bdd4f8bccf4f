// kelvora-pecheck: checks a built plug-in DLL without Windows, or lists what it holds.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pe_checks.h"
#include "pe_file.h"

namespace {

const char kUsage[] =
    "usage: kelvora-pecheck --arch i686|x86_64 [--export NAME]... [--def FILE.def]...\n"
    "                       [--gbk-texts FILE] DLL\n"
    "       kelvora-pecheck --list DLL\n"
    "Checks the machine, the DLL flag, the exports (exactly the names given), the imported\n"
    "libraries (Windows' own and the .def files' NX libraries), every NX call against the .def\n"
    "that names its library, the About dialog and bitmap resources, and that the texts of\n"
    "--gbk-texts (UTF-8, one per line) are in the image as GBK. One line per fault; exit 0 when\n"
    "all pass, 1 when one fails, 2 for bad arguments or unreadable files.\n";

struct options {
    bool list;
    const char *arch;
    const char *dll;
    const char *gbk_texts;
    std::vector<std::string> exports;
    std::vector<const char *> defs;
};

int parse_options(int argc, char **argv, options *o) {
    o->list = false;
    o->arch = o->dll = o->gbk_texts = nullptr;
    o->exports.clear();
    o->defs.clear();
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        const bool has_value = i + 1 < argc;
        if (strcmp(a, "--list") == 0) {
            o->list = true;
        } else if (strcmp(a, "--arch") == 0 && has_value) {
            o->arch = argv[++i];
        } else if (strcmp(a, "--export") == 0 && has_value) {
            o->exports.push_back(argv[++i]);
        } else if (strcmp(a, "--def") == 0 && has_value) {
            o->defs.push_back(argv[++i]);
        } else if (strcmp(a, "--gbk-texts") == 0 && has_value) {
            o->gbk_texts = argv[++i];
        } else if (a[0] != '-' && !o->dll) {
            o->dll = a;
        } else {
            fprintf(stderr, "kelvora-pecheck: unexpected argument '%s'\n", a);
            return -1;
        }
    }
    if (!o->dll) return -1;
    if (o->list) return 0;
    if (!o->arch || (strcmp(o->arch, "i686") != 0 && strcmp(o->arch, "x86_64") != 0)) return -2;
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    options o;
    const int parsed = parse_options(argc, argv, &o);
    if (parsed != 0) {
        if (parsed == -2) fprintf(stderr, "kelvora-pecheck: --arch i686 or --arch x86_64 is required\n");
        fputs(kUsage, stderr);
        return 2;
    }

    pe_image img;
    std::string why;
    const int loaded = pe_load(o.dll, &img, &why);
    if (loaded != 0) {
        printf("%s: %s\n", o.dll, why.c_str());
        return loaded == -1 ? 2 : 1;
    }
    if (o.list) {
        std::string text;
        const int rc = describe_image(&img, &text);
        printf("file: %s\n%s", o.dll, text.c_str());
        return rc == 0 ? 0 : 1;
    }

    std::vector<def_file> defs;
    for (const char *path : o.defs) {
        def_file def;
        const int rc = read_def_file(path, &def);
        if (rc != 0) {
            fprintf(stderr, "kelvora-pecheck: %s: %s\n", path,
                    rc == -1 ? "cannot be read" : "not a module-definition file (no LIBRARY or no EXPORTS)");
            return 2;
        }
        defs.push_back(def);
    }
    std::vector<std::string> texts;
    if (o.gbk_texts && read_text_lines(o.gbk_texts, &texts) != 0) {
        fprintf(stderr, "kelvora-pecheck: %s: cannot be read\n", o.gbk_texts);
        return 2;
    }

    std::vector<std::string> all, problems;
    check_machine(&img, o.arch, &problems);
    all.insert(all.end(), problems.begin(), problems.end());
    check_exports(&img, o.exports, &problems);
    all.insert(all.end(), problems.begin(), problems.end());
    check_imports(&img, defs, &problems);
    all.insert(all.end(), problems.begin(), problems.end());
    check_resources(&img, &problems);
    all.insert(all.end(), problems.begin(), problems.end());
    if (o.gbk_texts) {
        check_gbk_texts(&img, texts, &problems);
        all.insert(all.end(), problems.begin(), problems.end());
    }

    for (const std::string &p : all) printf("%s: %s\n", o.dll, p.c_str());
    if (!all.empty()) return 1;
    printf("%s: all checks pass (%s, %zu export%s, %zu .def files, %zu GBK texts)\n", o.dll, o.arch,
           o.exports.size(), o.exports.size() == 1 ? "" : "s", defs.size(), texts.size());
    return 0;
}
