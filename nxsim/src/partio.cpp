// Reading and writing simulated part files (JSON), in the same sections both ways; the inputs
// the host refused. Every refusal names the file and the field.
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "util.h"

namespace nxsim {

namespace {

// What a mould can measure. A coordinate or a length beyond these is a slip of the keyboard, and
// sends the geometry kernel into endless work or overflow (a cylinder at x = 1e308).
constexpr double kMaxCoord = 1e5;  // mm from the origin, each coordinate
constexpr double kMaxSize = 1e5;   // mm, lengths, radii, heights, sizes and scales
// No part nests this deep; copying or walking a deeper document would exhaust the stack.
constexpr int kMaxDepth = 64;

const json kAbsent;  // what field() gives for a field an object does not have

// A field of a JSON object; null when the object lacks it or is no object.
const json& field(const json& j, const char* key) {
    if (!j.is_object()) return kAbsent;
    auto it = j.find(key);
    return it == j.end() ? kAbsent : *it;
}

bool has(const json& j, const char* key) { return j.is_object() && j.contains(key); }

std::string beyond(double max) {
    char buf[64];
    snprintf(buf, sizeof buf, "beyond %.0f mm (out of a mould's range)", max);
    return buf;
}

// The typed accessors every field of a part file is taken through: each checks the JSON kind and
// the range before the value is used, and refuses with the file and the field's path.
struct Reader {
    std::string file;
    std::string err;

    bool fail(const std::string& where, const std::string& what) {
        if (err.empty()) err = file + ": " + where + ": " + what;
        return false;
    }

    bool reals(const json& j, size_t n, const std::string& where, double* out) {
        std::string what = "expected an array of " + std::to_string(n) + " numbers";
        if (!j.is_array() || j.size() != n) return fail(where, what);
        for (size_t i = 0; i < n; ++i) {
            if (!j[i].is_number()) return fail(where, what);
            out[i] = j[i].get<double>();
        }
        return true;
    }

    // A point, or a direction: 3 numbers, none beyond the mould's range.
    bool vec3(const json& j, const std::string& where, std::array<double, 3>* out) {
        if (!reals(j, 3, where, out->data())) return false;
        for (double c : *out)
            if (!(std::fabs(c) <= kMaxCoord)) return fail(where, beyond(kMaxCoord));
        return true;
    }

    bool mtx9(const json& j, const std::string& where, std::array<double, 9>* out) {
        if (!reals(j, 9, where, out->data())) return false;
        // Rows are the axes: they must be unit length and at right angles (a NaN fails too).
        for (int a = 0; a < 3; ++a) {
            for (int b = a; b < 3; ++b) {
                double dot = 0;
                for (int k = 0; k < 3; ++k) dot += (*out)[3 * a + k] * (*out)[3 * b + k];
                if (!(std::fabs(dot - (a == b ? 1.0 : 0.0)) <= 1e-6))
                    return fail(where, "the matrix rows are not orthonormal");
            }
        }
        return true;
    }

    bool number(const json& j, const std::string& where, double lo, double hi, double* out) {
        if (!j.is_number()) return fail(where, "expected a number");
        *out = j.get<double>();
        if (!(*out >= lo && *out <= hi)) return fail(where, beyond(hi));
        return true;
    }

    // A length: positive and within the mould's range.
    bool length(const json& j, const std::string& where, double* out) {
        if (!j.is_number() || !(j.get<double>() > 0)) return fail(where, "expected a positive number");
        return number(j, where, 0, kMaxSize, out);
    }

    bool text(const json& j, const std::string& where, std::string* out) {
        if (!j.is_string()) return fail(where, "expected a text");
        *out = to_gbk(j.get<std::string>());
        return true;
    }

    bool integer(const json& j, const std::string& where, int lo, int hi, int* out) {
        if (!j.is_number_integer()) return fail(where, "expected an integer");
        // An unsigned value past the signed range reads as negative and is refused below.
        long long v = j.get<long long>();
        if (v < lo || v > hi)
            return fail(where, "must be from " + std::to_string(lo) + " to " + std::to_string(hi));
        *out = (int)v;
        return true;
    }

    // "layers": [101, "110-120"]
    bool layers(const json& j, const std::string& where, std::array<bool, 256>* mask) {
        if (j.is_string() && j.get<std::string>() == "1-256") {
            mask->fill(true);
            return true;
        }
        if (!j.is_array()) return fail(where, "expected an array of layers or \"a-b\" ranges");
        for (size_t i = 0; i < j.size(); ++i) {
            std::string w = where + "[" + std::to_string(i) + "]";
            int a = 0, b = 0;
            if (j[i].is_number_integer()) {
                if (!integer(j[i], w, 1, 256, &a)) return false;
                b = a;
            } else if (j[i].is_string()) {
                if (!range(j[i].get<std::string>(), &a, &b))
                    return fail(w, "expected a range \"a-b\" within 1-256");
            } else {
                return fail(w, "expected a layer number or range");
            }
            for (int l = a; l <= b; ++l) (*mask)[l - 1] = true;
        }
        return true;
    }

