// The UIStyler dialog engine: opens the dialog's UIStyler file (read in dlg_file.cpp), plays the
// scripted user events, fires the plug-in's callbacks as NX does, and answers the item value calls.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "state.h"

using namespace nxsim;

namespace {

struct KindName {
    const char* name;
    int kind;
};

const KindName kKinds[] = {
    {"LABEL", UF_STYLER_LABEL_TYPE},
    {"INTEGER", UF_STYLER_INTEGER_TYPE},
    {"REAL", UF_STYLER_REAL_TYPE},
    {"STRING", UF_STYLER_STRING_TYPE},
    {"ACTION_BUTTON", UF_STYLER_ACTION_BUTTON_TYPE},
    {"TOGGLE", UF_STYLER_TOGGLE_TYPE},
    {"OPTION_MENU", UF_STYLER_OPTION_MENU_TYPE},
    {"SINGLE_LIST", UF_STYLER_SINGLE_LIST_TYPE},
    {"MULTI_LIST", UF_STYLER_MULTI_LIST_TYPE},
    {"SEPARATOR", UF_STYLER_SEPARATOR_TYPE},
    {"MULTI_LINE_TEXT", UF_STYLER_MULTI_LINE_TEXT_TYPE},
};

bool is_list(int kind) {
    return kind == UF_STYLER_OPTION_MENU_TYPE || kind == UF_STYLER_SINGLE_LIST_TYPE ||
           kind == UF_STYLER_MULTI_LIST_TYPE;
}

bool is_text(int kind) {
    return kind == UF_STYLER_STRING_TYPE || kind == UF_STYLER_LABEL_TYPE ||
           kind == UF_STYLER_MULTI_LINE_TEXT_TYPE;
}

Dialog* current_dialog(int dialog_id) {
    for (auto& d : S().dialogs)
        if (d->id == dialog_id) return d.get();
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------- running a dialog

namespace {

struct Running {
    Dialog* d;
    UF_STYLER_callback_info_t* cbs;
    int n;
    void* client_data;  // handed to every callback as it was given, as NX does
    bool closed = false;
    int response = UF_UI_CANCEL;
};

// Fires the callback registered for (object, type); 0 when none is registered.
int fire(Running& r, const std::string& object, int type, int subitem) {
    for (int i = 0; i < r.n; ++i) {
        const UF_STYLER_callback_info_t& row = r.cbs[i];
        if (!row.object_id || row.cb_type != type || !row.callback_proc) continue;
        if (object != row.object_id) continue;
        UF_STYLER_item_value_type_t data{};
        data.reason = type;
        data.item_id = row.object_id;
        data.subitem_index = subitem;
        data.count = 1;
        data.item_attr = UF_STYLER_VALUE;
        data.indicator = UF_STYLER_NO_VALUE;
        return row.callback_proc(r.d->id, r.client_data, &data);
    }
    return 0;
}

bool has_callback(Running& r, const std::string& object, int type) {
    for (int i = 0; i < r.n; ++i)
        if (r.cbs[i].object_id && r.cbs[i].cb_type == type && object == r.cbs[i].object_id &&
            r.cbs[i].callback_proc)
            return true;
    return false;
}

std::string describe_event(const DialogEvent& e) {
    switch (e.kind) {
        case DialogEvent::Set: return "set " + e.object + " = " + e.value.dump();
        case DialogEvent::Select: return "select " + e.object + " " + e.value.dump();
        case DialogEvent::Press: return "press " + e.object;
        case DialogEvent::DoubleClick: return "double-click " + e.object;
        case DialogEvent::Ok: return "OK";
        case DialogEvent::Apply: return "Apply";
        case DialogEvent::Cancel: return "Cancel";
        case DialogEvent::Look: return "look";
    }
    return "?";
}

// Sets a list's selection from indices or item texts. false with *err on a bad value.
// True when v names items as a select event may: an index, a text, or an array of those.
bool items_well_formed(const nlohmann::json& v) {
    auto item = [](const nlohmann::json& x) { return x.is_number_integer() || x.is_string(); };
    if (!v.is_array()) return item(v);
    for (const auto& x : v)
        if (!item(x)) return false;
    return true;
}

bool select_items(DialogItem& it, const nlohmann::json& v, int* first, std::string* err) {
    std::vector<int> idx;
    auto add = [&](const nlohmann::json& x) -> bool {
        if (x.is_number_integer()) {
            int i = x.get<int>();
            if (i < 0 || i >= (int)it.items.size()) {
                *err = "item index " + std::to_string(i) + " out of range";
                return false;
            }
            idx.push_back(i);
            return true;
        }
        if (x.is_string()) {
            std::string t = to_gbk(x.get<std::string>());
            for (size_t i = 0; i < it.items.size(); ++i)
                if (it.items[i] == t) {
                    idx.push_back((int)i);
                    return true;
                }
            *err = "no item '" + x.get<std::string>() + "'";
            return false;
        }
        *err = "items are given by index or text";
        return false;
    };
    if (v.is_array()) {
        for (auto& x : v)
            if (!add(x)) return false;
    } else if (!add(v)) {
        return false;
    }
    *first = idx.empty() ? -1 : idx.front();
    if (it.kind == UF_STYLER_MULTI_LIST_TYPE) {
        it.selected.clear();
        for (int i : idx) it.selected.insert(i);
    } else {
        if (idx.size() > 1) {
            *err = "only one item can be chosen";
            return false;
        }
        it.ivalue = *first;
        it.selected.clear();
        if (*first >= 0) it.selected.insert(*first);
    }
    return true;
}

bool set_field(DialogItem& it, const nlohmann::json& v, std::string* err) {
    if (is_text(it.kind)) {
        if (!v.is_string()) {
            *err = "a text is expected";
            return false;
        }
        it.svalue = to_gbk(v.get<std::string>());
    } else if (it.kind == UF_STYLER_INTEGER_TYPE || it.kind == UF_STYLER_TOGGLE_TYPE) {
        if (v.is_boolean()) {
            it.ivalue = v.get<bool>() ? 1 : 0;
        } else if (v.is_number_integer()) {
            it.ivalue = v.get<int>();
        } else {
            *err = "an integer is expected";
            return false;
        }
    } else if (it.kind == UF_STYLER_REAL_TYPE) {
        if (!v.is_number()) {
            *err = "a number is expected";
            return false;
        }
        it.rvalue = v.get<double>();
    } else {
        *err = "this object takes no typed value (use select or press)";
        return false;
    }
    return true;
}

// What the user sees of one object: "<ID> = <value>" (GBK), or "" for objects without a value.
std::string look_line(const DialogItem& it) {
    auto quoted = [](const std::string& t) { return "\"" + t + "\""; };
    std::string value;
    if (is_text(it.kind)) {
        if (it.kind == UF_STYLER_LABEL_TYPE) return "";
        value = quoted(it.svalue);
    } else if (it.kind == UF_STYLER_INTEGER_TYPE || it.kind == UF_STYLER_TOGGLE_TYPE) {
        value = std::to_string(it.ivalue);
    } else if (it.kind == UF_STYLER_REAL_TYPE) {
        char buf[64];
        snprintf(buf, sizeof buf, "%.6g", it.rvalue);
        value = buf;
    } else if (is_list(it.kind)) {
        std::vector<int> chosen;
        if (it.kind == UF_STYLER_MULTI_LIST_TYPE)
            chosen.assign(it.selected.begin(), it.selected.end());
        else if (it.ivalue >= 0 && it.ivalue < (int)it.items.size())
            chosen.push_back(it.ivalue);
        for (size_t i = 0; i < chosen.size(); ++i) value += (i ? ", " : "") + quoted(it.items[chosen[i]]);
        if (chosen.empty()) value = "none";
        value += " of ";
        for (size_t i = 0; i < it.items.size(); ++i) value += (i ? ", " : "") + quoted(it.items[i]);
        if (it.items.empty()) value = "no items";
    } else if (it.sensitive && it.visible) {
        return "";  // buttons and separators show no value
    }
    std::string line = it.id + (value.empty() ? "" : " = " + value);
    if (!it.sensitive) line += " (greyed)";
    if (!it.visible) line += " (hidden)";
    return line;
}

void look(const Dialog& d) {
    for (const DialogItem& it : d.items) {
        std::string line = look_line(it);
        if (!line.empty()) add_transcript("look", line);
    }
    add_transcript("look", std::string("OK ") + (d.ok_sensitive ? "sensitive" : "greyed") + ", Apply " +
                               (d.apply_sensitive ? "sensitive" : "greyed"));
}

// An event the script should not have played (a greyed object, a value out of range): an
// error of the run.
void script_error(const DialogEvent& e, const std::string& what) { error(e.where + ": " + what); }

// An event the dialog cannot take as written (no such object, a value of another kind) is bad
// input in the scenario, not something the plug-in did: the run ends with exit code 2.
void malformed(const DialogEvent& e, const std::string& what) {
    refuse_input(e.where + ": " + what);
    error(e.where + ": " + what);
}

// Presses OK (ok) or Apply and fires the dialog's callback for it. OK closes the dialog when it
// has no callback; either closes it, with its response, when the callback says so.
void press_ok_or_apply(Running& r, const DialogEvent& e, bool ok) {
    if (!(ok ? r.d->ok_sensitive : r.d->apply_sensitive)) {
        script_error(e, std::string(ok ? "OK" : "Apply") + " is greyed out and cannot be pressed");
        return;
    }
    int type = ok ? UF_STYLER_OK_CB : UF_STYLER_APPLY_CB;
    bool registered = has_callback(r, UF_STYLER_DIALOG_INDEX, type);
    int rc = fire(r, UF_STYLER_DIALOG_INDEX, type, ok ? 0 : 1);
    if (ok && (!registered || rc == UF_UI_CB_EXIT_DIALOG)) {
        r.closed = true;
        r.response = UF_UI_OK;
    } else if (rc == UF_UI_CB_EXIT_DIALOG) {
        r.closed = true;
        r.response = UF_UI_APPLY;
    }
}

// Presses Cancel: the dialog closes when it has no callback for it or the callback says so.
void press_cancel(Running& r) {
    bool registered = has_callback(r, UF_STYLER_DIALOG_INDEX, UF_STYLER_CANCEL_CB);
    int rc = fire(r, UF_STYLER_DIALOG_INDEX, UF_STYLER_CANCEL_CB, 3);
    if (!registered || rc == UF_UI_CB_EXIT_DIALOG) {
        r.closed = true;
        r.response = UF_UI_CANCEL;
    }
}

// Plays a set, select, press or double-click on an object of the dialog: the object takes the
// value (a pressed toggle flips) and its callback fires; a callback that says so closes the
// dialog with OK.
void object_event(Running& r, const DialogEvent& e) {
    DialogItem* it = r.d->find(e.object);
    if (!it) return malformed(e, "the dialog " + r.d->file + " has no object " + e.object);
    if (!it->sensitive) return script_error(e, e.object + " is greyed out");
    std::string err;
    int sub = -1;
    int type = UF_STYLER_ACTIVATE_CB;
    if (e.kind == DialogEvent::Set) {
        if (!set_field(*it, e.value, &err)) return malformed(e, e.object + ": " + err);
        type = UF_STYLER_VALUE_CHANGED_CB;
    } else if (e.kind == DialogEvent::Select) {
        if (!is_list(it->kind)) return malformed(e, e.object + " is not a list or option menu");
        // Items of another kind are a fault of the scenario as written, not of the run.
        if (!items_well_formed(e.value)) return malformed(e, e.object + ": items are given by index or text");
        if (!select_items(*it, e.value, &sub, &err)) return script_error(e, e.object + ": " + err);
    } else if (e.kind == DialogEvent::DoubleClick) {
        type = UF_STYLER_DOUBLE_CLICK_CB;
    } else if (it->kind != UF_STYLER_ACTION_BUTTON_TYPE && it->kind != UF_STYLER_TOGGLE_TYPE) {
        return script_error(e, e.object + " is not a button");
    }
    if (it->kind == UF_STYLER_TOGGLE_TYPE && e.kind == DialogEvent::Press) it->ivalue = it->ivalue ? 0 : 1;
    if (fire(r, e.object, type, sub) == UF_UI_CB_EXIT_DIALOG) {
        r.closed = true;
        r.response = UF_UI_OK;
    }
}

// Plays one scripted event in the running dialog: its answers are queued first and the
// transcript shows what the user did; answers the event leaves unused are an error.
void play_event(Running& r, const DialogEvent& e) {
    Session& s = S();
    for (auto& a : e.answers) s.answers.push_back(a);
    s.transcript.push_back("user: " + describe_event(e));
    switch (e.kind) {
        case DialogEvent::Ok: press_ok_or_apply(r, e, true); break;
        case DialogEvent::Apply: press_ok_or_apply(r, e, false); break;
        case DialogEvent::Look: look(*r.d); break;
        case DialogEvent::Cancel: press_cancel(r); break;
        default: object_event(r, e); break;
    }
    if (!s.answers.empty()) {
        error(e.where + ": " + std::to_string(s.answers.size()) +
              " scripted answer(s) left unused by this event");
        s.answers.clear();
    }
}

void free_value_members(UF_STYLER_item_value_type_t* v) {
    if (!v) return;
    switch (v->indicator) {
        case UF_STYLER_STRING_VALUE:
            release(v->value.string, "UF_STYLER_free_value");
            v->value.string = nullptr;
            break;
        case UF_STYLER_STRING_PTR_VALUE:
            if (v->value.strings) {
                for (int i = 0; i < v->count; ++i)
                    release(v->value.strings[i], "UF_STYLER_free_value");
                release(v->value.strings, "UF_STYLER_free_value");
            }
            v->value.strings = nullptr;
            break;
        case UF_STYLER_INTEGER_PTR_VALUE:
            release(v->value.integers, "UF_STYLER_free_value");
            v->value.integers = nullptr;
            break;
        case UF_STYLER_REAL_PTR_VALUE:
            release(v->value.reals, "UF_STYLER_free_value");
            v->value.reals = nullptr;
            break;
        default:
            break;
    }
}

char** string_array(const std::vector<std::string>& texts, const char* call) {
    char** arr = (char**)alloc(sizeof(char*) * (texts.empty() ? 1 : texts.size()), call);
    for (size_t i = 0; i < texts.size(); ++i) arr[i] = alloc_string(texts[i], call);
    return arr;
}

// A value the plug-in sets must be of the kind the description declares: a real given to an
// object declared as text would be read as a text's address. The description is then at fault,
// not the plug-in, which was built for the dialog NX's UIStyler made.
bool value_fits_kind(const Dialog& d, const DialogItem& it, int indicator) {
    int wanted = is_text(it.kind) ? UF_STYLER_STRING_VALUE
                 : it.kind == UF_STYLER_REAL_TYPE ? UF_STYLER_REAL_VALUE
                 : it.kind == UF_STYLER_INTEGER_TYPE || it.kind == UF_STYLER_TOGGLE_TYPE ? UF_STYLER_INTEGER_VALUE
                                                                                         : indicator;
    if (indicator == wanted) return true;
    const char* kind = "?";
    for (const auto& k : kKinds)
        if (k.kind == it.kind) kind = k.name;
    const char* given = indicator == UF_STYLER_STRING_VALUE    ? "a text"
                        : indicator == UF_STYLER_REAL_VALUE    ? "a real"
                        : indicator == UF_STYLER_INTEGER_VALUE ? "an integer"
                                                               : "another kind of";
    std::string folder = S().dialog_folder;
    refuse_input((folder.empty() ? d.file : folder + "/" + d.file) + ": " + it.id + ": declared " + kind +
                 ", but the plug-in sets " + given + " value: the description does not match the dialog");
    return false;
}

// The value (UF_STYLER_VALUE) of an object of the dialog, handed out as NX hands it out: a
// text, a real, an integer, or a multi-select list's choices as indices or, when asked so, texts.
int ask_item_value(const DialogItem& it, UF_STYLER_item_value_type_p_t value) {
    const char* call = "UF_STYLER_ask_value";
    value->count = 1;
    if (is_text(it.kind)) {
        value->indicator = UF_STYLER_STRING_VALUE;
        value->value.string = alloc_string(it.svalue, call);
    } else if (it.kind == UF_STYLER_REAL_TYPE) {
        value->indicator = UF_STYLER_REAL_VALUE;
        value->value.real = it.rvalue;
    } else if (it.kind == UF_STYLER_MULTI_LIST_TYPE) {
        std::vector<int> sel(it.selected.begin(), it.selected.end());
        value->count = (int)sel.size();
        if (value->indicator == UF_STYLER_STRING_PTR_VALUE) {
            std::vector<std::string> texts;
            for (int i : sel) texts.push_back(it.items[i]);
            value->value.strings = string_array(texts, call);
        } else {
            value->indicator = UF_STYLER_INTEGER_PTR_VALUE;
            int* arr = (int*)alloc(sizeof(int) * (sel.empty() ? 1 : sel.size()), call);
            for (size_t i = 0; i < sel.size(); ++i) arr[i] = sel[i];
            value->value.integers = arr;
        }
    } else if (it.kind == UF_STYLER_ACTION_BUTTON_TYPE || it.kind == UF_STYLER_SEPARATOR_TYPE) {
        return ERR_STYLER_ATTR;
    } else {
        value->indicator = UF_STYLER_INTEGER_VALUE;
        value->value.integer = it.ivalue;
    }
    return 0;
}

// Sets OK's (sub-item 0) or Apply's (1) sensitivity, the one attribute of the dialog's buttons.
int set_nav_value(Dialog& d, const UF_STYLER_item_value_type_t& value) {
    if (value.item_attr != UF_STYLER_SENSITIVITY) return ERR_STYLER_ATTR;
    bool on = value.value.integer != 0;
    if (value.subitem_index == 1)
        d.apply_sensitive = on;
    else if (value.subitem_index == 0)
        d.ok_sensitive = on;
    else
        return ERR_BAD_ARG;
    return 0;
}

// Replaces a list's items (UF_STYLER_SUBITEM_VALUES); no item stays chosen.
int set_list_items(DialogItem& it, const UF_STYLER_item_value_type_t& value) {
    if (!is_list(it.kind)) return ERR_STYLER_ATTR;
    if (value.count > 0 && !value.value.strings) return ERR_BAD_ARG;
    it.items.clear();
    for (int i = 0; i < value.count; ++i) it.items.push_back(value.value.strings[i] ? value.value.strings[i] : "");
    it.selected.clear();
    if (it.kind != UF_STYLER_MULTI_LIST_TYPE) it.ivalue = -1;
    return 0;
}

// Inserts an item before item `sub`, or last when there is no such item; choices keep their items.
int insert_list_item(DialogItem& it, const UF_STYLER_item_value_type_t& value) {
    if (!is_list(it.kind)) return ERR_STYLER_ATTR;
    int sub = value.subitem_index;
    std::string t = value.value.string ? value.value.string : "";
    if (sub < 0 || sub >= (int)it.items.size()) {
        it.items.push_back(t);
    } else {
        it.items.insert(it.items.begin() + sub, t);
        std::set<int> moved;
        for (int i : it.selected) moved.insert(i >= sub ? i + 1 : i);
        it.selected = moved;
    }
    return 0;
}

// Deletes item `sub`, or every item for a negative one; the other choices keep their items.
int delete_list_item(DialogItem& it, const UF_STYLER_item_value_type_t& value) {
    if (!is_list(it.kind)) return ERR_STYLER_ATTR;
    int sub = value.subitem_index;
    if (sub < 0) {
        it.items.clear();
        it.selected.clear();
        if (it.kind != UF_STYLER_MULTI_LIST_TYPE) it.ivalue = -1;
    } else if (sub < (int)it.items.size()) {
        it.items.erase(it.items.begin() + sub);
        std::set<int> moved;
        for (int i : it.selected)
            if (i != sub) moved.insert(i > sub ? i - 1 : i);
        it.selected = moved;
    }
    return 0;
}

// Sets an object's value (UF_STYLER_VALUE), which must be of the kind its description declares;
// a list's value is a sub-item: the item chosen, or flipped (selected, under the other reading) in
// a multi-select list.
int set_item_value(const Dialog& d, DialogItem& it, const UF_STYLER_item_value_type_t& value) {
    if (!value_fits_kind(d, it, value.indicator)) return ERR_STYLER_ATTR;
    int sub = value.subitem_index;
    if (is_text(it.kind)) {
        it.svalue = value.value.string ? value.value.string : "";
    } else if (it.kind == UF_STYLER_REAL_TYPE) {
        it.rvalue = value.value.real;
    } else if (it.kind == UF_STYLER_MULTI_LIST_TYPE) {
        // NX leaves open whether a set flips an item of a multi-select list or selects it: by
        // default it flips, sub-item -1 clearing the selection; under the list_set_selects
        // reading it selects, and -1 changes nothing.
        bool selects = S().readings.list_set_selects;
        if (sub < 0) {
            if (!selects) it.selected.clear();
        } else if (sub < (int)it.items.size()) {
            if (it.selected.count(sub) && !selects)
                it.selected.erase(sub);
            else
                it.selected.insert(sub);
        }
    } else if (it.kind == UF_STYLER_OPTION_MENU_TYPE) {
        // A choice outside the items (sub-item -1 included) leaves the menu as it was.
        if (sub >= 0 && sub < (int)it.items.size()) it.ivalue = sub;
    } else if (it.kind == UF_STYLER_SINGLE_LIST_TYPE) {
        it.ivalue = (sub >= 0 && sub < (int)it.items.size()) ? sub : -1;
        it.selected.clear();
        if (it.ivalue >= 0) it.selected.insert(it.ivalue);
    } else if (it.kind == UF_STYLER_ACTION_BUTTON_TYPE || it.kind == UF_STYLER_SEPARATOR_TYPE) {
        return ERR_STYLER_ATTR;
    } else {
        it.ivalue = value.value.integer;
    }
    return 0;
}

// Checks the plug-in's callback table for the dialog read from path: 0; 4 (an error of the run)
// when the table does not end with its terminator row at the count given or a row names no
// object; 1595002 (a refused input) when a row names an object the description lacks.
int check_callbacks(Dialog& d, const std::string& path, const UF_STYLER_callback_info_t* cbs, int n) {
    const UF_STYLER_callback_info_t& last = cbs[n - 1];
    if (!last.object_id || strcmp(last.object_id, UF_STYLER_NULL_OBJECT) != 0 || last.cb_type != UF_STYLER_NO_CB) {
        error(d.file + ": the callback table's last row is not the terminator");
        return ERR_BAD_ARG;
    }
    for (int i = 0; i + 1 < n; ++i) {
        const char* id = cbs[i].object_id;
        if (!id) {
            error(d.file + ": callback row " + std::to_string(i + 1) + " has no object");
            return ERR_BAD_ARG;
        }
        if (strcmp(id, UF_STYLER_DIALOG_INDEX) != 0 && !d.find(id)) {
            // The description lacks an object of the dialog the plug-in was built for.
            refuse_input(path + ": " + id + ": not declared, but the plug-in's callback row " +
                         std::to_string(i + 1) + " names it");
            return ERR_STYLER_ITEM;
        }
    }
    return 0;
}

}  // namespace

extern "C" {

// Runs the dialog of the .dlg file, played by the scripted events, handing client_data to every
// callback; 0 with the response, or NX's error code.
int UF_STYLER_create_dialog(char* dialog_file, UF_STYLER_callback_info_t* cbs,
                            int number_of_cbs, void* client_data, int* response) {
    if (int rc = enter("UF_STYLER_create_dialog")) return rc;
    Session& s = S();
    if (!dialog_file || !cbs || number_of_cbs < 1) return ERR_BAD_ARG;
    std::string file = to_utf8(dialog_file);
    std::string path = s.dialog_folder.empty() ? file : s.dialog_folder + "/" + file;
    std::ifstream probe(path);
    if (!probe) return ERR_STYLER_FILE;
    probe.close();

    auto d = std::make_unique<Dialog>();
    d->file = file;
    d->id = s.next_dialog_id++;
    std::string err;
    if (load_dlg(path, *d, &err) != 0) {
        refuse_input(err);
        return ERR_STYLER_FILE;
    }
    if (int rc = check_callbacks(*d, path, cbs, number_of_cbs)) return rc;
    if (check_file_callbacks(*d, path, cbs, number_of_cbs, &err) != 0) {
        refuse_input(err);
        return ERR_STYLER_ITEM;
    }

    Running r{d.get(), cbs, number_of_cbs - 1, client_data};
    s.dialogs.push_back(std::move(d));
    s.transcript.push_back("dialog: open " + file);
    if (fire(r, UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, -1) == UF_UI_CB_EXIT_DIALOG)
        r.closed = true;
    while (!r.closed) {
        if (s.events.empty()) {
            error(file + ": the dialog is still open after the last scripted event; closed as if "
                         "cancelled");
            r.response = UF_UI_CANCEL;
            break;
        }
        DialogEvent e = s.events.front();
        s.events.pop_front();
        play_event(r, e);
    }
    fire(r, UF_STYLER_DIALOG_INDEX, UF_STYLER_DESTRUCTOR_CB, -1);
    s.transcript.push_back("dialog: close " + file);
    s.dialogs.pop_back();
    if (response) *response = r.response;
    return 0;
}

// Hands out an attribute of an object of the running dialog; 0, or NX's error code.
int UF_STYLER_ask_value(int dialog_id, UF_STYLER_item_value_type_p_t value) {
    if (int rc = enter("UF_STYLER_ask_value")) return rc;
    Dialog* d = current_dialog(dialog_id);
    if (!d) return ERR_STYLER_CONTEXT;
    if (!value || !value->item_id) return ERR_BAD_ARG;
    const char* call = "UF_STYLER_ask_value";
    std::string id = value->item_id;
    if (id == UF_STYLER_NAV_INDEX) {
        if (value->item_attr != UF_STYLER_SENSITIVITY) return ERR_STYLER_ATTR;
        value->indicator = UF_STYLER_INTEGER_VALUE;
        value->count = 1;
        value->value.integer = value->subitem_index == 1 ? d->apply_sensitive : d->ok_sensitive;
        return 0;
    }
    DialogItem* it = d->find(id);
    if (!it) return ERR_STYLER_ITEM;
    switch (value->item_attr) {
        case UF_STYLER_SENSITIVITY:
        case UF_STYLER_VISIBILITY:
            value->indicator = UF_STYLER_INTEGER_VALUE;
            value->count = 1;
            value->value.integer =
                value->item_attr == UF_STYLER_SENSITIVITY ? it->sensitive : it->visible;
            return 0;
        case UF_STYLER_LABEL:
            value->indicator = UF_STYLER_STRING_VALUE;
            value->count = 1;
            value->value.string = alloc_string(it->label, call);
            return 0;
        case UF_STYLER_SUBITEM_VALUES:
            if (!is_list(it->kind)) return ERR_STYLER_ATTR;
            value->indicator = UF_STYLER_STRING_PTR_VALUE;
            value->count = (int)it->items.size();
            value->value.strings = string_array(it->items, call);
            return 0;
        case UF_STYLER_VALUE: return ask_item_value(*it, value);
        default: return ERR_STYLER_ATTR;
    }
}

// Sets an attribute of an object of the running dialog; 0, or NX's error code.
int UF_STYLER_set_value(int dialog_id, UF_STYLER_item_value_type_p_t value) {
    if (int rc = enter("UF_STYLER_set_value")) return rc;
    Dialog* d = current_dialog(dialog_id);
    if (!d) return ERR_STYLER_CONTEXT;
    if (!value || !value->item_id) return ERR_BAD_ARG;
    std::string id = value->item_id;
    if (id == UF_STYLER_NAV_INDEX) return set_nav_value(*d, *value);
    DialogItem* it = d->find(id);
    if (!it) return ERR_STYLER_ITEM;
    switch (value->item_attr) {
        case UF_STYLER_SENSITIVITY: it->sensitive = value->value.integer != 0; return 0;
        case UF_STYLER_VISIBILITY: it->visible = value->value.integer != 0; return 0;
        case UF_STYLER_LABEL:
            it->label = value->value.string ? value->value.string : "";
            return 0;
        case UF_STYLER_SUBITEM_VALUES: return set_list_items(*it, *value);
        case UF_STYLER_LIST_INSERT: return insert_list_item(*it, *value);
        case UF_STYLER_LIST_DELETE: return delete_list_item(*it, *value);
        case UF_STYLER_VALUE: return set_item_value(*d, *it, *value);
        default: return ERR_STYLER_ATTR;
    }
}

// Releases what a styler value holds, not the record itself; 0.
int UF_STYLER_free_value(UF_STYLER_item_value_type_p_t data) {
    enter_any("UF_STYLER_free_value");
    free_value_members(data);
    return 0;
}

}  // extern "C"
