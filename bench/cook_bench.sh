#!/usr/bin/env bash
# Whole-cook benchmark: every figure of the performance table from one run,
# as a Markdown table with targets and pass marks.
#
#   bench/cook_bench.sh [BUILD_DIR=build/bench]
#
# Environment (sizes for a quicker run; the defaults are the table's):
#   POINTS=1000000          rays of the bounce-1 cooks and of the Embree reference
#   SCATTER_POINTS=100000   points of the scatter-heavy cooks
#   TRIANGLES=100000        room size, about
#   SCENE=room              room: the closed room with 48 objects and rays from
#                           random places of its air (bench/room_scene.h);
#                           demo: velkor demo's room (quads per wall side from
#                           ROOM_QUADS=91) and its lamp of emitters
#
# It installs what is missing (scripts/setup.sh), configures BUILD_DIR as an
# optimised build with the benchmarks (through ccache when present) and builds
# only what it runs. Every figure comes from the real programs: the cook's from
# the summary `velkor cook` prints, in a fresh process per cook; the reference
# from velkor_embree_reference tracing the same rays against the same
# triangles, read from the same files. Seeds are fixed, so every run traces the
# same rays. Timings are wall-clock and suffer from whatever else the machine
# runs; the load average is printed with the table.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/bench}
points=${POINTS:-1000000}
scatter_points=${SCATTER_POINTS:-100000}
triangles=${TRIANGLES:-100000}
scene=${SCENE:-room}
room_quads=${ROOM_QUADS:-91}

"$top/scripts/setup.sh"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELKOR_WERROR=ON \
  -DVELKOR_BUILD_BENCHMARKS=ON "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)" \
  --target velkor SOP_Velkor velkor_room_scene velkor_embree_reference bench_tests >/dev/null
bin=$build/bin
# The reference must trace one-sided like the node before it is timed.
"$bin/bench_tests" --gtest_brief=1 >/dev/null || { echo "cook_bench: the reference's tests fail" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# Scenes: the bounce-1 scene and the scatter-heavy one, as cook inputs.
make_scene() {  # FOLDER POINTS -> FOLDER/points.geo, FOLDER/collider.geo
  mkdir -p "$1"
  if [[ $scene == demo ]]; then
    "$bin/velkor" demo --scene-out "$1" --scene-only --room-quads "$room_quads" --emitters "$2" --quiet
    mv "$1/demo_points.geo" "$1/points.geo"; mv "$1/demo_room.geo" "$1/collider.geo"
  else
    "$bin/velkor_room_scene" "$1" "$2" "$triangles" >/dev/null
    mv "$1/room_points.geo" "$1/points.geo"; mv "$1/room_collider.geo" "$1/collider.geo"
  fi
}
make_scene "$work/bounce" "$points"
make_scene "$work/scatter" "$scatter_points"

"$bin/velkor_embree_reference" "$work/bounce/points.geo" "$work/bounce/collider.geo" >"$work/embree.txt"
ref() { sed -n "s/^$1=//p" "$work/embree.txt"; }

# One cook in a fresh process: NAME SCENE THREADS [node flags...]. Leaves the
# summary in NAME.txt, the output in NAME.geo, /usr/bin/time's report in
# NAME.time and the wall time in NAME.wall.
cook() {
  local name=$1 dir=$work/$2 threads=$3
  shift 3
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -v -o "$work/$name.time" "$bin/velkor" cook "$dir/points.geo" "$dir/collider.geo" \
    -o "$work/$name.geo" --threads "$threads" "$@" >"$work/$name.txt"
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }' >"$work/$name.wall"
}
scatter_flags=(--bounces 4 --scatter 90 --scatternum 8 --dissipation 0.5)
cook bounce1 bounce 1 --bounces 1
cook bounce2 bounce 2 --bounces 1
cook scatter1 scatter 1 "${scatter_flags[@]}"
cook scatter2 scatter 2 "${scatter_flags[@]}"
identical=no
cmp -s "$work/scatter1.geo" "$work/scatter2.geo" && identical=yes

# Figures from the summaries: rays traced, phase times in seconds.
field() {  # NAME ROW -> the row's first value, digits only
  awk -v row="$2" 'index($0, "  " row " ") == 1 { v = substr($0, length(row) + 3); sub(/^ +/, "", v);
                   split(v, w, " "); gsub(",", "", w[1]); print w[1]; exit }' "$work/$1.txt"
}
build_seconds() { awk '/of which build/ { print $4; exit }' "$work/$1.txt"; }
rays_per_second() { awk -v r="$(field "$1" "rays traced")" -v s="$(field "$1" cook)" 'BEGIN { printf "%.0f", r / s }'; }
cpu_seconds() { awk -F: '/User time|System time/ { s += $2 } END { printf "%.2f", s }' "$work/$1.time"; }
max_rss_mb() { awk -F: '/Maximum resident set size/ { printf "%.0f", $2 * 1024 / 1e6 }' "$work/$1.time"; }
bytes() { stat -c %s "$@" | awk '{ s += $1 } END { print s }'; }
calc() { awk "BEGIN { printf \"$1\", $2 }"; }
mark() { if awk "BEGIN { exit !($1) }"; then echo pass; else echo "**FAIL**"; fi; }
count() { sed -e ':a' -e 's/\B[0-9]\{3\}\>/,&/' -e 'ta' <<<"$1"; }  # 1234567 -> 1,234,567

