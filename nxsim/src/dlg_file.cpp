// Reading NX's UIStyler dialog files (.dlg, version 3): one zlib stream of a keyed text whose
// every line is checked in order, as the format is laid out in uistyler_format.h. Anything the
// file does not say as NX writes it is refused with the file, the line and what was expected.
#include <zlib.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "state.h"
#include "uistyler_format.h"

using namespace nxsim;

namespace {

// Bounds that keep a damaged or hostile file from costing much: NX's own files are a few
// KiB compressed and under 200 KiB of text.
constexpr size_t kMaxFileBytes = 1u << 20;
constexpr size_t kMaxTextBytes = 2u << 20;
constexpr int kMaxListItems = 10000;

struct Bad {
    std::string what;
};

// Inflates bytes, which must be exactly one zlib stream; false with *why otherwise.
bool inflate_all(const std::string& bytes, std::string* text, std::string* why) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        *why = "zlib cannot start";
        return false;
    }
    z.next_in = (Bytef*)bytes.data();
    z.avail_in = (uInt)bytes.size();
    char buf[16384];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = (Bytef*)buf;
        z.avail_out = sizeof buf;
        rc = inflate(&z, Z_NO_FLUSH);
        text->append(buf, sizeof buf - z.avail_out);
        if (text->size() > kMaxTextBytes) {
            inflateEnd(&z);
            *why = "not a UIStyler file: its text is larger than " + std::to_string(kMaxTextBytes) + " bytes";
            return false;
        }
        if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
    }
    size_t left = z.avail_in;
    std::string msg = z.msg ? z.msg : "error " + std::to_string(rc);
    inflateEnd(&z);
    if (rc != Z_STREAM_END) {
        *why = rc == Z_BUF_ERROR ? "not a UIStyler file: the zlib stream ends early"
                                 : "not a UIStyler file: the zlib stream is damaged (" + msg + ")";
        return false;
    }
    if (left) {
        *why = "not a UIStyler file: " + std::to_string(left) + " bytes follow the zlib stream";
        return false;
    }
    return true;
}

// A line-by-line reader of the text, every expectation named in its refusal.
struct Lines {
    std::vector<std::string> lines;
    size_t at = 0;

    [[noreturn]] void fail(const std::string& what, size_t line) const {
        throw Bad{"line " + std::to_string(line + 1) + ": " + what};
    }
    [[noreturn]] void fail(const std::string& what) const { fail(what, at); }

    const std::string& peek() const {
        static const std::string none;
        return at < lines.size() ? lines[at] : none;
    }
    bool at_end() const { return at >= lines.size(); }

    void expect(int indent, const std::string& text) {
        std::string want = std::string(indent, ' ') + text;
        if (at_end()) fail("the text ends where '" + want + "' is expected");
        if (lines[at] != want) fail("expected '" + want + "', found '" + shown(lines[at]) + "'");
        ++at;
    }
    void open(int indent, const char* name) {
        expect(indent, name);
        expect(indent, "{");
    }
    void close(int indent, const char* name) { expect(indent, std::string("} End ") + name); }

    // The next line as the field key at indent; its value.
    std::string field(int indent, const char* key) {
        std::string head = std::string(indent, ' ') + key + ":";
        if (at_end()) fail("the text ends where field '" + std::string(key) + "' is expected");
        const std::string& l = lines[at];
        if (l.compare(0, head.size(), head) != 0)
            fail("expected field '" + std::string(key) + "', found '" + shown(l) + "'");
        size_t col = (size_t)uistyler::kValueColumn;
        if (l.size() < col || l.find_first_not_of(' ', head.size()) < col)
            fail("field '" + std::string(key) + "': its value does not start at column " + std::to_string(col + 1));
        ++at;
        return l.substr(col);
    }
    bool next_is_field(int indent, const char* key) const {
        std::string head = std::string(indent, ' ') + key + ":";
        return peek().compare(0, head.size(), head) == 0;
    }

    static std::string shown(const std::string& l) { return l.size() > 60 ? l.substr(0, 60) + "..." : l; }
};

// Values by their type; each refuses what NX does not write.
struct Values {
    Lines& in;

