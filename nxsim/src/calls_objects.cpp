// Objects, names, layers and layer categories, attributes and groups of the work part, and the
// names and units of parts.
#include <algorithm>
#include <cstring>

#include "util.h"

using namespace nxsim;

namespace {

// The next live object of the given type after `after` in creation order (0 = from the start).
tag_t next_of_type(Part& p, int type, tag_t after) {
    auto it = p.by_type.find(type);
    if (it == p.by_type.end()) return NULL_TAG;
    const std::vector<tag_t>& list = it->second;
    size_t i = 0;
    if (after != NULL_TAG) {
        Object* o = obj(after);
        if (!o || o->part != p.tag || o->type != type) return NULL_TAG;
        i = o->type_pos + 1;
    }
    for (; i < list.size(); ++i) {
        const Object* o = peek_live(list[i]);
        if (o && !o->temporary) return list[i];
    }
    return NULL_TAG;
}

bool nameable(const Object& o) { return o.type != T_CATEGORY; }

}  // namespace

namespace nxsim {

int set_layer_status(int layer, int status) {
    Part* p = work_part();
    if (!p) return ERR_NO_WORK_PART;
    if (layer < 1 || layer > 256 || status < UF_LAYER_WORK_LAYER || status > UF_LAYER_INACTIVE_LAYER) return ERR_BAD_ARG;
    if (status == UF_LAYER_WORK_LAYER) {
        // The old work layer becomes selectable.
        if (p->work_layer != layer) p->layer_status[p->work_layer] = UF_LAYER_ACTIVE_LAYER;
        p->work_layer = layer;
    } else if (layer == p->work_layer) {
        // NX refuses to change the work layer's status: another layer must become work first.
        return ERR_BAD_ARG;
    }
    p->layer_status[layer] = status;
    return 0;
}

}  // namespace nxsim

