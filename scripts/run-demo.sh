#!/usr/bin/env bash
# Installs what is missing, builds, and plays the demo scenario into out/demo/.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh"
out=$top/out/demo
rm -rf "$out"
"${BUILD_DIR:-$top/build}/kelvora-sim" run "$top/examples/demo/scenario.json" --out "$out"
echo "demo outputs in $out:"; ls -R "$out" | sed 's/^/  /'
