#!/usr/bin/env python3
"""Finds the records of nx.h that Linux i386 and Windows i686 lay out differently, and writes the
Windows layout of each with the copies between the two.

    gen_layouts.py NX_H OUT_DIR [--linux-cxx CMD] [--windows-cxx CMD]
    gen_layouts.py NX_H --list [--linux-cxx CMD] [--windows-cxx CMD]

The i386 Linux ABI aligns a double member of a record to 4 bytes, Windows to 8: a record with a
double after an odd number of 4-byte members, or a union holding a double, has other offsets or
another size on each side. Both compilers (default `g++ -m32` and `i686-w64-mingw32-g++`) compile
a probe of every record's size, alignment and member offsets (read from their assembly: nothing
runs). A record differs when any of these differ, or when it holds a record that differs.

OUT_DIR/layouts.h declares, for each record R that differs, kvw::R: R as the plug-in's compiler
lays it out (doubles aligned to 8), checked against the offsets measured with the Windows compiler,
and kvw::to_host(const kvw::R&, R&) and kvw::to_windows(const R&, kvw::R&), copying member by
member. OUT_DIR/layouts.txt names those records (the tag, then every typedef name of the record
and of pointers to it), for gen_thunks.py. --list prints that text.

A record that differs and that the bridge could not copy stops the generator with exit code 1
naming it: one reached through a pointer member of another record, or a union holding records
that differ without a member telling which one is meant (DISCRIMINATED below).
"""
import os
import re
import shlex
import subprocess
import sys
import tempfile

# Unions holding records that differ, in the records that say which member is meant:
# (record tag, union member) -> (discriminating member, {value: union member}).
DISCRIMINATED = {
    ("UF_MODL_intersect_info_s", "intersect"): ("intersect_type", {
        "UF_MODL_INTERSECT_POINT": "point",
        "UF_MODL_INTERSECT_COINCIDE": "coincide",
        "UF_MODL_INTERSECT_CURVE": "curve",
    }),
}

# Callback types whose record parameters the bridge's trampolines copy (core.cpp).
CALLBACKS_COPIED = {"UF_STYLER_cb_f_t": {"UF_STYLER_item_value_type_s"}}


class LayoutError(Exception):
    pass


def types_section(text):
    """nx.h's declarations before its calls, comments removed."""
    end = text.find('extern "C" {')
    return re.sub(r"/\*.*?\*/", "", text[:end if end >= 0 else len(text)], flags=re.S)


class Member:
    def __init__(self, decl):
        self.decl = " ".join(decl.split())
        m = re.match(r"^(.*?)(\w+)\s*((?:\[[^\]]*\]\s*)*)$", self.decl)
        if not m:
            raise LayoutError("cannot read the member %r" % decl)
        self.type_text = m.group(1).strip()
        self.name = m.group(2)
        self.dims = re.findall(r"\[([^\]]*)\]", m.group(3))
        self.stars = self.type_text.count("*")
        self.base = re.sub(r"\b(const|volatile|struct|union|enum)\b|\*", " ", self.type_text).split()
        self.base = self.base[-1] if self.base else ""


class Record:
    def __init__(self, kind, tag, body):
        self.kind, self.tag = kind, tag
        self.members = [Member(d) for d in body.split(";") if d.strip()]


class Types:
    """The records of nx.h and what each typedef name stands for."""

    def __init__(self, text):
        src = types_section(text)
        self.records = {}
        self.order = []
        # typedef name -> (record tag or None, pointer depth, underlying name)
        self.names = {}
        for m in re.finditer(r"\b(struct|union)\s+(\w+)\s*\{([^{}]*)\}", src):
            self.records[m.group(2)] = Record(m.group(1), m.group(2), m.group(3))
            self.order.append(m.group(2))
        for m in re.finditer(r"\btypedef\s+(struct|union)\s+(\w+)\s*(?:\{[^{}]*\})?\s*([^;{}]*);", src):
            for name in m.group(3).split(","):
                name = name.strip()
                if name:
                    self.names[name.lstrip("* ").strip()] = (m.group(2), name.count("*"), None)
        for m in re.finditer(r"\btypedef\s+([\w\s]+?)\s*(\**)\s*(\w+)\s*;", src):
            base, stars, name = m.group(1).split()[-1], len(m.group(2)), m.group(3)
            if name not in self.names and base not in ("struct", "union", "enum"):
                self.names[name] = (None, stars, base)

    def resolve(self, base, stars=0):
        """(record tag or None, pointer depth, plain base name) of a type name with STARS stars."""
        seen = 0
        while base in self.names and seen < 20:
            tag, more, under = self.names[base]
            stars += more
            if tag:
                return tag, stars, tag
            base = under
            seen += 1
        if base in self.records:
            return base, stars, base
        return None, stars, base

    def typedef_names(self, tag):
        return sorted(n for n, (t, _, _) in self.names.items() if t == tag)


