// The UIStyler file's version-3 layout, and the writer both the kit's generator and the tests use.
#include "uistyler_format.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

#include "nx.h"

namespace uistyler {

const char* const kBanner[6] = {
    "================================================================================",
    "             Copyright (c) 1997 Electronic Data Systems Corporation",
    "                        Unpublished - All Rights Reserved",
    "",
    "   WARNING:  Any attempt to manually modify this file may render it unusable!",
    "================================================================================",
};

const Field kDialogAttributes[] = {
    {"Title", 'S'},          {"Module name", 'S'},        {"Prompt", 'S'},
    {"At top", 'B'},         {"Back", 'B'},               {"Cursor", 'B'},
    {"Extended cursor", 'B'}, {"Selection type", 'I'},    {"Selection scope", 'I'},
    {"Navigation buttons", 'B'}, {"Resize", 'B'},         {"Safe", 'B'},
    {"Special", 'B'},
};
const int kDialogAttributeCount = sizeof kDialogAttributes / sizeof kDialogAttributes[0];

const Field kObjectFields[] = {
    {"Item number", 'I'},       {"Item type", 'I'},         {"Indicator mask", 'H'},
    {"Object link", 'I'},       {"Object name", 'S'},       {"Label", 'S'},
    {"Longest label", 'S'},     {"Hot", 'B'},               {"Dynamic list", 'B'},
    {"Real", 'B'},              {"Horizontal", 'B'},        {"Show border", 'B'},
    {"Sensitive", 'B'},         {"Visible", 'B'},           {"Dialog dependent", 'B'},
    {"Attach center", 'B'},     {"Modified attach", 'B'},   {"Show limits", 'B'},
    {"Show value", 'B'},        {"Show selected", 'B'},     {"Password", 'B'},
    {"Bitmap filename", 'S'},   {"List items count", 'I'},  {"List span", 'I'},
    {"Height", 'I'},            {"Width", 'I'},             {"Decimal", 'I'},
    {"Scale increment", 'I'},   {"Minimum label", 'S'},     {"Maximum label", 'S'},
    {"Minimum", 'R'},           {"Maximum", 'R'},           {"Integer data", 'I'},
    {"Double data", 'R'},       {"String data", 'S'},       {"Attach top offset", 'I'},
    {"Attach top type", 'I'},   {"Attach top item", 'I'},   {"Attach left offset", 'I'},
    {"Attach left type", 'I'},  {"Attach left item", 'I'},  {"Attach right offset", 'I'},
    {"Attach right type", 'I'}, {"Attach right item", 'I'},
};
const int kObjectFieldCount = sizeof kObjectFields / sizeof kObjectFields[0];

int object_field(const char* key) {
    for (int i = 0; i < kObjectFieldCount; ++i)
        if (strcmp(kObjectFields[i].key, key) == 0) return i;
    return -1;
}

// INTEGER (3) and STRING (17) are seen only in version-4 files, OPTION_MENU (7) and MULTI_LIST (6)
// only in version-3 files; the codes both versions use agree, so each is read as valid in both.
const KindCode kKinds[] = {
    {"LABEL", UF_STYLER_LABEL_TYPE, 4},
    {"INTEGER", UF_STYLER_INTEGER_TYPE, 3},
    {"REAL", UF_STYLER_REAL_TYPE, 10},
    {"STRING", UF_STYLER_STRING_TYPE, 17},
    {"ACTION_BUTTON", UF_STYLER_ACTION_BUTTON_TYPE, 8},
    {"TOGGLE", UF_STYLER_TOGGLE_TYPE, 18},
    {"OPTION_MENU", UF_STYLER_OPTION_MENU_TYPE, 7},
    {"MULTI_LIST", UF_STYLER_MULTI_LIST_TYPE, 6},
    {"SEPARATOR", UF_STYLER_SEPARATOR_TYPE, 13},
};
const int kKindCount = sizeof kKinds / sizeof kKinds[0];

const KindCode* kind_by_name(const std::string& kind) {
    for (const KindCode& k : kKinds)
        if (kind == k.kind) return &k;
    return nullptr;
}

const KindCode* kind_by_code(int code) {
    for (const KindCode& k : kKinds)
        if (code == k.code) return &k;
    return nullptr;
}

// Dialog callbacks are numbered constructor 0, destructor 1, OK 2, Apply 3: uf_styler.h's order
// from OK on, two down. Cancel as 5 (Back 4) follows that order; no file shows it. Object
// callbacks carry uf_styler.h's own numbers (activate 0, value changed 1 seen); double click as 3
// follows them, unseen.
const CallbackNumber kCallbacks[] = {
    {"constructor", UF_STYLER_CONSTRUCTOR_CB, 0, true},
    {"destructor", UF_STYLER_DESTRUCTOR_CB, 1, true},
    {"ok", UF_STYLER_OK_CB, 2, true},
    {"apply", UF_STYLER_APPLY_CB, 3, true},
    {"cancel", UF_STYLER_CANCEL_CB, 5, true},
    {"activate", UF_STYLER_ACTIVATE_CB, 0, false},
    {"value_changed", UF_STYLER_VALUE_CHANGED_CB, 1, false},
    {"double_click", UF_STYLER_DOUBLE_CLICK_CB, 3, false},
};
const int kCallbackCount = sizeof kCallbacks / sizeof kCallbacks[0];

const CallbackNumber* callback_by_name(const std::string& name) {
    for (const CallbackNumber& c : kCallbacks)
        if (name == c.name) return &c;
    return nullptr;
}

const CallbackNumber* callback_by_number(int number, bool dialog) {
    for (const CallbackNumber& c : kCallbacks)
        if (c.number == number && c.dialog == dialog) return &c;
    return nullptr;
}

const CallbackNumber* callback_by_type(int cb_type) {
    for (const CallbackNumber& c : kCallbacks)
        if (c.cb_type == cb_type) return &c;
    return nullptr;
}

namespace {

// Collects the text: every field line padded to the value column.
struct Text {
    std::string s;

