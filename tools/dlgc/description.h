// The plain-text dialog descriptions (kit/dialogs/*.dlg.txt, docs/dlg-format.md), compiled into
// the UIStyler files NX opens.
#pragma once

#include <string>
#include <vector>

#include "uistyler_format.h"

namespace dlgc {

// One object as the description states it (texts UTF-8), for the shop's check table.
struct Row {
    std::string id, kind, label;
    std::vector<std::string> callbacks;  // "activate", "double_click (opens a dialog)"
};
struct Description {
    std::string name, title;
    std::vector<std::string> callbacks;  // the dialog's, as in Row
    std::vector<Row> rows;
    uistyler::File file;  // texts GBK
};

// Reads the description at path: 0, or -1 with *err as "path:line: what is wrong".
int read_description(const std::string& path, Description* out, std::string* err);
// The same from text already read; path only names it in refusals.
int parse_description(const std::string& path, const std::string& text, Description* out, std::string* err);
// The check table of d as Markdown: one row per object (identifier, kind, label, callbacks).
std::string check_table(const Description& d);

}  // namespace dlgc
