// File-name splitting (uc4574, uc4576) and note texts (uc5566).
#include <cstring>
#include <string>

#include "state.h"

using namespace nxsim;

namespace {

// The position of the last '/' or '\', or npos: part paths may carry either separator.
size_t last_sep(const std::string& s) { return s.find_last_of("/\\"); }

}  // namespace

extern "C" {

int uc4574(const char* fspec, int ftype, char fname[UF_CFI_MAX_FILE_NAME_LEN + 1]) {
    if (fname) fname[0] = '\0';
    if (int rc = enter("uc4574")) return rc;
    if (!fspec || !fname) return ERR_BAD_ARG;
    std::string s = fspec;
    size_t sep = last_sep(s);
    std::string name = sep == std::string::npos ? s : s.substr(sep + 1);
    // A folder (type 100) keeps its whole name; any other file loses its extension.
    if (ftype != 100) {
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0) name.resize(dot);
    }
    copy_out(fname, (UF_CFI_MAX_FILE_NAME_LEN + 1), name);
    return 0;
}

int uc4576(const char* fspec, int ftype, char dspec[MAX_FSPEC_SIZE + 1],
           char fname[UF_CFI_MAX_FILE_NAME_LEN + 1]) {
    (void)ftype;
    if (dspec) dspec[0] = '\0';
    if (fname) fname[0] = '\0';
    if (int rc = enter("uc4576")) return rc;
    if (!fspec || !dspec || !fname) return ERR_BAD_ARG;
    std::string s = fspec;
    size_t sep = last_sep(s);
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

int uc5566(tag_t np1, int ip2, int ip3, char cp4[][133]) {
    if (int rc = enter("uc5566")) return rc;
    Object* o = live_obj(np1);
    // The host keeps the texts of notes only.
    if (!o || o->type != T_NOTE || o->subtype != UF_draft_note_subtype) return ERR_BAD_TAG;
    if (ip2 != 1 || ip3 < 1 || !cp4) return ERR_BAD_ARG;
    std::vector<std::string> lines;
    for (int i = 0; i < ip3; ++i) lines.emplace_back(cp4[i], strnlen(cp4[i], 132));
    o->note = lines;
    return 0;
}

}  // extern "C"
