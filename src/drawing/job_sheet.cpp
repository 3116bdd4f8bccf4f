// The job sheet of the drawing dialog's electrodes: the datum, each electrode's placement and
// box (measured by the plane probes of the drawing's reference geometry, the WCS set to the
// electrode's system meanwhile and given back afterwards), the stock, and the two files.
#include "drawing/job_sheet.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "config/comma_list.h"
#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/setting_values.h"
#include "config/settings.h"
#include "drawing/dimension_refs.h"
#include "drawing/measure.h"
#include "drawing/model_views.h"
#include "drawing/job_export.h"
#include "drawing/job_map.h"
#include "drawing/job_labels.h"
#include "drawing/job_ops.h"
#include "drawing/model_list.h"
#include "drawing/process_fields.h"
#include "drawing/wcs.h"
#include "electrode/electrode.h"
#include "electrode/work_part.h"
#include "platform/win_services.h"

namespace {

const double kMmPerInch = 25.4;
// NX's status line holds 132 characters.
const size_t kStatusSize = 133;

// The work part's coordinate system of that name (NX keeps names in upper case) into *csys,
// NULL_TAG when the part has none. 0; -1 when the part or its objects could not be asked.
int find_named_csys(const char *name, tag_t *csys) {
    *csys = NULL_TAG;
    tag_t part = UF_ASSEM_ask_work_part();
    if (part == NULL_TAG) return -1;
    char upper[KV_OBJ_NAME_BUFSIZE];
    kv_copy(upper, sizeof upper, name);
    kv_upper(upper);
    const char *names[2] = {name, upper};
    for (const char *n : names) {
        if (UF_OBJ_cycle_by_name_and_type(part, n, UF_coordinate_system_type, FALSE, csys) != 0) {
            *csys = NULL_TAG;
            return -1;
        }
        if (*csys != NULL_TAG) return 0;
    }
    return 0;
}

// The datum frame and the header's words for it: the coordinate system the setting names, or
// the absolute frame when the setting names none or one the part does not have. 0; -1 (the
// user told, naming it) when the part has it but it cannot be read: positions measured from
// the absolute frame instead would all be wrong without a word.
int find_datum(job_frame *datum, char *text, size_t size) {
    absolute_frame(datum);
    char name[KV_SETTING_BUFSIZE];
    if (read_setting(KV_KEY_EDM_DATUM_CSYS, name, sizeof name) != 0) {
        snprintf(text, size, "绝对坐标系（未设置 %s）", KV_KEY_EDM_DATUM_CSYS);
        return 0;
    }
    kv_drop_split_char(name);
    job_frame f;
    tag_t csys = NULL_TAG;
    // A name longer than NX's object names names no object (cut, it could name another one).
    int asked = strlen(name) < KV_OBJ_NAME_BUFSIZE ? find_named_csys(name, &csys) : 0;
    if (asked == 0 && csys == NULL_TAG) {
        snprintf(text, size, "绝对坐标系（没有可用的坐标系 %s）", name);
        return 0;
    }
    if (asked == 0 && ask_csys_frame(csys, f.origin, f.matrix) == 0 && frame_is_rotation(&f)) {
        *datum = f;
        snprintf(text, size, "坐标系 %s", name);
        return 0;
    }
    char message[KV_SETTING_BUFSIZE + 64];
    snprintf(message, sizeof message, KV_JOB_DATUM_UNREAD_TEXT, name);
    ws_message_box(message);
    return -1;
}

// The box of the electrode's solid bodies on its first layer along frame's axes into row. When
// NX fails on the way the row gets no box and is marked box_failed: a box short of a body would
// choose too small a blank.
void measure_row(job_row *row, const job_frame *frame) {
    row->box_failed = 1;
    int layer = 0;
    // A listed electrode has its category and layer: not finding them is NX failing.
    if (first_layer_of_category(row->data->electrode_name, &layer) != 0) return;
    job_frame f;
    right_handed_frame(frame, &f);
    // Measured in any other system the box would be wrong: none then.
    if (restore_wcs(f.origin, f.matrix) != 0) return;
    uf_list_p_t list = NULL;
    if (UF_MODL_create_list(&list) != 0 || !list) return;
    double box[6];
    int failed = 0;
    int listed = collect_solid_bodies_checked(layer, list, &failed);
    int measured = listed > 0 && !failed ? measure_electrode_box(list, box) : 0;
    row->box_failed = failed || measured < listed;
    if (!row->box_failed && measured > 0) {
        row->has_box = 1;
        for (int a = 0; a < 3; ++a) {
            row->size[a] = box[3 + a] - box[a];
            row->low[a] = box[a];
        }
    }
    delete_model_list(&list);
}

// The layers of the work part's electrode categories into layers ([n-1] for layer n). 0, or -1
// when a category could not be read.
int electrode_layers(unsigned char layers[UF_LAYER_MAX_LAYER]) {
    memset(layers, 0, UF_LAYER_MAX_LAYER);
    tag_t part = UF_ASSEM_ask_work_part(), category = NULL_TAG;
    if (part == NULL_TAG) return -1;
    for (;;) {
        if (UF_OBJ_cycle_objs_in_part(part, UF_layer_category_type, &category) != 0) return -1;
        if (category == NULL_TAG) return 0;
        UF_LAYER_category_info_t info;
        memset(&info, 0, sizeof info);
        if (UF_LAYER_ask_category_info(category, &info) != 0) return -1;
        char name[sizeof info.name + 1];
        kv_copy_n(name, sizeof name, info.name, strnlen(info.name, sizeof info.name));
        if (!is_electrode_name(name) || kv_equal_nocase(name, "ALL")) continue;
        for (int i = 0; i < UF_LAYER_MAX_LAYER; ++i)
            if (info.layer_mask[i]) layers[i] = 1;
    }
}

// The box of one body in WCS coordinates into the next free place of sheet->bodies, x and y
// only.
void measure_body(job_sheet *sheet, tag_t body) {
    uf_list_p_t one = NULL;
    if (UF_MODL_create_list(&one) != 0 || !one) return;
    double box[6];
    if (UF_MODL_put_list_item(one, body) == 0 && measure_electrode_box(one, box) == 1) {
        double *b = sheet->bodies[sheet->body_count++];
        b[0] = box[0], b[1] = box[1], b[2] = box[3], b[3] = box[4];
    }
    delete_model_list(&one);
}

// The boxes of the work part's solid bodies on layers no electrode category holds, measured in
// the datum frame, into sheet->bodies (at most KV_MAP_MAX_BODIES). The map draws them as the
// workpiece's outline: any failure leaves out what it concerns, never an electrode drawn as the
// workpiece.
void measure_bodies(job_sheet *sheet, const job_frame *datum) {
    unsigned char skip[UF_LAYER_MAX_LAYER];
    if (electrode_layers(skip) != 0 || restore_wcs(datum->origin, datum->matrix) != 0) return;
    for (int layer = UF_LAYER_MIN_LAYER; layer <= UF_LAYER_MAX_LAYER && sheet->body_count < KV_MAP_MAX_BODIES; ++layer) {
        if (skip[layer - 1]) continue;
        uf_list_p_t list = NULL;
        if (UF_MODL_create_list(&list) != 0 || !list) return;
        int count = collect_solid_bodies(layer, list);
        for (int i = 0; i < count && sheet->body_count < KV_MAP_MAX_BODIES; ++i) {
            tag_t body = NULL_TAG;
            if (UF_MODL_ask_list_item(list, i, &body) == 0 && body != NULL_TAG) measure_body(sheet, body);
        }
        delete_model_list(&list);
    }
}

// The settings a row reads, read once per press.
struct row_settings {
    process_choice_lists choices;
    double clearance, clamp;
};

void read_row_settings(row_settings *s) {
    read_process_choice_lists(&s->choices);
    s->clearance = setting_size(KV_KEY_ELECTRODE_STOCK_CLEARANCE, KV_DEFAULT_CLEARANCE);
    s->clamp = setting_size(KV_KEY_ELECTRODE_STOCK_CLAMP, KV_DEFAULT_CLAMP);
}

// One row: texts, placement in datum, and when measure is 1 box and stock. 0; -1 (the user told,
// the row left unfilled) when NX could not say whether the electrode has a coordinate system: the
// row would read NO_ECS, measured in the datum's axes with a larger blank.
int fill_row(job_row *row, const electrode_data *d, const job_frame *datum, const job_sheet *sheet,
             const row_settings *settings, double mm, int measure) {
    tag_t csys = NULL_TAG;
    if (find_electrode_csys(d->electrode_name, &csys) != 0) {
        char message[KV_RECORD_TEXT_SIZE + 64];
        snprintf(message, sizeof message, KV_JOB_ECS_UNREAD_TEXT, d->electrode_name);
        ws_message_box(message);
        return -1;
    }
    row->data = d;
    process_choice_text(&settings->choices, KV_CHOICE_MATERIAL, d->material_index, row->material, sizeof row->material);
    process_choice_text(&settings->choices, KV_CHOICE_METHOD, d->edm_method_index, row->method, sizeof row->method);
    process_choice_text(&settings->choices, KV_CHOICE_MACHINE, d->machine_index, row->machine, sizeof row->machine);
    job_frame ecs;
    int have_ecs = csys != NULL_TAG && (ask_csys_frame(csys, ecs.origin, ecs.matrix) == 0 ||
                                        ask_csys_frame(csys, ecs.origin, ecs.matrix) == 0);
    place_electrode(datum, have_ecs ? &ecs : NULL, &row->place);
    frame_in_datum(datum, have_ecs ? &ecs : datum, &row->axes);
    if (measure)
        measure_row(row, have_ecs ? &ecs : datum);
    else
        row->box_failed = 1;  // the WCS could not be kept, so it was never turned to measure
    if (!row->has_box) return 0;
    const double size_mm[3] = {row->size[0] * mm, row->size[1] * mm, row->size[2] * mm};
    choose_stock(&sheet->stock, size_mm, settings->clearance, settings->clamp, &row->stock);
    return 0;
}

void fill_header(job_sheet *sheet, const electrode_record *head, double *mm) {
    kv_copy(sheet->mould_no, sizeof sheet->mould_no, head ? head->data.mould_no : "");
    kv_copy(sheet->workpiece, sizeof sheet->workpiece, head ? head->data.workpiece_name : "");
    int units = UF_PART_METRIC;
    UF_PART_ask_units(UF_ASSEM_ask_work_part(), &units);
    kv_copy(sheet->units, sizeof sheet->units, units == UF_PART_ENGLISH ? "inch" : "mm");
    *mm = units == UF_PART_ENGLISH ? kMmPerInch : 1.0;
    time_t now = time(NULL);
    struct tm *t = localtime(&now);
    if (!t || strftime(sheet->date, sizeof sheet->date, "%Y/%m/%d", t) == 0) sheet->date[0] = '\0';
    char list[KV_SETTING_BUFSIZE];
    int cut = 0;
    read_setting_whole(KV_KEY_ELECTRODE_STOCK_LIST, list, sizeof list, &cut);
    // A value read cut ends inside an item, which could read as another size: that item is
    // dropped, and the list counts as cut.
    char *last = cut ? strrchr(list, ',') : NULL;
    if (cut) *(last ? last + 1 : list) = '\0';
    parse_stock_list(list, &sheet->stock);
    if (cut) sheet->stock.cut = 1;
}

// The WCS as the user had it, and an undo mark that takes away every matrix and system made
// to turn the WCS to an electrode and gives the WCS back in one step.
struct saved_state {
    saved_wcs wcs;
    UF_UNDO_mark_id_t mark;
    int have_mark;
};

// Keeps the WCS (keep_wcs) and sets the undo mark, asked for twice as well. 0, or -1 when the
// WCS could not be read (no mark is set then).
int keep_state(saved_state *s) {
    memset(s, 0, sizeof *s);
    if (keep_wcs(&s->wcs) != 0) return -1;
    s->have_mark = UF_UNDO_set_mark(UF_UNDO_invisible, NULL, &s->mark) == 0 ||
                   UF_UNDO_set_mark(UF_UNDO_invisible, NULL, &s->mark) == 0;
    return 0;
}

// 1 when the WCS has the saved origin and matrix, else 0.
int wcs_is_saved(const saved_wcs *saved) {
    double origin[3], matrix[9];
    if (save_wcs(origin, matrix) != 0) return 0;
    for (int i = 0; i < 3; ++i)
        if (fabs(origin[i] - saved->origin[i]) > 1e-9) return 0;
    for (int i = 0; i < 9; ++i)
        if (fabs(matrix[i] - saved->matrix[i]) > 1e-12) return 0;
    return 1;
}

// Undoes to the mark; when there is none, the undo fails or it did not bring the WCS back, the
// WCS is set from the saved values (the matrices made stay in the part then), else the saved
// system, else once more.
void give_back_state(const saved_state *s) {
    if (s->have_mark) {
        int undone = UF_UNDO_undo_to_mark(s->mark, NULL) == 0 || UF_UNDO_undo_to_mark(s->mark, NULL) == 0;
        if (UF_UNDO_delete_mark(s->mark, NULL) != 0) UF_UNDO_delete_mark(s->mark, NULL);
        if (undone && wcs_is_saved(&s->wcs)) return;
    }
    give_back_wcs(&s->wcs);
}

}  // namespace

