#!/usr/bin/env bash
# The distribution under Wine, in a prefix and session of its own: scripts/package.sh makes it; the
# silent install puts files, shortcut and keys where they belong; the registered open command shows a
# picture; a plug-in the user added stays through an upgrade and the uninstall, which otherwise leaves
# the registry and the folders as they were.   install_test.sh WIN32_BUILD_DIR
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$here/scripts/env.sh"
failures=0
check() {  # what command...
  if "${@:2}" >/dev/null 2>&1; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
ZEB_PACKAGE_WIN32=$1 bash "$here/scripts/package.sh" || exit 1
dist=$here/build/dist/zeb-$(sed -n 's/^project(zeb VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
check "the zip's files" bash -c "unzip -l $dist-portable.zip | grep -cE 'ZEB/(zeb.exe|zeb_spihost.exe|png.spi|README.md|licences/zlib.txt)\$' | grep -qx 5"

work=$(mktemp -d)
trap 'bash "$here/tests/wine/session.sh" stop; rm -rf "$work"' EXIT
cp -a "$ZEB_SESSION_PREFIX" "$work/prefix"
export ZEB_SESSION_PREFIX=$work/prefix ZEB_WINE_STATE=$work/state WINEPREFIX=$work/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d"  # no menu entries outside the prefix
session() { bash "$here/tests/wine/session.sh" "$@"; }
session start >/dev/null || exit 1
export DISPLAY=$(cat "$work/state/display")
users=$work/prefix/drive_c/users
snapshot() {  # the user's keys and files, Wine's passing settings and scratch folder aside
  wine reg export 'HKCU\Software' "$work/reg.tmp" /y >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$work/reg.tmp" | tr -d '\r' |
    awk '/^\[/ { skip = index($0, "\\Software\\Wine\\Temporary System Parameters") > 0 } !skip' >"$1.reg"
  (cd "$users" && find . | grep -v '/Temp/' | sort) >"$1.files"
}
snapshot "$work/before"

session run "$dist-setup.exe" /S
programs=$(cd "$users"/*/AppData/Local/Programs && pwd)/ZEB
for f in zeb.exe zeb_spihost.exe tiff.spi README.md licences/zlib.txt ../../../Roaming/Microsoft/Windows/Start\ Menu/Programs/ZEB.lnk; do
  check "installed: $f" test -f "$programs/$f"
done
key() { wine reg query "HKCU\\Software\\$1" /v "$2" 2>/dev/null | grep -qF -- "$3"; }
check "the uninstall entry" key 'Microsoft\Windows\CurrentVersion\Uninstall\ZEB' QuietUninstallString 'uninstall.exe" /S'
for e in jpg bmp png tif webp; do
  check "open with for .$e" key "Classes\\.$e\\OpenWithProgids" ZEB.Picture REG_SZ
  check ".$e supported" key 'Classes\Applications\zeb.exe\SupportedTypes' ".$e" REG_SZ
  check ".$e keeps its default" bash -c "! wine reg query 'HKCU\Software\Classes\.$e' /ve 2>/dev/null | grep -q ZEB"
done

# The registered open command, run as the shell runs it, on a black 4 x 4 BMP.
{ printf 'BMf\0\0\0\0\0\0\0006\0\0\0(\0\0\0\4\0\0\0\4\0\0\0\1\0\30\0\0\0\0\0000\0\0\0\23\13\0\0\23\13\0\0'
  head -c 56 /dev/zero; } >"$work/opened.bmp"
command=$(wine reg query 'HKCU\Software\Classes\Applications\zeb.exe\shell\open\command' /ve | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
eval "wine ${command//%1/Z:${work//\//\\}\\opened.bmp}" &
shows() { xwininfo -root -tree | grep -qF '"[F] (1/1) opened.bmp 4x4 100%"'; }
for _ in $(seq 100); do shows && break || sleep 0.1; done
check "the open command shows the picture (its title)" shows
wine taskkill /f /im zeb.exe >/dev/null 2>&1
wait

cp "$programs/png.spi" "$programs/mine.spi"
session run "$dist-setup.exe" /S
check "an upgrade keeps the user's plug-in" test -f "$programs/mine.spi"
session run "$programs/uninstall.exe" /S
# The uninstaller runs from a copy of itself: it has ended when only the user's plug-in is left.
for _ in $(seq 100); do [ "$(ls "$programs")" = mine.spi ] && break || sleep 0.1; done
sleep 0.5
check "the uninstall keeps the user's plug-in" test -f "$programs/mine.spi"
rm "$programs/mine.spi" && rmdir "$programs" "$(dirname "$programs")"
snapshot "$work/after"
check "the registry is as before" diff "$work/before.reg" "$work/after.reg"
check "the folders are as before" diff "$work/before.files" "$work/after.files"
[ $failures = 0 ]
