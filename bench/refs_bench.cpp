// The electrode box and the model views at batch scale. For three kinds of electrode, each turned
// and tilted 30 degrees to its coordinate system, build_dimension_references is timed per electrode and its
// plane probes are counted against the bound of the search (per extent at most eleven scan probes
// and log2(range / 0.0003) bisections, the range being NX's loose box); the NX calls are timed too,
// so that the share of the time the plug-in itself takes shows. Then a batch of 100 electrodes
// with a cylinder boss is prepared as the drawing dialog's OK does (views and references).
//   (a) a block  (b) a block with a cylinder boss  (c) a B-spline electrode read from STEP
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "drawing/dimension_refs.h"
#include "drawing/measure.h"
#include "electrode/electrode.h"
#include "drawing/model_views.h"
#include "drawing/wcs.h"
#include "nx.h"
#include "nxsim/nxsim.h"

namespace {

// Time spent inside the host's calls (outermost call only).
double g_host_seconds = 0;
int g_depth = 0;

struct HostTimer {
    std::chrono::steady_clock::time_point start;
    HostTimer() {
        if (g_depth++ == 0) start = std::chrono::steady_clock::now();
    }
    ~HostTimer() {
        if (--g_depth == 0)
            g_host_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

}  // namespace

// Each NX call the preparation makes is wrapped: the bench's definition takes the plug-in's call,
// times it and hands it on to the host library's own.
#define KV_TIMED(ret, name, params, args)                                           \
    extern "C" ret name params {                                                    \
        static auto real = reinterpret_cast<ret(*) params>(dlsym(RTLD_NEXT, #name)); \
        HostTimer timer;                                                            \
        return real args;                                                           \
    }

KV_TIMED(tag_t, UF_ASSEM_ask_work_part, (void), ())
KV_TIMED(int, UF_CSYS_ask_wcs, (tag_t *wcs_id), (wcs_id))
KV_TIMED(int, UF_CSYS_ask_csys_info, (tag_t csys_id, tag_t *matrix_id, double csys_origin[3]), (csys_id, matrix_id, csys_origin))
KV_TIMED(int, UF_CSYS_ask_matrix_values, (tag_t matrix_id, double matrix_values[9]), (matrix_id, matrix_values))
KV_TIMED(int, UF_CSYS_create_matrix, (const double matrix_values[9], tag_t *matrix_id), (matrix_values, matrix_id))
KV_TIMED(int, UF_CSYS_create_temp_csys, (const double csys_origin[3], tag_t matrix_id, tag_t *csys_id), (csys_origin, matrix_id, csys_id))
KV_TIMED(int, UF_CSYS_set_wcs, (tag_t csys_id), (csys_id))
KV_TIMED(int, UF_CSYS_map_point, (int input_csys, double input_point[3], int output_csys, double output_point[3]), (input_csys, input_point, output_csys, output_point))
KV_TIMED(int, UF_CURVE_create_arc, (UF_CURVE_arc_p_t arc_coords, tag_t *arc), (arc_coords, arc))
KV_TIMED(int, UF_CURVE_create_line, (UF_CURVE_line_p_t line_coords, tag_t *line), (line_coords, line))
KV_TIMED(int, UF_DISP_set_display, (int display_code), (display_code))
KV_TIMED(int, UF_LAYER_ask_category_info, (tag_t category, UF_LAYER_category_info_p_t category_info), (category, category_info))
KV_TIMED(int, UF_LAYER_ask_category_tag, (char *category_name, tag_t *category), (category_name, category))
KV_TIMED(int, UF_LAYER_cycle_by_layer, (int layer_number, tag_t *object_tag), (layer_number, object_tag))
KV_TIMED(int, UF_LAYER_set_status, (const int layer_number, const int layer_status), (layer_number, layer_status))
KV_TIMED(int, UF_MODL_ask_bounding_box_aligned, (tag_t object, tag_t csys_tag, logical expand, double min_corner[3], double directions[3][3], double distances[3]), (object, csys_tag, expand, min_corner, directions, distances))
KV_TIMED(int, UF_MODL_ask_list_count, (uf_list_p_t list, int *count), (list, count))
KV_TIMED(int, UF_MODL_ask_list_item, (uf_list_p_t list, int index, tag_t *object), (list, index, object))
KV_TIMED(int, UF_MODL_create_fixed_dplane, (double point[3], double direction[3], tag_t *dplane_tag), (point, direction, dplane_tag))
KV_TIMED(int, UF_MODL_create_list, (uf_list_p_t *list), (list))
KV_TIMED(int, UF_MODL_delete_list, (uf_list_p_t *list), (list))
KV_TIMED(int, UF_MODL_intersect_objects, (tag_t object_1, tag_t object_2, double tolerance, int *num_intersections, UF_MODL_intersect_info_p_t **intersections), (object_1, object_2, tolerance, num_intersections, intersections))
KV_TIMED(int, UF_MODL_put_list_item, (uf_list_p_t list, tag_t obj_id), (list, obj_id))
KV_TIMED(void, UF_MTX3_mtx4, (const double mtx_3D[9], double mtx_4D[16]), (mtx_3D, mtx_4D))
KV_TIMED(void, UF_MTX3_multiply, (const double mtx1[9], const double mtx2[9], double mtx_product[9]), (mtx1, mtx2, mtx_product))
KV_TIMED(void, UF_MTX3_vec_multiply, (const double vec[3], const double mtx[9], double vec_product[3]), (vec, mtx, vec_product))
KV_TIMED(void, UF_MTX3_x_vec, (const double mtx[9], double x_vec[3]), (mtx, x_vec))
KV_TIMED(void, UF_MTX3_y_vec, (const double mtx[9], double y_vec[3]), (mtx, y_vec))
KV_TIMED(void, UF_MTX3_z_vec, (const double mtx[9], double z_vec[3]), (mtx, z_vec))
KV_TIMED(int, UF_MTX4_invert, (const double mtx_in[16], double mtx_out[16]), (mtx_in, mtx_out))
KV_TIMED(int, UF_OBJ_ask_name, (tag_t object_id, char *name), (object_id, name))
KV_TIMED(int, UF_OBJ_ask_type_and_subtype, (tag_t object_id, int *type, int *subtype), (object_id, type, subtype))
KV_TIMED(int, UF_OBJ_cycle_by_name_and_type, (tag_t part_tag, const char *name, int type, logical use_occ, tag_t *object), (part_tag, name, type, use_occ, object))
KV_TIMED(int, UF_OBJ_delete_array_of_objects, (int num_objects, tag_t object_id[], int **statuses), (num_objects, object_id, statuses))
KV_TIMED(int, UF_OBJ_set_blank_status, (tag_t object_id, int blank_status), (object_id, blank_status))
KV_TIMED(int, UF_OBJ_set_name, (tag_t object_id, const char *name), (object_id, name))
KV_TIMED(int, UF_UNDO_delete_mark, (UF_UNDO_mark_id_t mark_id, UF_UNDO_mark_name_t mark_name), (mark_id, mark_name))
KV_TIMED(int, UF_UNDO_set_mark, (UF_UNDO_user_visibility_t visibility, UF_UNDO_mark_name_t mark_name, UF_UNDO_mark_id_t *mark_id), (visibility, mark_name, mark_id))
KV_TIMED(int, UF_UNDO_undo_to_mark, (UF_UNDO_mark_id_t mark_id, UF_UNDO_mark_name_t mark_name), (mark_id, mark_name))
KV_TIMED(int, UF_VIEW_ask_tag_of_view_name, (char *view_name, tag_t *view_tag), (view_name, view_tag))
KV_TIMED(void, UF_free, (void *data), (data))
KV_TIMED(int, uc6432, (char *cp1, int ip2), (cp1, ip2))
KV_TIMED(int, uc6433, (char *cp1, double *rr2), (cp1, rr2))
KV_TIMED(int, uc6434, (char *cp1, int ip2, tag_t np3, double rp4[6]), (cp1, ip2, np3, rp4))
KV_TIMED(int, uc6450, (const char *cp1, const char *cp2, const int ip3, const int ip4), (cp1, cp2, ip3, ip4))
KV_TIMED(int, uc6454, (char *cp1), (cp1))
KV_TIMED(int, uc6464, (const char *layout_name, const char *old_view_name, const char *new_view_name), (layout_name, old_view_name, new_view_name))
KV_TIMED(int, UF_translate_variable, (const char *variable, char **translation), (variable, translation))
KV_TIMED(int, UF_OBJ_cycle_objs_in_part, (tag_t part_tag, int type, tag_t *object), (part_tag, type, object))

namespace {

std::string g_root;

const char kConfig[] =
    "ELECTRODE_PREFIX_NAME=E\n"
    "ELECTRODE_START_LAYER=101\n"
    "ELECTRODE_END_LAYER=200\n"
    "ELECTRODE_ONLY_DISPLAY_ELECT=1\n";

enum Kind { BLOCK, BOSS, BSPLINE };

std::string shape_of(Kind kind) {
    switch (kind) {
        case BLOCK: return R"({ "box": { "origin": [-15, -10, 0], "size": [30, 20, 8] } })";
        case BOSS:
            return R"({ "union": [ { "box": { "origin": [-15, -10, 0], "size": [30, 20, 8] } },
                                   { "cylinder": { "origin": [15, 0, 0], "radius": 6, "height": 20 } } ] })";
        case BSPLINE: return R"({ "step": ")" + std::string(KV_SOURCE_DIR) + R"(/tests/unit/data/refs_bspline_electrode.step" })";
    }
    return "";
}

// n electrodes E001.. on layers 101.., each body turned 30 degrees about Z and tilted 30 degrees
// about its new X axis inside its ECS, which is only moved: the electrode stands 30 degrees to the
// ECS (and to the WCS), so NX's loose box brackets its curved faces from outside.
std::string bench_part(Kind kind, int n) {
    std::string objs;
    int id = 1;
    for (int i = 0; i < n; ++i) {
        char name[16];
        snprintf(name, sizeof name, "E%03d", i + 1);
        double x = (i % 10) * 100.0, y = (i / 10) * 100.0;
        char buf[1024];
        snprintf(buf, sizeof buf,
                 R"(%s{ "id": %d, "type": "category", "name": "%s", "layers": [%d] },
  { "id": %d, "type": "solid", "layer": %d, "shape": { "place": { "origin": [%g, %g, 0],
      "x": [0.86602540378443865, 0.5, 0], "y": [-0.43301270189221932, 0.75, 0.5] }, "shape": )",
                 i ? ",\n  " : "", id, name, 101 + i, id + 1, 101 + i, x, y);
        objs += buf;
        objs += shape_of(kind);
        snprintf(buf, sizeof buf,
                 R"( } },
  { "id": %d, "type": "csys", "name": "%s_CSYS", "layer": %d, "origin": [%g, %g, 0], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] })",
                 id + 2, name, 101 + i, x, y);
        objs += buf;
        id += 3;
    }
    return R"({ "format": "nxsim-part", "version": 1, "objects": [
  )" + objs + "] }";
}

