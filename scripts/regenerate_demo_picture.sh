#!/usr/bin/env bash
# Regenerates docs/demo.png, the picture the README shows, from the current
# build of `velkor demo`. Run it by hand after a change that alters the demo;
# the tests never do.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" release --target velkor --target velkor_host --target SOP_Velkor
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$top/build/release/bin/velkor" demo -o "$work/demo.geo" --size 960x540 --quiet
mkdir -p "$top/docs"
cp "$work/demo.png" "$top/docs/demo.png"
echo "wrote docs/demo.png"
