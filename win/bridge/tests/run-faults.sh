#!/usr/bin/env bash
# The bridge's fault cases: the test plug-in (fault_plugin.cpp) faulting in a menu action, in a
# dialog callback and inside an NX call, hanging without a window and in a window nobody can
# answer, a menu action table without its end row (bad_table_plugin.cpp), and DLLs Windows would
# not run. Each run must end with its exit code and a message
# naming what happened and where, not hang:
#
#   run-faults.sh BRIDGE_DIR OUT_DIR
#
# Exit code 0 all as expected, 1 a case differs, 77 (skipped) without the bridge or the test plug-ins.
set -u
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 2 ] || { echo "usage: run-faults.sh BRIDGE_DIR OUT_DIR" >&2; exit 2; }
bridge=$(cd "$1" 2>/dev/null && pwd) || { echo "skipped: the Wine bridge is not built"; exit 77; }
out=$2
runner=$bridge/bin/kelvora-sim-wine
plugins=$bridge/bin/plugins
[ -x "$runner" ] && [ -f "$bridge/wineprefix/system.reg" ] || { echo "skipped: the Wine bridge is not built"; exit 77; }
[ -f "$plugins/fault_plugin.dll" ] || { echo "skipped: the test plug-ins are not built (MinGW missing)"; exit 77; }
mkdir -p "$out"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
esc() { printf '%s' "$1" | sed 's/[][\\.*^$()+?{}|]/\\&/g'; }
dll=$(esc "$(winpath "$plugins")")

# NAME | PLUG-IN | SCENARIO | EXIT CODE | the whole message (an extended regular expression)
cases=(
  "fault_action|fault_plugin|fault_action|1|kelvora-sim: the plug-in's run faulted: access violation \(writing address 0x0\) at fault_plugin\.dll\+0x[0-9a-f]+, in menu action KV_FAULT_ACTION"
  "fault_dialog|fault_plugin|fault_dialog|1|kelvora-sim: the plug-in's run faulted: access violation \(writing address 0x0\) at fault_plugin\.dll\+0x[0-9a-f]+, in menu action KV_FAULT_DIALOG > NX call UF_STYLER_create_dialog > dialog callback of ACTION_2 \(activate\) in setElectLayer\.dlg"
  "fault_in_call|fault_plugin|fault_in_call|1|kelvora-sim: the plug-in's run faulted: access violation \(writing address 0x10\) at libnxsim\.so \([A-Za-z_0-9]+\+0x[0-9a-f]+\), in menu action KV_FAULT_IN_CALL > NX call UF_OBJ_ask_name"
  "hang|fault_plugin|hang|1|kelvora-sim: timeout: menu action KV_HANG did not return within 3 s \(open windows: none\); a window it waits for was not answered, or it never opened"
  "stuck|fault_plugin|stuck|1|kelvora-sim: timeout: menu action KV_STUCK did not return within 3 s \(open windows: \"Kelvora test\" \(KvTestStuck\)\); a window it waits for was not answered, or it never opened"
  "no_entry|no_entry_plugin|hang|2|kelvora-sim: --plugin $dll\\\\no_entry_plugin\.dll: exports no ufsta"
  "bad_table|bad_table_plugin|start_only|1|kelvora-sim: UF_MB_add_actions: the action table is refused: row 2 is neither an action nor the end row \(name unreadable, callback not code\)"
  "missing_call|missing_call_plugin|hang|2|kelvora-sim: --plugin $dll\\\\missing_call_plugin\.dll: Windows refuses it \(error 127: a call it imports is missing\): NX's libraries lack UF_BRIDGE_NO_SUCH_CALL"
)

passed=0
failed=0
for c in "${cases[@]}"; do
  IFS='|' read -r name plugin scenario code pattern <<<"$c"
  started=$(date +%s)
  KELVORA_WINE_TIMEOUT=3 timeout 60 "$runner" run --plugin "$plugins/$plugin.dll" "$here/faults/$scenario.json" \
    --out "$out/$name" 2>"$out/$name.stderr" >/dev/null
  rc=$?
  took=$(( $(date +%s) - started ))
  if [ "$rc" = "$code" ] && [ "$(wc -l <"$out/$name.stderr")" = 1 ] && grep -qEx -- "$pattern" "$out/$name.stderr"; then
    echo "faults: $name passed (exit $rc, $took s)"
    passed=$((passed + 1))
  else
    echo "faults: $name FAILED: exit $rc (expected $code) after $took s; standard error:"
    cat "$out/$name.stderr"
    echo "expected one line matching: $pattern"
    failed=$((failed + 1))
  fi
done
echo "faults: $passed passed, $failed failed"
[ $failed -eq 0 ]