    bool boolean(int indent, const char* key) {
        std::string v = in.field(indent, key);
        if (v != "True" && v != "False") in.fail(std::string(key) + ": expected True or False, found '" + v + "'", in.at - 1);
        return v == "True";
    }
    long integer(int indent, const char* key) {
        std::string v = in.field(indent, key);
        size_t digits = v.size() > 0 && v[0] == '-' ? 1 : 0;
        char* end = nullptr;
        errno = 0;
        long n = strtol(v.c_str(), &end, 10);
        if (v.size() == digits || v.find_first_not_of("0123456789", digits) != std::string::npos || errno ||
            n < INT_MIN || n > INT_MAX)
            in.fail(std::string(key) + ": expected a whole number, found '" + v + "'", in.at - 1);
        return n;
    }
    double real(int indent, const char* key) {
        std::string v = in.field(indent, key);
        size_t dot = v.find('.');
        size_t digits = v.size() > 0 && v[0] == '-' ? 1 : 0;
        bool ok = dot != std::string::npos && dot > digits && v.size() - dot == 7 && dot < 40 &&
                  v.find_first_not_of("0123456789", digits) == dot &&
                  v.find_first_not_of("0123456789", dot + 1) == std::string::npos;
        if (!ok) in.fail(std::string(key) + ": expected a number written with six decimals, found '" + v + "'", in.at - 1);
        return strtod(v.c_str(), nullptr);
    }
    std::string hex(int indent, const char* key) {
        std::string v = in.field(indent, key);
        if (v.empty() || v.size() > 8 || v.find_first_not_of("0123456789abcdef") != std::string::npos)
            in.fail(std::string(key) + ": expected lower-case hexadecimal, found '" + v + "'", in.at - 1);
        return v;
    }
    // Text: ASCII or GBK (how the generator stores Chinese text: docs/dlg-format.md).
    std::string text(int indent, const char* key) {
        std::string v = in.field(indent, key);
        for (size_t i = 0; i < v.size(); ++i) {
            unsigned char c = (unsigned char)v[i];
            if (c < 0x80) continue;
            unsigned char t = i + 1 < v.size() ? (unsigned char)v[i + 1] : 0;
            if (c < 0x81 || c > 0xFE || t < 0x40 || t > 0xFE || t == 0x7F)
                in.fail(std::string(key) + ": not GBK text at byte " + std::to_string(i + 1) +
                            " (a character cut short?)", in.at - 1);
            ++i;
        }
        return v;
    }
    // One field of kObjectFields by its type, for the fields whose value the host does not keep.
    void any(int indent, const uistyler::Field& f) {
        switch (f.type) {
            case 'B': boolean(indent, f.key); break;
            case 'I': integer(indent, f.key); break;
            case 'R': real(indent, f.key); break;
            case 'H': hex(indent, f.key); break;
            default: text(indent, f.key); break;
        }
    }
};

std::vector<uistyler::Callback> read_callbacks(Lines& in, int indent, bool dialog) {
    Values val{in};
    std::vector<uistyler::Callback> out;
    while (in.next_is_field(indent, "Callback")) {
        size_t line = in.at;
        uistyler::Callback c;
        c.number = (int)val.integer(indent, "Callback");
        if (!uistyler::callback_by_number(c.number, dialog))
            in.fail(std::string("unknown ") + (dialog ? "dialog" : "object") + " callback code " +
                        std::to_string(c.number), line);
        if (!out.empty() && c.number <= out.back().number)
            in.fail("callback " + std::to_string(c.number) + " out of order (after " +
                        std::to_string(out.back().number) + ")", line);
        in.expect(indent, "{");
        c.function = val.text(indent + 4, "Function name");
        if (c.function.empty()) in.fail("Function name: empty", in.at - 1);
        c.response = (int)val.integer(indent + 4, "Response");
        c.building = val.boolean(indent + 4, "Dialog building callback");
        in.close(indent, "Callback");
        out.push_back(c);
    }
    return out;
}