    static bool range(const std::string& s, int* a, int* b) {
        char* end = nullptr;
        long x = strtol(s.c_str(), &end, 10);
        if (end == s.c_str() || *end != '-') return false;
        const char* second = end + 1;
        long y = strtol(second, &end, 10);
        if (end == second || *end || x < 1 || y > 256 || x > y) return false;
        *a = (int)x;
        *b = (int)y;
        return true;
    }

    // Ranges of a solid's recipe, walked as the geometry kernel's builder walks it (box, cylinder,
    // step, union, place, the first found); kinds and missing fields are left to the builder,
    // which names them.
    bool shape_limits(const json& s, const std::string& w, const std::string& base_dir) {
        if (has(s, "box")) {
            const json& b = s["box"];
            return limit(field(b, "origin"), w + ".box.origin", kMaxCoord) &&
                   limit(field(b, "size"), w + ".box.size", kMaxSize);
        }
        if (has(s, "cylinder")) {
            const json& c = s["cylinder"];
            return limit(field(c, "origin"), w + ".cylinder.origin", kMaxCoord) &&
                   limit(field(c, "axis"), w + ".cylinder.axis", kMaxCoord) &&
                   limit(field(c, "radius"), w + ".cylinder.radius", kMaxSize) &&
                   limit(field(c, "height"), w + ".cylinder.height", kMaxSize);
        }
        if (has(s, "step")) return step_file(s["step"], w + ".step", base_dir);
        if (has(s, "union")) {
            const json& u = s["union"];
            for (size_t i = 0; u.is_array() && i < u.size(); ++i)
                if (!shape_limits(u[i], w + ".union[" + std::to_string(i) + "]", base_dir)) return false;
            return true;
        }
        if (has(s, "place")) {
            const json& p = s["place"];
            return limit(field(p, "origin"), w + ".place.origin", kMaxCoord) &&
                   limit(field(p, "x"), w + ".place.x", kMaxCoord) && limit(field(p, "y"), w + ".place.y", kMaxCoord) &&
                   shape_limits(field(s, "shape"), w + ".shape", base_dir);
        }
        return true;
    }

    // A number, or each number of an array, no larger than max either way.
    bool limit(const json& j, const std::string& where, double max) {
        if (j.is_number() && !(std::fabs(j.get<double>()) <= max)) return fail(where, beyond(max));
        for (size_t i = 0; j.is_array() && i < j.size(); ++i)
            if (j[i].is_number() && !(std::fabs(j[i].get<double>()) <= max)) return fail(where, beyond(max));
        return true;
    }

