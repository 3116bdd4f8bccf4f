// The setup map (job_map.h). Page coordinates are mm from the top left; the datum's Y axis runs
// up the page.
#include "drawing/job_map.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "config/kv_text.h"

namespace {

// The drawing area, the legend's column and the scale bar's line (mm on the page).
const double kAreaX = 6, kAreaY = 16, kAreaW = 200, kAreaH = 158;
const double kLegendX = 214, kScaleY = 184;
// Names: font size, the page region they stay in, the step of the rings tried around the
// electrode, and how many rings before the region is scanned line by line.
const double kFont = 3.0, kLabelLeft = 2, kLabelTop = 12, kLabelRight = 208, kLabelBottom = 180;
const int kRings = 24, kRingPoints = 16;
// The ECS X arrow's length on the page for an axis lying in the XY plane.
const double kArrow = 8.0;

struct kind_style {
    const char *cls, *stroke, *fill, *dash, *legend;
};
// By KV_PLACE_* kind.
const kind_style kStyles[4] = {
    {"set", "#1f4e9c", "#1f4e9c", "", "电极"},
    {"tilt", "#e07000", "#e07000", "2 1", KV_TILT_FLAG " 倾斜"},
    {"noecs", "#d00000", "#d00000", "0.6 0.8", KV_NO_ECS_FLAG " 无坐标系（按基准轴）"},
    {"mirrored", "#b000b0", "#b000b0", "3 1 0.6 1", KV_MIRRORED_FLAG " 镜像"},
};

const kind_style *style_of(const job_row *row) {
    int k = row->place.kind;
    return &kStyles[k >= 0 && k < 4 ? k : 0];
}

// What the map shows of one electrode, in datum coordinates.
struct footprint {
    const job_row *row;
    int has_box;          // corners hold the box's base
    int placed;           // anchor is meaningful
    double corners[4][2];
    double anchor[2];     // the box's centre, or the ECS origin
};

struct rect {
    double x, y, w, h;
};

// The page transform: page = (tx + s X, ty - s Y).
struct view {
    double s, tx, ty;
    double px(double x) const { return tx + s * x; }
    double py(double y) const { return ty - s * y; }
};

void footprint_of(const job_row *row, footprint *f) {
    memset(f, 0, sizeof *f);
    f->row = row;
    const job_axes *a = &row->axes;
    if (row->has_box) {
        const double u[4] = {row->low[0], row->low[0] + row->size[0], row->low[0] + row->size[0], row->low[0]};
        const double v[4] = {row->low[1], row->low[1], row->low[1] + row->size[1], row->low[1] + row->size[1]};
        for (int i = 0; i < 4; ++i)
            for (int k = 0; k < 2; ++k) {
                f->corners[i][k] = a->origin[k] + u[i] * a->x[k] + v[i] * a->y[k];
                f->anchor[k] += f->corners[i][k] / 4;
            }
        f->has_box = f->placed = 1;
    } else if (row->place.kind != KV_PLACE_NO_ECS) {
        f->anchor[0] = a->origin[0];
        f->anchor[1] = a->origin[1];
        f->placed = 1;
    }
}

void grow(double box[4], double x, double y) {
    if (x < box[0]) box[0] = x;
    if (y < box[1]) box[1] = y;
    if (x > box[2]) box[2] = x;
    if (y > box[3]) box[3] = y;
}

// The transform that fits the datum origin, the bodies and the electrodes in the area.
view fit(const job_sheet *sheet, const footprint *fps) {
    double box[4] = {0, 0, 0, 0};
    for (int b = 0; b < sheet->body_count; ++b) {
        grow(box, sheet->bodies[b][0], sheet->bodies[b][1]);
        grow(box, sheet->bodies[b][2], sheet->bodies[b][3]);
    }
    for (int r = 0; r < sheet->count; ++r) {
        for (int i = 0; i < 4 && fps[r].has_box; ++i) grow(box, fps[r].corners[i][0], fps[r].corners[i][1]);
        if (fps[r].placed) grow(box, fps[r].anchor[0], fps[r].anchor[1]);
    }
    double w = box[2] - box[0], h = box[3] - box[1];
    double pad = 0.05 * (w > h ? w : h);
    if (pad < 1e-6) pad = 5;
    w += 2 * pad, h += 2 * pad;
    view v;
    v.s = kAreaW / w < kAreaH / h ? kAreaW / w : kAreaH / h;
    v.tx = kAreaX + (kAreaW - v.s * w) / 2 - v.s * (box[0] - pad);
    v.ty = kAreaY + (kAreaH - v.s * h) / 2 + v.s * (box[3] + pad);
    return v;
}

// The page width of text at kFont: a GBK character as wide as it is high, ASCII a little over half.
double text_width(const char *text) {
    double w = 0;
    for (const unsigned char *p = (const unsigned char *)text; *p; ++p) {
        if (kv_is_gbk_lead(*p) && p[1]) {
            ++p;
            w += kFont;
        } else {
            w += 0.62 * kFont;
        }
    }
    return w;
}

int overlaps(const rect &a, const rect &b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

int inside(const rect &r) {
    return r.x >= kLabelLeft && r.y >= kLabelTop && r.x + r.w <= kLabelRight && r.y + r.h <= kLabelBottom;
}

// The first placed name r overlaps, or -1.
int blocker(const rect &r, const rect *placed, int n) {
    for (int i = 0; i < n; ++i)
        if (overlaps(r, placed[i])) return i;
    return -1;
}

int fits(const rect &r, const rect *placed, int n) { return inside(r) && blocker(r, placed, n) < 0; }

// A place for a name of size w x h centred as near (cx, cy) as the names placed allow: rings
// around the point, then the region line by line (past each name in the way); when the region is
// full, the point itself.
rect place_label(double cx, double cy, double w, double h, const rect *placed, int n) {
    rect r = {cx - w / 2, cy - h / 2, w, h};
    if (fits(r, placed, n)) return r;
    const double step = h * 1.2;
    for (int ring = 1; ring <= kRings; ++ring)
        for (int k = 0; k < kRingPoints; ++k) {
            double a = 2 * 3.14159265358979 * (k + 0.25) / kRingPoints;
            rect c = {cx + ring * step * cos(a) - w / 2, cy - ring * step * sin(a) - h / 2, w, h};
            if (fits(c, placed, n)) return c;
        }
    for (double y = kLabelTop; y + h <= kLabelBottom; y += h / 2) {
        rect c = {kLabelLeft, y, w, h};
        while (c.x + w <= kLabelRight) {
            int b = blocker(c, placed, n);
            if (b < 0) return c;
            c.x = placed[b].x + placed[b].w + 0.01;
        }
    }
    return r;
}

// The point of r nearest to (x, y), where a leader line ends.
void nearest_on(const rect &r, double x, double y, double *ox, double *oy) {
    *ox = x < r.x ? r.x : x > r.x + r.w ? r.x + r.w : x;
    *oy = y < r.y ? r.y : y > r.y + r.h ? r.y + r.h : y;
}

int put_title(FILE *out, const job_sheet *sheet) {
    int rc = put_format(out, "<text x=\"6\" y=\"8\" font-size=\"5\" font-weight=\"bold\">装夹图 ");
    if (rc == 0) rc = put_html_text(out, sheet->workpiece);
    if (rc == 0) rc = put_format(out, "</text>\n<text x=\"6\" y=\"13\" font-size=\"3\">基准 XY 平面，从 +Z 看；基准：");
    if (rc == 0) rc = put_html_text(out, sheet->datum);
    return rc == 0 ? put_format(out, "；单位 %s</text>\n", sheet->units) : -1;
}

// value with three decimals into text, never "-0.000" (a coordinate measured a hair below zero
// reads as zero).
const char *fixed3(double value, char text[32]) {
    format_fixed3(value, text, 32);
    return text;
}

// A dash pattern given in page mm, in datum units ("none" for a solid line).
int put_dashes(FILE *out, const char *dash, double scale) {
    if (!dash[0]) return put_format(out, "none");
    const char *p = dash;
    int rc = 0;
    for (char *end; *p && rc == 0; p = end) {
        double d = strtod(p, &end);
        if (end == p) break;
        rc = put_format(out, "%s%.4g", p == dash ? "" : " ", d / scale);
    }
    return rc;
}

// Bodies and footprints in datum coordinates; strokes and dashes are given in page mm divided by
// the scale, as no viewer agrees on strokes that do not scale.
int put_model(FILE *out, const job_sheet *sheet, const footprint *fps, const view &v) {
    int rc = put_format(out, "<g id=\"model\" transform=\"matrix(%.6f 0 0 %.6f %.3f %.3f)\">\n", v.s, -v.s, v.tx, v.ty);
    for (int b = 0; b < sheet->body_count && rc == 0; ++b) {
        const double *box = sheet->bodies[b];
        char x[32], y[32], w[32], h[32];
        rc = put_format(out,
                 "<rect class=\"body\" x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\" fill=\"#e8e8e8\" "
                 "stroke=\"#777\" stroke-width=\"%.4g\"/>\n",
                 fixed3(box[0], x), fixed3(box[1], y), fixed3(box[2] - box[0], w), fixed3(box[3] - box[1], h), 0.3 / v.s);
    }
    for (int r = 0; r < sheet->count && rc == 0; ++r) {
        if (!fps[r].has_box) continue;
        const kind_style *st = style_of(fps[r].row);
        rc = put_format(out, "<polygon class=\"fp %s\" data-name=\"", st->cls);
        if (rc == 0) rc = put_html_text(out, fps[r].row->data->electrode_name);
        if (rc == 0) rc = put_format(out, "\" points=\"");
        for (int i = 0; i < 4 && rc == 0; ++i)
        {
            char x[32], y[32];
            rc = put_format(out, "%s%s,%s", i ? " " : "", fixed3(fps[r].corners[i][0], x), fixed3(fps[r].corners[i][1], y));
        }
        if (rc == 0)
            rc = put_format(out, "\" fill=\"%s\" fill-opacity=\"0.15\" stroke=\"%s\" stroke-width=\"%.4g\" stroke-dasharray=\"", st->fill,
                     st->stroke, (st->dash[0] ? 0.5 : 0.35) / v.s);
        if (rc == 0) rc = put_dashes(out, st->dash, v.s);
        if (rc == 0) rc = put_format(out, "\"/>\n");
    }
    return rc == 0 ? put_format(out, "</g>\n") : -1;
}

// An arrow on the page from (x, y) along (dx, dy) (page length), its head a filled triangle.
int put_arrow(FILE *out, double x, double y, double dx, double dy, const char *colour, const char *cls) {
    double len = hypot(dx, dy);
    if (len < 0.3) return 0;
    double ux = dx / len, uy = dy / len, hx = x + dx, hy = y + dy, bx = hx - 1.6 * ux, by = hy - 1.6 * uy;
    return put_format(out,
               "<g class=\"%s\"><line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"%s\" stroke-width=\"0.35\"/>"
               "<polygon points=\"%.2f,%.2f %.2f,%.2f %.2f,%.2f\" fill=\"%s\"/></g>\n",
               cls, x, y, bx, by, colour, hx, hy, bx - 0.6 * uy, by + 0.6 * ux, bx + 0.6 * uy, by - 0.6 * ux, colour);
}

int put_datum(FILE *out, const view &v) {
    double x = v.px(0), y = v.py(0);
    int rc = put_format(out, "<g id=\"datum\"><circle cx=\"%.2f\" cy=\"%.2f\" r=\"1.2\" fill=\"none\" stroke=\"#000\" stroke-width=\"0.3\"/>"
                      "<circle cx=\"%.2f\" cy=\"%.2f\" r=\"0.4\"/></g>\n", x, y, x, y);
    if (rc == 0) rc = put_arrow(out, x, y, 14, 0, "#c00000", "axis");
    if (rc == 0) rc = put_arrow(out, x, y, 0, -14, "#008000", "axis");
    if (rc == 0) rc = put_format(out, "<text x=\"%.2f\" y=\"%.2f\" font-size=\"3\" fill=\"#c00000\">X</text>", x + 14.5, y + 1);
    return rc == 0 ? put_format(out, "<text x=\"%.2f\" y=\"%.2f\" font-size=\"3\" fill=\"#008000\">Y</text>\n", x - 1, y - 15) : -1;
}

// Each placed electrode's ECS X arrow, or a cross at its origin when it has no box.
int put_marks(FILE *out, const job_sheet *sheet, const footprint *fps, const view &v) {
    int rc = 0;
    for (int r = 0; r < sheet->count && rc == 0; ++r) {
        const footprint *f = &fps[r];
        const job_row *row = f->row;
        if (!f->placed) continue;
        const kind_style *st = style_of(row);
        double ox = v.px(row->axes.origin[0]), oy = v.py(row->axes.origin[1]);
        if (!f->has_box) {
            rc = put_format(out, "<path class=\"cross\" d=\"M%.2f %.2fl2 2m0 -2l-2 2\" stroke=\"#d00000\" stroke-width=\"0.4\"/>\n",
                     ox - 1, oy - 1);
            continue;
        }
        if (row->place.kind == KV_PLACE_NO_ECS) continue;  // its axes are the datum's
        rc = put_arrow(out, ox, oy, kArrow * row->axes.x[0], -kArrow * row->axes.x[1], st->stroke, "ecs-x");
    }
    return rc;
}

// A name moved from its own place is tied back to its electrode by a leader line.
int put_label(FILE *out, const footprint *f, const rect &r, int moved, const view &v) {
    double ax = v.px(f->anchor[0]), ay = v.py(f->anchor[1]);
    int rc = put_format(out, "<g class=\"label\">");
    double lx, ly;
    nearest_on(r, ax, ay, &lx, &ly);
    if (rc == 0 && moved)
        rc = put_format(out, "<line class=\"leader\" x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"#555\" "
                      "stroke-width=\"0.2\"/><circle cx=\"%.2f\" cy=\"%.2f\" r=\"0.5\" fill=\"#555\"/>",
                 ax, ay, lx, ly, ax, ay);
    if (rc == 0)
        rc = put_format(out, "<rect class=\"lbl\" x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" fill=\"#fff\" "
                      "fill-opacity=\"0.8\"/><text x=\"%.2f\" y=\"%.2f\" font-size=\"%.1f\" fill=\"%s\">",
                 r.x, r.y, r.w, r.h, r.x + 0.4, r.y + r.h - 0.9, kFont, style_of(f->row)->stroke);
    if (rc == 0) rc = put_html_text(out, f->row->data->electrode_name);
    return rc == 0 ? put_format(out, "</text></g>\n") : -1;
}

int put_labels(FILE *out, const job_sheet *sheet, const footprint *fps, const view &v) {
    rect *placed = (rect *)malloc((size_t)(sheet->count > 0 ? sheet->count : 1) * sizeof(rect));
    if (!placed) return -1;
    int n = 0, rc = 0;
    for (int r = 0; r < sheet->count && rc == 0; ++r) {
        if (!fps[r].placed) continue;
        double w = text_width(fps[r].row->data->electrode_name) + 0.8, h = kFont * 1.3;
        // Just below the box's centre, clear of the ECS arrow that starts at the origin.
        const double cx = v.px(fps[r].anchor[0]), cy = v.py(fps[r].anchor[1]) + h;
        placed[n] = place_label(cx, cy, w, h, placed, n);
        int moved = fabs(placed[n].x - (cx - w / 2)) > 1e-9 || fabs(placed[n].y - (cy - h / 2)) > 1e-9;
        rc = put_label(out, &fps[r], placed[n], moved, v);
        ++n;
    }
    free(placed);
    return rc;
}

int put_legend_item(FILE *out, double y, const kind_style *st, const char *text) {
    int rc = put_format(out, "<rect x=\"%.1f\" y=\"%.1f\" width=\"8\" height=\"4\" fill=\"%s\" fill-opacity=\"0.15\" stroke=\"%s\" "
                      "stroke-width=\"0.4\" stroke-dasharray=\"%s\"/><text x=\"%.1f\" y=\"%.1f\" font-size=\"3\">",
                 kLegendX, y, st->fill, st->stroke, st->dash[0] ? st->dash : "none", kLegendX + 10, y + 3.2);
    if (rc == 0) rc = put_html_text(out, text);
    return rc == 0 ? put_format(out, "</text>\n") : -1;
}

// The electrodes the map could not place: no coordinate system and no box.
int put_unplaced(FILE *out, const job_sheet *sheet, const footprint *fps, double y) {
    int rc = 0, shown = 0;
    for (int r = 0; r < sheet->count && rc == 0; ++r) {
        if (fps[r].placed) continue;
        if (shown == 0) rc = put_format(out, "<text x=\"%.1f\" y=\"%.1f\" font-size=\"3\">未画出（无坐标系且无实体）：</text>\n", kLegendX, y);
        if (rc != 0) break;
        if (++shown > 12) {
            rc = put_format(out, "<text x=\"%.1f\" y=\"%.1f\" font-size=\"3\">……</text>\n", kLegendX + 2, y + 4.5 * shown);
            break;
        }
        rc = put_format(out, "<text class=\"unplaced\" x=\"%.1f\" y=\"%.1f\" font-size=\"3\">", kLegendX + 2, y + 4.5 * shown);
        if (rc == 0) rc = put_html_text(out, fps[r].row->data->electrode_name);
        if (rc == 0) rc = put_format(out, "</text>\n");
    }
    return rc;
}

int put_legend(FILE *out, const job_sheet *sheet, const footprint *fps) {
    int rc = put_format(out, "<g id=\"legend\"><text x=\"%.1f\" y=\"20\" font-size=\"4\" font-weight=\"bold\">图例</text>\n", kLegendX);
    double y = 24;
    for (int k = 0; k < 4 && rc == 0; ++k, y += 6) rc = put_legend_item(out, y, &kStyles[k], kStyles[k].legend);
    const kind_style body = {"body", "#777", "#777", "", "工件实体（外形框）"};
    if (rc == 0) rc = put_legend_item(out, y, &body, body.legend);
    y += 8;
    if (rc == 0) rc = put_arrow(out, kLegendX, y, 8, 0, "#1f4e9c", "legend");
    if (rc == 0) rc = put_format(out, "<text x=\"%.1f\" y=\"%.1f\" font-size=\"3\">电极坐标系 X 轴</text>\n", kLegendX + 10, y + 1);
    y += 6;
    if (rc == 0)
        rc = put_format(out, "<path d=\"M%.1f %.1fl2 2m0 -2l-2 2\" stroke=\"#d00000\" stroke-width=\"0.4\"/><text x=\"%.1f\" y=\"%.1f\" "
                      "font-size=\"3\">无实体或 " KV_BOX_FAILED_FLAG "：电极原点</text>\n",
                 kLegendX + 3, y - 1, kLegendX + 10, y + 1);
    if (rc == 0) rc = put_unplaced(out, sheet, fps, y + 8);
    return rc == 0 ? put_format(out, "</g>\n") : -1;
}

// A bar of a round length (1, 2 or 5 times a power of ten) at most 60 mm long on the page.
int put_scale_bar(FILE *out, const view &v, const char *units) {
    double length = pow(10, floor(log10(60 / v.s)));
    if (length * 5 * v.s <= 60) length *= 5;
    else if (length * 2 * v.s <= 60) length *= 2;
    double w = length * v.s, x = kAreaX, y = kScaleY;
    int rc = put_format(out, "<g id=\"scale\" data-length=\"%g\"><path d=\"M%.2f %.2fv-1.5M%.2f %.2fh%.3fM%.3f %.2fv-1.5\" stroke=\"#000\" "
                      "stroke-width=\"0.4\" fill=\"none\"/>",
                 length, x, y, x, y, w, x + w, y);
    if (rc == 0) rc = put_format(out, "<text x=\"%.2f\" y=\"%.2f\" font-size=\"3\">%g %s（1 : %g）</text></g>\n", x + w + 2, y, length, units,
                          1 / v.s);
    return rc;
}

}  // namespace

int put_job_map(FILE *out, const job_sheet *sheet) {
    if (!out || !sheet) return -1;
    footprint *fps = (footprint *)malloc((size_t)(sheet->count > 0 ? sheet->count : 1) * sizeof(footprint));
    if (!fps) return -1;
    for (int r = 0; r < sheet->count; ++r) footprint_of(&sheet->rows[r], &fps[r]);
    view v = fit(sheet, fps);
    int rc = put_format(out,
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"setup-map\" width=\"%dmm\" height=\"%dmm\" "
                 "viewBox=\"0 0 %d %d\" font-family=\"SimSun, 'WenQuanYi Zen Hei', sans-serif\">\n"
                 "<rect width=\"%d\" height=\"%d\" fill=\"#fff\"/>\n",
                 KV_MAP_WIDTH_MM, KV_MAP_HEIGHT_MM, KV_MAP_WIDTH_MM, KV_MAP_HEIGHT_MM, KV_MAP_WIDTH_MM, KV_MAP_HEIGHT_MM);
    if (rc == 0) rc = put_title(out, sheet);
    if (rc == 0) rc = put_model(out, sheet, fps, v);
    if (rc == 0) rc = put_datum(out, v);
    if (rc == 0) rc = put_marks(out, sheet, fps, v);
    if (rc == 0) rc = put_labels(out, sheet, fps, v);
    if (rc == 0) rc = put_legend(out, sheet, fps);
    if (rc == 0) rc = put_scale_bar(out, v, sheet->units);
    if (rc == 0) rc = put_format(out, "</svg>\n");
    free(fps);
    return rc;
}

int write_job_map_svg(FILE *out, const job_sheet *sheet) {
    if (!out || !sheet) return -1;
    if (put_format(out, "<?xml version=\"1.0\" encoding=\"GBK\"?>\n") != 0 || put_job_map(out, sheet) != 0) return -1;
    return ferror(out) ? -1 : 0;
}
