// The bridge's core: the record of what the plug-in is doing, the copies the bridge made of the
// host's memory, and the trampolines through which the host calls plug-in code.
#include <time.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "bridge.h"
#ifdef KVB_RECORD_COPIES
#include "records.h"
#endif

namespace kvb {

namespace {

// ---- the context stack ------------------------------------------------------------------------
// Written by the thread that runs the plug-in, read by the watchdog and the exception handler:
// fixed buffers, and a depth published after its frame is written.

const int kMaxFrames = 48;

// Texts are pointers to texts that outlive the frame: building none keeps a crossing cheap.
struct Frame {
    bool entry;            // an entry into plug-in code; else an NX call
    const char* name;      // the NX call, or the entry ("menu action X", "ufsta")
    const char* object;    // a dialog callback's object, reason and dialog; name is null then
    int reason;
    const char* dialog;
};

Frame g_frames[kMaxFrames];
std::atomic<int> g_depth{0};
int g_entries = 0;                      // entries among the frames
std::atomic<long long> g_entry_start{-1};  // monotonic ms of the outermost entry's start

long long now_ms() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

void push(const Frame& frame) {
    int d = g_depth.load(std::memory_order_relaxed);
    if (d < kMaxFrames) g_frames[d] = frame;
    g_depth.store(d + 1, std::memory_order_release);
}

void pop() { g_depth.store(g_depth.load(std::memory_order_relaxed) - 1, std::memory_order_release); }

void enter_plugin(const Frame& frame) {
    if (g_entries++ == 0) g_entry_start.store(now_ms());
    push(frame);
}

void leave_plugin() {
    pop();
    if (--g_entries == 0) g_entry_start.store(-1);
}

// Marks a dialog callback's entry while it lives.
struct CallbackScope {
    CallbackScope(const char* object, int reason, const char* dialog) {
        enter_plugin(Frame{true, nullptr, object ? object : "(no object)", reason, dialog});
    }
    ~CallbackScope() { leave_plugin(); }
};

// ---- copies of host memory ----------------------------------------------------------------------

std::mutex g_copies_lock;
std::map<void*, void*> g_copies;                        // copy -> host allocation
std::map<char**, std::vector<char*>> g_string_arrays;   // array -> the host's strings

// ---- menu actions ---------------------------------------------------------------------------------

typedef UF_MB_cb_status_t(KVB_MS_ABI* PluginMbCallback)(UF_MB_widget_t, UF_MB_data_t, UF_MB_activated_button_p_t);

struct ActionRecord {
    PluginMbCallback cb;
    UF_MB_data_t data;
    std::string entry;  // "menu action NAME"
};

// The process's mappings as /proc/self/maps lists them, in address order: a table row, a name or
// a callback must lie in them to be read or called (the PE images Wine maps are among them).
struct Mapping {
    uintptr_t start, end;
    bool read, exec;
};

std::vector<Mapping> mappings() {
    std::vector<Mapping> out;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        unsigned long long start = 0, end = 0;
        char perms[8] = "";
        if (sscanf(line.c_str(), "%llx-%llx %7s", &start, &end, perms) != 3) continue;
        out.push_back({(uintptr_t)start, (uintptr_t)end, perms[0] == 'r', perms[2] == 'x'});
    }
    return out;
}

const Mapping* mapping_of(const std::vector<Mapping>& maps, uintptr_t at) {
    for (const Mapping& m : maps)
        if (at >= m.start && at < m.end) return &m;
    return nullptr;
}

bool readable(const std::vector<Mapping>& maps, const void* p, size_t n) {
    uintptr_t at = reinterpret_cast<uintptr_t>(p), end = at + n;
    if (end < at) return false;
    while (at < end) {
        const Mapping* m = mapping_of(maps, at);
        if (!m || !m->read) return false;
        at = m->end;  // adjacent mappings may carry the rest
    }
    return true;
}

// What is wrong with an action name: "" for 1-127 printable ASCII characters without spaces.
const char* name_fault(const std::vector<Mapping>& maps, const char* name) {
    const int kMaxName = 128;
    for (int i = 0; i < kMaxName; ++i) {
        if (!readable(maps, name + i, 1)) return "name unreadable";
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == '\0') return i > 0 ? "" : "name not a text";
        if (c <= 0x20 || c > 0x7e) return "name not a text";
    }
    return "name not a text";
}

