#!/usr/bin/env bash
# Proves kelvora-pecheck: relinks the objects of build-win/<arch>/ into DLLs that are each wrong
# in one way, and expects the check (against win/nx-exports.tsv) to fail on every one with only
# the lines naming that fault; the DLL linked the right way from the same objects must pass.
#   broken-dlls.sh PECHECK TOP [WORKDIR]
# The DLLs stay in WORKDIR after the run, named <fault>-win32.dll / <fault>-win64.dll, with
# WORKDIR/cases.tsv listing each case, its DLL, the architecture it is checked as and the line the
# check must print (empty for the ones that pass): a loader test can take them from there.
# x86_64 is required; the i686 cases run when build-win/i686/ has its objects too.
# Exit 77 (skipped) when mingw-w64 or the x86_64 objects (scripts/build-dll.sh) are missing.
set -u
pecheck=$1 top=$(cd "$2" && pwd) work=${3:-$(mktemp -d)}
table=$top/win/nx-exports.tsv
texts=$top/win/pecheck/gbk-texts.txt

built() {  # ARCH: mingw-w64 and build-win's objects and .def files are there
  local b=$top/build-win/$1
  command -v "$1-w64-mingw32-dlltool" >/dev/null && [ -f "$b/cxxflags" ] && [ -f "$b/obj/shell/shell.o" ] &&
    [ -f "$b/libufun.def" ] && [ -f "$b/libugopenint.def" ]
}
if ! built x86_64; then
  echo "skipped: mingw-w64 for x86_64 or the objects of $top/build-win/x86_64 are missing (run scripts/build-dll.sh)"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)  # the Makefile compares object paths as absolute ones
printf 'case\tdll\tchecked as\tline the check prints (grep pattern; empty: passes)\n' >"$work/cases.tsv"

link() {  # ARCH OUT [make variable overrides...]: the DLL from build-win's objects
  local a=$1 out=$2
  shift 2
  make --no-print-directory -s -f "$top/win/dll/Makefile" ARCH="$a" OUT="$out" "$@" >"$out.log" 2>&1 ||
    { cat "$out.log"; echo "FAIL: could not link $out"; exit 1; }
}

implibs() {  # DIR ARCH [dlltool flags]: import libraries of the two .def files in DIR
  local dir=$1 a=$2
  shift 2
  for lib in libufun libugopenint; do
    "$a-w64-mingw32-dlltool" "$@" -d "$dir/$lib.def" -D $lib.dll -l "$dir/$lib.dll.a" || exit 1
  done
}

failures=0
# expect NAME PATTERN ARCH DLL: pecheck exits 1, some line matches PATTERN and every line does
# (a fault must not show up as another check's failure). PATTERN empty: exit 0 expected.
expect() {
  local name=$1 pattern=$2 a=$3 dll=$4 out rc
  printf '%s\t%s\t%s\t%s\n' "$name" "$(basename "$dll")" "$a" "$pattern" >>"$work/cases.tsv"
  out=$("$pecheck" --arch "$a" --export ufsta --exports-table "$table" --gbk-texts "$texts" "$dll" 2>&1)
  rc=$?
  if [ -z "$pattern" ]; then
    if [ $rc -eq 0 ]; then echo "ok   $name: passes"; else echo "FAIL $name: exit $rc"; echo "$out"; failures=$((failures + 1)); fi
    return
  fi
  if [ $rc -ne 1 ]; then
    echo "FAIL $name: exit $rc, expected 1"
    echo "$out"
    failures=$((failures + 1))
  elif ! grep -q -- "$pattern" <<<"$out" || grep -v -q -- "$pattern" <<<"$out"; then
    echo "FAIL $name: expected only lines matching '$pattern', got:"
    echo "$out"
    failures=$((failures + 1))
  else
    echo "ok   $name: $(grep -c -- "$pattern" <<<"$out") line(s), e.g. $(head -1 <<<"$out")"
  fi
}

# A tiny object that calls the moved call directly, as the plug-in must not (it finds it at run
# time): linked in, it makes the DLL import UF_DISP_regenerate_display statically.
cat >"$work/moved-call.cpp" <<'EOF'
#include "nx.h"
extern "C" int kv_broken_regenerate(void) { return UF_DISP_regenerate_display(); }
EOF

