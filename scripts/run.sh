#!/usr/bin/env bash
# Sets up, builds and runs the viewer. With no picture argument it opens the sample pictures the
# build makes; with no display it runs under its own Xvfb and saves a screenshot.
#   scripts/run.sh [zeb switches and files...]
# ZEB_BUILD_DIR chooses the build folder (default build/win32).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
bash scripts/setup.sh >/dev/null
source scripts/env.sh
build="${ZEB_BUILD_DIR:-$here/build/win32}"
mkdir -p "$build"
log="$build/run-build.log"
if ! { cmake --preset win32 -B "$build" && cmake --build "$build" -j "$(nproc)"; } >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "run.sh: the build failed (whole log: $log)" >&2
  exit 1
fi
# The build puts ZEB's own plug-ins (png.spi, gif.spi, webp.spi, tiff.spi, heif.spi, jxl.spi) beside zeb.exe, where the
# viewer looks for plug-ins.
exe="$build/zeb.exe"
tools="$build/tools"
samples="$build/samples"
# A console program: Wine needs no display for it.
wine "$tools/zeb_samples.exe" "$samples" >/dev/null
# And one HEIC, AVIF and JPEG XL picture each, by Debian's encoders, for heif.spi and jxl.spi.
python3 scripts/make_modern_pictures.py --samples "$samples"

args=("$@")
has_file=0
for a in "${args[@]+"${args[@]}"}"; do case "$a" in -*) ;; *) has_file=1 ;; esac; done
# Wine shows the Linux file system as drive Z:; the viewer's titles then read as Windows paths.
[ $has_file = 1 ] || args+=("Z:${samples//\//\\}")

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe" "${args[@]}"
fi
# No display: our own Xvfb (and the tests' Wine prefix, where Wine draws the title bars itself), a
# screenshot once the viewer shows its first picture, then the viewer ends.
shot="$here/build/screenshot.png"
mkdir -p "$here/build"
ZEB_WINE_STATE="${TMPDIR:-/tmp}/zeb-run-$$" bash tests/wine/session.sh run \
  "$tools/zeb_screenshot.exe" "$shot" "$exe" "${args[@]}"
echo "screenshot: $shot"