    // A STEP file that exists must be a plain file: a device or a pipe would be read forever.
    bool step_file(const json& j, const std::string& where, const std::string& base_dir) {
        if (!j.is_string() || j.get<std::string>().empty()) return true;
        std::string name = j.get<std::string>();
        std::string path = name[0] == '/' ? name : base_dir + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return fail(where, "the STEP file " + path + " is not a file");
        return true;
    }
};

const char* type_name(int type) {
    switch (type) {
        case T_POINT: return "point";
        case T_LINE: return "line";
        case T_ARC: return "arc";
        case T_CATEGORY: return "category";
        case T_GROUP: return "group";
        case T_NOTE: return "note";
        case T_CSYS: return "csys";
        case T_MATRIX: return "matrix";
        case T_SOLID: return "solid";
        case T_COMPONENT: return "component";
        case T_FEATURE: return "feature";
        case T_DPLANE: return "datum_plane";
    }
    return nullptr;
}

int type_of(const std::string& name) {
    const int all[] = {T_POINT, T_LINE, T_ARC, T_CATEGORY, T_GROUP, T_NOTE, T_CSYS, T_MATRIX, T_SOLID,
                       T_COMPONENT, T_FEATURE, T_DPLANE};
    for (int t : all)
        if (name == type_name(t)) return t;
    return -1;
}

const char* status_name(int s) {
    switch (s) {
        case UF_LAYER_REFERENCE_LAYER: return "reference";
        case UF_LAYER_INACTIVE_LAYER: return "invisible";
    }
    return "selectable";
}

// The id an object gets when its part is saved: its place among the part's saved objects.
// The session's objects are walked alongside the part's (both follow creation order) instead of
// looked up one by one, as every linked feature of every part asks it.
int saved_id(const Part& p, tag_t t) {
    const auto& all = S().objects;
    auto at = all.begin();
    int next = 0;
    for (tag_t x : p.order) {
        while (at != all.end() && at->first < x) ++at;
        const Object* o = (at != all.end() && at->first == x) ? &at->second : obj(x);
        if (!o || !o->alive || o->temporary || o->sheet) continue;  // a sheet's objects go with it
        ++next;
        if (x == t) return next;
    }
    return 0;
}

// Where a linked feature's geometry comes from: the source part's file name, the object's id
// in that part as saved and its name. A link read back from a file keeps what the file said.
json link_source_json(const Object& f) {
    json src = f.link.is_object() ? f.link : json::object();
    const Object* o = obj(f.link_source);
    const Part* sp = o ? part(o->part) : nullptr;
    if (!o || !o->alive || !sp) return src;
    json out;
    out["part"] = leaf_name(sp->path);
    out["object"] = saved_id(*sp, o->tag);
    if (!o->name.empty()) out["name"] = to_utf8(o->name);
    if (src.contains("at_timestamp")) out["at_timestamp"] = src["at_timestamp"];
    return out;
}


// The part being read, in the session under its own tag. Unless kept, it is taken out again with
// everything made for it, so that a refused file, whichever field refuses it, leaves the session
// as it was.
class ScratchPart {
public:
    ScratchPart(const std::string& path, int units) : tag_(new_part(path, units).tag) {}
    ScratchPart(const ScratchPart&) = delete;
    ScratchPart& operator=(const ScratchPart&) = delete;
    ~ScratchPart() {
        if (tag_) discard_part(tag_);
    }
    Part& get() { return *part(tag_); }
    tag_t keep() {
        tag_t t = tag_;
        tag_ = 0;
        return t;
    }

private:
    tag_t tag_;
};

// Reads one part document into a scratch part, in the sections the Writer writes: the header
// and the part's attributes, the layer statuses, the WCS, the objects (the fields every object
// has, then its type's), the references between objects (resolved once all are read), the
// drawings and the views. Each section is a step that is false, with err, on a refusal.
struct Loader : Reader {
    Part& p;
    std::string folder;  // the part file's folder, which STEP file names are relative to
    std::map<long long, tag_t> ids;
    struct Ref {
        Object* o;
        const json* ids;  // into the document, which outlives the loader
        std::string where;
    };
    std::vector<Ref> refs;
    bool have_all = false;

    Loader(const std::string& path, Part& part) : Reader{path, ""}, p(part) {
        size_t slash = path.find_last_of('/');
        folder = slash == std::string::npos ? "." : path.substr(0, slash);
    }

    bool read(const json& doc) {
        return header(doc) && layer_statuses(doc) && wcs(doc) && objects(field(doc, "objects")) &&
               resolve_references() && drawings(doc) && views(doc);
    }

    // The work layer and the part's attributes (format, version and units are read first, by
    // read_format, as the part is made in its units).
    bool header(const json& doc) {
        if (has(doc, "work_layer") && !integer(doc["work_layer"], "work_layer", 1, 256, &p.work_layer)) return false;
        return !has(doc, "attributes") || attributes(doc["attributes"], "attributes", &p.attrs);
    }

    // Layers not listed are selectable; the work layer is the work layer whatever is listed.
    bool layer_statuses(const json& doc) {
        p.layer_status[1] = UF_LAYER_ACTIVE_LAYER;
        if (has(doc, "layer_status") && !layer_status(doc["layer_status"])) return false;
        p.layer_status[p.work_layer] = UF_LAYER_WORK_LAYER;
        return true;
    }

    bool layer_status(const json& ls) {
        if (!ls.is_object()) return fail("layer_status", "expected an object");
        for (auto it = ls.begin(); it != ls.end(); ++it) {
            std::string w = "layer_status." + it.key();
            char* end = nullptr;
            long l = strtol(it.key().c_str(), &end, 10);
            if (*end || l < 1 || l > 256) return fail(w, "not a layer 1-256");
            std::string v = it.value().is_string() ? it.value().get<std::string>() : "";
            int st = v == "selectable"  ? UF_LAYER_ACTIVE_LAYER
                     : v == "reference" ? UF_LAYER_REFERENCE_LAYER
                     : v == "invisible" ? UF_LAYER_INACTIVE_LAYER
                                        : 0;
            if (!st) return fail(w, "expected \"selectable\", \"reference\" or \"invisible\"");
            p.layer_status[l] = st;
        }
        return true;
    }

