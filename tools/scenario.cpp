// The scenario runner: reads a scenario, starts a session, loads the plug-in (ufsta), plays the
// steps and writes the run's outputs. Every refusal of the scenario names the file and the field.
#include "scenario.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "nx.h"
#include "nxsim/nxsim.h"

using json = nlohmann::json;

namespace kvsim {

namespace {

PluginHost g_host;

// Where each played step's calls begin and end in the host's call log, for write_call_stats.
struct StepCalls {
    std::string step;    // "start" (loading the plug-in) or "steps[i]"
    std::string action;  // the step's menu action, or empty
    size_t first;
    size_t end;
};
std::vector<StepCalls> g_step_calls;

struct Bad {
    std::string text;
};

std::string dir_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool is_absolute(const std::string& p) { return !p.empty() && p[0] == '/'; }

// NX names a loaded part by its full path, and the plug-in reads the mould number and $DIR from
// it: every path given to the session is absolute, without ".", ".." or doubled slashes, however
// the runner was started. ".." is taken by name, as the shell's cd takes it.
std::string absolute(const std::string& p, const std::string& from) {
    std::vector<std::string> names;
    std::stringstream whole(is_absolute(p) ? p : from + "/" + p);
    std::string name;
    while (std::getline(whole, name, '/')) {
        if (name.empty() || name == ".") continue;
        if (name != "..")
            names.push_back(name);
        else if (!names.empty())
            names.pop_back();
    }
    std::string out;
    for (auto& n : names) out += "/" + n;
    return out.empty() ? "/" : out;
}

// The folder the runner was started in, named as the shell names it ($PWD) while that is still
// this folder, so that paths through a symbolic link read as the user typed them.
std::string working_dir() {
    struct stat here, named;
    const char* pwd = getenv("PWD");
    if (pwd && is_absolute(pwd) && stat(pwd, &named) == 0 && stat(".", &here) == 0 &&
        named.st_dev == here.st_dev && named.st_ino == here.st_ino)
        return pwd;
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? buf : "";
}

// Creates a folder and the folders above it that are missing.
void make_dirs(const std::string& p) {
    for (size_t at = p.find('/', 1); at != std::string::npos; at = p.find('/', at + 1))
        mkdir(p.substr(0, at).c_str(), 0755);
    mkdir(p.c_str(), 0755);
}

// The run's outputs name the --out folder "<out>", so that they compare across machines.
std::string hide_out(const std::string& text, const std::string& out) {
    if (out.empty()) return text;
    // Built in one pass: replacing in place moves the rest of a long transcript per occurrence.
    std::string shown;
    shown.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(out); at != std::string::npos; at = text.find(out, from)) {
        shown.append(text, from, at - from);
        shown += "<out>";
        from = at + out.size();
    }
    shown.append(text, from, std::string::npos);
    return shown;
}

class Reader {
public:
    explicit Reader(std::string file) : file_(std::move(file)), base_(dir_of(file_)) {}

    [[noreturn]] void fail(const std::string& where, const std::string& what) const {
        throw Bad{file_ + ": " + where + ": " + what};
    }

    std::string text(const json& j, const std::string& where) const {
        if (!j.is_string()) fail(where, "expected a text");
        return j.get<std::string>();
    }

    // A path in the scenario is relative to the scenario's folder; ${KIT} stands for the kit.
    std::string path(const json& j, const std::string& where) const {
        return absolute(expand(text(j, where)), base_);
    }

    std::string expand(std::string s) const {
        size_t at;
        while ((at = s.find("${KIT}")) != std::string::npos) s.replace(at, 6, kit_);
        while ((at = s.find("${SCENARIO}")) != std::string::npos) s.replace(at, 11, base_);
        while ((at = s.find("${OUT}")) != std::string::npos) s.replace(at, 6, out_);
        return s;
    }

