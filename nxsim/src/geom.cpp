// Solids held as Open CASCADE shapes, built from recipes or read from STEP files. OCCT is
// included only by the geom files (geom.h); the rest of the host sees shape numbers and plain
// arrays of reals. No OCCT exception leaves this file.
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepGProp.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <GProp_GProps.hxx>
#include <Standard_Failure.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax2.hxx>
#include <gp_Ax3.hxx>
#include <gp_Trsf.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <STEPControl_Reader.hxx>

#include <cmath>
#include <map>
#include <vector>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include "geom.h"
#include "state.h"

namespace nxsim {

namespace {

std::vector<TopoDS_Shape>& store() {
    static std::vector<TopoDS_Shape> shapes;
    return shapes;
}

// Folder that STEP file names in recipes are relative to (the part file's), while building.
std::string g_base_dir = ".";

// Shapes read from STEP files, by full path: a file used by many solids is read once.
std::map<std::string, TopoDS_Shape>& step_cache() {
    static std::map<std::string, TopoDS_Shape> shapes;
    return shapes;
}

// OCCT's STEP translator sets itself up once in memory it never frees; the leak checker of
// sanitized builds is told not to count that.
struct StepSetUpNotALeak {
#ifdef __SANITIZE_ADDRESS__
    StepSetUpNotALeak() { __lsan_disable(); }
    ~StepSetUpNotALeak() { __lsan_enable(); }
#endif
};

bool read_step(const std::string& path, TopoDS_Shape* out, std::string* why) {
    auto it = step_cache().find(path);
    if (it != step_cache().end()) {
        *out = it->second;
        return true;
    }
    [[maybe_unused]] StepSetUpNotALeak quiet;
    // The reader reports to OCCT's default printers (standard output): keep the run's output clean.
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_Printer));
    STEPControl_Reader reader;
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone) {
        *why = "the STEP file " + path + " cannot be read";
        return false;
    }
    if (reader.TransferRoots() <= 0) {
        *why = "the STEP file " + path + " holds no shape";
        return false;
    }
    TopoDS_Shape s = reader.OneShape();
    if (s.IsNull()) {
        *why = "the STEP file " + path + " holds no shape";
        return false;
    }
    step_cache()[path] = s;
    *out = s;
    return true;
}

bool vec3(const json& j, double out[3]) {
    if (!j.is_array() || j.size() != 3) return false;
    for (int i = 0; i < 3; ++i) {
        if (!j[i].is_number()) return false;
        out[i] = j[i].get<double>();
    }
    return true;
}

bool positive(const json& j, const char* key, double* out) {
    if (!j.contains(key) || !j[key].is_number()) return false;
    *out = j[key].get<double>();
    return *out > 0;
}

// Builds the shape a recipe describes, by the first of box, cylinder, step, union and place it
// holds; false with *err (naming the field) when it cannot.
bool build(const json& r, const std::string& where, TopoDS_Shape* out, std::string* err);

// Each build_<kind> below builds the shape of the field <kind> of recipe r, which lies at `where`;
// false with *err naming the field when it cannot.

bool build_box(const json& r, const std::string& where, TopoDS_Shape* out, std::string* err) {
    const json& b = r["box"];
    double o[3], s[3];
    if (!b.is_object() || !vec3(b.value("origin", json()), o)) {
        *err = where + ".box.origin: expected an array of 3 numbers";
        return false;
    }
    if (!vec3(b.value("size", json()), s) || s[0] <= 0 || s[1] <= 0 || s[2] <= 0) {
        *err = where + ".box.size: expected 3 positive numbers";
        return false;
    }
    *out = BRepPrimAPI_MakeBox(gp_Pnt(o[0], o[1], o[2]), s[0], s[1], s[2]).Shape();
    return true;
}

bool build_cylinder(const json& r, const std::string& where, TopoDS_Shape* out, std::string* err) {
    const json& c = r["cylinder"];
    double o[3], a[3] = {0, 0, 1}, rad = 0, h = 0;
    if (!c.is_object() || !vec3(c.value("origin", json()), o)) {
        *err = where + ".cylinder.origin: expected an array of 3 numbers";
        return false;
    }
    if (c.contains("axis") && !vec3(c["axis"], a)) {
        *err = where + ".cylinder.axis: expected an array of 3 numbers";
        return false;
    }
    if (std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]) < 1e-12) {
        *err = where + ".cylinder.axis: must not be zero";
        return false;
    }
    if (!positive(c, "radius", &rad)) {
        *err = where + ".cylinder.radius: expected a positive number";
        return false;
    }
    if (!positive(c, "height", &h)) {
        *err = where + ".cylinder.height: expected a positive number";
        return false;
    }
    gp_Ax2 ax(gp_Pnt(o[0], o[1], o[2]), gp_Dir(a[0], a[1], a[2]));
    *out = BRepPrimAPI_MakeCylinder(ax, rad, h).Shape();
    return true;
}

