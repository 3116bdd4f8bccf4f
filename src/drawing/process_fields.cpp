// The process field table and the text forms of its fields.
#include "drawing/process_fields.h"

#include <stdio.h>
#include <string.h>

#include "config/comma_list.h"
#include "config/kv_text.h"
#include "config/setting_keys.h"

#define FIELD(member) offsetof(electrode_data, member)

// Listing order. The listing's labels and line breaks are its own and are kept byte for byte;
// "粗" is the gap the dialog calls SUPR_CORASE, "特粗" the one it calls COARSE.
const process_field kv_process_fields[] = {
    {NULL, "ELECTRODENAME", KV_FIELD_TEXT, FIELD(electrode_name), NULL, NULL, "电极名：", 0},
    {"STR_0", "MOLDNO", KV_FIELD_TEXT, FIELD(mould_no), NULL, NULL, "模 号：", 0},
    {"WORKPIECE_STR", "PARTNAME", KV_FIELD_TEXT, FIELD(workpiece_name), NULL, NULL, "工件名：", 0},
    {"MATERIAL_OPTION", "MATERIAL", KV_FIELD_CHOICE, FIELD(material_index), KV_KEY_ELECTRODE_DRAFT_MATERIAL, "\n", "材料：", 0},
    {"METHOD_OPTION", "METHOD", KV_FIELD_CHOICE, FIELD(edm_method_index), KV_KEY_ELECTRODE_DRAFT_METHOD, NULL, "方式：", 0},
    {"MACHINE_OPTION", "MACHINE", KV_FIELD_CHOICE, FIELD(machine_index), KV_KEY_ELECTRODE_DRAFT_MACH, NULL, "        加工中心：", 1},
    {"SUPR_CORASE_SZIE_REAL", "POSITION1", KV_FIELD_REAL, FIELD(supr_coarse_gap), NULL, "火花位置:\n", "粗：", 0},
    {"SUPR_COARSE_NUM_INT", "POSITIONNUM1", KV_FIELD_COUNT, FIELD(supr_coarse_count), NULL, NULL, "数量：", 1},
    {"COARSE_SIZE_REAL", "POSITION2", KV_FIELD_REAL, FIELD(coarse_gap), NULL, NULL, "特粗：", 0},
    {"COARSE_NUM_INT", "POSITIONNUM2", KV_FIELD_COUNT, FIELD(coarse_count), NULL, NULL, "数量：", 1},
    {"FINE_SIZE_REAL", "POSITION3", KV_FIELD_REAL, FIELD(fine_gap), NULL, NULL, "精：", 0},
    {"FINE_NUM_INT", "POSITIONNUM3", KV_FIELD_COUNT, FIELD(fine_count), NULL, NULL, "数量：", 1},
    {"TOGGLE_20", "METH1", KV_FIELD_FLAG, FIELD(wire_cut), NULL, NULL, "线割：", 0},
    {"TOGGLE_21", "METH2", KV_FIELD_FLAG, FIELD(relief), NULL, NULL, "避空：", 0},
    {"TOGGLE_22", "METH3", KV_FIELD_FLAG, FIELD(clear_r_corner), NULL, NULL, "清R角：", 0},
    {"TOGGLE_23", "METH4", KV_FIELD_FLAG, FIELD(clear_square_corner), NULL, NULL, "清直角：", 1},
    {"DRAW_OPTION", "CREATE", KV_FIELD_PERSON, FIELD(drawn_by), KV_KEY_ELECTRODE_DRAFT_MAN, "人员:\n", "画图:", 0},
    {"SPLIT_ELECTRODE_OPTION", "SPLIT", KV_FIELD_PERSON, FIELD(split_by), KV_KEY_ELECTRODE_DRAFT_SPLIT, NULL, "      拆电极:", 0},
    {"CREATE_ELECTRODE_OPTION", "CREATELECT", KV_FIELD_PERSON, FIELD(electrode_by), KV_KEY_ELECTRODE_DRAFT_CREATE, NULL, "      编电极:", 1},
};

const int kv_process_field_count = (int)(sizeof kv_process_fields / sizeof kv_process_fields[0]);

const void *process_field_value(const electrode_data *data, const process_field *field) {
    return (const char *)data + field->offset;
}

void *process_field_value(electrode_data *data, const process_field *field) {
    return (char *)data + field->offset;
}

void read_process_choice_lists(process_choice_lists *lists) {
    if (!lists) return;
    int choice = 0;
    for (int i = 0; i < kv_process_field_count && choice < KV_CHOICE_COUNT; ++i) {
        if (kv_process_fields[i].kind != KV_FIELD_CHOICE) continue;
        read_setting(kv_process_fields[i].setting, lists->list[choice], sizeof lists->list[choice]);
        ++choice;
    }
}

int process_choice_text(const process_choice_lists *lists, int choice, int index, char *text, size_t size) {
    if (!text || size == 0) return -1;
    text[0] = '\0';
    if (!lists || choice < 0 || choice >= KV_CHOICE_COUNT) return -1;
    list_item_whole(lists->list[choice], index, text, size);
    return 0;
}

namespace {

// The choice number of a choice field: its place among the table's choice fields.
int choice_of(const process_field *field) {
    int choice = 0;
    for (int i = 0; i < kv_process_field_count; ++i) {
        if (&kv_process_fields[i] == field) return choice;
        if (kv_process_fields[i].kind == KV_FIELD_CHOICE) ++choice;
    }
    return -1;
}

}  // namespace

int process_field_text(const process_field *field, const electrode_data *data,
                       const process_choice_lists *lists, char *text, size_t size) {
    if (!text || size == 0) return -1;
    text[0] = '\0';
    if (!field || !data) return -1;
    const void *value = process_field_value(data, field);
    switch (field->kind) {
        case KV_FIELD_TEXT:
        case KV_FIELD_PERSON: kv_copy(text, size, (const char *)value); return 0;
        case KV_FIELD_CHOICE:
            return process_choice_text(lists, choice_of(field), *(const int *)value, text, size);
        case KV_FIELD_REAL: return format_gap(*(const double *)value, text, size);
        case KV_FIELD_COUNT: snprintf(text, size, "%d", *(const int *)value); return 0;
        case KV_FIELD_FLAG: kv_copy(text, size, *(const int *)value ? "x" : " "); return 0;
    }
    return -1;
}

int trim_real_text(char *text) {
    if (!text) return -1;
    const char *point = strrchr(text, '.');
    if (!point || point == text) return 0;
    // Only decimals are trimmed: the zeros of an exponent ("1.5e+10") are no decimals.
    for (const char *c = point + 1; *c; ++c)
        if (*c < '0' || *c > '9') return 0;
    size_t len = strlen(text);
    while (len > 0 && text[len - 1] == '0') text[--len] = '\0';
    if (len > 0 && text[len - 1] == '.') text[--len] = '\0';
    return 0;
}

int format_gap(double value, char *text, size_t size) {
    if (!text || size == 0) return -1;
    int n = snprintf(text, size, "%f", value);
    if (n < 0 || (size_t)n >= size) {
        // A cut "%f" would show another number: the short form instead.
        snprintf(text, size, "%g", value);
        return 0;
    }
    return trim_real_text(text);
}