    bool wcs(const json& doc) {
        if (!has(doc, "wcs")) return true;
        const json& w = doc["wcs"];
        if (!w.is_object()) return fail("wcs", "expected an object");
        return vec3(field(w, "origin"), "wcs.origin", &p.wcs_origin) &&
               mtx9(field(w, "matrix"), "wcs.matrix", &p.wcs_mtx);
    }

    bool objects(const json& objs) {
        if (objs.is_null()) return true;
        if (!objs.is_array()) return fail("objects", "expected an array");
        for (size_t i = 0; i < objs.size(); ++i)
            if (!object(objs[i], "objects[" + std::to_string(i) + "]")) return false;
        return true;
    }

    bool object(const json& j, const std::string& w) {
        if (!j.is_object()) return fail(w, "expected an object");
        const json& idj = field(j, "id");
        if (!idj.is_number_integer() || idj.get<long long>() < 1) return fail(w + ".id", "expected a positive integer");
        long long id = idj.get<long long>();
        if (ids.count(id)) return fail(w + ".id", "duplicate id " + std::to_string(id));
        const json& tj = field(j, "type");
        if (!tj.is_string()) return fail(w + ".type", "expected a text naming the object's type");
        std::string tname = tj.get<std::string>();
        int type = type_of(tname);
        if (type < 0) return fail(w + ".type", "unknown type '" + tname + "'");

        Object* o = nullptr;
        const json& name = field(j, "name");
        if (type == T_CATEGORY && name.is_string() && upper_ascii(name.get<std::string>()) == "ALL") {
            // The session's "ALL" was made by new_part; a file that lists its own replaces it.
            if (have_all) return fail(w + ".name", "a second ALL category");
            have_all = true;
            o = obj(p.by_type[T_CATEGORY].front());
        } else {
            o = &new_object(p, type, type == T_NOTE || type == T_COMPONENT ? 1 : 0);
        }
        ids[id] = o->tag;
        o->layer = type == T_CATEGORY ? 0 : 1;
        o->color = type == T_SOLID ? 87 : 1;
        return common(*o, j, w) && fields(*o, j, w);
    }

    // The fields every object may have.
    bool common(Object& o, const json& j, const std::string& w) {
        if (has(j, "name") && !text(j["name"], w + ".name", &o.name)) return false;
        if (o.name.size() > 30) return fail(w + ".name", "longer than 30 characters");
        if (has(j, "layer") && o.type != T_CATEGORY && !integer(j["layer"], w + ".layer", 1, 256, &o.layer))
            return false;
        if (has(j, "color") && !integer(j["color"], w + ".color", 1, 216, &o.color)) return false;
        if (has(j, "line_width") && !integer(j["line_width"], w + ".line_width", -1, 14, &o.line_width))
            return false;
        if (has(j, "blank")) {
            if (!j["blank"].is_boolean()) return fail(w + ".blank", "expected true or false");
            o.blank = j["blank"].get<bool>() ? 1 : 0;
        }
        if (has(j, "attributes") && !attributes(j["attributes"], w + ".attributes", &o.attrs)) return false;
        return true;
    }

    // Attributes {title: value}, of an object or of the part: a string is a string attribute, a
    // whole number an integer one (within int), any other number a real one.
    bool attributes(const json& a, const std::string& w, Attributes* out) {
        if (!a.is_object()) return fail(w, "expected an object");
        for (auto it = a.begin(); it != a.end(); ++it) {
            AttrValue v;
            const json& x = it.value();
            if (x.is_number_integer()) {
                long long n = x.get<long long>();
                if (n < INT_MIN || n > INT_MAX) return fail(w + "." + it.key(), "an integer attribute beyond int");
                v.type = UF_ATTR_integer;
                v.number = (double)n;
            } else if (x.is_number_float()) {
                v.type = UF_ATTR_real;
                v.number = x.get<double>();
            } else if (!text(x, w + "." + it.key(), &v.text)) {
                return false;
            }
            (*out)[to_gbk(it.key())] = v;
        }
        return true;
    }

    // The fields of the object's type.
    bool fields(Object& o, const json& j, const std::string& w) {
        switch (o.type) {
            case T_CATEGORY: return category(o, j, w);
            case T_POINT: return vec3(field(j, "coords"), w + ".coords", &o.p1);
            case T_LINE: return vec3(field(j, "start"), w + ".start", &o.p1) && vec3(field(j, "end"), w + ".end", &o.p2);
            case T_MATRIX: return mtx9(field(j, "values"), w + ".values", &o.mtx);
            case T_CSYS:
                return vec3(field(j, "origin"), w + ".origin", &o.p1) && mtx9(field(j, "matrix"), w + ".matrix", &o.mtx);
            case T_ARC: return arc(o, j, w);
            case T_NOTE: return note(o, j, w);
            case T_GROUP: return reference(o, j, "members", w);
            case T_COMPONENT: return component(o, j, w);
            case T_FEATURE: return feature(o, j, w);
            case T_DPLANE: return datum_plane(o, j, w);
            case T_SOLID: return solid(o, j, w);
        }
        return true;
    }

