// The whole flow of the demo for a part of N electrode bodies, measured from outside as a mould
// maker meets it: one kelvora-sim run that assigns every electrode in the layer dialog (one pick
// and one Apply each), writes every electrode part file from the create dialog, and draws every
// electrode in one batch of the drawing dialog. The layer range is 2-256 (--layers sets another),
// so up to 255 electrodes fit. Each N runs several times in a child process; the medians of the wall time, the time per
// electrode and the child's peak memory are printed, with the cost per electrode at each N
// against the smallest N. The NX calls the plug-in made (kelvora-sim's --stats) are printed per
// electrode beside the time, then every call whose count per electrode grows by more than 5 %
// from the smallest to the largest N (such a call makes the whole flow grow with N squared).
// --top K lists the K most frequent calls per electrode at each N; --dialog counts the calls of
// opening the drawing dialog and one refresh of its list with every electrode selected.
//   kelvora-flow-bench [--sim PATH] [--n 10,100,255] [--runs R] [--layers FIRST-LAST] [--top K] [--dialog 1]
// A timed run, not a Google Benchmark: the peak memory of each N wants a process of its own.
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::json;

void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The kit with the layer range widened to first-last (the bodies start on layer 1).
void make_kit(const std::string& root, int first, int last) {
    std::system(("rm -rf '" + root + "/kit' && cp -r '" KV_SOURCE_DIR "/kit' '" + root + "/kit'").c_str());
    std::string cfg = read(root + "/kit/data/config.dat");
    auto set = [&](const std::string& key, const std::string& value) {
        size_t at = cfg.find("\n" + key + " =");
        if (at == std::string::npos) return;
        size_t end = cfg.find('\n', at + 1);
        cfg.replace(at + 1, end - at - 1, key + " = " + value);
    };
    set("ELECTRODE_START_LAYER", std::to_string(first));
    set("ELECTRODE_END_LAYER", std::to_string(last));
    write(root + "/kit/data/config.dat", cfg);
}

// n electrodes of the demo's first kind (a base block on a narrower tip), ten to a row, each with
// its coordinate system at the base's underside.
std::string make_case(const std::string& root, int n) {
    std::ostringstream part;
    part << "{ \"format\": \"nxsim-part\", \"version\": 1, \"objects\": [\n";
    int id = 1;
    for (int i = 0; i < n; ++i) {
        double x = 80.0 * (i % 10), y = 80.0 * (i / 10);
        part << (i ? ",\n" : "") << "{ \"id\": " << id++ << ", \"type\": \"solid\", \"name\": \"B" << i + 1
             << "\", \"layer\": 1, \"shape\": { \"union\": [ { \"box\": { \"origin\": [" << x - 20 << ", " << y - 15
             << ", 25], \"size\": [40, 30, 15] } }, { \"box\": { \"origin\": [" << x - 15 << ", " << y - 10
             << ", 0], \"size\": [30, 20, 25] } } ] } }";
        part << ",\n{ \"id\": " << id++ << ", \"type\": \"csys\", \"name\": \"C" << i + 1
             << "\", \"layer\": 1, \"origin\": [" << x << ", " << y << ", 25], \"matrix\": [1, 0, 0, 0, 1, 0, 0, 0, 1] }";
    }
    part << "\n] }\n";
    std::string dir = root + "/n" + std::to_string(n);
    std::system(("mkdir -p '" + dir + "'").c_str());
    write(dir + "/core.prt", part.str());

    std::ostringstream picks, names;
    for (int i = 1; i <= n; ++i) {
        picks << "{ \"press\": \"ACTION_2\", \"answers\": [ { \"select\": [\"B" << i << "\", \"C" << i
              << "\"] } ] }, \"apply\",\n";
        char name[16];
        snprintf(name, sizeof name, "E%02d", i);
        names << (i > 1 ? ", " : "") << '"' << name << '"';
    }
    std::ostringstream s;
    s << "{ \"kit\": \"" << root << "/kit\", \"part\": \"core.prt\", \"steps\": [\n"
      << "{ \"action\": \"KELVORA_LAYER\", \"events\": [\n" << picks.str() << "\"cancel\" ] },\n"
      << "{ \"action\": \"KELVORA_CREATE\", \"events\": [\n"
      << "  { \"press\": \"ACTION_1\", \"answers\": [ { \"folder\": \"${OUT}/electrodes\" } ] },\n"
      << "  { \"press\": \"ACTION_5\" }, \"ok\" ] },\n"
      << "{ \"action\": \"KELVORA_DRAFT\", \"events\": [\n"
      << "  { \"select\": \"ELEC_MLIST\", \"items\": [" << names.str() << "] },\n"
      << "  { \"press\": \"OK_ACTION\" }, \"ok\" ] } ] }\n";
    write(dir + "/scenario.json", s.str());

    // The layer step, then the drawing dialog opened, its list refreshed with every electrode
    // selected, and closed.
    std::ostringstream d;
    d << "{ \"kit\": \"" << root << "/kit\", \"part\": \"core.prt\", \"steps\": [\n"
      << "{ \"action\": \"KELVORA_LAYER\", \"events\": [\n" << picks.str() << "\"cancel\" ] },\n"
      << "{ \"action\": \"KELVORA_DRAFT\", \"events\": [\n"
      << "  { \"select\": \"ELEC_MLIST\", \"items\": [" << names.str() << "] }, \"cancel\" ] } ] }\n";
    write(dir + "/dialog.json", d.str());
    return dir;
}

