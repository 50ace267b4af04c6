#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: velkor demo on the
# embedded default scene. Output goes to out/ (geometry and preview picture).
#
# Only what the demo runs is built: the velkor program, the host library and
# the plug-in it loads. The tests are left for scripts/test.sh, which builds
# them in the same build/release folder and reuses everything built here.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" release --target velkor --target velkor_host --target SOP_Velkor
mkdir -p "$top/out"
"$top/build/release/bin/velkor" demo -o "$top/out/demo.geo" "$@"
