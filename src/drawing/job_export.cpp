// Export templates: checked whole when read, so that a malformed template is refused before any
// file is touched, then filled line by line from the operations list.
#include "drawing/job_export.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "config/kv_text.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "config/tool_folder.h"
#include "drawing/job_ops.h"
#include "platform/win_services.h"

namespace {

// What a placeholder stands for.
enum field_kind { kText, kInt, kReal };
enum field_scope { kSheet, kOperation, kRow };

struct field {
    const char *name;
    field_kind kind;
    field_scope scope;
};

enum {
    fID, fOP, fELECTRODE, fSTAGE, fCOPY, fX, fY, fZ, fC, fGAP, fFLAGS, fMATERIAL, fMETHOD, fMACHINE, fSTOCK,
    fMOULD, fWORKPIECE, fPART, fDATE, fDATUM, fUNITS, fOP_COUNT, fELECTRODE_COUNT, fROW, kFields
};

const field kFieldTable[kFields] = {
    {"ID", kText, kOperation},       {"OP", kInt, kOperation},        {"ELECTRODE", kText, kOperation},
    {"STAGE", kText, kOperation},    {"COPY", kInt, kOperation},      {"X", kReal, kOperation},
    {"Y", kReal, kOperation},        {"Z", kReal, kOperation},        {"C", kReal, kOperation},
    {"GAP", kReal, kOperation},      {"FLAGS", kText, kOperation},    {"MATERIAL", kText, kOperation},
    {"METHOD", kText, kOperation},   {"MACHINE", kText, kOperation},  {"STOCK", kText, kOperation},
    {"MOULD", kText, kSheet},        {"WORKPIECE", kText, kSheet},    {"PART", kText, kSheet},
    {"DATE", kText, kSheet},         {"DATUM", kText, kSheet},        {"UNITS", kText, kSheet},
    {"OP_COUNT", kInt, kSheet},      {"ELECTRODE_COUNT", kInt, kSheet}, {"ROW", kInt, kRow},
};

// The flags OP_IF can test.
const char *const kFlags[] = {KV_TILT_FLAG, KV_MIRRORED_FLAG, KV_NO_ECS_FLAG, KV_BOX_FAILED_FLAG, KV_NO_STOCK_TEXT};

// One piece of a line: literal bytes, or a placeholder.
struct piece {
    size_t length;   // bytes of the line this piece takes
    int literal;     // 1: the bytes (or one '#' for "##")
    int hash;        // 1: "##", written as '#'
    int field;       // a kField index, or -1 for an unknown name
    int width;       // -1 none
    int decimals;    // -1 none
    int bad_format;  // 1: ":W.P" malformed
    char name[24];
};

int is_name_start(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
int is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9'); }
int is_digit(char c) { return c >= '0' && c <= '9'; }

// Digits of p (n bytes) as a number no greater than limit into *value. 0, or -1.
int read_number(const char *p, size_t n, int limit, int *value) {
    if (n == 0 || n > 3) return -1;
    int v = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!is_digit(p[i])) return -1;
        v = v * 10 + (p[i] - '0');
    }
    if (v > limit) return -1;
    *value = v;
    return 0;
}

// "W.P" or "W" (n bytes) into pc.
void read_format(const char *p, size_t n, piece *pc) {
    const char *dot = (const char *)memchr(p, '.', n);
    size_t wn = dot ? (size_t)(dot - p) : n;
    pc->bad_format = read_number(p, wn, KV_EXPORT_MAX_WIDTH, &pc->width) != 0 ||
                     (dot && read_number(dot + 1, n - wn - 1, KV_EXPORT_MAX_DECIMALS, &pc->decimals) != 0);
}

