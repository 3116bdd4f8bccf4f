#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the sheet previews need, with
# the Windows DLLs: mingw-w64 builds them, Wine (64-bit only) and Xvfb run their smoke test, and
# Wine's development tools (winegcc) build the bridge that plays the scenario cases on the DLL.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  nlohmann-json3-dev
  libocct-foundation-dev libocct-modeling-data-dev libocct-modeling-algorithms-dev
  libocct-data-exchange-dev libtbb-dev
  clang libclang-rt-14-dev
  librsvg2-bin
  fonts-wqy-microhei
  python3 make zip
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine64 wine64-tools libwine-dev xvfb xauth locales
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: nothing to install"
  exit 0
fi
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
