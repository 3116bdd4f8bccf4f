// dlgc: compiles the dialog descriptions into the UIStyler files a shop installs, or prints the
// table a shop checks each generated dialog against.
//   dlgc OUT_DIR DESCRIPTION...   writes OUT_DIR/<name>.dlg for each <name>.dlg.txt
//   dlgc --table DESCRIPTION...   prints each dialog's check table (Markdown)
// Exit codes: 0 done; 1 usage or a file that cannot be written; 2 a malformed description (the
// file, the line and the field are named).
#include <cstdio>
#include <cstring>
#include <string>

#include "description.h"

namespace {

// "kit/dialogs/createElectDlg.dlg.txt" -> "createElectDlg.dlg"
std::string output_name(const std::string& path) {
    std::string base = path.substr(path.find_last_of('/') + 1);
    const std::string suffix = ".txt";
    if (base.size() > suffix.size() && base.compare(base.size() - suffix.size(), suffix.size(), suffix) == 0)
        base.resize(base.size() - suffix.size());
    return base;
}

bool write_file(const std::string& path, const std::string& bytes) {
    std::string tmp = path + ".tmp";
    FILE* f = fopen(tmp.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = fclose(f) == 0 && ok;
    // Renamed into place: a build that stops half-way leaves no half-written dialog.
    return ok && rename(tmp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: dlgc OUT_DIR DESCRIPTION... | dlgc --table DESCRIPTION...\n");
        return 1;
    }
    bool table = strcmp(argv[1], "--table") == 0;
    for (int i = 2; i < argc; ++i) {
        dlgc::Description d;
        std::string err;
        if (dlgc::read_description(argv[i], &d, &err) != 0) {
            fprintf(stderr, "dlgc: %s\n", err.c_str());
            return 2;
        }
        if (table) {
            printf("%s### %s (%s)\n\n%s", i > 2 ? "\n" : "", output_name(argv[i]).c_str(), d.title.c_str(),
                   dlgc::check_table(d).c_str());
            continue;
        }
        std::string bytes = uistyler::file_bytes(d.file);
        std::string out = std::string(argv[1]) + "/" + output_name(argv[i]);
        if (bytes.empty() || !write_file(out, bytes)) {
            fprintf(stderr, "dlgc: %s: cannot be written\n", out.c_str());
            return 1;
        }
    }
    return 0;
}
