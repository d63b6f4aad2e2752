#!/usr/bin/env bash
# Builds and runs the benchmarks (programs that print timings, not tests) under Wine, in one private
# session. Each prints its own table.
#   scripts/bench.sh            (ZEB_BENCH_WIN32: the Win32 build folder, default build/win32)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
source scripts/env.sh
win32=${ZEB_BENCH_WIN32:-$here/build/win32}
session="$here/tests/wine/session.sh"
export ZEB_WINE_STATE=${ZEB_WINE_STATE:-${TMPDIR:-/tmp}/zeb-wine-bench-$$}

# Every tests/bench/win32_NAME.cpp is the target zeb_bench_win32_NAME.
targets=()
for src in tests/bench/win32_*.cpp; do targets+=("zeb_bench_$(basename "$src" .cpp)"); done
cmake --preset win32 -B "$win32" >/dev/null
cmake --build "$win32" -j 2 --target "${targets[@]}"

# A Linux path as Wine sees it.
winpath() { echo "Z:${1//\//\\}"; }
# libjpeg-turbo's own tools (djpeg.exe) need the cross toolchain's libwinpthread-1.dll.
pthread_dll=$(i686-w64-mingw32-gcc-posix -print-file-name=libwinpthread-1.dll)
[ -f "$pthread_dll" ] && export WINEPATH="$(winpath "$(cd "$(dirname "$pthread_dll")" && pwd)")"

bash "$session" start >/dev/null
trap 'bash "$session" stop' EXIT
run() { echo "== $1"; bash "$session" run "$win32/tests/$1.exe" "${@:2}"; echo; }

run zeb_bench_win32_jpeg_decode "$(winpath "$ZEB_JPEG_PREFIX/bin/djpeg.exe")"
run zeb_bench_win32_colour_jpeg
run zeb_bench_win32_steps
run zeb_bench_win32_scan
run zeb_bench_win32_guard
run zeb_bench_win32_bulk_edit
run zeb_bench_win32_png_plugin
# 12-megapixel HEIC, AVIF and JPEG XL pictures of Debian's encoders, made once into the build folder.
python3 scripts/make_modern_pictures.py --bench "$win32/bench-pictures"
run zeb_bench_win32_modern_plugins "$(winpath "$win32/bench-pictures")"
# The peers run on a display and Wine server of their own, in the same prefix: this session ends first.
bash "$session" stop
trap - EXIT
bash scripts/bench_peers.sh
