// Drawing sheets rendered as SVG: the sheet, its grid when shown, the objects on it (imported
// template lines, arcs and notes), each member view as a hidden-line drawing of the solids it
// shows with its curves and points, and the ordinate dimensions with their extension lines and
// values. Millimetres of the sheet are SVG user units; y runs up on the sheet and down in SVG.
// Numbers are written with at most three decimals and nothing depends on time: the same session
// gives the same text.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "drafting.h"
#include "util.h"
#include "nxsim/nxsim.h"

namespace nxsim {

namespace {

// Text heights (mm) of dimension texts, and the gaps of ordinate extension lines.
const double kDimTextHeight = 3.5;
const double kExtGap = 1.0;       // between the dimensioned point and its extension line
const double kExtBeyond = 1.0;    // extension line past the margin
const double kTextGap = 1.5;      // margin to text
const double kPointSize = 1.0;    // half the arm of a point's cross
const char kFonts[] = "SimSun, 'WenQuanYi Micro Hei', 'Noto Sans CJK SC', 'Microsoft YaHei', sans-serif";

std::string num(double v) {
    char buf[64];
    snprintf(buf, sizeof buf, "%.3f", v);
    std::string s = buf;
    size_t dot = s.find('.');
    if (dot != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

std::string escape(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                if ((unsigned char)c >= 0x20 || c == '\t') out += c;
        }
    }
    return out;
}

// A colour of NX's palette as SVG writes it; a colour outside the palette is drawn black.
std::string rgb(int color) {
    if (color < 1 || color > 216) color = 216;
    int l[3];
    palette_levels(color, l);
    char buf[16];
    snprintf(buf, sizeof buf, "#%02x%02x%02x", l[0] * 51, l[1] * 51, l[2] * 51);
    return buf;
}

// Width codes in millimetres: normal, thick, thin, then widths 1 to 9.
double width_mm(int code) {
    static const double coded[] = {0.13, 0.18, 0.25, 0.35, 0.5, 0.7, 1.0, 1.4, 2.0};
    if (code == UF_OBJ_WIDTH_THICK) return 0.7;
    if (code == UF_OBJ_WIDTH_THIN) return 0.18;
    if (code >= UF_OBJ_WIDTH_1 && code <= UF_OBJ_WIDTH_9) return coded[code - UF_OBJ_WIDTH_1];
    return 0.35;
}

// The dash pattern of an NX font, empty for solid lines.
std::string dashes(int font) {
    switch (font) {
        case UF_OBJ_FONT_DASHED: return "2,1";
        case UF_OBJ_FONT_PHANTOM: return "6,1,1,1,1,1";
        case UF_OBJ_FONT_CENTERLINE: return "6,1,1,1";
        case UF_OBJ_FONT_DOTTED: return "0.4,0.8";
        case UF_OBJ_FONT_LONG_DASHED: return "5,1.5";
        case UF_OBJ_FONT_DOTTED_DASHED: return "3,1,0.4,1";
    }
    return "";
}

class Canvas {
public:
    Canvas(double height, const UF_DISP_drawing_display_data_t& display) : h_(height), display_(display) {}

    std::string X(double x) const { return num(x); }
    std::string Y(double y) const { return num(h_ - y); }
    // Monochrome drawings are drawn in the foreground colour; in colour, an object of the
    // background's colour is drawn in the foreground colour too, as NX shows it.
    std::string colour(int c) const {
        if (display_.monochrome_display || c == display_.background_color) return rgb(display_.foreground_color);
        return rgb(c);
    }

    // Opens a path of polylines with a stroke style.
    void begin_path(const std::string& colour, double width, const std::string& dash) {
        path_ = "<path fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + num(width) + "\"";
        if (!dash.empty()) path_ += " stroke-dasharray=\"" + dash + "\"";
        path_ += " stroke-linecap=\"round\" stroke-linejoin=\"round\" d=\"";
        empty_ = true;
    }
    void poly(const std::vector<std::array<double, 2>>& pts) {
        for (size_t i = 0; i < pts.size(); ++i) {
            path_ += (i ? "L" : (empty_ ? "M" : " M")) + X(pts[i][0]) + " " + Y(pts[i][1]);
            empty_ = false;
        }
    }
    void end_path() {
        if (!empty_) out += path_ + "\"/>\n";
        path_.clear();
    }

    void line(double x1, double y1, double x2, double y2, const std::string& colour, double width,
              const std::string& dash = "") {
        out += "<line x1=\"" + X(x1) + "\" y1=\"" + Y(y1) + "\" x2=\"" + X(x2) + "\" y2=\"" + Y(y2) +
               "\" stroke=\"" + colour + "\" stroke-width=\"" + num(width) + "\"";
        if (!dash.empty()) out += " stroke-dasharray=\"" + dash + "\"";
        out += "/>\n";
    }

