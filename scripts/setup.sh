#!/usr/bin/env bash
# Installs every build, test and benchmark dependency from Debian packages.
# Nothing is downloaded from anywhere else. Safe to run repeatedly: only
# missing packages are installed.
#   scripts/setup.sh           the Linux build
#   scripts/setup.sh windows   also the Windows cross build: MinGW-w64, Wine,
#                              and the libraries compiled from Debian's
#                              source packages (scripts/windows_deps.sh)
set -euo pipefail
target=${1:-linux}
case "$target" in
  linux|windows) ;;
  *) echo "unknown target: $target (windows, or nothing for Linux)" >&2; exit 2 ;;
esac

packages=(
  cmake ninja-build g++ binutils pkg-config
  libimath-dev          # 16-bit floats (fpreal16) in attribute storage
  libtbb-dev            # parallel tracing and BVH build
  libsimdjson-dev       # fast .geo parsing
  nlohmann-json3-dev    # locating JSON syntax errors in .geo files
  libcli11-dev          # velkor's command line
  libstb-dev            # PNG previews
  libgtest-dev libgmock-dev  # tests
  libbenchmark-dev      # benchmarks
  libembree-dev time    # the whole-cook benchmark: Embree reference tracer, peak memory
  clang libclang-rt-14-dev   # libFuzzer build of the .geo reader
  libjs-three           # three.js and its orbit controls, inlined into `velkor view` pages
  chromium              # headless browser tests of those pages
  python3               # drives the browser for those tests
  clang-format          # one code layout (scripts/format.sh; CI checks it)
)

if [[ $target == windows ]]; then
  packages+=(
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    wine64                # runs the Windows tests
    googletest            # GoogleTest's sources, compiled for Windows
    dpkg-dev              # apt-get source
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  if [[ $(id -u) -ne 0 ]]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [[ $target == windows ]]; then
  "$(dirname "$0")/enable_deb_src.sh"
  "$(dirname "$0")/windows_deps.sh"
fi