int gather_job_sheet(const electrode_record *head, job_sheet *sheet) {
    if (!sheet) return -2;
    memset(sheet, 0, sizeof *sheet);
    if (UF_ASSEM_ask_work_part() == NULL_TAG) return -1;
    int n = 0;
    for (const electrode_record *r = head; r; r = r->next) ++n;
    if (n > 0) {
        sheet->rows = (job_row *)calloc((size_t)n, sizeof(job_row));
        if (!sheet->rows) return -2;
    }
    double mm = 1.0;
    fill_header(sheet, head, &mm);
    job_frame datum;
    if (find_datum(&datum, sheet->datum, sizeof sheet->datum) != 0) {
        free_job_sheet(sheet);
        return -3;
    }
    work_part_name(sheet->part_name, sizeof sheet->part_name);
    row_settings settings;
    read_row_settings(&settings);
    saved_state saved;
    // Without the user's WCS in hand it is never moved: rows are then written without boxes.
    int keep = keep_state(&saved) == 0, rc = 0;
    for (const electrode_record *r = head; r && rc == 0; r = r->next, ++sheet->count)
        rc = fill_row(&sheet->rows[sheet->count], &r->data, &datum, sheet, &settings, mm, keep);
    if (keep && rc == 0) measure_bodies(sheet, &datum);
    if (keep) give_back_state(&saved);
    if (rc != 0) {
        free_job_sheet(sheet);
        return -3;
    }
    return 0;
}

