// A part with electrodes of every shape the reference geometry meets, and helpers to read back
// what the plug-in left in it. Shared by the views and reference-geometry tests.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "config_fixture.h"

namespace kv_test {

const char kRefsConfig[] =
    "ELECTRODE_PREFIX_NAME=E\n"
    "ELECTRODE_START_LAYER=101\n"
    "ELECTRODE_END_LAYER=200\n"
    "ELECTRODE_ONLY_DISPLAY_ELECT=1\n";

const double kCos30 = 0.86602540378443865, kSin30 = 0.5;

// The electrodes, each with its box in its ECS (or, without one, in the part's WCS):
//   E1 (101) block aligned with its ECS "e1_csys" at (10, 5, 0): [-10, 10] x [-5, 5] x [0, 5]
//   E2 (102) block with a cylinder boss, turned 30 degrees about Z with its ECS at (50, 0, 0):
//            [-15, 15] x [-10, 10] x [0, 20]
//   E3 (103) cylinder r 5 about (-40, 20), z 0..10, no ECS: in the WCS [13, 23] x [36, 46] x [-3, 7]
//   E4 (104) plate 20 x 10 x 0.00001 with its ECS at (0, -40, 0)
//   E5 (105, 106) two blocks on 105 ([100, 110] x [0, 10] x [0, 10], [120, 125] x [5, 10] x [0, 20]),
//            one on 106 and "E5_CSYS" on 106 (not the first layer)
//   E6 (107) one body of two lumps: [0, 10] and [30, 40] along X, [60, 70] x [0, 10]
//   E7 (108) the B-spline electrode from STEP, turned 30 degrees with its ECS at (0, 100, 0):
//            [-20, 20] x [-15, 15] x [0, 30]
//   E8       a category without layers; TOOLS (5) a point; E9 (12) a small block
// The WCS is at (1, 2, 3), turned 90 degrees about Z.
inline std::string refs_part() {
    std::string step = std::string(KV_SOURCE_DIR) + "/tests/unit/data/refs_bspline_electrode.step";
    return R"({ "format": "nxsim-part", "version": 1,
  "wcs": { "origin": [1, 2, 3], "matrix": [0, 1, 0, -1, 0, 0, 0, 0, 1] },
  "objects": [
  { "id": 1, "type": "category", "name": "E1", "layers": [101] },
  { "id": 2, "type": "solid", "layer": 101, "shape": { "box": { "origin": [0, 0, 0], "size": [20, 10, 5] } } },
  { "id": 3, "type": "csys", "name": "e1_csys", "layer": 101, "origin": [10, 5, 0], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 4, "type": "category", "name": "E2", "layers": [102] },
  { "id": 5, "type": "solid", "layer": 102, "shape": {
      "place": { "origin": [50, 0, 0], "x": [0.86602540378443865, 0.5, 0], "y": [-0.5, 0.86602540378443865, 0] },
      "shape": { "union": [ { "box": { "origin": [-15, -10, 0], "size": [30, 20, 8] } },
                            { "cylinder": { "origin": [0, 0, 8], "radius": 6, "height": 12 } } ] } } },
  { "id": 6, "type": "csys", "name": "E2_CSYS", "layer": 102, "origin": [50, 0, 0],
    "matrix": [0.86602540378443865, 0.5, 0, -0.5, 0.86602540378443865, 0, 0, 0, 1] },
  { "id": 7, "type": "category", "name": "E3", "layers": [103] },
  { "id": 8, "type": "solid", "layer": 103, "shape": { "cylinder": { "origin": [-40, 20, 0], "radius": 5, "height": 10 } } },
  { "id": 9, "type": "category", "name": "E4", "layers": [104] },
  { "id": 10, "type": "solid", "layer": 104, "shape": { "box": { "origin": [0, -40, 0], "size": [20, 10, 0.00001] } } },
  { "id": 11, "type": "csys", "name": "E4_CSYS", "layer": 104, "origin": [0, -40, 0], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 12, "type": "category", "name": "E5", "layers": [105, 106] },
  { "id": 13, "type": "solid", "layer": 105, "shape": { "box": { "origin": [100, 0, 0], "size": [10, 10, 10] } } },
  { "id": 14, "type": "solid", "layer": 105, "shape": { "box": { "origin": [120, 5, 0], "size": [5, 5, 20] } } },
  { "id": 15, "type": "solid", "layer": 106, "shape": { "box": { "origin": [90, 0, 0], "size": [5, 5, 5] } } },
  { "id": 16, "type": "csys", "name": "E5_CSYS", "layer": 106, "origin": [100, 0, 0], "matrix": [1, 0, 0, 0, 1, 0, 0, 0, 1] },
  { "id": 17, "type": "category", "name": "E6", "layers": [107] },
  { "id": 18, "type": "solid", "layer": 107, "shape": { "union": [
      { "box": { "origin": [0, 60, 0], "size": [10, 10, 10] } },
      { "box": { "origin": [30, 60, 0], "size": [10, 10, 10] } } ] } },
  { "id": 19, "type": "category", "name": "E7", "layers": [108] },
  { "id": 20, "type": "solid", "layer": 108, "shape": {
      "place": { "origin": [0, 100, 0], "x": [0.86602540378443865, 0.5, 0], "y": [-0.5, 0.86602540378443865, 0] },
      "shape": { "step": ")" + step + R"(" } } },
  { "id": 21, "type": "csys", "name": "E7_CSYS", "layer": 108, "origin": [0, 100, 0],
    "matrix": [0.86602540378443865, 0.5, 0, -0.5, 0.86602540378443865, 0, 0, 0, 1] },
  { "id": 22, "type": "category", "name": "E8", "layers": [] },
  { "id": 23, "type": "category", "name": "TOOLS", "layers": [5] },
  { "id": 24, "type": "point", "layer": 5, "coords": [0, 0, 0] },
  { "id": 25, "type": "category", "name": "E9", "layers": [12] },
  { "id": 26, "type": "solid", "layer": 12, "shape": { "box": { "origin": [0, 200, 0], "size": [5, 5, 5] } } } ] })";
}