    nxsim::Answer answer(const json& j, const std::string& where) const {
        nxsim::Answer a;
        a.where = where;
        if (!j.is_object() || j.size() != 1) fail(where, "expected one of select, folder, question");
        if (j.contains("select")) {
            a.kind = nxsim::Answer::Select;
            const json& v = j["select"];
            if (v.is_string() && v.get<std::string>() == "cancel") {
                a.cancel = true;
            } else if (v.is_array()) {
                for (size_t i = 0; i < v.size(); ++i)
                    a.names.push_back(text(v[i], where + ".select[" + std::to_string(i) + "]"));
            } else {
                fail(where + ".select", "expected an array of object names or \"cancel\"");
            }
        } else if (j.contains("folder")) {
            a.kind = nxsim::Answer::Folder;
            if (j["folder"].is_null()) {
                a.cancel = true;
            } else if (j["folder"].is_object()) {
                // { "virtual": NAME }: a folder the shell shows that has no path on disk.
                const json& v = j["folder"];
                if (v.size() != 1 || !v.contains("virtual"))
                    fail(where + ".folder", "expected a path, null or { \"virtual\": NAME }");
                a.no_path = true;
                a.text = text(v["virtual"], where + ".folder.virtual");
            } else {
                a.text = expand(text(j["folder"], where + ".folder"));
            }
            // The browser answers with a full path; an absolute one is passed exactly as written.
            if (!a.cancel && !a.no_path && !a.text.empty() && !is_absolute(a.text)) a.text = absolute(a.text, base_);
            // A browser picks existing folders: one under the run's output is made for it.
            if (!a.cancel && !a.no_path && !out_.empty() && a.text.compare(0, out_.size() + 1, out_ + "/") == 0)
                make_dirs(a.text);
        } else if (j.contains("question")) {
            a.kind = nxsim::Answer::Question;
            const json& v = j["question"];
            if (v == "ok" || v == 1)
                a.button = 1;
            else if (v == 2)
                a.button = 2;
            else if (v == "cancel" || v == 3)
                a.button = 3;
            else
                fail(where + ".question", "expected \"ok\", \"cancel\" or a button 1-3");
        } else {
            fail(where, "expected one of select, folder, question");
        }
        return a;
    }

    std::vector<nxsim::Answer> answers(const json& j, const std::string& where) const {
        std::vector<nxsim::Answer> out;
        if (!j.is_array()) fail(where, "expected an array");
        for (size_t i = 0; i < j.size(); ++i)
            out.push_back(answer(j[i], where + "[" + std::to_string(i) + "]"));
        return out;
    }

    nxsim::DialogEvent event(const json& j, const std::string& where) const {
        nxsim::DialogEvent e;
        e.where = file_ + ": " + where;
        if (j.is_string()) {
            std::string s = j.get<std::string>();
            if (s == "ok")
                e.kind = nxsim::DialogEvent::Ok;
            else if (s == "apply")
                e.kind = nxsim::DialogEvent::Apply;
            else if (s == "cancel")
                e.kind = nxsim::DialogEvent::Cancel;
            else if (s == "look")
                e.kind = nxsim::DialogEvent::Look;
            else
                fail(where, "unknown event '" + s + "' (ok, apply, cancel, look, or an object)");
            return e;
        }
        if (!j.is_object()) fail(where, "expected an event");
        // The events on an object: its field names the object, and some take a value field too.
        struct ObjectEvent {
            const char* key;
            nxsim::DialogEvent::Kind kind;
            const char* value_key;  // null: none
            const char* missing;    // why an event without its value field is refused
        };
        static const ObjectEvent kObjectEvents[] = {
            {"press", nxsim::DialogEvent::Press, nullptr, nullptr},
            {"double_click", nxsim::DialogEvent::DoubleClick, nullptr, nullptr},
            {"set", nxsim::DialogEvent::Set, "value", "set needs a value"},
            {"select", nxsim::DialogEvent::Select, "items", "select needs items (indices or texts)"},
        };
        int kinds = 0;
        for (const ObjectEvent& oe : kObjectEvents) {
            if (!j.contains(oe.key)) continue;
            e.kind = oe.kind;
            e.object = text(j[oe.key], where + "." + oe.key);
            if (oe.value_key) {
                if (!j.contains(oe.value_key)) fail(where + "." + oe.value_key, oe.missing);
                e.value = j[oe.value_key];
            }
            ++kinds;
        }
        for (const char* b : {"ok", "apply", "cancel"}) {
            if (j.contains(b)) {
                e.kind = strcmp(b, "ok") == 0      ? nxsim::DialogEvent::Ok
                         : strcmp(b, "apply") == 0 ? nxsim::DialogEvent::Apply
                                                   : nxsim::DialogEvent::Cancel;
                ++kinds;
            }
        }
        if (kinds != 1) fail(where, "an event is exactly one of press, double_click, set, select, ok, apply, cancel");
        if (j.contains("answers")) e.answers = answers(j["answers"], where + ".answers");
        return e;
    }

