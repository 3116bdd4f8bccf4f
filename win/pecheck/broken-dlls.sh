#!/usr/bin/env bash
# Proves kelvora-pecheck: relinks the objects of build-win/x86_64/ into DLLs that are each wrong
# in one way, and expects the check to fail on every one with only the lines naming that fault;
# the DLL linked the right way from the same objects must pass.
#   broken-dlls.sh PECHECK TOP [WORKDIR]
# Exit 77 (skipped) when mingw-w64 or the x86_64 objects (scripts/build-dll.sh) are missing.
set -u
pecheck=$1 top=$2 work=${3:-$(mktemp -d)}
arch=x86_64
build=$top/build-win/$arch
texts=$top/win/pecheck/gbk-texts.txt

if ! command -v $arch-w64-mingw32-dlltool >/dev/null; then
  echo "skipped: mingw-w64 for $arch is not installed"
  exit 77
fi
if [ ! -f "$build/cxxflags" ] || [ ! -f "$build/obj/shell/shell.o" ] || [ ! -f "$build/libufun.def" ]; then
  echo "skipped: $build has no objects (run scripts/build-dll.sh)"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"

link() {  # OUT [make variable overrides...]: the DLL from build-win's objects
  local out=$1
  shift
  make --no-print-directory -s -f "$top/win/dll/Makefile" ARCH=$arch OUT="$out" "$@" >"$out.log" 2>&1 ||
    { cat "$out.log"; echo "FAIL: could not link $out"; exit 1; }
}

implibs() {  # DIR TRIPLE-PREFIX [dlltool flags]: import libraries of the two .def files in DIR
  local dir=$1 t=$2
  shift 2
  for lib in libufun libugopenint; do
    "$t-dlltool" "$@" -d "$dir/$lib.def" -D $lib.dll -l "$dir/$lib.dll.a" || exit 1
  done
}

failures=0
# expect NAME PATTERN ARCH DEF_DIR DLL: pecheck exits 1, some line matches PATTERN and every line
# does (a fault must not show up as another check's failure). PATTERN empty: exit 0 expected.
expect() {
  local name=$1 pattern=$2 a=$3 defs=$4 dll=$5 out rc
  out=$("$pecheck" --arch "$a" --export ufsta --def "$defs/libufun.def" --def "$defs/libugopenint.def" \
    --gbk-texts "$texts" "$dll" 2>&1)
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

t=$arch-w64-mingw32

link "$work/good.dll"
expect good "" $arch "$build" "$work/good.dll"

link "$work/export-all.dll" EXPORT_LDFLAGS=-Wl,--export-all-symbols
expect export-all "unexpected exports" $arch "$build" "$work/export-all.dll"

# The plug-in's sources call nothing of libstdc++ or libgcc; a dynamic link alone would import
# nothing from them, so this variant also references what any new, delete or throw would.
link "$work/dynamic-runtime.dll" "RUNTIME_LDFLAGS=-shared-libgcc -Wl,-u,_Znwy -Wl,-u,_Unwind_Resume"
expect dynamic-runtime "MinGW runtime DLL" $arch "$build" "$work/dynamic-runtime.dll"

# UF_MB_add_actions listed under libufun instead of libugopenint.
mkdir -p "$work/moved"
grep -v '^ *UF_MB_add_actions$' "$build/libugopenint.def" >"$work/moved/libugopenint.def"
{ cat "$build/libufun.def"; echo "    UF_MB_add_actions"; } >"$work/moved/libufun.def"
implibs "$work/moved" $t
link "$work/wrong-library.dll" IMPLIBS="$work/moved/libufun.dll.a $work/moved/libugopenint.dll.a"
expect wrong-library "UF_MB_add_actions imported from libufun.dll; NX exports it from libugopenint.dll" \
  $arch "$build" "$work/wrong-library.dll"

# shell.cpp compiled with the same command but its texts left UTF-8.
read -r cxx flags <"$build/cxxflags"
# shellcheck disable=SC2086  # the flags are separate words
$cxx ${flags//-fexec-charset=GBK/} -c "$top/src/shell/shell.cpp" -o "$work/shell-utf8.o" || exit 1
link "$work/utf8-texts.dll" EXCLUDE_OBJS="$build/obj/shell/shell.o" EXTRA_OBJS="$work/shell-utf8.o"
expect utf8-texts "UTF-8, not GBK" $arch "$build" "$work/utf8-texts.dll"

link "$work/no-resources.dll" EXCLUDE_OBJS="$build/obj/kelvora_res.o"
expect no-resources "(RT_[A-Z]*) missing" $arch "$build" "$work/no-resources.dll"

expect wrong-machine "machine is x86_64" i686 "$build" "$work/good.dll"

# Cut after the headers: the sections lie beyond the end of the file.
head -c 1024 "$work/good.dll" >"$work/truncated.dll"
expect truncated "beyond the end of the file" $arch "$build" "$work/truncated.dll"

# 32-bit: import names without cdecl's underscore link (the symbols still match) but NX's
# libraries have no such names. Only when the i686 objects are built too.
build32=$top/build-win/i686
if [ -f "$build32/libufun.def" ] && [ -f "$build32/obj/shell/shell.o" ] && command -v i686-w64-mingw32-dlltool >/dev/null; then
  mkdir -p "$work/plain32"
  for lib in libufun libugopenint; do sed 's/^    _/    /' "$build32/$lib.def" >"$work/plain32/$lib.def"; done
  implibs "$work/plain32" i686-w64-mingw32
  # Without the underscore in the .def, the symbol the compiler references needs dlltool's own.
  make --no-print-directory -s -f "$top/win/dll/Makefile" ARCH=i686 OUT="$work/plain32.dll" \
    IMPLIBS="$work/plain32/libufun.dll.a $work/plain32/libugopenint.dll.a" >"$work/plain32.log" 2>&1 ||
    { cat "$work/plain32.log"; echo "FAIL: could not link plain32.dll"; exit 1; }
  expect no-underscore-32 "carry cdecl's leading underscore" i686 "$build32" "$work/plain32.dll"
fi

[ $failures -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
echo "every wrongly built DLL fails for its own reason"
