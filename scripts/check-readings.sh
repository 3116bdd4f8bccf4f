#!/usr/bin/env bash
# Plays a scenario under the host's default readings of undocumented NX and under the readings
# READINGS.json gives (a scenario's "host" object), and compares the two runs: every output the
# same, part dumps and sheets compared by scripts/same-output.py, dates as dates (as scripts/check-scenario.sh).
#   check-readings.sh KELVORA_SIM SCENARIO.json OUT_DIR READINGS.json
# For scenarios without expected outputs of their own (the demo). Exit code 0 the same, 1 not.
set -u
[ $# -eq 4 ] || { echo "usage: check-readings.sh KELVORA_SIM SCENARIO.json OUT_DIR READINGS.json" >&2; exit 2; }
sim=$1 scenario=$(cd "$(dirname "$2")" && pwd)/$(basename "$2") out=$3 readings=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"; mkdir -p "$out/default" "$out/other"
printf '{ "over": "%s", "host": %s }\n' "$scenario" "$(cat "$readings")" > "$out/over.json"
status=0
"$sim" run "$scenario" --out "$out/default" 2>"$out/default.stderr" || { echo "the run under the default readings failed:"; cat "$out/default.stderr"; status=1; }
"$sim" run "$out/over.json" --out "$out/other" 2>"$out/other.stderr" || { echo "the run under the other readings failed:"; cat "$out/other.stderr"; status=1; }
for run in default other; do
  while IFS= read -r -d '' f; do
    sed -i -E 's#[0-9]{4}/[0-9]{2}/[0-9]{2}#YYYY/MM/DD#g' "$f"
  done < <(find "$out/$run" \( -path "*/sheets/*.svg" -o -path "*/parts/*.json" -o -name '*_EDM.html' -o -name '*_EDM_JOB.ini' \) -type f -print0)
done
while IFS= read -r -d '' f; do
  rel=${f#"$out/default/"}
  if [ ! -f "$out/other/$rel" ]; then echo "== $rel is missing under the other readings"; status=1; continue; fi
  if [[ $rel == parts/*.json || $rel == sheets/*.svg ]]; then
    python3 "$here/same-output.py" "$f" "$out/other/$rel" > "$out/diff.txt" 2>&1 ||
      { echo "== $rel differs:"; head -n 60 "$out/diff.txt"; status=1; }
  elif ! diff -u "$f" "$out/other/$rel" > "$out/diff.txt" 2>&1; then
    echo "== $rel differs:"; head -n 60 "$out/diff.txt"; status=1
  fi
done < <(find "$out/default" -type f -print0 | sort -z)
[ $status = 0 ] && echo "the $(find "$out/other" -type f | wc -l) output files under the other readings are the default's"
exit $status
