// kelvora-pecheck: checks a built plug-in DLL without Windows, or lists what it holds.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pe_checks.h"
#include "pe_file.h"

namespace {

const char kUsage[] =
    "usage: kelvora-pecheck --arch i686|x86_64 [--export NAME]... [--exports-table FILE.tsv]\n"
    "                       [--gbk-texts FILE] DLL\n"
    "       kelvora-pecheck --list DLL\n"
    "Checks the machine, the DLL flag, the exports (exactly the names given), the imported\n"
    "libraries (Windows' own, libufun.dll and libugopenint.dll), every NX call against each\n"
    "release of the architecture in NX's export table (win/nx-exports.tsv: that release's\n"
    "library exports that exact name), the About dialog and bitmap resources, and that the texts of\n"
    "--gbk-texts (UTF-8, one per line) are in the image as GBK. One line per fault; exit 0 when\n"
    "all pass, 1 when one fails, 2 for bad arguments or unreadable files.\n";

struct options {
    bool list;
    const char *arch;
    const char *dll;
    const char *gbk_texts;
    const char *exports_table;
    std::vector<std::string> exports;
};

int parse_options(int argc, char **argv, options *o) {
    o->list = false;
    o->arch = o->dll = o->gbk_texts = o->exports_table = nullptr;
    o->exports.clear();
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        const bool has_value = i + 1 < argc;
        if (strcmp(a, "--list") == 0) {
            o->list = true;
        } else if (strcmp(a, "--arch") == 0 && has_value) {
            o->arch = argv[++i];
        } else if (strcmp(a, "--export") == 0 && has_value) {
            o->exports.push_back(argv[++i]);
        } else if (strcmp(a, "--exports-table") == 0 && has_value) {
            o->exports_table = argv[++i];
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

/* How many calls the image imports from NX's two libraries (0 when its imports are unreadable). */
size_t nx_calls(const pe_image *img) {
    std::vector<pe_import_library> libs;
    if (pe_imports(img, &libs) != 0) return 0;
    size_t n = 0;
    for (const pe_import_library &l : libs) {
        std::string d = l.dll;
        for (char &c : d) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (d == "libufun.dll" || d == "libugopenint.dll") n += l.calls.size();
    }
    return n;
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

    export_table table;
    std::vector<size_t> columns;
    if (o.exports_table) {
        std::string bad;
        if (read_export_table(o.exports_table, &table, &bad) != 0) {
            fprintf(stderr, "kelvora-pecheck: %s\n", bad.c_str());
            return 2;
        }
        if (arch_releases(&table, o.arch, &columns) != 0) {
            fprintf(stderr, "kelvora-pecheck: %s: no release column for %s (names ending in %s)\n", o.exports_table,
                    o.arch, strcmp(o.arch, "i686") == 0 ? "-32" : "-64");
            return 2;
        }
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
    check_imports(&img, o.exports_table ? &table : nullptr, columns, &problems);
    all.insert(all.end(), problems.begin(), problems.end());
    check_resources(&img, &problems);
    all.insert(all.end(), problems.begin(), problems.end());
    if (o.gbk_texts) {
        check_gbk_texts(&img, texts, &problems);
        all.insert(all.end(), problems.begin(), problems.end());
    }

    for (const std::string &p : all) printf("%s: %s\n", o.dll, p.c_str());
    if (!all.empty()) return 1;
    std::string releases = "NX calls not checked (no --exports-table)";
    if (!columns.empty())
        releases = std::to_string(nx_calls(&img)) + " NX calls checked against " + std::to_string(columns.size()) +
                   (columns.size() == 1 ? " release, " : " releases, ") + table.releases[columns.front()] + " to " + table.releases[columns.back()];
    printf("%s: all checks pass (%s, %zu export%s, %s, %zu GBK texts)\n", o.dll, o.arch, o.exports.size(),
           o.exports.size() == 1 ? "" : "s", releases.c_str(), texts.size());
    return 0;
}