struct Run {
    double seconds = 0;
    long peak_kb = 0;
    int status = -1;
};

// kelvora-sim's call statistics of a run (--stats), or null when they cannot be read.
json read_stats(const std::string& path) {
    json j = json::parse(read(path), nullptr, false);
    return j.is_discarded() || !j.is_object() || !j.contains("calls") ? json() : j;
}

Run run_once(const std::string& sim, const std::string& dir, const std::string& scenario_file = "scenario.json") {
    std::system(("rm -rf '" + dir + "/out'").c_str());
    Run r;
    timeval t0, t1;
    fflush(stdout);
    gettimeofday(&t0, nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen((dir + "/stderr.txt").c_str(), "w", stderr)) _exit(127);
        std::string scenario = dir + "/" + scenario_file, out = dir + "/out";
        std::string stats = dir + "/" + (scenario_file == "scenario.json" ? "" : "dialog-") + "stats.json";
        execl(sim.c_str(), sim.c_str(), "run", scenario.c_str(), "--out", out.c_str(), "--stats", stats.c_str(),
              (char*)nullptr);
        _exit(127);
    }
    int status = 0;
    rusage use{};
    if (pid < 0 || wait4(pid, &status, 0, &use) < 0) return r;
    gettimeofday(&t1, nullptr);
    r.seconds = (double)(t1.tv_sec - t0.tv_sec) + (t1.tv_usec - t0.tv_usec) / 1e6;
    r.peak_kb = use.ru_maxrss;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

template <class T>
T median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The K most frequent calls per electrode at each N.
void print_top(const std::vector<std::pair<int, json>>& stats, int k) {
    for (auto& s : stats) {
        if (k <= 0) break;
        std::vector<std::pair<int, std::string>> rows;
        for (auto& c : s.second["calls"].items()) rows.push_back({c.value().get<int>(), c.key()});
        std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
        printf("top %d NX calls at N=%d (per electrode):\n", k, s.first);
        for (int i = 0; i < k && i < (int)rows.size(); ++i)
            printf("  %-40s %10.1f\n", rows[i].second.c_str(), (double)rows[i].first / s.first);
    }
}

// Calls whose count per electrode grows by more than 5 % from the smallest to the largest N.
void print_growing(const std::vector<std::pair<int, json>>& stats) {
    if (stats.size() < 2) return;
    const auto& lo = stats.front();
    const auto& hi = stats.back();
    std::map<std::string, std::pair<double, double>> per;  // call -> per electrode at lo, hi
    for (auto& c : lo.second["calls"].items()) per[c.key()].first = c.value().get<double>() / lo.first;
    for (auto& c : hi.second["calls"].items()) per[c.key()].second = c.value().get<double>() / hi.first;
    int grown = 0;
    for (auto& p : per) {
        if (p.second.second <= p.second.first * 1.05) continue;
        if (!grown++) printf("NX calls whose count per electrode grows by more than 5%% from N=%d to N=%d:\n", lo.first, hi.first);
        printf("  %-40s %10.1f -> %10.1f\n", p.first.c_str(), p.second.first, p.second.second);
    }
    if (!grown) printf("no NX call's count per electrode grows by more than 5%% from N=%d to N=%d\n", lo.first, hi.first);
}

}  // namespace

