// Hidden-line drawings of solids for the sheet renderer: Open CASCADE's exact hidden-line removal
// seen along a view, the edges discretised into polylines. OCCT stays in the geom files
// (geom.h); no OCCT exception leaves this one. Results are kept per set of shapes and view, so a
// sheet drawn twice costs the removal once.
#include <BRepAdaptor_Curve.hxx>
#include <BRepLib.hxx>
#include <GCPnts_QuasiUniformDeflection.hxx>
#include <HLRAlgo_Projector.hxx>
#include <HLRBRep_Algo.hxx>
#include <HLRBRep_HLRToShape.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax2.hxx>

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "drafting.h"
#include "geom.h"

namespace nxsim {

namespace {

using Key = std::tuple<std::vector<int>, std::array<long long, 9>, long long>;

using Cache = std::map<Key, std::vector<ViewEdge>>;

// Kept by the session: shape numbers start again in a new session.
Cache& cache() {
    std::shared_ptr<void>& holder = S().hlr_cache;
    if (!holder) holder = std::make_shared<Cache>();
    return *static_cast<Cache*>(holder.get());
}

void take_edges(const TopoDS_Shape& compound, bool hidden, bool smooth, bool outline, double deflection,
                std::vector<ViewEdge>* out) {
    if (compound.IsNull()) return;
    // The projected edges come without 3D curves; the points lie in the view's plane.
    BRepLib::BuildCurves3d(compound);
    for (TopExp_Explorer ex(compound, TopAbs_EDGE); ex.More(); ex.Next()) {
        const TopoDS_Edge& e = TopoDS::Edge(ex.Current());
        BRepAdaptor_Curve c(e);
        ViewEdge edge;
        edge.hidden = hidden;
        edge.smooth = smooth;
        edge.outline = outline;
        if (c.GetType() == GeomAbs_Line) {
            gp_Pnt a = c.Value(c.FirstParameter()), b = c.Value(c.LastParameter());
            edge.pts.push_back({a.X(), a.Y()});
            edge.pts.push_back({b.X(), b.Y()});
        } else {
            GCPnts_QuasiUniformDeflection d(c, deflection);
            if (!d.IsDone()) continue;
            for (int i = 1; i <= d.NbPoints(); ++i) {
                gp_Pnt p = d.Value(i);
                edge.pts.push_back({p.X(), p.Y()});
            }
        }
        if (edge.pts.size() >= 2) out->push_back(edge);
    }
}

}  // namespace

bool geom_hidden_lines(const std::vector<int>& shapes, const double mtx[9], double deflection,
                       std::vector<ViewEdge>* out) {
    out->clear();
    if (shapes.empty()) return true;
    Key key;
    std::get<0>(key) = shapes;
    for (int i = 0; i < 9; ++i) std::get<1>(key)[i] = std::llround(mtx[i] * 1e12);
    std::get<2>(key) = std::llround(deflection * 1e9);
    auto it = cache().find(key);
    if (it != cache().end()) {
        *out = it->second;
        return true;
    }
    try {
        Handle(HLRBRep_Algo) algo = new HLRBRep_Algo();
        int added = 0;
        for (int s : shapes) {
            const TopoDS_Shape* shape = geom_shape(s);
            if (!shape || shape->IsNull()) continue;
            algo->Add(*shape);
            ++added;
        }
        if (added == 0) return true;
        // The viewer looks down the view's Z axis; x and y come out along the view's X and Y.
        gp_Ax2 frame(gp_Pnt(0, 0, 0), gp_Dir(mtx[6], mtx[7], mtx[8]), gp_Dir(mtx[0], mtx[1], mtx[2]));
        algo->Projector(HLRAlgo_Projector(frame));
        algo->Update();
        algo->Hide();
        HLRBRep_HLRToShape result(algo);
        take_edges(result.VCompound(), false, false, false, deflection, out);
        take_edges(result.OutLineVCompound(), false, false, true, deflection, out);
        take_edges(result.Rg1LineVCompound(), false, true, false, deflection, out);
        take_edges(result.HCompound(), true, false, false, deflection, out);
        take_edges(result.OutLineHCompound(), true, false, true, deflection, out);
        take_edges(result.Rg1LineHCompound(), true, true, false, deflection, out);
    } catch (const Standard_Failure&) {
        out->clear();
        return false;
    } catch (...) {
        out->clear();
        return false;
    }
    cache()[key] = *out;
    return true;
}

}  // namespace nxsim
