// The job sheet of 10, 100 and 255 electrodes (as many as a part has layers for), each a block
// with a cylinder boss turned to its own coordinate system: the whole button (datum, placements,
// plane-probe boxes, stock, the five files written and replaced, and the shipped export
// templates' two files), the writers alone, and the export templates alone.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "drawing/job_export.h"
#include "drawing/job_map.h"
#include "drawing/job_labels.h"
#include "drawing/job_ops.h"
#include "drawing/job_sheet.h"
#include "nx.h"
#include "nxsim/nxsim.h"

namespace {

std::string g_root;

const char kConfig[] =
    "ELECTRODE_PREFIX_NAME=E\n"
    "ELECTRODE_START_LAYER=2\n"
    "ELECTRODE_END_LAYER=256\n"
    "EDM_DATUM_CSYS=EDM_DATUM\n"
    "ELECTRODE_STOCK_LIST=20x20x50,30x20x50,30x30x60,40x30x60,40x40x60,50x40x80,60x50x80,80x60x100,\n"
    "EDM_EXPORT_TEMPLATES=EDM_BURN_LIST.tpl,EDM_JOB_INI.tpl,\n";

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// n electrodes on a grid ten wide, each turned 9 degrees more than the one before, electrode i on
// layer 2 + i.
std::string bench_part(int n) {
    std::string objs =
        R"({ "id": 1, "type": "csys", "name": "EDM_DATUM", "layer": 1, "origin": [-10, -10, 0], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] })";
    for (int i = 0; i < n; ++i) {
        double r = i * 9 * 3.14159265358979323846 / 180, c = cos(r), s = sin(r);
        double x = (i % 10) * 80.0, y = (i / 10) * 80.0;
        char buf[1024];
        snprintf(buf, sizeof buf,
                 R"(, { "id": %d, "type": "category", "name": "E%03d", "layers": [%d] },
  { "id": %d, "type": "solid", "layer": %d, "shape": { "place": { "origin": [%g, %g, 10], "x": [%.17g, %.17g, 0], "y": [%.17g, %.17g, 0] },
      "shape": { "union": [ { "box": { "origin": [-15, -10, 0], "size": [30, 20, 8] } },
                            { "cylinder": { "origin": [0, 0, 8], "radius": 6, "height": 12 } } ] } } },
  { "id": %d, "type": "csys", "name": "E%03d_CSYS", "layer": %d, "origin": [%g, %g, 10], "matrix": [%.17g, %.17g, 0, %.17g, %.17g, 0, 0, 0, 1] })",
                 3 * i + 2, i + 1, 2 + i, 3 * i + 3, 2 + i, x, y, c, s, -s, c, 3 * i + 4, i + 1, 2 + i, x, y,
                 c, s, -s, c);
        objs += buf;
    }
    return R"({ "format": "nxsim-part", "version": 1, "objects": [ )" + objs + " ] }";
}

electrode_record* open_bench_part(int n) {
    nxsim::reset();
    nxsim::set_env("KELVORA_PATH", g_root + "/tool");
    std::string path = g_root + "/jobs" + std::to_string(n) + ".prt";
    write(path, bench_part(n));
    std::string err;
    if (nxsim::open_part(path, &err) != 0) {
        fprintf(stderr, "%s\n", err.c_str());
        abort();
    }
    UF_initialize();
    return build_electrode_list();
}

void BM_JobSheetButton(benchmark::State& state) {
    electrode_record* head = open_bench_part((int)state.range(0));
    for (auto _ : state)
        if (write_job_sheet(head, g_root.c_str()) != 0) state.SkipWithError("job sheet not written");
    state.counters["ms_per_sheet"] =
        benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    free_electrode_list(head);
    UF_terminate();
}
BENCHMARK(BM_JobSheetButton)->Arg(10)->Arg(100)->Arg(255)->Unit(benchmark::kMillisecond);

// The five writers of n electrodes' sheet (the operations, labels and map of 4 pieces each): for
// 255 electrodes, well under a second.
void BM_JobSheetWriters(benchmark::State& state) {
    electrode_record* head = open_bench_part((int)state.range(0));
    for (electrode_record* r = head; r; r = r->next) r->data.coarse_count = r->data.supr_coarse_count = 1, r->data.fine_count = 2;
    job_sheet sheet;
    gather_job_sheet(head, &sheet);
    if (make_job_ops(&sheet, nullptr, 0) != 0) state.SkipWithError("no operations");
    const job_writer writers[] = {write_job_csv, write_job_html, write_job_ops_csv, write_job_labels_html, write_job_map_svg};
    const char* names[] = {"/w.csv", "/w.html", "/w_OPS.csv", "/w_LABELS.html", "/w_MAP.svg"};
    for (auto _ : state)
        for (int i = 0; i < 5; ++i) write_replacing((g_root + names[i]).c_str(), writers[i], &sheet);
    state.counters["operations"] = sheet.op_count;
    free_job_sheet(&sheet);
    free_electrode_list(head);
    UF_terminate();
}
BENCHMARK(BM_JobSheetWriters)->Arg(100)->Arg(255)->Unit(benchmark::kMillisecond);

// The shipped burn list and INI job file of n electrodes (4 pieces each): each template read,
// checked, filled and its file replaced. For 255 electrodes, well under a second.
void BM_ExportTemplates(benchmark::State& state) {
    electrode_record* head = open_bench_part((int)state.range(0));
    for (electrode_record* r = head; r; r = r->next) r->data.coarse_count = r->data.supr_coarse_count = 1, r->data.fine_count = 2;
    job_sheet sheet;
    gather_job_sheet(head, &sheet);
    if (make_job_ops(&sheet, nullptr, 0) != 0) state.SkipWithError("no operations");
    for (auto _ : state)
        if (write_export_files(&sheet, g_root.c_str(), nullptr, 0) != 2) state.SkipWithError("export files not written");
    state.counters["operations"] = sheet.op_count;
    free_job_sheet(&sheet);
    free_electrode_list(head);
    UF_terminate();
}
BENCHMARK(BM_ExportTemplates)->Arg(100)->Arg(255)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    char tmpl[] = "/tmp/kv-job-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    g_root = tmpl;
    mkdir((g_root + "/tool").c_str(), 0755);
    mkdir((g_root + "/tool/data").c_str(), 0755);
    write(g_root + "/tool/data/config.dat", kConfig);
    for (const char* t : {"EDM_BURN_LIST.tpl", "EDM_JOB_INI.tpl"})
        write(g_root + "/tool/data/" + t, read(std::string(KV_SOURCE_DIR) + "/kit/data/" + t));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    system(("rm -rf '" + g_root + "'").c_str());
    return 0;
}