// The live objects of the work part named exactly name, of NX type type, in creation order.
inline std::vector<tag_t> named(const std::string& name, int type) {
    std::vector<tag_t> out;
    tag_t t = NULL_TAG;
    while (UF_OBJ_cycle_by_name_and_type(UF_ASSEM_ask_work_part(), name.c_str(), type, false, &t) == 0 && t)
        out.push_back(t);
    return out;
}

inline tag_t csys_named(const char* name) {
    auto found = named(name, UF_coordinate_system_type);
    return found.empty() ? NULL_TAG : found.front();
}

struct Frame {
    double origin[3];
    double m[9];
};

inline Frame frame_of(tag_t csys) {
    Frame f{};
    nxsim::Object* o = nxsim::live_obj(csys);
    if (!o) return f;
    for (int i = 0; i < 3; ++i) f.origin[i] = o->p1[i];
    for (int i = 0; i < 9; ++i) f.m[i] = o->mtx[i];
    return f;
}

inline Frame wcs_frame() {
    nxsim::Part* p = nxsim::part(nxsim::S().work_part);
    Frame f{};
    for (int i = 0; i < 3; ++i) f.origin[i] = p->wcs_origin[i];
    for (int i = 0; i < 9; ++i) f.m[i] = p->wcs_mtx[i];
    return f;
}

// An absolute point in the frame's coordinates.
inline std::array<double, 3> local(const Frame& f, const double p[3]) {
    std::array<double, 3> out{};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k) out[i] += f.m[3 * i + k] * (p[k] - f.origin[k]);
    return out;
}

// The absolute centre of an arc (its centre is kept along its matrix's axes).
inline std::array<double, 3> arc_centre(tag_t arc) {
    UF_CURVE_arc_t a{};
    UF_CURVE_ask_arc_data(arc, &a);
    double m[9] = {0};
    UF_CSYS_ask_matrix_values(a.matrix_tag, m);
    std::array<double, 3> out{};
    for (int k = 0; k < 3; ++k) out[k] = m[k] * a.arc_center[0] + m[3 + k] * a.arc_center[1] + m[6 + k] * a.arc_center[2];
    return out;
}

inline int live_count_of_type(int type) {
    int n = 0;
    nxsim::Part* p = nxsim::part(nxsim::S().work_part);
    for (tag_t t : p->order) {
        nxsim::Object* o = nxsim::live_obj(t);
        if (o && o->type == type) ++n;
    }
    return n;
}

}  // namespace kv_test
