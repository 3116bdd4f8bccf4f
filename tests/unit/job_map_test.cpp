// The setup map read back from its SVG: footprints where the electrodes stand for quarter turns,
// an odd angle, a mirrored and a tilted system, the ECS arrows, and names that never overlap
// however close the electrodes stand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "drawing/job_map.h"

namespace {

const double kPi = 3.14159265358979323846;

struct Poly {
    std::string kind, name;
    std::vector<double> xy;
};

std::vector<double> numbers(const std::string& text) {
    std::vector<double> out;
    const char* p = text.c_str();
    for (char* end; *p; p = end) {
        double v = strtod(p, &end);
        if (end == p) {
            ++end;
            continue;
        }
        out.push_back(v);
    }
    return out;
}

std::string map_of(const job_sheet* sheet) {
    char* buf = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&buf, &size);
    EXPECT_EQ(0, write_job_map_svg(f, sheet));
    fclose(f);
    std::string out(buf, size);
    free(buf);
    return out;
}

std::vector<Poly> footprints(const std::string& svg) {
    std::vector<Poly> out;
    std::regex re("<polygon class=\"fp (\\w+)\" data-name=\"([^\"]*)\" points=\"([^\"]*)\"");
    for (std::sregex_iterator i(svg.begin(), svg.end(), re), e; i != e; ++i)
        out.push_back({(*i)[1], (*i)[2], numbers((*i)[3])});
    return out;
}

// The attribute values of text that are one number each, in order; text without attributes
// (a transform's arguments) as numbers().
std::vector<double> values_of(const std::string& text) {
    if (text.find('"') == std::string::npos) return numbers(text);
    std::vector<double> out;
    std::regex quoted("\"([^\"]*)\"");
    for (std::sregex_iterator i(text.begin(), text.end(), quoted), e; i != e; ++i) {
        std::string v = (*i)[1];
        char* end = nullptr;
        double d = strtod(v.c_str(), &end);
        if (!v.empty() && *end == '\0') out.push_back(d);
    }
    return out;
}

// Every match of re's first group, as values_of.
std::vector<std::vector<double>> matches(const std::string& svg, const std::string& re_text) {
    std::vector<std::vector<double>> out;
    std::regex re(re_text);
    for (std::sregex_iterator i(svg.begin(), svg.end(), re), e; i != e; ++i) out.push_back(values_of((*i)[1]));
    return out;
}

// Electrodes with the box 40 x 30 centred on their ECS origin, placed from their systems' frames
// the way the sheet places them, in a datum away from the absolute origin.
class JobMap : public ::testing::Test {
protected:
    void SetUp() override {
        memset(&sheet_, 0, sizeof sheet_);
        memset(data_, 0, sizeof data_);
        memset(rows_, 0, sizeof rows_);
        datum_ = {{10, 20, 5}, {1, 0, 0, 0, 1, 0, 0, 0, 1}};
        strcpy(sheet_.units, "mm");
        sheet_.rows = rows_;
    }
    // An electrode at (x, y) of the datum whose ECS has the axes x_axis and y_axis (z their cross
    // product times hand: -1 for a mirrored system).
    void add(double x, double y, const double xa[3], const double ya[3], int hand = 1) {
        int i = sheet_.count++;
        snprintf(data_[i].electrode_name, sizeof data_[i].electrode_name, "E%d", i + 1);
        job_frame ecs = {{datum_.origin[0] + x, datum_.origin[1] + y, datum_.origin[2] + 30},
                         {xa[0], xa[1], xa[2], ya[0], ya[1], ya[2], hand * (xa[1] * ya[2] - xa[2] * ya[1]),
                          hand * (xa[2] * ya[0] - xa[0] * ya[2]), hand * (xa[0] * ya[1] - xa[1] * ya[0])}};
        rows_[i].data = &data_[i];
        ASSERT_EQ(0, place_electrode(&datum_, &ecs, &rows_[i].place));
        ASSERT_EQ(0, frame_in_datum(&datum_, &ecs, &rows_[i].axes));
        rows_[i].has_box = 1;
        rows_[i].low[0] = -20, rows_[i].low[1] = -15, rows_[i].low[2] = -40;
        rows_[i].size[0] = 40, rows_[i].size[1] = 30, rows_[i].size[2] = 40;
    }
    void add_turned(double x, double y, double c) {
        double r = c * kPi / 180;
        const double xa[3] = {cos(r), sin(r), 0}, ya[3] = {-sin(r), cos(r), 0};
        add(x, y, xa, ya);
    }
    job_frame datum_;
    job_sheet sheet_;
    electrode_data data_[256];
    job_row rows_[256];
};

