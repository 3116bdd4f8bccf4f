#!/usr/bin/env python3
"""Writes the module-definition files of NX's two API libraries from the calls nx.h declares.

    make_def.py NX_H OUT_DIR [--arch i686|x86_64]

OUT_DIR receives libufun.def and libugopenint.def. Every call of nx.h's call section goes to
the library that exports it in NX (a short list lives in libugopenint.dll, the rest in
libufun.dll); ufsta is the plug-in's own entry and is left out. On 32-bit Windows NX's import
names carry cdecl's leading underscore, on 64-bit none.
"""
import os
import re
import sys

# The calls libugopenint.dll exports; every other call of nx.h is libufun.dll's.
UGOPENINT = {
    "UF_DISP_load_color_table", "UF_MB_add_actions", "UF_STYLER_ask_value",
    "UF_STYLER_create_dialog", "UF_STYLER_free_value", "UF_STYLER_set_value",
    "UF_UI_message_dialog", "UF_UI_select_by_class", "UF_UI_set_status", "uc1601",
}
PLUGIN_OWN = {"ufsta"}


def declared_calls(text):
    """Names of the functions declared in nx.h's extern "C" call section, in order."""
    start = text.find('extern "C" {')
    if start < 0:
        sys.exit("make_def: no extern \"C\" call section in nx.h")
    end = text.find("#ifdef __cplusplus\n}", start)
    section = text[start:end if end > 0 else len(text)]
    section = re.sub(r"/\*.*?\*/", "", section, flags=re.S)
    names = []
    for m in re.finditer(r"^\s*(?:extern\s+)?(?:DllExport\s+)?[A-Za-z_][\w ]*?[\s*]+(\w+)\s*\(",
                         section, flags=re.M):
        name = m.group(1)
        if name not in names:
            names.append(name)
    return names


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    arch = "x86_64"
    for i, a in enumerate(argv):
        if a == "--arch" and i + 1 < len(argv):
            arch = argv[i + 1]
            args = [x for x in args if x != arch]
    if len(args) != 2 or arch not in ("i686", "x86_64"):
        sys.exit(__doc__)
    nx_h, out = args
    with open(nx_h, encoding="utf-8") as f:
        calls = [c for c in declared_calls(f.read()) if c not in PLUGIN_OWN]
    missing = sorted(UGOPENINT - set(calls))
    if missing:
        sys.exit("make_def: %s: libugopenint calls not declared: %s" % (nx_h, ", ".join(missing)))
    prefix = "_" if arch == "i686" else ""
    os.makedirs(out, exist_ok=True)
    for lib, members in (("libufun", [c for c in calls if c not in UGOPENINT]),
                         ("libugopenint", [c for c in calls if c in UGOPENINT])):
        with open(os.path.join(out, lib + ".def"), "w", encoding="ascii") as f:
            f.write("LIBRARY %s.dll\nEXPORTS\n" % lib)
            for c in members:
                f.write("    %s%s\n" % (prefix, c))
    print("make_def: %d calls in libufun.def, %d in libugopenint.def (%s)"
          % (len(calls) - len(UGOPENINT), len(UGOPENINT), arch))


if __name__ == "__main__":
    main(sys.argv)