    const std::string& file() const { return file_; }

    std::string kit_;
    std::string out_;  // the --out folder, absolute

private:
    std::string file_;
    std::string base_;
};

nxsim::FaultMode fault_mode(const Reader& r, const json& j, const std::string& where) {
    std::string m = j.contains("mode") ? r.text(j["mode"], where + ".mode") : "once";
    if (m == "once") return nxsim::FaultMode::Once;
    if (m == "nth") return nxsim::FaultMode::Nth;
    if (m == "always") return nxsim::FaultMode::Always;
    r.fail(where + ".mode", "expected once, nth or always");
}

void apply_fault(const Reader& r, const json& j, const std::string& where) {
    if (!j.is_object()) r.fail(where, "expected an object with a call");
    std::string call = r.text(j.value("call", json()), where + ".call");
    nxsim::FaultMode mode = fault_mode(r, j, where);
    int n = 1, code = 0;
    if (j.contains("n")) {
        if (!j["n"].is_number_integer() || j["n"].get<int>() < 1) r.fail(where + ".n", "expected a positive integer");
        n = j["n"].get<int>();
    }
    if (j.contains("code")) {
        if (!j["code"].is_number_integer() || j["code"].get<int>() == 0) r.fail(where + ".code", "expected a non-zero integer");
        code = j["code"].get<int>();
    }
    nxsim::fail(call, mode, n, code);
}

bool write_file(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
    return (bool)out;
}

// Reads the scenario file at path into *doc and names it by its absolute path in *file. The empty
// text, or why the file is refused (bad input); the session is not touched either way.
std::string read_scenario(const std::string& path, json* doc, std::string* file) {
    std::ifstream in(path);
    if (!in) return path + ": the scenario file cannot be opened";
    *doc = json::parse(in, nullptr, false);
    if (doc->is_discarded() || !doc->is_object()) return path + ": not a JSON object";
    std::string cwd = is_absolute(path) ? "/" : working_dir();
    if (cwd.empty()) return path + ": the working folder cannot be read to resolve the scenario's path";
    *file = absolute(path, cwd);
    return "";
}

// A scenario laid over another ("over": the base's path, relative to its own folder) plays the
// base with the host's readings of its "host" object over the base's: *doc and *file become the
// base's, so that the base's paths and messages stay its own. The empty text, or why it is refused.
std::string read_overlay(json* doc, std::string* file) {
    if (!doc->contains("over")) return "";
    const json overlay = *doc;
    const std::string overlay_file = *file;
    for (auto it = overlay.begin(); it != overlay.end(); ++it)
        if (it.key() != "over" && it.key() != "host" && it.key() != "description")
            return *file + ": " + it.key() + ": a scenario laid over another gives only its host readings";
    if (!overlay["over"].is_string()) return *file + ": over: expected the path of a scenario";
    std::string base = absolute(overlay["over"].get<std::string>(), dir_of(*file));
    std::string err = read_scenario(base, doc, file);
    if (!err.empty()) return err;
    if (doc->contains("over")) return base + ": over: the base of a scenario laid over it is laid over another";
    if (overlay.contains("host")) {
        if (!overlay["host"].is_object()) return overlay_file + ": host: expected an object of readings";
        json& host = (*doc)["host"];
        if (!host.is_object()) host = json::object();
        for (auto it = overlay["host"].begin(); it != overlay["host"].end(); ++it) host[it.key()] = it.value();
    }
    return "";
}

// Sends the process's standard output, which the plug-in prints to, to the file at path. The
// runner's own is kept in *saved for restore_stdout; false when the file cannot be written.
bool redirect_stdout(const std::string& path, int* saved) {
    fflush(stdout);
    *saved = dup(fileno(stdout));
    return freopen(path.c_str(), "w", stdout) != nullptr;
}

// Puts back the standard output redirect_stdout saved.
void restore_stdout(int saved) {
    fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);
}

