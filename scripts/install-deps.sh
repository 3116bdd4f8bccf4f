#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the sheet previews need (chromium,
# zbar-tools and zint: the labels' barcodes rendered, decoded and compared), with
# the Windows DLLs: mingw-w64 builds them and the bridge's test plug-ins, and Wine with its
# development tools (winegcc) builds and runs the bridge that plays the scenario cases on the DLLs. The
# 32-bit DLL's bridge needs the i386 architecture: 32-bit Wine, its winelib files, and the
# simulated host's libraries as i386 packages (g++-multilib compiles them with -m32).
# wine32-tools is left out on purpose: it conflicts with wine64-tools, and winegcc -m32 works
# with libwine-dev:i386 alone.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  nlohmann-json3-dev zlib1g-dev
  libocct-foundation-dev libocct-modeling-data-dev libocct-modeling-algorithms-dev
  libocct-data-exchange-dev libtbb-dev
  clang libclang-rt-14-dev
  librsvg2-bin
  chromium zbar-tools zint
  fonts-wqy-microhei
  python3 make zip
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine64 wine64-tools libwine-dev locales
  g++-multilib wine32:i386 libwine-dev:i386
  libocct-foundation-dev:i386 libocct-modeling-data-dev:i386 libocct-modeling-algorithms-dev:i386
  libocct-data-exchange-dev:i386 libtbb-dev:i386 libgtest-dev:i386 zlib1g-dev:i386
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
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