    bool category(Object& o, const json& j, const std::string& w) {
        if (o.name.empty()) return fail(w + ".name", "a category needs a name");
        if (upper_ascii(o.name) != "ALL") {
            o.cat_layers.fill(false);
            if (!layers(has(j, "layers") ? j["layers"] : json::array(), w + ".layers", &o.cat_layers)) return false;
        }
        return !has(j, "description") || text(j["description"], w + ".description", &o.cat_desc);
    }

    // An arc as NX keeps one: its start before its end, at most a full turn.
    bool arc(Object& o, const json& j, const std::string& w) {
        if (!vec3(field(j, "center"), w + ".center", &o.p1) || !length(field(j, "radius"), w + ".radius", &o.radius) ||
            !number(field(j, "start_angle"), w + ".start_angle", -kMaxSize, kMaxSize, &o.a0) ||
            !number(field(j, "end_angle"), w + ".end_angle", -kMaxSize, kMaxSize, &o.a1))
            return false;
        if (o.a1 < o.a0) return fail(w + ".end_angle", "before the start angle");
        if (o.a1 - o.a0 > TWOPI + 1e-9) return fail(w + ".end_angle", "more than a full turn after the start angle");
        return reference(o, j, "matrix", w);
    }

    bool note(Object& o, const json& j, const std::string& w) {
        const json& t = field(j, "text");
        if (!t.is_null() && !t.is_array()) return fail(w + ".text", "expected an array of lines");
        for (size_t k = 0; t.is_array() && k < t.size(); ++k) {
            std::string line;
            if (!text(t[k], w + ".text[" + std::to_string(k) + "]", &line)) return false;
            o.note.push_back(line);
        }
        // Where the note stands: its origin, character height and alignment.
        if (has(j, "origin") && !vec3(j["origin"], w + ".origin", &o.p1)) return false;
        if (has(j, "height") && !length(j["height"], w + ".height", &o.text_height)) return false;
        if (has(j, "align")) {
            std::string a = j["align"].is_string() ? j["align"].get<std::string>() : "";
            o.text_align = a == "left" ? 0 : a == "center" ? 1 : a == "right" ? 2 : -1;
            if (o.text_align < 0) return fail(w + ".align", "expected \"left\", \"center\" or \"right\"");
        }
        return true;
    }

    bool component(Object& o, const json& j, const std::string& w) {
        // The instanced part is named, not loaded: its file may live elsewhere.
        if (!text(field(j, "part"), w + ".part", &o.child_path)) return false;
        o.child_path = to_utf8(o.child_path);
        if (o.child_path.empty()) return fail(w + ".part", "a component needs a part file");
        o.mtx = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        return (!has(j, "origin") || vec3(j["origin"], w + ".origin", &o.p1)) &&
               (!has(j, "matrix") || mtx9(j["matrix"], w + ".matrix", &o.mtx)) &&
               (!has(j, "refset") || text(j["refset"], w + ".refset", &o.refset));
    }

    bool feature(Object& o, const json& j, const std::string& w) {
        o.layer = 0;
        if (!text(field(j, "feature_type"), w + ".feature_type", &o.feature_type)) return false;
        if (has(j, "source") && !j["source"].is_object()) return fail(w + ".source", "expected an object");
        o.link = has(j, "source") ? j["source"] : json::object();
        return reference(o, j, "geometry", w);
    }

    bool datum_plane(Object& o, const json& j, const std::string& w) {
        if (!vec3(field(j, "origin"), w + ".origin", &o.p1) || !vec3(field(j, "normal"), w + ".normal", &o.p2))
            return false;
        double len = std::sqrt(o.p2[0] * o.p2[0] + o.p2[1] * o.p2[1] + o.p2[2] * o.p2[2]);
        if (len < 1e-12) return fail(w + ".normal", "must not be zero");
        for (double& c : o.p2) c /= len;
        return true;
    }

    bool solid(Object& o, const json& j, const std::string& w) {
        if (!has(j, "shape")) return fail(w + ".shape", "a solid needs a shape");
        if (!shape_limits(j["shape"], w + ".shape", folder)) return false;
        std::string gerr;
        o.shape = geom_build_at(j["shape"], folder, w + ".shape", &gerr);
        if (o.shape < 0) {
            if (err.empty()) err = file + ": " + gerr;  // the builder names the field
            return false;
        }
        o.recipe = j["shape"];
        return true;
    }

