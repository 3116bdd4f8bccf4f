#!/usr/bin/env bash
# Builds the Wine bridge into DIR (its own CMake build, without sanitizers) and makes its Wine
# prefix, so that kelvora-sim run --plugin can run the plug-in's DLL:
#
#   build-bridge.sh DIR [x86_64|i686]
#
# i686 builds the bridge of the 32-bit DLL: the host and the runner as i386 code
# (i686-linux.cmake), Wine's 32-bit loader and a win32 prefix.
# DIR/bin/kelvora-sim-wine is the runner; DIR/wineprefix the prefix (made once, then kept);
# DIR/locale the Chinese locale when the system lacks it. JOBS (default 2) sets the build's jobs.
# Exit code 77 (skipped) when Wine, its development tools or the Chinese locale's sources are
# missing; 1 when the build or the prefix failed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 1 ] || { [ $# -eq 2 ] && { [ "$2" = x86_64 ] || [ "$2" = i686 ]; }; } ||
  { echo "usage: build-bridge.sh DIR [x86_64|i686]" >&2; exit 2; }
arch=${2:-x86_64}
mkdir -p "$1"
dir=$(cd "$1" && pwd)

skip() { echo "bridge: skipped: $*"; exit 77; }
fail() { echo "bridge: FAILED: $*"; exit 1; }

if [ "$arch" = i686 ]; then
  winearch=win32 toolchain=(-DCMAKE_TOOLCHAIN_FILE="$here/i686-linux.cmake")
  wine=$(ls /usr/lib/wine/wine 2>/dev/null || command -v wine) || skip "32-bit Wine is not installed (package wine32:i386)"
  [ -d /usr/lib/i386-linux-gnu/wine ] || skip "Wine's 32-bit development files are not installed (package libwine-dev:i386)"
  echo 'int main(){}' | g++ -m32 -x c++ - -o /dev/null 2>/dev/null || skip "g++ -m32 cannot build (package g++-multilib)"
  [ -d /usr/lib/i386-linux-gnu/cmake/opencascade ] || skip "Open CASCADE for i386 is not installed (libocct-*-dev:i386)"
  command -v i686-w64-mingw32-g++ >/dev/null || skip "i686-w64-mingw32-g++ is not installed (package g++-mingw-w64-i686)"
else
  winearch=win64 toolchain=()
  wine=$(command -v wine64 || ls /usr/lib/wine/wine64 2>/dev/null) || skip "wine64 is not installed (package wine64)"
fi
wineserver=$(command -v wineserver || ls /usr/lib/wine/wineserver 2>/dev/null) || skip "wineserver is not installed"
# Debian's wine64-tools puts Wine's tools in /usr/lib/wine/ (and on PATH as NAME-stable only).
wine_tool() { command -v "$1" || command -v "$1-stable" || ls "/usr/lib/wine/$1" 2>/dev/null; }
winegxx=$(wine_tool wineg++) && winebuild=$(wine_tool winebuild) || skip "winegcc is not installed (package wine64-tools)"
command -v cmake >/dev/null || skip "cmake is not installed"

# Two builds at once would share the directory and the prefix.
exec 9>"$dir/.lock"
flock -w 1800 9 || fail "another build holds $dir/.lock"

gen=(); command -v ninja >/dev/null && gen=(-G Ninja)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$dir" "${gen[@]}" "${toolchain[@]}" -DKV_BRIDGE_ARCH="$arch" -DCMAKE_BUILD_TYPE=Release -DWINEGXX="$winegxx" -DWINEBUILD="$winebuild" >"$dir/cmake.log" 2>&1 ||
    { cat "$dir/cmake.log"; fail "cmake"; }
fi
started=$(date +%s)
cmake --build "$dir" -j "${JOBS:-2}" >"$dir/build.log" 2>&1 || { tail -n 60 "$dir/build.log"; fail "the build"; }
echo "bridge: built in $(( $(date +%s) - started )) s"

# The plug-in's texts are GBK: Wine takes the ANSI code page 936 from a Chinese locale.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' && [ ! -d "$dir/locale/zh_CN.UTF-8" ]; then
  mkdir -p "$dir/locale"
  localedef -i zh_CN -f UTF-8 "$dir/locale/zh_CN.UTF-8" >/dev/null 2>&1 ||
    { rm -rf "$dir/locale"; skip "the zh_CN locale cannot be made (package locales)"; }
fi
locale_env=(LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8)
[ -d "$dir/locale/zh_CN.UTF-8" ] && locale_env+=(LOCPATH="$dir/locale")

export WINEPREFIX=$dir/wineprefix WINEARCH=$winearch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
configured() { grep -q '"Graphics"="null"' "$WINEPREFIX/user.reg" && grep -q '"ShowDotFiles"="Y"' "$WINEPREFIX/user.reg"; } 2>/dev/null
if [ ! -f "$WINEPREFIX/system.reg" ] || ! configured; then
  echo "bridge: making the Wine prefix $WINEPREFIX (once)"
  [ -f "$WINEPREFIX/system.reg" ] || env "${locale_env[@]}" timeout 300 "$wine" wineboot -i >"$dir/wineboot.log" 2>&1 </dev/null
  "$wineserver" -w
  [ -f "$WINEPREFIX/system.reg" ] || fail "the Wine prefix was not made (see $dir/wineboot.log)"
  # Windows are made and answered without a display (Wine's null graphics driver), and the
  # folder browser shows every folder, those whose names begin with a dot too.
  env "${locale_env[@]}" "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$dir/wineboot.log" 2>&1 </dev/null
  env "${locale_env[@]}" "$wine" reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >>"$dir/wineboot.log" 2>&1 </dev/null
  "$wineserver" -w
  configured || fail "the prefix's settings were not made (see $dir/wineboot.log)"
fi
echo "bridge: ready: $dir/bin/kelvora-sim-wine"