    void line(int indent, const std::string& text) {
        s.append(indent, ' ');
        s += text;
        s += '\n';
    }
    void field(int indent, const char* key, const std::string& value) {
        size_t start = s.size();
        s.append(indent, ' ');
        s += key;
        s += ':';
        size_t used = s.size() - start;
        if (used < (size_t)kValueColumn) s.append(kValueColumn - used, ' ');
        s += value;
        s += '\n';
    }
    void open(int indent, const char* name) {
        line(indent, name);
        line(indent, "{");
    }
    void close(int indent, const char* name) { line(indent, std::string("} End ") + name); }
};

std::string yes(bool b) { return b ? "True" : "False"; }

std::string real(double v) {
    char buf[64];
    snprintf(buf, sizeof buf, "%f", v);
    return buf;
}

void write_callbacks(Text& t, int indent, const std::vector<Callback>& cbs) {
    for (const Callback& c : cbs) {
        t.field(indent, "Callback", std::to_string(c.number));
        t.line(indent, "{");
        t.field(indent + 4, "Function name", c.function);
        t.field(indent + 4, "Response", std::to_string(c.response));
        t.field(indent + 4, "Dialog building callback", yes(c.building));
        t.close(indent, "Callback");
    }
}

// The values of one Object block, in kObjectFields order. number: the item number (-1 for the
// dialog and the bar); above: the item number of the object it is stacked under (-1: the form).
std::vector<std::string> object_values(const Object& o, int number, int above) {
    bool frame = o.code == kDialogCode || o.code == kDialogBarCode;
    bool separator = o.code == 13;
    bool natural_width = o.code == 4 || o.code == 18;  // labels and toggles keep their width
    int span = o.code == 6 ? 3 : o.code == 17 ? 0 : -1;
    std::vector<std::string> v = {
        std::to_string(number), std::to_string(o.code), frame ? "fd" : "0", "0", o.name, o.label,
        "", "False", "True", "False", yes(separator), "True",
        yes(o.sensitive), "True", "True", "False", "False", "True",
        "True", "False", "False", "", std::to_string(o.items.size()), std::to_string(span),
        separator ? "15" : "0", "0", "0", "1", "", "",
        real(0), real(5), std::to_string(o.ivalue), real(o.rvalue), o.svalue,
        "0", frame ? "0" : above < 0 ? "1" : "2",
        frame || above < 0 ? "0" : std::to_string(kReferenceBase + above),
        "0", frame ? "0" : "1", "0",
        "0", frame || natural_width ? "0" : "1", "0",
    };
    return v;
}

void write_object(Text& t, const Object& o, int number, int above) {
    std::vector<std::string> v = object_values(o, number, above);
    t.open(4, "Object");
    for (int i = 0; i < kObjectFieldCount; ++i) {
        t.field(8, kObjectFields[i].key, v[i]);
        if (strcmp(kObjectFields[i].key, "List items count") == 0)
            for (const std::string& item : o.items) t.field(8, "List items", item);
    }
    write_callbacks(t, 8, o.callbacks);
    t.close(4, "Object");
}

}  // namespace

unsigned long adler32_of(const std::string& bytes) {
    return adler32(adler32(0L, Z_NULL, 0), (const Bytef*)bytes.data(), (uInt)bytes.size());
}

std::string file_text(const File& f) {
    Text t;
    for (const char* line : kBanner) t.line(0, line);
    t.field(0, "UIStyler Version", std::to_string(kVersion));
    t.open(0, "Dialog Attributes");
    // Back False: the plug-in's dialogs have OK, Apply and Cancel only. Whether False hides the
    // Back button is a reading (NX's own files all say True).
    const std::string values[] = {f.title, f.module, "", "False", "False", "False", "True",
                                  "32", "0", "True", "False", "False", "False"};
    for (int i = 0; i < kDialogAttributeCount; ++i) t.field(4, kDialogAttributes[i].key, values[i]);
    write_callbacks(t, 4, f.callbacks);
    t.close(0, "Dialog Attributes");
    t.open(0, "Dialog Objects");
    Object dialog;
    dialog.code = kDialogCode;
    dialog.name = "DIALOG_0";
    write_object(t, dialog, -1, -1);
    for (size_t i = 0; i < f.objects.size(); ++i) write_object(t, f.objects[i], (int)i, (int)i - 1);
    t.close(0, "Dialog Objects");
    t.open(0, "Dialog Bar");
    Object bar;
    bar.code = kDialogBarCode;
    bar.name = "DIALOG_BAR_B_0";
    write_object(t, bar, -1, -1);
    t.close(0, "Dialog Bar");
    unsigned long sum = adler32_of(t.s);
    t.field(0, "Checksum", std::to_string(sum));
    return t.s;
}

std::string file_bytes(const File& f) {
    std::string text = file_text(f);
    uLongf size = compressBound((uLong)text.size());
    std::string out(size, '\0');
    // Level 1: what NX's own files are written with.
    if (compress2((Bytef*)&out[0], &size, (const Bytef*)text.data(), (uLong)text.size(), 1) != Z_OK)
        return std::string();
    out.resize(size);
    return out;
}

}  // namespace uistyler