// The host's readings of undocumented NX (nxsim::Readings): each field of the scenario's "host"
// object names one and gives the default reading or the other.
struct ReadingField {
    const char* field;
    const char* usual;  // the host's default reading
    const char* other;
    bool nxsim::Readings::*flag;
};
const ReadingField kReadingFields[] = {
    {"aligned_box", "holds_body", "inside_body", &nxsim::Readings::box_inside},
    {"multi_list_set", "flips", "selects", &nxsim::Readings::list_set_selects},
    {"view_update", "centres", "keeps_anchor", &nxsim::Readings::view_keeps_anchor},
};

// Sets the session's readings from the scenario's "host" object j; an unknown field or value throws Bad.
void set_readings(const Reader& r, const json& j) {
    if (!j.is_object()) r.fail("host", "expected an object of readings");
    nxsim::Readings readings;
    for (auto it = j.begin(); it != j.end(); ++it) {
        const ReadingField* f = nullptr;
        for (const ReadingField& k : kReadingFields) f = it.key() == k.field ? &k : f;
        if (!f) r.fail("host." + it.key(), "unknown reading (aligned_box, multi_list_set, view_update)");
        std::string v = r.text(it.value(), "host." + it.key());
        if (v != f->usual && v != f->other)
            r.fail("host." + it.key(), std::string("expected ") + f->usual + " or " + f->other);
        readings.*(f->flag) = v == f->other;
    }
    nxsim::set_readings(readings);
}

// Sets the session up as the scenario's fields other than its steps say, in this order: the kit
// (environment, dialog folder, library path), the dialog folder and library path given alone, the
// environment, the host's readings, the faults, the part. An unknown field or a refused value throws Bad.
void start_session(const json& doc, Reader& r) {
    for (auto it = doc.begin(); it != doc.end(); ++it) {
        static const char* known[] = {"description", "kit", "env", "library_path", "dialog_folder",
                                      "part", "faults", "steps", "allow_leaks", "nx_release", "host"};
        bool ok = false;
        for (const char* k : known) ok = ok || it.key() == k;
        if (!ok) r.fail(it.key(), "unknown field");
    }
    if (doc.contains("allow_leaks") && !doc["allow_leaks"].is_boolean()) r.fail("allow_leaks", "expected true or false");
    if (doc.contains("kit")) {
        r.kit_ = r.path(doc["kit"], "kit");
        nxsim::set_env("KELVORA_PATH", r.kit_);
        nxsim::set_dialog_folder(r.kit_ + "/application");
        nxsim::set_library_path(r.kit_ + "/application/kelvora.dll");
    }
    if (doc.contains("nx_release")) {
        double release = 0;
        if (!doc["nx_release"].is_string() || !nxsim::parse_nx_release(doc["nx_release"].get<std::string>(), &release))
            r.fail("nx_release", "expected a release such as \"NX12\" or \"NX7.5\" (NX4 to NX2007)");
        nxsim::set_nx_release(release);
    }
    if (doc.contains("dialog_folder")) nxsim::set_dialog_folder(r.path(doc["dialog_folder"], "dialog_folder"));
    if (doc.contains("library_path")) nxsim::set_library_path(r.path(doc["library_path"], "library_path"));
    if (doc.contains("env")) {
        const json& env = doc["env"];
        if (!env.is_object()) r.fail("env", "expected an object of names and values");
        for (auto it = env.begin(); it != env.end(); ++it)
            nxsim::set_env(it.key(), r.expand(r.text(it.value(), "env." + it.key())));
    }
    if (doc.contains("host")) set_readings(r, doc["host"]);
    if (doc.contains("faults")) {
        const json& f = doc["faults"];
        if (!f.is_array()) r.fail("faults", "expected an array");
        for (size_t i = 0; i < f.size(); ++i) apply_fault(r, f[i], "faults[" + std::to_string(i) + "]");
    }
    if (doc.contains("part")) {
        std::string err;
        if (nxsim::open_part(r.path(doc["part"], "part"), &err) != 0) r.fail("part", err);
    }
}

