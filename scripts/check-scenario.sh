#!/usr/bin/env bash
# Runs one scenario case and compares its outputs with the case's expected/ folder.
#   check-scenario.sh KELVORA_SIM CASE_DIR OUT_DIR [READINGS.json]
# expected/exit_code holds the exit code the run must end with (0 when absent); stderr.txt
# is compared with the case folder's path written as <case>. Only files present in expected/
# are compared.
# With READINGS.json (a scenario's "host" object: the host's other readings of undocumented NX)
# the case is played under those readings, laid over the case's own scenario, and must end as it
# does under the default ones: every output the same, part dumps and sheets compared by scripts/same-output.py.
set -u
sim=$1; case_dir=$(cd "$2" && pwd); out=$3; readings=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"; mkdir -p "$out"
scenario=$case_dir/scenario.json
if [ -n "$readings" ]; then
  scenario=$out/over.json
  printf '{ "over": "%s", "host": %s }\n' "$case_dir/scenario.json" "$(cat "$readings")" > "$scenario"
fi
"$sim" run "$scenario" --out "$out/run" 2> "$out/stderr.raw"
code=$?
mkdir -p "$out/run"
sed "s|$case_dir|<case>|g" "$out/stderr.raw" > "$out/run/stderr.txt"
echo "$code" > "$out/run/exit_code"
# Drawings carry the date they were made (the title block's DATE), job sheets the date they were
# written: compare it as a date.
while IFS= read -r -d '' f; do
  sed -i -E 's#[0-9]{4}/[0-9]{2}/[0-9]{2}#YYYY/MM/DD#g' "$f"
done < <(find "$out/run" \( -path "$out/run/sheets/*.svg" -o -path "$out/run/parts/*.json" -o -name '*_EDM.html' -o -name '*_EDM_JOB.ini' \) -type f -print0)
want_code=0
[ -f "$case_dir/expected/exit_code" ] && want_code=$(cat "$case_dir/expected/exit_code")
status=0
if [ "$code" != "$want_code" ]; then
  echo "exit code $code, expected $want_code"; cat "$out/run/stderr.txt"; status=1
fi
if [ ! -d "$case_dir/expected" ]; then
  echo "no expected/ folder in $case_dir (run scripts/accept-scenarios.sh after looking at $out/run)"
  exit 1
fi
while IFS= read -r -d '' f; do
  rel=${f#"$case_dir/expected/"}
  [ "$rel" = exit_code ] && continue
  if [ -n "$readings" ] && [[ $rel == parts/*.json || $rel == sheets/*.svg ]] && [ -f "$out/run/$rel" ]; then
    python3 "$here/same-output.py" "$f" "$out/run/$rel" > "$out/diff.txt" 2>&1 ||
      { echo "== $rel differs from expected:"; head -n 60 "$out/diff.txt"; status=1; }
    continue
  fi
  if ! diff -u "$f" "$out/run/$rel" > "$out/diff.txt" 2>&1; then
    echo "== $rel differs from expected:"; head -n 60 "$out/diff.txt"; status=1
  fi
done < <(find "$case_dir/expected" -type f -print0 | sort -z)
exit $status
