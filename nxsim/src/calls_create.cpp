// Parts and assemblies: new parts and saving them, the display and the work part, components,
// finding a loaded part by its file name, and whether a file exists.
#include <sys/stat.h>

#include <cstring>
#include <fstream>

#include "util.h"

using namespace nxsim;

namespace {

const char kAddCall[] = "UF_ASSEM_add_part_to_assembly";

bool names_folder(const std::string& path) { return path.find_first_of("/\\") != std::string::npos; }

// A loaded part by file name (UTF-8): the whole path must match when the name holds a folder;
// a bare file name matches the leaf, ASCII case ignored, as NX keeps leaf names unique.
Part* loaded_part(const std::string& name) {
    bool whole = names_folder(name);
    // Parts are kept by tag, which follows the order they were loaded in.
    for (auto& kv : S().parts) {
        Part& p = kv.second;
        if (whole) {
            if (p.path == name) return part(p.tag);  // through part(): the caller may change it
            continue;
        }
        // The path ends with the name, right after a separator or as the whole path.
        size_t n = name.size(), len = p.path.size();
        if (n > len || (n < len && p.path[len - n - 1] != '/' && p.path[len - n - 1] != '\\')) continue;
        if (same_nocase(p.path.data() + len - n, n, name.data(), n)) return part(p.tag);
    }
    return nullptr;
}

bool is_file(const std::string& utf8_path) {
    struct stat st;
    return stat(utf8_path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// True when part `inner` is `outer` itself or one of its components at any depth.
bool within(tag_t outer, tag_t inner, int depth = 0) {
    if (outer == inner) return true;
    Part* p = part(outer);
    if (!p || depth > 64) return false;
    auto it = p->by_type.find(T_COMPONENT);
    if (it == p->by_type.end()) return false;
    for (tag_t c : it->second) {
        Object* o = live_obj(c);
        if (o && o->child && within(o->child, inner, depth + 1)) return true;
    }
    return false;
}

// NX reports a part it could not load in the caller's load status: the file and its code.
void report_load_failure(UF_PART_load_status_t* status, const char* file, int code) {
    if (!status) return;
    status->failed = true;
    status->n_parts = 1;
    status->file_names = (char**)alloc(sizeof(char*), kAddCall);
    status->file_names[0] = alloc_string(file ? file : "", kAddCall);
    status->statuses = (int*)alloc(sizeof(int), kAddCall);
    status->statuses[0] = code;
}

// The default component name: the file name without its extension, upper case, at most 30
// bytes and never cut inside a double-byte character.
std::string component_name(const std::string& utf8_path) {
    std::string name = leaf_name(utf8_path);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    name = upper_ascii(to_gbk(name));
    size_t keep = 0;
    for (size_t i = 0; i < name.size();) {
        size_t w = ((unsigned char)name[i] >= 0x81 && i + 1 < name.size()) ? 2 : 1;
        if (i + w > UF_OBJ_NAME_LEN) break;
        i += w;
        keep = i;
    }
    name.resize(keep);
    return name;
}

}  // namespace

extern "C" {

// Status 0 for a regular file, else 1 (also when the call fails); 0, or NX's error code.
int UF_CFI_ask_file_exist(const char* file_spec, int* status) {
    if (status) *status = 1;  // cleared to "no such file"
    if (int rc = enter("UF_CFI_ask_file_exist")) return rc;
    if (!file_spec || !status || !*file_spec) return ERR_BAD_ARG;
    *status = is_file(to_utf8(file_spec)) ? 0 : 1;
    return 0;
}

// Makes an empty part, the displayed and work part, written only when saved; 0, or NX's error code.
int UF_PART_new(const char* part_name, int units, tag_t* part_tag) {
    if (part_tag) *part_tag = NULL_TAG;
    if (int rc = enter("UF_PART_new")) return rc;
    if (!part_name || !part_tag) return ERR_BAD_ARG;
    size_t n = strlen(part_name);
    if (n == 0 || n > MAX_FSPEC_SIZE) return ERR_PART_NAME;
    if (units != UF_PART_METRIC && units != UF_PART_ENGLISH) return ERR_BAD_ARG;
    std::string path = to_utf8(part_name);
    if (leaf_name(path).empty() || loaded_part(leaf_name(path))) return ERR_PART_NAME;
    if (is_file(path)) return ERR_FILE_EXISTS;
    Part& p = new_part(path, units);
    S().work_part = p.tag;
    S().display_part = p.tag;
    *part_tag = p.tag;
    return 0;
}

// Writes the work part to its file in the host's part format, over any file of that name; 0, or NX's error code.
int UF_PART_save(void) {
    if (int rc = enter("UF_PART_save")) return rc;
    Part* p = work_part();
    if (!p) return ERR_NO_WORK_PART;
    std::ofstream out(p->path, std::ios::binary | std::ios::trunc);
    if (!out) return ERR_FILE_WRITE;
    out << dump_json(part_to_json(*p));
    out.close();
    return out ? 0 : ERR_FILE_WRITE;
}

// The loaded part of that name (a path exactly, a bare file name with ASCII case ignored), or the null tag.
tag_t UF_PART_ask_part_tag(const char* part_name) {
    if (enter("UF_PART_ask_part_tag")) return NULL_TAG;
    if (!part_name || !*part_name) return NULL_TAG;
    Part* p = loaded_part(to_utf8(part_name));
    return p ? p->tag : NULL_TAG;
}

// Makes the part (null: the work part) the displayed part and the work part; 0, or NX's error code.
int UF_PART_set_display_part(tag_t part_tag) {
    if (int rc = enter("UF_PART_set_display_part")) return rc;
    Session& s = S();
    if (part_tag == NULL_TAG) part_tag = s.work_part;
    if (!part(part_tag)) return ERR_BAD_TAG;
    // The displayed part becomes the work part too, as in interactive NX.
    s.display_part = part_tag;
    s.work_part = part_tag;
    return 0;
}

// Makes the displayed part (null) or a component of it at any depth the work part; 0, or NX's error code.
int UF_ASSEM_set_work_part(tag_t part_tag) {
    if (int rc = enter("UF_ASSEM_set_work_part")) return rc;
    Session& s = S();
    if (part_tag == NULL_TAG) {
        s.work_part = s.display_part;
        return 0;
    }
    if (!part(part_tag)) return ERR_BAD_TAG;
    if (!within(s.display_part, part_tag)) return ERR_NOT_IN_ASSEMBLY;
    s.work_part = part_tag;
    return 0;
}

// Adds the part, loaded or read from its file, as a component of the parent; 0, or NX's error code.
int UF_ASSEM_add_part_to_assembly(tag_t parent_part, const char* part_name, const char* refset_name,
                                  const char* instance_name, double origin[3], double csys_matrix[6],
                                  int layer, tag_t* instance, UF_PART_load_status_t* error_status) {
    if (instance) *instance = NULL_TAG;
    if (error_status) memset(error_status, 0, sizeof *error_status);
    if (int rc = enter(kAddCall)) {
        // A failure while initialised stands for a part that could not be loaded.
        if (S().init_depth > 0) report_load_failure(error_status, part_name, rc);
        return rc;
    }
    if (!part_name || !*part_name || !origin || !csys_matrix || !instance || !error_status)
        return ERR_BAD_ARG;
    Part* parent = part(parent_part);
    if (!parent) return ERR_BAD_TAG;
    if (layer < -1 || layer > UF_LAYER_MAX_LAYER) return ERR_BAD_ARG;
    if (!orthonormal(csys_matrix, 2)) return ERR_BAD_ARG;
    std::string path = to_utf8(part_name);
    Part* child = loaded_part(path);
    if (!child) {
        tag_t loaded = NULL_TAG;
        std::string err;
        if (!is_file(path) || load_part_file(path, &loaded, &err) != 0) {
            report_load_failure(error_status, part_name, ERR_FILE_LOAD);
            return ERR_FILE_LOAD;
        }
        child = part(loaded);
        parent = part(parent_part);
    }
    if (within(child->tag, parent->tag)) return ERR_BAD_ARG;  // no part may contain itself
    Object& c = new_object(*parent, T_COMPONENT, 1);
    c.child = child->tag;
    c.child_path = child->path;
    c.refset = refset_name ? refset_name : "";
    c.name = (instance_name && *instance_name) ? std::string(instance_name) : component_name(child->path);
    if (layer > 0) c.layer = layer;  // -1 (original layers) and 0: the parent's work layer
    const double* x = csys_matrix;
    const double* y = csys_matrix + 3;
    double z[3] = {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0]};
    for (int i = 0; i < 3; ++i) {
        c.p1[i] = origin[i];
        c.mtx[i] = x[i];
        c.mtx[3 + i] = y[i];
        c.mtx[6 + i] = z[i];
    }
    *instance = c.tag;
    return 0;
}

}  // extern "C"
