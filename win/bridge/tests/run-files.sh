#!/usr/bin/env bash
# The job sheet's refusals on both builds: an earlier sheet that is read-only and a folder that
# bears the sheet's name are left as they are, the message names the file and the reason, the
# press writes neither file, and the Linux build and the DLL under Wine say the same. Then a
# full disk (a small tmpfs, mounted for the test: it needs root) under an earlier sheet: the
# earlier files stay whole, nothing is left beside them, and the message names the file.
#
#   run-files.sh KELVORA_SIM KELVORA.DLL BRIDGE_DIR OUT_DIR
#
# Exit 0 as expected, 1 not, 77 (skipped) without the bridge or the DLL.
set -u
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../.." && pwd)
[ $# -eq 4 ] || { echo "usage: run-files.sh KELVORA_SIM KELVORA.DLL BRIDGE_DIR OUT_DIR" >&2; exit 2; }
sim=$1 dll=$2 bridge=$3 out=$4
rm -rf "$out"
case=$out/case
mkdir -p "$case/blocked/core_EDM.html" "$case/locked" "$case/full"
full=$case/full
if [ "$(id -u)" != 0 ] || ! mount -t tmpfs -o size=64k,mode=0755 kelvora-full "$full"; then
  echo "files: FAILED: a full disk needs a small tmpfs, and mounting one needs root"
  exit 1
fi
trap 'umount "$full"' EXIT
printf 'old sheet' >"$full/core_EDM.csv"
printf 'old page' >"$full/core_EDM.html"
dd if=/dev/zero of="$full/filler" bs=4k 2>/dev/null  # until the disk is full
echo keep >"$case/blocked/core_EDM.html/keep.txt"
printf 'old sheet' >"$case/locked/core_EDM.csv"
chmod 444 "$case/locked/core_EDM.csv"
cat >"$case/scenario.json" <<JSON
{
  "description": "The job sheet into a folder holding a folder of the HTML's name, then into one holding a read-only CSV of an earlier press, then onto a full disk holding an earlier sheet.",
  "kit": "$top/kit",
  "part": "$top/tests/scenarios/jobsheet_cannot_write/core.prt",
  "steps": [
    { "action": "KELVORA_DRAFT", "events": [
      { "press": "JOB_SHEET_ACTION", "answers": [ { "folder": "\${SCENARIO}/blocked" } ] },
      { "press": "JOB_SHEET_ACTION", "answers": [ { "folder": "\${SCENARIO}/locked" } ] },
      { "press": "JOB_SHEET_ACTION", "answers": [ { "folder": "\${SCENARIO}/full" } ] },
      "cancel"
    ] }
  ]
}
JSON
status=0
bash "$top/win/bridge/check-same.sh" "$sim" "$dll" "$bridge" "$case/scenario.json" "$out/same"
rc=$?
[ $rc = 77 ] && exit 77
[ $rc = 0 ] || status=1
expect() {  # TEXT: a line of the Linux run's transcript
  grep -qxF -- "$1" "$out/same/linux/transcript.txt" || { echo "files: FAILED: no line: $1"; status=1; }
}
expect "box: 已有同名的文件夹，加工单未写入：$case/blocked/core_EDM.html"
expect "box: 文件为只读，加工单未写入：$case/locked/core_EDM.csv"
[ "$(cat "$case/locked/core_EDM.csv")" = "old sheet" ] || { echo "files: FAILED: the read-only sheet changed"; status=1; }
expect "box: 无法写入文件（文件夹不可写、磁盘已满或文件被其它程序打开）：$full/core_EDM.csv"
[ "$(cat "$full/core_EDM.csv")|$(cat "$full/core_EDM.html")" = "old sheet|old page" ] ||
  { echo "files: FAILED: the earlier sheet on the full disk changed"; status=1; }
[ "$(ls "$full" | tr '\n' ' ')" = "core_EDM.csv core_EDM.html filler " ] ||
  { echo "files: FAILED: the full disk holds $(ls "$full" | tr '\n' ' ')"; status=1; }
[ "$(cat "$case/blocked/core_EDM.html/keep.txt")" = keep ] || { echo "files: FAILED: the folder changed"; status=1; }
left=$(cd "$case" && find blocked locked full -newer scenario.json ! -path 'blocked/core_EDM.html*' ! -path full ! -path full/filler | tr '\n' ' ')
[ -z "$left" ] || { echo "files: FAILED: the presses left $left"; status=1; }
[ $status = 0 ] && echo "files: both builds refused the three targets alike and left them as they were"
exit $status