// The piece at p (n bytes left on the line, n > 0) into pc.
void next_piece(const char *p, size_t n, piece *pc) {
    memset(pc, 0, sizeof *pc);
    pc->literal = 1;
    pc->field = -1;
    pc->width = pc->decimals = -1;
    if (p[0] != '#') {
        const char *hash = (const char *)memchr(p, '#', n);
        pc->length = hash ? (size_t)(hash - p) : n;
        return;
    }
    if (n >= 2 && p[1] == '#') {
        pc->length = 2;
        pc->hash = 1;
        return;
    }
    size_t i = 1;
    if (i < n && is_name_start(p[i]))
        while (i < n && is_name_char(p[i])) ++i;
    const char *close = i > 1 && i < n && (p[i] == '#' || p[i] == ':') ? (const char *)memchr(p + i, '#', n - i) : NULL;
    if (!close) {
        pc->length = 1;  // a '#' that starts no placeholder is text
        return;
    }
    pc->literal = 0;
    pc->length = (size_t)(close - p) + 1;
    kv_copy_n(pc->name, sizeof pc->name, p + 1, i - 1);
    for (int f = 0; f < kFields && i - 1 < sizeof pc->name; ++f)
        if (strlen(kFieldTable[f].name) == i - 1 && memcmp(kFieldTable[f].name, p + 1, i - 1) == 0) pc->field = f;
    if (p[i] == ':') read_format(p + i + 1, (size_t)(close - p) - i - 1, pc);
}

// What is wrong with the placeholders of a line (n bytes) into what; "" when nothing. in_block:
// the line is written per operation.
void check_line(const char *p, size_t n, int in_block, char *what, size_t size) {
    what[0] = '\0';
    piece pc;
    for (size_t at = 0; at < n; at += pc.length) {
        next_piece(p + at, n - at, &pc);
        if (pc.literal) continue;
        if (pc.field < 0)
            snprintf(what, size, "未知的占位符 #%s#", pc.name);
        else if (pc.bad_format)
            snprintf(what, size, "占位符 #%s# 的格式不是 宽度.小数位（如 #%s:10.3#，宽度最大 %d，小数最多 %d 位）",
                     pc.name, pc.name, KV_EXPORT_MAX_WIDTH, KV_EXPORT_MAX_DECIMALS);
        else if (pc.decimals > 0 && kFieldTable[pc.field].kind != kReal)
            snprintf(what, size, "占位符 #%s# 不是小数，不能指定小数位", pc.name);
        else if (kFieldTable[pc.field].scope == kRow && !in_block)
            snprintf(what, size, "#%s# 只能用在 OP_START 与 OP_END 之间", pc.name);
        if (what[0]) return;
    }
}

// The line p (n bytes, without its end) with spaces and tabs around it taken off, into *s, *len.
void trimmed(const char *p, size_t n, const char **s, size_t *len) {
    while (n > 0 && (*p == ' ' || *p == '\t')) ++p, --n;
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t')) --n;
    *s = p;
    *len = n;
}

int is_word(const char *s, size_t n, const char *word) { return strlen(word) == n && memcmp(s, word, n) == 0; }

// The parser's state over the lines.
struct parse_state {
    export_template *t;
    int part;          // KV_EXPORT_* of the next written line
    int start_line;    // the OP_START's line, 0 before
    int if_line;       // the open OP_IF's line, 0 when none
    int condition;
    char flag[16];
    int have_file;
};

// "OP_IF FLAG" or "OP_IF !FLAG" (s, n bytes) into st. NULL, or what is wrong.
const char *read_op_if(const char *s, size_t n, parse_state *st) {
    if (st->part != KV_EXPORT_OPERATION) return "OP_IF 只能用在 OP_START 与 OP_END 之间";
    if (st->if_line) return "OP_IF 不能嵌套（前一个 OP_IF 没有 OP_END_IF）";
    const char *f;
    size_t fn;
    trimmed(s + 5, n - 5, &f, &fn);
    int negated = fn > 0 && f[0] == '!';
    if (negated) ++f, --fn;
    for (const char *flag : kFlags)
        if (is_word(f, fn, flag)) {
            kv_copy(st->flag, sizeof st->flag, flag);
            st->condition = negated ? -1 : 1;
            return NULL;
        }
    return "OP_IF 后的标记未知（可用 TILT、MIRRORED、NO_ECS、BOX?、NO_STOCK，前面可加 !）";
}

