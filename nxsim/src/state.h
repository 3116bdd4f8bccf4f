// Internal state of the simulated NX host. Not seen by the plug-in.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "nx.h"
#include "nxsim/nxsim.h"

namespace nxsim {

using json = nlohmann::ordered_json;  // keeps the written order of fields

// Writes a document the way dumps are kept: two-space indent, arrays of numbers on one line.
std::string dump_json(const json& j);

// NX object type numbers the host keeps (uf_object_types.h).
enum ObjType {
    T_POINT = 2,
    T_LINE = 3,
    T_ARC = 5,
    T_CATEGORY = 12,
    T_GROUP = 15,
    T_NOTE = 25,
    T_CSYS = 45,
    T_MATRIX = 55,
    T_SOLID = 70,
    T_DRAWING = 62,  // drawing sheet: kept in Part::drawings, not in Part::order
    T_COMPONENT = 63,  // component: an instance of another part (subtype 1)
    T_FEATURE = 205,   // feature: a WAVE-linked body or curve
    T_VIEW = 60,       // model view: kept in Part::views, not in Part::order
    T_DPLANE = 197,    // fixed datum plane: p1 a point on it, p2 its unit normal
    T_SECTION = 9,     // curve of a body-plane intersection (temporary, no geometry kept)
    T_DIMENSION = 26,  // ordinate dimension on a drawing sheet (calls_drafting.cpp)
};

// What a model view shows: orientation (rows are the view's X, Y, Z in absolute space), scale
// and the absolute point at the middle of the view.
struct ViewState {
    std::array<double, 9> mtx{1, 0, 0, 0, 1, 0, 0, 0, 1};
    double scale = 1;
    std::array<double, 3> centre{};
};

// An attribute's value as NX types it: a string (GBK), an integer or a real. A string compares
// equal to its text, so that code looking for a note's NAME reads as before.
struct AttrValue {
    int type = UF_ATTR_string;  // UF_ATTR_string, UF_ATTR_integer or UF_ATTR_real
    std::string text;           // the string's text
    double number = 0;          // the integer's or real's value
    bool operator==(const std::string& s) const { return type == UF_ATTR_string && text == s; }
};
using Attributes = std::map<std::string, AttrValue>;  // title (GBK) -> value

struct Object {
    tag_t tag = 0;
    tag_t part = 0;
    int type = 0;
    int subtype = 0;
    bool alive = true;
    bool temporary = false;       // temporary csys: never saved
    std::string name;             // GBK
    int layer = 1;
    int color = 1;
    int blank = 0;
    int line_width = 0;
    Attributes attrs;
    std::array<double, 3> p1{};   // point, line start, csys origin, arc centre
    std::array<double, 3> p2{};   // line end
    std::array<double, 9> mtx{};  // csys or matrix values, row-major
    tag_t matrix = 0;             // arc or csys: its matrix object
    double radius = 0, a0 = 0, a1 = 0;
    std::array<bool, 256> cat_layers{};  // category membership, [0] = layer 1
    std::string cat_desc;
    std::vector<tag_t> members;   // group
    std::vector<std::string> note;  // note lines, GBK
    int shape = -1;               // solid: geometry store index
    json recipe;                  // solid: how it was built (saved back)
    size_t type_pos = 0;          // index in Part::by_type[type]
    // component: the part it instances and its file as named (UTF-8); p1 and mtx place it
    tag_t child = 0;
    std::string child_path;
    std::string refset;           // GBK; empty: the entire part
    // WAVE-linked feature: its kind, the linked object (0 once read back from a file) and the
    // source as saved (part, object, name, at_timestamp); members hold its geometry
    std::string feature_type;
    tag_t link_source = 0;
    json link;
    // model view: one of NX's standard views; its state as saved and as shown in the layout
    bool canned = false;
    ViewState saved, shown;
    // note: p1 is its origin; character height and horizontal alignment (0 left, 1 centre,
    // 2 right; vertically the text is centred on the origin). sheet: the drawing the object lies
    // on (drawing coordinates; listed in Part::order for the cycles and on a layer like any
    // object, but shown, picked and saved only with its Sheet), 0 for model objects.
    double text_height = 0;
    int text_align = 0;
    tag_t sheet = 0;
};

struct Part {
    tag_t tag = 0;
    std::string path;  // as given (UTF-8 on this host)
    int units = 1;     // UF_PART_METRIC
    int work_layer = 1;
    std::array<int, 257> layer_status{};  // [1..256]
    std::array<double, 3> wcs_origin{};
    std::array<double, 9> wcs_mtx{1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::map<int, std::vector<tag_t>> by_type;  // creation order per type
    std::vector<tag_t> order;                   // creation order, all types
    std::vector<tag_t> drawings;  // drawing sheets in creation order (NX's listing order)
    tag_t current_drawing = 0;    // the drawing shown instead of the model, 0 none
    // Model views (calls_views.cpp): made when first needed (standard views first); the current
    // layout's name, its views and its work view. wcs: the WCS's coordinate system, made when
    // first asked (wcs_origin and wcs_mtx always hold its values).
    std::vector<tag_t> views;
    std::string layout_name;
    std::vector<tag_t> layout;
    tag_t work_view = 0;
    tag_t wcs = 0;
    Attributes attrs;  // part attributes
};

// An undo mark (calls_modl.cpp): the model as it was when the mark was set.
struct UndoMark {
    int id = 0;
    std::string name;
    tag_t next_tag = 0;                 // objects from this tag on were made after the mark
    // Objects and parts older than the mark, as they were when first reached after it (copy on
    // first access through obj() and part(), so a mark costs what the work inside it touches,
    // not the model).
    std::map<tag_t, Object> objects;
    std::map<tag_t, Part> parts;
};

// The named objects of one type of a part (its Part::by_type list), by name, in creation order:
// what UF_OBJ_cycle_by_name_and_type looks in (calls_geometry.cpp). It covers the first `covered`
// objects of the list; objects made since are added when it is next asked, with the names they
// were made with. Renames and deletions update it; undo and closing the part drop it.
struct NameIndex {
    size_t covered = 0;
    std::unordered_map<std::string, std::vector<tag_t>> tags;  // GBK name -> tags, ascending
};

struct Fault {
    FaultMode mode = FaultMode::Once;
    int n = 1;
    int code = 0;
    int calls = 0;
    bool spent = false;
};

struct Allocation {
    std::string call;
    uint64_t seq = 0;
};

struct DialogItem {
    std::string id;
    int kind = 0;  // UF_STYLER_*_TYPE
    std::string label;  // GBK
    bool sensitive = true;
    bool visible = true;
    int ivalue = 0;
    double rvalue = 0;
    std::string svalue;  // GBK
    std::vector<std::string> items;  // GBK
    std::set<int> selected;          // lists
};

struct Dialog {
    int id = 0;
    std::string file;
    std::string title;
    std::vector<DialogItem> items;
    bool ok_sensitive = true;
    bool apply_sensitive = true;
    // The callbacks the file declares: object (UF_STYLER_DIALOG_INDEX for the dialog's), reason
    // (UF_STYLER_*_CB) and whether it opens a sub-dialog.
    struct FileCallback {
        std::string object;
        int cb_type = 0;
        bool building = false;
    };
    std::vector<FileCallback> callbacks;
    DialogItem* find(const std::string& item_id);
};

// Drafting (calls_drafting.cpp): what a drawing sheet holds. Member views (type T_VIEW) are kept
// with their sheet, not in Part::views; the objects on a sheet are in Part::order as well.
struct Sheet {
    int size_state = 2;           // UF_DRAW_CUSTOM_SIZE
    int size_code = 0;            // metric or english size code when not custom
    double height = 297, length = 210;
    double scale = 1;
    int units = 1;                // UF_PART_METRIC
    int projection = 2;           // 1 third angle, 2 first angle (0 no data: third)
    std::vector<tag_t> views;     // member views, creation order
    std::vector<tag_t> objects;   // objects on the sheet (imported, drafting), creation order
};

// A member view: the model seen along mtx (rows: view X, Y, Z towards the viewer) at scale;
// the model point anchor lies on the sheet at ref. extent: the visible geometry in view axes
// (x_min, y_min, x_max, y_max) relative to the anchor, as of the last update.
struct MemberView {
    tag_t drawing = 0;
    tag_t model_view = 0;         // the model view it was imported from (0: projected)
    tag_t parent = 0;             // projected views: the parent view
    std::array<double, 9> mtx{1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::array<double, 3> anchor{};
    double ref[2] = {0, 0};
    double scale = 1;
    bool own_layers = false;      // uc6447 option 2 gave the view a layer table of its own
    std::array<unsigned char, 256> layers{};
    UF_DRAW_view_prfs_t prefs{};
    bool has_extent = false;
    double extent[4] = {0, 0, 0, 0};
};

// An ordinate origin, margin or dimension (calls_drafting.cpp).
struct Ordinate {
    enum Kind { Origin, Margin, Dimension } kind = Origin;
    tag_t drawing = 0, view = 0;
    tag_t object = 0;             // the geometry it refers to: arc (centre) or line
    int assoc = 0, modifier = 0;
    double point[2] = {0, 0};     // drawing point of the associated geometry at creation
    // origin
    int quadrant = 0, arrow_display = 0, symbol_display = 0;
    // margin: 1 horizontal (a line at drawing y = position), 2 vertical (at drawing x)
    int margin_type = 0;
    tag_t origin = 0;
    double offset = 0, position = 0;
    // dimension: 1 horizontal (measures along view X), 2 vertical
    tag_t margin = 0;
    int dim_type = 0;
    double dogleg_angle = 0, dogleg_distance = 0;
    std::string user_text;                 // GBK
    std::vector<std::string> appended;     // GBK
    int text_flag = 0;
    double text_origin[3] = {0, 0, 0};
    double value = 0;             // signed model distance from the ordinate origin
};

// Drafting settings of the session (calls_drafting.cpp).
struct DraftingSettings {
    bool ready = false;           // defaults filled
    int mpi[100] = {};
    double mpr[70] = {};
    std::string radius_symbol, diameter_symbol;
    UF_DISP_drawing_display_data_t display{};
    UF_DISP_grid_t grids[5]{};
    bool border_display = true;
};

// Tags start here and are never reused; parts and objects share them.
constexpr tag_t kFirstTag = 1000;

struct Session {
    int init_depth = 0;
    tag_t next_tag = kFirstTag;
    std::map<tag_t, Part> parts;
    std::vector<tag_t> part_order;
    std::map<tag_t, Object> objects;
    // The nodes of `parts` and `objects` by tag - kFirstTag (null: none), so that a lookup costs
    // the same however many objects the session holds. Kept by index_part and index_object.
    std::vector<Part*> part_at;
    std::vector<Object*> object_at;
    tag_t work_part = 0;
    tag_t display_part = 0;
    std::map<std::string, std::string> env;  // values GBK
    std::map<std::string, UF_MB_action_t> actions;
    std::vector<std::string> action_order;
    std::vector<std::string> transcript;  // UTF-8
    std::string listing;                  // GBK
    bool listing_open = false;
    std::string status;                   // GBK
    std::map<const void*, Allocation> ledger;
    uint64_t alloc_seq = 0;
    std::map<std::string, Fault> faults;
    Readings readings;  // the readings of undocumented NX the session follows
    std::vector<std::string> call_log;
    std::map<std::string, int> call_counts;
    std::deque<Answer> answers;
    std::deque<DialogEvent> events;
    std::vector<std::string> errors;
    std::vector<std::string> refused;  // malformed input files met, each naming the file and field
    std::string dialog_folder;
    std::string library_path;
    double nx_release = 2007;  // see set_nx_release
    std::vector<std::unique_ptr<Dialog>> dialogs;  // open dialogs, innermost last
    int next_dialog_id = 1;
    std::map<int, std::string> messages;  // error code -> text, beyond the built-in ones
    int display = 1;                      // UF_DISP_set_display: 0 suppressed, 1 shown
    std::vector<UndoMark> undo_marks;     // oldest first
    int next_undo_mark = 1;
    // Drafting (calls_drafting.cpp): sheets by drawing tag, member views and ordinate objects by
    // tag, the settings, and the member-view counter of the "@n" names per part.
    std::map<tag_t, Sheet> sheets;
    std::map<tag_t, MemberView> member_views;
    std::map<tag_t, Ordinate> ordinates;
    DraftingSettings drafting;
    std::map<tag_t, int> member_view_numbers;
    std::shared_ptr<void> hlr_cache;      // geom_hlr.cpp: hidden-line results of this session
    std::shared_ptr<void> layer_index;    // calls_member_views.cpp: model objects by layer
    std::map<std::pair<tag_t, std::string>, tag_t> member_view_names;  // (part, upper-case name)
    std::map<std::pair<tag_t, int>, NameIndex> name_index;  // (part, type)
};

Session& S();

// Records the call, checks the API is initialised and applies an injected fault.
// Returns 0 to go on, or the error code the call must return.
int enter(const char* call);
// Same, for calls that NX allows before UF_initialize or that return no code.
int enter_any(const char* call);

// Memory handed to the plug-in, recorded in the ledger.
void* alloc(size_t bytes, const char* call);
char* alloc_string(const std::string& s, const char* call);
bool release(const void* p, const char* call);

void add_transcript(const std::string& kind, const std::string& gbk_text);
void error(const std::string& utf8_text);
// A malformed input file the host read (a part, a dialog description); the run ends with exit code
// 2 however the plug-in went on from the NX error it was given.
void refuse_input(const std::string& utf8_text);

std::string to_gbk(const std::string& utf8);
std::string to_utf8(const std::string& gbk);
std::string upper_ascii(std::string s);

// Copies s into a caller buffer of `size` bytes, always terminated.
void copy_out(char* dst, size_t size, const std::string& s);

// The object or part of a tag, or null; live_obj is null for a deleted object too. obj keeps the
// object's state for the open undo marks first (the caller may change it).
Object* obj(tag_t t);
Object* live_obj(tag_t t);
Part* part(tag_t t);
// The object of a tag for reading only (peek_live: null for a deleted one too): nothing is kept
// for the undo marks, so loops over a part's objects copy nothing.
const Object* peek(tag_t t);
const Object* peek_live(tag_t t);
// Files a part or object node of the session under its tag (null: the tag has none any more).
// Every insertion into or erasure from Session::parts and Session::objects goes through these.
void index_part(tag_t t, Part* p);
void index_object(tag_t t, Object* o);
// Keeping the name index (calls_geometry.cpp) right: an object renamed from old_name, an object
// deleted, and every index of the part dropped (undo put it back, or it left the session).
void names_renamed(const Object& o, const std::string& old_name);
void names_deleted(const Object& o);
void names_forget(tag_t part);
// A new model object of the part: the next tag, on the part's work layer, last in creation order.
Object& new_object(Part& p, int type, int subtype = 0);
// A new object of the part (its tag) with the next tag, on no layer and in none of the part's
// lists: the caller files it where it belongs (drawings, views, a sheet).
Object& new_unlisted_object(tag_t part, int type, int subtype = 0);
// A new part of the session, holding only "ALL", with layer 1 the work layer.
Part& new_part(const std::string& path, int units);

// Error codes of the host (NX-like numbers, texts from UF_get_fail_message).
enum ErrorCode {
    ERR_NOT_INITIALIZED = UF_err_program_not_initialized,
    ERR_BAD_TAG = 3,
    ERR_BAD_ARG = 4,
    ERR_INJECTED = 7,
    ERR_NO_WORK_PART = 640004,
    ERR_NAME_TOO_LONG = 1050004,
    ERR_STYLER_FILE = 1595001,
    ERR_STYLER_ITEM = 1595002,
    ERR_STYLER_ATTR = 1595003,
    ERR_STYLER_CONTEXT = 1595004,
    ERR_NOT_IN_ASSEMBLY = 630001,
    ERR_FILE_EXISTS = 640010,
    ERR_PART_NAME = 640011,
    ERR_FILE_WRITE = 640012,
    ERR_FILE_LOAD = 640013,
    ERR_WAVE_SOURCE = 1445001,
};

// Drawings (calls_drawing.cpp): a new drawing sheet of the part, named as given.
Object& new_drawing(Part& p, const std::string& name);

// Dialogs (styler.cpp), read from NX's UIStyler files (dlg_file.cpp).
// Reads the UIStyler file at path into d: 0, or -1 with *err naming the file, the line and what
// is wrong (a damaged stream, a wrong checksum, a field out of order, an unknown code).
int load_dlg(const std::string& path, Dialog& d, std::string* err);
// Checks the plug-in's callback table against the callbacks d's file declares: 0, or -1 with
// *err naming the file and the first row the file lacks (object and reason).
int check_file_callbacks(const Dialog& d, const std::string& path, const UF_STYLER_callback_info_t* cbs,
                         int n, std::string* err);

// Geometry (geom.cpp, geom_probe.cpp): solids as shape numbers; Open CASCADE stays in the geom
// files. geom_build builds a recipe into a new shape (-1 with *err naming the field);
// geom_build_at does too, reading STEP files relative to base_dir. geom_volume is a shape's
// volume (0 for none); geom_reset forgets every shape.
int geom_build(const json& recipe, const std::string& where, std::string* err);
double geom_volume(int shape);
void geom_reset();
int geom_build_at(const json& recipe, const std::string& base_dir, const std::string& where,
                  std::string* err);
// The shape's box in the frame (origin, rows of mtx are the axes), in frame coordinates: exact,
// or loose as NX's aligned boxes are (the hull of the control points of its NURBS form).
bool geom_box_in_frame(int shape, const double origin[3], const double mtx[9], bool loose,
                       double lo[3], double hi[3]);
// The number of lumps of the shape that the plane cuts or touches, or -1 when it can't be told.
int geom_plane_cuts(int shape, const double point[3], const double normal[3]);

// Model views (calls_views.cpp): the standard views and the default layout of a part, fitting
// (uc6432), and the part file's "views" and "layout".
void ensure_views(Part& p);
int fit_view(const char* name, int mode);
bool views_from_json(Part& p, const json& doc, const std::string& file, std::string* err);
void views_to_json(const Part& p, json& doc);

// Drafting (calls_drafting.cpp). sheet_of makes a drawing's sheet record when first needed;
// drop_sheet removes what lies on a deleted drawing; sheet_to_json / sheet_from_json write and
// read a drawing's sheet in the part file's "drawings" entry.
Sheet& sheet_of(tag_t drawing);
void drop_sheet(tag_t drawing);
void sheet_to_json(tag_t drawing, json& entry);
bool sheet_from_json(tag_t drawing, const json& entry, const std::string& where, std::string* err);
// Sheets rendered as SVG (svg.cpp).
std::string sheet_svg(tag_t drawing);

// Part files (partio.cpp). load_part_file reads a part file into a new part of the session: 0
// with *out, or -1 with *err naming the file and the field (a malformed file is also a refused
// input). part_to_json gives the part as its file holds it. discard_part takes a part out of
// the session with everything made for it (objects, drawings and their sheets, views), as a part
// read only to be copied is.
int load_part_file(const std::string& path, tag_t* out, std::string* err);
json part_to_json(const Part& p);
void discard_part(tag_t part);

}  // namespace nxsim