// Plays an action step w: queues its events and answers, picks the menu action and checks that
// its dialogs took them all. False when some were left: the host has the errors and the run stops.
bool play_action(const Reader& r, const json& s, const std::string& w) {
    std::string name = r.text(s["action"], w + ".action");
    std::vector<nxsim::DialogEvent> events;
    std::vector<std::string> written;  // each event as the scenario wrote it
    if (s.contains("events")) {
        const json& ev = s["events"];
        if (!ev.is_array()) r.fail(w + ".events", "expected an array");
        for (size_t k = 0; k < ev.size(); ++k) {
            events.push_back(r.event(ev[k], w + ".events[" + std::to_string(k) + "]"));
            written.push_back(ev[k].dump());
        }
    }
    if (s.contains("answers"))
        for (auto& a : r.answers(s["answers"], w + ".answers")) nxsim::push_answer(a);
    nxsim::queue_events(events);
    size_t seen = nxsim::transcript().size();
    if (nxsim::run_action(name) < 0) r.fail(w + ".action", "no menu action '" + name + "' is registered");
    // The host keeps what no dialog took, and the next step's dialogs would take it as their own.
    size_t left = nxsim::pending_events();
    if (left > 0) {
        std::string dialog;
        const auto& said = nxsim::transcript();
        for (size_t k = seen; k < said.size(); ++k)
            if (said[k].compare(0, 14, "dialog: close ") == 0) dialog = said[k].substr(14);
        nxsim::add_error(r.file() + ": " + w + ": " + std::to_string(left) + " scripted event(s) left unused " +
                         (dialog.empty() ? "(the action opened no dialog)" : "after the dialog " + dialog + " closed") +
                         "; the run stops here");
        // The queue is empty when a step starts, so what is left is this step's last events.
        for (size_t k = events.size() - std::min(left, events.size()); k < events.size(); ++k)
            nxsim::add_error(events[k].where + ": " + written[k] + " unused");
    }
    if (nxsim::pending_answers() > 0)
        nxsim::add_error(r.file() + ": " + w + ": " + std::to_string(nxsim::pending_answers()) +
                         " scripted answer(s) left unused; the run stops here");
    return left == 0 && nxsim::pending_answers() == 0;
}

// Sets the layer statuses of a layers step w as the user does in NX's layer settings.
void set_layers(const Reader& r, const json& ls, const std::string& w) {
    if (!ls.is_object()) r.fail(w + ".layers", "expected an object of layer numbers and statuses");
    for (auto it = ls.begin(); it != ls.end(); ++it) {
        std::string v = it.value().is_string() ? it.value().get<std::string>() : "";
        int st = v == "work" ? 1 : v == "selectable" ? 2 : v == "reference" ? 3 : v == "invisible" ? 4 : 0;
        if (!st) r.fail(w + ".layers." + it.key(), "expected work, selectable, reference or invisible");
        char* end = nullptr;
        long layer = strtol(it.key().c_str(), &end, 10);
        if (*end || nxsim::set_layer_status((int)layer, st) != 0)
            r.fail(w + ".layers." + it.key(), "NX refuses this layer status (no such layer, or the work layer)");
    }
}

