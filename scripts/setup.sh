#!/usr/bin/env bash
# Installs everything ZEB needs from Debian's packages, builds libjpeg-turbo and the plug-ins' libraries
# for the two cross builds (32- and 64-bit) and for the fuzz targets from Debian's source packages, and
# makes the Wine prefixes.
# Idempotent: a second run only checks and returns in seconds.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=env.sh
source "$here/scripts/env.sh"

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev clang-format
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-tools nasm
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64
  googletest libgtest-dev libjpeg62-turbo-dev libjpeg-turbo-progs
  liblcms2-dev libexif-dev
  meson python3 libheif-examples libavif-bin libjxl-tools
  wine wine32:i386 xvfb x11-utils dpkg-dev
  nsis zip unzip
)

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

# 1. Debian packages (the i386 architecture first, for wine32).
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_ dpkg --add-architecture i386
  need_update=1
fi
srcfile=/etc/apt/sources.list.d/zeb-deb-src.sources
if [ ! -f "$srcfile" ]; then
  # Source packages need deb-src entries: derive them from the machine's own Debian sources.
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    grep -qi '^URIs:.*debian' "$f" || continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f"
    echo
  done | sudo_ tee "$srcfile" >/dev/null
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | sudo_ tee -a /etc/apt/sources.list.d/zeb-deb-src.list >/dev/null || true
  fi
  need_update=1
fi
missing=$(missing_packages)
if [ -n "$missing" ]; then
  echo "setup: installing $(echo $missing | tr '\n' ' ')"
  sudo_ apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends $missing >/dev/null
elif [ "${need_update:-0}" = 1 ]; then
  sudo_ apt-get update -qq
fi

mkdir -p "$ZEB_CACHE"

# 2. libjpeg-turbo and the plug-ins' libraries for the cross build, from Debian's source packages.
bash "$here/scripts/setup_cross_libs.sh" i686
bash "$here/scripts/setup_cross_libs.sh" x86_64
# The same libraries (and libjpeg-turbo) built natively with the fuzzer's instrumentation, for the fuzz targets.
bash "$here/scripts/setup_fuzz_libs.sh"

# 3. The Wine prefixes (no Mono or Gecko offers): one for running the viewer on a desktop, one for the
#    tests' private displays, where windows are unmanaged (both 32-bit), and a 64-bit one like the second
#    for zeb64.exe.
make_prefix() {
  local prefix=$1 arch=${2:-win32}
  if [ ! -f "$prefix/system.reg" ]; then
    echo "setup: creating the Wine prefix $prefix ($arch)"
    WINEARCH=$arch WINEPREFIX="$prefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all wineboot -i \
      >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w || true
  fi
}
# Windows unmanaged, for the private displays without a window manager, and no crash dialog (a crash
# the tests do not expect ends the program instead of leaving it waiting on a dialog).
make_session_prefix() {
  local prefix=$1 arch=$2
  make_prefix "$prefix" "$arch"
  if ! grep -q '"Managed"="N"' "$prefix/user.reg" 2>/dev/null; then
    WINEARCH=$arch WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
      >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w || true
  fi
  if ! grep -q '"ShowCrashDialog"=dword:00000000' "$prefix/user.reg" 2>/dev/null; then
    WINEARCH=$arch WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
      /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w || true
  fi
}
make_prefix "$WINEPREFIX"
make_session_prefix "$ZEB_SESSION_PREFIX" win32
make_session_prefix "$ZEB_WIN64_PREFIX" win64
if ! grep -q '"LogPixels"=dword:00000090' "$ZEB_SCALED_PREFIX/user.reg" 2>/dev/null; then
  echo "setup: creating the Wine prefix $ZEB_SCALED_PREFIX (144 DPI)"
  rm -rf "$ZEB_SCALED_PREFIX"
  cp -a "$ZEB_SESSION_PREFIX" "$ZEB_SCALED_PREFIX"
  WINEPREFIX="$ZEB_SCALED_PREFIX" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
    >/dev/null 2>&1 || true
  WINEPREFIX="$ZEB_SCALED_PREFIX" wineserver -w || true
fi
echo "setup: ready (cache $ZEB_CACHE)"
