// libFuzzer target for the configuration reader, NX's custom_dirs.dat reader and the comma-list
// operations.
// The input is split at the first 0x01 byte: before it the bytes of config.dat, after it a
// key (and list text); the first byte picks the sizes of the output buffers, which are heap
// blocks of exactly that size so that any overrun is caught by AddressSanitizer.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "config/comma_list.h"
#include "config/settings.h"
#include "config/tool_folder.h"
#include "nx.h"
#include "platform/win_services.h"

namespace {

std::string g_tool;     // the tool folder given as KELVORA_PATH
std::string g_nx_root;  // UGII_ROOT_DIR, defined only while custom_dirs.dat is read alone
bool g_root_defined = false;

void fail(const char *what) {
    fprintf(stderr, "fuzz_settings: %s\n", what);
    abort();
}

void check_terminated(const char *buf, size_t size) {
    if (!memchr(buf, '\0', size)) fail("output not terminated within its buffer");
}

// Leaves no folder behind when the run ends.
void remove_tool_folder() {
    unlink((g_tool + "/data/config.dat").c_str());
    rmdir((g_tool + "/data").c_str());
    unlink((g_tool + "/menus/custom_dirs.dat").c_str());
    rmdir((g_tool + "/menus").c_str());
    rmdir(g_tool.c_str());
}

void write_file(const std::string &path, const char *bytes, size_t len) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) fail("cannot write a file");
    fwrite(bytes, 1, len, f);
    fclose(f);
}

}  // namespace

// The few NX and Windows calls the settings code makes, answered as NX would.
extern "C" {
int UF_translate_variable(const char *variable, char **translation) {
    *translation = NULL;
    if (strcmp(variable, "KELVORA_PATH") == 0) *translation = (char *)g_tool.c_str();
    if (strcmp(variable, "UGII_ROOT_DIR") == 0 && g_root_defined) *translation = (char *)g_nx_root.c_str();
    return 0;
}
void uc1601(char *, int) {}
int ws_module_file_path(char path[1024]) {
    path[0] = '\0';
    return -1;
}
FILE *ws_open_file(const char *path, const char *mode) { return fopen(path, mode); }
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // A memory-backed folder when there is one: a file is written for every input.
    char tmpl[] = "/dev/shm/kv-fuzz-XXXXXX";
    if (access("/dev/shm", W_OK) != 0) strcpy(tmpl, "/tmp/kv-fuzz-XXXXXX");
    if (!mkdtemp(tmpl)) fail("no temporary folder");
    g_tool = tmpl;
    mkdir((g_tool + "/data").c_str(), 0700);
    mkdir((g_tool + "/menus").c_str(), 0700);
    g_nx_root = g_tool + "/";
    atexit(remove_tool_folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t len) {
    if (len < 1) return 0;
    size_t value_size = 1 + bytes[0] % 64;
    if (bytes[0] & 0x80) value_size = KV_SETTING_BUFSIZE;
    const char *text = (const char *)bytes + 1;
    size_t text_len = len - 1;
    const char *split = (const char *)memchr(text, 0x01, text_len);
    size_t file_len = split ? (size_t)(split - text) : text_len;
    std::string key = split ? std::string(split + 1, text_len - file_len - 1) : std::string("KEY");
    key = key.c_str();  // a key is a terminated text

    write_file(g_tool + "/data/config.dat", text, file_len);

    char *value = (char *)malloc(value_size);
    int rc = read_setting(key.c_str(), value, value_size);
    check_terminated(value, value_size);
    if (rc != 0 && rc != -2) fail("unexpected result");
    if (rc != 0 && value[0] != '\0') fail("value not empty on failure");
    if (rc == 0 && strchr(value, ' ')) fail("a space in a value");
    free(value);

    // The same bytes as NX's custom_dirs.dat, the key as the variable's name.
    write_file(g_tool + "/menus/custom_dirs.dat", text, file_len);
    char folder[1024];
    memset(folder, 'x', sizeof folder);
    g_root_defined = true;
    read_custom_dirs_entry(key.c_str(), "#!!#", folder);
    g_root_defined = false;
    check_terminated(folder, sizeof folder);
    if (folder[0] && (folder[0] == ' ' || folder[strlen(folder) - 1] == ' ')) fail("untrimmed folder");

    // The same bytes as a comma list, and the key as an item.
    std::string list(text, file_len);
    list = list.c_str();
    int count = list_item_count(list.c_str());
    if (count < 0) fail("negative count");
    char *item = (char *)malloc(value_size);
    int n = count > 0 ? (int)(bytes[0] % (count + 2)) - 1 : 0;
    list_item(list.c_str(), n, item, value_size);
    check_terminated(item, value_size);
    if ((n < 0 || n >= count) && item[0] != '\0') fail("an item out of range");
    int index = list_item_index(list.c_str(), key.c_str());
    if (index < -1 || index >= count) fail("index out of range");
    if (index >= 0) {
        // The item found must read back equal to the key apart from case (when it fits).
        list_item(list.c_str(), index, item, value_size);
        if (key.size() < value_size && strlen(item) != key.size()) fail("found item differs");
    }
    free(item);
    return 0;
}
