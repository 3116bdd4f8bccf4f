// Paths between NX on Windows (drive paths, backslashes, GBK) and the Linux host.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "bridge.h"

namespace kvb {

namespace {

bool lead_byte(unsigned char c) { return c >= 0x81 && c <= 0xfe; }

bool drive_z(const std::string& p, size_t at) {
    return at + 1 < p.size() && (p[at] == 'Z' || p[at] == 'z') && p[at + 1] == ':';
}

// s with every backslash a separator written as a slash, double-byte characters (GBK) kept whole.
std::string slashes(const std::string& s, size_t from) {
    std::string out;
    for (size_t i = from; i < s.size(); ++i) {
        unsigned char c = (unsigned char)s[i];
        if (lead_byte(c) && i + 1 < s.size()) {
            out += s[i];
            out += s[++i];
        } else {
            out += c == '\\' ? '/' : s[i];
        }
    }
    return out;
}

// Whether text is well-formed UTF-8 (then its bytes above 0x7f are never a GBK pair).
bool utf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        unsigned char c = (unsigned char)text[i];
        int more = c < 0x80 ? 0 : (c & 0xe0) == 0xc0 ? 1 : (c & 0xf0) == 0xe0 ? 2 : (c & 0xf8) == 0xf0 ? 3 : -1;
        if (more < 0 || c == 0xc0 || c == 0xc1) return false;  // 0xc0, 0xc1: overlong forms
        for (int k = 1; k <= more; ++k)
            if (i + k >= text.size() || ((unsigned char)text[i + k] & 0xc0) != 0x80) return false;
        i += (size_t)more + 1;
    }
    return true;
}

bool ends_path(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '"' || c == '\'' || c == '<' || c == '>' || c == '|';
}

// Where Wine's prefix maps drive letter (its dosdevices/<letter>: link), or the empty text.
std::string drive_root(char letter) {
    const char* prefix = getenv("WINEPREFIX");
    if (!prefix || !prefix[0]) return "";
    std::string link = std::string(prefix) + "/dosdevices/" + (char)tolower((unsigned char)letter) + ":";
    char* real = realpath(link.c_str(), nullptr);
    if (!real) return "";
    std::string root = real;
    free(real);
    return root == "/" ? "" : root;
}

bool word_char(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

}  // namespace

std::string to_windows_path(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string out = "Z:";
    for (char c : path) out += c == '/' ? '\\' : c;
    return out;
}

std::string to_linux_path(const std::string& path) {
    if (drive_z(path, 0)) {
        std::string rest = slashes(path, 2);
        if (rest.empty() || rest[0] != '/') rest = "/" + rest;  // "Z:" and "Z:a" name the root's
        return rest;
    }
    if (path.size() >= 2 && path[1] == ':' && isalpha((unsigned char)path[0])) {
        std::string root = drive_root(path[0]);
        if (root.empty()) return path;  // a drive Wine does not map: no file of this machine
        std::string rest = slashes(path, 2);
        return root + (rest.empty() || rest[0] != '/' ? "/" : "") + rest;
    }
    if (path.compare(0, 2, "\\\\") == 0) return path;     // a network share
    return slashes(path, 0);
}

std::string linux_paths_in_text(const std::string& text) {
    if (text.find(":\\") == std::string::npos) return text;
    bool gbk = !utf8(text);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        unsigned char c = (unsigned char)text[i];
        bool starts = drive_z(text, i) && i + 2 < text.size() && text[i + 2] == '\\' &&
                      (i == 0 || !word_char((unsigned char)text[i - 1]));
        if (!starts) {
            if (gbk && lead_byte(c) && i + 1 < text.size()) out += text[i++];
            out += text[i++];
            continue;
        }
        i += 2;  // the drive
        while (i < text.size() && !ends_path((unsigned char)text[i])) {
            unsigned char d = (unsigned char)text[i];
            if (gbk && lead_byte(d) && i + 1 < text.size()) {
                out += text[i++];
                out += text[i++];
            } else if (d == '\\') {
                out += '/';
                while (i < text.size() && text[i] == '\\') ++i;
            } else {
                out += text[i++];
            }
        }
    }
    return out;
}

}  // namespace kvb
