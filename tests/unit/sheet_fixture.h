// A session with a tool folder holding the kit's drawing template, parts of block electrodes with
// saved top views, and helpers to read back sheets, member views and ordinate dimensions. Shared
// by the drawing sheet, title block, ordinate and host tests.
#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config_fixture.h"
#include "drafting.h"
#include "drawing/electrode_record.h"

namespace kv_test {

// A block electrode: its name, first layer and box (origin and size in absolute coordinates).
struct Block {
    std::string name;
    int layer;
    double origin[3];
    double size[3];
};

// A part of block electrodes, each with its category, its body and a saved view "<name>_TOP"
// looking down Z; extra objects (JSON, ids from 100 on) are appended.
inline std::string block_part(const std::vector<Block>& blocks, const std::string& extra = "",
                              const std::string& top_level = "") {
    std::ostringstream o;
    o << R"({ "format": "nxsim-part", "version": 1, )" << top_level << R"( "objects": [)";
    int id = 1;
    std::string views;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const Block& b = blocks[i];
        o << (i ? "," : "") << R"({ "id": )" << id++ << R"(, "type": "category", "name": ")" << b.name
          << R"(", "layers": [)" << b.layer << "] },";
        o << R"({ "id": )" << id++ << R"(, "type": "solid", "layer": )" << b.layer << R"(, "shape": { "box": { "origin": [)"
          << b.origin[0] << "," << b.origin[1] << "," << b.origin[2] << R"(], "size": [)" << b.size[0] << ","
          << b.size[1] << "," << b.size[2] << "] } } }";
        views += std::string(i ? "," : "") + R"({ "name": ")" + b.name + R"(_TOP", "matrix": [1,0,0, 0,1,0, 0,0,1] })";
    }
    if (!extra.empty()) o << (blocks.empty() ? "" : ",") << extra;
    o << R"(], "views": [)" << views << "] }";
    return o.str();
}

class SheetHost : public SettingsHost {
protected:
    void SetUp() override {
        SettingsHost::SetUp();
        install_template();
    }

    // The kit's template in the tool folder.
    void install_template() {
        std::ifstream in(source_path("kit/template/edmDraft.prt"), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        write_file(tool_ + "/template/edmDraft.prt", text.str());
    }
    void remove_template() { std::remove((tool_ + "/template/edmDraft.prt").c_str()); }

    static tag_t view_named(const char* name) {
        tag_t t = NULL_TAG;
        UF_VIEW_ask_tag_of_view_name(kv_test::writable(name), &t);
        return t;
    }

    // A record's data portion with the views of electrode name.
    static electrode_data data_for(const char* name) {
        electrode_data d;
        memset(&d, 0, sizeof d);
        snprintf(d.electrode_name, sizeof d.electrode_name, "%s", name);
        std::string top = std::string(name) + "_TOP";
        d.top_view_tag = view_named(top.c_str());
        d.iso_view_tag = view_named("TFR-ISO");
        return d;
    }

    static nxsim::Part& work() { return *nxsim::part(nxsim::S().work_part); }

    // The work part's drawing named name (exactly), or the null tag.
    static tag_t drawing_named(const std::string& name) {
        for (tag_t t : work().drawings) {
            nxsim::Object* o = nxsim::live_obj(t);
            if (o && o->name == name) return t;
        }
        return NULL_TAG;
    }

    static std::vector<tag_t> views_of(tag_t drawing) {
        std::vector<tag_t> out;
        for (tag_t t : nxsim::sheet_of(drawing).views)
            if (nxsim::member_view(t)) out.push_back(t);
        return out;
    }

    static nxsim::MemberView& mv(tag_t view) { return *nxsim::member_view(view); }

    // A new metric, first-angle drawing of A4 size, opened.
    static tag_t open_new_drawing(const char* name) {
        UF_DRAW_info_t info;
        memset(&info, 0, sizeof info);
        info.size_state = UF_DRAW_CUSTOM_SIZE;
        info.size.custom_size[0] = 297;
        info.size.custom_size[1] = 210;
        info.drawing_scale = 1;
        info.units = UF_PART_METRIC;
        info.projection_angle = UF_DRAW_FIRST_ANGLE_PROJECTION;
        tag_t d = NULL_TAG;
        EXPECT_EQ(0, UF_DRAW_create_drawing(name, &info, &d));
        EXPECT_EQ(0, UF_DRAW_open_drawing(d));
        return d;
    }

    // A member view of the model view at position, scale 1, updated.
    static tag_t import_at(tag_t drawing, const char* model_view, double x, double y) {
        UF_DRAW_view_info_t info;
        UF_DRAW_initialize_view_info(&info);
        UF_PART_ask_part_name(UF_ASSEM_ask_work_part(), info.model_name);  // the whole path fits here
        double at[2] = {x, y};
        tag_t v = NULL_TAG;
        EXPECT_EQ(0, UF_DRAW_import_view(drawing, view_named(model_view), at, &info, &v)) << model_view;
        return v;
    }

    // The extent of what the view shows on the sheet (NX's borders without any margin).
    static std::array<double, 4> borders(tag_t view) {
        std::array<double, 4> b{};
        nxsim::borders_of(mv(view), b.data());
        return b;
    }

    // An ordinate dimension as read back: its view, direction ('H' or 'V') and value.
    struct Dim {
        tag_t view;
        char type;
        double value;
    };
    static std::vector<Dim> dimensions() {
        std::vector<Dim> out;
        for (auto& kv : nxsim::S().ordinates)
            if (kv.second.kind == nxsim::Ordinate::Dimension && nxsim::live_obj(kv.first))
                out.push_back({kv.second.view, kv.second.dim_type == 1 ? 'H' : 'V', kv.second.value});
        return out;
    }
    static std::string dims_text(tag_t view) {
        std::string s;
        char buf[64];
        for (const Dim& d : dimensions()) {
            if (d.view != view) continue;
            snprintf(buf, sizeof buf, "%s%c%g", s.empty() ? "" : " ", d.type, d.value == 0 ? 0.0 : d.value);
            s += buf;
        }
        return s;
    }
};

}  // namespace kv_test
