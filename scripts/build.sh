#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   scripts/build.sh release   -> build/release (optimised, warnings as errors)
#   scripts/build.sh asan      -> build/asan    (AddressSanitizer + UBSan)
#   scripts/build.sh notbb     -> build/notbb   (optimised, parallel regions on standard threads)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:-release}
shift || true
case "$flavour" in
  release) extra=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan)    extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKOR_SANITIZE=ON) ;;
  notbb)   extra=(-DCMAKE_BUILD_TYPE=Release -DVELKOR_WITH_TBB=OFF) ;;
  *) echo "unknown flavour: $flavour (release|asan|notbb)" >&2; exit 2 ;;
esac
cmake -S "$top" -B "$top/build/$flavour" -G Ninja -DVELKOR_WERROR=ON "${extra[@]}" "$@" >/dev/null
cmake --build "$top/build/$flavour" --parallel "$(nproc)"