    // Ids of other objects, resolved once every object is read.
    bool reference(Object& o, const json& j, const char* key, const std::string& w) {
        refs.push_back({&o, &field(j, key), w + "." + key});
        return true;
    }

    bool resolve(const json& id, tag_t* t) {
        if (!id.is_number_integer() || !ids.count(id.get<long long>())) return false;
        *t = ids[id.get<long long>()];
        return true;
    }

    bool resolve_references() {
        for (const Ref& ref : refs) {
            const json& j = *ref.ids;
            if (ref.o->type == T_ARC) {
                if (!resolve(j, &ref.o->matrix) || obj(ref.o->matrix)->type != T_MATRIX)
                    return fail(ref.where, "expected the id of a matrix object");
                continue;
            }
            if (j.is_null()) continue;  // a group or feature without members
            if (!j.is_array()) return fail(ref.where, "expected an array of ids");
            for (size_t k = 0; k < j.size(); ++k) {
                tag_t t = 0;
                if (!resolve(j[k], &t)) return fail(ref.where + "[" + std::to_string(k) + "]", "unknown id");
                ref.o->members.push_back(t);
            }
        }
        return true;
    }

    // Drawing sheets, by name; the current one is the sheet shown when the part was saved.
    bool drawings(const json& doc) {
        const json& ds = field(doc, "drawings");
        if (!ds.is_null() && !ds.is_array()) return fail("drawings", "expected an array");
        for (size_t i = 0; ds.is_array() && i < ds.size(); ++i) {
            std::string w = "drawings[" + std::to_string(i) + "]";
            if (!ds[i].is_object()) return fail(w, "expected an object");
            std::string name;
            if (!text(field(ds[i], "name"), w + ".name", &name)) return false;
            if (name.empty() || name.size() > 30) return fail(w + ".name", "expected 1 to 30 characters");
            for (tag_t t : p.drawings)
                if (obj(t)->name == name) return fail(w + ".name", "a second drawing " + ds[i]["name"].get<std::string>());
            if (!limit(field(ds[i], "size"), w + ".size", kMaxSize) || !limit(field(ds[i], "scale"), w + ".scale", kMaxSize))
                return false;
            Object& drawing = new_drawing(p, name);
            std::string serr;
            if (!sheet_from_json(drawing.tag, ds[i], file + ": " + w, &serr)) return whole(serr);
        }
        if (has(doc, "current_drawing")) {
            std::string name;
            if (!text(doc["current_drawing"], "current_drawing", &name)) return false;
            for (tag_t t : p.drawings)
                if (obj(t)->name == name) p.current_drawing = t;
            if (!p.current_drawing) return fail("current_drawing", "no drawing of that name");
        }
        return true;
    }

    bool views(const json& doc) {
        const json& vs = field(doc, "views");
        for (size_t i = 0; vs.is_array() && i < vs.size(); ++i) {
            std::string w = "views[" + std::to_string(i) + "]";
            if (!limit(field(vs[i], "centre"), w + ".centre", kMaxCoord) || !limit(field(vs[i], "scale"), w + ".scale", kMaxSize))
                return false;
        }
        std::string verr;
        return views_from_json(p, doc, file, &verr) || whole(verr);
    }

