#!/usr/bin/env bash
# Sets up, builds and runs every test: the two Windows builds (zeb.exe and zeb64.exe, each with its
# plug-ins, Wine-run tests and test plug-ins), the fuzz targets (clang), then the native build whose ctest
# run covers all of them.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
bash scripts/setup.sh
source scripts/env.sh
jobs=$(nproc)

for build in win32 win64; do
  cmake --preset $build >/dev/null
  cmake --build --preset $build -j "$jobs"
done

# The fuzz targets over the instrumented libraries (built once into the cache); the native ctest run
# below gives each a short bounded run.
bash scripts/fuzz.sh build
fuzz_dir="$here/build/fuzz"

# The work beside the window's thread (read-ahead, folder read-ahead, the list's keys) on real threads,
# under ThreadSanitizer: only its tests are built and run.
cmake --preset native-tsan >/dev/null
cmake --build --preset native-tsan -j "$jobs"
ctest --preset native-tsan -j "$jobs"

cmake --preset native -DZEB_WIN32_DIR="$here/build/win32" -DZEB_WIN64_DIR="$here/build/win64" \
  -DZEB_FUZZ_DIR="$fuzz_dir" >/dev/null
cmake --build --preset native -j "$jobs"
cd build/native
ctest --output-on-failure -j "$jobs" "$@"