# Every case of one architecture. The oldest release of each, and the first where the moved call
# is in libufun.dll, are what the refusals must name.
cases() {  # ARCH
  local a=$1 w oldest moved_to_ufun build=$top/build-win/$1 d
  if [ "$a" = i686 ]; then w=win32 oldest=NX4-32 moved_to_ufun=NX8.5-32; else w=win64 oldest=NX6-64 moved_to_ufun=NX8.5-64; fi
  local cxx flags
  read -r cxx flags <"$build/cxxflags"

  link $a "$work/good-$w.dll"
  expect good-$w "" $a "$work/good-$w.dll"

  # UF_MB_add_actions listed under libufun instead of libugopenint.
  d=$work/wrong-library-$w
  mkdir -p "$d"
  grep -v '^ *UF_MB_add_actions$' "$build/libugopenint.def" >"$d/libugopenint.def"
  { cat "$build/libufun.def"; echo "    UF_MB_add_actions"; } >"$d/libufun.def"
  implibs "$d" $a
  link $a "$work/wrong-library-$w.dll" IMPLIBS="$d/libufun.dll.a $d/libugopenint.dll.a"
  expect wrong-library-$w ": UF_MB_add_actions imported from libufun.dll: $oldest exports it from libugopenint.dll" \
    $a "$work/wrong-library-$w.dll"

  # The moved call imported statically, from each of its two libraries: each era refuses one.
  # shellcheck disable=SC2086  # the flags are separate words
  $cxx $flags -c "$work/moved-call.cpp" -o "$work/moved-call-$w.o" || exit 1
  for lib in libufun libugopenint; do
    d=$work/moved-${lib#lib}-$w
    mkdir -p "$d"
    cp "$build/libufun.def" "$build/libugopenint.def" "$d/"
    echo "    UF_DISP_regenerate_display" >>"$d/$lib.def"
    implibs "$d" $a
    link $a "$d.dll" IMPLIBS="$d/libufun.dll.a $d/libugopenint.dll.a" EXTRA_OBJS="$work/moved-call-$w.o"
  done
  expect moved-ufun-$w \
    ": UF_DISP_regenerate_display imported from libufun.dll: $oldest exports it from libugopenint.dll" \
    $a "$work/moved-ufun-$w.dll"
  expect moved-ugopenint-$w \
    ": UF_DISP_regenerate_display imported from libugopenint.dll: $moved_to_ufun exports it from libufun.dll" \
    $a "$work/moved-ugopenint-$w.dll"

  # Import names decorated with cdecl's underscore, which no NX library exports. On i686 as the
  # old build made them: the .def names carry the underscore and dlltool adds none to the symbol
  # (the symbol still matches what the compiler references). On x86_64, where the compiler adds
  # no underscore, the .def gives the symbol and the decorated import name apart (NAME == IMPORT).
  d=$work/decorated-$w
  mkdir -p "$d"
  for lib in libufun libugopenint; do
    if [ $a = i686 ]; then
      sed 's/^    \([A-Za-z]\)/    _\1/' "$build/$lib.def" >"$d/$lib.def"
    else
      sed 's/^    \([A-Za-z][A-Za-z0-9_]*\)$/    \1 == _\1/' "$build/$lib.def" >"$d/$lib.def"
    fi
  done
  if [ $a = i686 ]; then implibs "$d" $a --no-leading-underscore; else implibs "$d" $a; fi
  link $a "$d.dll" IMPLIBS="$d/libufun.dll.a $d/libugopenint.dll.a"
  expect decorated-$w ": _[A-Za-z0-9_]* imported from lib[a-z]*\.dll: $oldest exports no _" $a "$d.dll"
}

cases x86_64
if built i686; then
  cases i686
else
  echo "note: the i686 cases are not run: build-win/i686 has no objects (run scripts/build-dll.sh)"
fi

# The faults that are the same on both architectures, on the 64-bit DLL.
a=x86_64
build=$top/build-win/$a
link $a "$work/export-all-win64.dll" EXPORT_LDFLAGS=-Wl,--export-all-symbols
expect export-all-win64 "unexpected exports" $a "$work/export-all-win64.dll"

# The plug-in's sources call nothing of libstdc++ or libgcc; a dynamic link alone would import
# nothing from them, so this variant also references what any new, delete or throw would.
link $a "$work/dynamic-runtime-win64.dll" "RUNTIME_LDFLAGS=-shared-libgcc -Wl,-u,_Znwy -Wl,-u,_Unwind_Resume"
expect dynamic-runtime-win64 "MinGW runtime DLL" $a "$work/dynamic-runtime-win64.dll"

# shell.cpp compiled with the same command but its texts left UTF-8.
read -r cxx flags <"$build/cxxflags"
# shellcheck disable=SC2086  # the flags are separate words
$cxx ${flags//-fexec-charset=GBK/} -c "$top/src/shell/shell.cpp" -o "$work/shell-utf8.o" || exit 1
link $a "$work/utf8-texts-win64.dll" EXCLUDE_OBJS="$build/obj/shell/shell.o" EXTRA_OBJS="$work/shell-utf8.o"
expect utf8-texts-win64 "UTF-8, not GBK" $a "$work/utf8-texts-win64.dll"

link $a "$work/no-resources-win64.dll" EXCLUDE_OBJS="$build/obj/kelvora_res.o"
expect no-resources-win64 "(RT_[A-Z]*) missing" $a "$work/no-resources-win64.dll"

expect wrong-machine-win64 "machine is x86_64" i686 "$work/good-win64.dll"
[ ! -f "$work/good-win32.dll" ] || expect wrong-machine-win32 "machine is i686" x86_64 "$work/good-win32.dll"

# Cut after the headers: the sections lie beyond the end of the file.
head -c 1024 "$work/good-win64.dll" >"$work/truncated-win64.dll"
expect truncated-win64 "beyond the end of the file" $a "$work/truncated-win64.dll"

[ $failures -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
echo "every wrongly built DLL fails for its own reason ($work)"