void free_job_sheet(job_sheet *sheet) {
    if (!sheet) return;
    free(sheet->rows);
    sheet->rows = NULL;
    sheet->count = 0;
    free(sheet->ops);
    sheet->ops = NULL;
    sheet->op_count = 0;
}

namespace {

// "<folder>/<work part>_EDM<ext>" into path. 0, or -1 when it does not fit.
int sheet_path(const char *folder, const char *part, const char *ext, char path[KV_JOB_PATH_SIZE]) {
    size_t n = strlen(folder);
    const char *sep = n > 0 && kv_is_path_sep(folder[n - 1]) ? "" : KV_PATH_SEP_STR;
    int w = snprintf(path, KV_JOB_PATH_SIZE, "%s%s%s_EDM%s", folder, sep, part, ext);
    return w < 0 || w >= KV_JOB_PATH_SIZE ? -1 : 0;
}

// Tells why path was not written (a write_all_replacing result; the generic reason otherwise).
void tell_not_written(const char *path, int reason = -1) {
    char text[KV_JOB_PATH_SIZE + 128];
    const char *why = reason == -3 ? KV_JOB_READ_ONLY_TEXT : reason == -4 ? KV_JOB_NOT_A_FILE_TEXT
                                                                          : KV_JOB_WRITE_FAILED_TEXT;
    snprintf(text, sizeof text, "%s%s", why, path);
    ws_message_box(text);
}

// The files of one press: suffix after "<part>_EDM" and writer.
struct sheet_file {
    const char *suffix;
    job_writer writer;
};
const sheet_file kFiles[KV_JOB_MAX_FILES] = {
    {".csv", write_job_csv},          {".html", write_job_html},    {"_OPS.csv", write_job_ops_csv},
    {"_LABELS.html", write_job_labels_html}, {"_MAP.svg", write_job_map_svg},
};

// The paths of the files into paths. 0, or -1 (the user told) when one does not fit.
int sheet_paths(const char *folder, const char *part, char paths[KV_JOB_MAX_FILES][KV_JOB_PATH_SIZE]) {
    for (int i = 0; i < KV_JOB_MAX_FILES; ++i) {
        if (sheet_path(folder, part, kFiles[i].suffix, paths[i]) == 0) continue;
        snprintf(paths[0], KV_JOB_PATH_SIZE, "%s_EDM%s", part, kFiles[i].suffix);
        tell_not_written(paths[0]);
        return -1;
    }
    return 0;
}

// Tells once which electrodes NX failed to measure.
void tell_boxes_failed(const job_sheet *sheet) {
    char names[KV_JOB_PATH_SIZE] = "";
    for (int r = 0; r < sheet->count; ++r)
        if (sheet->rows[r].box_failed) kv_append_listed(names, sizeof names, sheet->rows[r].data->electrode_name);
    if (names[0] == '\0') return;
    char text[sizeof names + sizeof KV_JOB_BOX_FAILED_TEXT];
    snprintf(text, sizeof text, KV_JOB_BOX_FAILED_TEXT, names);
    ws_message_box(text);
}

// The sheet's operations (make_job_ops). 0; -1 refused or out of memory, the user told.
int make_ops_or_tell(job_sheet *sheet, const char *path) {
    char message[KV_JOB_PATH_SIZE + 3 * KV_RECORD_TEXT_SIZE];
    int rc = make_job_ops(sheet, message, sizeof message);
    if (rc == -1) ws_message_box(message);
    if (rc == -2) tell_not_written(path);
    return rc == 0 ? 0 : -1;
}

}  // namespace

