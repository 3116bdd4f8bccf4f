// A session with a tool folder of its own, the kit's dialogs and the menu actions registered,
// for the tests of the layer and create dialogs and of the electrode part files. Scripted user
// events are built with the small helpers below.
#pragma once

#include <string>
#include <vector>

#include "config_fixture.h"
#include "shell/shell.h"

namespace kv_test {

// Settings of the layer and create tests: prefix E, two digits, range 101-200, ECS orange.
const char kElectrodeConfig[] =
    "ELECTRODE_PREFIX_NAME=E\n"
    "ELECTRODE_NUMBER_LENGTH=2\n"
    "ELECTRODE_START_LAYER=101\n"
    "ELECTRODE_END_LAYER=200\n"
    "ELECTRODE_COLOR_SET=1\n"
    "ELECTRODE_COLOR_R=255\n"
    "ELECTRODE_COLOR_G=128\n"
    "ELECTRODE_COLOR_B=0\n"
    "ELECTRODE_PART_PREFIX_NAME=$PART_NAME\n"
    "ELECTRODE_PART_SEPARATOR=_\n";

inline nxsim::Answer pick(const std::vector<std::string>& names) {
    nxsim::Answer a;
    a.kind = nxsim::Answer::Select;
    a.names = names;
    a.where = "test";
    return a;
}

inline nxsim::Answer pick_cancel() {
    nxsim::Answer a = pick({});
    a.cancel = true;
    return a;
}

// A folder the shell shows that has no path on disk (此电脑).
inline nxsim::Answer virtual_folder(const std::string& name) {
    nxsim::Answer a;
    a.kind = nxsim::Answer::Folder;
    a.text = name;
    a.no_path = true;
    a.where = "test";
    return a;
}

inline nxsim::Answer folder(const std::string& path) {
    nxsim::Answer a;
    a.kind = nxsim::Answer::Folder;
    a.text = path;
    a.cancel = path.empty();
    a.where = "test";
    return a;
}

inline nxsim::DialogEvent event(nxsim::DialogEvent::Kind kind, const std::string& object = "",
                                nlohmann::json value = nullptr, std::vector<nxsim::Answer> answers = {}) {
    nxsim::DialogEvent e;
    e.kind = kind;
    e.object = object;
    e.value = std::move(value);
    e.answers = std::move(answers);
    e.where = "test";
    return e;
}

inline nxsim::DialogEvent press(const std::string& id, std::vector<nxsim::Answer> answers = {}) {
    return event(nxsim::DialogEvent::Press, id, nullptr, std::move(answers));
}
inline nxsim::DialogEvent set(const std::string& id, nlohmann::json value) {
    return event(nxsim::DialogEvent::Set, id, std::move(value));
}
inline nxsim::DialogEvent choose(const std::string& id, nlohmann::json items) {
    return event(nxsim::DialogEvent::Select, id, std::move(items));
}
inline nxsim::DialogEvent ok() { return event(nxsim::DialogEvent::Ok); }
inline nxsim::DialogEvent apply() { return event(nxsim::DialogEvent::Apply); }
inline nxsim::DialogEvent cancel() { return event(nxsim::DialogEvent::Cancel); }

class CreateHost : public SettingsHost {
protected:
    void SetUp() override {
        SettingsHost::SetUp();
        nxsim::set_dialog_folder(source_path("kit/application"));
        config(kElectrodeConfig);
        ufsta(nullptr, nullptr, 0);
    }
    // Picks the menu action and plays the events in the dialog it opens.
    void run(const std::string& action, const std::vector<nxsim::DialogEvent>& events) {
        nxsim::queue_events(events);
        ASSERT_EQ(0, nxsim::run_action(action));
        EXPECT_EQ(0u, nxsim::pending_events());
    }
    tag_t work() { return UF_ASSEM_ask_work_part(); }
    // The first live object of the session with that name (GBK), or the null tag.
    static tag_t named(const std::string& name, tag_t in_part = NULL_TAG) {
        for (tag_t p : nxsim::parts())
            for (tag_t t : nxsim::S().parts[p].order) {
                const nxsim::Object& o = nxsim::S().objects[t];
                if (o.alive && o.name == name && (!in_part || o.part == in_part)) return t;
            }
        return NULL_TAG;
    }
    static const nxsim::Object& object(tag_t t) { return nxsim::S().objects[t]; }
    // Live objects of a part of the given type, in creation order.
    static std::vector<tag_t> of_type(tag_t part, int type) {
        std::vector<tag_t> out;
        for (tag_t t : nxsim::S().parts[part].order) {
            const nxsim::Object& o = nxsim::S().objects[t];
            if (o.alive && !o.temporary && o.type == type) out.push_back(t);
        }
        return out;
    }
    // Messages the user acknowledged (GBK).
    std::vector<std::string> messages() {
        std::vector<std::string> out;
        for (auto& l : seen())
            if (l.rfind("message: ", 0) == 0) out.push_back(l.substr(9));
        return out;
    }
};

}  // namespace kv_test
