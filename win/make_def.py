#!/usr/bin/env python3
"""NX's export tables: which of NX's two API libraries exports each call, release by release.

    make_def.py NX_H OUT_DIR [--arch i686|x86_64] [--table TSV]
    make_def.py --layout RELEASE NX_H OUT_DIR [--table TSV]

The first form writes the module-definition files the plug-in's DLL is linked against:
OUT_DIR/libufun.def and OUT_DIR/libugopenint.def, each call of nx.h under the library that exports
it in every release the architecture's DLL is made for. The second writes the two libraries'
export tables as one release has them (every call, moved ones included), for stand-ins of NX.

The table is win/nx-exports.tsv (one row a call, one column a release); everything that needs
to know where NX exports a call (the .def files, the PE check, the Wine stand-ins and the bridge)
reads it through this module. Names are undecorated on both architectures: NX's 32-bit import
libraries are of name type "no prefix" (the symbol is _UF_initialize, the name the loader looks up
UF_initialize), and i686 dlltool given these files without --no-leading-underscore makes exactly
that.

A call whose library is not the same in every release of the architecture (a moved call) cannot
be imported statically: nx.h declares it between the "calls found at run time" markers, it is left
out of the .def files, and the plug-in finds it at run time. A moved call nx.h does not mark, a
marked call that never moves and a call the table does not know all stop the build.
"""
import csv
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_TABLE = os.path.join(HERE, "nx-exports.tsv")
LIBRARIES = ("libufun", "libugopenint")
PLUGIN_OWN = {"ufsta"}
# The releases each DLL is made for: the table's columns of its architecture.
ARCH_SUFFIX = {"i686": "-32", "x86_64": "-64"}
LATE_BEGIN = "/* ---- calls found at run time (begin) ---- */"
LATE_END = "/* ---- calls found at run time (end) ---- */"


class TableError(Exception):
    pass


def load_table(path=DEFAULT_TABLE):
    """(release columns, {call: {release: library}}) of an export table; libraries as 'libufun'."""
    with open(path, encoding="ascii", newline="") as f:
        rows = [r for r in csv.reader(f, delimiter="\t") if r and not r[0].startswith("#")]
    if not rows or rows[0][0] != "call":
        raise TableError("%s: the first row must name the columns (call, releases...)" % path)
    releases = rows[0][1:]
    table = {}
    for n, row in enumerate(rows[1:], start=2):
        if len(row) != len(rows[0]):
            raise TableError("%s: row %d (%s): %d columns, the header has %d"
                             % (path, n, row[0], len(row), len(rows[0])))
        libs = {}
        for release, lib in zip(releases, row[1:]):
            if "lib" + lib not in LIBRARIES:
                raise TableError("%s: row %d (%s), %s: unknown library '%s'" % (path, n, row[0], release, lib))
            libs[release] = "lib" + lib
        table[row[0]] = libs
    return releases, table


def releases_for(arch, releases):
    """The release columns a DLL of ARCH ('i686' or 'x86_64') is made for, oldest first."""
    return [r for r in releases if r.endswith(ARCH_SUFFIX[arch])]


def _call_section(text):
    start = text.find('extern "C" {')
    if start < 0:
        raise TableError('nx.h: no extern "C" call section')
    end = text.find("#ifdef __cplusplus\n}", start)
    return text[start:end if end > 0 else len(text)]


def _names(section):
    section = re.sub(r"/\*.*?\*/", "", section, flags=re.S)
    names = []
    for m in re.finditer(r"^\s*(?:extern\s+)?(?:DllExport\s+)?[A-Za-z_][\w ]*?[\s*]+(\w+)\s*\(",
                         section, flags=re.M):
        if m.group(1) not in names:
            names.append(m.group(1))
    return names


def declared_calls(text):
    """Names of the functions declared in nx.h's extern "C" call section, in order."""
    return _names(_call_section(text))


MARK = re.compile(r"/\* kv: (.*?) \*/")
MARK_ITEM = re.compile(r"^([a-z0-9-]+)(?:\(([^()]*)\))?$")
KNOWN_MARKS = ("by-hand", "out-array", "const-from-nx10")


