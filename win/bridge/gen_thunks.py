#!/usr/bin/env python3
"""Writes the Wine bridge's forwarding thunks and Wine's export tables from the calls nx.h declares.

    gen_thunks.py NX_H OUT_DIR [--arch x86_64|i686] [--records LAYOUTS_TXT]
    gen_thunks.py --layouts [--arch x86_64|i686]

For each of NX's two libraries OUT_DIR receives thunks_LIB.cpp: one thunk per call the library
exports in any release of the architecture (a moved call in both), a function kvb_NAME with the
call's own prototype that names the call for fault reports and calls the host's NAME.

NX's releases differ in which library exports a moved call (win/nx-exports.tsv, read through
win/make_def.py). Releases that export every call alike form one layout, named by its oldest
release; for each, OUT_DIR/LAYOUT/LIB.def is Wine's export table of the library as those releases
have it, each NX name bound to its thunk, so that Wine's loader meets exactly NX's names.
--layouts prints the layouts, one line each: the name, then the releases it stands for.
--records names the records the plug-in lays out differently from the host (gen_layouts.py's
layouts.txt, for i686): a thunk taking a pointer to one passes the host a copy in its layout,
copied back after the call (kvb::HostRecord, records.h); the records of an array the host hands out
by nx.h's "out-array" marks are replaced by copies in the plug-in's layout. A call reaching such a record any
other way (a hand-written call, a return value, more pointer levels) stops the generator with
exit code 1, naming the call and the record.

Calls the bridge handles by hand (paths, callbacks, memory it copied: marked "by-hand" in nx.h) get no
generated thunk; their export lines are written all the same, so that every call of nx.h is exported.
"""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import make_def  # noqa: E402  (win/make_def.py: NX's export tables and the call list)
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_layouts  # noqa: E402  (the records the plug-in lays out differently)

NX_H = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "nxapi", "nx.h")

# Calls written in calls_ufun.cpp and calls_ugopenint.cpp.
# Read by main from the marks nx.h writes after a declaration (make_def.call_marks):
# "by-hand", calls the bridge handles by hand in calls_*.cpp;
HAND_WRITTEN = set()
# "out-array(ARRAY, COUNT)", calls handing out an array of pointers to records the host allocated,
# each released by UF_free: call -> (the array's parameter, its count's parameter).
OUT_ARRAYS = {}


def read_marks(text):
    """Fills HAND_WRITTEN and OUT_ARRAYS from nx.h's marks."""
    try:
        marks = make_def.call_marks(text)
    except make_def.TableError as e:
        sys.exit("gen_thunks: %s" % e)
    for call, m in marks.items():
        if "by-hand" in m:
            HAND_WRITTEN.add(call)
        if "out-array" in m:
            if len(m["out-array"]) != 2:
                sys.exit("gen_thunks: nx.h: %s: out-array wants the array's and the count's parameter" % call)
            OUT_ARRAYS[call] = tuple(m["out-array"])


def call_section(text):
    start = text.find('extern "C" {')
    end = text.find("#ifdef __cplusplus\n}", start)
    if start < 0 or end < 0:
        sys.exit("gen_thunks: no extern \"C\" call section in nx.h")
    return re.sub(r"/\*.*?\*/", "", text[start:end], flags=re.S)


def split_params(params):
    """The parameter declarations of a prototype, split at top-level commas."""
    out, depth, cur = [], 0, ""
    for ch in params:
        if ch in "([":
            depth += 1
        elif ch in ")]":
            depth -= 1
        if ch == "," and depth == 0:
            out.append(cur.strip())
            cur = ""
        else:
            cur += ch
    if cur.strip():
        out.append(cur.strip())
    return [] if out == ["void"] else out


def param_name(decl):
    m = re.search(r"(\w+)\s*(\[[^\]]*\]\s*)*$", decl)
    if not m or m.group(1) in ("int", "double", "char", "void", "logical", "tag_t"):
        sys.exit("gen_thunks: parameter without a name: %r" % decl)
    return m.group(1)


def prototypes(text):
    """(return type, name, [parameter declarations]) of every call, in nx.h's order."""
    found = []
    for m in re.finditer(r"^\s*(?:extern\s+)?(?:DllExport\s+)?([A-Za-z_][\w ]*?[\s*]+)(\w+)\s*\(([^;]*?)\)\s*;",
                         call_section(text), flags=re.M | re.S):
        ret = " ".join(m.group(1).split())
        params = [" ".join(p.split()) for p in split_params(m.group(3))]
        found.append((ret, m.group(2), params))
    return found


def record_uses(types, copied, ret, name, params):
    """[(parameter index or -1 for the return value, record tag, pointer depth, pointee const)]
    of the records in COPIED a call reaches."""
    found = []
    for i, decl in enumerate([ret + " result"] + params):
        mem = gen_layouts.Member(decl)
        tag, stars, _ = types.resolve(mem.base, mem.stars + len(mem.dims))
        if tag in copied:
            star = mem.type_text.find("*")
            const = re.search(r"\bconst\b", mem.type_text[:star] if star >= 0 else "") is not None and mem.stars > 0
            found.append((i - 1, tag, stars, const))
    return found


