// The Windows services of the plug-in, as the simulated host shows them: each appears in the
// transcript, and the user's answers come from the scenario. Like every call, each can be made to
// fail: the service then shows nothing (the Win32 calls behind them can fail without a window).
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "state.h"
#include "../../src/platform/win_services.h"

using namespace nxsim;

extern "C" {

// Shows the text in a message box (a box: line); 0, also when it fails, as the contract has no failure.
int ws_message_box(const char* text) {
    if (enter_any("ws_message_box") != 0) return 0;
    add_transcript("box", text ? text : "");
    return 0;
}

}  // extern "C"

namespace {

// The folder browser of both services, named call. An empty scripted folder is OK on the folder
// shown: start (GBK) when the browser opened on one, else nothing. A browser that could not open
// is a cancelled one on Windows too (SHBrowseForFolder gives null either way).
int browse(const char* call, const char* title, const char* start, char path[1024]) {
    int failed = enter_any(call);
    if (path) path[0] = '\0';
    std::string t = to_utf8(title ? title : "");
    Session& s = S();
    if (failed) {
        // The browser never opened: the folder answer scripted for it is dropped, unseen, so that
        // the run goes on as the user's would.
        if (!s.answers.empty() && s.answers.front().kind == Answer::Folder) s.answers.pop_front();
        return -1;
    }
    if (s.answers.empty() || s.answers.front().kind != Answer::Folder) {
        error("folder browser \"" + t + "\" opened with no scripted folder answer; cancelled");
        s.transcript.push_back("folder: " + t + " -> cancelled");
        return -1;
    }
    Answer a = s.answers.front();
    s.answers.pop_front();
    if (a.cancel) {
        s.transcript.push_back("folder: " + t + " -> cancelled");
        return -1;
    }
    if (a.no_path) {  // SHGetPathFromIDList finds no path for it
        s.transcript.push_back("folder: " + t + " -> " + a.text + " (no path on disk)");
        return -2;
    }
    bool shown = a.text.empty() && start && start[0];
    std::string gbk = shown ? std::string(start) : to_gbk(a.text);
    if (gbk.size() >= 1024) {
        error(a.where + ": the folder is longer than the browser's 1023 characters");
        gbk.resize(1023);
    }
    copy_out(path, 1024, gbk);
    // The folder shown is the part's, which differs between machines: the transcript says which.
    s.transcript.push_back("folder: " + t + " -> " + (shown ? std::string("(the folder it opened on)") : a.text));
    return 0;
}

}  // namespace

extern "C" {

// The folder the next scripted folder answer picks; 0, or -1 with the empty path (cancelled or
// failed), -2 (a folder with no path on disk was chosen).
int ws_browse_folder(const char* title, char path[1024]) { return browse("ws_browse_folder", title, nullptr, path); }

// As ws_browse_folder, the browser open on start: an empty scripted folder picks start; 0, or -1.
int ws_browse_folder_at(const char* title, const char* start, char path[1024]) {
    return browse("ws_browse_folder_at", title, start, path);
}

// The session's library path, the plug-in's DLL; 0, or -1 with the empty path (none set, or failed).
int ws_module_file_path(char path[1024]) {
    int failed = enter_any("ws_module_file_path");
    if (path) path[0] = '\0';
    if (failed || !path || S().library_path.empty()) return -1;
    copy_out(path, 1024, to_gbk(S().library_path));  // the session keeps paths UTF-8
    return 0;
}

// Shows the About box (an about: line); 0, also when it fails, as the message box.
int ws_show_about_dialog(void) {
    if (enter_any("ws_show_about_dialog") != 0) return 0;
    S().transcript.push_back("about: About box shown (dialog 4000, bitmap 4001); closed by the user");
    return 0;
}

// The calls nx.h marks as found at run time, which the host exports whatever release it plays;
// any other name is one neither library exports (the host keeps no per-release tables). Failing,
// the lookup finds nothing, as in a release that lacks the call.
ws_nx_call_t ws_find_nx_call(const char* name) {
    static const struct {
        const char* name;
        ws_nx_call_t address;
    } kLate[] = {
        {"UF_DISP_regenerate_display", reinterpret_cast<ws_nx_call_t>(&UF_DISP_regenerate_display)},
    };
    if (enter_any("ws_find_nx_call") != 0 || !name) return nullptr;
    for (const auto& call : kLate)
        if (std::strcmp(call.name, name) == 0) return call.address;
    return nullptr;
}

// Paths come as Windows' narrow paths on a Chinese system (GBK) and are opened as Linux names
// them (UTF-8), as the C runtime of NX on Windows would; failing, nothing is opened.
FILE* ws_open_file(const char* path, const char* mode) {
    if (enter_any("ws_open_file") != 0 || !path || !mode) return nullptr;
    return fopen(to_utf8(path).c_str(), mode);
}

// Deletes a file (never a folder, as the C runtime's remove on Windows); 0, or -1.
int ws_remove_file(const char* path) {
    if (enter_any("ws_remove_file") != 0 || !path) return -1;
    std::string name = to_utf8(path);
    struct stat st;
    if (stat(name.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return unlink(name.c_str()) == 0 ? 0 : -1;
}

// Windows' read-only attribute is played by a file without any write permission (the tests run
// as root too, where access() would grant every write). A path that cannot be looked at for
// another reason than its absence is no file to write.
int ws_path_kind(const char* path) {
    if (enter_any("ws_path_kind") != 0 || !path || !path[0]) return WS_PATH_OTHER;
    struct stat st;
    if (stat(to_utf8(path).c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? WS_PATH_NONE : WS_PATH_OTHER;
    if (!S_ISREG(st.st_mode)) return WS_PATH_OTHER;
    return (st.st_mode & 0222) == 0 ? WS_PATH_READ_ONLY : WS_PATH_FILE;
}

// fflush and ferror, then fsync for FlushFileBuffers; failing, nothing is flushed.
int ws_commit_file(FILE* file) {
    if (enter_any("ws_commit_file") != 0 || !file) return -1;
    if (fflush(file) != 0 || ferror(file)) return -1;
    return fsync(fileno(file)) == 0 ? 0 : -1;
}

// rename() replaces what MoveFileEx would refuse to: a folder or a read-only file in to's place
// is refused first, as Windows refuses it.
int ws_replace_file(const char* from, const char* to) {
    if (enter_any("ws_replace_file") != 0 || !from || !to) return -1;
    std::string source = to_utf8(from), target = to_utf8(to);
    struct stat st;
    if (stat(target.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0)) return -1;
    if (stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return rename(source.c_str(), target.c_str()) == 0 ? 0 : -1;
}

}  // extern "C"