embree_rate=$(ref rays_per_second)
bounce_rate=$(rays_per_second bounce1)
bounce_ratio=$(calc %.2f "$bounce_rate / $embree_rate")
whole_wall=$(cat "$work/bounce2.wall")
read_s=$(field bounce2 read)
write_s=$(field bounce2 write)
read_bytes=$(bytes "$work/bounce/points.geo" "$work/bounce/collider.geo")
write_bytes=$(bytes "$work/bounce2.geo")
read_rate=$(calc %.0f "$read_bytes / 1e6 / $read_s")
write_rate=$(calc %.0f "$write_bytes / 1e6 / $write_s")
scatter_rays=$(field scatter1 "rays traced")
scatter_rate=$(rays_per_second scatter1)
scatter_ratio=$(calc %.2f "$scatter_rate / $embree_rate")
scatter_rate2=$(rays_per_second scatter2)
speedup=$(calc %.2f "$scatter_rate2 / $scatter_rate")
rss1=$(max_rss_mb bounce1)
rss2=$(max_rss_mb bounce2)
rss=$((rss1 > rss2 ? rss1 : rss2))

cat <<EOF
## Whole-cook benchmark

$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores ($(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)),
commit $(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo unknown), load average $load_before before and $(cut -d' ' -f1-3 /proc/loadavg) after.
Scene: $scene, $(count "$(ref triangles)") triangles; $(count "$points") rays for bounce 1, $(count "$scatter_points") points for the scatter-heavy cook. MB = 10^6 bytes.

| what | measured | target | |
|---|---|---|---|
| Embree $(ref embree_version) one-sided trace of the same $(count "$(ref rays)") rays, 1 thread ($(ref embree_query); one-sided by $(ref embree_one_sided)) | $(count "$embree_rate") rays/s ($(ref trace_seconds) s, processor $(ref trace_cpu_seconds) s; build $(ref build_seconds) s, not timed in) | reference | – |
| cook phase, bounces 1, $(count "$points") points, 1 thread | $(count "$bounce_rate") rays/s, $bounce_ratio × Embree (cook $(field bounce1 cook) s, of which build $(build_seconds bounce1) s; process: $(cat "$work/bounce1.wall") s, processor $(cpu_seconds bounce1) s) | ≥ 0.8 × Embree | $(mark "$bounce_ratio >= 0.8") |
| whole \`velkor cook\` of that file, 2 threads (read + cook + write) | $whole_wall s (cook $(field bounce2 cook) s; processor $(cpu_seconds bounce2) s) | ≤ 1.5 s | $(mark "$whole_wall <= 1.5") |
| &nbsp;&nbsp;read ($(calc %.0f "$read_bytes / 1e6") MB, both inputs) | $read_s s, $read_rate MB/s | ≥ 400 MB/s | $(mark "$read_rate >= 400") |
| &nbsp;&nbsp;write ($(calc %.0f "$write_bytes / 1e6") MB) | $write_s s, $write_rate MB/s | ≥ 600 MB/s | $(mark "$write_rate >= 600") |
| scatter-heavy cook: $(count "$scatter_points") points, bounces 4, scatter 90, scatternum 8, dissipation 0.5 ($(count "$scatter_rays") rays), 1 thread | $(count "$scatter_rate") rays/s, $scatter_ratio × Embree (cook $(field scatter1 cook) s; process: $(cat "$work/scatter1.wall") s, processor $(cpu_seconds scatter1) s) | ≥ 0.6 × Embree | $(mark "$scatter_ratio >= 0.6") |
| the same on 2 threads ÷ 1 thread; outputs byte-identical (cmp) | $speedup× ($(count "$scatter_rate2") rays/s); identical: $identical | ≥ 1.6×, identical | $(mark "$speedup >= 1.6 && \"$identical\" == \"yes\"") |
| peak memory (max RSS) of the $(count "$points")-point cook | $rss MB (1 thread $rss1 MB, 2 threads $rss2 MB) | ≤ 250 MB | $(mark "$rss <= 250") |

Reference check: $(count "$(ref agreeing_rays)") of $(count "$(ref checked_rays)") sampled rays meet the same nearest triangle in Embree and in the
node's exact search; Embree hits $(count "$(ref hits)") of $(count "$(ref rays)") rays. Embree two-sided (no filter): $(count "$(ref two_sided_rays_per_second)") rays/s.
Times are wall-clock; "processor" is the process's user + system time. With a load average above the
$(nproc) cores, wall-clock figures are inflated by the other work, and one-thread runs show it as wall time
well above processor time.
EOF
