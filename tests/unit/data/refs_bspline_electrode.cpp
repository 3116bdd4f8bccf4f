// Generator of refs_bspline_electrode.step: a 40 x 30 x 8 block (x -20..20, y -15..15, z 0..8)
// with a boss lofted through three ellipses up to z 30, the whole solid converted to B-spline
// faces, as electrodes designed in other CAD systems arrive. Not part of the build; to make the
// file again:
//   g++ -std=c++17 refs_bspline_electrode.cpp -I/usr/include/opencascade -lTKernel -lTKMath \
//     -lTKG2d -lTKG3d -lTKGeomBase -lTKBRep -lTKGeomAlgo -lTKTopAlgo -lTKPrim -lTKBO -lTKOffset \
//     -lTKBool -lTKSTEP -lTKXSBase -o gen && ./gen refs_bspline_electrode.step
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_NurbsConvert.hxx>
#include <BRepOffsetAPI_ThruSections.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <GC_MakeEllipse.hxx>
#include <gp_Elips.hxx>
#include <gp_Ax2.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_Printer.hxx>
#include <STEPControl_Writer.hxx>
#include <cstdio>
int main(int argc, char** argv) {
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_Printer));
    TopoDS_Shape base = BRepPrimAPI_MakeBox(gp_Pnt(-20, -15, 0), 40, 30, 8).Shape();
    gp_Elips e1(gp_Ax2(gp_Pnt(0, 0, 8), gp_Dir(0, 0, 1)), 12, 8);
    gp_Elips e2(gp_Ax2(gp_Pnt(2, 1, 22), gp_Dir(0, 0, 1)), 7, 5);
    gp_Elips e3(gp_Ax2(gp_Pnt(3, 2, 30), gp_Dir(0, 0, 1)), 4, 3);
    BRepOffsetAPI_ThruSections loft(true, false);
    loft.AddWire(BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(e1)).Wire());
    loft.AddWire(BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(e2)).Wire());
    loft.AddWire(BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(e3)).Wire());
    loft.Build();
    TopoDS_Shape boss = loft.Shape();
    TopoDS_Shape all = BRepAlgoAPI_Fuse(base, boss).Shape();
    TopoDS_Shape nurbs = BRepBuilderAPI_NurbsConvert(all, true).Shape();
    STEPControl_Writer w;
    Interface_Static::SetCVal("write.step.schema", "AP214IS");
    w.Transfer(nurbs, STEPControl_AsIs);
    return w.Write(argv[1]) == IFSelect_RetDone ? 0 : 1;
}