void write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A fresh session on a part of n electrodes of the kind.
void open_bench_part(Kind kind, int n) {
    nxsim::reset();
    nxsim::set_env("KELVORA_PATH", g_root + "/tool");
    std::string path = g_root + "/bench" + std::to_string((int)kind) + "_" + std::to_string(n) + ".prt";
    struct stat st;
    if (stat(path.c_str(), &st) != 0) write(path, bench_part(kind, n));
    std::string err;
    if (nxsim::open_part(path, &err) != 0) {
        fprintf(stderr, "%s\n", err.c_str());
        abort();
    }
    UF_initialize();
}

std::string electrode_name(int i) {
    char name[16];
    snprintf(name, sizeof name, "E%03d", i + 1);
    return name;
}

// The probe bound of one electrode: per axis, two extents searched over the box's range.
double probe_bound(tag_t ecs, const char* name) {
    double origin[3], matrix[9], saved_o[3], saved_m[9];
    save_wcs(saved_o, saved_m);
    ask_csys_frame(ecs, origin, matrix);
    restore_wcs(origin, matrix);
    int layer = 0;
    uf_list_p_t list = nullptr;
    UF_MODL_create_list(&list);
    tag_t cat = NULL_TAG;
    find_category(name, &cat);
    UF_LAYER_category_info_t info;
    UF_LAYER_ask_category_info(cat, &info);
    for (int l = 0; l < 256; ++l)
        if (info.layer_mask[l]) {
            layer = l + 1;
            break;
        }
    collect_solid_bodies(layer, list);
    tag_t body = NULL_TAG;
    UF_MODL_ask_list_item(list, 0, &body);
    UF_MODL_delete_list(&list);
    double corner[3], dirs[3][3], len[3];
    UF_MODL_ask_bounding_box_aligned(body, NULL_TAG, false, corner, dirs, len);
    restore_wcs(saved_o, saved_m);
    double bound = 0;
    for (int a = 0; a < 3; ++a) bound += 2 * (11 + std::ceil(std::log2(std::max(len[a], 0.0003) / 0.0003)));
    return bound;
}

