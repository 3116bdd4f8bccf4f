// libFuzzer target for the simulated host's input readers: part files (JSON) and NX's UIStyler
// dialog files (.dlg). KV_FUZZ_INPUT picks the reader: "part", "dlg" (the input is the file's
// bytes) or "dlg-text" (the input is the file's text, given its right checksum and compressed, so
// that mutations reach the field reader rather than stop at the stream or the checksum). Each
// input is written to a file and read as the host reads it.
// A refusal is the expected answer to most inputs; what must never happen is an abort, a crash,
// a leak, a hang, a refusal that does not name the file, or a part that is accepted but whose
// saved form is then refused.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <zlib.h>

#include <string>

#include "nxsim/nxsim.h"
#include "state.h"
#include "uistyler_format.h"

namespace {

std::string g_folder;  // a fresh folder: STEP names in fuzzed parts find nothing of ours
std::string g_file;
bool g_dlg = false;
bool g_dlg_text = false;

void fail(const std::string& what) {
    fprintf(stderr, "fuzz_inputs: %s\n", what.c_str());
    abort();
}

void write_file(const std::string& path, const char* bytes, size_t len) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) fail("cannot write " + path);
    fwrite(bytes, 1, len, f);
    fclose(f);
}

void remove_folder() {
    unlink(g_file.c_str());
    unlink((g_folder + "/saved.prt").c_str());
    rmdir(g_folder.c_str());
}

void check_refusal(const std::string& err) {
    if (err.compare(0, g_file.size(), g_file) != 0) fail("a refusal that does not name the file: " + err);
}

void part(const char* bytes, size_t len) {
    write_file(g_file, bytes, len);
    nxsim::reset();
    std::string err;
    tag_t t = 0;
    if (nxsim::load_part_file(g_file, &t, &err) != 0) {
        check_refusal(err);
        if (nxsim::refused_inputs().size() != 1) fail("a refused part not recorded once");
        if (!nxsim::parts().empty()) fail("a refused part left in the session");
        return;
    }
    // What the host accepted it must read back as it saved it.
    std::string saved = nxsim::part_json(t);
    std::string copy = g_folder + "/saved.prt";
    write_file(copy, saved.data(), saved.size());
    tag_t again = 0;
    if (nxsim::load_part_file(copy, &again, &err) != 0) fail("a saved part is refused: " + err);
    if (nxsim::part_json(again) != saved) fail("a saved part reads back differently");
}

void dlg(const char* bytes, size_t len) {
    write_file(g_file, bytes, len);
    nxsim::reset();
    nxsim::Dialog d;
    std::string err;
    if (nxsim::load_dlg(g_file, d, &err) != 0) check_refusal(err);
}

// The text as a file: its last "Checksum:" line (one is added when there is none) made right,
// then compressed.
void dlg_text(const char* bytes, size_t len) {
    std::string text(bytes, len);
    size_t at = text.rfind("Checksum:");
    std::string body = at == std::string::npos ? text : text.substr(0, at);
    std::string line = "Checksum:";
    line.append(uistyler::kValueColumn - line.size(), ' ');
    text = body + line + std::to_string(uistyler::adler32_of(body)) + "\n";
    uLongf size = compressBound((uLong)text.size());
    std::string packed(size, '\0');
    if (compress2((Bytef*)&packed[0], &size, (const Bytef*)text.data(), (uLong)text.size(), 1) != Z_OK)
        fail("zlib cannot compress");
    packed.resize(size);
    dlg(packed.data(), packed.size());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* which = getenv("KV_FUZZ_INPUT");
    g_dlg_text = which && strcmp(which, "dlg-text") == 0;
    g_dlg = g_dlg_text || (which && strcmp(which, "dlg") == 0);
    char tmpl[] = "/dev/shm/kv-fuzz-XXXXXX";
    if (access("/dev/shm", W_OK) != 0) strcpy(tmpl, "/tmp/kv-fuzz-XXXXXX");
    if (!mkdtemp(tmpl)) fail("no temporary folder");
    g_folder = tmpl;
    g_file = g_folder + (g_dlg ? "/fuzz.dlg" : "/fuzz.prt");
    atexit(remove_folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t len) {
    if (g_dlg_text)
        dlg_text((const char*)bytes, len);
    else if (g_dlg)
        dlg((const char*)bytes, len);
    else
        part((const char*)bytes, len);
    return 0;
}