    // A text line whose anchor lies at (x, y): anchor 0 start, 1 middle, 2 end; vertically
    // centred on y. rotate: degrees counter-clockwise on the sheet.
    void text(double x, double y, double height, int anchor, const std::string& utf8, const std::string& colour,
              double rotate = 0) {
        if (utf8.empty() || height <= 0) return;
        static const char* anchors[] = {"start", "middle", "end"};
        std::string at = "x=\"" + X(x) + "\" y=\"" + Y(y) + "\"";
        // The baseline sits about a third of the height below the middle of the glyphs.
        std::string shift = " dy=\"" + num(0.35 * height) + "\"";
        out += "<text " + at + shift + " font-size=\"" + num(height) + "\" text-anchor=\"" + anchors[anchor] +
               "\" fill=\"" + colour + "\"";
        if (rotate != 0) out += " transform=\"rotate(" + num(-rotate) + " " + X(x) + " " + Y(y) + ")\"";
        out += ">" + escape(utf8) + "</text>\n";
    }

    std::string out;

private:
    double h_;
    UF_DISP_drawing_display_data_t display_;
    std::string path_;
    bool empty_ = true;
};

void draw_arc(Canvas& c, const Object& o, const MemberView* v, const std::string& colour, double width) {
    // Enough points that a chord strays less than about 0.01 mm on the sheet.
    double scale = v ? v->scale : 1;
    double sweep = std::fabs(o.a1 - o.a0);
    double r = o.radius * scale;
    int steps = 8;
    if (r > 0.01) steps = std::max(8, (int)std::ceil(sweep / (2 * std::acos(std::max(0.0, 1 - 0.01 / r)))));
    steps = std::min(steps, 720);
    std::vector<std::array<double, 2>> pts;
    for (int k = 0; k <= steps; ++k) {
        double p[3];
        arc_point_abs(o, o.a0 + (o.a1 - o.a0) * k / steps, p);
        double d[2] = {p[0], p[1]};
        if (v) view_to_drawing(*v, p, d);
        pts.push_back({d[0], d[1]});
    }
    c.begin_path(colour, width, "");
    c.poly(pts);
    c.end_path();
}

void draw_sheet_objects(Canvas& c, const Sheet& sh) {
    c.out += "<g id=\"sheet-objects\">\n";
    for (tag_t t : sh.objects) {
        const Object* o = live_obj(t);
        if (!o || o->blank) continue;
        std::string colour = c.colour(o->color);
        double w = width_mm(o->line_width);
        switch (o->type) {
            case T_LINE: c.line(o->p1[0], o->p1[1], o->p2[0], o->p2[1], colour, w); break;
            case T_ARC: draw_arc(c, *o, nullptr, colour, w); break;
            case T_NOTE:
                if (o->subtype != UF_draft_note_subtype) break;
                for (size_t i = 0; i < o->note.size(); ++i) {
                    double h = o->text_height > 0 ? o->text_height : 3.5;
                    // Lines of a note go downwards, 1.5 heights apart, centred as a block.
                    double y = o->p1[1] + 0.75 * h * ((double)o->note.size() - 1) - 1.5 * h * (double)i;
                    c.text(o->p1[0], y, h, o->text_align, to_utf8(o->note[i]), colour);
                }
                break;
            case T_POINT:
                c.line(o->p1[0] - kPointSize, o->p1[1], o->p1[0] + kPointSize, o->p1[1], colour, 0.18);
                c.line(o->p1[0], o->p1[1] - kPointSize, o->p1[0], o->p1[1] + kPointSize, colour, 0.18);
                break;
        }
    }
    c.out += "</g>\n";
}

void draw_view(Canvas& c, const Object& vo, const MemberView& v, bool borders) {
    c.out += "<g id=\"view-" + escape(to_utf8(vo.name)) + "\">\n";
    if (borders && v.has_extent) {
        double b[4];
        for (int i = 0; i < 4; ++i) b[i] = v.ref[i % 2] + v.scale * v.extent[i];
        c.out += "<rect x=\"" + c.X(b[0]) + "\" y=\"" + c.Y(b[3]) + "\" width=\"" + num(b[2] - b[0]) + "\" height=\"" +
                 num(b[3] - b[1]) + "\" fill=\"none\" stroke=\"#b0b0b0\" stroke-width=\"0.18\"/>\n";
    }
    std::vector<const Object*> shown = view_objects(v);
    std::vector<int> shapes;
    int body_colour = -1;
    int body_width = 0;
    for (const Object* o : shown) {
        if (o->type != T_SOLID) continue;
        shapes.push_back(o->shape);
        body_colour = body_colour < 0 || body_colour == o->color ? o->color : 216;
        body_width = o->line_width;
    }
    const UF_DRAW_view_prfs_t& pr = v.prefs;
    if (!shapes.empty()) {
        std::vector<ViewEdge> edges;
        double deflection = std::min(1.0, std::max(1e-4, 0.01 / std::max(v.scale, 1e-9)));
        geom_hidden_lines(shapes, v.mtx.data(), deflection, &edges);
        // Edge points come in view axes; shift them by the anchor's and onto the sheet.
        double ax = v.mtx[0] * v.anchor[0] + v.mtx[1] * v.anchor[1] + v.mtx[2] * v.anchor[2];
        double ay = v.mtx[3] * v.anchor[0] + v.mtx[4] * v.anchor[1] + v.mtx[5] * v.anchor[2];
        auto on_sheet = [&](const ViewEdge& e) {
            std::vector<std::array<double, 2>> pts;
            for (auto& p : e.pts) pts.push_back({v.ref[0] + v.scale * (p[0] - ax), v.ref[1] + v.scale * (p[1] - ay)});
            return pts;
        };
        std::string vis_colour = c.colour(pr.visible_line_color > 0 ? pr.visible_line_color : body_colour);
        double vis_width = width_mm(pr.visible_line_width ? pr.visible_line_width : body_width);
        // Hidden lines first, so visible ones lie on top.
        bool removal = pr.hidden_line == UF_DRAW_hidden_line_removal_on;
        if (!removal || pr.hidden_line_font != UF_OBJ_FONT_INVISIBLE) {
            std::string colour = removal && pr.hidden_line_color > 0 ? c.colour(pr.hidden_line_color) : vis_colour;
            double w = removal ? width_mm(pr.hidden_line_width) : vis_width;
            c.begin_path(colour, w, removal ? dashes(pr.hidden_line_font) : dashes(pr.visible_line_font));
            for (const ViewEdge& e : edges) {
                if (!e.hidden || (e.smooth && pr.smooth == UF_DRAW_smooth_off) ||
                    (e.outline && pr.silhouettes == UF_DRAW_silhouettes_off))
                    continue;
                c.poly(on_sheet(e));
            }
            c.end_path();
        }
        c.begin_path(vis_colour, vis_width, dashes(pr.visible_line_font));
        for (const ViewEdge& e : edges) {
            if (e.hidden || e.smooth || (e.outline && pr.silhouettes == UF_DRAW_silhouettes_off)) continue;
            c.poly(on_sheet(e));
        }
        c.end_path();
        if (pr.smooth == UF_DRAW_smooth_on) {
            c.begin_path(vis_colour, vis_width, dashes(pr.smooth_edge_font));
            for (const ViewEdge& e : edges)
                if (!e.hidden && e.smooth) c.poly(on_sheet(e));
            c.end_path();
        }
    }
    // The curves and points the view shows, over the solids.
    for (const Object* o : shown) {
        std::string colour = c.colour(o->color);
        double w = width_mm(o->line_width);
        double a[2], b[2];
        switch (o->type) {
            case T_LINE:
                view_to_drawing(v, o->p1.data(), a);
                view_to_drawing(v, o->p2.data(), b);
                c.line(a[0], a[1], b[0], b[1], colour, w);
                break;
            case T_ARC: draw_arc(c, *o, &v, colour, w); break;
            case T_POINT:
                view_to_drawing(v, o->p1.data(), a);
                c.line(a[0] - kPointSize, a[1], a[0] + kPointSize, a[1], colour, 0.18);
                c.line(a[0], a[1] - kPointSize, a[0], a[1] + kPointSize, colour, 0.18);
                break;
        }
    }
    c.out += "</g>\n";
}

// The value an ordinate dimension shows: its user text, else the distance (unsigned when every
// quadrant of its origin is positive) with at most three decimals.
std::string dimension_text(const Ordinate& d) {
    if (!d.user_text.empty()) return to_utf8(d.user_text);
    const Ordinate* margin = d.margin ? live_ordinate(d.margin, Ordinate::Margin) : nullptr;
    const Ordinate* origin = live_ordinate(margin ? margin->origin : 0, Ordinate::Origin);
    double v = d.value;
    if (!origin || origin->quadrant == 5) v = std::fabs(v);
    return num(v);
}

void draw_ordinates(Canvas& c, const Sheet& sh) {
    c.out += "<g id=\"dimensions\">\n";
    const std::string ink = c.colour(216);
    const double w = 0.18;
    for (tag_t t : sh.objects) {
        const Ordinate* d = live_ordinate(t, Ordinate::Dimension);
        if (d) {
            std::string text = dimension_text(*d);
            const Ordinate* m = d->margin ? live_ordinate(d->margin, Ordinate::Margin) : nullptr;
            double px = d->point[0], py = d->point[1];
            if (!m) {
                c.text(d->text_origin[0], d->text_origin[1], kDimTextHeight, 1, text, ink);
            } else if (d->dim_type == 1) {
                // From the point to the horizontal margin; the value reads upwards beyond it.
                double dir = m->position < py ? -1 : 1;
                c.line(px, py + dir * kExtGap, px, m->position + dir * kExtBeyond, ink, w);
                c.text(px, m->position + dir * (kExtBeyond + kTextGap), kDimTextHeight, dir < 0 ? 2 : 0, text, ink, 90);
            } else {
                double dir = m->position < px ? -1 : 1;
                c.line(px + dir * kExtGap, py, m->position + dir * kExtBeyond, py, ink, w);
                c.text(m->position + dir * (kExtBeyond + kTextGap), py, kDimTextHeight, dir < 0 ? 2 : 0, text, ink);
            }
            double below = 0;
            for (const std::string& line : d->appended) {
                below += 1.5 * kDimTextHeight;
                c.text(d->text_origin[0], d->text_origin[1] - below, kDimTextHeight, 1, to_utf8(line), ink);
            }
            continue;
        }
        const Ordinate* o = live_ordinate(t, Ordinate::Origin);
        const Object* oo = obj(t);
        if (o && oo && o->symbol_display == 1 && !oo->name.empty())
            c.text(o->point[0] + kExtGap, o->point[1] + kExtGap, kDimTextHeight, 0, to_utf8(oo->name), ink);
    }
    c.out += "</g>\n";
}

void draw_grid(Canvas& c, const Sheet& sh, const UF_DISP_grid_t& g) {
    double sx = g.grid_unit_x * std::max(1, g.grid_line_every_x);
    double sy = g.grid_unit_y * std::max(1, g.grid_line_every_y);
    if (!(sx > 0.5) || !(sy > 0.5)) return;  // too fine to draw
    c.out += "<g id=\"grid\">\n";
    for (double x = sx; x < sh.length; x += sx) c.line(x, 0, x, sh.height, "#e6e6e6", 0.1);
    for (double y = sy; y < sh.height; y += sy) c.line(0, y, sh.length, y, "#e6e6e6", 0.1);
    c.out += "</g>\n";
}

std::string safe_file_part(const std::string& s) {
    std::string out;
    for (char ch : s) {
        unsigned char u = (unsigned char)ch;
        out += (u < 0x20 || std::string("/\\:*?\"<>|").find(ch) != std::string::npos) ? '_' : ch;
    }
    return out;
}

}  // namespace

std::string sheet_svg(tag_t drawing) {
    const Object* d = live_drawing(drawing);
    if (!d) return "";
    const Sheet& sh = sheet_of(drawing);
    DraftingSettings& ds = drafting();
    Canvas c(sh.height, ds.display);
    c.out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    c.out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(sh.length) + "mm\" height=\"" + num(sh.height) +
             "mm\" viewBox=\"0 0 " + num(sh.length) + " " + num(sh.height) + "\" font-family=\"" + kFonts + "\">\n";
    c.out += "<title>" + escape(to_utf8(d->name)) + "</title>\n";
    c.out += "<rect x=\"0\" y=\"0\" width=\"" + num(sh.length) + "\" height=\"" + num(sh.height) +
             "\" fill=\"" + rgb(ds.display.background_color) + "\" stroke=\"#808080\" stroke-width=\"0.1\"/>\n";
    if (ds.grids[UF_DISP_DRAWING_GRID].show_grid) draw_grid(c, sh, ds.grids[UF_DISP_DRAWING_GRID]);
    draw_sheet_objects(c, sh);
    for (tag_t t : sh.views) {
        const Object* vo = live_obj(t);
        const MemberView* v = member_view(t);
        if (vo && v) draw_view(c, *vo, *v, ds.border_display);
    }
    draw_ordinates(c, sh);
    c.out += "</svg>\n";
    return c.out;
}

std::vector<SheetImage> render_sheets() {
    std::vector<SheetImage> out;
    for (tag_t pt : S().part_order) {
        const Part* p = part(pt);
        if (!p) continue;
        std::string name = part_file_name(pt);
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0) name.resize(dot);
        for (tag_t t : p->drawings) {
            const Object* d = live_drawing(t);
            if (!d) continue;
            out.push_back({safe_file_part(name) + "_" + safe_file_part(to_utf8(d->name)) + ".svg", sheet_svg(t)});
        }
    }
    return out;
}

}  // namespace nxsim