// One Object block; number is the item number it must carry.
uistyler::Object read_object(Lines& in, int number, int want_code) {
    Values val{in};
    uistyler::Object o;
    in.open(4, "Object");
    size_t line = in.at;
    if (val.integer(8, "Item number") != number)
        in.fail("Item number: expected " + std::to_string(number), line);
    line = in.at;
    o.code = (int)val.integer(8, "Item type");
    bool frame = number < 0;
    if (frame && o.code != want_code)
        in.fail("Item type: expected " + std::to_string(want_code) + ", found " + std::to_string(o.code), line);
    if (!frame && !uistyler::kind_by_code(o.code))
        in.fail("Item type: unknown item type code " + std::to_string(o.code), line);
    for (int i = 2; i < uistyler::kObjectFieldCount; ++i) {
        const uistyler::Field& f = uistyler::kObjectFields[i];
        const std::string key = f.key;
        line = in.at;
        if (key == "Object link") {
            if (val.integer(8, f.key) != 0) in.fail("Object link: no object of this kind is linked", line);
        } else if (key == "Object name") {
            o.name = val.text(8, f.key);
            if (o.name.empty()) in.fail("Object name: empty", line);
        } else if (key == "Label") {
            o.label = val.text(8, f.key);
        } else if (key == "Sensitive") {
            o.sensitive = val.boolean(8, f.key);
        } else if (key == "List items count") {
            long n = val.integer(8, f.key);
            if (n < 0 || n > kMaxListItems) in.fail("List items count: " + std::to_string(n) + " is out of range", line);
            for (long k = 0; k < n; ++k) o.items.push_back(val.text(8, "List items"));
        } else if (key == "Integer data") {
            o.ivalue = (int)val.integer(8, f.key);
        } else if (key == "Double data") {
            o.rvalue = val.real(8, f.key);
        } else if (key == "String data") {
            o.svalue = val.text(8, f.key);
        } else if (key == "Attach top item" || key == "Attach left item" || key == "Attach right item") {
            long ref = val.integer(8, f.key);
            if (ref != 0 && (ref < uistyler::kReferenceBase || ref >= uistyler::kReferenceBase + number))
                in.fail(key + ": " + std::to_string(ref) + " refers to no object above this one", line);
        } else {
            val.any(8, f);
        }
    }
    o.callbacks = read_callbacks(in, 8, false);
    if (frame && !o.callbacks.empty()) in.fail("the dialog's callbacks belong in Dialog Attributes");
    in.close(4, "Object");
    return o;
}

uistyler::File read_text(Lines& in) {
    Values val{in};
    uistyler::File f;
    for (const char* line : uistyler::kBanner) in.expect(0, line);
    size_t line = in.at;
    if (val.integer(0, "UIStyler Version") != uistyler::kVersion)
        in.fail("UIStyler Version: only version " + std::to_string(uistyler::kVersion) + " is read", line);
    in.open(0, "Dialog Attributes");
    for (int i = 0; i < uistyler::kDialogAttributeCount; ++i) {
        const uistyler::Field& a = uistyler::kDialogAttributes[i];
        if (i == 0) f.title = val.text(4, a.key);
        else if (i == 1) f.module = val.text(4, a.key);
        else val.any(4, a);
    }
    f.callbacks = read_callbacks(in, 4, true);
    in.close(0, "Dialog Attributes");
    in.open(0, "Dialog Objects");
    read_object(in, -1, uistyler::kDialogCode);
    while (in.peek() == "    Object") {
        f.objects.push_back(read_object(in, (int)f.objects.size(), 0));
        for (size_t k = 0; k + 1 < f.objects.size(); ++k)
            if (f.objects[k].name == f.objects.back().name)
                in.fail("Object name: " + f.objects.back().name + " appears twice");
    }
    in.close(0, "Dialog Objects");
    in.open(0, "Dialog Bar");
    read_object(in, -1, uistyler::kDialogBarCode);
    in.close(0, "Dialog Bar");
    return f;
}

// Splits the text into lines after the checks that need it whole: LF line ends, the last line
// the Checksum of everything before it.
Lines split_checked(const std::string& text) {
    Lines in;
    if (text.empty() || text.back() != '\n') throw Bad{"the text does not end with a line end"};
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        in.lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 0; i < in.lines.size(); ++i)
        for (unsigned char c : in.lines[i])
            if (c < 0x20 || c == 0x7F) in.fail("a control character (" + std::to_string(c) + ")", i);
    size_t last = in.lines.size() - 1;
    Lines tail;
    tail.lines.push_back(in.lines[last]);
    std::string sum = tail.field(0, "Checksum");
    size_t body = text.size() - in.lines[last].size() - 1;
    std::string want = std::to_string(uistyler::adler32_of(text.substr(0, body)));
    if (sum != want) in.fail("Checksum: " + sum + " is not the text's (" + want + ")", last);
    in.lines.pop_back();
    return in;
}

