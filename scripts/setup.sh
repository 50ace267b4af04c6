#!/usr/bin/env bash
# Installs every build, test and benchmark dependency from Debian packages.
# Nothing is downloaded from anywhere else. Safe to run repeatedly: only
# missing packages are installed.
set -euo pipefail

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
)

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