void BM_References(benchmark::State& state) {
    Kind kind = (Kind)state.range(0);
    const int n = 20;
    double probes = 0, bound = 0, host = 0, total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        open_bench_part(kind, n);
        std::vector<tag_t> ecs;
        for (int i = 0; i < n; ++i) {
            tag_t csys = NULL_TAG;
            find_electrode_csys(electrode_name(i).c_str(), &csys);
            ecs.push_back(csys);
        }
        if (bound == 0)
            for (int i = 0; i < n; ++i) bound += probe_bound(ecs[i], electrode_name(i).c_str());
        int planes = nxsim::call_count("UF_MODL_create_fixed_dplane");
        g_host_seconds = 0;
        auto start = std::chrono::steady_clock::now();
        state.ResumeTiming();
        for (int i = 0; i < n; ++i) build_dimension_references(ecs[i], electrode_name(i).c_str());
        state.PauseTiming();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        host += g_host_seconds;
        probes += nxsim::call_count("UF_MODL_create_fixed_dplane") - planes;
        UF_terminate();
        state.ResumeTiming();
    }
    double runs = (double)state.iterations();
    state.counters["probes_per_electrode"] = probes / runs / n;
    state.counters["probe_bound_per_electrode"] = bound / n;
    state.counters["ms_per_electrode"] = 1000 * total / runs / n;
    state.counters["plugin_share_pct"] = total > 0 ? 100 * (total - host) / total : 0;
}
BENCHMARK(BM_References)->Arg(BLOCK)->Arg(BOSS)->Arg(BSPLINE)->Unit(benchmark::kMillisecond)->Iterations(3);

