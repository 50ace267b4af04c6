#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test three times: in an
# optimised build, under AddressSanitizer + UndefinedBehaviorSanitizer, and in
# an optimised build without oneTBB (parallel regions on standard threads, as
# the Windows build runs them).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for flavour in release asan notbb; do
  echo "=== $flavour build ==="
  "$top/scripts/build.sh" "$flavour"
  echo "=== $flavour tests ==="
  ctest --test-dir "$top/build/$flavour" --output-on-failure --parallel "$(nproc)"
done
