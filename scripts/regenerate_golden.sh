#!/usr/bin/env bash
# Rebuilds every tests/golden/<case>/expected.geo from the current build and
# shows what changed, for review before committing. Never run by the tests.
#
#   scripts/regenerate_golden.sh [BUILD_DIR] [CASE...]
#
# BUILD_DIR defaults to build/release (scripts/build.sh release); the
# program and the plug-in are rebuilt there first. Each case is cooked in a
# fresh process, exactly as the golden tests do.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
shift || true
cases=("$@")
if [[ ${#cases[@]} -eq 0 ]]; then
  cases=()
  for dir in "$top"/tests/golden/*/; do cases+=("$(basename "$dir")"); done
fi

cmake --build "$build" --target velkor SOP_Velkor >/dev/null
velkor=$build/bin/velkor
plugin=$build/bin/SOP_Velkor.so
[[ -f $plugin ]] || plugin=$build/bin/SOP_Velkor.dll
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

changed=0
for case in "${cases[@]}"; do
  dir=$top/tests/golden/$case
  collider=$dir/collider.geo
  [[ -f $collider ]] || collider=$dir/collider.obj
  # Flags from params: one or more per line, # starts a comment.
  read -r -a params <<<"$(grep -v '^[[:space:]]*#' "$dir/params" | tr '\n' ' ')"
  if ! "$velkor" cook "$dir/points.geo" "$collider" -o "$scratch/$case.geo" "${params[@]}" \
      --plugin "$plugin" >"$scratch/$case.txt" 2>&1; then
    echo "== $case: velkor failed"; cat "$scratch/$case.txt"; exit 1
  fi
  if [[ -f $dir/expected.geo ]] && cmp -s "$scratch/$case.geo" "$dir/expected.geo"; then
    echo "== $case: unchanged"
    continue
  fi
  changed=$((changed + 1))
  if [[ -f $dir/expected.geo ]]; then
    echo "== $case: CHANGED ($(diff "$dir/expected.geo" "$scratch/$case.geo" | grep -c '^[<>]') lines differ)"
    diff -u "$dir/expected.geo" "$scratch/$case.geo" | head -n 40 || true
  else
    echo "== $case: new reference"
  fi
  sed 's/^/   | /' "$scratch/$case.txt"
  cp "$scratch/$case.geo" "$dir/expected.geo"
done
echo "$changed of ${#cases[@]} references rewritten; review with: git diff --stat tests/golden"
