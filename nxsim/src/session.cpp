// The session of the simulated host: tags, parts, the ledger, faults, the call log and the
// transcript, plus the control interface used by the runner and the tests.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util.h"

namespace nxsim {

static Session* g_session = nullptr;

Session& S() {
    if (!g_session) g_session = new Session();
    return *g_session;
}

DialogItem* Dialog::find(const std::string& item_id) {
    for (auto& it : items)
        if (it.id == item_id) return &it;
    return nullptr;
}

// ---------------------------------------------------------------- text

static std::string convert(const std::string& in, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return in;
    std::string out;
    out.resize(in.size() * 4 + 4);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = &out[0];
    size_t dst_left = out.size();
    while (src_left > 0) {
        size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
        if (r == (size_t)-1) {
            if (errno == E2BIG) break;
            // An invalid or incomplete sequence: show it as '?' and go on.
            if (dst_left > 0) {
                *dst++ = '?';
                --dst_left;
            }
            ++src;
            --src_left;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    out.resize(out.size() - dst_left);
    iconv_close(cd);
    return out;
}

std::string to_gbk(const std::string& utf8) { return convert(utf8, "GBK", "UTF-8"); }
std::string to_utf8(const std::string& gbk) { return convert(gbk, "UTF-8", "GBK"); }

std::string upper_ascii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    return s;
}

void copy_out(char* dst, size_t size, const std::string& s) {
    if (!dst || size == 0) return;
    size_t n = s.size() < size - 1 ? s.size() : size - 1;
    memcpy(dst, s.data(), n);
    dst[n] = '\0';
}

// ---------------------------------------------------------------- calls, faults, ledger

static int check_fault(const char* call) {
    Session& s = S();
    if (s.faults.empty()) return 0;  // the common case, without building a key
    auto it = s.faults.find(call);
    if (it == s.faults.end()) return 0;
    Fault& f = it->second;
    if (f.spent) return 0;
    ++f.calls;
    bool fire = false;
    switch (f.mode) {
        case FaultMode::Once: fire = true; f.spent = true; break;
        case FaultMode::Nth: fire = (f.calls == f.n); if (fire) f.spent = true; break;
        case FaultMode::Always: fire = f.calls >= f.n; break;  // from the n-th call on
    }
    if (!fire) return 0;
    s.call_log.push_back(std::string(call) + " -> injected failure");
    return f.code ? f.code : ERR_INJECTED;
}

// Logs and counts the call; its name is made a string once, as every call of the plug-in comes
// through here.
static void log_call(Session& s, const char* call) {
    s.call_log.emplace_back(call);
    ++s.call_counts[s.call_log.back()];
}

int enter_any(const char* call) {
    Session& s = S();
    log_call(s, call);
    return check_fault(call);
}

int enter(const char* call) {
    Session& s = S();
    if (s.init_depth <= 0) {
        log_call(s, call);
        error(std::string(call) + " called without UF_initialize");
        return ERR_NOT_INITIALIZED;
    }
    return enter_any(call);
}

void* alloc(size_t bytes, const char* call) {
    Session& s = S();
    void* p = calloc(1, bytes ? bytes : 1);
    if (!p) abort();
    s.ledger[p] = Allocation{call, ++s.alloc_seq};
    return p;
}

char* alloc_string(const std::string& str, const char* call) {
    char* p = (char*)alloc(str.size() + 1, call);
    memcpy(p, str.c_str(), str.size() + 1);
    return p;
}

bool release(const void* p, const char* call) {
    if (!p) return true;
    Session& s = S();
    auto it = s.ledger.find(p);
    if (it == s.ledger.end()) {
        error(std::string(call) + ": memory not handed out by NX, or released twice");
        return false;
    }
    s.ledger.erase(it);
    free(const_cast<void*>(p));
    return true;
}

void add_transcript(const std::string& kind, const std::string& gbk_text) {
    S().transcript.push_back(kind + ": " + to_utf8(gbk_text));
}

void error(const std::string& utf8_text) { S().errors.push_back(utf8_text); }

// ---------------------------------------------------------------- objects and parts

// Keeps the object's state for every open undo mark that does not hold it yet. A mark that
// holds it implies every older mark does too, so the walk stops at the first one found.
static void keep_for_undo(Session& s, const Object& o) {
    for (auto m = s.undo_marks.rbegin(); m != s.undo_marks.rend(); ++m) {
        if (o.tag >= m->next_tag) continue;  // made after this mark: undo removes it
        if (!m->objects.try_emplace(o.tag, o).second) break;  // no copy when it is held
    }
}

// The same for a part (parts and objects share the tag counter).
static void keep_for_undo(Session& s, const Part& p) {
    for (auto m = s.undo_marks.rbegin(); m != s.undo_marks.rend(); ++m) {
        if (p.tag >= m->next_tag) continue;  // opened after this mark: undo keeps it as it is
        if (!m->parts.try_emplace(p.tag, p).second) break;
    }
}

template <class T>
static void index_at(std::vector<T*>& at, tag_t t, T* node) {
    if (t < kFirstTag) return;
    size_t i = t - kFirstTag;
    if (i >= at.size()) {
        if (!node) return;
        at.resize(i + 1, nullptr);
    }
    at[i] = node;
}

template <class T>
static T* indexed(const std::vector<T*>& at, tag_t t) {
    size_t i = (size_t)t - kFirstTag;
    return (t >= kFirstTag && i < at.size()) ? at[i] : nullptr;
}

void index_part(tag_t t, Part* p) { index_at(S().part_at, t, p); }
void index_object(tag_t t, Object* o) { index_at(S().object_at, t, o); }

Object* obj(tag_t t) {
    Session& s = S();
    Object* o = indexed(s.object_at, t);
    if (o && !s.undo_marks.empty()) keep_for_undo(s, *o);
    return o;
}

Object* live_obj(tag_t t) {
    Object* o = obj(t);
    return (o && o->alive) ? o : nullptr;
}

const Object* peek(tag_t t) { return indexed(S().object_at, t); }

const Object* peek_live(tag_t t) {
    const Object* o = peek(t);
    return (o && o->alive) ? o : nullptr;
}

Part* part(tag_t t) {
    Session& s = S();
    Part* p = indexed(s.part_at, t);
    if (p && !s.undo_marks.empty()) keep_for_undo(s, *p);
    return p;
}

Object& new_unlisted_object(tag_t part, int type, int subtype) {
    Session& s = S();
    tag_t t = s.next_tag++;
    Object& o = s.objects[t];
    index_object(t, &o);
    o.tag = t;
    o.part = part;
    o.type = type;
    o.subtype = subtype;
    o.layer = 0;
    return o;
}

Object& new_object(Part& p, int type, int subtype) {
    Object& o = new_unlisted_object(p.tag, type, subtype);
    o.layer = p.work_layer;
    auto& list = p.by_type[type];
    o.type_pos = list.size();
    list.push_back(o.tag);
    p.order.push_back(o.tag);
    return o;
}

static void add_all_category(Part& p) {
    Object& all = new_object(p, T_CATEGORY);
    all.name = "ALL";
    all.cat_layers.fill(true);
    all.layer = 0;
}

Part& new_part(const std::string& path, int units) {
    Session& s = S();
    tag_t t = s.next_tag++;
    Part& p = s.parts[t];
    index_part(t, &p);
    p.tag = t;
    p.path = path;
    p.units = units;
    p.layer_status.fill(UF_LAYER_ACTIVE_LAYER);
    p.layer_status[0] = 0;
    p.work_layer = 1;
    p.layer_status[1] = UF_LAYER_WORK_LAYER;
    s.part_order.push_back(t);
    add_all_category(p);
    return p;
}

// ---------------------------------------------------------------- control interface

void reset() {
    Session& s = S();
    for (auto& kv : s.ledger) free(const_cast<void*>(kv.first));
    for (auto& kv : s.env) (void)kv;
    delete g_session;
    g_session = new Session();
    geom_reset();
}

int open_part(const std::string& path, std::string* err) {
    tag_t t = 0;
    if (load_part_file(path, &t, err) != 0) return -1;
    S().work_part = t;
    S().display_part = t;
    return 0;
}

void close_all_parts() {
    Session& s = S();
    s.work_part = 0;
    s.display_part = 0;
}

std::vector<tag_t> parts() { return S().part_order; }

std::string part_file_name(tag_t t) {
    Part* p = part(t);
    if (!p) return "";
    return leaf_name(p->path);
}

std::string part_json(tag_t t) {
    Part* p = part(t);
    return p ? dump_json(part_to_json(*p)) : "";
}

static void dump_to(const json& j, int indent, std::string& out) {
    std::string pad(indent, ' '), inner(indent + 2, ' ');
    if (j.is_object() && !j.empty()) {
        out += "{\n";
        size_t i = 0;
        for (auto it = j.begin(); it != j.end(); ++it, ++i) {
            out += inner + json(it.key()).dump() + ": ";
            dump_to(it.value(), indent + 2, out);
            out += i + 1 < j.size() ? ",\n" : "\n";
        }
        out += pad + "}";
    } else if (j.is_array() && !j.empty()) {
        bool flat = true;
        for (auto& x : j) flat = flat && !x.is_structured();
        if (flat) {
            out += "[";
            for (size_t i = 0; i < j.size(); ++i) out += (i ? ", " : "") + j[i].dump();
            out += "]";
            return;
        }
        out += "[\n";
        for (size_t i = 0; i < j.size(); ++i) {
            out += inner;
            dump_to(j[i], indent + 2, out);
            out += i + 1 < j.size() ? ",\n" : "\n";
        }
        out += pad + "]";
    } else {
        out += j.dump();
    }
}

std::string dump_json(const json& j) {
    std::string out;
    dump_to(j, 0, out);
    return out + "\n";
}

void set_env(const std::string& name, const std::string& utf8_value) {
    S().env[name] = to_gbk(utf8_value);
}
void set_dialog_folder(const std::string& folder) { S().dialog_folder = folder; }
void set_library_path(const std::string& path) { S().library_path = path; }
void set_nx_release(double release) { S().nx_release = release; }

bool parse_nx_release(const std::string& text, double* release) {
    static const double kReleases[] = {4, 5, 6, 7, 7.5, 8.5, 9, 10, 11, 12, 1847, 1953, 2007};
    std::string t = text;
    for (const char* suffix : {"-32", "-64"})
        if (t.size() > 3 && t.compare(t.size() - 3, 3, suffix) == 0) t.resize(t.size() - 3);
    if (t.size() < 3 || t.compare(0, 2, "NX") != 0) return false;
    char* end = nullptr;
    double r = std::strtod(t.c_str() + 2, &end);
    if (!end || *end != '\0' || t[2] == '-' || t[2] == '+' || t[2] == ' ') return false;
    for (double known : kReleases)
        if (r == known) {
            *release = r;
            return true;
        }
    return false;
}
std::string library_path() { return S().library_path; }

void set_readings(const Readings& readings) { S().readings = readings; }
const Readings& readings() { return S().readings; }

void fail(const std::string& call, FaultMode mode, int n, int code) {
    Fault f;
    f.mode = mode;
    f.n = n < 1 ? 1 : n;
    f.code = code;
    S().faults[call] = f;
}

void clear_faults() { S().faults.clear(); }

std::vector<std::string> actions() { return S().action_order; }

int run_action(const std::string& name) {
    Session& s = S();
    auto it = s.actions.find(name);
    if (it == s.actions.end() || !it->second.action_cb.cb) return -1;
    UF_MB_activated_button_t button{};
    button.name = const_cast<char*>(it->second.action_name);
    return (int)it->second.action_cb.cb(nullptr, it->second.action_cb.cb_data, &button);
}

void push_answer(const Answer& a) { S().answers.push_back(a); }
void queue_events(const std::vector<DialogEvent>& events) {
    for (auto& e : events) S().events.push_back(e);
}
size_t pending_answers() { return S().answers.size(); }
size_t pending_events() { return S().events.size(); }

const std::vector<std::string>& transcript() { return S().transcript; }
std::string listing() { return to_utf8(S().listing); }

std::vector<std::string> leaks() {
    std::vector<std::pair<uint64_t, std::string>> rows;
    for (auto& kv : S().ledger)
        rows.push_back({kv.second.seq, kv.second.call + " #" + std::to_string(kv.second.seq)});
    std::sort(rows.begin(), rows.end());
    std::vector<std::string> out;
    for (auto& r : rows) out.push_back(r.second);
    return out;
}

const std::vector<std::string>& errors() { return S().errors; }
void add_error(const std::string& utf8_text) { error(utf8_text); }
const std::vector<std::string>& call_log() { return S().call_log; }
int call_count(const std::string& call) {
    auto& c = S().call_counts;
    auto it = c.find(call);
    return it == c.end() ? 0 : it->second;
}
const std::map<std::string, int>& call_counts() { return S().call_counts; }
int init_depth() { return S().init_depth; }

}  // namespace nxsim
