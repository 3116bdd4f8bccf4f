#!/usr/bin/env bash
# Runs one scenario case on the plug-in's Windows DLL under Wine and compares its outputs with
# the case's expected/ folder, the same files the Linux build's run is compared with:
#
#   check-dll-scenario.sh KELVORA_SIM KELVORA.DLL BRIDGE_DIR CASE_DIR OUT_DIR [READINGS.json]
#
# BRIDGE_DIR is build-bridge.sh's folder. Exit code 77 (skipped) when the bridge or the DLL is
# not built; otherwise scripts/check-scenario.sh's. READINGS.json plays the case under the host's
# other readings of undocumented NX, as scripts/check-scenario.sh does.
set -u
[ $# -eq 5 ] || [ $# -eq 6 ] ||
  { echo "usage: check-dll-scenario.sh KELVORA_SIM KELVORA.DLL BRIDGE_DIR CASE_DIR OUT_DIR [READINGS.json]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
runner=$3/bin/kelvora-sim-wine
[ -x "$runner" ] && [ -f "$3/wineprefix/system.reg" ] || { echo "skipped: the Wine bridge is not built ($runner)"; exit 77; }
[ -f "$2" ] || { echo "skipped: $2 does not exist (make it with scripts/build-dll.sh)"; exit 77; }
KV_SIM=$1 KV_DLL=$2 KELVORA_WINE_RUNNER=$runner exec bash "$here/../../scripts/check-scenario.sh" "$here/kelvora-sim-dll" "$4" "$5" ${6:+"$6"}