int main(int argc, char** argv) {
    std::string sim = KV_SIM_PATH;
    std::vector<int> counts = {10, 100, 255};
    int runs = 3;
    int first_layer = 2, last_layer = 256;
    int top = 0;
    bool dialog = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--sim")) sim = argv[i + 1];
        else if (!strcmp(argv[i], "--runs")) runs = std::max(1, atoi(argv[i + 1]));
        else if (!strcmp(argv[i], "--top")) top = std::max(0, atoi(argv[i + 1]));
        else if (!strcmp(argv[i], "--dialog")) dialog = atoi(argv[i + 1]) != 0;
        else if (!strcmp(argv[i], "--layers")) {
            if (sscanf(argv[i + 1], "%d-%d", &first_layer, &last_layer) != 2 || first_layer < 1 || last_layer > 256 || first_layer > last_layer) {
                fprintf(stderr, "flow-bench: --layers wants FIRST-LAST within 1-256\n");
                return 2;
            }
        }
        else if (!strcmp(argv[i], "--n")) {
            counts.clear();
            for (const char* p = argv[i + 1]; *p;) {
                int n = atoi(p);
                if (n < 1 || n > 255) {
                    fprintf(stderr, "flow-bench: N must lie in 1-255\n");
                    return 2;
                }
                counts.push_back(n);
                p = strchr(p, ',');
                if (!p) break;
                ++p;
            }
        } else {
            fprintf(stderr, "usage: kelvora-flow-bench [--sim PATH] [--n 10,100,255] [--runs R] [--layers 2-256] [--top K] [--dialog 1]\n");
            return 2;
        }
    }
    char tmpl[] = "/dev/shm/kv-flow-bench-XXXXXX";
    char fallback[] = "/tmp/kv-flow-bench-XXXXXX";
    char* made = mkdtemp(tmpl);
    if (!made) made = mkdtemp(fallback);
    if (!made) return 1;
    std::string root = made;
    make_kit(root, first_layer, last_layer);

    printf("%-5s %10s %14s %12s %12s %10s %12s %12s\n", "N", "median s", "ms/electrode", "vs first N", "peak MB",
           "MB/elec", "NX calls", "calls/elec");
    double first = 0;
    int rc = 0;
    std::vector<std::pair<int, json>> stats;  // each N's call counts (the last run's: they do not vary)
    std::vector<std::pair<int, long>> dialog_calls;
    for (int n : counts) {
        std::string dir = make_case(root, n);
        std::vector<double> secs;
        std::vector<long> peaks;
        for (int k = 0; k < runs; ++k) {
            Run r = run_once(sim, dir);
            if (r.status != 0) {
                fprintf(stderr, "flow-bench: N=%d: kelvora-sim ended with %d:\n%s", n, r.status,
                        read(dir + "/stderr.txt").c_str());
                rc = 1;
                break;
            }
            secs.push_back(r.seconds);
            peaks.push_back(r.peak_kb);
        }
        if (secs.empty()) break;
        json st = read_stats(dir + "/stats.json");
        long total = st.is_null() ? 0 : st.value("total", 0L);
        double per = median(secs) / n * 1000.0;
        if (first == 0) first = per;
        double mb = median(peaks) / 1024.0;
        printf("%-5d %10.3f %14.2f %11.2fx %12.1f %10.3f %12ld %12.1f\n", n, median(secs), per, per / first, mb, mb / n,
               total, (double)total / n);
        fflush(stdout);
        if (!st.is_null()) stats.push_back({n, st});
        if (dialog) {
            Run r = run_once(sim, dir, "dialog.json");
            json ds = read_stats(dir + "/dialog-stats.json");
            if (r.status == 0 && !ds.is_null() && ds["steps"].size() >= 3) dialog_calls.push_back({n, ds["steps"][2].value("total", 0L)});
        }
    }
    print_top(stats, top);
    print_growing(stats);
    for (auto& d : dialog_calls)
        printf("drawing dialog, opened and its list refreshed with %d electrodes selected: %ld NX calls\n", d.first, d.second);
    if (!getenv("KV_FLOW_BENCH_KEEP")) std::system(("rm -rf '" + root + "'").c_str());
    else fprintf(stderr, "flow-bench: cases and outputs kept in %s\n", root.c_str());
    return rc;
}