def probe_source(types):
    lines = ['#include <stddef.h>', '#include "nx.h"', 'extern "C" const unsigned kv_layout_probe[] = {']
    for tag in types.order:
        r = types.records[tag]
        ref = "%s %s" % (r.kind, tag)
        lines.append("  (unsigned)sizeof(%s), (unsigned)alignof(%s)," % (ref, ref))
        for mem in r.members:
            lines.append("  (unsigned)offsetof(%s, %s)," % (ref, mem.name))
    lines.append("  0xfeedf00du };")
    return "\n".join(lines) + "\n"


def measure(cxx, nx_h, types):
    """{tag: (size, alignment, [offsets])} as the compiler CXX (a command) lays nx.h's records."""
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "probe.cpp")
        with open(src, "w", encoding="ascii") as f:
            f.write(probe_source(types))
        cmd = shlex.split(cxx) + ["-std=c++17", "-O0", "-S", "-I", os.path.dirname(os.path.abspath(nx_h)),
                                  src, "-o", "-"]
        try:
            run = subprocess.run(cmd, capture_output=True, text=True)
        except FileNotFoundError:
            raise LayoutError("the compiler %s is not installed" % cmd[0])
        if run.returncode != 0:
            raise LayoutError("%s cannot compile the layout probe:\n%s" % (cxx, run.stderr[-2000:]))
    values, inside = [], False
    for line in run.stdout.splitlines():
        if re.match(r"^_?kv_layout_probe:", line):
            inside = True
        elif inside:
            m = re.match(r"^\s*\.(?:long|4byte)\s+(-?\d+)", line)
            if m:
                values.append(int(m.group(1)) & 0xffffffff)
                if values[-1] == 0xfeedf00d:
                    break
            elif re.match(r"^\s*\.(?:zero|space)", line) or re.match(r"^\S+:", line):
                raise LayoutError("unexpected layout probe output from %s: %r" % (cxx, line))
    if not values or values[-1] != 0xfeedf00d:
        raise LayoutError("no layout probe read from %s" % cxx)
    found, i = {}, 0
    for tag in types.order:
        n = len(types.records[tag].members)
        found[tag] = (values[i], values[i + 1], values[i + 2:i + 2 + n])
        i += 2 + n
    return found


def differing(types, linux, windows, alignment=True):
    """The tags of the records whose layouts differ, in nx.h's order; ALIGNMENT false: of those
    whose size or offsets differ (a pointer to a record that differs in its alignment alone needs
    no copy; only a record holding it does, and then its offsets differ)."""
    if alignment:
        diff = {t for t in types.order if linux[t] != windows[t]}
    else:
        diff = {t for t in types.order if linux[t][0] != windows[t][0] or linux[t][2] != windows[t][2]}
    changed = True
    while changed:  # a record holding one that differs differs too
        changed = False
        for tag in types.order:
            if tag in diff:
                continue
            for mem in types.records[tag].members:
                inner, stars, _ = types.resolve(mem.base, mem.stars)
                if inner in diff and stars == 0:
                    diff.add(tag)
                    changed = True
    return [t for t in types.order if t in diff]