extern "C" {

// The part's next object of the type in creation order; 0, or NX's error code. Host's choice: deleted ones are skipped.
int UF_OBJ_cycle_objs_in_part(tag_t part_tag, int type, tag_t* object) {
    if (int rc = enter("UF_OBJ_cycle_objs_in_part")) {
        if (object) *object = NULL_TAG;
        return rc;
    }
    if (!object) return ERR_BAD_ARG;
    Part* p = part(part_tag);
    if (!p) {
        *object = NULL_TAG;
        return ERR_BAD_TAG;
    }
    *object = next_of_type(*p, type, *object);
    return 0;
}

// An object's type and subtype (a part: UF_OBJ_PART_TYPE); 0, or NX's error code.
int UF_OBJ_ask_type_and_subtype(tag_t object_id, int* type, int* subtype) {
    if (type) *type = 0;
    if (subtype) *subtype = 0;
    if (int rc = enter("UF_OBJ_ask_type_and_subtype")) return rc;
    if (part(object_id)) {
        if (type) *type = UF_OBJ_PART_TYPE;
        return 0;
    }
    Object* o = live_obj(object_id);
    if (!o) return ERR_BAD_TAG;
    if (type) *type = o->type;
    if (subtype) *subtype = o->subtype;
    return 0;
}

// Copies an object's name; 0, UF_OBJ_NAME_NOT_FOUND with the empty text for an unnamed object, or NX's error code.
int UF_OBJ_ask_name(tag_t object_id, char* name) {
    if (name) name[0] = '\0';
    if (int rc = enter("UF_OBJ_ask_name")) return rc;
    Object* o = live_obj(object_id);
    if (!o) return ERR_BAD_TAG;
    if (o->name.empty()) return UF_OBJ_NAME_NOT_FOUND;
    copy_out(name, (UF_OBJ_NAME_LEN + 1), o->name);
    return 0;
}

// Names an object other than a category; 0, or NX's error code. Host's choice: more than 30 characters are refused.
int UF_OBJ_set_name(tag_t object_id, const char* name) {
    if (int rc = enter("UF_OBJ_set_name")) return rc;
    Object* o = live_obj(object_id);
    if (!o || !nameable(*o)) return ERR_BAD_TAG;
    if (!name) return ERR_BAD_ARG;
    if (strlen(name) > UF_OBJ_NAME_LEN) return ERR_NAME_TOO_LONG;
    std::string old = std::move(o->name);
    o->name = name;
    names_renamed(*o, old);
    return 0;
}

// Moves an object to a layer (outside 1 to 256 nothing happens, as in NX); 0, or NX's error code.
int UF_OBJ_set_layer(tag_t object_id, int layer) {
    if (int rc = enter("UF_OBJ_set_layer")) return rc;
    Object* o = live_obj(object_id);
    if (!o || o->type == T_CATEGORY) return ERR_BAD_TAG;
    // NX ignores requests for reserved layers without an error.
    if (layer < UF_LAYER_MIN_LAYER || layer > UF_LAYER_MAX_LAYER) return 0;
    o->layer = layer;
    return 0;
}

// Sets an object's colour (1 to 216); 0, or NX's error code.
int UF_OBJ_set_color(tag_t object_id, int color) {
    if (int rc = enter("UF_OBJ_set_color")) return rc;
    if (!work_part()) return ERR_NO_WORK_PART;
    Object* o = live_obj(object_id);
    if (!o) return ERR_BAD_TAG;
    if (color < UF_OBJ_MIN_COLOR || color > UF_OBJ_MAX_COLOR) return ERR_BAD_ARG;
    o->color = color;
    return 0;
}

// Blanks or unblanks an object, a group with its members; 0, or NX's error code.
int UF_OBJ_set_blank_status(tag_t object_id, int blank_status) {
    if (int rc = enter("UF_OBJ_set_blank_status")) return rc;
    Object* o = live_obj(object_id);
    if (!o) return ERR_BAD_TAG;
    if (blank_status != UF_OBJ_NOT_BLANKED && blank_status != UF_OBJ_BLANKED) return ERR_BAD_ARG;
    o->blank = blank_status;
    if (o->type == T_GROUP)
        for (tag_t m : o->members)
            if (Object* mo = live_obj(m)) mo->blank = blank_status;
    return 0;
}

// The status of a layer of the work part; 0, or NX's error code.
int UF_LAYER_ask_status(const int layer_number, int* layer_status) {
    if (layer_status) *layer_status = 0;
    if (int rc = enter("UF_LAYER_ask_status")) return rc;
    Part* p = work_part();
    if (!p) return ERR_NO_WORK_PART;
    if (layer_number < 1 || layer_number > 256 || !layer_status) return ERR_BAD_ARG;
    *layer_status = p->layer_status[layer_number];
    return 0;
}

// Sets a layer's status in the work part; 0, or NX's error code. Host's choice: the old work layer becomes selectable.
int UF_LAYER_set_status(const int layer_number, const int layer_status) {
    if (int rc = enter("UF_LAYER_set_status")) return rc;
    return set_layer_status(layer_number, layer_status);
}

// The work part's next object on the layer (0: any not invisible); 0, or NX's code. Host's choice: skips deleted ones.
int UF_LAYER_cycle_by_layer(int layer_number, tag_t* object_tag) {
    if (int rc = enter("UF_LAYER_cycle_by_layer")) {
        if (object_tag) *object_tag = NULL_TAG;
        return rc;
    }
    if (!object_tag) return ERR_BAD_ARG;
    Part* p = work_part();
    if (!p) {
        *object_tag = NULL_TAG;
        return ERR_NO_WORK_PART;
    }
    size_t i = 0;
    if (*object_tag != NULL_TAG) {
        // Position after the current object in creation order, the order of the tags.
        auto& ord = p->order;
        auto it = std::lower_bound(ord.begin(), ord.end(), *object_tag);
        if (it == ord.end() || *it != *object_tag) {
            *object_tag = NULL_TAG;
            return ERR_BAD_TAG;
        }
        i = (size_t)(it - ord.begin()) + 1;
    }
    *object_tag = NULL_TAG;
    for (; i < p->order.size(); ++i) {
        const Object* o = peek_live(p->order[i]);
        // Categories and features lie on no layer.
        if (!o || o->temporary || o->type == T_CATEGORY || o->layer < 1) continue;
        bool on = layer_number == 0 ? p->layer_status[o->layer] != UF_LAYER_INACTIVE_LAYER
                                    : o->layer == layer_number;
        if (on) {
            *object_tag = o->tag;
            break;
        }
    }
    return 0;
}

// Copies a category's name, layers and description; 0, or NX's error code.
int UF_LAYER_ask_category_info(tag_t category, UF_LAYER_category_info_p_t category_info) {
    if (category_info) memset(category_info, 0, sizeof *category_info);
    if (int rc = enter("UF_LAYER_ask_category_info")) return rc;
    Object* o = live_obj(category);
    if (!o || o->type != T_CATEGORY) return ERR_BAD_TAG;
    if (!category_info) return ERR_BAD_ARG;
    copy_out(category_info->name, sizeof category_info->name, o->name);
    for (int i = 0; i < UF_LAYER_MAX_LAYER; ++i) category_info->layer_mask[i] = o->cat_layers[i];
    copy_out(category_info->descr, sizeof category_info->descr, o->cat_desc);
    return 0;
}

// The work part's category of that name, ASCII case ignored (unknown: the null tag, no error); 0, or NX's error code.
int UF_LAYER_ask_category_tag(char* category_name, tag_t* category) {
    if (category) *category = NULL_TAG;
    if (int rc = enter("UF_LAYER_ask_category_tag")) return rc;
    Part* p = work_part();
    if (!p) return ERR_NO_WORK_PART;
    if (!category_name || !category) return ERR_BAD_ARG;
    std::string want = category_name;
    for (tag_t t = next_of_type(*p, T_CATEGORY, NULL_TAG); t; t = next_of_type(*p, T_CATEGORY, t)) {
        if (same_nocase(obj(t)->name, want)) {
            *category = t;
            break;
        }
    }
    return 0;  // unknown names are not an error
}

// Makes a category of the work part; 0, or NX's error code. Host's choice: 4 for a name taken in any letter case.
int UF_LAYER_create_category(UF_LAYER_category_info_p_t category_info, tag_t* category) {
    if (category) *category = NULL_TAG;
    if (int rc = enter("UF_LAYER_create_category")) return rc;
    Part* p = work_part();
    if (!p) return ERR_NO_WORK_PART;
    if (!category_info || !category) return ERR_BAD_ARG;
    size_t n = strnlen(category_info->name, sizeof category_info->name);
    if (n == 0) return ERR_BAD_ARG;
    if (n == sizeof category_info->name) return ERR_NAME_TOO_LONG;  // not terminated
    std::string name(category_info->name, n);
    tag_t existing = NULL_TAG;
    for (tag_t t = next_of_type(*p, T_CATEGORY, NULL_TAG); t; t = next_of_type(*p, T_CATEGORY, t))
        if (same_nocase(obj(t)->name, name)) existing = t;
    if (existing) return ERR_BAD_ARG;  // category names are unique in a part
    Object& o = new_object(*p, T_CATEGORY);
    o.layer = 0;
    o.name = name;
    for (int i = 0; i < UF_LAYER_MAX_LAYER; ++i) o.cat_layers[i] = category_info->layer_mask[i];
    o.cat_desc = std::string(category_info->descr, strnlen(category_info->descr, sizeof category_info->descr));
    *category = o.tag;
    return 0;
}

// The attribute of that title of an object or of a part (the part's tag), of the type asked for
// or (UF_ATTR_any) of its own type: a string into value.string (the caller's buffer, or a text
// handed out when null), an integer or real into its field; 0 also when there is none (type 0),
// or NX's error code.
int UF_ATTR_read_value(tag_t object, char* title, int type, UF_ATTR_value_p_t value) {
    if (value) {
        value->type = 0;
    }
    if (int rc = enter("UF_ATTR_read_value")) return rc;
    if (!value || !title) return ERR_BAD_ARG;
    const Attributes* attrs = nullptr;
    if (Part* p = part(object))
        attrs = &p->attrs;
    else if (Object* o = live_obj(object))
        attrs = &o->attrs;
    if (!attrs) return ERR_BAD_TAG;
    auto it = attrs->find(title);
    if (it == attrs->end()) return 0;  // not found is no error: type stays 0
    const AttrValue& a = it->second;
    if (type != a.type && type != UF_ATTR_any) return 0;
    value->type = a.type;
    if (a.type == UF_ATTR_integer) {
        value->value.integer = (int)a.number;
    } else if (a.type == UF_ATTR_real) {
        value->value.real = a.number;
    } else if (type == UF_ATTR_string && value->value.string) {
        copy_out(value->value.string, UF_ATTR_MAX_STRING_LEN + 1, a.text);
    } else {
        value->value.string = alloc_string(a.text.substr(0, UF_ATTR_MAX_STRING_LEN), "UF_ATTR_read_value");
    }
    return 0;
}

// Hands out a group's members that are alive (none: no array); 0, or NX's error code.
int UF_GROUP_ask_group_data(const tag_t group_tag, tag_t** group_members, int* count_of_members) {
    if (group_members) *group_members = nullptr;
    if (count_of_members) *count_of_members = 0;
    if (int rc = enter("UF_GROUP_ask_group_data")) return rc;
    Object* o = live_obj(group_tag);
    if (!o || o->type != T_GROUP) return ERR_BAD_TAG;
    if (!group_members || !count_of_members) return ERR_BAD_ARG;
    std::vector<tag_t> live;
    for (tag_t m : o->members)
        if (live_obj(m)) live.push_back(m);
    *group_members = tag_array(live, "UF_GROUP_ask_group_data");
    *count_of_members = (int)live.size();
    return 0;
}

// Copies the part's path as it was opened, in GBK, cut to 256 characters; 0, or NX's error code.
int UF_PART_ask_part_name(tag_t part_tag, char part_fspec[MAX_FSPEC_SIZE + 1]) {
    if (part_fspec) part_fspec[0] = '\0';
    if (int rc = enter("UF_PART_ask_part_name")) return rc;
    Part* p = part(part_tag);
    if (!p || !part_fspec) return ERR_BAD_TAG;
    copy_out(part_fspec, (MAX_FSPEC_SIZE + 1), to_gbk(p->path));  // the session keeps paths UTF-8
    return 0;
}

// The part's units (1 metric, 2 English); 0, or NX's error code.
int UF_PART_ask_units(tag_t part_tag, int* part_units) {
    if (part_units) *part_units = 0;
    if (int rc = enter("UF_PART_ask_units")) return rc;
    Part* p = part(part_tag);
    if (!p || !part_units) return ERR_BAD_TAG;
    *part_units = p->units;
    return 0;
}

}  // extern "C"