// The host's dialog from the file's: kinds by code, values where each kind keeps them.
void to_dialog(const uistyler::File& f, Dialog& d) {
    d.title = f.title;
    for (const uistyler::Callback& c : f.callbacks)
        d.callbacks.push_back({UF_STYLER_DIALOG_INDEX, uistyler::callback_by_number(c.number, true)->cb_type, c.building});
    for (const uistyler::Object& o : f.objects) {
        DialogItem it;
        it.id = o.name;
        it.kind = uistyler::kind_by_code(o.code)->styler_type;
        it.label = o.label;
        it.sensitive = o.sensitive;
        it.items = o.items;
        if (it.kind == UF_STYLER_INTEGER_TYPE || it.kind == UF_STYLER_TOGGLE_TYPE || it.kind == UF_STYLER_OPTION_MENU_TYPE)
            it.ivalue = o.ivalue;
        if (it.kind == UF_STYLER_REAL_TYPE) it.rvalue = o.rvalue;
        if (it.kind == UF_STYLER_STRING_TYPE || it.kind == UF_STYLER_LABEL_TYPE) it.svalue = o.svalue;
        for (const uistyler::Callback& c : o.callbacks)
            d.callbacks.push_back({o.name, uistyler::callback_by_number(c.number, false)->cb_type, c.building});
        d.items.push_back(it);
    }
}

// Values a kind cannot hold: a toggle other than 0 or 1, a menu choice past its items.
void check_values(const uistyler::File& f) {
    for (const uistyler::Object& o : f.objects) {
        if (o.code == uistyler::kind_by_name("TOGGLE")->code && o.ivalue != 0 && o.ivalue != 1)
            throw Bad{o.name + ": Integer data: a toggle is 0 or 1, found " + std::to_string(o.ivalue)};
        if (o.code == uistyler::kind_by_name("OPTION_MENU")->code && (o.ivalue < -1 || o.ivalue >= (int)o.items.size()))
            throw Bad{o.name + ": Integer data: no item " + std::to_string(o.ivalue) + " to choose"};
    }
}

}  // namespace

namespace nxsim {

int load_dlg(const std::string& path, Dialog& d, std::string* err) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *err = path + ": cannot be opened";
        return -1;
    }
    std::string bytes;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        bytes.append(buf, (size_t)in.gcount());
        if (bytes.size() > kMaxFileBytes) {
            *err = path + ": not a UIStyler file: larger than " + std::to_string(kMaxFileBytes) + " bytes";
            return -1;
        }
    }
    std::string text, why;
    if (!inflate_all(bytes, &text, &why)) {
        *err = path + ": " + why;
        return -1;
    }
    try {
        Lines lines = split_checked(text);
        uistyler::File f = read_text(lines);
        if (!lines.at_end()) lines.fail("text after the Dialog Bar");
        check_values(f);
        to_dialog(f, d);
    } catch (const Bad& b) {
        *err = path + ": " + b.what;
        return -1;
    }
    return 0;
}

int check_file_callbacks(const Dialog& d, const std::string& path, const UF_STYLER_callback_info_t* cbs,
                         int n, std::string* err) {
    for (int i = 0; i + 1 < n; ++i) {
        bool found = false;
        for (const Dialog::FileCallback& c : d.callbacks)
            found = found || (c.object == cbs[i].object_id && c.cb_type == cbs[i].cb_type);
        if (found) continue;
        const uistyler::CallbackNumber* reason = uistyler::callback_by_type(cbs[i].cb_type);
        *err = path + ": " + cbs[i].object_id + ": the file has no " + (reason ? reason->name : "such") +
               " callback, but the plug-in's callback row " + std::to_string(i + 1) + " names it";
        return -1;
    }
    return 0;
}

}  // namespace nxsim
