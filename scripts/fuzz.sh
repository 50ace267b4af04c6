#!/usr/bin/env bash
# Builds the .geo reader's libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on the reader and the host layer) in build-fuzz/
# and runs it for a bounded time.
#
#   scripts/fuzz.sh [SECONDS] [SEED_DIR]
#
# SECONDS defaults to 60. SEED_DIR defaults to ../shared/fixtures/geo beside
# the repository and is skipped when absent; the seeds in fuzz/corpus are
# always used. The working corpus lives in build-fuzz/fuzz-corpus and grows
# from run to run. Any crash, leak, hang (10 s per input) or sanitizer report
# stops the run with a non-zero exit status and leaves the input in build-fuzz/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
seeds=${2:-$top/../shared/fixtures/geo}
build=$top/build-fuzz

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ not found (Debian packages: clang libclang-rt-14-dev)" >&2
  exit 2
fi

cmake -S "$top" -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELKOR_BUILD_FUZZERS=ON -DVELKOR_BUILD_TESTS=OFF -DVELKOR_BUILD_BENCHMARKS=OFF \
  -DVELKOR_SANITIZE=OFF -DVELKOR_WERROR=OFF >/dev/null
cmake --build "$build" --target geo_reader_fuzzer

corpus=$build/fuzz-corpus
mkdir -p "$corpus"
install -m 0644 "$top"/fuzz/corpus/*.geo "$corpus"/
if [[ -d "$seeds" ]]; then
  find "$seeds" -maxdepth 1 -type f -name '*.geo' -exec install -m 0644 {} "$corpus"/ \;
else
  echo "fuzz.sh: no seed folder at $seeds; using the seeds in fuzz/corpus only" >&2
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$build/bin/geo_reader_fuzzer" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -dict="$top/fuzz/geo.dict" -artifact_prefix="$build/" "$corpus"
