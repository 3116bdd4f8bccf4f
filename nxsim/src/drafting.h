// What the drafting calls (calls_drafting.cpp, calls_member_views.cpp) and the sheet renderer
// (svg.cpp) share. Internal to the host.
#pragma once

#include <string>
#include <vector>

#include "state.h"

namespace nxsim {

// Error codes of the drafting calls (texts registered when first returned).
enum DraftingError {
    ERR_DRAW_EXISTS = 1315001,       // a drawing of that name exists
    ERR_DRAW_NOT_CURRENT = 1315002,  // the drawing is not the current drawing
    ERR_DRAW_NOT_MEMBER = 1315003,   // not a member view (of that drawing)
    ERR_DRAW_NO_DIRECTION = 1315004, // a projected view placed on its parent's reference point
    ERR_DRF_OBJECT = 1320001,        // the object cannot be associated that way
    ERR_DRF_MODIFIER = 1320002,      // an end point's modifier is neither first (1) nor last (2)
};

// Subtypes the host gives its ordinate objects: origins and margins are drafting entities
// (type 25), dimensions type 26.
enum OrdinateSubtype {
    SUB_ORD_ORIGIN = 21,
    SUB_ORD_MARGIN = 22,
    SUB_ORD_HORIZONTAL = 15,
    SUB_ORD_VERTICAL = 16,
};

// The session's drafting settings, with their defaults filled in.
DraftingSettings& drafting();

// A new object on the drawing's sheet (not among the part's model objects).
Object& new_sheet_object(tag_t drawing, int type, int subtype);
Object* live_drawing(tag_t t);
// The current drawing of the work part when that part is displayed, else the null tag.
tag_t current_drawing_of_work_part();

// A live member view, or null.
MemberView* member_view(tag_t view);
// A live ordinate object of the kind, or null.
Ordinate* live_ordinate(tag_t t, Ordinate::Kind kind);

// The objects the member view shows (not blanked, on a layer visible in the view): points,
// lines, arcs and solid bodies of the drawing's part, in creation order.
std::vector<const Object*> view_objects(const MemberView& v);
// The view's borders on the sheet (x min, y min, x max, y max): the extent of what it shows at
// its present scale about its reference point; a view that shows nothing has a border of no size
// at its reference point.
void borders_of(const MemberView& v, double out[4]);
// Absolute model point -> drawing point through the view.
void view_to_drawing(const MemberView& v, const double model[3], double out[2]);
// An absolute point of a curve: an arc's centre, or a point at angle a (radians) on it.
void arc_centre_abs(const Object& arc, double out[3]);
void arc_point_abs(const Object& arc, double a, double out[3]);
// The line's end points in the drawing (start x, y, end x, y); false when it is no line.
bool line_in_view(tag_t line, tag_t view, double out[4]);

// Fills the association of an ordinate object from NX's object record: the view must be a member
// view of the current drawing, the object an arc (arc centre) or a line (end point). 0 or an
// error code.
int associate(const UF_DRF_object_t& rec, Ordinate* ord);
// The absolute model point an ordinate object is associated with.
bool associated_point(const Ordinate& ord, double out[3]);

// Hidden-line drawing (geom_hlr.cpp): the edges of the solids seen along mtx (rows: view X, Y, Z
// towards the viewer), as polylines in view axes (x = X . p, y = Y . p), visible or hidden, each
// point within deflection of the edge.
struct ViewEdge {
    bool hidden = false;
    bool smooth = false;     // a tangent-continuous edge
    bool outline = false;    // a silhouette of a curved face
    std::vector<std::array<double, 2>> pts;
};
bool geom_hidden_lines(const std::vector<int>& shapes, const double mtx[9], double deflection,
                       std::vector<ViewEdge>* out);

}  // namespace nxsim
