#!/usr/bin/env bash
# Smoke run of the 64-bit plug-in DLL under Wine, against stand-in NX libraries.
#
#   run-smoke.sh DLL OUTDIR
#
# Builds the stand-in libufun.dll and libugopenint.dll (from the .def files of nx.h's calls),
# the host kvsmoke.exe and a test plug-in into OUTDIR/build, runs every case in a Wine prefix of
# its own (OUTDIR/build/wineprefix, kept for the next run) on a private Xvfb display, and
# compares each case's transcript OUTDIR/<case>.txt with expected/<case>.txt.
# KV_SMOKE_ACCEPT=1 copies the transcripts over the expected files instead (read them first).
# Exit code: 0 every case as expected; 1 a case differs or a build failed; 77 skipped because
# Wine, Xvfb, MinGW, the Chinese locale's sources or the DLL is missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
[ $# -eq 2 ] || { echo "usage: run-smoke.sh DLL OUTDIR" >&2; exit 2; }
dll=$1
out=$2
case_timeout=60          # seconds for one Wine run: a hung host or window ends here
omitted=UF_LAYER_ask_status  # the call the "missing call" case's libufun.dll lacks

skip() { echo "smoke: skipped: $*"; exit 77; }
fail() { echo "smoke: FAILED: $*"; exit 1; }

wine64=$(command -v wine64 || ls /usr/lib/wine/wine64 2>/dev/null) || skip "wine64 is not installed"
wineserver=$(command -v wineserver || ls /usr/lib/wine/wineserver 2>/dev/null) || skip "wineserver is not installed"
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
cxx=x86_64-w64-mingw32-g++
cc=x86_64-w64-mingw32-gcc
dlltool=x86_64-w64-mingw32-dlltool
objdump=x86_64-w64-mingw32-objdump
command -v $cxx >/dev/null && command -v $dlltool >/dev/null || skip "MinGW x86_64 is not installed"
[ -f "$dll" ] || skip "$dll does not exist (make it with scripts/build-dll.sh)"
dll=$(cd "$(dirname "$dll")" && pwd)/$(basename "$dll")

mkdir -p "$out"
out=$(cd "$out" && pwd)
build=$out/build
mkdir -p "$build"/def "$build"/obj "$build"/bin "$build"/bin-missing "$build"/plugin
started=$(date +%s)

# Two runs would share the prefix and the wineserver.
exec 9>"$build/.lock"
flock -w 300 9 || fail "another smoke run holds $build/.lock"

# The plug-in's texts are GBK: Wine takes its ANSI code page (936) from a Chinese locale.
locale_env=()
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  if [ ! -d "$build/locale/zh_CN.UTF-8" ]; then
    mkdir -p "$build/locale"
    localedef -i zh_CN -f UTF-8 "$build/locale/zh_CN.UTF-8" >/dev/null 2>&1 ||
      { rm -rf "$build/locale"; skip "the zh_CN locale cannot be made (package locales)"; }
  fi
  locale_env+=(LOCPATH="$build/locale")
fi
locale_env+=(LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8)

# ---- build ----------------------------------------------------------------------------------
echo "smoke: building the stand-ins, the host and the test plug-in"
flags=(-std=c++17 -O2 -Wall -Wextra -I"$here" -I"$top/src/nxapi")
# The plug-in's import libraries, as the DLL's build makes them; the stand-ins as each layout of
# NX's 64-bit releases exports the calls (the oldest first, the newest the cases' own).
python3 "$top/win/make_def.py" "$top/src/nxapi/nx.h" "$build/def" --arch x86_64 >/dev/null ||
  fail "make_def.py did not write the .def files"
layouts=$(python3 "$top/win/bridge/gen_thunks.py" --layouts --arch x86_64 | cut -d' ' -f1) ||
  fail "gen_thunks.py did not list NX's layouts"
standin() {  # LIB DEFDIR OUTDIR [--omit NAME]
  local lib=$1 defs=$2 dest=$3 src=$here/standin_${1#lib}.cpp
  shift 3
  local tag=$lib-$(basename "$defs")${1:+-omit}
  python3 "$here/gen_standins.py" "$defs/$lib.def" "$src" "$build/obj/$tag-stubs.c" "$@" >/dev/null &&
    $cc -O2 -Wall -I"$here" -c "$build/obj/$tag-stubs.c" -o "$build/obj/$tag-stubs.o" &&
    $cxx "${flags[@]}" -c "$src" -o "$build/obj/$lib.o" &&
    $cxx -shared -static -o "$dest/$lib.dll" "$build/obj/$lib.o" "$build/obj/$tag-stubs.o"
}
$cxx "${flags[@]}" -static -o "$build/obj/kvsmoke.exe" "$here"/kvsmoke.cpp "$here"/watcher.cpp \
  "$here"/capture.cpp "$here"/pe_imports.cpp -luser32 -lgdi32 || fail "kvsmoke.exe"
for layout in $layouts; do
  python3 "$top/win/make_def.py" --layout "$layout" "$top/src/nxapi/nx.h" "$build/def-$layout" >/dev/null ||
    fail "make_def.py did not write the .def files of $layout"
  mkdir -p "$build/bin-$layout"
  for lib in libufun libugopenint; do
    standin $lib "$build/def-$layout" "$build/bin-$layout" || fail "stand-in $lib.dll ($layout)"
  done
  cp "$build/obj/kvsmoke.exe" "$build/bin-$layout/"
  newest=$layout
done
rm -rf "$build/bin"
cp -r "$build/bin-$newest" "$build/bin"
standin libufun "$build/def-$newest" "$build/bin-missing" --omit $omitted || fail "stand-in libufun.dll without $omitted"
cp "$build/bin/libugopenint.dll" "$build/bin/kvsmoke.exe" "$build/bin-missing/"
for lib in libufun libugopenint; do
  $dlltool -d "$build/def/$lib.def" -l "$build/obj/$lib.a" || fail "import library $lib.a"
done
for plugin in bad_table stuck; do
  $cxx "${flags[@]}" -shared -static -o "$build/plugin/$plugin.dll" \
    "$here/${plugin}_plugin.cpp" "$build/obj/libufun.a" "$build/obj/libugopenint.a" -luser32 || fail "$plugin.dll"
done

# Every call of a layout's .def must be exported by its stand-in, whatever gen_standins.py decided.
for layout in $layouts; do
  for lib in libufun libugopenint; do
    lacking=$(comm -23 <(awk 'f && NF {print $1} /^EXPORTS/ {f=1}' "$build/def-$layout/$lib.def" | sort) \
      <($objdump -p "$build/bin-$layout/$lib.dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {f=1; next} f && /^\t\[/ {print $NF} f && !NF {f=0}' | sort))
    [ -z "$lacking" ] || fail "stand-in $lib.dll ($layout) lacks: $lacking"
  done
done

# ---- Wine -----------------------------------------------------------------------------------
export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The locale is the Windows programs' alone: this shell may not know it.
in_locale() { env "${locale_env[@]}" "$@"; }
xvfb_pid=
cleanup() {
  "$wineserver" -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
rm -f "$build/display"
Xvfb -displayfd 8 -screen 0 1024x768x24 -nolisten tcp 8>"$build/display" 9>&- >"$build/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$build/display" ] && break; sleep 0.2; done
[ -s "$build/display" ] || fail "Xvfb did not start (see $build/xvfb.log)"
export DISPLAY=:$(head -n1 "$build/display")

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "smoke: making the Wine prefix $WINEPREFIX (once)"
  in_locale timeout 180 "$wine64" wineboot -i >"$build/wineboot.log" 2>&1
  "$wineserver" -w
  [ -f "$WINEPREFIX/system.reg" ] || fail "the Wine prefix was not made (see $build/wineboot.log)"
fi
# Without a window manager the caption and frame are only there when Wine draws them itself.
if ! grep -q '"Decorated"="N"' "$WINEPREFIX/user.reg"; then
  in_locale "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 9>&-
  "$wineserver" -w
fi
"$wineserver" -p 9>&-  # one server for every case

winpath() { printf 'Z:%s' "${1//\//\\}"; }

passed=0
failed=0
run_case() {  # NAME BINDIR PLUGIN [VAR=VALUE...] -- [HOST ARGS...]
  local name=$1 bin=$2 plugin=$3
  shift 3
  local vars=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do vars+=("$1"); shift; done
  shift
  local log=$out/$name.txt
  rm -f "$log"
  in_locale "${vars[@]}" KV_SMOKE_LOG="$(winpath "$log")" \
    timeout -k 5 $case_timeout "$wine64" "$bin/kvsmoke.exe" "$@" "$(winpath "$plugin")" >"$out/$name.out" 2>&1 9>&-
  local rc=$?
  if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    echo "timeout: the Wine run did not end within $case_timeout s" >>"$log"
    "$wineserver" -k >/dev/null 2>&1
    "$wineserver" -p 9>&-
  fi
  echo "exit: $rc" >>"$log"
  if [ "${KV_SMOKE_ACCEPT:-0}" = 1 ]; then
    cp "$log" "$here/expected/$name.txt"
    echo "smoke: $name accepted"
  elif diff -u "$here/expected/$name.txt" "$log" >"$out/$name.diff" 2>&1; then
    echo "smoke: $name passed"
    passed=$((passed + 1))
  else
    echo "smoke: $name FAILED (transcript $log)"
    cat "$out/$name.diff"
    failed=$((failed + 1))
  fi
}

rm -f "$out/about.png"
run_case no_work_part "$build/bin" "$dll" -- --screenshot "$(winpath "$out/about.png")"
run_case work_part "$build/bin" "$dll" KV_SMOKE_WORK_PART=42 --
# The same start-up against each older layout of NX's libraries: the DLL loads in every one.
for layout in $layouts; do
  [ "$layout" = "$newest" ] || run_case "work_part" "$build/bin-$layout" "$dll" KV_SMOKE_WORK_PART=42 --
done
run_case init_fails "$build/bin" "$dll" KV_SMOKE_INIT_FAIL=1 KV_SMOKE_WORK_PART=42 --
run_case init_fails_in_actions "$build/bin" "$dll" KV_SMOKE_WORK_PART=42 -- --init-fails-in-actions
run_case missing_call "$build/bin-missing" "$dll" KV_SMOKE_WORK_PART=42 --
run_case bad_table "$build/bin" "$build/plugin/bad_table.dll" --
run_case stuck "$build/bin" "$build/plugin/stuck.dll" -- --timeout 3

echo "smoke: run took $(( $(date +%s) - started )) s"
echo "smoke: $passed passed, $failed failed"
[ $failed -eq 0 ]
