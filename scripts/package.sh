#!/usr/bin/env bash
# Makes ZEB's distribution in build/dist/: an installer (NSIS: a per-user install, see installer/zeb.nsi)
# and a portable .zip, both named with the project's version, both holding zeb.exe, the plug-in host
# zeb_spihost.exe, ZEB's own plug-ins, the README and the licences of the libraries linked into them
# (Debian's copyright files of the packages they were built from).
#   scripts/package.sh        (ZEB_PACKAGE_WIN32: the Win32 build folder, default build/win32)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
source scripts/env.sh
win32=${ZEB_PACKAGE_WIN32:-$here/build/win32}
dist=$here/build/dist
sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

for tool in makensis zip; do
  command -v "$tool" >/dev/null || { echo "package: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
# The build, made or brought up to date.
[ -f "$win32/build.ninja" ] || cmake --preset win32 -B "$win32" >/dev/null
cmake --build "$win32" -j 2 --target zeb zeb_spihost >/dev/null
cmake --build "$win32" -j 2 >/dev/null
version=$(sed -n 's/^project(zeb VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }

rm -rf "$dist" && mkdir -p "$dist"
stage=$dist/ZEB
mkdir -p "$stage/licences"
plugins=()
for f in "$win32"/*.spi; do plugins+=("$(basename "$f")"); done
cp "$win32/zeb.exe" "$win32/zeb_spihost.exe" README.md "$stage/"
for p in "${plugins[@]}"; do cp "$win32/$p" "$stage/"; done

# The licences: each library by the Debian package whose copyright file covers it (the libraries are
# built from these packages' sources, or, for the compiler's runtime, come with the cross compiler).
licences=(
  "libjpeg-turbo:libjpeg62-turbo" "zlib:zlib1g" "libpng:libpng16-16" "giflib:libgif7" "libwebp:libwebp7"
  "libtiff:libtiff6" "libexif:libexif12" "mingw-w64-runtime:mingw-w64-common" "gcc-runtime:gcc-mingw-w64-base"
)
for entry in "${licences[@]}"; do
  name=${entry%%:*} package=${entry#*:}
  copyright=/usr/share/doc/$package/copyright
  if [ ! -f "$copyright" ]; then  # the package is not installed here: its copyright file from its .deb
    tmp=$(mktemp -d)
    (cd "$tmp" && apt-get download -qq "$package" >/dev/null 2>&1) || { sudo_ apt-get update -qq; (cd "$tmp" && apt-get download -qq "$package" >/dev/null); }
    dpkg-deb --fsys-tarfile "$tmp"/*.deb | tar -x -C "$tmp" "./usr/share/doc/$package/copyright"
    copyright=$tmp/usr/share/doc/$package/copyright
  fi
  cp "$copyright" "$stage/licences/$name.txt"
done
# Those the build puts beside the plug-ins it links them into (Little CMS 2, libheif, libde265, dav1d,
# libjxl, highway, brotli).
cp "$win32"/licences/*.txt "$stage/licences/"

# The extensions ZEB reads: its built-in formats and what each of its plug-ins names.
extensions=$(
  {
    sed -n 's/.*RegisterBuiltIn("\([a-z0-9]*\)".*/\1/p' platform/graphics/builtin_formats.cpp
    for p in "${plugins[@]}"; do
      strings -n 3 "$stage/$p" | grep -E '^\*\.[A-Za-z0-9]+(;\*\.[A-Za-z0-9]+)*$' | tr ';' '\n' | sed 's/^\*\.//'
    done
  } | tr 'A-Z' 'a-z' | sort -u
)

# The lists the installer script includes: its files (installed, and deleted by the uninstaller, one by
# one) and the extensions.
nsis=$dist/nsis
mkdir -p "$nsis"
{
  echo '!ifdef FILE_LINES'
  for f in zeb.exe zeb_spihost.exe README.md "${plugins[@]}"; do echo "File \"$stage/$f\""; done
  echo 'SetOutPath "$INSTDIR\licences"'
  for f in "$stage"/licences/*; do echo "File \"$f\""; done
  echo 'SetOutPath "$INSTDIR"'
  echo '!else'
  for f in zeb.exe zeb_spihost.exe README.md "${plugins[@]}"; do echo "Delete \"\$INSTDIR\\$f\""; done
  for f in "$stage"/licences/*; do echo "Delete \"\$INSTDIR\\licences\\$(basename "$f")\""; done
  echo '!endif'
} >"$nsis/files.nsh"
for e in $extensions; do echo "!insertmacro \${EXTENSION} $e"; done >"$nsis/extensions.nsh"

makensis -V2 -NOCD -DVERSION="$version" -DOUTFILE="$dist/zeb-$version-setup.exe" -X"!addincludedir $nsis" \
  installer/zeb.nsi
(cd "$dist" && zip -qr "zeb-$version-portable.zip" ZEB)
rm -rf "$nsis" "$stage"
echo "package: $dist/zeb-$version-setup.exe, $dist/zeb-$version-portable.zip ($(echo $extensions | wc -w) extensions)"
