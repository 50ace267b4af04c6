#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: velkor demo on the
# embedded default scene. Output goes to out/ (geometry and preview picture).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" release
mkdir -p "$top/out"
"$top/build/release/bin/velkor" demo -o "$top/out/demo.geo" "$@"
