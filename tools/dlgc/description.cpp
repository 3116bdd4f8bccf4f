// Reading a dialog description: one statement a line; every line is taken whole or refused with
// the file, the line and the field, so a mistake stops the build instead of reaching a shop.
#include "description.h"

#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace dlgc {
namespace {

// Splits a line into words; quoted values keep their spaces. false on an open quote.
bool split_words(const std::string& line, std::vector<std::string>* words) {
    std::string cur;
    bool in_word = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size()) {
                cur += line[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                cur += c;
            }
        } else if (c == '"') {
            quoted = true;
            in_word = true;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (in_word) words->push_back(cur);
            cur.clear();
            in_word = false;
        } else {
            cur += c;
            in_word = true;
        }
    }
    if (quoted) return false;
    if (in_word) words->push_back(cur);
    return true;
}

std::vector<std::string> split_items(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == ',') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

// The offset of the first byte that does not continue valid UTF-8, or npos.
size_t utf8_error(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = (unsigned char)s[i];
        size_t n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
        if (n == 9 || (n == 1 && c < 0xC2)) return i;
        for (size_t k = 1; k <= n; ++k)
            if (i + k >= s.size() || ((unsigned char)s[i + k] >> 6) != 2) return i;
        i += n + 1;
    }
    return std::string::npos;
}

// utf8 as GBK, the locale text NX keeps UIStyler labels in (docs/dlg-format.md); false when a
// character has no GBK form.
bool to_gbk(const std::string& utf8, std::string* gbk) {
    gbk->clear();
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == (iconv_t)-1) return false;
    std::string in = utf8;
    char* ip = &in[0];
    size_t il = in.size();
    bool ok = true;
    while (il > 0 && ok) {
        char buf[256];
        char* op = buf;
        size_t ol = sizeof buf;
        size_t rc = iconv(cd, &ip, &il, &op, &ol);
        gbk->append(buf, (size_t)(op - buf));
        ok = rc != (size_t)-1 || errno == E2BIG;
    }
    iconv_close(cd);
    return ok;
}

struct Reader {
    std::string path;
    Description& d;
    std::string* err;
    int lineno = 0;
    bool have_dialog = false;

    bool fail(const std::string& what) {
        *err = path + ":" + std::to_string(lineno) + ": " + what;
        return false;
    }

    bool line(const std::string& text) {
        size_t bad = utf8_error(text);
        if (bad != std::string::npos)
            return fail("not UTF-8 text at byte " + std::to_string(bad + 1) + " (a character cut short?)");
        std::vector<std::string> w;
        if (!split_words(text, &w)) return fail("unterminated quote");
        if (w.empty() || w[0][0] == '#') return true;
        if (w[0] == "DIALOG") return dialog(w);
        if (w[0] != "OBJECT") return fail("unknown statement '" + w[0] + "'");
        if (!have_dialog) return fail("OBJECT before DIALOG");
        return object(w);
    }

    // A text for the file: GBK, and nothing the file's one-line fields cannot hold.
    bool text(const std::string& where, const std::string& utf8, std::string* gbk) {
        for (unsigned char c : utf8)
            if (c < 0x20 || c == 0x7F) return fail(where + "a control character");
        if (!to_gbk(utf8, gbk)) return fail(where + "'" + utf8 + "' has a character GBK cannot write");
        return true;
    }

    // "name" or "name:building" items of a callbacks list, of the dialog's or an object's reasons.
    bool callbacks(const std::string& where, const std::string& list, bool of_dialog, const std::string& id,
                   std::vector<uistyler::Callback>* out, std::vector<std::string>* shown) {
        for (const std::string& item : split_items(list)) {
            size_t colon = item.find(':');
            std::string name = item.substr(0, colon);
            std::string flag = colon == std::string::npos ? "" : item.substr(colon + 1);
            const uistyler::CallbackNumber* c = uistyler::callback_by_name(name);
            if (!c || c->dialog != of_dialog)
                return fail(where + "no " + (of_dialog ? "dialog" : "object") + " callback '" + name + "'");
            if (!flag.empty() && flag != "building") return fail(where + "'" + flag + "': only ':building' may follow");
            uistyler::Callback cb;
            cb.number = c->number;
            cb.building = !flag.empty();
            // The name UIStyler would give it; NX binds by object and reason, not by this name.
            cb.function = (of_dialog ? "" : lower(id) + "_") + name + "_cb";
            auto at = out->begin();
            while (at != out->end() && at->number < cb.number) ++at;
            if (at != out->end() && at->number == cb.number) return fail(where + "'" + name + "' twice");
            out->insert(at, cb);
            shown->push_back(name + (cb.building ? " (opens a dialog)" : ""));
        }
        return true;
    }

    static std::string lower(std::string s) {
        for (char& c : s) c = (char)tolower((unsigned char)c);
        return s;
    }

    bool dialog(const std::vector<std::string>& w) {
        if (have_dialog) return fail("a second DIALOG statement");
        have_dialog = true;
        if (w.size() < 2) return fail("DIALOG needs a name");
        d.name = w[1];
        d.file.module.clear();
        for (char c : d.name) d.file.module += (char)toupper((unsigned char)c);
        for (size_t i = 2; i < w.size(); ++i) {
            size_t eq = w[i].find('=');
            std::string key = w[i].substr(0, eq), val = eq == std::string::npos ? "" : w[i].substr(eq + 1);
            if (eq == std::string::npos) return fail("attribute '" + w[i] + "' has no '='");
            if (key == "title") {
                d.title = val;
                if (!text("title: ", val, &d.file.title)) return false;
            } else if (key == "callbacks") {
                if (!callbacks("callbacks: ", val, true, "", &d.file.callbacks, &d.callbacks)) return false;
            } else {
                return fail("unknown attribute '" + key + "'");
            }
        }
        return true;
    }