// OK in the drawing dialog for 100 electrodes with a cylinder boss: layers, views, references.
void BM_Batch100(benchmark::State& state) {
    const int n = 100;
    for (auto _ : state) {
        state.PauseTiming();
        open_bench_part(BOSS, n);
        std::vector<electrode_record> records(n);
        memset(records.data(), 0, sizeof(electrode_record) * n);
        for (int i = 0; i < n; ++i) {
            strcpy(records[i].data.electrode_name, electrode_name(i).c_str());
            records[i].selected = 1;
            records[i].next = i + 1 < n ? &records[i + 1] : nullptr;
        }
        g_host_seconds = 0;
        auto start = std::chrono::steady_clock::now();
        state.ResumeTiming();
        for (auto& r : records) find_electrode_csys(r.data.electrode_name, &r.data.ecs_tag);
        prepare_electrode_views(records.data());
        state.PauseTiming();
        double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["seconds"] = total;
        state.counters["plugin_share_pct"] = 100 * (total - g_host_seconds) / total;
        UF_terminate();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Batch100)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    char tmpl[] = "/tmp/kelvora-refs-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    g_root = tmpl;
    mkdir((g_root + "/tool").c_str(), 0755);
    mkdir((g_root + "/tool/data").c_str(), 0755);
    write(g_root + "/tool/data/config.dat", kConfig);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    system(("rm -rf '" + g_root + "'").c_str());
    return 0;
}
