// Object selection (answered from the scenario: objects picked by name) and highlighting.
#include <algorithm>

#include "util.h"

using namespace nxsim;

namespace {

// UF_UI_select_by_class answers with its own numbering: 1 Back, 2 Cancel, 3 OK.
const int kSelectCancel = 2;
const int kSelectOk = 3;

bool matches_mask(const Object& o, const UF_UI_selection_options_p_t opts) {
    if (!opts || opts->num_mask_triples <= 0 || !opts->mask_triples) return true;
    for (int i = 0; i < opts->num_mask_triples; ++i) {
        const UF_UI_mask_t& m = opts->mask_triples[i];
        if (m.object_type == o.type && m.object_subtype == o.subtype) return true;
    }
    return false;
}

// What the user can pick in the graphics window: shown objects of the work part on the work
// layer or a selectable layer.
bool pickable(const Part& p, const Object& o) {
    // A sheet's objects are picked on their sheet, which this selection does not show.
    if (!o.alive || o.temporary || o.blank || o.sheet || o.layer < 1 || o.layer > 256) return false;
    int st = p.layer_status[o.layer];
    return st == UF_LAYER_WORK_LAYER || st == UF_LAYER_ACTIVE_LAYER;
}

tag_t find_pickable(const Part& p, const std::string& gbk_name, const UF_UI_selection_options_p_t opts) {
    for (tag_t t : p.order) {
        const Object* o = obj(t);
        if (o && o->name == gbk_name && pickable(p, *o) && matches_mask(*o, opts)) return t;
    }
    return NULL_TAG;
}

}  // namespace

extern "C" {

// Answers from the next scripted select answer: response 3 with the objects named, or 2; 0, or NX's error code.
int UF_UI_select_by_class(char* message, UF_UI_selection_options_p_t opts, int* response, int* count,
                          tag_p_t* object) {
    if (response) *response = 0;
    if (count) *count = 0;
    if (object) *object = nullptr;
    if (int rc = enter("UF_UI_select_by_class")) return rc;
    if (!response || !count || !object) return ERR_BAD_ARG;
    Session& s = S();
    Part* w = work_part();
    if (!w) return ERR_NO_WORK_PART;
    std::string cue = to_utf8(message ? message : "");
    if (s.answers.empty() || s.answers.front().kind != Answer::Select) {
        error("selection \"" + cue + "\" opened with no scripted select answer; cancelled");
        s.transcript.push_back("select: " + cue + " -> cancelled");
        *response = kSelectCancel;
        return 0;
    }
    Answer a = s.answers.front();
    s.answers.pop_front();
    if (a.cancel) {
        s.transcript.push_back("select: " + cue + " -> cancelled");
        *response = kSelectCancel;
        return 0;
    }
    std::vector<tag_t> picked;
    std::string shown;
    for (const std::string& name : a.names) {
        tag_t t = find_pickable(*w, to_gbk(name), opts);
        if (t == NULL_TAG) {
            error(a.where + ": no object named '" + name + "' can be picked for \"" + cue + "\"");
            continue;
        }
        if (std::find(picked.begin(), picked.end(), t) != picked.end()) continue;
        picked.push_back(t);
        shown += (shown.empty() ? "" : ", ") + name;
    }
    s.transcript.push_back("select: " + cue + " -> " + (picked.empty() ? "nothing" : shown));
    *response = kSelectOk;
    *object = tag_array(picked, "UF_UI_select_by_class");
    *count = (int)picked.size();
    return 0;
}

// Checks the object and the switch (0 or 1); the host draws nothing; 0, or NX's error code.
int UF_DISP_set_highlight(tag_t object_id, int action_switch) {
    if (int rc = enter("UF_DISP_set_highlight")) return rc;
    if (!live_obj(object_id)) return ERR_BAD_TAG;
    if (action_switch != 0 && action_switch != 1) return ERR_BAD_ARG;
    return 0;
}

}  // extern "C"