    bool object(const std::vector<std::string>& w) {
        if (w.size() < 3) return fail("OBJECT needs an identifier and a kind");
        uistyler::Object o;
        Row row;
        o.name = row.id = w[1];
        row.kind = w[2];
        for (unsigned char c : o.name)
            if (!isalnum(c) && c != '_') return fail("identifier '" + o.name + "': letters, digits and '_' only");
        for (const Row& r : d.rows)
            if (r.id == o.name) return fail("object " + o.name + " declared twice");
        const uistyler::KindCode* kind = uistyler::kind_by_name(w[2]);
        if (!kind) {
            if (w[2] == "SINGLE_LIST" || w[2] == "MULTI_LINE_TEXT")
                return fail("no UIStyler file code is known for a " + w[2]);
            return fail("unknown object kind '" + w[2] + "'");
        }
        o.code = kind->code;
        bool list = w[2] == "OPTION_MENU" || w[2] == "MULTI_LIST";
        if (list) o.ivalue = -1;  // no item chosen
        std::string value;
        bool has_value = false;
        for (size_t i = 3; i < w.size(); ++i) {
            size_t eq = w[i].find('=');
            if (eq == std::string::npos) return fail("attribute '" + w[i] + "' has no '='");
            std::string key = w[i].substr(0, eq), val = w[i].substr(eq + 1);
            std::string where = o.name + "." + key + ": ";
            if (key == "label") {
                row.label = val;
                if (!text(where, val, &o.label)) return false;
            } else if (key == "items") {
                if (!list) return fail(where + "a " + w[2] + " has no items");
                for (auto& s : split_items(val)) {
                    o.items.emplace_back();
                    if (!text(where, s, &o.items.back())) return false;
                }
            } else if (key == "sensitive") {
                if (val != "0" && val != "1") return fail(where + "expected 0 or 1");
                o.sensitive = val == "1";
            } else if (key == "value") {
                value = val;
                has_value = true;
            } else if (key == "callbacks") {
                if (!callbacks(where, val, false, o.name, &o.callbacks, &row.callbacks)) return false;
            } else {
                return fail("unknown attribute '" + key + "'");
            }
        }
        // The value last: a menu's choice must name one of its items, wherever they are written.
        if (has_value && !initial_value(o, w[2], value)) return false;
        d.file.objects.push_back(o);
        d.rows.push_back(row);
        return true;
    }

    // The initial value, of the kind the object holds.
    bool initial_value(uistyler::Object& o, const std::string& kind, const std::string& val) {
        std::string where = o.name + ".value: ";
        if (kind == "STRING" || kind == "LABEL") return text(where, val, &o.svalue);
        char* end = nullptr;
        errno = 0;
        if (kind == "REAL") {
            o.rvalue = strtod(val.c_str(), &end);
            if (val.empty() || *end || errno || !std::isfinite(o.rvalue))
                return fail(where + "value '" + val + "' is not a number");
            // The file keeps six decimals: a value it would round is refused, not changed.
            char buf[400];
            snprintf(buf, sizeof buf, "%f", o.rvalue);
            if (strtod(buf, nullptr) != o.rvalue) return fail(where + "'" + val + "' has more than six decimals");
            return true;
        }
        if (kind == "ACTION_BUTTON" || kind == "SEPARATOR" || kind == "MULTI_LIST")
            return fail(where + "a " + kind + " has no initial value");
        long v = strtol(val.c_str(), &end, 10);
        if (val.empty() || *end || errno || v < INT_MIN || v > INT_MAX)
            return fail(where + "value '" + val + "' is not a number");
        o.ivalue = (int)v;
        if (kind == "TOGGLE" && v != 0 && v != 1) return fail(where + "a TOGGLE is 0 or 1");
        if (kind == "OPTION_MENU" && (v < -1 || v >= (long)o.items.size()))
            return fail(where + "no item " + val + " to choose");
        return true;
    }
};

std::string join(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& x : v) s += (s.empty() ? "" : ", ") + x;
    return s;
}

}  // namespace

int parse_description(const std::string& path, const std::string& text, Description* out, std::string* err) {
    *out = Description();
    err->clear();
    Reader r{path, *out, err};
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        ++r.lineno;
        if (!r.line(line)) return -1;
    }
    if (!r.have_dialog) {
        *err = path + ": no DIALOG statement";
        return -1;
    }
    return 0;
}

int read_description(const std::string& path, Description* out, std::string* err) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *out = Description();
        *err = path + ": cannot be opened";
        return -1;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    return parse_description(path, ss.str(), out, err);
}

std::string check_table(const Description& d) {
    std::string t = "| Identifier | Kind | Label | Callbacks |\n|---|---|---|---|\n";
    t += "| (the dialog) | | " + d.title + " | " + join(d.callbacks) + " |\n";
    for (const Row& r : d.rows) t += "| `" + r.id + "` | " + r.kind + " | " + r.label + " | " + join(r.callbacks) + " |\n";
    return t;
}

}  // namespace dlgc