// Plays step s, named w in messages. False when the run stops after it; a malformed step throws Bad.
bool play_step(const Reader& r, const json& s, const std::string& w) {
    if (!s.is_object()) r.fail(w, "expected an object");
    if (s.contains("action")) return play_action(r, s, w);
    if (s.contains("open_part")) {
        std::string err;
        if (nxsim::open_part(r.path(s["open_part"], w + ".open_part"), &err) != 0) r.fail(w + ".open_part", err);
    } else if (s.contains("close_parts")) {
        nxsim::close_all_parts();
    } else if (s.contains("fail")) {
        apply_fault(r, s["fail"], w + ".fail");
    } else if (s.contains("clear_faults")) {
        nxsim::clear_faults();
    } else if (s.contains("layers")) {
        set_layers(r, s["layers"], w);
    } else if (s.contains("leave_drawing")) {
        nxsim::leave_drawing();  // the user leaves the drawing sheet for the model
    } else {
        r.fail(w, "unknown step (action, open_part, close_parts, fail, clear_faults, layers, leave_drawing)");
    }
    return true;
}

// Loads the plug-in (ufsta) and plays the scenario's steps in order, up to the first that stops
// the run. Steps that are not an array, or a malformed step, throw Bad.
void play_steps(const json& doc, const Reader& r) {
    const json steps = doc.value("steps", json::array());
    if (!steps.is_array()) r.fail("steps", "expected an array");
    g_step_calls.push_back({"start", "", nxsim::call_log().size(), 0});
    if (g_host.start)
        g_host.start();
    else
        ufsta(nullptr, nullptr, 0);
    g_step_calls.back().end = nxsim::call_log().size();
    for (size_t i = 0; i < steps.size(); ++i) {
        const json& s = steps[i];
        std::string action = s.is_object() && s.contains("action") && s["action"].is_string() ? s["action"].get<std::string>() : "";
        g_step_calls.push_back({"steps[" + std::to_string(i) + "]", action, nxsim::call_log().size(), 0});
        bool go_on = play_step(r, s, g_step_calls.back().step);
        g_step_calls.back().end = nxsim::call_log().size();
        if (!go_on) break;
    }
}

// text as the outputs show it: through the plug-in host's output_text when one is set.
std::string host_text(const std::string& text) { return g_host.output_text ? g_host.output_text(text) : text; }

// Writes the run's outputs into out_dir (the transcript, the listing, the plug-in's standard
// output already printed to stdout.txt, every part as a part file, every rendered drawing sheet),
// with the absolute --out folder out_abs shown as "<out>".
void write_outputs(const std::string& out_dir, const std::string& out_abs) {
    std::string transcript;
    for (auto& line : nxsim::transcript()) transcript += line + "\n";
    write_file(out_dir + "/transcript.txt", hide_out(host_text(transcript), out_abs));
    write_file(out_dir + "/listing.txt", hide_out(host_text(nxsim::listing()), out_abs));
    std::string stdout_path = out_dir + "/stdout.txt";
    {
        std::ifstream printed(stdout_path, std::ios::binary);
        std::stringstream text;
        text << printed.rdbuf();
        printed.close();
        write_file(stdout_path, hide_out(host_text(text.str()), out_abs));
    }
    make_dirs(out_dir + "/parts");
    for (tag_t p : nxsim::parts()) {
        std::string name = nxsim::part_file_name(p);
        size_t dot = name.rfind('.');
        if (dot != std::string::npos) name = name.substr(0, dot);
        write_file(out_dir + "/parts/" + name + ".json", hide_out(host_text(nxsim::part_json(p)), out_abs));
    }
    std::vector<nxsim::SheetImage> sheets = nxsim::render_sheets();
    if (!sheets.empty()) {
        make_dirs(out_dir + "/sheets");
        for (auto& sheet : sheets) write_file(out_dir + "/sheets/" + sheet.file, sheet.svg);
    }
}

