#!/usr/bin/env bash
# The fuzz targets outside the test command.
#   scripts/fuzz.sh build            builds the instrumented libraries (once) and every target in build/fuzz
#   scripts/fuzz.sh TARGET MINUTES   a long run of one target: builtin (the BMP and JPEG readers), png,
#                                    gif, webp, tiff, heif or jxl (our plug-ins)
# A long run keeps its corpus between runs in ~/.cache/zeb/fuzz-corpus/TARGET (the seed corpus is merged
# into it first), writes what crashes or hangs the target to ~/.cache/zeb/fuzz-crashes/TARGET, and ends
# with the coverage reached (libFuzzer's "cov:", the edges seen). It fails when the target did not
# survive: rerun one input with `build/fuzz/tests/fuzz/zeb_fuzz_TARGET FILE`.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=env.sh
source "$here/scripts/env.sh"
targets=(builtin png gif webp tiff heif jxl)
usage() {
  echo "usage: $0 build | $0 TARGET MINUTES (TARGET: ${targets[*]})" >&2
  exit 2
}

build_dir="$here/build/fuzz"
build() {
  bash "$here/scripts/setup_fuzz_libs.sh"
  cmake -S "$here/tests/fuzz" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DZEB_FUZZ_LIBS_PREFIX="$ZEB_FUZZ_LIBS_PREFIX" >/dev/null
  cmake --build "$build_dir" -j "$(nproc)" "$@"
}

[ $# -ge 1 ] || usage
if [ "$1" = build ] && [ $# = 1 ]; then
  build
  exit 0
fi
[ $# = 2 ] && [[ " ${targets[*]} " == *" $1 "* ]] && [[ $2 =~ ^[0-9]+$ ]] && [ "$2" -gt 0 ] || usage
target=$1 minutes=$2
seeds_target=zeb_fuzz_plugin_seeds
[ "$target" != builtin ] || seeds_target=zeb_fuzz_builtin_seeds
[ "$target" != heif ] && [ "$target" != jxl ] || seeds_target=zeb_fuzz_modern_seeds
build --target "zeb_fuzz_$target" "$seeds_target"

fuzzer="$build_dir/tests/fuzz/zeb_fuzz_$target"
seeds="$build_dir/tests/fuzz/corpus/$target"
corpus="$ZEB_CACHE/fuzz-corpus/$target"
crashes="$ZEB_CACHE/fuzz-crashes/$target"
log="$ZEB_CACHE/fuzz-$target.log"
mkdir -p "$corpus" "$crashes"
options=(-rss_limit_mb=2560 -artifact_prefix="$crashes/" -print_final_stats=1)
export LSAN_OPTIONS="suppressions=$here/tests/fuzz/leak_suppressions.txt"

echo "fuzz: merging the seed corpus into $corpus"
"$fuzzer" -merge=1 "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1 || {
  tail -n 30 "$log"
  exit 1
}
echo "fuzz: $target for $minutes min (log $log, crashes in $crashes)"
status=0
"$fuzzer" -max_total_time=$((minutes * 60)) "${options[@]}" "$corpus" >>"$log" 2>&1 || status=$?
if [ $status != 0 ]; then
  grep -E -A 30 '^==[0-9]+==|^SUMMARY|deadly signal|timeout|out-of-memory' "$log" | head -n 60
  echo "fuzz: $target failed (exit $status); the input is in $crashes:"
  ls -t "$crashes" | head -n 3
fi
last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
echo "fuzz: $target ended at $(grep -oE 'cov: [0-9]+' <<<"$last") edges after" \
  "$(grep -oE '^#[0-9]+' <<<"$last" | tr -d '#') runs; corpus $(find "$corpus" -type f | wc -l) files"
exit $status