    // A refusal already worded with the file and the field.
    bool whole(const std::string& message) {
        if (err.empty()) err = message;
        return false;
    }
};

// The document, or null with *err: not JSON, not an object, nested beyond any part's depth.
json parse_document(const std::string& path, std::string* err) {
    std::ifstream in(path);
    if (!in) {
        *err = path + ": the part file cannot be opened";
        return json();
    }
    bool too_deep = false;
    json::parser_callback_t depth = [&](int d, json::parse_event_t, json&) {
        too_deep = too_deep || d > kMaxDepth;
        return true;
    };
    json doc = json::parse(in, depth, false);
    if (doc.is_discarded()) *err = path + ": not a JSON document";
    else if (too_deep) *err = path + ": fields nested deeper than " + std::to_string(kMaxDepth) + " levels";
    else if (!doc.is_object()) *err = path + ": the document is not a JSON object";
    else return doc;
    return json();
}

// The part file's format and version, which must be this host's, and its units; false with *err.
bool read_format(const json& doc, const std::string& path, int* units, std::string* err) {
    const json& format = field(doc, "format");
    if (!format.is_string() || format.get<std::string>() != "nxsim-part") {
        *err = path + ": format: expected \"nxsim-part\"";
        return false;
    }
    if (field(doc, "version") != 1) {
        *err = path + ": version: expected 1";
        return false;
    }
    *units = UF_PART_METRIC;
    if (has(doc, "units")) {
        const json& u = doc["units"];
        if (u == "english")
            *units = UF_PART_ENGLISH;
        else if (u != "metric") {
            *err = path + ": units: expected \"metric\" or \"english\"";
            return false;
        }
    }
    return true;
}

// Reads the part file into a new part of the session: 0 with *out, or -1 with *err naming the
// file and the field; a refused file leaves the session as it was.
int read_part_file(const std::string& path, tag_t* out, std::string* err) {
    *out = 0;
    json doc = parse_document(path, err);
    int units = UF_PART_METRIC;
    if (doc.is_null() || !read_format(doc, path, &units, err)) return -1;
    try {
        ScratchPart scratch(path, units);
        Loader r(path, scratch.get());
        if (!r.read(doc)) {
            *err = r.err;
            return -1;
        }
        *out = scratch.keep();
        return 0;
    } catch (const std::exception& e) {
        // Each field is checked before it is taken: this is the last guard, not a way of reading.
        *err = path + ": the part file cannot be read (" + e.what() + ")";
        return -1;
    }
}

// Writes a part as its part file holds it, in the sections the Loader reads back: the header,
// the layer statuses, the WCS, the part's attributes, the objects (the fields every object has,
// then its type's) with their references as saved ids, the views and the drawings.
class Writer {
public:
    // Ids are renumbered in creation order so that dumps compare across sessions.
    explicit Writer(const Part& part) : p_(part) {
        int next = 1;
        for (tag_t t : p_.order) {
            const Object* o = obj(t);
            if (o && o->alive && !o->temporary && !o->sheet) id_[t] = next++;  // a sheet's go with it
        }
    }

    json document() const {
        json doc;
        header(doc);
        doc["layer_status"] = layer_status();
        doc["wcs"] = {{"origin", rounded(p_.wcs_origin.data(), 3)}, {"matrix", rounded(p_.wcs_mtx.data(), 9)}};
        if (!p_.attrs.empty()) doc["attributes"] = attributes(p_.attrs);
        json objs = json::array();
        for (tag_t t : p_.order)
            if (id_.count(t)) objs.push_back(object(*obj(t)));
        doc["objects"] = std::move(objs);
        views_to_json(p_, doc);
        drawings(doc);
        return doc;
    }

private:
    void header(json& doc) const {
        doc["format"] = "nxsim-part";
        doc["version"] = 1;
        doc["units"] = p_.units == UF_PART_ENGLISH ? "english" : "metric";
        doc["work_layer"] = p_.work_layer;
    }

    // The layers that are not selectable (nor the work layer), by number.
    json layer_status() const {
        json ls = json::object();
        for (int l = 1; l <= 256; ++l)
            if (p_.layer_status[l] == UF_LAYER_REFERENCE_LAYER || p_.layer_status[l] == UF_LAYER_INACTIVE_LAYER)
                ls[std::to_string(l)] = status_name(p_.layer_status[l]);
        return ls;
    }

    static json attributes(const Attributes& attrs) {
        json a = json::object();
        for (auto& kv : attrs) {
            const AttrValue& v = kv.second;
            json& out = a[to_utf8(kv.first)];
            if (v.type == UF_ATTR_integer)
                out = (long long)v.number;
            else if (v.type == UF_ATTR_real)
                out = v.number;
            else
                out = to_utf8(v.text);
        }
        return a;
    }

    json object(const Object& o) const {
        json j;
        j["id"] = id_.at(o.tag);
        j["type"] = type_name(o.type);
        common(o, j);
        fields(o, j);
        return j;
    }

    // The fields every object may have; categories and features lie on no layer.
    void common(const Object& o, json& j) const {
        if (!o.name.empty()) j["name"] = to_utf8(o.name);
        if (o.type != T_CATEGORY && o.type != T_FEATURE) {
            j["layer"] = o.layer;
            if (o.type != T_COMPONENT) j["color"] = o.color;
            if (o.blank) j["blank"] = true;
            if (o.line_width) j["line_width"] = o.line_width;
        }
        if (!o.attrs.empty()) j["attributes"] = attributes(o.attrs);
    }

