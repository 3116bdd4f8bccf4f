// NX's UIStyler dialog file (.dlg), version 3: what is known of the format and the readings taken
// where NX's own files leave it open (docs/dlg-format.md). Both the kit's generator (tools/dlgc)
// and the host's reader (dlg_file.cpp) take the format from here, so a reading changes in one place.
#pragma once

#include <string>
#include <vector>

namespace uistyler {

// The version written: the only one every NX release ships (NX4 to NX2007).
constexpr int kVersion = 3;
// 0-based column where every field's value starts, in version 3.
constexpr int kValueColumn = 39;
// "1000 + item number" is how one object refers to another (links, attachments).
constexpr int kReferenceBase = 1000;

// The six banner lines that open every version-3 file, each without its line end.
extern const char* const kBanner[6];

// A field's value: B True/False, I decimal integer, R C "%f" real, S raw text, H lower-case hex.
struct Field {
    const char* key;
    char type;
};
// Dialog Attributes, in file order (13 fields).
extern const Field kDialogAttributes[];
extern const int kDialogAttributeCount;
// The fields of every Object block, in file order (44 fields). "List items" lines follow
// "List items count" and are not counted here.
extern const Field kObjectFields[];
extern const int kObjectFieldCount;
// Index into kObjectFields of the named field, or -1.
int object_field(const char* key);

// Item type codes of the file, which are not uf_styler.h's UF_STYLER_*_TYPE numbers.
constexpr int kDialogCode = 21;
constexpr int kDialogBarCode = 22;
struct KindCode {
    const char* kind;  // the description's kind name
    int styler_type;   // UF_STYLER_*_TYPE
    int code;          // in the file
};
// The kinds the generator can write; a kind without a known code (single list, multi-line text)
// is not here.
extern const KindCode kKinds[];
extern const int kKindCount;
const KindCode* kind_by_name(const std::string& kind);
const KindCode* kind_by_code(int code);

// Callback reasons: the description's name, UF_STYLER_*_CB, and the number in the file.
struct CallbackNumber {
    const char* name;
    int cb_type;
    int number;
    bool dialog;  // a reason of the dialog (else of an object)
};
extern const CallbackNumber kCallbacks[];
extern const int kCallbackCount;
const CallbackNumber* callback_by_name(const std::string& name);
const CallbackNumber* callback_by_number(int number, bool dialog);
const CallbackNumber* callback_by_type(int cb_type);

// A dialog as the file holds it (texts GBK, as NX keeps locale text).
struct Callback {
    int number = 0;  // in the file
    std::string function;
    int response = 0;
    bool building = false;  // "Dialog building callback": opens a sub-dialog
};
struct Object {
    int code = 0;
    std::string name;
    std::string label;
    bool sensitive = true;
    int ivalue = 0;
    double rvalue = 0;
    std::string svalue;
    std::vector<std::string> items;
    std::vector<Callback> callbacks;  // ascending number
};
struct File {
    std::string title;
    std::string module;
    std::vector<Callback> callbacks;  // the dialog's, ascending number
    std::vector<Object> objects;      // without the dialog and the bar objects
};

// The text of f, Checksum line included, uncompressed.
std::string file_text(const File& f);
// f as NX stores it: file_text compressed as one zlib stream. Empty when zlib fails.
std::string file_bytes(const File& f);
// Adler-32 of bytes, as the Checksum line carries it.
unsigned long adler32_of(const std::string& bytes);

}  // namespace uistyler
