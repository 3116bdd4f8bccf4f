// The create-electrode dialog: its callback table and launch, the target folder it holds
// between callbacks, and the list operations of its buttons.
#include "create/create_dialog.h"

#include <string.h>

#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "create/electrode_part.h"
#include "electrode/electrode.h"
#include "electrode/work_part.h"
#include "platform/win_services.h"
#include "ui/dialog.h"
#include "ui/fields.h"

namespace {

const char kList[] = "MULTI_LIST_2";

// NX takes the table as writable: each opening hands it a copy.
const UF_STYLER_callback_info_t kTable[CREATE_DIALOG_ROWS] = {
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, create_constructor_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_DESTRUCTOR_CB, 0, noop_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_OK_CB, 1, create_ok_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_APPLY_CB, 1, create_apply_cb},
    {(char *)UF_STYLER_DIALOG_INDEX, UF_STYLER_CANCEL_CB, 0, dialog_cancel_cb},
    {(char *)"MULTI_LIST_2", UF_STYLER_ACTIVATE_CB, 1, noop_cb},
    {(char *)"MULTI_LIST_2", UF_STYLER_DOUBLE_CLICK_CB, 1, noop_cb},
    {(char *)"ACTION_4", UF_STYLER_ACTIVATE_CB, 1, create_clear_selection_cb},
    {(char *)"ACTION_5", UF_STYLER_ACTIVATE_CB, 1, create_invert_selection_cb},
    {(char *)"ACTION_1", UF_STYLER_ACTIVATE_CB, 1, create_choose_folder_cb},
    {(char *)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
};

// NX's message line: 132 characters.
const size_t kMessageLineMax = KV_MESSAGE_BUFSIZE - 1;

void append_text(char *dst, size_t size, const char *src) {
    size_t len = strlen(dst);
    if (len + 1 < size) kv_copy(dst + len, size - len, src);
}

// Lists the part's electrodes (upper case, NX's order, "ALL" never) as the shared rules name
// them; a category NX cannot read is read once more before it is left out. The prefix is read
// once for the whole list: a settings read that fails would make every category an electrode.
// 0; -1 when an electrode may be missing from the list (a category left unread, an item NX did
// not add): the user is to be told, or the electrode would be left out without a word.
int list_electrodes(int dialog_id, tag_t part) {
    char prefix[KV_SETTING_BUFSIZE];
    if (read_setting(KV_KEY_ELECTRODE_PREFIX_NAME, prefix, sizeof prefix) == -1 &&
        read_setting(KV_KEY_ELECTRODE_PREFIX_NAME, prefix, sizeof prefix) == -1)
        return 0;  // no settings: the user was told where the tool folder is missing
    size_t plen = strlen(prefix);
    tag_t category = NULL_TAG;
    int complete = 1, walked = 0;
    while ((walked = next_category(part, &category)) == 0 && category != NULL_TAG) {
        UF_LAYER_category_info_t info;
        memset(&info, 0, sizeof info);
        if (UF_LAYER_ask_category_info(category, &info) != 0) {
            memset(&info, 0, sizeof info);
            if (UF_LAYER_ask_category_info(category, &info) != 0) {
                complete = 0;
                continue;
            }
        }
        char name[sizeof info.name + 1];
        kv_copy_n(name, sizeof name, info.name, strnlen(info.name, sizeof info.name));
        kv_upper(name);
        if (kv_equal_nocase(name, "ALL") || name[0] == '\0' || strlen(name) < plen ||
            !kv_equal_nocase_n(name, plen, prefix, plen))
            continue;
        if (list_append(dialog_id, kList, name) != 0) complete = 0;
    }
    return complete && walked == 0 ? 0 : -1;
}

// The electrodes whose files one OK or Apply made, for the message when it has to stop. An
// electrode is a category: never more than there are layers.
typedef char made_names[UF_LAYER_MAX_LAYER][KV_CATEGORY_NAME_BUFSIZE + 1];

// Tells that the batch stopped and which files it made, as many names a message as fit.
void tell_stopped(const made_names &names, int made) {
    char message[KV_MESSAGE_BUFSIZE];
    kv_copy(message, sizeof message, KV_PARTS_STOPPED_TEXT);
    if (made == 0) {
        append_text(message, sizeof message, KV_PARTS_NONE_TEXT);
        uc1601(message, 1);
        return;
    }
    append_text(message, sizeof message, KV_PARTS_MADE_TEXT);
    size_t label = strlen(message);
    for (int i = 0; i < made; ++i) {
        size_t len = strlen(message);
        // A line no longer than NX's message line (132): what does not fit goes to the next.
        if (len > label && len + 1 + strlen(names[i]) > kMessageLineMax) {
            uc1601(message, 1);
            kv_copy(message, sizeof message, KV_PARTS_MADE_TEXT);
            label = len = strlen(message);
        }
        if (len > label) append_text(message, sizeof message, " ");
        append_text(message, sizeof message, names[i]);
    }
    uc1601(message, 1);
}

// OK and Apply: one part file per selected electrode; each tells its own failures, each part
// made short is named at the end with what it lacks. When the user's part cannot be made the work part again
// the batch stops: a further file would be named after, and made from, the electrode part.
// 0; -1 (told, nothing made) when the list's selection could not be read.
int create_selected(int dialog_id, create_dialog_state *state) {
    char *folder = state->folder;
    if (folder[0] == '\0') work_part_folder(folder, sizeof state->folder);
    // The selected names, read once: an electrode NX could not say was picked would be left out
    // without a word.
    list_selection selection;
    if (read_list_selection(dialog_id, kList, &selection) != 0) {
        char text[] = KV_LIST_UNREAD_TEXT;
        uc1601(text, 1);
        return -1;
    }
    const UF_STYLER_item_value_type_t &picked = selection.value;
    int count = picked.indicator == UF_STYLER_STRING_PTR_VALUE && picked.value.strings ? picked.count : 0;
    int made = 0;
    made_names names;
    // The drawings' template objects, read once for the batch: no drawing is made meanwhile.
    template_objects templates;
    read_template_objects(UF_ASSEM_ask_work_part(), &templates);
    // The part files made short, one message each when the batch is done (NX shows 132 characters).
    char short_of[UF_LAYER_MAX_LAYER][kMessageLineMax + 1];
    int short_count = 0;
    for (int i = 0; i < count; ++i) {
        char name[1024];
        kv_copy(name, sizeof name, picked.value.strings[i] ? picked.value.strings[i] : "");
        if (name[0] == '\0') continue;
        char lacks[KV_LACK_BUFSIZE];
        int rc = create_electrode_part(folder, name, &templates, lacks, sizeof lacks);
        if (rc == -2) {
            tell_stopped(names, made);
            break;
        }
        if (rc == 1 && short_count < UF_LAYER_MAX_LAYER) {
            snprintf(short_of[short_count], sizeof short_of[0], KV_PART_SHORT_TEXT, name, lacks);
            kv_drop_split_char(short_of[short_count++]);
        }
        if ((rc == 0 || rc == 1) && made < UF_LAYER_MAX_LAYER) kv_copy(names[made++], sizeof names[0], name);
    }
    release_list_selection(&selection);
    release_template_objects(&templates);
    for (int i = 0; i < short_count; ++i) uc1601(short_of[i], 1);
    return 0;
}

}  // namespace