def call_marks(text):
    """{call: {mark: [arguments]}} of the "/* kv: ... */" comments nx.h writes right after a
    declaration of its call section, marks separated by ';' (e.g. "by-hand; const-from-nx10(cp1)").
    An unknown mark, or one that follows no declaration, raises TableError."""
    section = _call_section(text)
    # Other comments go first, so that no word of theirs is taken for a call's name.
    section = re.sub(r"/\*(?! kv: ).*?\*/", "", section, flags=re.S)
    marks = {}
    for m in re.finditer(r"(\w+)\s*\([^;]*?\)\s*;[ \t]*/\* kv: (.*?) \*/", section, flags=re.S):
        for item in (i.strip() for i in m.group(2).split(";")):
            im = MARK_ITEM.match(item)
            if not im or im.group(1) not in KNOWN_MARKS:
                raise TableError("nx.h: %s: unknown mark %r" % (m.group(1), item))
            args = [a.strip() for a in (im.group(2) or "").split(",") if a.strip()]
            marks.setdefault(m.group(1), {})[im.group(1)] = args
    if len(MARK.findall(section)) != sum(1 for _ in re.finditer(r"\)\s*;[ \t]*/\* kv: ", section)):
        raise TableError("nx.h: a \"/* kv: */\" mark follows no declaration")
    return marks


def marked_late(text):
    """The calls nx.h declares between the "calls found at run time" markers."""
    section = _call_section(text)
    begin, end = section.find(LATE_BEGIN), section.find(LATE_END)
    if begin < 0 and end < 0:
        return []
    if begin < 0 or end < begin:
        raise TableError("nx.h: the markers of the calls found at run time are not a pair")
    return _names(section[begin + len(LATE_BEGIN):end])


def moved(call, columns, table):
    """True when CALL is not exported by the same library in every release of COLUMNS."""
    return len({table[call][r] for r in columns}) > 1


def plan(text, arch, releases, table):
    """({library: [calls imported statically]}, [calls found at run time]) for ARCH's DLL."""
    columns = releases_for(arch, releases)
    calls = [c for c in declared_calls(text) if c not in PLUGIN_OWN]
    late = marked_late(text)
    problems = []
    for c in calls:
        if c not in table:
            problems.append("%s: nx.h declares it, the export table does not know it" % c)
        elif moved(c, columns, table) and c not in late:
            first = columns[0]
            other = next(r for r in columns if table[c][r] != table[c][first])
            problems.append("%s: %s in %s, %s in %s: declare it among the calls found at run time"
                            % (c, table[c][first], first, table[c][other], other))
    for c in late:
        if c in table and not any(moved(c, releases_for(a, releases), table) for a in ARCH_SUFFIX):
            problems.append("%s: marked as found at run time, but %s exports it in every release"
                            % (c, table[c][releases[0]]))
    if problems:
        raise TableError("nx.h against the export table:\n  " + "\n  ".join(problems))
    static = {lib: [] for lib in LIBRARIES}
    for c in calls:
        if c not in late:
            static[table[c][columns[0]]].append(c)
    return static, [c for c in calls if c in late]


def layout(text, release, table):
    """{library: [calls]} as RELEASE exports nx.h's calls, moved ones included."""
    out = {lib: [] for lib in LIBRARIES}
    for c in declared_calls(text):
        if c not in PLUGIN_OWN:
            if c not in table:
                raise TableError("%s: nx.h declares it, the export table does not know it" % c)
            out[table[c][release]].append(c)
    return out


def write_defs(out, libs):
    os.makedirs(out, exist_ok=True)
    for lib in LIBRARIES:
        with open(os.path.join(out, lib + ".def"), "w", encoding="ascii") as f:
            f.write("LIBRARY %s.dll\nEXPORTS\n" % lib)
            for c in libs[lib]:
                f.write("    %s\n" % c)


def main(argv):
    opts, args, i = {}, [], 1
    while i < len(argv):
        if argv[i] in ("--arch", "--table", "--layout") and i + 1 < len(argv):
            opts[argv[i]] = argv[i + 1]
            i += 2
        else:
            args.append(argv[i])
            i += 1
    arch = opts.get("--arch", "x86_64")
    if len(args) != 2 or arch not in ARCH_SUFFIX:
        sys.exit(__doc__)
    nx_h, out = args
    try:
        with open(nx_h, encoding="utf-8") as f:
            text = f.read()
        releases, table = load_table(opts.get("--table", DEFAULT_TABLE))
        if "--layout" in opts:
            if opts["--layout"] not in releases:
                raise TableError("no release %s in the export table (%s)"
                                 % (opts["--layout"], ", ".join(releases)))
            libs = layout(text, opts["--layout"], table)
            write_defs(out, libs)
            print("make_def: %s: %d calls in libufun.def, %d in libugopenint.def"
                  % (opts["--layout"], len(libs["libufun"]), len(libs["libugopenint"])))
            return
        libs, late = plan(text, arch, releases, table)
    except (OSError, TableError) as e:
        sys.exit("make_def: %s" % e)
    write_defs(out, libs)
    print("make_def: %d calls in libufun.def, %d in libugopenint.def, %d found at run time (%s)"
          % (len(libs["libufun"]), len(libs["libugopenint"]), len(late), arch))


if __name__ == "__main__":
    main(sys.argv)
