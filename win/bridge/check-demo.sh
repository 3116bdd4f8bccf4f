#!/usr/bin/env bash
# Runs the demo (examples/demo) on the linked plug-in and on its Windows DLL under Wine and
# compares every output file of the two runs; dates in sheets, part dumps and job sheets are
# compared as dates, as scripts/check-scenario.sh does:
#
#   check-demo.sh KELVORA_SIM KELVORA.DLL BRIDGE_DIR OUT_DIR
#
# Exit code 0 the same outputs, 1 they differ or a run failed, 77 (skipped) without the bridge or the DLL.
set -u
[ $# -eq 4 ] || { echo "usage: check-demo.sh KELVORA_SIM KELVORA.DLL BRIDGE_DIR OUT_DIR" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
sim=$1 dll=$2 runner=$3/bin/kelvora-sim-wine out=$4
[ -x "$runner" ] && [ -f "$3/wineprefix/system.reg" ] || { echo "skipped: the Wine bridge is not built ($runner)"; exit 77; }
[ -f "$dll" ] || { echo "skipped: $dll does not exist (make it with scripts/build-dll.sh)"; exit 77; }
scenario=$here/../../examples/demo/scenario.json
rm -rf "$out"
mkdir -p "$out"
status=0
"$sim" run "$scenario" --out "$out/linux" 2>"$out/linux.stderr" || { echo "demo: the Linux run failed:"; cat "$out/linux.stderr"; status=1; }
KELVORA_WINE_RUNNER=$runner "$sim" run --plugin "$dll" "$scenario" --out "$out/dll" 2>"$out/dll.stderr" ||
  { echo "demo: the DLL's run failed:"; cat "$out/dll.stderr"; status=1; }
for run in linux dll; do
  while IFS= read -r -d '' f; do
    sed -i -E 's#[0-9]{4}/[0-9]{2}/[0-9]{2}#YYYY/MM/DD#g' "$f"
  done < <(find "$out/$run" \( -path "*/sheets/*.svg" -o -path "*/parts/*.json" -o -name '*_EDM.html' \) -type f -print0)
done
if diff -r "$out/linux" "$out/dll" >"$out/diff.txt"; then
  echo "demo: the DLL's $(find "$out/dll" -type f | wc -l) output files are the Linux build's"
else
  echo "demo: the outputs differ:"; head -n 80 "$out/diff.txt"; status=1
fi
exit $status
