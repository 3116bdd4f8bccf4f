// The fault sweep (fault_sweep.h).
#include "fault_sweep.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "case_fixture.h"
#include "nxsim/nxsim.h"
#include "scenario.h"

namespace kv_sweep {
namespace {

using json = nlohmann::json;

using kv_test::read_json;

std::string stem_of(const std::string& file) {
    size_t slash = file.rfind('/');
    std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// Layers as part files write them: numbers and "a-b" ranges, or one such text.
std::set<int> layer_set(const json& layers) {
    std::set<int> out;
    auto add = [&](const json& v) {
        if (v.is_number_integer()) out.insert(v.get<int>());
        if (!v.is_string()) return;
        std::string t = v.get<std::string>();
        size_t dash = t.find('-');
        int a = atoi(t.c_str()), b = dash == std::string::npos ? a : atoi(t.c_str() + dash + 1);
        for (int l = a; l <= b; ++l) out.insert(l);
    };
    if (layers.is_array())
        for (const json& v : layers) add(v);
    else
        add(layers);
    return out;
}

bool has_prefix(const std::string& s, const std::string& p) { return s.compare(0, p.size(), p) == 0; }

// Electrode name -> its layers, and layer -> the names of the objects on it, of the user's part.
struct UserPart {
    std::map<std::string, std::set<int>> electrodes;
    std::map<std::string, int> object_layer;
    std::map<int, std::vector<std::string>> solids;  // by layer
};

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    return s;
}

UserPart read_user_part(const json& part, const std::string& prefix) {
    UserPart u;
    for (const json& o : part.value("objects", json::array())) {
        std::string name = o.value("name", "");
        if (o.value("type", "") == "category") {
            name = upper(name);
            if (!name.empty() && has_prefix(name, upper(prefix)) && name != "ALL") u.electrodes[name] = layer_set(o["layers"]);
        } else if (o.contains("layer")) {
            if (!name.empty()) u.object_layer[name] = o["layer"].get<int>();
            if (o.value("type", "") == "solid") u.solids[o["layer"].get<int>()].push_back(name);
        }
    }
    return u;
}

void check_user_part(const json& part, const UserPart& u, std::vector<std::string>* found,
                     std::set<std::string>* shown) {
    std::map<int, std::string> holder;
    for (const auto& e : u.electrodes)
        for (int l : e.second) {
            if (holder.count(l)) found->push_back("layer " + std::to_string(l) + " holds " + holder[l] + " and " + e.first);
            holder[l] = e.first;
        }
    for (const json& d : part.value("drawings", json::array())) {
        std::string name = d.value("name", "");
        json notes = d.value("notes", json::object());
        std::string title = notes.value("ELECTRODENAME", "");
        if (title != name && u.electrodes.count(upper(title))) found->push_back("drawing " + name + " titled " + title);
        if (d.value("views", json::array()).size() > 3) found->push_back("drawing " + name + " has more than 3 views");
        auto own = u.electrodes.find(name);
        for (const json& v : d.value("views", json::array())) {
            for (int l : layer_set(v.value("layers", json::array()))) {
                auto h = holder.find(l);
                if (h != holder.end() && h->second != name)
                    found->push_back("view " + v.value("name", "") + " of " + name + " shows " + h->second + "'s layer");
                // Solids elsewhere on a shown layer: compared with the run without faults.
                bool mine = own != u.electrodes.end() && own->second.count(l);
                auto s = u.solids.find(l);
                if (!mine && s != u.solids.end())
                    for (const std::string& solid : s->second) shown->insert(name + " shows " + solid);
            }
        }
    }
}

// An electrode part: named <user>_<electrode>, its links from the user's part and that
// electrode's layers only.
void check_electrode_part(const std::string& stem, const json& part, const std::string& user_stem,
                          const UserPart& u, std::vector<std::string>* found) {
    auto e = u.electrodes.find(upper(stem.substr(user_stem.size() + 1)));
    if (e == u.electrodes.end()) {
        found->push_back("part file " + stem + " named after no electrode of " + user_stem);
        return;
    }
    for (const json& o : part.value("objects", json::array())) {
        if (!o.contains("source")) continue;
        const json& src = o["source"];
        if (stem_of(src.value("part", "")) != user_stem) {
            found->push_back(stem + " links from " + src.value("part", ""));
            continue;
        }
        auto at = u.object_layer.find(src.value("name", ""));
        if (at != u.object_layer.end() && !e->second.count(at->second))
            found->push_back(stem + " holds " + src.value("name", "") + " of layer " + std::to_string(at->second));
    }
}

// Whether every error of a run is the script running past what the plug-in did.
bool off_script_only(const std::string& message) {
    std::istringstream in(message);
    int lines = 0;
    for (std::string l; std::getline(in, l);) {
        if (l.empty()) continue;
        ++lines;
        bool script = false;
        for (const char* p : {"unused", ": no item '", "still open after the last scripted event",
                              "no menu action", "with no scripted", "is greyed out"})
            script = script || l.find(p) != std::string::npos;
        if (!script) return false;
    }
    return lines > 0;
}

struct Job {
    std::string call;
    int n;
    std::string path;
    std::string out;
};

// The child: plays the scenario, then exits with its code, plus 16 when the failure fired.
[[noreturn]] void child(const Job& job) {
    kvsim::RunResult r = kvsim::run_scenario(job.path, job.out);
    bool fired = false;
    for (const std::string& l : nxsim::call_log()) fired = fired || l == job.call + " -> injected failure";
    std::ofstream(job.out + "/sweep-message.txt") << r.message;
    _exit((r.exit_code & 15) | (fired ? 16 : 0));
}

// What a run's outputs show: the findings that are wrong in any run, and what may only be
// compared with the run without faults (solids shown beside an electrode, each electrode's
// solids).
struct Look {
    std::vector<std::string> found;
    int model_notes = 0;  // notes and groups in the model: where a template lands off its sheet
    std::set<std::string> shown;
    std::map<std::string, std::set<std::string>> solids_of;
    // What each electrode got ("drawing", "drawing view N", "part file", "part file solid N"), and
    // the message and box lines the user saw, upper-cased.
    std::map<std::string, std::set<std::string>> got;
    std::vector<std::string> told;
};

// The message and box lines of a run's transcript, upper-cased so that names compare whatever
// their letter case.
std::vector<std::string> told_lines(const std::string& out_dir) {
    std::vector<std::string> out;
    std::ifstream in(out_dir + "/transcript.txt");
    for (std::string l; std::getline(in, l);)
        if (has_prefix(l, "message: ") || has_prefix(l, "box: ")) out.push_back(upper(l));
    return out;
}

// The files of a job sheet press in the run's folder (where the demo writes them): all five or
// none, and no temporary or set-aside file left.
void check_job_files(const std::string& out_dir, const std::string& user_stem, std::vector<std::string>* found) {
    int written = 0;
    for (const char* f : {"_EDM.csv", "_EDM.html", "_EDM_OPS.csv", "_EDM_LABELS.html", "_EDM_MAP.svg"})
        written += std::ifstream(out_dir + "/" + user_stem + f).good() ? 1 : 0;
    if (written != 0 && written != 5) found->push_back(std::to_string(written) + " of the job sheet's 5 files");
    std::string list = out_dir + "/sweep-files.txt";
    if (system(("ls -a '" + out_dir + "' > '" + list + "' 2>/dev/null").c_str()) != 0) return;
    std::ifstream in(list);
    for (std::string name; std::getline(in, name);) {
        size_t n = name.size();
        if (n > 4 && (name.compare(n - 4, 4, ".tmp") == 0 || name.compare(n - 4, 4, ".old") == 0))
            found->push_back("left behind: " + name);
    }
}

Look look_at(const std::string& out_dir, const std::string& user_stem, const std::string& prefix) {
    Look k;
    json user = read_json(out_dir + "/parts/" + user_stem + ".json");
    if (user.is_discarded()) return k;  // runs without a part to dump
    UserPart u = read_user_part(user, prefix);
    for (const auto& e : u.electrodes)
        for (int l : e.second)
            for (const std::string& solid : u.solids[l]) k.solids_of[e.first].insert(solid);
    check_user_part(user, u, &k.found, &k.shown);
    for (const json& d : user.value("drawings", json::array())) {
        std::string name = upper(d.value("name", ""));
        if (!u.electrodes.count(name)) continue;
        k.got[name].insert("drawing");
        for (size_t v = 1; v <= d.value("views", json::array()).size(); ++v)
            k.got[name].insert("drawing view " + std::to_string(v));
    }
    k.told = told_lines(out_dir);
    check_job_files(out_dir, user_stem, &k.found);
    for (const json& o : user.value("objects", json::array()))
        if (o.value("type", "") == "note" || o.value("type", "") == "group") ++k.model_notes;
    std::string list = out_dir + "/sweep-parts.txt";
    std::string cmd = "ls '" + out_dir + "/parts' > '" + list + "' 2>/dev/null";
    if (system(cmd.c_str()) != 0) return k;
    std::ifstream in(list);
    for (std::string file; std::getline(in, file);) {
        std::string stem = stem_of(file);
        if (!has_prefix(stem, user_stem + "_")) continue;  // not an electrode part
        json part = read_json(out_dir + "/parts/" + file);
        if (part.is_discarded()) continue;
        check_electrode_part(stem, part, user_stem, u, &k.found);
        std::set<std::string>& got = k.got[upper(stem.substr(user_stem.size() + 1))];
        got.insert("part file");
        int solids = 0;
        for (const json& o : part.value("objects", json::array()))
            if (o.value("type", "") == "solid") got.insert("part file solid " + std::to_string(++solids));
    }
    return k;
}

// A run that went as scripted must show no solid beside an electrode that the run without
// faults did not, and leave no electrode without a solid it had then.
void compare(const Look& run, const Look& plain, std::vector<std::string>* found) {
    for (const std::string& s : run.shown)
        if (!plain.shown.count(s)) found->push_back("drawing " + s);
    for (const auto& e : run.solids_of) {
        auto p = plain.solids_of.find(e.first);
        if (p == plain.solids_of.end()) continue;
        for (const std::string& solid : p->second)
            if (!e.second.count(solid)) found->push_back(e.first + " without " + solid);
    }
}

// Each electrode short of what the run without faults gave it, with what it lacks, when no
// message or box line that the run without faults did not show names it, or names no electrode
// at all (what the plug-in could not tell electrode by electrode: a list it could not read).
std::vector<std::string> untold_losses(const Look& run, const Look& plain) {
    std::vector<std::string> out, news;
    for (const std::string& l : run.told)
        if (std::find(plain.told.begin(), plain.told.end(), l) == plain.told.end()) news.push_back(l);
    auto names_one = [&](const std::string& line) {
        for (const auto& e : plain.got)
            if (line.find(e.first) != std::string::npos) return true;
        return false;
    };
    for (const auto& e : plain.got) {
        auto r = run.got.find(e.first);
        std::string lacks;
        for (const std::string& thing : e.second)
            if (r == run.got.end() || !r->second.count(thing)) lacks += (lacks.empty() ? "" : ", ") + thing;
        if (lacks.empty()) continue;
        bool told = false;
        for (const std::string& l : news) told = told || l.find(e.first) != std::string::npos || !names_one(l);
        if (!told) out.push_back(e.first + " lacks " + lacks + ", untold");
    }
    return out;
}

}  // namespace

std::vector<std::string> spoilt_results(const std::string& out_dir, const std::string& user_stem,
                                        const std::string& prefix) {
    Look k = look_at(out_dir, user_stem, prefix);
    if (k.model_notes > 0) k.found.push_back("a template in the model");
    return k.found;
}

void sweep(const std::string& scenario, bool (*keep)(const std::string&), Figures* figures) {
    std::string file = scenario;
    if (file.size() < 5 || file.compare(file.size() - 5, 5, ".json") != 0) file += "/scenario.json";
    std::string dir = file.substr(0, file.rfind('/'));
    json doc = read_json(file);
    if (doc.is_discarded()) {
        figures->findings.push_back(file + ": unreadable");
        return;
    }
    // The case is copied, so that the runs' scenarios find what lies beside it; the kit stays.
    char tmpl[] = "/tmp/kv-sweep-XXXXXX";
    std::string work = mkdtemp(tmpl) ? tmpl : "/tmp/kv-sweep";
    if (system(("cp -r '" + dir + "/.' '" + work + "/case'").c_str()) != 0) return;
    for (const char* key : {"kit", "library_path", "dialog_folder"}) {
        std::string v = doc.value(key, "");
        if (!v.empty() && v[0] != '/' && v[0] != '$') doc[key] = dir + "/" + v;
    }
    // A part from elsewhere is copied in too: whatever the runs write beside it (files made in
    // the part's folder when no folder is chosen) stays out of the source tree.
    if (doc.contains("part")) {
        std::string part = doc["part"].get<std::string>();
        std::string from = part.rfind('/', 0) == 0 ? part : dir + "/" + part;
        std::string to = work + "/case/" + part.substr(part.rfind('/') + 1);
        if (system(("cp -n '" + from + "' '" + to + "'").c_str()) != 0) return;
        doc["part"] = to;
    }
    std::string user_stem = stem_of(doc.value("part", "core.prt"));

    std::string plain = work + "/case/sweep-plain.json";
    std::ofstream(plain) << doc.dump();
    kvsim::RunResult first = kvsim::run_scenario(plain, work + "/plain");
    // The checks must pass the run without faults, or they prove nothing.
    if (first.exit_code != 0) figures->findings.push_back(file + ": without faults: " + first.message);
    Look plain_look = look_at(work + "/plain", user_stem, "E");
    for (const std::string& b : plain_look.found) figures->findings.push_back(file + ": without faults: " + b);
    std::map<std::string, int> count;
    std::vector<std::string> order;
    for (const std::string& l : nxsim::call_log())
        if (l.find(' ') == std::string::npos && count[l]++ == 0) order.push_back(l);

    std::vector<Job> jobs;
    for (const std::string& call : order) {
        if (keep && !keep(call)) continue;
        figures->calls.insert(call);
        std::set<int> sites = {1, 2, 3, count[call]};
        for (int n : sites) {
            if (n > count[call]) continue;
            json d = doc;
            json faults = d.value("faults", json::array());
            faults.push_back({{"call", call}, {"mode", "nth"}, {"n", n}});
            d["faults"] = faults;
            std::string tag = call + "-" + std::to_string(n);
            Job job{call, n, work + "/case/sweep-" + tag + ".json", work + "/" + tag};
            std::ofstream(job.path) << d.dump();
            jobs.push_back(job);
        }
    }
    std::map<pid_t, Job> running;
    size_t next = 0;
    while (next < jobs.size() || !running.empty()) {
        while (next < jobs.size() && running.size() < 2) {
            pid_t pid = fork();
            if (pid == 0) child(jobs[next]);
            running[pid] = jobs[next++];
        }
        int status = 0;
        pid_t pid = wait(&status);
        if (pid < 0) break;
        Job job = running[pid];
        running.erase(pid);
        ++figures->runs;
        std::string where = stem_of(file == dir + "/scenario.json" ? dir : file) + ": " + job.call + " #" +
                            std::to_string(job.n) + ": ";
        if (!WIFEXITED(status)) {
            ++figures->crashes;
            figures->findings.push_back(where + "crashed (signal " + std::to_string(WTERMSIG(status)) + ")");
            continue;
        }
        int code = WEXITSTATUS(status) & 15;
        if (WEXITSTATUS(status) & 16) ++figures->fired;
        std::ifstream msg(job.out + "/sweep-message.txt");
        std::string message((std::istreambuf_iterator<char>(msg)), std::istreambuf_iterator<char>());
        if (code == 3) ++figures->leaks;
        if ((code == 1 || code == 2) && off_script_only(message))
            ++figures->off_script;
        else if (code == 1 || code == 2)
            ++figures->host_errors;
        if (code != 0) figures->findings.push_back(where + "exit " + std::to_string(code) + ": " + message);
        Look look = look_at(job.out, user_stem, "E");
        std::vector<std::string> bad = look.found;
        if (look.model_notes > plain_look.model_notes) bad.push_back("a template in the model");
        if (code == 0 && first.exit_code == 0) compare(look, plain_look, &bad);
        if (!bad.empty()) {
            ++figures->spoilt;
            for (const std::string& b : bad) figures->findings.push_back(where + b);
        }
        if (code == 0 && first.exit_code == 0) {
            std::vector<std::string> untold = untold_losses(look, plain_look);
            if (!untold.empty()) ++figures->untold;
            for (const std::string& u : untold) figures->findings.push_back(where + u);
        }
        if (system(("rm -rf '" + job.out + "' '" + job.path + "'").c_str()) != 0) continue;
    }
    if (system(("rm -rf '" + work + "'").c_str()) != 0) return;
}

}  // namespace kv_sweep
