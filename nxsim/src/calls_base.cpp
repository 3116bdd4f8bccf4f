// Start and end, memory, error texts, environment, menu actions, messages, the status line, the
// listing window, and the work and displayed part.
#include <cstdio>
#include <cstring>

#include "state.h"

using namespace nxsim;

namespace {

struct MessageRow {
    int code;
    const char* text;
};

// NX-like texts for the host's codes.
const MessageRow kMessages[] = {
    {ERR_NOT_INITIALIZED, "The Open API has not been initialized"},
    {ERR_BAD_TAG, "Invalid object tag"},
    {ERR_BAD_ARG, "Invalid argument"},
    {ERR_INJECTED, "Internal error: the operation could not be completed"},
    {ERR_NO_WORK_PART, "There is no work part"},
    {ERR_NAME_TOO_LONG, "Name is too long"},
    {ERR_STYLER_FILE, "Unable to open the UIStyler dialog file"},
    {ERR_STYLER_ITEM, "The UIStyler dialog item does not exist"},
    {ERR_STYLER_ATTR, "The UIStyler item attribute is not valid for this item"},
    {ERR_STYLER_CONTEXT, "UIStyler values can be asked only inside a dialog callback"},
    {ERR_NOT_IN_ASSEMBLY, "The part is neither the displayed part nor one of its components"},
    {ERR_FILE_EXISTS, "The file already exists"},
    {ERR_PART_NAME, "Invalid part name, or a part of that file name is already loaded"},
    {ERR_FILE_WRITE, "The part file cannot be written"},
    {ERR_FILE_LOAD, "The part file cannot be found or read"},
    {ERR_WAVE_SOURCE, "The object cannot be linked"},
};

}  // namespace

extern "C" {

// Opens an entry to the API (entries nest); 0, or an injected fault's code.
int UF_initialize(void) {
    if (int rc = enter_any("UF_initialize")) return rc;
    ++S().init_depth;
    return 0;
}

// Closes the entry UF_initialize opened; 0, or NX's error code (UF_err_program_not_initialized without one).
int UF_terminate(void) {
    if (int rc = enter_any("UF_terminate")) return rc;
    Session& s = S();
    if (s.init_depth <= 0) {
        error("UF_terminate called without a matching UF_initialize");
        return ERR_NOT_INITIALIZED;
    }
    --s.init_depth;
    return 0;
}

// Releases memory the host handed out. Host's choice: other memory, memory released twice, or a
// null pointer (NX does not say it takes one) is an error of the run.
void UF_free(void* data) {
    enter_any("UF_free");
    if (!data) {
        error("UF_free: a null pointer (NX does not document that it accepts one)");
        return;
    }
    release(data, "UF_free");
}

// Releases n_strings texts and then their array, each as UF_free does.
void UF_free_string_array(int n_strings, char** string_array) {
    enter_any("UF_free_string_array");
    if (!string_array) return;
    for (int i = 0; i < n_strings; ++i) release(string_array[i], "UF_free_string_array");
    release(string_array, "UF_free_string_array");
}

// Copies the text of an error code (at most 132 characters); 0, 1 for a code without a text, or NX's error code.
int UF_get_fail_message(int fail_code, char message[133]) {
    if (int rc = enter_any("UF_get_fail_message")) {
        if (message) message[0] = '\0';
        return rc;
    }
    if (!message) return ERR_BAD_ARG;
    message[0] = '\0';
    for (const auto& row : kMessages) {
        if (row.code == fail_code) {
            copy_out(message, 133, row.text);
            return 0;
        }
    }
    auto it = S().messages.find(fail_code);
    if (it != S().messages.end()) {
        copy_out(message, 133, it->second);
        return 0;
    }
    return 1;  // no text for the code
}

// Points *translation at the session's value of the variable (null when unset), owned by the host; 0, or NX's code.
int UF_translate_variable(const char* variable, char** translation) {
    if (translation) *translation = nullptr;
    if (int rc = enter("UF_translate_variable")) return rc;
    if (!variable || !translation) return ERR_BAD_ARG;
    Session& s = S();
    auto it = s.env.find(variable);
    // The text stays owned by the session, as NX's does: the caller must not free it.
    if (it != s.env.end()) *translation = const_cast<char*>(it->second.c_str());
    return 0;
}

// Registers the table's menu actions up to its null row (a name again takes the new callback); 0, or NX's error code.
int UF_MB_add_actions(UF_MB_action_t action_table[]) {
    if (int rc = enter("UF_MB_add_actions")) return rc;
    if (!action_table) return ERR_BAD_ARG;
    Session& s = S();
    for (int i = 0; action_table[i].action_name || action_table[i].action_cb.cb; ++i) {
        const UF_MB_action_t& row = action_table[i];
        if (!row.action_name) {
            error("UF_MB_add_actions: a row without an action name");
            return ERR_BAD_ARG;
        }
        std::string name = row.action_name;
        if (!s.actions.count(name)) s.action_order.push_back(name);
        s.actions[name] = row;
    }
    return 0;
}

// Shows the text on the status line (a status: line of the transcript); 0, or NX's error code.
int UF_UI_set_status(char* status_text) {
    if (int rc = enter("UF_UI_set_status")) return rc;
    S().status = status_text ? status_text : "";
    add_transcript("status", S().status);
    return 0;
}

// Shows the message in a box (option 1) or on the status line, cut to 132 bytes. Host's choice: a cut shows [cut].
void uc1601(char* message, int option) {
    if (enter("uc1601")) return;  // declared void: a failure shows nothing and tells nothing
    std::string text = message ? message : "";
    bool cut = false;
    if (text.size() > MAX_LINE_SIZE) {
        // Where NX cuts a double-byte character is not documented: the host cuts before it.
        size_t keep = 0;
        while (keep < text.size()) {
            size_t next = keep + ((unsigned char)text[keep] >= 0x81 && keep + 1 < text.size() ? 2 : 1);
            if (next > MAX_LINE_SIZE) break;
            keep = next;
        }
        text.resize(keep);
        cut = true;
    }
    if (option == 1) {
        add_transcript("message", cut ? text + " [cut]" : text);
    } else {
        // On the status line NX shows '*' (its line break in the box) as '-'.
        for (char& c : text)
            if (c == '*') c = '-';
        S().status = text;
        add_transcript("status", cut ? text + " [cut]" : text);
    }
}

// The work part, or the null tag (also when the call fails).
tag_t UF_ASSEM_ask_work_part(void) {
    if (enter("UF_ASSEM_ask_work_part")) return NULL_TAG;
    return S().work_part;
}

// The displayed part, or the null tag (also when the call fails).
tag_t UF_PART_ask_display_part(void) {
    if (enter("UF_PART_ask_display_part")) return NULL_TAG;
    return S().display_part;
}

// Opens the listing window (an open one stays as it is); 0, or NX's error code.
int UF_UI_open_listing_window(void) {
    if (int rc = enter("UF_UI_open_listing_window")) return rc;
    S().listing_open = true;
    return 0;
}

// Whether the listing window is open; 0, or NX's error code.
int UF_UI_is_listing_window_open(logical* response) {
    if (response) *response = false;
    if (int rc = enter("UF_UI_is_listing_window_open")) return rc;
    if (response) *response = S().listing_open;
    return 0;
}

// Appends the text to the listing window; 0. Host's choice: 4, writing nothing, when the window is not open.
int UF_UI_write_listing_window(const char* string) {
    if (int rc = enter("UF_UI_write_listing_window")) return rc;
    if (!S().listing_open) return ERR_BAD_ARG;
    if (string) S().listing += string;
    return 0;
}

}  // extern "C"