void expect_corners(const std::vector<double>& want, const Poly& got) {
    ASSERT_EQ(want.size(), got.xy.size()) << got.name;
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(want[i], got.xy[i], 0.0015) << got.name << " value " << i;
}

TEST_F(JobMap, FootprintsStandWhereTheElectrodesStandTurnedByC) {
    add_turned(50, 40, 0);
    add_turned(150, 40, 90);
    add_turned(250, 40, 180);
    add_turned(50, 140, 270);
    add_turned(150, 140, 37.5);
    const double x[3] = {1, 0, 0}, y_down[3] = {0, -1, 0};
    add(250, 140, x, y_down, -1);  // mirrored: Y reversed, Z still up
    const double y_tilted[3] = {0, cos(kPi / 6), sin(kPi / 6)};
    add(50, 240, x, y_tilted);  // tilted 30 degrees about the datum X
    std::string svg = map_of(&sheet_);
    std::vector<Poly> fp = footprints(svg);
    ASSERT_EQ(7u, fp.size());
    expect_corners({30, 25, 70, 25, 70, 55, 30, 55}, fp[0]);
    expect_corners({165, 20, 165, 60, 135, 60, 135, 20}, fp[1]);
    expect_corners({270, 55, 230, 55, 230, 25, 270, 25}, fp[2]);
    expect_corners({35, 160, 35, 120, 65, 120, 65, 160}, fp[3]);
    const double c = cos(37.5 * kPi / 180), s = sin(37.5 * kPi / 180);
    std::vector<double> turned;
    for (auto [u, v] : std::vector<std::pair<double, double>>{{-20, -15}, {20, -15}, {20, 15}, {-20, 15}})
        turned.insert(turned.end(), {150 + u * c - v * s, 140 + u * s + v * c});
    expect_corners(turned, fp[4]);
    expect_corners({230, 155, 270, 155, 270, 125, 230, 125}, fp[5]);
    const double h = 15 * cos(kPi / 6);
    expect_corners({30, 240 - h, 70, 240 - h, 70, 240 + h, 30, 240 + h}, fp[6]);
    EXPECT_EQ("set", fp[0].kind);
    EXPECT_EQ("set", fp[4].kind);
    EXPECT_EQ("mirrored", fp[5].kind);
    EXPECT_EQ("tilt", fp[6].kind);
    EXPECT_EQ("E5", fp[4].name);

    // The model group puts the datum on the page upright (Y up) and every footprint on the page.
    std::vector<std::vector<double>> m = matches(svg, "<g id=\"model\" transform=\"matrix\\(([^)]*)\\)\"");
    ASSERT_EQ(1u, m.size());
    ASSERT_EQ(6u, m[0].size());
    EXPECT_GT(m[0][0], 0);
    EXPECT_DOUBLE_EQ(-m[0][0], m[0][3]);
    for (const Poly& p : fp)
        for (size_t i = 0; i < p.xy.size(); i += 2) {
            double px = m[0][4] + m[0][0] * p.xy[i], py = m[0][5] + m[0][3] * p.xy[i + 1];
            EXPECT_TRUE(px >= 0 && px <= 210 && py >= 14 && py <= 180) << p.name << " at " << px << ", " << py;
        }
    // Each ECS X arrow leaves the origin along the system's X axis as seen on the page.
    std::vector<std::vector<double>> arrows = matches(svg, "<g class=\"ecs-x\"><line ([^/]*)/>");
    ASSERT_EQ(7u, arrows.size());
    const double dirs[7][2] = {{1, 0}, {0, -1}, {-1, 0}, {0, 1}, {c, -s}, {1, 0}, {1, 0}};
    for (int i = 0; i < 7; ++i) {
        const std::vector<double>& a = arrows[i];
        ASSERT_GE(a.size(), 4u);  // x1 y1 x2 y2, then the stroke width
        double dx = a[2] - a[0], dy = a[3] - a[1], len = hypot(dx, dy);
        EXPECT_NEAR(dirs[i][0], dx / len, 0.01) << i;
        EXPECT_NEAR(dirs[i][1], dy / len, 0.01) << i;
        EXPECT_NEAR(m[0][4] + m[0][0] * rows_[i].axes.origin[0], a[0], 0.01) << i;
    }
}

