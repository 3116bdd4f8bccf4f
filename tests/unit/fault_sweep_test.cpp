// The fault sweep (fault_sweep.h) over the demo and the flows that reach the messages, the
// message box, the folder browser and NX's error texts. The quick suite sweeps the calls whose
// failures once reached other electrodes; the whole sweep is the CTest test sweep.faults.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "fault_sweep.h"
#include "test_support.h"

namespace {

void report(const char* title, const kv_sweep::Figures& f) {
    printf("%s: %d calls, %d runs, %d failures fired, %d crashes, %d leaks, %d host errors, %d off the script, "
           "%d wrong-part/mixed, %d untold losses\n",
           title, (int)f.calls.size(), f.runs, f.fired, f.crashes, f.leaks, f.host_errors, f.off_script, f.spoilt,
           f.untold);
    for (const std::string& l : f.findings) printf("  %s\n", l.c_str());
}

bool containment_calls(const std::string& call) {
    static const std::set<std::string> calls = {
        "UF_DRAW_open_drawing",   "UF_DRAW_ask_current_drawing", "UF_ASSEM_set_work_part",
        "UF_PART_set_display_part", "UF_PART_ask_display_part",  "UF_ASSEM_ask_work_part",
        "UF_OBJ_set_layer",       "UF_OBJ_cycle_objs_in_part",   "UF_LAYER_ask_category_info",
        "ws_browse_folder",       "ws_module_file_path",         "ws_message_box",
        "ws_show_about_dialog",   "uc1601"};
    return calls.count(call) > 0;
}

TEST(FaultSweep, TheDemoWithTheCallsThatOnceReachedOtherElectrodes) {
    kv_sweep::Figures f;
    kv_sweep::sweep(kv_test::source_path("examples/demo"), containment_calls, &f);
    report("demo, containment calls", f);
    EXPECT_GT(f.runs, 30);
    EXPECT_EQ(0, f.crashes);
    EXPECT_EQ(0, f.leaks);
    EXPECT_EQ(0, f.spoilt);
    EXPECT_EQ(0, f.host_errors);
    EXPECT_EQ(0, f.untold);
}

// Every call, at its first three and its last call site: minutes. Run by sweep.faults.
TEST(FaultSweep, DISABLED_EveryCallOfTheDemoAndOfTheMessageFlows) {
    kv_sweep::Figures all;
    for (const char* c : {"examples/demo", "tests/scenarios/layer_checks", "tests/scenarios/create_second_run",
                          "tests/scenarios/drawing_nothing_selected", "tests/scenarios/shell_no_work_part",
                          "tests/scenarios/shell_missing_dialog_file", "tests/scenarios/drawing_existing_drawings",
                          "tests/unit/data/sweep_library_path"}) {
        kv_sweep::Figures f;
        kv_sweep::sweep(kv_test::source_path(c), nullptr, &f);
        report(c, f);
        all.runs += f.runs;
        all.fired += f.fired;
        all.crashes += f.crashes;
        all.leaks += f.leaks;
        all.host_errors += f.host_errors;
        all.off_script += f.off_script;
        all.spoilt += f.spoilt;
        all.untold += f.untold;
        all.calls.insert(f.calls.begin(), f.calls.end());
    }
    all.findings.clear();
    report("all", all);
    for (const char* call : {"uc1601", "ws_message_box", "UF_get_fail_message", "ws_browse_folder",
                             "ws_module_file_path", "ws_show_about_dialog", "UF_UI_message_dialog"})
        EXPECT_TRUE(all.calls.count(call)) << call << " is not swept";
    EXPECT_EQ(0, all.crashes);
    EXPECT_EQ(0, all.leaks);
    EXPECT_EQ(0, all.spoilt);
    EXPECT_EQ(0, all.host_errors);
    // An electrode left short of what the run without the fault gave it is named to the user.
    EXPECT_EQ(0, all.untold);
}

}  // namespace
