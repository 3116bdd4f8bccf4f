#!/usr/bin/env python3
"""Writes stand-in NX Open C headers of one NX era, made from nx.h's own declarations.

    make_sdk_standin.py NX_H OUT_DIR --release nx4|nx10

NX's SDK cannot be shipped with the project, so the plug-in's build with KELVORA_NX_SDK is
checked against headers that differ from nx.h where NX's real headers do (nx-sdk-facts):
  nx4   the 32-bit releases NX4 to NX7.5: sizes in bytes and no *_BUFSIZE macro; uc6464 only in
        uf_layout.h (uf_view.h does not include it); the five void calls.
  nx10  NX10 and later: multibyte *_BUFSIZE sizes (a name may take 384 bytes); uc6464 also
        reachable through uf_view.h; const texts where the old releases took char *.
Every header nx.h includes in SDK mode is written; each carries the whole declaration set but
uc6464, which only uf_layout.h (and, from NX10, uf_view.h) declares.
"""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import make_def  # noqa: E402  (win/make_def.py: nx.h's call section and its marks)

OLD_SIZES = """#define UF_OBJ_NAME_LEN           30
#define MAX_ENTITY_NAME_SIZE      30
#define MAX_FSPEC_SIZE            256
#define MAX_LINE_SIZE             132
#define UF_CFI_MAX_FILE_NAME_LEN  128
#define UF_CFI_MAX_PATH_NAME_SIZE 256
"""
NEW_SIZES = """#define NX_BUFSIZE(n) (3 * (n) + 1)
#define UF_OBJ_NAME_NCHARS  128
#define UF_OBJ_NAME_BUFSIZE NX_BUFSIZE(UF_OBJ_NAME_NCHARS)
#define UF_OBJ_NAME_LEN     (UF_OBJ_NAME_BUFSIZE - 1)
#define MAX_ENTITY_NAME_SIZE (UF_OBJ_NAME_BUFSIZE - 1)
#define MAX_FSPEC_NCHARS    1156
#define MAX_FSPEC_BUFSIZE   NX_BUFSIZE(MAX_FSPEC_NCHARS)
#define MAX_FSPEC_SIZE      (MAX_FSPEC_BUFSIZE - 1)
#define MAX_LINE_NCHARS     132
#define MAX_LINE_BUFSIZE    NX_BUFSIZE(MAX_LINE_NCHARS)
#define MAX_LINE_SIZE       (MAX_LINE_BUFSIZE - 1)
#define UF_CFI_MAX_FILE_NAME_NCHARS  256
#define UF_CFI_MAX_FILE_NAME_BUFSIZE NX_BUFSIZE(UF_CFI_MAX_FILE_NAME_NCHARS)
#define UF_CFI_MAX_FILE_NAME_LEN     (UF_CFI_MAX_FILE_NAME_BUFSIZE - 1)
#define UF_CFI_MAX_PATH_NAME_SIZE    (MAX_FSPEC_BUFSIZE - 1)
"""
# Parameters the 32-bit releases take as char * and later releases as const char *.
# Marked "const-from-nx10(PARAM, ...)" in nx.h: texts NX4 to NX7.5 declare writable (as nx.h
# does) and NX10 const. The undo marks' names take the const type NX10 gives them.
CONST_FORMS = (("char *", "const char *"), ("UF_UNDO_mark_name_t ", "UF_UNDO_mark_name_c_t "))


def make_const(decls, call, param):
    """decls with PARAM of CALL's declaration in its NX10 form; stops when it is not found."""
    m = re.search(r"[ *]%s\(" % re.escape(call), decls)
    if not m:
        fail("nx.h: %s: marked const-from-nx10 but not declared" % call)
    end = decls.index(";", m.end())
    decl = decls[m.start():end]
    for old, new in CONST_FORMS:
        pm = re.search(re.escape(old) + r"\s*" + re.escape(param) + r"\b", decl)
        if pm and not decl[:pm.start()].rstrip().endswith("const"):
            fixed = decl[:pm.start()] + decl[pm.start():pm.end()].replace(old, new, 1) + decl[pm.end():]
            return decls[:m.start()] + fixed + decls[end:]
    fail("nx.h: %s: no writable parameter %s to make const" % (call, param))


UC6464 = re.compile(r"^int uc6464\(.*?\);\n", re.M | re.S)


def fail(msg):
    sys.exit("make_sdk_standin: " + msg)


def main(argv):
    if len(argv) != 5 or argv[3] != "--release" or argv[4] not in ("nx4", "nx10"):
        fail(__doc__)
    nx_h, out, release = argv[1], argv[2], argv[4]
    text = open(nx_h, encoding="utf-8").read()
    headers = re.findall(r"#include <(uf\w*\.h)>", text[:text.find("#else /* !KELVORA_NX_SDK */")])
    try:
        decls = text[text.index("#else /* !KELVORA_NX_SDK */") + 27:text.index("#endif /* KELVORA_NX_SDK */")]
        begin = decls.index("/* ---- sizes (begin)")
        end = decls.index("/* ---- sizes (end) ---- */")
    except ValueError:
        fail("%s: declaration section or sizes block not found" % nx_h)
    decls = decls[:begin] + (OLD_SIZES if release == "nx4" else NEW_SIZES) + decls[end:]
    if release == "nx10":
        try:
            marks = make_def.call_marks(text)
        except make_def.TableError as e:
            fail(str(e))
        for call, m in sorted(marks.items()):
            for param in m.get("const-from-nx10", []):
                decls = make_const(decls, call, param)
    m = UC6464.search(decls)
    if not m:
        fail("%s: uc6464 not declared" % nx_h)
    layout_decl = m.group(0)
    decls = decls[:m.start()] + decls[m.end():]
    os.makedirs(out, exist_ok=True)
    common = "/* Stand-in NX Open C header (%s), generated from nx.h. */\n" % release
    with open(os.path.join(out, "kv_standin_decls.h"), "w", encoding="utf-8") as f:
        f.write(common + "#ifndef KV_STANDIN_DECLS_H\n#define KV_STANDIN_DECLS_H\n")
        f.write(decls)
        f.write("\n#endif\n")
    layout = ('#ifndef KV_STANDIN_LAYOUT_H\n#define KV_STANDIN_LAYOUT_H\n#include "kv_standin_decls.h"\n'
              '#ifdef __cplusplus\nextern "C" {\n#endif\n' + layout_decl +
              '#ifdef __cplusplus\n}\n#endif\n#endif\n')
    for h in headers:
        with open(os.path.join(out, h), "w", encoding="utf-8") as f:
            f.write(common)
            if h == "uf_layout.h":
                f.write(layout)
            elif h == "uf_view.h" and release == "nx10":
                f.write('#include "uf_layout.h"\n')
            else:
                f.write('#include "kv_standin_decls.h"\n')
    print("make_sdk_standin: %d headers for %s in %s" % (len(headers), release, out))


if __name__ == "__main__":
    main(sys.argv)