int write_job_sheet(const electrode_record *head, const char *folder) {
    if (!head) {
        ws_message_box(KV_JOB_NO_ELECTRODE_TEXT);
        return -1;
    }
    char where[KV_SETTING_BUFSIZE] = "";
    kv_copy(where, sizeof where, folder);
    if (where[0] == '\0') work_part_folder(where, sizeof where);
    char part[KV_FILE_NAME_BUFSIZE] = "";
    work_part_name(part, sizeof part);
    if (where[0] == '\0' || part[0] == '\0') {
        ws_message_box(KV_JOB_NO_FOLDER_TEXT);
        return -1;
    }
    char paths[KV_JOB_MAX_FILES][KV_JOB_PATH_SIZE];
    if (sheet_paths(where, part, paths) != 0) return -2;
    job_sheet sheet;
    int rc = gather_job_sheet(head, &sheet);
    if (rc == -3) return -2;  // what the positions are measured from unread: the user was told
    if (rc == 0 && make_ops_or_tell(&sheet, paths[2]) != 0) {
        free_job_sheet(&sheet);
        return -2;
    }
    const char *failed = rc != 0 ? paths[0] : NULL;
    int reason = -1;
    if (!failed) {
        // All files or none: a new operations list beside the labels of an earlier press would
        // disagree with them.
        const char *list[KV_JOB_MAX_FILES];
        job_writer writers[KV_JOB_MAX_FILES];
        for (int i = 0; i < KV_JOB_MAX_FILES; ++i) list[i] = paths[i], writers[i] = kFiles[i].writer;
        reason = write_all_replacing(KV_JOB_MAX_FILES, list, writers, &sheet, &failed);
        if (reason != 0 && !failed) failed = paths[0];
    }
    const int sheet_cut = sheet.stock.cut, stock_count = sheet.stock.count;
    if (!failed) tell_boxes_failed(&sheet);
    // The machines' files go on their own, after the job sheet: a template that fails costs
    // neither the job sheet nor the other templates, and none is written beside a job sheet
    // that was not.
    int exported = 0;
    if (!failed) {
        const char *names[KV_JOB_MAX_FILES];
        for (int i = 0; i < KV_JOB_MAX_FILES; ++i) names[i] = kv_last_path_sep(paths[i]) + 1;
        exported = write_export_files(&sheet, where, names, KV_JOB_MAX_FILES);
    }
    free_job_sheet(&sheet);
    if (failed) {
        tell_not_written(failed, reason);
        return -2;
    }
    if (sheet_cut) {
        char text[sizeof KV_JOB_STOCK_CUT_TEXT + 32];
        snprintf(text, sizeof text, KV_JOB_STOCK_CUT_TEXT, stock_count);
        ws_message_box(text);
    }
    char status[kStatusSize];
    // A long part name is cut to the status line's length.
    int w = exported > 0 ? snprintf(status, sizeof status, "%s%s_EDM.csv, .html, _OPS.csv, _LABELS.html, _MAP.svg" KV_JOB_EXPORTED_TEXT,
                                    KV_JOB_DONE_TEXT, part, exported)
                         : snprintf(status, sizeof status, "%s%s_EDM.csv, .html, _OPS.csv, _LABELS.html, _MAP.svg",
                                    KV_JOB_DONE_TEXT, part);
    if (w < 0) status[0] = '\0';
    kv_drop_split_char(status);
    UF_UI_set_status(status);
    return 0;
}

int job_sheet_cb(int, void *client_data, UF_STYLER_item_value_type_p_t) {
    const drawing_dialog_state *state = (const drawing_dialog_state *)client_data;
    if (!state || UF_initialize() != 0) return UF_UI_CB_CONTINUE_DIALOG;
    char start[KV_SETTING_BUFSIZE] = "", folder[1024] = "";
    // The browser opens on the work part's folder; a cancelled browser writes nothing.
    work_part_folder(start, sizeof start);
    int chosen = ws_browse_folder_at(KV_JOB_FOLDER_TITLE, start, folder);
    if (chosen == 0)
        write_job_sheet(state->list, folder);
    else if (chosen == -2)
        ws_message_box(KV_JOB_FOLDER_FAILED_TEXT);
    UF_terminate();
    return UF_UI_CB_CONTINUE_DIALOG;
}
