// File-name splitting (uc4574, uc4576) and note texts (uc5566).
#include <cstring>
#include <string>

#include "util.h"

using namespace nxsim;

namespace {

// uc5566 answers in codes of its own, success included.
enum {
    UC5566_DONE = 1,
    UC5566_FAILED = 2,
    UC5566_NULL_TAG = 3,
    UC5566_LINE_TOO_LONG = 4,
};

}  // namespace

extern "C" {

// The file name of a path without its last extension (type 100, a folder: with it); 0, or NX's error code.
int uc4574(const char* fspec, int ftype, char fname[UF_CFI_MAX_FILE_NAME_LEN + 1]) {
    if (fname) fname[0] = '\0';
    if (int rc = enter("uc4574")) return rc;
    if (!fspec || !fname) return ERR_BAD_ARG;
    std::string name = leaf_name(fspec);
    // A folder (type 100) keeps its whole name; any other file loses its extension.
    if (ftype != 100) {
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0) name.resize(dot);
    }
    copy_out(fname, (UF_CFI_MAX_FILE_NAME_LEN + 1), name);
    return 0;
}

// Splits a path at its last separator into folder (a root keeps its separator) and file name; 0, or NX's error code.
int uc4576(const char* fspec, int ftype, char dspec[MAX_FSPEC_SIZE + 1],
           char fname[UF_CFI_MAX_FILE_NAME_LEN + 1]) {
    (void)ftype;
    if (dspec) dspec[0] = '\0';
    if (fname) fname[0] = '\0';
    if (int rc = enter("uc4576")) return rc;
    if (!fspec || !dspec || !fname) return ERR_BAD_ARG;
    std::string s = fspec;
    size_t sep = s.find_last_of("/\\");  // paths may carry either separator
    if (sep == std::string::npos) {
        copy_out(fname, (UF_CFI_MAX_FILE_NAME_LEN + 1), s);
        return 0;
    }
    // The folder has no trailing separator, except a root: "/" or a drive such as "C:\".
    std::string dir = s.substr(0, sep);
    if (dir.empty() || (dir.size() == 2 && dir[1] == ':')) dir += s[sep];
    copy_out(dspec, (MAX_FSPEC_SIZE + 1), dir);
    copy_out(fname, (UF_CFI_MAX_FILE_NAME_LEN + 1), s.substr(sep + 1));
    return 0;
}

// Replaces a note's text: 1 done, 2 failed, 3 null tag, 4 a line too long, or NX's code. Host's choice: no line limit.
int uc5566(tag_t np1, int ip2, int ip3, char cp4[][133]) {
    if (int rc = enter("uc5566")) return rc;
    if (np1 == NULL_TAG) return UC5566_NULL_TAG;
    Object* o = live_obj(np1);
    // The host keeps the texts of notes only.
    if (!o || o->type != T_NOTE || o->subtype != UF_draft_note_subtype) return UC5566_FAILED;
    if (ip2 != 1 || ip3 < 1 || !cp4) return UC5566_FAILED;
    std::vector<std::string> lines;
    for (int i = 0; i < ip3; ++i) {
        // A line is 132 characters and its terminator; one without a terminator is too long.
        size_t len = strnlen(cp4[i], 133);
        if (len > 132) return UC5566_LINE_TOO_LONG;
        lines.emplace_back(cp4[i], len);
    }
    o->note = lines;
    return UC5566_DONE;
}

}  // extern "C"