// The host calls this with the record as client data.
UF_MB_cb_status_t action_trampoline(UF_MB_widget_t w, UF_MB_data_t data, UF_MB_activated_button_p_t button) {
    ActionRecord* rec = static_cast<ActionRecord*>(data);
    EntryScope entry(rec->entry.c_str());
    return rec->cb(w, rec->data, button);
}

// ---- dialog callbacks -----------------------------------------------------------------------------
// The host passes a dialog callback no data of its own, so each distinct plug-in callback gets a
// trampoline of its own: a fixed pool, slots taken for good (a plug-in has a few dozen).

typedef int(KVB_MS_ABI* PluginStylerCallback)(int, void*, UF_STYLER_item_value_type_p_t);

const int kSlots = 256;
PluginStylerCallback g_slots[kSlots];
int g_slots_used = 0;
std::deque<std::string> g_dialogs;  // the dialogs open, innermost last (a deque keeps their texts in place)

const char* reason_name(int reason) {
    static const char* names[] = {"activate", "value changed", "drag", "double click", "OK", "Apply",
                                  "Back", "Cancel", "constructor", "destructor", "file operation", "switch"};
    return reason >= 0 && reason < (int)(sizeof names / sizeof names[0]) ? names[reason] : "unknown reason";
}

int call_slot(int k, int dialog_id, void* client_data, UF_STYLER_item_value_type_p_t data) {
    CallbackScope entry(data ? data->item_id : nullptr, data ? data->reason : -1,
                        g_dialogs.empty() ? nullptr : g_dialogs.back().c_str());
#ifdef KVB_RECORD_COPIES
    // The plug-in reads the call data in its own layout (i686: records.h).
    kvb::WindowsRecord<UF_STYLER_item_value_type_s, kvw::UF_STYLER_item_value_type_s> shown(data);
    return g_slots[k](dialog_id, client_data, shown.get());
#else
    return g_slots[k](dialog_id, client_data, data);
#endif
}

template <int K>
int styler_trampoline(int dialog_id, void* client_data, UF_STYLER_item_value_type_p_t data) {
    return call_slot(K, dialog_id, client_data, data);
}

template <int... K>
constexpr std::array<UF_STYLER_cb_f_t, sizeof...(K)> make_trampolines(std::integer_sequence<int, K...>) {
    return {{&styler_trampoline<K>...}};
}

const std::array<UF_STYLER_cb_f_t, kSlots> g_trampolines = make_trampolines(std::make_integer_sequence<int, kSlots>{});

// The slot of the plug-in callback cb, taken when new; -1 when the pool is exhausted.
int slot_of(PluginStylerCallback cb) {
    for (int k = 0; k < g_slots_used; ++k)
        if (g_slots[k] == cb) return k;
    if (g_slots_used == kSlots) return -1;
    g_slots[g_slots_used] = cb;
    return g_slots_used++;
}
}  // namespace

CallScope::CallScope(const char* call) { push(Frame{false, call, nullptr, 0, nullptr}); }
CallScope::~CallScope() { pop(); }

EntryScope::EntryScope(const char* what) { enter_plugin(Frame{true, what, nullptr, 0, nullptr}); }
EntryScope::~EntryScope() { leave_plugin(); }

int describe_context(char* out, size_t size) {
    if (!out || size == 0) return 0;
    out[0] = '\0';
    int depth = g_depth.load(std::memory_order_acquire);
    size_t used = 0;
    for (int i = 0; i < depth && i < kMaxFrames; ++i) {
        const Frame& f = g_frames[i];
        const char* sep = used ? " > " : "";
        int n = !f.entry  ? snprintf(out + used, size - used, "%sNX call %s", sep, f.name)
                : f.name  ? snprintf(out + used, size - used, "%s%s", sep, f.name)
                          : snprintf(out + used, size - used, "%sdialog callback of %s (%s)%s%s", sep, f.object,
                                     reason_name(f.reason), f.dialog ? " in " : "", f.dialog ? f.dialog : "");
        if (n < 0 || (size_t)n >= size - used) break;
        used += (size_t)n;
    }
    return 0;
}

long long entry_elapsed_ms() {
    long long start = g_entry_start.load();
    return start < 0 ? -1 : now_ms() - start;
}

