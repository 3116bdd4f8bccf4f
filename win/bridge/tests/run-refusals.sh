#!/usr/bin/env bash
# DLLs built wrongly on purpose (win/pecheck/broken-dlls.sh keeps them) met by the bridge's NX
# libraries as each layout of NX's releases exports them: each that some release would refuse is
# refused by the loader of that layout, naming the import its libraries lack, and the DLL built
# the right way runs in every layout.
#
#   run-refusals.sh BRIDGE_DIR BROKEN_DIR OUT_DIR ARCH_SUFFIX      (ARCH_SUFFIX: win64 or win32)
#
# Exit 0 all as expected, 1 a case differs, 77 (skipped) without the bridge or the broken DLLs.
set -u
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 4 ] || { echo "usage: run-refusals.sh BRIDGE_DIR BROKEN_DIR OUT_DIR win64|win32" >&2; exit 2; }
bridge=$(cd "$1" 2>/dev/null && pwd) || { echo "skipped: the Wine bridge is not built ($1)"; exit 77; }
broken=$2 out=$3 w=$4
runner=$bridge/bin/kelvora-sim-wine
[ -x "$runner" ] && [ -f "$bridge/wineprefix/system.reg" ] || { echo "skipped: the Wine bridge is not built ($1)"; exit 77; }
[ -f "$broken/good-$w.dll" ] || { echo "skipped: $broken holds no broken DLLs (test dll.pecheck.broken makes them)"; exit 77; }
mkdir -p "$out"
# The oldest and the newest layout: the moved call is in libugopenint.dll in the one, libufun.dll
# in the other.
old=$(head -n 1 "$bridge/bin/nx-layouts.txt" | cut -d' ' -f1)
new=$(tail -n 1 "$bridge/bin/nx-layouts.txt" | cut -d' ' -f1)
[ "$old" != "$new" ] || { echo "refusals: FAILED: the bridge has one layout only ($old)"; exit 1; }

refused="Windows refuses it \(error 127: a call it imports is missing\): NX's libraries lack"
# DLL | RELEASE | EXIT CODE | the end of the message (an extended regular expression; empty: none)
cases=(
  "good|$old|0|"
  "good|$new|0|"
  "decorated|$new|2|$refused _[A-Za-z0-9_]+(, _[A-Za-z0-9_]+)*"
  "wrong-library|$old|2|$refused UF_MB_add_actions"
  "moved-ufun|$old|2|$refused UF_DISP_regenerate_display"
  "moved-ufun|$new|0|"
  "moved-ugopenint|$new|2|$refused UF_DISP_regenerate_display"
  "moved-ugopenint|$old|0|"
)
passed=0
failed=0
for c in "${cases[@]}"; do
  IFS='|' read -r name release code pattern <<<"$c"
  dll=$broken/$name-$w.dll
  tag=$name-$release
  KELVORA_NX_RELEASE=$release KELVORA_WINE_TIMEOUT=60 timeout 120 "$runner" run --plugin "$dll" \
    "$here/refusals/scenario.json" --out "$out/$tag" 2>"$out/$tag.stderr" >/dev/null
  rc=$?
  if [ -z "$pattern" ]; then
    [ ! -s "$out/$tag.stderr" ]
  else
    grep -qE -- "$pattern\$" "$out/$tag.stderr"
  fi
  said=$?
  if [ "$rc" = "$code" ] && [ $said = 0 ]; then
    echo "refusals: $name-$w.dll in $release's layout: $([ "$rc" = 0 ] && echo runs || echo refused) (passed)"
    passed=$((passed + 1))
  else
    echo "refusals: $name-$w.dll in $release's layout FAILED: exit $rc (expected $code); standard error:"
    cat "$out/$tag.stderr"
    [ -z "$pattern" ] || echo "expected a line ending: $pattern"
    failed=$((failed + 1))
  fi
done
echo "refusals: $passed passed, $failed failed"
[ $failed -eq 0 ]