int launch_create_dialog(int *response) {
    create_dialog_state state;
    memset(&state, 0, sizeof state);
    UF_STYLER_callback_info_t table[CREATE_DIALOG_ROWS];
    memcpy(table, kTable, sizeof table);
    return launch_dialog(CREATE_DIALOG_FILE, table, CREATE_DIALOG_ROWS, &state, response);
}

int create_constructor_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    create_dialog_state *state = (create_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    state->folder[0] = '\0';
    tag_t work = UF_ASSEM_ask_work_part();
    list_clear(dialog_id, kList);
    // The actions run only with a work part: one NX cannot name now is a failure.
    if (work == NULL_TAG || list_electrodes(dialog_id, work) != 0) {
        char text[] = KV_LIST_INCOMPLETE_TEXT;
        uc1601(text, 1);
    }
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int create_ok_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    create_dialog_state *state = (create_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    // A selection that could not be read keeps the dialog open for another try.
    int ran = create_selected(dialog_id, state);
    UF_terminate();
    return ran == 0 ? UF_UI_CB_EXIT_DIALOG : UF_UI_CB_CONTINUE_DIALOG;
}

int create_apply_cb(int dialog_id, void *client_data, UF_STYLER_item_value_type_p_t) {
    create_dialog_state *state = (create_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    create_selected(dialog_id, state);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

// The list is rebuilt rather than its items set one by one: NX leaves open whether setting an
// item flips it or selects it. A selection the user did not ask for is told.
int create_clear_selection_cb(int dialog_id, void *, UF_STYLER_item_value_type_p_t) {
    if (UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    if (rebuild_list(dialog_id, kList, KV_LIST_NONE) != 0) {
        char text[] = KV_NOT_CLEARED_TEXT;
        uc1601(text, 1);
    }
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int create_invert_selection_cb(int dialog_id, void *, UF_STYLER_item_value_type_p_t) {
    if (UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    if (rebuild_list(dialog_id, kList, KV_LIST_INVERTED) != 0) {
        char text[] = KV_NOT_INVERTED_TEXT;
        uc1601(text, 1);
    }
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}

int create_choose_folder_cb(int, void *client_data, UF_STYLER_item_value_type_p_t) {
    create_dialog_state *state = (create_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    state->folder[0] = '\0';
    if (ws_browse_folder(KV_FOLDER_TITLE, state->folder) == -2) {
        char text[] = KV_FOLDER_FAILED_TEXT;
        uc1601(text, 1);
    }
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}
