#!/usr/bin/env bash
# Compiles the libraries the Windows build links, from Debian's sources, into
# a prefix of the build tree (build/windows-deps/prefix), once: each library
# is skipped when its stamp file exists. Nothing is downloaded but Debian
# source packages (apt-get source; setup.sh windows enables deb-src).
#
#   simdjson    apt-get source simdjson
#   GoogleTest  /usr/src/googletest (the googletest package)
#   Imath       apt-get source imath
#
# The header-only packages (CLI11, nlohmann-json, stb) are
# linked into the prefix from /usr/include, with the arch-independent CMake
# package files of CLI11 and nlohmann-json, so that the cross build searches
# the prefix alone and never sees a Linux library.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deps=${VELKOR_WINDOWS_DEPS_DIR:-$top/build/windows-deps}
prefix=$deps/prefix
toolchain=$top/cmake/mingw-w64-x86_64.cmake
mkdir -p "$deps/src" "$prefix/include" "$prefix/share/cmake"

export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-$(command -v ccache || true)}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}

# Header-only packages.
for h in CLI nlohmann stb; do
  ln -sfn "/usr/include/$h" "$prefix/include/$h"
done
for p in CLI11 nlohmann_json; do
  ln -sfn "/usr/share/cmake/$p" "$prefix/share/cmake/$p"
done

# Unpacks Debian's source package $1 into $deps/src and prints its folder.
debianSource() {
  local package=$1
  local found
  found=$(find "$deps/src" -maxdepth 1 -type d -name "$package-*" | head -n1)
  if [[ -z $found ]]; then
    (cd "$deps/src" && apt-get source -qq --only-source "$package" >/dev/null 2>&1) ||
      { echo "windows_deps: apt-get source $package failed (is deb-src enabled? run scripts/setup.sh windows)" >&2; exit 1; }
    found=$(find "$deps/src" -maxdepth 1 -type d -name "$package-*" | head -n1)
  fi
  echo "$found"
}

# Configures, builds and installs one CMake project into the prefix.
buildInto() {
  local name=$1 source=$2
  shift 2
  [[ -f $prefix/.built-$name ]] && return 0
  echo "windows_deps: building $name"
  cmake -S "$source" -B "$deps/build-$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DVELKOR_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON "$@" >/dev/null
  cmake --build "$deps/build-$name" --parallel 2 >/dev/null
  cmake --install "$deps/build-$name" >/dev/null
  touch "$prefix/.built-$name"
}

buildInto googletest /usr/src/googletest -DINSTALL_GTEST=ON -DBUILD_GMOCK=ON
buildInto simdjson "$(debianSource simdjson)" -DSIMDJSON_DEVELOPER_MODE=OFF -DSIMDJSON_ENABLE_THREADS=OFF
buildInto imath "$(debianSource imath)" -DBUILD_TESTING=OFF -DPYTHON=OFF -DIMATH_INSTALL_PKG_CONFIG=OFF
echo "windows_deps: ready in $prefix"
