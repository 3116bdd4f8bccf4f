// The calls of libufun.dll the bridge does not forward unchanged: those that take or give paths
// (the plug-in's are drive paths, the host's Linux paths) and the release of memory whose paths
// the bridge rewrote.
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "bridge.h"

namespace {

// Copies text into out (size bytes, cut to fit), as NX fills a caller's buffer.
void copy_out(char* out, size_t size, const std::string& text) {
    if (!out || size == 0) return;
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(out, text.data(), n);
    out[n] = '\0';
}

// The host's path in the caller's buffer (size bytes) as the plug-in reads it on Windows.
void windows_path_in_place(char* buffer, size_t size) {
    if (buffer && buffer[0] == '/') copy_out(buffer, size, kvb::to_windows_path(buffer));
}

std::string linux_path(const char* path) { return kvb::to_linux_path(path); }

}  // namespace

extern "C" KVB_MS_ABI void kvb_UF_free(void* data) {
    kvb::CallScope scope("UF_free");
    UF_free(kvb::release_copy(data));
}

extern "C" KVB_MS_ABI void kvb_UF_free_string_array(int n_strings, char** string_array) {
    kvb::CallScope scope("UF_free_string_array");
    kvb::restore_string_array(string_array, n_strings);
    UF_free_string_array(n_strings, string_array);
}

// The session owns the text it hands out, so the bridge owns its Windows form: one per value,
// kept as long as the process.
extern "C" KVB_MS_ABI int kvb_UF_translate_variable(const char* variable, char** translation) {
    kvb::CallScope scope("UF_translate_variable");
    int rc = UF_translate_variable(variable, translation);
    if (rc == 0 && translation && *translation && (*translation)[0] == '/') {
        static std::map<std::string, std::string> shown;
        auto it = shown.emplace(*translation, kvb::to_windows_path(*translation)).first;
        *translation = const_cast<char*>(it->second.c_str());
    }
    return rc;
}

extern "C" KVB_MS_ABI int kvb_UF_ASSEM_add_part_to_assembly(tag_t parent_part, const char* part,
                                                            const char* refset_name, const char* instance_name,
                                                            double origin[3], double csys_matrix[6], int layer,
                                                            tag_t* instance, UF_PART_load_status_t* error_status) {
    kvb::CallScope scope("UF_ASSEM_add_part_to_assembly");
    std::string file = part ? linux_path(part) : "";
    int rc = UF_ASSEM_add_part_to_assembly(parent_part, part ? file.c_str() : nullptr, refset_name, instance_name,
                                           origin, csys_matrix, layer, instance, error_status);
    // The load status names the files that failed: the plug-in reads them as Windows paths, and
    // hands the array back to UF_free_string_array, where the host's strings are put back.
    if (error_status && error_status->file_names && error_status->n_parts > 0) {
        int n = error_status->n_parts;
        char** names = error_status->file_names;
        char** originals = static_cast<char**>(malloc(sizeof(char*) * (size_t)n));
        if (originals) {
            for (int i = 0; i < n; ++i) {
                originals[i] = names[i];
                if (names[i] && names[i][0] == '/') {
                    std::string shown = kvb::to_windows_path(names[i]);
                    char* copy = static_cast<char*>(malloc(shown.size() + 1));
                    if (copy) {
                        memcpy(copy, shown.c_str(), shown.size() + 1);
                        names[i] = copy;
                    }
                }
            }
            kvb::remember_string_array(names, n, originals);
            free(originals);
        }
    }
    return rc;
}

extern "C" KVB_MS_ABI int kvb_UF_CFI_ask_file_exist(const char* file_spec, int* status) {
    kvb::CallScope scope("UF_CFI_ask_file_exist");
    std::string file = file_spec ? linux_path(file_spec) : "";
    return UF_CFI_ask_file_exist(file_spec ? file.c_str() : nullptr, status);
}

extern "C" KVB_MS_ABI int kvb_uc4574(const char* fspec, int ftype, char fname[UF_CFI_MAX_FILE_NAME_LEN + 1]) {
    kvb::CallScope scope("uc4574");
    std::string file = fspec ? linux_path(fspec) : "";
    return uc4574(fspec ? file.c_str() : nullptr, ftype, fname);
}

extern "C" KVB_MS_ABI int kvb_uc4576(const char* fspec, int ftype, char dspec[MAX_FSPEC_SIZE + 1],
                                     char fname[UF_CFI_MAX_FILE_NAME_LEN + 1]) {
    kvb::CallScope scope("uc4576");
    std::string file = fspec ? linux_path(fspec) : "";
    int rc = uc4576(fspec ? file.c_str() : nullptr, ftype, dspec, fname);
    windows_path_in_place(dspec, MAX_FSPEC_SIZE + 1);
    return rc;
}

extern "C" KVB_MS_ABI int kvb_UF_PART_ask_part_name(tag_t part, char part_fspec[MAX_FSPEC_SIZE + 1]) {
    kvb::CallScope scope("UF_PART_ask_part_name");
    int rc = UF_PART_ask_part_name(part, part_fspec);
    windows_path_in_place(part_fspec, MAX_FSPEC_SIZE + 1);
    return rc;
}

extern "C" KVB_MS_ABI tag_t kvb_UF_PART_ask_part_tag(const char* part_name) {
    kvb::CallScope scope("UF_PART_ask_part_tag");
    std::string name = part_name ? linux_path(part_name) : "";
    return UF_PART_ask_part_tag(part_name ? name.c_str() : nullptr);
}

extern "C" KVB_MS_ABI int kvb_UF_PART_new(const char* part_name, int units, tag_t* part) {
    kvb::CallScope scope("UF_PART_new");
    std::string name = part_name ? linux_path(part_name) : "";
    return UF_PART_new(part_name ? name.c_str() : nullptr, units, part);
}

extern "C" KVB_MS_ABI int kvb_UF_PART_import(const char* file_name, UF_import_part_modes_t* modes,
                                             double dest_csys[6], double dest_point[3], double scale, tag_t* group) {
    kvb::CallScope scope("UF_PART_import");
    std::string file = file_name ? linux_path(file_name) : "";
    return UF_PART_import(file_name ? file.c_str() : nullptr, modes, dest_csys, dest_point, scale, group);
}