// A keyword line (s, n bytes, trimmed) into st. 1 when it was one (*what set when it is out of
// place), 0 when the line is none.
int read_keyword(const char *s, size_t n, parse_state *st, int line, const char **what) {
    *what = NULL;
    if (is_word(s, n, "OP_START")) {
        if (st->part != KV_EXPORT_HEADER) *what = "OP_START 只能出现一次，不能嵌套";
        st->part = KV_EXPORT_OPERATION;
        st->start_line = line;
    } else if (is_word(s, n, "OP_END")) {
        if (st->part != KV_EXPORT_OPERATION)
            *what = "OP_END 前没有 OP_START";
        else if (st->if_line)
            *what = "OP_IF 没有对应的 OP_END_IF";
        st->part = KV_EXPORT_FOOTER;
    } else if (is_word(s, n, "OP_END_IF")) {
        if (!st->if_line) *what = "OP_END_IF 前没有 OP_IF";
        st->if_line = 0;
        st->condition = 0;
    } else if (n >= 5 && memcmp(s, "OP_IF", 5) == 0 && (n == 5 || s[5] == ' ' || s[5] == '\t')) {
        *what = read_op_if(s, n, st);
        st->if_line = line;
    } else {
        return 0;
    }
    return 1;
}

// One line of the template (at start, length bytes before an end of end bytes) into st. NULL,
// or what is wrong (into what, size bytes). -2 out of memory through *oom.
const char *read_line(parse_state *st, size_t start, size_t length, size_t end, int line, char *what, size_t size,
                      int *oom) {
    export_template *t = st->t;
    const char *p = t->text + start;
    if (length > 0 && p[0] == '!') return NULL;
    if (!st->have_file) {
        if (length < 5 || memcmp(p, "FILE=", 5) != 0) return "第一行应为 FILE=<输出文件名>";
        st->have_file = 1;
        trimmed(p + 5, length - 5, &p, &length);
        if (length == 0) return "FILE= 后没有文件名";
        t->pattern_start = (size_t)(p - t->text);
        t->pattern_length = length;
        t->pattern_line = line;
        check_line(p, length, 0, what, size);
        return what[0] ? what : NULL;
    }
    const char *s;
    size_t n;
    trimmed(p, length, &s, &n);
    const char *bad = NULL;
    if (read_keyword(s, n, st, line, &bad)) return bad;
    check_line(p, length, st->part == KV_EXPORT_OPERATION, what, size);
    if (what[0]) return what;
    export_line *grown = (export_line *)realloc(t->lines, (size_t)(t->line_count + 1) * sizeof *grown);
    if (!grown) {
        *oom = 1;
        return "";
    }
    t->lines = grown;
    export_line *l = &t->lines[t->line_count++];
    memset(l, 0, sizeof *l);
    l->start = start, l->length = length, l->end = end, l->part = st->part, l->condition = st->condition;
    kv_copy(l->flag, sizeof l->flag, st->flag);
    return NULL;
}

}  // namespace

void free_export_template(export_template *t) {
    if (!t) return;
    free(t->text);
    free(t->lines);
    memset(t, 0, sizeof *t);
}

int parse_export_template(const char *name, const char *bytes, size_t n, export_template *t, char *message,
                          size_t size) {
    char scratch[8];
    if (!message || size == 0) message = scratch, size = sizeof scratch;
    message[0] = '\0';
    if (!t) return -2;
    free_export_template(t);
    kv_copy(t->name, sizeof t->name, name);
    t->text = (char *)malloc(n + 1);
    if (!t->text) return -2;
    if (n) memcpy(t->text, bytes, n);
    t->text[n] = '\0';
    parse_state st;
    memset(&st, 0, sizeof st);
    st.t = t;
    char what[256];
    const char *bad = NULL;
    int line = 0, oom = 0;
    for (size_t at = 0; at < n && !bad;) {
        ++line;
        const char *nl = (const char *)memchr(t->text + at, '\n', n - at);
        size_t next = nl ? (size_t)(nl - t->text) + 1 : n;
        size_t end = !nl ? 0 : nl > t->text + at && nl[-1] == '\r' ? 2 : 1;
        bad = read_line(&st, at, next - at - end, end, line, what, sizeof what, &oom);
        at = next;
    }
    if (!bad && !st.have_file) bad = "没有 FILE=<输出文件名> 行", line = 1;
    if (!bad && st.part == KV_EXPORT_OPERATION) bad = "OP_START 没有对应的 OP_END", line = st.start_line;
    if (!bad) return 0;
    if (!oom) snprintf(message, size, KV_EXPORT_BAD_TEXT, t->name, line, bad);
    free_export_template(t);
    return oom ? -2 : -1;
}

