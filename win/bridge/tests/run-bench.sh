#!/usr/bin/env bash
# What crossing the bridge costs: kvbridge-bench (bench_host.cpp) with the bench plug-in and the
# demo part, N calls per run (default 200000), each figure the median of 11 runs:
#
#   run-bench.sh BRIDGE_DIR [N]
set -u
[ $# -ge 1 ] || { echo "usage: run-bench.sh BRIDGE_DIR [N]" >&2; exit 2; }
bridge=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/../../.." && pwd)
plugin=$bridge/bin/plugins/bench_plugin.dll
[ -f "$plugin" ] || { echo "run-bench: $plugin is not built (MinGW missing?)" >&2; exit 1; }
exec "$bridge/bin/kvbridge-bench" "Z:${plugin//\//\\}" "$top/examples/demo/core.prt" "${2:-200000}"