def check_reachable(types, diff):
    """Refuses what the copies cannot reach: records that differ behind pointer members, unions of
    records that differ without a discriminating member."""
    for tag in types.order:
        r = types.records[tag]
        for mem in r.members:
            inner, stars, _ = types.resolve(mem.base, mem.stars)
            if inner in diff and stars > 0:
                raise LayoutError("%s.%s points to %s, whose layouts differ between Linux i386 and "
                                  "Windows i686: the bridge does not copy records behind pointer members"
                                  % (tag, mem.name, inner))
            if inner in diff and stars == 0 and types.records[inner].kind == "union":
                holds = [m.name for m in types.records[inner].members
                         if types.resolve(m.base, m.stars)[0] in diff and types.resolve(m.base, m.stars)[1] == 0]
                if holds and (tag, mem.name) not in DISCRIMINATED:
                    raise LayoutError("%s.%s is a union holding records whose layouts differ (%s) and "
                                      "nothing tells the bridge which one is meant (DISCRIMINATED in gen_layouts.py)"
                                      % (tag, mem.name, ", ".join(holds)))
    for m in re.finditer(r"typedef\s+[\w\s\*]+\(\s*\*\s*(\w+)\s*\)\s*\(([^)]*)\)", types_section(TEXT[0])):
        for p in m.group(2).split(","):
            p = " ".join(p.split())
            if not p or p == "void":
                continue
            pm = Member(p)
            inner, stars, _ = types.resolve(pm.base, pm.stars)
            if inner in diff and inner not in CALLBACKS_COPIED.get(m.group(1), set()):
                raise LayoutError("the callback type %s takes %s, whose layouts differ between Linux "
                                  "i386 and Windows i686, and the bridge's trampolines do not copy it"
                                  % (m.group(1), inner))


TEXT = [""]


def write_header(types, diff, windows, out):
    ns = []
    ns.append("// Generated by gen_layouts.py from nx.h: the records Linux i386 and Windows i686 lay out\n"
              "// differently, as the plug-in's compiler lays them out, and the copies between both.\n"
              "#pragma once\n#include <stddef.h>\n#include <string.h>\n#include \"nx.h\"\n\nnamespace kvw {\n")
    for tag in diff:
        r = types.records[tag]
        ns.append("%s %s {\n" % (r.kind, tag))
        for mem in r.members:
            inner, stars, plain = types.resolve(mem.base, mem.stars)
            dims = "".join("[%s]" % d for d in mem.dims)
            if inner in diff and stars == 0:
                ns.append("    kvw::%s %s%s;\n" % (inner, mem.name, dims))
            elif plain == "double" and stars == 0:
                ns.append("    %s %s%s __attribute__((aligned(8)));\n" % (mem.type_text, mem.name, dims))
            else:
                ns.append("    %s %s%s;\n" % (mem.type_text, mem.name, dims))
        ns.append("};\n")
        size, align, offsets = windows[tag]
        ns.append('static_assert(sizeof(kvw::%s) == %d && alignof(kvw::%s) == %d, "%s: not Windows\'s layout");\n'
                  % (tag, size, tag, align, tag))
        for mem, off in zip(r.members, offsets):
            ns.append('static_assert(offsetof(kvw::%s, %s) == %d, "%s.%s: not Windows\'s offset");\n'
                      % (tag, mem.name, off, tag, mem.name))
        ns.append("\n")
    for tag in diff:
        ns.append("inline void to_host(const kvw::%s& from, ::%s& to);\n" % (tag, tag))
        ns.append("inline void to_windows(const ::%s& from, kvw::%s& to);\n" % (tag, tag))
    ns.append("\n")
    for direction in ("to_host", "to_windows"):
        for tag in diff:
            r = types.records[tag]
            host = "::" + tag
            src_t, dst_t = ("kvw::" + tag, host) if direction == "to_host" else (host, "kvw::" + tag)
            ns.append("inline void %s(const %s& from, %s& to) {\n" % (direction, src_t, dst_t))
            if r.kind == "union":
                # Every member starts at 0 and none differs: the bytes the smaller side holds.
                ns.append("    memcpy(&to, &from, sizeof(to) < sizeof(from) ? sizeof(to) : sizeof(from));\n")
            for mem in (r.members if r.kind == "struct" else []):
                inner, stars, _ = types.resolve(mem.base, mem.stars)
                if inner in diff and stars == 0 and (tag, mem.name) in DISCRIMINATED:
                    key, cases = DISCRIMINATED[(tag, mem.name)]
                    ns.append("    switch (from.%s) {\n" % key)
                    union = types.records[inner]
                    for value, member in cases.items():
                        um = [m for m in union.members if m.name == member][0]
                        if types.resolve(um.base, um.stars)[0] in diff:
                            copy = "%s(from.%s.%s, to.%s.%s)" % (direction, mem.name, member, mem.name, member)
                        else:
                            copy = "memcpy(&to.%s.%s, &from.%s.%s, sizeof(to.%s.%s))" % ((mem.name, member) * 3)
                        ns.append("    case %s: %s; break;\n" % (value, copy))
                    # A kind NX does not document: its bytes, as a union of records that do not differ.
                    ns.append("    default: %s(from.%s, to.%s);\n    }\n" % (direction, mem.name, mem.name))
                elif inner in diff and stars == 0:
                    if len(mem.dims) > 1:
                        raise LayoutError("%s.%s: arrays of more than one dimension of records are not copied"
                                          % (tag, mem.name))
                    if mem.dims:
                        ns.append("    for (size_t i = 0; i < sizeof(to.%s) / sizeof(to.%s[0]); ++i) %s(from.%s[i], to.%s[i]);\n"
                                  % (mem.name, mem.name, direction, mem.name, mem.name))
                    else:
                        ns.append("    %s(from.%s, to.%s);\n" % (direction, mem.name, mem.name))
                elif mem.dims:
                    ns.append("    static_assert(sizeof(to.%s) == sizeof(from.%s), \"%s.%s\");\n"
                              % (mem.name, mem.name, tag, mem.name))
                    ns.append("    memcpy(to.%s, from.%s, sizeof(to.%s));\n" % (mem.name, mem.name, mem.name))
                else:
                    ns.append("    to.%s = from.%s;\n" % (mem.name, mem.name))
            ns.append("}\n")
    ns.append("\n}  // namespace kvw\n")
    with open(os.path.join(out, "layouts.h"), "w", encoding="ascii") as f:
        f.write("".join(ns))