    // The fields of the object's type.
    void fields(const Object& o, json& j) const {
        switch (o.type) {
            case T_CATEGORY: {
                bool all = true;
                for (bool b : o.cat_layers) all = all && b;
                j["layers"] = all ? json("1-256") : layer_ranges(o.cat_layers);
                if (!o.cat_desc.empty()) j["description"] = to_utf8(o.cat_desc);
                break;
            }
            case T_POINT: j["coords"] = rounded(o.p1.data(), 3); break;
            case T_LINE:
                j["start"] = rounded(o.p1.data(), 3);
                j["end"] = rounded(o.p2.data(), 3);
                break;
            case T_MATRIX: j["values"] = rounded(o.mtx.data(), 9); break;
            case T_CSYS:
                j["origin"] = rounded(o.p1.data(), 3);
                j["matrix"] = rounded(o.mtx.data(), 9);
                break;
            case T_ARC:
                j["matrix"] = id_.count(o.matrix) ? json(id_.at(o.matrix)) : json();
                j["center"] = rounded(o.p1.data(), 3);
                j["radius"] = o.radius;
                j["start_angle"] = o.a0;
                j["end_angle"] = o.a1;
                break;
            case T_NOTE: {
                json lines = json::array();
                for (auto& l : o.note) lines.push_back(to_utf8(l));
                j["text"] = lines;
                if (o.p1[0] != 0 || o.p1[1] != 0 || o.p1[2] != 0) j["origin"] = rounded(o.p1.data(), 3);
                if (o.text_height > 0) j["height"] = o.text_height;
                if (o.text_align == 1 || o.text_align == 2) j["align"] = o.text_align == 1 ? "center" : "right";
                break;
            }
            case T_GROUP: j["members"] = ids(o.members); break;
            case T_COMPONENT:
                j["part"] = o.child_path;
                if (!o.refset.empty()) j["refset"] = to_utf8(o.refset);
                j["origin"] = rounded(o.p1.data(), 3);
                j["matrix"] = rounded(o.mtx.data(), 9);
                break;
            case T_FEATURE:
                j["feature_type"] = o.feature_type;
                j["source"] = link_source_json(o);
                j["geometry"] = ids(o.members);
                break;
            case T_DPLANE:
                j["origin"] = rounded(o.p1.data(), 3);
                j["normal"] = rounded(o.p2.data(), 3);
                break;
            case T_SOLID: {
                j["shape"] = o.recipe;
                char buf[64];
                snprintf(buf, sizeof buf, "%.3f", geom_volume(o.shape));
                j["volume"] = std::stod(buf);
                break;
            }
        }
    }

    // References to other objects of the part, as saved ids; objects not saved are left out.
    json ids(const std::vector<tag_t>& tags) const {
        json out = json::array();
        for (tag_t x : tags)
            if (id_.count(x)) out.push_back(id_.at(x));
        return out;
    }

    // The drawing sheets with what lies on them, and the one shown.
    void drawings(json& doc) const {
        json drawings = json::array();
        for (tag_t t : p_.drawings) {
            const Object* o = obj(t);
            if (!o || !o->alive) continue;
            json entry = {{"name", to_utf8(o->name)}};
            sheet_to_json(t, entry);
            drawings.push_back(entry);
        }
        if (!drawings.empty()) doc["drawings"] = std::move(drawings);
        const Object* current = obj(p_.current_drawing);
        if (current && current->alive) doc["current_drawing"] = to_utf8(current->name);
    }

    const Part& p_;
    std::map<tag_t, int> id_;
};

}  // namespace

// A refused part ends the run with exit code 2 even when the plug-in went on from the NX error
// code it was given; a missing file is no malformed input.
int load_part_file(const std::string& path, tag_t* out, std::string* err) {
    std::string missing = path + ": the part file cannot be opened";
    if (read_part_file(path, out, err) == 0) return 0;
    if (*err != missing) refuse_input(*err);
    return -1;
}

void refuse_input(const std::string& utf8_text) {
    auto& refused = S().refused;
    // A file read again (a template for each sheet) is named once.
    if (std::find(refused.begin(), refused.end(), utf8_text) == refused.end()) refused.push_back(utf8_text);
}

const std::vector<std::string>& refused_inputs() { return S().refused; }

void discard_part(tag_t t) {
    Session& s = S();
    Part* p = part(t);
    if (!p) return;
    auto drop = [&](tag_t o) {
        s.objects.erase(o);
        index_object(o, nullptr);
    };
    for (tag_t o : p->order) drop(o);
    for (tag_t o : p->drawings) {
        drop(o);
        s.sheets.erase(o);
    }
    for (tag_t o : p->views) drop(o);
    s.part_order.erase(std::remove(s.part_order.begin(), s.part_order.end(), t), s.part_order.end());
    s.parts.erase(t);
    index_part(t, nullptr);
    names_forget(t);
}

json part_to_json(const Part& p) { return Writer(p).document(); }

}  // namespace nxsim