// A relative file name is relative to the part file's folder.
bool build_step(const json& r, const std::string& where, TopoDS_Shape* out, std::string* err) {
    if (!r["step"].is_string() || r["step"].get<std::string>().empty()) {
        *err = where + ".step: expected the name of a STEP file";
        return false;
    }
    std::string file = r["step"].get<std::string>();
    std::string path = file[0] == '/' ? file : g_base_dir + "/" + file;
    std::string why;
    if (!read_step(path, out, &why)) {
        *err = where + ".step: " + why;
        return false;
    }
    return true;
}

bool build_union(const json& r, const std::string& where, TopoDS_Shape* out, std::string* err) {
    const json& u = r["union"];
    if (!u.is_array() || u.empty()) {
        *err = where + ".union: expected a non-empty array of shapes";
        return false;
    }
    TopoDS_Shape acc;
    for (size_t i = 0; i < u.size(); ++i) {
        TopoDS_Shape s;
        if (!build(u[i], where + ".union[" + std::to_string(i) + "]", &s, err)) return false;
        if (i == 0) {
            acc = s;
            continue;
        }
        BRepAlgoAPI_Fuse fuse(acc, s);
        if (!fuse.IsDone()) {
            *err = where + ".union[" + std::to_string(i) + "]: the union failed";
            return false;
        }
        acc = fuse.Shape();
    }
    *out = acc;
    return true;
}

// The recipe's "shape" moved from the absolute frame into the frame of "place" (origin, x, y).
bool build_place(const json& r, const std::string& where, TopoDS_Shape* out, std::string* err) {
    const json& p = r["place"];
    double o[3], x[3], y[3];
    if (!p.is_object() || !vec3(p.value("origin", json()), o) || !vec3(p.value("x", json()), x) ||
        !vec3(p.value("y", json()), y)) {
        *err = where + ".place: expected origin, x and y, each 3 numbers";
        return false;
    }
    gp_Vec vx(x[0], x[1], x[2]), vy(y[0], y[1], y[2]);
    if (vx.Magnitude() < 1e-12 || vy.Magnitude() < 1e-12 || vx.Crossed(vy).Magnitude() < 1e-9) {
        *err = where + ".place: x and y must be non-zero and not parallel";
        return false;
    }
    if (!r.contains("shape")) {
        *err = where + ".shape: place needs the shape to move";
        return false;
    }
    TopoDS_Shape s;
    if (!build(r["shape"], where + ".shape", &s, err)) return false;
    gp_Ax3 target(gp_Pnt(o[0], o[1], o[2]), gp_Dir(vx.Crossed(vy)), gp_Dir(vx));
    gp_Trsf t;
    t.SetTransformation(target, gp_Ax3());  // from absolute into the target frame
    *out = BRepBuilderAPI_Transform(s, t, true).Shape();
    return true;
}

bool build(const json& r, const std::string& where, TopoDS_Shape* out, std::string* err) {
    if (!r.is_object() || r.size() < 1) {
        *err = where + ": expected a shape object (box, cylinder, step, union or place)";
        return false;
    }
    if (r.contains("box")) return build_box(r, where, out, err);
    if (r.contains("cylinder")) return build_cylinder(r, where, out, err);
    if (r.contains("step")) return build_step(r, where, out, err);
    if (r.contains("union")) return build_union(r, where, out, err);
    if (r.contains("place")) return build_place(r, where, out, err);
    *err = where + ": expected box, cylinder, step, union or place";
    return false;
}

}  // namespace

int geom_build(const json& recipe, const std::string& where, std::string* err) {
    try {
        TopoDS_Shape s;
        if (!build(recipe, where, &s, err)) return -1;
        store().push_back(s);
        return (int)store().size() - 1;
    } catch (const Standard_Failure& f) {
        *err = where + ": the geometry kernel refused the shape (" +
               std::string(f.GetMessageString() ? f.GetMessageString() : "no message") + ")";
    } catch (...) {
        *err = where + ": the geometry kernel refused the shape";
    }
    return -1;
}

double geom_volume(int shape) {
    if (shape < 0 || shape >= (int)store().size()) return 0;
    try {
        GProp_GProps props;
        BRepGProp::VolumeProperties(store()[shape], props);
        return props.Mass();
    } catch (...) {
        return 0;
    }
}

int geom_build_at(const json& recipe, const std::string& base_dir, const std::string& where,
                  std::string* err) {
    g_base_dir = base_dir.empty() ? "." : base_dir;
    int shape = geom_build(recipe, where, err);
    g_base_dir = ".";
    return shape;
}

const TopoDS_Shape* geom_shape(int shape) {
    if (shape < 0 || shape >= (int)store().size()) return nullptr;
    return &store()[shape];
}

void geom_reset() {
    store().clear();
    step_cache().clear();
    geom_probe_reset();
}

}  // namespace nxsim
