// Reading and writing simulated part files (JSON). Every refusal names the file and the field.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "state.h"

namespace nxsim {

namespace {

struct Reader {
    std::string file;
    std::string err;

    bool fail(const std::string& where, const std::string& what) {
        if (err.empty()) err = file + ": " + where + ": " + what;
        return false;
    }

    bool vec3(const json& j, const std::string& where, std::array<double, 3>* out) {
        if (!j.is_array() || j.size() != 3) return fail(where, "expected an array of 3 numbers");
        for (int i = 0; i < 3; ++i) {
            if (!j[i].is_number()) return fail(where, "expected an array of 3 numbers");
            (*out)[i] = j[i].get<double>();
        }
        return true;
    }

    bool mtx9(const json& j, const std::string& where, std::array<double, 9>* out) {
        if (!j.is_array() || j.size() != 9) return fail(where, "expected an array of 9 numbers");
        for (int i = 0; i < 9; ++i) {
            if (!j[i].is_number()) return fail(where, "expected an array of 9 numbers");
            (*out)[i] = j[i].get<double>();
        }
        // Rows are the axes: they must be unit length and at right angles.
        for (int a = 0; a < 3; ++a) {
            for (int b = a; b < 3; ++b) {
                double dot = 0;
                for (int k = 0; k < 3; ++k) dot += (*out)[3 * a + k] * (*out)[3 * b + k];
                if (std::fabs(dot - (a == b ? 1.0 : 0.0)) > 1e-6)
                    return fail(where, "the matrix rows are not orthonormal");
            }
        }
        return true;
    }

    bool text(const json& j, const std::string& where, std::string* out) {
        if (!j.is_string()) return fail(where, "expected a text");
        *out = to_gbk(j.get<std::string>());
        return true;
    }