int read_export_template(const char *folder, const char *name, export_template *t, char *message, size_t size) {
    char scratch[8];
    if (!message || size == 0) message = scratch, size = sizeof scratch;
    message[0] = '\0';
    if (t) free_export_template(t);
    if (!t || !folder || !name) return -2;
    const char *why = NULL;
    // Only a file of the data folder: a name with a folder in it could reach any file.
    if (!name[0] || strpbrk(name, "\\/:") || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        why = "不是数据文件夹中的文件名";
    char path[KV_JOB_PATH_SIZE];
    size_t fn = strlen(folder);
    const char *sep = fn > 0 && kv_is_path_sep(folder[fn - 1]) ? "" : KV_PATH_SEP_STR;
    int w = snprintf(path, sizeof path, "%s%s%s", folder, sep, name);
    if (!why && (w < 0 || w >= (int)sizeof path)) why = "路径过长";
    FILE *in = why ? NULL : ws_open_file(path, "rb");
    if (!why && !in) why = "文件不存在或无法打开";
    char *bytes = in ? (char *)malloc(KV_EXPORT_MAX_BYTES + 1) : NULL;
    size_t n = 0;
    if (in && !bytes) why = "内存不足";
    if (bytes) {
        n = fread(bytes, 1, KV_EXPORT_MAX_BYTES + 1, in);
        if (ferror(in)) why = "读取失败";
        else if (n > KV_EXPORT_MAX_BYTES) why = "文件超过 1 MB";
    }
    if (in) fclose(in);
    int rc = why ? -1 : parse_export_template(name, bytes, n, t, message, size);
    if (why) snprintf(message, size, KV_EXPORT_UNREAD_TEXT, name, why);
    free(bytes);
    return rc;
}

namespace {

// What the placeholders are filled from: the sheet, the operation (the first one outside the
// operation lines; none when the sheet has none), its row in the file.
struct fill_state {
    const job_sheet *sheet;
    const job_op *op;
    int row;
    int op_count;  // operations the file writes
};

// The number v with decimals into text; a value that rounds to zero has no sign.
void put_real(double v, int decimals, char *text, size_t size) {
    snprintf(text, size, "%.*f", decimals, v);
    if (text[0] != '-') return;
    for (const char *p = text + 1; *p; ++p)
        if (*p != '0' && *p != '.') return;
    memmove(text, text + 1, strlen(text));
}

int has_placement(const job_op *op) {
    return op && (op->row->place.kind == KV_PLACE_SET || op->row->place.kind == KV_PLACE_TILT);
}

// 1 when the operation's electrode has flag, else 0.
int has_flag(const job_sheet *sheet, const job_op *op, const char *flag) {
    const job_row *row = op->row;
    if (strcmp(flag, KV_TILT_FLAG) == 0) return row->place.kind == KV_PLACE_TILT;
    if (strcmp(flag, KV_MIRRORED_FLAG) == 0) return row->place.kind == KV_PLACE_MIRRORED;
    if (strcmp(flag, KV_NO_ECS_FLAG) == 0) return row->place.kind == KV_PLACE_NO_ECS;
    if (strcmp(flag, KV_BOX_FAILED_FLAG) == 0) return row->box_failed;
    return row->has_box && (row->stock.index < 0 || row->stock.index >= sheet->stock.count);
}

// The stock cell of a row: its blank, NO_STOCK, or empty without a box.
void stock_text(const job_sheet *sheet, const job_row *row, char *text, size_t size) {
    text[0] = '\0';
    if (!row->has_box) return;
    const int i = row->stock.index;
    if (i < 0 || i >= sheet->stock.count) {
        kv_copy(text, size, KV_NO_STOCK_TEXT);
        return;
    }
    const double dims[3] = {sheet->stock.blanks[i].a, sheet->stock.blanks[i].b, sheet->stock.blanks[i].l};
    format_size(dims, text, size);
}

// A text field's value; NULL for a number.
const char *text_value(const fill_state *fs, int f, char *cell, size_t size) {
    const job_sheet *s = fs->sheet;
    const job_op *op = fs->op;
    switch (f) {
    case fMOULD: return s->mould_no;
    case fWORKPIECE: return s->workpiece;
    case fPART: return s->part_name;
    case fDATE: return s->date;
    case fDATUM: return s->datum;
    case fUNITS: return s->units;
    default: break;
    }
    if (!op) return "";
    switch (f) {
    case fID: return op->id;
    case fELECTRODE: return op->row->data->electrode_name;
    case fSTAGE: return stage_label(op->stage);
    case fFLAGS: job_row_flags(op->row, cell); return cell;
    case fMATERIAL: return op->row->material;
    case fMETHOD: return op->row->method;
    case fMACHINE: return op->row->machine;
    case fSTOCK: stock_text(s, op->row, cell, size); return cell;
    default: return NULL;
    }
}

// A number field's value into *v. 1, or 0 when it has none here (written as nothing).
int number_value(const fill_state *fs, int f, double *v) {
    const job_op *op = fs->op;
    const job_placement *p = op ? &op->row->place : NULL;
    switch (f) {
    case fOP_COUNT: *v = fs->op_count; return 1;
    case fELECTRODE_COUNT: *v = fs->sheet->count; return 1;
    case fROW: *v = fs->row; return 1;
    case fOP: *v = op ? op->number : 0; return op != NULL;
    case fCOPY: *v = op ? op->copy : 0; return op != NULL;
    case fGAP: *v = op ? op->gap : 0; return op != NULL;
    case fX: case fY: case fZ: *v = has_placement(op) ? p->position[f - fX] : 0; return has_placement(op);
    case fC: *v = has_placement(op) ? p->c : 0; return has_placement(op);
    default: return 0;
    }
}

// A placeholder's text into out (size bytes): numbers with their decimals (3 for a real, none
// for a whole number, unless given) right-aligned in the width, texts left-aligned; a value
// wider than its width is written whole.
void fill_piece(const fill_state *fs, const piece *pc, char *out, size_t size) {
    char cell[KV_RECORD_TEXT_SIZE];
    const char *text = text_value(fs, pc->field, cell, sizeof cell);
    const int width = pc->width > 0 ? pc->width : 0;
    if (text) {
        snprintf(out, size, "%-*s", width, text);
        return;
    }
    double v = 0;
    char number[336] = "";  // the widest double with nine decimals: never cut
    if (number_value(fs, pc->field, &v)) {
        const int real = kFieldTable[pc->field].kind == kReal;
        put_real(v, pc->decimals >= 0 ? pc->decimals : real ? 3 : 0, number, sizeof number);
    }
    snprintf(out, size, "%*s", width, number);
}

// Where filled bytes go: a file, or a buffer (the output's name).
struct sink {
    FILE *out;
    char *buffer;
    size_t size, used;
};

int put_bytes(sink *to, const char *p, size_t n) {
    if (to->out) return fwrite(p, 1, n, to->out) == n ? 0 : -1;
    if (n >= to->size - to->used) return -1;
    memcpy(to->buffer + to->used, p, n);
    to->used += n;
    to->buffer[to->used] = '\0';
    return 0;
}

// Bytes p (n) of a line to sink with their placeholders filled. 0, or -1.
int put_filled(sink *to, const fill_state *fs, const char *p, size_t n) {
    char text[KV_RECORD_TEXT_SIZE + KV_EXPORT_MAX_WIDTH];
    piece pc;
    for (size_t at = 0; at < n; at += pc.length) {
        next_piece(p + at, n - at, &pc);
        int rc;
        if (pc.hash) {
            rc = put_bytes(to, "#", 1);
        } else if (pc.literal) {
            rc = put_bytes(to, p + at, pc.length);
        } else {
            fill_piece(fs, &pc, text, sizeof text);
            rc = put_bytes(to, text, strlen(text));
        }
        if (rc != 0) return -1;
    }
    return 0;
}

int line_applies(const job_sheet *sheet, const export_line *l, const job_op *op) {
    return l->condition == 0 || (op && has_flag(sheet, op, l->flag) == (l->condition > 0));
}

// 1 when op writes any operation line of t, or t has none, else 0: an operation the conditions
// leave without a line takes no row and is not counted.
int op_written(const export_template *t, const job_sheet *sheet, const job_op *op) {
    int lines = 0;
    for (int i = 0; i < t->line_count; ++i) {
        if (t->lines[i].part != KV_EXPORT_OPERATION) continue;
        if (line_applies(sheet, &t->lines[i], op)) return 1;
        ++lines;
    }
    return lines == 0;
}

// The lines of one part of t to out. 0, or -1.
int put_part(FILE *out, const export_template *t, const fill_state *fs, int part) {
    for (int i = 0; i < t->line_count; ++i) {
        const export_line *l = &t->lines[i];
        if (l->part != part || !line_applies(fs->sheet, l, fs->op)) continue;
        sink to = {out, NULL, 0, 0};
        if (put_filled(&to, fs, t->text + l->start, l->length) != 0) return -1;
        if (l->end && fwrite(t->text + l->start + l->length, 1, l->end, out) != l->end) return -1;
    }
    return 0;
}

void first_op_state(const export_template *t, const job_sheet *sheet, fill_state *fs) {
    memset(fs, 0, sizeof *fs);
    fs->sheet = sheet;
    fs->op = sheet->op_count > 0 ? &sheet->ops[0] : NULL;
    for (int i = 0; i < sheet->op_count; ++i) fs->op_count += op_written(t, sheet, &sheet->ops[i]);
}

}  // namespace

int export_file_name(const export_template *t, const job_sheet *sheet, char *name, size_t size) {
    if (!name || size == 0) return -1;
    name[0] = '\0';
    if (!t || !t->text || !sheet) return -1;
    fill_state fs;
    first_op_state(t, sheet, &fs);
    char buffer[KV_JOB_PATH_SIZE] = "";
    sink to = {NULL, buffer, size < sizeof buffer ? size : sizeof buffer, 0};
    if (put_filled(&to, &fs, t->text + t->pattern_start, t->pattern_length) != 0) return -1;
    int only_dots = 1;
    for (char *p = buffer; *p; ++p) {
        unsigned char c = (unsigned char)*p;
        if (kv_is_gbk_lead(c) && p[1]) {
            ++p;  // a trail byte may look like '\\' or '|'
            only_dots = 0;
            continue;
        }
        if (c < 0x20 || c == 0x7f || strchr("\\/:*?\"<>|", c)) *p = '_';
        if (*p != '.') only_dots = 0;
    }
    if (buffer[0] == '\0' || only_dots) return -1;
    kv_copy(name, size, buffer);
    return 0;
}

int write_export(FILE *out, const export_template *t, const job_sheet *sheet) {
    if (!out || !t || !t->text || !sheet) return -1;
    fill_state fs;
    first_op_state(t, sheet, &fs);
    int rc = put_part(out, t, &fs, KV_EXPORT_HEADER);
    for (int i = 0; i < sheet->op_count && rc == 0; ++i) {
        fs.op = &sheet->ops[i];
        if (!op_written(t, sheet, fs.op)) continue;
        ++fs.row;
        rc = put_part(out, t, &fs, KV_EXPORT_OPERATION);
    }
    fs.op = sheet->op_count > 0 ? &sheet->ops[0] : NULL;
    if (rc == 0) rc = put_part(out, t, &fs, KV_EXPORT_FOOTER);
    return rc == 0 && !ferror(out) ? 0 : -1;
}

namespace {

struct export_job {
    const export_template *t;
    const job_sheet *sheet;
};

int call_export(FILE *out, const void *context) {
    const export_job *job = (const export_job *)context;
    return write_export(out, job->t, job->sheet);
}

// The data folder of the tool folder into folder. 0, or -1.
int data_folder(char folder[KV_PATH_BUFSIZE]) {
    char tool[KV_PATH_BUFSIZE];
    find_tool_folder(tool);
    if (!tool[0]) return -1;
    size_t n = strlen(tool);
    const char *sep = kv_is_path_sep(tool[n - 1]) ? "" : KV_PATH_SEP_STR;
    int w = snprintf(folder, KV_PATH_BUFSIZE, "%s%sdata", tool, sep);
    return w < 0 || w >= KV_PATH_BUFSIZE ? -1 : 0;
}

// Item k of the template list (commas between or after items, spaces around them ignored) into
// name. 1 found, 0 past the end.
int list_name(const char *list, int k, char *name, size_t size) {
    name[0] = '\0';
    const char *p = list;
    for (int found = 0;; ++p) {
        const char *comma = strchr(p, ',');
        size_t n = comma ? (size_t)(comma - p) : strlen(p);
        const char *s;
        trimmed(p, n, &s, &n);
        if (n > 0 && found++ == k) {
            kv_copy_n(name, size, s, n);
            return 1;
        }
        if (!comma) return 0;
        p = comma;
    }
}

void tell_written_failed(const char *why, const char *path) {
    char text[KV_JOB_PATH_SIZE + 128];
    snprintf(text, sizeof text, "%s%s", why, path);
    ws_message_box(text);
}

// One template's file into folder. 1 written, 0 not (the user told).
int write_one(const job_sheet *sheet, const char *data, const char *folder, const char *item,
              const char **taken, int *n_taken, char names[][KV_EXPORT_NAME_SIZE]) {
    char message[KV_JOB_PATH_SIZE + 512];
    export_template t;
    memset(&t, 0, sizeof t);
    int rc = read_export_template(data, item, &t, message, sizeof message);
    if (rc == -2) snprintf(message, sizeof message, KV_EXPORT_UNREAD_TEXT, item, "内存不足");
    if (rc != 0) {
        ws_message_box(message);
        return 0;
    }
    char *name = names[*n_taken];
    if (export_file_name(&t, sheet, name, KV_EXPORT_NAME_SIZE) != 0) {
        snprintf(message, sizeof message, KV_EXPORT_BAD_TEXT, item, t.pattern_line, "FILE= 给出的文件名为空或过长");
        ws_message_box(message);
        free_export_template(&t);
        return 0;
    }
    for (int i = 0; i < *n_taken; ++i)
        if (kv_equal_nocase(taken[i], name)) {
            char what[KV_EXPORT_NAME_SIZE + 64];
            snprintf(what, sizeof what, "输出文件 %s 与加工单或其它模板的文件同名", name);
            snprintf(message, sizeof message, KV_EXPORT_BAD_TEXT, item, t.pattern_line, what);
            ws_message_box(message);
            free_export_template(&t);
            return 0;
        }
    char path[KV_JOB_PATH_SIZE];
    size_t fn = strlen(folder);
    const char *sep = fn > 0 && kv_is_path_sep(folder[fn - 1]) ? "" : KV_PATH_SEP_STR;
    int w = snprintf(path, sizeof path, "%s%s%s", folder, sep, name);
    export_job job = {&t, sheet};
    const char *failed = NULL;
    rc = w < 0 || w >= (int)sizeof path ? -1 : write_file_replacing(path, call_export, &job, &failed);
    free_export_template(&t);
    if (rc != 0) {
        tell_written_failed(rc == -3 ? KV_EXPORT_READ_ONLY_TEXT : rc == -4 ? KV_EXPORT_NOT_A_FILE_TEXT
                                                                           : KV_EXPORT_WRITE_FAILED_TEXT,
                            w < 0 || w >= (int)sizeof path ? name : path);
        return 0;
    }
    taken[(*n_taken)++] = name;
    return 1;
}

}  // namespace

int write_export_files(const job_sheet *sheet, const char *folder, const char *const taken[], int n_taken) {
    if (!sheet || !folder || n_taken < 0 || n_taken > KV_JOB_MAX_FILES) return 0;
    char list[KV_SETTING_BUFSIZE];
    if (read_setting(KV_KEY_EDM_EXPORT_TEMPLATES, list, sizeof list) != 0) return 0;
    char data[KV_PATH_BUFSIZE];
    if (data_folder(data) != 0) return 0;
    // The job sheet's names, then each output written, so that no template overwrites another's.
    const char *names_taken[KV_JOB_MAX_FILES + KV_EXPORT_MAX_TEMPLATES];
    for (int i = 0; i < n_taken; ++i) names_taken[i] = taken[i];
    char(*names)[KV_EXPORT_NAME_SIZE] =
        (char(*)[KV_EXPORT_NAME_SIZE])calloc(KV_JOB_MAX_FILES + KV_EXPORT_MAX_TEMPLATES, KV_EXPORT_NAME_SIZE);
    if (!names) return 0;
    int written = 0, count = n_taken;
    char item[KV_EXPORT_NAME_SIZE];
    for (int k = 0; k < KV_EXPORT_MAX_TEMPLATES && list_name(list, k, item, sizeof item); ++k)
        written += write_one(sheet, data, folder, item, names_taken, &count, names);
    free(names);
    return written;
}