def thunk(ret, name, params, both=False, uses=()):
    """The thunk of one call; BOTH: a moved call's, defined in both libraries' code (weak, so that
    a program linking both, as the bridge's unit tests do, takes one). USES: record_uses of the
    call, each copied between the layouts."""
    decls, args, pre, post = list(params), [param_name(p) for p in params], [], []
    for i, tag, stars, const in uses:
        arg = param_name(params[i])
        if stars == 1:
            decls[i] = "%skvw::%s* %s" % ("const " if const else "", tag, arg)
            pre.append("    kvb::HostRecord<::%s, kvw::%s> %s_host(%s);\n" % (tag, tag, arg, arg))
            args[i] = "%s_host.get()" % arg
        else:  # an array handed out (OUT_ARRAYS)
            count = OUT_ARRAYS[name][1]
            post.append("    if (rc == 0 && %s && %s) kvb::windows_records<::%s, kvw::%s>(*%s, *%s);\n"
                        % (arg, count, tag, tag, arg, count))
    call = "%s(%s)" % (name, ", ".join(args))
    if ret == "void":
        body = "    %s;\n" % call
    elif post:
        body = "    %s rc = %s;\n%s    return rc;\n" % (ret, call, "".join(post))
    else:
        body = "    return %s;\n" % call
    return ('extern "C" %sKVB_MS_ABI %s kvb_%s(%s) {\n    kvb::CallScope scope("%s");\n%s%s}\n'
            % ("__attribute__((weak)) " if both else "", ret, name, ", ".join(decls) or "void", name,
               "".join(pre), body))


def check_record_uses(name, uses, params):
    """Stops the generator when a call reaches a record that differs in a way no thunk copies."""
    for i, tag, stars, _ in uses:
        what = "returns" if i < 0 else "takes %r" % params[i]
        if name in HAND_WRITTEN:
            sys.exit("gen_thunks: %s (written by hand) %s, a record laid out differently by the plug-in "
                     "(%s): the bridge does not copy it" % (name, what, tag))
        if i < 0 or not (stars == 1 or (stars == 3 and name in OUT_ARRAYS and param_name(params[i]) == OUT_ARRAYS[name][0])):
            sys.exit("gen_thunks: %s %s, reaching %s, a record laid out differently by the plug-in, "
                     "in a way the bridge does not copy" % (name, what, tag))


def layouts(text, arch):
    """[(layout name, [releases], {library: [calls]})] of ARCH's releases, oldest first."""
    releases, table = make_def.load_table()
    found = []
    for release in make_def.releases_for(arch, releases):
        libs = make_def.layout(text, release, table)
        for _, members, known in found:
            if known == libs:
                members.append(release)
                break
        else:
            found.append((release, [release], libs))
    return found


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    arch = "x86_64"
    if "--arch" in argv:
        arch = argv[argv.index("--arch") + 1]
        args.remove(arch)
    copied = set()
    if "--records" in argv:
        records = argv[argv.index("--records") + 1]
        args.remove(records)
        with open(records, encoding="ascii") as f:
            copied = {line.split()[0] for line in f if line.strip()}
    if arch not in make_def.ARCH_SUFFIX:
        sys.exit(__doc__)
    if "--layouts" in argv:
        with open(NX_H, encoding="utf-8") as f:
            text = f.read()
        for name, members, _ in layouts(text, arch):
            print(name, " ".join(members))
        return
    if len(args) != 2:
        sys.exit(__doc__)
    nx_h, out = args
    with open(nx_h, encoding="utf-8") as f:
        text = f.read()
    read_marks(text)
    protos = [p for p in prototypes(text) if p[1] not in make_def.PLUGIN_OWN]
    types = gen_layouts.Types(text)
    unknown = sorted(copied - set(types.records))
    if unknown:
        sys.exit("gen_thunks: records to copy that nx.h does not declare: %s" % ", ".join(unknown))
    uses = {}
    for ret, name, params in protos:
        uses[name] = record_uses(types, copied, ret, name, params)
        check_record_uses(name, uses[name], params)
    names = [p[1] for p in protos]
    declared = [c for c in make_def.declared_calls(text) if c not in make_def.PLUGIN_OWN]
    if names != declared:
        sys.exit("gen_thunks: prototypes read differ from make_def.py's calls: %s"
                 % ", ".join(sorted(set(names) ^ set(declared))))
    unknown = sorted(HAND_WRITTEN - set(names))
    if unknown:
        sys.exit("gen_thunks: hand-written calls nx.h does not declare: %s" % ", ".join(unknown))
    try:
        found = layouts(text, arch)
    except make_def.TableError as e:
        sys.exit("gen_thunks: %s" % e)
    os.makedirs(out, exist_ok=True)
    for lib in make_def.LIBRARIES:
        exported, other = set(), set()
        for _, _, libs in found:
            exported.update(libs[lib])
            other.update(c for o in make_def.LIBRARIES if o != lib for c in libs[o])
        with open(os.path.join(out, "thunks_%s.cpp" % lib), "w", encoding="ascii") as f:
            f.write("// Generated by gen_thunks.py from nx.h: the calls of %s.dll the bridge forwards\n"
                    "// to the simulated host.\n#include \"%s\"\n\n" % (lib, "records.h" if copied else "bridge.h"))
            for ret, name, params in protos:
                if name in exported and name not in HAND_WRITTEN:
                    f.write(thunk(ret, name, params, name in other, uses[name]) + "\n")
    for layout_name, _, libs in found:
        os.makedirs(os.path.join(out, layout_name), exist_ok=True)
        for lib in make_def.LIBRARIES:
            with open(os.path.join(out, layout_name, lib + ".def"), "w", encoding="ascii") as f:
                f.write("LIBRARY %s.dll\nEXPORTS\n" % lib)
                for name in libs[lib]:
                    f.write("  %s=kvb_%s\n" % (name, name))
    print("gen_thunks: %d calls, %d by hand; layouts %s"
          % (len(protos), len(HAND_WRITTEN), ", ".join(n for n, _, _ in found)))

if __name__ == "__main__":
    main(sys.argv)
