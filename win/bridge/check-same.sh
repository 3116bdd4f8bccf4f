#!/usr/bin/env bash
# Runs a scenario on the linked plug-in and on its Windows DLL under Wine and compares every
# output file of the two runs (the standard error too); dates in sheets, part dumps and job
# sheets are compared as dates, as scripts/check-scenario.sh does:
#
#   check-same.sh KELVORA_SIM KELVORA.DLL BRIDGE_DIR SCENARIO.json OUT_DIR
#
# Exit code 0 the same outputs, 1 they differ or a run failed, 77 (skipped) without the bridge or the DLL.
set -u
[ $# -eq 5 ] || { echo "usage: check-same.sh KELVORA_SIM KELVORA.DLL BRIDGE_DIR SCENARIO.json OUT_DIR" >&2; exit 2; }
sim=$1 dll=$2 runner=$3/bin/kelvora-sim-wine scenario=$4 out=$5
[ -x "$runner" ] && [ -f "$3/wineprefix/system.reg" ] || { echo "skipped: the Wine bridge is not built ($runner)"; exit 77; }
[ -f "$dll" ] || { echo "skipped: $dll does not exist (make it with scripts/build-dll.sh)"; exit 77; }
rm -rf "$out"
mkdir -p "$out/linux" "$out/dll"
status=0
"$sim" run "$scenario" --out "$out/linux" 2>"$out/linux/stderr.txt" || { echo "the Linux run failed:"; cat "$out/linux/stderr.txt"; status=1; }
KELVORA_WINE_RUNNER=$runner "$sim" run --plugin "$dll" "$scenario" --out "$out/dll" 2>"$out/dll/stderr.txt" ||
  { echo "the DLL's run failed:"; cat "$out/dll/stderr.txt"; status=1; }
for run in linux dll; do
  while IFS= read -r -d '' f; do
    sed -i -E 's#[0-9]{4}/[0-9]{2}/[0-9]{2}#YYYY/MM/DD#g' "$f"
  done < <(find "$out/$run" \( -path "*/sheets/*.svg" -o -path "*/parts/*.json" -o -name '*_EDM.html' -o -name '*_EDM_JOB.ini' \) -type f -print0)
done
if diff -r "$out/linux" "$out/dll" >"$out/diff.txt"; then
  echo "the DLL's $(find "$out/dll" -type f | wc -l) output files are the Linux build's"
else
  echo "the outputs differ:"; head -n 80 "$out/diff.txt"; status=1
fi
exit $status