void remember_copy(void* copy, void* original) {
    std::lock_guard<std::mutex> lock(g_copies_lock);
    g_copies[copy] = original;
}

void* release_copy(void* data) {
    std::lock_guard<std::mutex> lock(g_copies_lock);
    auto it = g_copies.find(data);
    if (it == g_copies.end()) return data;
    void* original = it->second;
    free(it->first);
    g_copies.erase(it);
    return original;
}

void remember_string_array(char** array, int n, char** originals) {
    std::lock_guard<std::mutex> lock(g_copies_lock);
    g_string_arrays[array] = std::vector<char*>(originals, originals + n);
}

bool restore_string_array(char** array, int n) {
    std::lock_guard<std::mutex> lock(g_copies_lock);
    auto it = g_string_arrays.find(array);
    if (it == g_string_arrays.end()) return false;
    for (int i = 0; i < n && i < (int)it->second.size(); ++i) {
        if (array[i] != it->second[i]) free(array[i]);
        array[i] = it->second[i];
    }
    g_string_arrays.erase(it);
    return true;
}

UF_MB_action_t* wrap_actions(const UF_MB_action_t* table, int max_rows, std::string* why) {
    const std::vector<Mapping> maps = mappings();
    int rows = 0;
    for (;; ++rows) {
        if (rows == max_rows) {
            *why = "no end row within " + std::to_string(max_rows) + " rows";
            return nullptr;
        }
        const UF_MB_action_t& row = table[rows];
        if (!readable(maps, &row, sizeof row)) {
            *why = "row " + std::to_string(rows) + " cannot be read";
            return nullptr;
        }
        if (!row.action_name && !row.action_cb.cb && !row.action_cb.cb_data) break;
        // A missing name or callback the host judges; a pointer that is there must be what it says.
        const char* name = row.action_name ? name_fault(maps, row.action_name) : "";
        const Mapping* code = row.action_cb.cb ? mapping_of(maps, reinterpret_cast<uintptr_t>(row.action_cb.cb)) : nullptr;
        bool not_code = row.action_cb.cb && (!code || !code->exec);
        if (name[0] || not_code) {
            *why = "row " + std::to_string(rows) + " is neither an action nor the end row (" +
                   (name[0] ? name : row.action_name ? "name ok" : "no name") + ", " +
                   (not_code ? "callback not code" : row.action_cb.cb ? "callback ok" : "no callback") + ")";
            return nullptr;
        }
    }
    UF_MB_action_t* copy = new UF_MB_action_t[rows + 1]();
    for (int i = 0; i < rows; ++i) {
        copy[i] = table[i];
        if (!table[i].action_cb.cb) continue;  // the host judges a row without a callback
        ActionRecord* rec = new ActionRecord{reinterpret_cast<PluginMbCallback>(table[i].action_cb.cb),
                                             table[i].action_cb.cb_data,
                                             std::string("menu action ") +
                                                 (table[i].action_name ? table[i].action_name : "(unnamed)")};
        copy[i].action_cb.cb = action_trampoline;
        copy[i].action_cb.cb_data = rec;
    }
    return copy;
}

UF_STYLER_callback_info_t* wrap_callbacks(const UF_STYLER_callback_info_t* cbs, int number_of_cbs,
                                          const char* dialog_file) {
    UF_STYLER_callback_info_t* copy = new UF_STYLER_callback_info_t[number_of_cbs];
    for (int i = 0; i < number_of_cbs; ++i) {
        copy[i] = cbs[i];
        if (!cbs[i].callback_proc) continue;
        int k = slot_of(reinterpret_cast<PluginStylerCallback>(cbs[i].callback_proc));
        if (k < 0) {
            delete[] copy;
            return nullptr;
        }
        copy[i].callback_proc = g_trampolines[k];
    }
    g_dialogs.push_back(dialog_file ? dialog_file : "(no file)");
    return copy;
}

void release_callbacks(UF_STYLER_callback_info_t* copy) {
    if (!copy) return;
    delete[] copy;
    if (!g_dialogs.empty()) g_dialogs.pop_back();
}

void call_ufsta(void* ufsta) {
    typedef void(KVB_MS_ABI * Ufsta)(char*, int*, int);
    char param[1] = "";
    int retcod = 0;
    EntryScope entry("ufsta");
    reinterpret_cast<Ufsta>(ufsta)(param, &retcod, 0);
}

}  // namespace kvb
