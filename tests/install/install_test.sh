#!/usr/bin/env bash
# The distribution under Wine: scripts/package.sh makes it; its installer, run silently in a prefix of
# the test's own, puts the files, the shortcut and the keys where they belong; the registered open
# command starts ZEB on a picture; a second install (an upgrade) and the silent uninstall keep a plug-in
# the user added, and the uninstall leaves the registry and the folders as they were before.
#   install_test.sh WIN32_BUILD_DIR
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$here/scripts/env.sh"
failures=0
check() {  # what... -- command: runs the command, counts and tells a failure
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

ZEB_PACKAGE_WIN32=$1 bash "$here/scripts/package.sh" || { echo "FAILED: the package builds"; exit 1; }
version=$(sed -n 's/^project(zeb VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
setup=$here/build/dist/zeb-$version-setup.exe
check "the portable zip holds the program, the host, the plug-ins and the licences" \
  bash -c "unzip -l '$here/build/dist/zeb-$version-portable.zip' | grep -c -E 'ZEB/(zeb.exe|zeb_spihost.exe|png.spi|README.md|licences/libjpeg-turbo.txt)\$' | grep -qx 5"

# A prefix of its own (the tests' prefix copied), its own session; no menu entries made outside it.
work=$(mktemp -d)
trap 'ZEB_SESSION_PREFIX=$work/prefix bash "$here/tests/wine/session.sh" stop; rm -rf "$work"' EXIT
cp -a "$ZEB_SESSION_PREFIX" "$work/prefix"
export ZEB_SESSION_PREFIX=$work/prefix ZEB_WINE_STATE=$work/state WINEPREFIX=$work/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
session() { bash "$here/tests/wine/session.sh" "$@"; }
session start >/dev/null || exit 1
export DISPLAY=$(cat "$work/state/display")
users=$work/prefix/drive_c/users
snapshot() {  # the user's registry and files (Wine's own passing settings and scratch folder aside)
  wine reg export 'HKCU\Software' "$work/reg.tmp" /y >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$work/reg.tmp" | tr -d '\r' |
    awk '/^\[/ { skip = index($0, "\\Software\\Wine\\Temporary System Parameters") > 0 } !skip' >"$1.reg"
  (cd "$users" && find . | grep -v '/Temp/' | sort) >"$1.files"
}
snapshot "$work/before"

session run "$setup" /S
programs=$(cd "$users"/*/AppData/Local/Programs && pwd)/ZEB
for f in zeb.exe zeb_spihost.exe png.spi tiff.spi README.md licences/zlib.txt uninstall.exe ../../../Roaming/Microsoft/Windows/Start\ Menu/Programs/ZEB.lnk; do
  check "installed: $f" test -f "$programs/$f"
done
key() { wine reg query "HKCU\\Software\\$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -q -- "$3"; }
check "the uninstall entry" key 'Microsoft\Windows\CurrentVersion\Uninstall\ZEB' QuietUninstallString 'uninstall.exe" /S'
for e in jpg bmp png tif webp; do
  check "zeb.exe supports .$e" key 'Classes\Applications\zeb.exe\SupportedTypes' ".$e" REG_SZ
  check ".$e opens with ZEB" key "Classes\\.$e\\OpenWithProgids" ZEB.Picture REG_SZ
  check ".$e keeps its default" bash -c "! wine reg query 'HKCU\\Software\\Classes\\.$e' /ve 2>/dev/null | grep -q ZEB"
done

# The registered open command, run as the shell runs it, shows the picture.
{ printf 'BMf\0\0\0\0\0\0\0006\0\0\0(\0\0\0\4\0\0\0\4\0\0\0\1\0\30\0\0\0\0\0000\0\0\0\23\13\0\0\23\13\0\0'
  printf '\0%.0s' $(seq 8); head -c 48 /dev/zero; } >"$work/opened.bmp"  # a black 4 x 4 BMP
command=$(wine reg query 'HKCU\Software\Classes\Applications\zeb.exe\shell\open\command' /ve | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
command=${command//%1/Z:${work//\//\\}\\opened.bmp}
eval "wine $command" &
shown=1
for _ in $(seq 100); do
  xwininfo -root -tree | grep -qF '"[F] (1/1) opened.bmp 4x4 100%"' && shown=0 && break
  sleep 0.1
done
check "the open command shows the picture (title)" test $shown = 0
wine taskkill /f /im zeb.exe >/dev/null 2>&1
wait

# A plug-in of the user's own stays through an upgrade and the uninstall.
cp "$programs/png.spi" "$programs/mine.spi"
session run "$setup" /S
check "an upgrade keeps the user's plug-in" test -f "$programs/mine.spi"
session run "$programs/uninstall.exe" /S
# The uninstaller runs from a copy of itself: its end is the folder holding only the user's plug-in.
for _ in $(seq 100); do [ "$(ls "$programs")" = mine.spi ] && break; sleep 0.1; done
sleep 0.5
check "the uninstall keeps the user's plug-in" test -f "$programs/mine.spi"
rm "$programs/mine.spi" && rmdir "$programs" "$(dirname "$programs")"
snapshot "$work/after"
check "the registry is as before" diff "$work/before.reg" "$work/after.reg"
check "the folders are as before" diff "$work/before.files" "$work/after.files"
diff "$work/before.reg" "$work/after.reg" | head -20 && diff "$work/before.files" "$work/after.files" | head -20
[ $failures = 0 ]