    bool integer(const json& j, const std::string& where, int lo, int hi, int* out) {
        if (!j.is_number_integer()) return fail(where, "expected an integer");
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
                if (sscanf(j[i].get<std::string>().c_str(), "%d-%d", &a, &b) != 2 || a < 1 ||
                    b > 256 || a > b)
                    return fail(w, "expected a range \"a-b\" within 1-256");
            } else {
                return fail(w, "expected a layer number or range");
            }
            for (int l = a; l <= b; ++l) (*mask)[l - 1] = true;
        }
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

json layer_list(const std::array<bool, 256>& mask) {
    bool all = true;
    for (bool b : mask) all = all && b;
    if (all) return "1-256";
    json out = json::array();
    for (int l = 1; l <= 256; ++l) {
        if (!mask[l - 1]) continue;
        int e = l;
        while (e < 256 && mask[e]) ++e;
        if (e > l)
            out.push_back(std::to_string(l) + "-" + std::to_string(e));
        else
            out.push_back(l);
        l = e;
    }
    return out;
}

const char* status_name(int s) {
    switch (s) {
        case UF_LAYER_REFERENCE_LAYER: return "reference";
        case UF_LAYER_INACTIVE_LAYER: return "invisible";
    }
    return "selectable";
}

json arr(const double* v, int n) {
    json a = json::array();
    for (int i = 0; i < n; ++i) {
        double x = std::round(v[i] * 1e9) / 1e9;
        if (x == 0) x = 0;  // no "-0"
        a.push_back(x);
    }
    return a;
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
        if (!o || !o->alive || o->temporary) continue;
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
    size_t slash = sp->path.find_last_of("/\\");
    out["part"] = slash == std::string::npos ? sp->path : sp->path.substr(slash + 1);
    out["object"] = saved_id(*sp, o->tag);
    if (!o->name.empty()) out["name"] = to_utf8(o->name);
    if (src.contains("at_timestamp")) out["at_timestamp"] = src["at_timestamp"];
    return out;
}

}  // namespace

int load_part_file(const std::string& path, tag_t* out, std::string* err) {
    *out = 0;
    Reader r{path, ""};
    std::ifstream in(path);
    if (!in) {
        *err = path + ": the part file cannot be opened";
        return -1;
    }
    json doc = json::parse(in, nullptr, false);
    if (doc.is_discarded()) {
        *err = path + ": not a JSON document";
        return -1;
    }
    if (!doc.is_object()) {
        *err = path + ": the document is not a JSON object";
        return -1;
    }
    if (doc.value("format", "") != "nxsim-part") {
        *err = path + ": format: expected \"nxsim-part\"";
        return -1;
    }
    if (!doc.contains("version") || doc["version"] != 1) {
        *err = path + ": version: expected 1";
        return -1;
    }
    int units = UF_PART_METRIC;
    if (doc.contains("units")) {
        std::string u = doc["units"].is_string() ? doc["units"].get<std::string>() : "";
        if (u == "english")
            units = UF_PART_ENGLISH;
        else if (u != "metric") {
            *err = path + ": units: expected \"metric\" or \"english\"";
            return -1;
        }
    }
    // Build into a scratch part first, so a refused file leaves the session untouched.
    Session& s = S();
    Part& p = new_part(path, units);
    auto abandon = [&](const std::string& e) {
        for (tag_t t : p.order) s.objects.erase(t);
        for (tag_t t : p.drawings) s.objects.erase(t);
        for (tag_t t : p.views) s.objects.erase(t);
        s.part_order.pop_back();
        s.parts.erase(p.tag);
        *err = e;
        return -1;
    };
    if (doc.contains("work_layer") &&
        !r.integer(doc["work_layer"], "work_layer", 1, 256, &p.work_layer))
        return abandon(r.err);
    p.layer_status[1] = UF_LAYER_ACTIVE_LAYER;
    if (doc.contains("layer_status")) {
        const json& ls = doc["layer_status"];
        if (!ls.is_object()) return abandon(path + ": layer_status: expected an object");
        for (auto it = ls.begin(); it != ls.end(); ++it) {
            std::string w = "layer_status." + it.key();
            char* end = nullptr;
            long l = strtol(it.key().c_str(), &end, 10);
            if (*end || l < 1 || l > 256) return abandon(path + ": " + w + ": not a layer 1-256");
            std::string v = it.value().is_string() ? it.value().get<std::string>() : "";
            int st = v == "selectable" ? UF_LAYER_ACTIVE_LAYER
                     : v == "reference" ? UF_LAYER_REFERENCE_LAYER
                     : v == "invisible" ? UF_LAYER_INACTIVE_LAYER
                                        : 0;
            if (!st)
                return abandon(path + ": " + w +
                               ": expected \"selectable\", \"reference\" or \"invisible\"");
            p.layer_status[l] = st;
        }
    }
    p.layer_status[p.work_layer] = UF_LAYER_WORK_LAYER;
    if (doc.contains("wcs")) {
        const json& w = doc["wcs"];
        if (!w.is_object() || !r.vec3(w.value("origin", json()), "wcs.origin", &p.wcs_origin) ||
            !r.mtx9(w.value("matrix", json()), "wcs.matrix", &p.wcs_mtx))
            return abandon(r.err.empty() ? path + ": wcs: expected an object" : r.err);
    }

    std::map<long long, tag_t> ids;
    std::vector<std::pair<Object*, std::pair<json, std::string>>> refs;  // resolved afterwards
    bool have_all = false;
    const json objs = doc.value("objects", json::array());
    if (!objs.is_array()) return abandon(path + ": objects: expected an array");
    // The session's "ALL" was made by new_part; a file that lists its own replaces it.
    for (size_t i = 0; i < objs.size(); ++i) {
        const json& j = objs[i];
        std::string w = "objects[" + std::to_string(i) + "]";
        if (!j.is_object()) return abandon(path + ": " + w + ": expected an object");
        if (!j.contains("id") || !j["id"].is_number_integer() || j["id"].get<long long>() < 1)
            return abandon(path + ": " + w + ".id: expected a positive integer");
        long long id = j["id"].get<long long>();
        if (ids.count(id)) return abandon(path + ": " + w + ".id: duplicate id " + std::to_string(id));
        std::string tname = j.value("type", "");
        int type = type_of(tname);
        if (type < 0) return abandon(path + ": " + w + ".type: unknown type '" + tname + "'");

        Object* o = nullptr;
        if (type == T_CATEGORY && j.contains("name") && j["name"].is_string() &&
            upper_ascii(j["name"].get<std::string>()) == "ALL") {
            if (have_all) return abandon(path + ": " + w + ".name: a second ALL category");
            have_all = true;
            o = obj(p.by_type[T_CATEGORY].front());
        } else {
            o = &new_object(p, type, type == T_NOTE || type == T_COMPONENT ? 1 : 0);
        }
        ids[id] = o->tag;
        o->layer = type == T_CATEGORY ? 0 : 1;
        o->color = type == T_SOLID ? 87 : 1;
        if (j.contains("name") && !r.text(j["name"], w + ".name", &o->name)) return abandon(r.err);
        if (o->name.size() > 30) return abandon(path + ": " + w + ".name: longer than 30 characters");
        if (j.contains("layer") && type != T_CATEGORY &&
            !r.integer(j["layer"], w + ".layer", 1, 256, &o->layer))
            return abandon(r.err);
        if (j.contains("color") && !r.integer(j["color"], w + ".color", 1, 216, &o->color))
            return abandon(r.err);
        if (j.contains("line_width") && !r.integer(j["line_width"], w + ".line_width", -1, 14, &o->line_width))
            return abandon(r.err);
        if (j.contains("blank")) {
            if (!j["blank"].is_boolean()) return abandon(path + ": " + w + ".blank: expected true or false");
            o->blank = j["blank"].get<bool>() ? 1 : 0;
        }
        if (j.contains("attributes")) {
            const json& a = j["attributes"];
            if (!a.is_object()) return abandon(path + ": " + w + ".attributes: expected an object");
            for (auto it = a.begin(); it != a.end(); ++it) {
                std::string v;
                if (!r.text(it.value(), w + ".attributes." + it.key(), &v)) return abandon(r.err);
                o->attrs[to_gbk(it.key())] = v;
            }
        }
        bool ok = true;
        switch (type) {
            case T_CATEGORY:
                if (!o->name.size()) return abandon(path + ": " + w + ".name: a category needs a name");
                if (upper_ascii(o->name) != "ALL") {
                    o->cat_layers.fill(false);
                    ok = r.layers(j.value("layers", json::array()), w + ".layers", &o->cat_layers);
                }
                if (ok && j.contains("description")) ok = r.text(j["description"], w + ".description", &o->cat_desc);
                break;
            case T_POINT: ok = r.vec3(j.value("coords", json()), w + ".coords", &o->p1); break;
            case T_LINE:
                ok = r.vec3(j.value("start", json()), w + ".start", &o->p1) &&
                     r.vec3(j.value("end", json()), w + ".end", &o->p2);
                break;
            case T_MATRIX: ok = r.mtx9(j.value("values", json()), w + ".values", &o->mtx); break;
            case T_CSYS:
                ok = r.vec3(j.value("origin", json()), w + ".origin", &o->p1) &&
                     r.mtx9(j.value("matrix", json()), w + ".matrix", &o->mtx);
                break;
            case T_ARC: {
                ok = r.vec3(j.value("center", json()), w + ".center", &o->p1);
                for (auto key : {"radius", "start_angle", "end_angle"})
                    if (ok && !(j.contains(key) && j[key].is_number()))
                        ok = r.fail(w + "." + key, "expected a number");
                if (!ok) break;
                o->radius = j["radius"].get<double>();
                o->a0 = j["start_angle"].get<double>();
                o->a1 = j["end_angle"].get<double>();
                if (o->radius <= 0) ok = r.fail(w + ".radius", "must be positive");
                refs.push_back({o, {j.value("matrix", json()), w + ".matrix"}});
                break;
            }
            case T_NOTE: {
                const json& t = j.value("text", json::array());
                if (!t.is_array()) {
                    ok = r.fail(w + ".text", "expected an array of lines");
                    break;
                }
                for (size_t k = 0; ok && k < t.size(); ++k) {
                    std::string line;
                    ok = r.text(t[k], w + ".text[" + std::to_string(k) + "]", &line);
                    o->note.push_back(line);
                }
                // Where the note stands: its origin, character height and alignment.
                if (ok && j.contains("origin")) ok = r.vec3(j["origin"], w + ".origin", &o->p1);
                if (ok && j.contains("height")) {
                    if (!j["height"].is_number() || !(j["height"].get<double>() > 0))
                        ok = r.fail(w + ".height", "expected a positive number");
                    else
                        o->text_height = j["height"].get<double>();
                }
                if (ok && j.contains("align")) {
                    std::string a = j["align"].is_string() ? j["align"].get<std::string>() : "";
                    o->text_align = a == "left" ? 0 : a == "center" ? 1 : a == "right" ? 2 : -1;
                    if (o->text_align < 0) ok = r.fail(w + ".align", "expected \"left\", \"center\" or \"right\"");
                }
                break;
            }
            case T_GROUP: refs.push_back({o, {j.value("members", json::array()), w + ".members"}}); break;
            case T_COMPONENT: {
                // The instanced part is named, not loaded: its file may live elsewhere.
                ok = r.text(j.value("part", json()), w + ".part", &o->child_path);
                o->child_path = to_utf8(o->child_path);
                if (ok && o->child_path.empty()) ok = r.fail(w + ".part", "a component needs a part file");
                o->mtx = {1, 0, 0, 0, 1, 0, 0, 0, 1};
                if (ok && j.contains("origin")) ok = r.vec3(j["origin"], w + ".origin", &o->p1);
                if (ok && j.contains("matrix")) ok = r.mtx9(j["matrix"], w + ".matrix", &o->mtx);
                if (ok && j.contains("refset")) ok = r.text(j["refset"], w + ".refset", &o->refset);
                break;
            }
            case T_FEATURE: {
                o->layer = 0;
                ok = r.text(j.value("feature_type", json()), w + ".feature_type", &o->feature_type);
                if (ok && j.contains("source") && !j["source"].is_object())
                    ok = r.fail(w + ".source", "expected an object");
                if (ok) o->link = j.value("source", json::object());
                refs.push_back({o, {j.value("geometry", json::array()), w + ".geometry"}});
                break;
            }
            case T_DPLANE: {
                ok = r.vec3(j.value("origin", json()), w + ".origin", &o->p1) &&
                     r.vec3(j.value("normal", json()), w + ".normal", &o->p2);
                double len = std::sqrt(o->p2[0] * o->p2[0] + o->p2[1] * o->p2[1] + o->p2[2] * o->p2[2]);
                if (ok && len < 1e-12) ok = r.fail(w + ".normal", "must not be zero");
                if (ok)
                    for (double& c : o->p2) c /= len;
                break;
            }
            case T_SOLID: {
                if (!j.contains("shape")) {
                    ok = r.fail(w + ".shape", "a solid needs a shape");
                    break;
                }
                std::string gerr;
                // STEP files are named relative to the part file.
                size_t slash = path.find_last_of('/');
                o->shape = geom_build_at(j["shape"], slash == std::string::npos ? "." : path.substr(0, slash),
                                         w + ".shape", &gerr);
                if (o->shape < 0) ok = r.fail(w + ".shape", gerr);
                o->recipe = j["shape"];
                break;
            }
        }
        if (!ok) return abandon(r.err);
    }
    for (auto& ref : refs) {
        Object* o = ref.first;
        const json& j = ref.second.first;
        const std::string& w = ref.second.second;
        auto resolve = [&](const json& id, tag_t* t) {
            if (!id.is_number_integer() || !ids.count(id.get<long long>())) return false;
            *t = ids[id.get<long long>()];
            return true;
        };
        if (o->type == T_ARC) {
            if (!resolve(j, &o->matrix) || obj(o->matrix)->type != T_MATRIX)
                return abandon(path + ": " + w + ": expected the id of a matrix object");
        } else {
            if (!j.is_array()) return abandon(path + ": " + w + ": expected an array of ids");
            for (size_t k = 0; k < j.size(); ++k) {
                tag_t t = 0;
                if (!resolve(j[k], &t))
                    return abandon(path + ": " + w + "[" + std::to_string(k) + "]: unknown id");
                o->members.push_back(t);
            }
        }
    }
    // Drawing sheets, by name; the current one is the sheet shown when the part was saved.
    if (doc.contains("drawings")) {
        const json& ds = doc["drawings"];
        if (!ds.is_array()) return abandon(path + ": drawings: expected an array");
        for (size_t i = 0; i < ds.size(); ++i) {
            std::string w = "drawings[" + std::to_string(i) + "]";
            if (!ds[i].is_object()) return abandon(path + ": " + w + ": expected an object");
            std::string name;
            if (!r.text(ds[i].value("name", json()), w + ".name", &name)) return abandon(r.err);
            if (name.empty() || name.size() > 30)
                return abandon(path + ": " + w + ".name: expected 1 to 30 characters");
            for (tag_t t : p.drawings)
                if (obj(t)->name == name) return abandon(path + ": " + w + ".name: a second drawing " + ds[i]["name"].get<std::string>());
            Object& drawing = new_drawing(p, name);
            std::string serr;
            if (!sheet_from_json(drawing.tag, ds[i], path + ": " + w, &serr)) return abandon(serr);
        }
    }
    if (doc.contains("current_drawing")) {
        std::string name;
        if (!r.text(doc["current_drawing"], "current_drawing", &name)) return abandon(r.err);
        for (tag_t t : p.drawings)
            if (obj(t)->name == name) p.current_drawing = t;
        if (!p.current_drawing) return abandon(path + ": current_drawing: no drawing of that name");
    }
    {
        std::string verr;
        if (!views_from_json(p, doc, path, &verr)) return abandon(verr);
    }
    *out = p.tag;
    return 0;
}

json part_to_json(const Part& p) {
    json doc;
    doc["format"] = "nxsim-part";
    doc["version"] = 1;
    doc["units"] = p.units == UF_PART_ENGLISH ? "english" : "metric";
    doc["work_layer"] = p.work_layer;
    json ls = json::object();
    for (int l = 1; l <= 256; ++l)
        if (p.layer_status[l] == UF_LAYER_REFERENCE_LAYER || p.layer_status[l] == UF_LAYER_INACTIVE_LAYER)
            ls[std::to_string(l)] = status_name(p.layer_status[l]);
    doc["layer_status"] = ls;
    doc["wcs"] = {{"origin", arr(p.wcs_origin.data(), 3)}, {"matrix", arr(p.wcs_mtx.data(), 9)}};
    // Ids are renumbered in creation order so that dumps compare across sessions.
    std::map<tag_t, int> id;
    int next = 1;
    for (tag_t t : p.order) {
        const Object* o = obj(t);
        if (o && o->alive && !o->temporary) id[t] = next++;
    }
    json objs = json::array();
    for (tag_t t : p.order) {
        if (!id.count(t)) continue;
        const Object& o = *obj(t);
        json j;
        j["id"] = id[t];
        j["type"] = type_name(o.type);
        if (!o.name.empty()) j["name"] = to_utf8(o.name);
        if (o.type != T_CATEGORY && o.type != T_FEATURE) {
            j["layer"] = o.layer;
            if (o.type != T_COMPONENT) j["color"] = o.color;
            if (o.blank) j["blank"] = true;
            if (o.line_width) j["line_width"] = o.line_width;
        }
        if (!o.attrs.empty()) {
            json a = json::object();
            for (auto& kv : o.attrs) a[to_utf8(kv.first)] = to_utf8(kv.second);
            j["attributes"] = a;
        }
        switch (o.type) {
            case T_CATEGORY:
                j["layers"] = layer_list(o.cat_layers);
                if (!o.cat_desc.empty()) j["description"] = to_utf8(o.cat_desc);
                break;
            case T_POINT: j["coords"] = arr(o.p1.data(), 3); break;
            case T_LINE:
                j["start"] = arr(o.p1.data(), 3);
                j["end"] = arr(o.p2.data(), 3);
                break;
            case T_MATRIX: j["values"] = arr(o.mtx.data(), 9); break;
            case T_CSYS:
                j["origin"] = arr(o.p1.data(), 3);
                j["matrix"] = arr(o.mtx.data(), 9);
                break;
            case T_ARC:
                j["matrix"] = id.count(o.matrix) ? json(id[o.matrix]) : json();
                j["center"] = arr(o.p1.data(), 3);
                j["radius"] = o.radius;
                j["start_angle"] = o.a0;
                j["end_angle"] = o.a1;
                break;
            case T_NOTE: {
                json lines = json::array();
                for (auto& l : o.note) lines.push_back(to_utf8(l));
                j["text"] = lines;
                if (o.p1[0] != 0 || o.p1[1] != 0 || o.p1[2] != 0) j["origin"] = arr(o.p1.data(), 3);
                if (o.text_height > 0) j["height"] = o.text_height;
                if (o.text_align == 1 || o.text_align == 2) j["align"] = o.text_align == 1 ? "center" : "right";
                break;
            }
            case T_GROUP: {
                json m = json::array();
                for (tag_t x : o.members)
                    if (id.count(x)) m.push_back(id[x]);
                j["members"] = m;
                break;
            }
            case T_COMPONENT:
                j["part"] = o.child_path;
                if (!o.refset.empty()) j["refset"] = to_utf8(o.refset);
                j["origin"] = arr(o.p1.data(), 3);
                j["matrix"] = arr(o.mtx.data(), 9);
                break;
            case T_FEATURE: {
                j["feature_type"] = o.feature_type;
                j["source"] = link_source_json(o);
                json g = json::array();
                for (tag_t x : o.members)
                    if (id.count(x)) g.push_back(id[x]);
                j["geometry"] = g;
                break;
            }
            case T_DPLANE:
                j["origin"] = arr(o.p1.data(), 3);
                j["normal"] = arr(o.p2.data(), 3);
                break;
            case T_SOLID: {
                j["shape"] = o.recipe;
                char buf[64];
                snprintf(buf, sizeof buf, "%.3f", geom_volume(o.shape));
                j["volume"] = std::stod(buf);
                break;
            }
        }
        objs.push_back(j);
    }
    doc["objects"] = objs;
    views_to_json(p, doc);
    json drawings = json::array();
    for (tag_t t : p.drawings) {
        const Object* o = obj(t);
        if (!o || !o->alive) continue;
        json entry = {{"name", to_utf8(o->name)}};
        sheet_to_json(t, entry);  // the sheet's size and what lies on it
        drawings.push_back(entry);
    }
    if (!drawings.empty()) doc["drawings"] = drawings;
    const Object* current = obj(p.current_drawing);
    if (current && current->alive) doc["current_drawing"] = to_utf8(current->name);
    return doc;
}

}  // namespace nxsim
