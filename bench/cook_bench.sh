#!/usr/bin/env bash
# Whole-cook benchmark: 1,000,000 points against a closed room of about
# 100,000 triangles, bounces 1, through `velkor cook` in a fresh process.
# The summary reports read, cook (with the collider build within it) and
# write times separately.
#   bench/cook_bench.sh [BUILD_DIR=build/release] [EMITTERS=1000000] [ROOM_QUADS=91]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
emitters=${2:-1000000}
quads=${3:-91}
velkor="$build/bin/velkor"
[[ -x "$velkor" ]] || { echo "build velkor first (scripts/build.sh release)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$velkor" demo --scene-out "$work" --scene-only --room-quads "$quads" --emitters "$emitters" --quiet
start=$(date +%s.%N)
"$velkor" cook "$work/demo_points.geo" "$work/demo_room.geo" -o "$work/out.geo" --bounces 1
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" 'BEGIN { printf "wall time of the whole cook: %.2f s\n", e - s }'
