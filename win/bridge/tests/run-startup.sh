#!/usr/bin/env bash
# NX's start-up of the plug-in's DLL, as the bridge sees it: the menu actions registered, the
# entries to NX's API balanced, what the user is shown, and the About dialog as it is drawn:
#
#   run-startup.sh BRIDGE_DIR KELVORA.DLL OUT_DIR
#
# Each case of startup/ is played with KELVORA_WINE_REPORT set; its transcript, the bridge's
# report and the exit code are compared with the case's expected/ files. work_part is played in
# every layout of NX's libraries; about.png, when the report names it, must be the size it says
# and show more than a blank dialog.
# Exit code 0 all as expected, 1 a case differs, 77 (skipped) without the bridge or the DLL.
set -u
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 3 ] || { echo "usage: run-startup.sh BRIDGE_DIR KELVORA.DLL OUT_DIR" >&2; exit 2; }
bridge=$(cd "$1" 2>/dev/null && pwd) || { echo "skipped: the Wine bridge is not built"; exit 77; }
dll=$2 out=$3
runner=$bridge/bin/kelvora-sim-wine
[ -x "$runner" ] && [ -f "$bridge/wineprefix/system.reg" ] || { echo "skipped: the Wine bridge is not built"; exit 77; }
[ -f "$dll" ] || { echo "skipped: $dll does not exist (make it with scripts/build-dll.sh)"; exit 77; }
command -v python3 >/dev/null || { echo "skipped: python3 is not installed (it reads about.png)"; exit 77; }
rm -rf "$out"
mkdir -p "$out"

# The PNG's size is the one the report gives, and it shows the dialog's texts and picture: many
# colours, not one background.
check_picture() {  # PNG REPORT
  python3 - "$1" "$2" <<'PY'
import re, struct, sys, zlib
png, report = sys.argv[1], open(sys.argv[2], encoding="utf-8").read()
said = re.search(r"pictured in about\.png \((\d+)x(\d+)\)", report)
data = open(png, "rb").read()
if data[:8] != b"\x89PNG\r\n\x1a\n": sys.exit("about.png is not a PNG file")
width, height = struct.unpack(">II", data[16:24])
if not said or (width, height) != (int(said[1]), int(said[2])):
    sys.exit(f"about.png is {width}x{height}, the report says {said and said[0]}")
at, idat = 8, b""
while at < len(data):
    n, kind = struct.unpack(">I", data[at:at + 4])[0], data[at + 4:at + 8]
    if kind == b"IDAT": idat += data[at + 8:at + 8 + n]
    at += 12 + n
raw, row = zlib.decompress(idat), 1 + 3 * width
colours = {raw[y * row + 1 + 3 * x:y * row + 4 + 3 * x] for y in range(height) for x in range(width)}
if len(colours) < 16: sys.exit(f"about.png shows {len(colours)} colours: the dialog was not drawn")
PY
}

passed=0
failed=0
play() {  # CASE LABEL [VAR=VALUE...]
  local name=$1 label=$2
  shift 2
  local dir=$here/startup/$name run=$out/$label
  mkdir -p "$run/report"
  env "$@" KELVORA_WINE_REPORT="$run/report" KELVORA_WINE_TIMEOUT=30 \
    timeout 120 "$runner" run --plugin "$dll" "$dir/scenario.json" --out "$run/out" 2>"$run/stderr.txt" >/dev/null
  local rc=$? problems=""
  local want=0
  [ -f "$dir/expected/exit_code" ] && want=$(cat "$dir/expected/exit_code")
  [ "$rc" = "$want" ] || problems+="exit $rc (expected $want); standard error: $(cat "$run/stderr.txt")"$'\n'
  diff -u "$dir/expected/transcript.txt" "$run/out/transcript.txt" >"$run/transcript.diff" 2>&1 ||
    problems+="the transcript differs:"$'\n'"$(cat "$run/transcript.diff")"$'\n'
  diff -u "$dir/expected/report.txt" "$run/report/report.txt" >"$run/report.diff" 2>&1 ||
    problems+="the report differs:"$'\n'"$(cat "$run/report.diff")"$'\n'
  if grep -q 'pictured in about.png' "$dir/expected/report.txt"; then
    why=$(check_picture "$run/report/about.png" "$run/report/report.txt" 2>&1) || problems+="$why"$'\n'
  fi
  if [ -z "$problems" ]; then
    echo "startup: $label passed"
    passed=$((passed + 1))
  else
    echo "startup: $label FAILED (outputs in $run):"
    printf '%s' "$problems"
    failed=$((failed + 1))
  fi
}

play no_work_part no_work_part
play init_fails init_fails
play init_fails_in_actions init_fails_in_actions
# The DLL starts alike in the oldest release of each layout of NX's libraries.
while read -r layout oldest _; do
  play work_part "work_part-$layout" KELVORA_NX_RELEASE="$oldest"
done <"$bridge/bin/nx-layouts.txt"
echo "startup: $passed passed, $failed failed"
[ $failed -eq 0 ] && [ $passed -gt 0 ]