TEST_F(JobMap, ElectrodesWithoutABoxOrASystemAreMarkedOrListed) {
    add_turned(50, 40, 0);
    add_turned(150, 40, 90);
    rows_[1].has_box = 0;
    rows_[1].box_failed = 1;
    int i = sheet_.count++;
    strcpy(data_[i].electrode_name, "E<3>");
    rows_[i].data = &data_[i];
    rows_[i].place.kind = KV_PLACE_NO_ECS;
    sheet_.body_count = 1;
    const double body[4] = {0, 0, 300, 200};
    memcpy(sheet_.bodies[0], body, sizeof body);
    std::string svg = map_of(&sheet_);
    EXPECT_EQ(1u, footprints(svg).size());
    EXPECT_EQ(1u, matches(svg, "<path class=\"cross\" d=\"M([^\"]*)\"").size());
    EXPECT_EQ(1u, matches(svg, "<text class=\"unplaced\" ([^>]*)>E&lt;3&gt;</text>").size());
    std::vector<std::vector<double>> rects = matches(svg, "<rect class=\"body\" ([^/]*)/>");
    ASSERT_EQ(1u, rects.size());
    EXPECT_EQ((std::vector<double>{0, 0, 300, 200}), std::vector<double>(rects[0].begin(), rects[0].begin() + 4));
    EXPECT_EQ(0u, svg.find("<?xml version=\"1.0\" encoding=\"GBK\"?>\n<svg "));
}

struct Box {
    double x, y, w, h;
};

std::vector<Box> name_boxes(const std::string& svg) {
    std::vector<Box> out;
    for (const std::vector<double>& v : matches(svg, "<rect class=\"lbl\" ([^/]*)/>")) out.push_back({v[0], v[1], v[2], v[3]});
    return out;
}

void expect_apart(const std::vector<Box>& boxes) {
    for (size_t a = 0; a < boxes.size(); ++a) {
        const Box& p = boxes[a];
        EXPECT_TRUE(p.x >= 0 && p.y >= 0 && p.x + p.w <= 210 && p.y + p.h <= 190) << a;
        for (size_t b = a + 1; b < boxes.size(); ++b) {
            const Box& q = boxes[b];
            bool apart = p.x + p.w <= q.x + 1e-9 || q.x + q.w <= p.x + 1e-9 || p.y + p.h <= q.y + 1e-9 ||
                         q.y + q.h <= p.y + 1e-9;
            ASSERT_TRUE(apart) << "names " << a << " and " << b << " overlap";
        }
    }
}

TEST_F(JobMap, NamesNeverOverlapAndMovedOnesAreLedBack) {
    // A large part with electrodes a few mm apart: at the map's scale they almost coincide.
    sheet_.body_count = 1;
    const double body[4] = {0, 0, 1200, 800};
    memcpy(sheet_.bodies[0], body, sizeof body);
    for (int i = 0; i < 40; ++i) add_turned(600 + (i % 8) * 4, 400 + (i / 8) * 4, i * 9);
    std::string svg = map_of(&sheet_);
    std::vector<Box> boxes = name_boxes(svg);
    ASSERT_EQ(40u, boxes.size());
    expect_apart(boxes);
    EXPECT_GT(matches(svg, "<line class=\"leader\" ([^/]*)/>").size(), 30u);
    // As many as a sheet can list, all at one spot.
    sheet_.count = 0;
    for (int i = 0; i < 255; ++i) add_turned(600, 400, 0);
    boxes = name_boxes(map_of(&sheet_));
    ASSERT_EQ(255u, boxes.size());
    expect_apart(boxes);
}

}  // namespace