// Malformed input files the host met (a template, a dialog description) are bad input, whatever
// the plug-in made of NX's error code; a part the runner refused itself is named once.
void name_refused_inputs(RunResult* res) {
    std::string refused;
    for (auto& e : nxsim::refused_inputs())
        if (res->message.find(e) == std::string::npos) refused += e + "\n";
    if (nxsim::refused_inputs().empty()) return;
    res->message = refused + res->message;
    res->exit_code = 2;
}

// Completes *res, which holds the refusal that stopped the run if any, from the session's end:
// host errors (exit code 1) come first, as they happened before that refusal; then the inputs the
// host refused (2); on a clean run, memory not released (3) unless the scenario allows leaks.
void judge_run(RunResult* res, const json& doc) {
    if (!nxsim::errors().empty()) {
        std::string host;
        for (auto& e : nxsim::errors()) host += e + "\n";
        res->message = host + res->message;
        if (!res->exit_code) res->exit_code = 1;
    }
    name_refused_inputs(res);
    if (res->exit_code) return;
    auto leaks = nxsim::leaks();
    if (!leaks.empty() && !doc.value("allow_leaks", false)) {
        res->exit_code = 3;
        res->message = "memory handed out by NX and not released:\n";
        for (auto& l : leaks) res->message += "  " + l + "\n";
    }
}

}  // namespace

void set_plugin_host(const PluginHost& host) { g_host = host; }

// The Windows services (ws_...) go through the host's call log too, but they are no NX calls.
static bool is_service(const std::string& call) { return call.compare(0, 3, "ws_") == 0; }

bool write_call_stats(const std::string& path) {
    json calls = json::object(), services = json::object();
    long total = 0;
    for (const auto& kv : nxsim::call_counts()) {
        if (is_service(kv.first)) {
            services[kv.first] = kv.second;
            continue;
        }
        calls[kv.first] = kv.second;
        total += kv.second;
    }
    json steps = json::array();
    const std::vector<std::string>& log = nxsim::call_log();
    for (const StepCalls& st : g_step_calls) {
        std::map<std::string, int> counts;
        long step_total = 0;
        // The log notes an injected failure as a line of its own after the call.
        for (size_t i = st.first; i < st.end && i < log.size(); ++i)
            if (log[i].find(' ') == std::string::npos && !is_service(log[i])) ++counts[log[i]], ++step_total;
        steps.push_back({{"step", st.step}, {"action", st.action}, {"total", step_total}, {"calls", counts}});
    }
    json doc = {{"calls", calls}, {"distinct", calls.size()}, {"total", total}, {"services", services}, {"steps", steps}};
    return write_file(path, doc.dump(2) + "\n");
}

RunResult run_scenario(const std::string& scenario_path, const std::string& out_dir) {
    RunResult res;
    json doc;
    std::string file;
    res.message = read_scenario(scenario_path, &doc, &file);
    if (res.message.empty()) res.message = read_overlay(&doc, &file);
    if (!res.message.empty()) {
        res.exit_code = 2;
        return res;
    }
    Reader r(file);
    nxsim::reset();
    g_step_calls.clear();
    make_dirs(out_dir);
    if (char* abs = realpath(out_dir.c_str(), nullptr)) {
        r.out_ = abs;
        free(abs);
    }
    std::string stdout_path = out_dir + "/stdout.txt";
    int saved_stdout = -1;
    bool redirected = redirect_stdout(stdout_path, &saved_stdout);
    try {
        if (!redirected) r.fail("--out", "cannot write " + stdout_path);
        start_session(doc, r);
        play_steps(doc, r);
    } catch (const Bad& b) {
        res.exit_code = 2;
        res.message = b.text;
    }
    if (g_host.finish) g_host.finish();
    restore_stdout(saved_stdout);
    write_outputs(out_dir, r.out_);
    judge_run(&res, doc);
    return res;
}

}  // namespace kvsim
