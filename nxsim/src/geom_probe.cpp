// Measuring solids for the geometry calls: boxes aligned to a frame (exact, or loose as NX's
// aligned boxes are) and whether a plane cuts a body. Open CASCADE stays in the geom files
// (geom.h); no OCCT exception leaves this one.
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_NurbsConvert.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_BezierCurve.hxx>
#include <Geom_BezierSurface.hxx>
#include <Geom_Curve.hxx>
#include <Geom_Surface.hxx>
#include <Standard_Failure.hxx>
#include <TColgp_Array1OfPnt.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax3.hxx>
#include <gp_Trsf.hxx>

#include <array>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "geom.h"
#include "state.h"

namespace nxsim {

namespace {

// Planes within this distance of a body touch it. Exact extents are good to about 1e-7.
const double kTouch = 1e-6;

struct ShapeCache {
    bool have_lumps = false;
    std::vector<TopoDS_Shape> lumps;
    bool have_poles = false;
    std::vector<gp_Pnt> poles;  // control points of the NURBS form, absolute
    // extents of each lump along a unit direction
    std::map<std::array<double, 3>, std::vector<std::pair<double, double>>> extents;
    // exact boxes in a frame (origin and matrix)
    std::map<std::array<double, 12>, std::array<double, 6>> boxes;
};

std::map<int, ShapeCache>& caches() {
    static std::map<int, ShapeCache> c;
    return c;
}

// Absolute -> frame coordinates: local = M (x - origin), rows of M the frame's axes.
gp_Trsf to_frame(const double origin[3], const double m[9]) {
    double t[3];
    for (int i = 0; i < 3; ++i)
        t[i] = -(m[3 * i] * origin[0] + m[3 * i + 1] * origin[1] + m[3 * i + 2] * origin[2]);
    gp_Trsf tr;
    tr.SetValues(m[0], m[1], m[2], t[0], m[3], m[4], m[5], t[1], m[6], m[7], m[8], t[2]);
    return tr;
}

const std::vector<TopoDS_Shape>& lumps_of(int shape, const TopoDS_Shape& s) {
    ShapeCache& c = caches()[shape];
    if (!c.have_lumps) {
        for (TopExp_Explorer ex(s, TopAbs_SOLID); ex.More(); ex.Next()) c.lumps.push_back(ex.Current());
        if (c.lumps.empty()) c.lumps.push_back(s);  // a shell or a face: one piece
        c.have_lumps = true;
    }
    return c.lumps;
}

bool exact_box(const TopoDS_Shape& s, const gp_Trsf& tr, double lo[3], double hi[3]) {
    Bnd_Box box;
    BRepBndLib::AddOptimal(s.Moved(TopLoc_Location(tr)), box, false, false);
    if (box.IsVoid()) return false;
    box.Get(lo[0], lo[1], lo[2], hi[0], hi[1], hi[2]);
    return true;
}

void add_curve_poles(const Handle(Geom_Curve)& c, const TopLoc_Location& loc, std::vector<gp_Pnt>& out) {
    Handle(Geom_BSplineCurve) b = Handle(Geom_BSplineCurve)::DownCast(c);
    if (!b.IsNull()) {
        for (int i = 1; i <= b->NbPoles(); ++i) out.push_back(b->Pole(i).Transformed(loc.Transformation()));
        return;
    }
    Handle(Geom_BezierCurve) z = Handle(Geom_BezierCurve)::DownCast(c);
    if (!z.IsNull())
        for (int i = 1; i <= z->NbPoles(); ++i) out.push_back(z->Pole(i).Transformed(loc.Transformation()));
}

void add_surface_poles(const Handle(Geom_Surface)& srf, const TopLoc_Location& loc, std::vector<gp_Pnt>& out) {
    Handle(Geom_BSplineSurface) b = Handle(Geom_BSplineSurface)::DownCast(srf);
    if (!b.IsNull()) {
        for (int i = 1; i <= b->NbUPoles(); ++i)
            for (int j = 1; j <= b->NbVPoles(); ++j) out.push_back(b->Pole(i, j).Transformed(loc.Transformation()));
        return;
    }
    Handle(Geom_BezierSurface) z = Handle(Geom_BezierSurface)::DownCast(srf);
    if (!z.IsNull())
        for (int i = 1; i <= z->NbUPoles(); ++i)
            for (int j = 1; j <= z->NbVPoles(); ++j) out.push_back(z->Pole(i, j).Transformed(loc.Transformation()));
}

// The control points of the shape's NURBS form. Like NX's boxes on curved faces, their hull
// bounds the body but is not tight (a circle's hull is its circumscribed polygon).
const std::vector<gp_Pnt>& poles_of(int shape, const TopoDS_Shape& s) {
    ShapeCache& c = caches()[shape];
    if (c.have_poles) return c.poles;
    c.have_poles = true;
    try {
        BRepBuilderAPI_NurbsConvert conv(s, true);
        if (!conv.IsDone()) return c.poles;
        TopoDS_Shape n = conv.Shape();
        for (TopExp_Explorer ex(n, TopAbs_FACE); ex.More(); ex.Next()) {
            TopLoc_Location loc;
            Handle(Geom_Surface) srf = BRep_Tool::Surface(TopoDS::Face(ex.Current()), loc);
            if (!srf.IsNull()) add_surface_poles(srf, loc, c.poles);
        }
        for (TopExp_Explorer ex(n, TopAbs_EDGE); ex.More(); ex.Next()) {
            TopLoc_Location loc;
            double f = 0, l = 0;
            Handle(Geom_Curve) crv = BRep_Tool::Curve(TopoDS::Edge(ex.Current()), loc, f, l);
            if (!crv.IsNull()) add_curve_poles(crv, loc, c.poles);
        }
    } catch (...) {
        c.poles.clear();  // the exact box alone then
    }
    return c.poles;
}

}  // namespace

void geom_probe_reset() { caches().clear(); }

bool geom_box_in_frame(int shape, const double origin[3], const double mtx[9], bool loose,
                       double lo[3], double hi[3]) {
    for (int i = 0; i < 3; ++i) lo[i] = hi[i] = 0;
    const TopoDS_Shape* s = geom_shape(shape);
    if (!s || s->IsNull()) return false;
    try {
        std::array<double, 12> key;
        for (int i = 0; i < 3; ++i) key[i] = origin[i];
        for (int i = 0; i < 9; ++i) key[3 + i] = mtx[i];
        ShapeCache& c = caches()[shape];
        auto it = c.boxes.find(key);
        std::array<double, 6> b;
        if (it != c.boxes.end()) {
            b = it->second;
        } else {
            if (!exact_box(*s, to_frame(origin, mtx), &b[0], &b[3])) return false;
            c.boxes[key] = b;
        }
        for (int i = 0; i < 3; ++i) {
            lo[i] = b[i];
            hi[i] = b[3 + i];
        }
        if (!loose) return true;
        // The hull of the control points, never smaller than the body itself.
        for (const gp_Pnt& p : poles_of(shape, *s)) {
            double d[3] = {p.X() - origin[0], p.Y() - origin[1], p.Z() - origin[2]};
            for (int i = 0; i < 3; ++i) {
                double v = mtx[3 * i] * d[0] + mtx[3 * i + 1] * d[1] + mtx[3 * i + 2] * d[2];
                if (v < lo[i]) lo[i] = v;
                if (v > hi[i]) hi[i] = v;
            }
        }
        return true;
    } catch (...) {
        for (int i = 0; i < 3; ++i) lo[i] = hi[i] = 0;
        return false;
    }
}

int geom_plane_cuts(int shape, const double point[3], const double normal[3]) {
    const TopoDS_Shape* s = geom_shape(shape);
    if (!s || s->IsNull()) return -1;
    double len = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    if (len < 1e-12) return -1;
    std::array<double, 3> n = {normal[0] / len, normal[1] / len, normal[2] / len};
    try {
        ShapeCache& c = caches()[shape];
        auto it = c.extents.find(n);
        if (it == c.extents.end()) {
            // A connected lump meets the plane exactly when the plane's offset lies within the
            // lump's extent along the normal.
            gp_Ax3 frame(gp_Pnt(0, 0, 0), gp_Dir(n[0], n[1], n[2]));
            gp_Trsf tr;
            tr.SetTransformation(frame);
            std::vector<std::pair<double, double>> ext;
            for (const TopoDS_Shape& lump : lumps_of(shape, *s)) {
                double lo[3], hi[3];
                if (!exact_box(lump, tr, lo, hi)) continue;
                ext.push_back({lo[2], hi[2]});
            }
            it = c.extents.emplace(n, ext).first;
        }
        double t = n[0] * point[0] + n[1] * point[1] + n[2] * point[2];
        int cuts = 0;
        for (auto& e : it->second)
            if (t >= e.first - kTouch && t <= e.second + kTouch) ++cuts;
        return cuts;
    } catch (...) {
        return -1;
    }
}

}  // namespace nxsim