def listing(types, diff):
    return "".join("%s %s\n" % (tag, " ".join(types.typedef_names(tag))) for tag in diff)


def analyse(nx_h, linux_cxx, windows_cxx):
    with open(nx_h, encoding="utf-8") as f:
        TEXT[0] = f.read()
    types = Types(TEXT[0])
    linux = measure(linux_cxx, nx_h, types)
    windows = measure(windows_cxx, nx_h, types)
    mirrored = differing(types, linux, windows)
    copied = differing(types, linux, windows, alignment=False)
    check_reachable(types, copied)
    return types, mirrored, copied, windows


def main(argv):
    args = list(argv[1:])
    opts = {"--linux-cxx": "g++ -m32", "--windows-cxx": "i686-w64-mingw32-g++"}
    for key in list(opts):
        if key in args:
            i = args.index(key)
            opts[key] = args[i + 1]
            del args[i:i + 2]
    show = "--list" in args
    if show:
        args.remove("--list")
    if len(args) != (1 if show else 2):
        sys.exit(__doc__)
    try:
        types, mirrored, copied, windows = analyse(args[0], opts["--linux-cxx"], opts["--windows-cxx"])
    except LayoutError as e:
        sys.exit("gen_layouts: %s" % e)
    if show:
        sys.stdout.write(listing(types, copied))
        return
    os.makedirs(args[1], exist_ok=True)
    try:
        write_header(types, mirrored, windows, args[1])
    except LayoutError as e:
        sys.exit("gen_layouts: %s" % e)
    with open(os.path.join(args[1], "layouts.txt"), "w", encoding="ascii") as f:
        f.write(listing(types, copied))
    print("gen_layouts: %d records, %d laid out differently, %d copied at calls: %s"
          % (len(types.order), len(mirrored), len(copied), ", ".join(copied)))


if __name__ == "__main__":
    main(sys.argv)
