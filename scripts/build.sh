#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   scripts/build.sh release   -> build/release (optimised, warnings as errors)
#   scripts/build.sh asan      -> build/asan    (AddressSanitizer + UBSan)
#   scripts/build.sh notbb     -> build/notbb   (optimised, parallel regions on standard threads)
#   scripts/build.sh windows   -> build/windows (Windows x86-64 cross build with
#                                 MinGW-w64; tests run under Wine. Needs
#                                 scripts/setup.sh windows once.)
#   scripts/build.sh FLAVOUR [--target NAME]... [CMAKE_ARGUMENT]...
# With --target only the named targets (and what they need) are built, in the
# same folder and configuration as a full build, so a later full build (such
# as scripts/test.sh) reuses them instead of configuring afresh. Any other
# argument goes to the configure step (e.g. -DVELKOR_WITH_TBB=OFF).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:-release}
shift || true
case "$flavour" in
  release) extra=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan)    extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKOR_SANITIZE=ON) ;;
  notbb)   extra=(-DCMAKE_BUILD_TYPE=Release -DVELKOR_WITH_TBB=OFF) ;;
  windows)
    "$top/scripts/windows_deps.sh"
    extra=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake"
           -DVELKOR_WINDOWS_DEPS="$top/build/windows-deps/prefix" -DVELKOR_WITH_TBB=OFF) ;;
  *) echo "unknown flavour: $flavour (release|asan|notbb|windows)" >&2; exit 2 ;;
esac
targets=()
while (($#)); do
  case "$1" in
    --target)
      [[ $# -ge 2 ]] || { echo "build.sh: --target needs a name" >&2; exit 2; }
      targets+=(--target "$2"); shift 2 ;;
    *) extra+=("$1"); shift ;;
  esac
done
cmake -S "$top" -B "$top/build/$flavour" -G Ninja -DVELKOR_WERROR=ON "${extra[@]}" >/dev/null
cmake --build "$top/build/$flavour" --parallel "$(nproc)" "${targets[@]}"
