#!/usr/bin/env bash
# Sets up, builds and runs the viewer. With no picture argument it opens the sample pictures the
# build makes; with no display it runs under its own Xvfb and saves a screenshot.
#   scripts/run.sh [zeb switches and files...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
bash scripts/setup.sh >/dev/null
source scripts/env.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" >/dev/null
exe="$here/build/win32/zeb.exe"
samples="$here/build/win32/samples"
"$here/build/win32/tools/zeb_samples.exe" "$samples" >/dev/null 2>&1 || wine "$here/build/win32/tools/zeb_samples.exe" "$samples" >/dev/null 2>&1 || true
args=("$@")
has_file=0
for a in "${args[@]+"${args[@]}"}"; do case "$a" in -*) ;; *) has_file=1 ;; esac; done
[ $has_file = 1 ] || args+=("$samples")

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe" "${args[@]}"
fi
# No display: our own Xvfb, a screenshot after the viewer has started, then the viewer ends.
shot="$here/build/screenshot.bmp"
ZEB_WINE_STATE="${TMPDIR:-/tmp}/zeb-run-$$" bash tests/wine/session.sh run \
  "$here/build/win32/tools/zeb_screenshot.exe" "$shot" "$exe" "${args[@]}"
echo "screenshot: $shot"
