// The whole drawing batch of the drawing dialog's OK for 10 and for 100 electrodes of the demo
// kind (a base block on a narrower tip, the ECS at the middle of the base's underside): model
// views and reference geometry, the sheets from the kit's template with their views, title
// blocks and dimensions, then every sheet rendered as SVG. Reported per electrode, for each step
// and in all, with the peak memory of the process; 100 electrodes should take at most 12 times
// as long as 10.
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release && ninja -C build-rel kelvora-sheets-bench
//   build-rel/bench/kelvora-sheets-bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "drawing/drawing_batch.h"
#include "drawing/electrode_record.h"
#include "drawing/model_views.h"
#include "nx.h"
#include "nxsim/nxsim.h"

namespace {

// n demo electrodes on layers 101 onwards, ten to a row, 80 apart.
std::string demo_part(int n) {
    std::ostringstream o;
    o << R"({ "format": "nxsim-part", "version": 1, "objects": [)";
    int id = 1;
    for (int i = 0; i < n; ++i) {
        double x = 80.0 * (i % 10), y = 80.0 * (i / 10);
        char name[16];
        snprintf(name, sizeof name, "E%03d", i + 1);
        o << (i ? "," : "") << R"({ "id": )" << id++ << R"(, "type": "category", "name": ")" << name
          << R"(", "layers": [)" << 101 + i << "] }";
        o << R"(, { "id": )" << id++ << R"(, "type": "solid", "layer": )" << 101 + i
          << R"(, "shape": { "union": [ { "box": { "origin": [)" << x - 20 << "," << y - 15
          << R"(, 0], "size": [40, 30, 15] } }, { "box": { "origin": [)" << x - 15 << "," << y - 10
          << R"(, -25], "size": [30, 20, 25] } } ] } })";
        o << R"(, { "id": )" << id++ << R"(, "type": "csys", "name": ")" << name << R"(_CSYS", "layer": )" << 101 + i
          << R"(, "origin": [)" << x << "," << y << R"(, 0], "matrix": [1,0,0, 0,1,0, 0,0,1] })";
    }
    o << "] }";
    return o.str();
}

// Processor time of this process: the machine is shared, and waiting for it is not the batch's.
double cpu_seconds() {
    struct timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec + 1e-9 * (double)t.tv_nsec;
}

double peak_megabytes() {
    struct rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;  // kilobytes on Linux
}

void BM_DrawingBatch(benchmark::State& state) {
    const int n = (int)state.range(0);
    std::string dir = "/tmp/kelvora-sheets-bench-" + std::to_string(getpid());
    std::string part = dir + "/core.prt";
    system(("mkdir -p " + dir).c_str());
    std::ofstream(part) << demo_part(n);
    double prepare = 0, drawings = 0, svg = 0;
    size_t svg_bytes = 0;
    for (auto _ : state) {
        nxsim::reset();
        nxsim::set_env("KELVORA_PATH", KV_SOURCE_DIR "/kit");
        std::string err;
        if (nxsim::open_part(part, &err) != 0) {
            state.SkipWithError(err.c_str());
            break;
        }
        UF_initialize();
        electrode_record* list = build_electrode_list();
        for (electrode_record* r = list; r; r = r->next) {
            r->selected = 1;
            find_electrode_csys(r->data.electrode_name, &r->data.ecs_tag);
        }
        double t = cpu_seconds();
        prepare_electrode_views(list);
        prepare += cpu_seconds() - t;
        t = cpu_seconds();
        drawing_pass(list);
        make_all_layers_selectable();
        drawings += cpu_seconds() - t;
        free_electrode_list(list);
        UF_terminate();
        t = cpu_seconds();
        std::vector<nxsim::SheetImage> sheets = nxsim::render_sheets();
        svg += cpu_seconds() - t;
        if ((int)sheets.size() != n) state.SkipWithError("not every electrode got its sheet");
        svg_bytes = 0;
        for (auto& s : sheets) svg_bytes += s.svg.size();
        if (!nxsim::leaks().empty()) state.SkipWithError("memory handed out by NX was not released");
    }
    double runs = (double)state.iterations();
    state.counters["prepare_ms_per_electrode"] = 1000 * prepare / runs / n;
    state.counters["drawing_ms_per_electrode"] = 1000 * drawings / runs / n;
    state.counters["svg_ms_per_electrode"] = 1000 * svg / runs / n;
    state.counters["total_ms_per_electrode"] = 1000 * (prepare + drawings + svg) / runs / n;
    state.counters["svg_kB_per_sheet"] = svg_bytes / 1024.0 / n;
    state.counters["peak_MB"] = peak_megabytes();
    system(("rm -rf " + dir).c_str());
}

}  // namespace

BENCHMARK(BM_DrawingBatch)->Arg(10)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawingBatch)->Arg(50)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawingBatch)->Arg(100)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
