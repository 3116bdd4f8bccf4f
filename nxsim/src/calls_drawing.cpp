// Drawings of the work part (listing, deleting, the current drawing), the question dialog answered
// from the scenario, fitting a view and refreshing the display.
#include <cstring>
#include <string>

#include "util.h"

using namespace nxsim;

namespace nxsim {

Object& new_drawing(Part& p, const std::string& name) {
    Object& o = new_unlisted_object(p.tag, T_DRAWING);  // a sheet lies on no layer
    o.name = name;
    auto& list = p.by_type[T_DRAWING];
    o.type_pos = list.size();
    list.push_back(o.tag);
    p.drawings.push_back(o.tag);
    return o;
}

}  // namespace nxsim

namespace {

struct Button {
    bool shown;
    std::string label;  // GBK
    int response;
};

}  // namespace

extern "C" {

// The displayed part's current drawing, or the null tag (also without a part); 0, or NX's error code.
int UF_DRAW_ask_current_drawing(tag_t* drawing_tag) {
    if (drawing_tag) *drawing_tag = NULL_TAG;
    if (int rc = enter("UF_DRAW_ask_current_drawing")) return rc;
    if (!drawing_tag) return ERR_BAD_ARG;
    // The current drawing is the displayed part's; without a part there is none.
    Part* p = display_part();
    if (!p) return 0;
    Object* o = live_obj(p->current_drawing);
    if (o && o->type == T_DRAWING) *drawing_tag = o->tag;
    return 0;
}

// Hands out the work part's drawings in creation order (none: no array); 0, or NX's error code.
int UF_DRAW_ask_drawings(int* num_drawings, tag_p_t* drawing_tags) {
    if (num_drawings) *num_drawings = 0;
    if (drawing_tags) *drawing_tags = nullptr;
    if (int rc = enter("UF_DRAW_ask_drawings")) return rc;
    if (!num_drawings || !drawing_tags) return ERR_BAD_ARG;
    Part* p = work_part();
    if (!p) return ERR_NO_WORK_PART;
    std::vector<tag_t> live;
    for (tag_t t : p->drawings)
        if (live_obj(t)) live.push_back(t);
    *drawing_tags = tag_array(live, "UF_DRAW_ask_drawings");  // none: no array is handed out
    *num_drawings = (int)live.size();
    return 0;
}

// Deletes a drawing with its views and what lies on it; its part then shows the model; 0, or NX's error code.
int UF_DRAW_delete_drawing(const tag_t drawing_tag) {
    if (int rc = enter("UF_DRAW_delete_drawing")) return rc;
    Object* o = live_obj(drawing_tag);
    if (!o || o->type != T_DRAWING) return ERR_BAD_TAG;
    Part* p = part(o->part);
    o->alive = false;
    drop_sheet(drawing_tag);  // its views and what lies on it go with it
    if (p) {
        auto& d = p->drawings;
        for (size_t i = 0; i < d.size(); ++i)
            if (d[i] == drawing_tag) {
                d.erase(d.begin() + (long)i);
                break;
            }
        // Deleting the shown sheet returns the part to the model.
        if (p->current_drawing == drawing_tag) p->current_drawing = NULL_TAG;
    }
    return 0;
}

// Shows the messages, answered by a question answer; 0, or NX's code. Host's choice: none closes it as the last button.
int UF_UI_message_dialog(char* title_string, UF_UI_MESSAGE_DIALOG_TYPE dialog_type, char** messages,
                         int num_messages, logical translate, UF_UI_message_buttons_t* buttons,
                         int* response) {
    (void)title_string;
    (void)translate;
    if (response) *response = 0;
    if (int rc = enter("UF_UI_message_dialog")) return rc;
    if (!response || num_messages < 1 || !messages) return ERR_BAD_ARG;
    if ((int)dialog_type < UF_UI_MESSAGE_ERROR || (int)dialog_type > UF_UI_MESSAGE_QUESTION) return ERR_BAD_ARG;
    Button b[3];
    if (!buttons) {
        b[0] = {true, "OK", 1};
        b[1] = {false, "", 0};
        b[2] = {false, "", 0};
    } else {
        b[0] = {buttons->button1 != 0, buttons->label1 ? buttons->label1 : "OK", buttons->response1};
        b[1] = {buttons->button2 != 0, buttons->label2 ? buttons->label2 : "Back", buttons->response2};
        b[2] = {buttons->button3 != 0, buttons->label3 ? buttons->label3 : "Cancel", buttons->response3};
    }
    int shown = 0;
    for (const Button& x : b) {
        if (!x.shown) continue;
        ++shown;
        if (x.response < 1 || x.response > 100) {
            error("UF_UI_message_dialog: a shown button's response must be 1 to 100");
            return ERR_BAD_ARG;
        }
    }
    if (shown == 0) {
        error("UF_UI_message_dialog: no button is shown");
        return ERR_BAD_ARG;
    }
    for (int i = 0; i < num_messages; ++i) add_transcript("question", messages[i] ? messages[i] : "");

    Session& s = S();
    int pressed = -1;  // index into b
    if (s.answers.empty() || s.answers.front().kind != Answer::Question) {
        error("message dialog opened with no scripted question answer; closed by the user");
    } else {
        Answer a = s.answers.front();
        s.answers.pop_front();
        int i = a.button - 1;
        if (i < 0 || i > 2 || !b[i].shown)
            error(a.where + ": button " + std::to_string(a.button) + " is not shown by this message dialog");
        else
            pressed = i;
    }
    if (pressed < 0) {
        // Closing the box by its frame answers like its last shown button.
        for (int i = 2; i >= 0; --i)
            if (b[i].shown) {
                *response = b[i].response;
                break;
            }
        s.transcript.push_back("answer: (closed)");
        return 0;
    }
    *response = b[pressed].response;
    add_transcript("answer", b[pressed].label);
    return 0;
}

// Fits a view (mode 1) or the layout's views (2) to what is visible; 0, or NX's code. Host's choice: not on a drawing.
int uc6432(char* cp1, int ip2) {
    if (int rc = enter("uc6432")) return rc;
    // Fitting works on the model views and the layout (calls_views.cpp).
    return fit_view(cp1, ip2);
}

// Redraws the graphics window; void in NX. The host keeps no graphics: nothing changes.
void UF_DISP_refresh(void) {
    enter("UF_DISP_refresh");
}

}  // extern "C"
