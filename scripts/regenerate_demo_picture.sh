#!/usr/bin/env bash
# Regenerates docs/demo.png, the picture the README shows, and
# docs/demo_view.png, a screenshot of the demo's view page in headless
# Chromium, from the current build of `velkor demo`. Run it by hand after a
# change that alters the demo or the page; the tests never do.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" release --target velkor --target velkor_host --target SOP_Velkor
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Run in the work folder, so the page names its output demo.geo, not a temporary path.
(cd "$work" && "$top/build/release/bin/velkor" demo -o demo.geo --size 960x540 --quiet)
mkdir -p "$top/docs"
cp "$work/demo.png" "$top/docs/demo.png"
python3 "$top/view/tests/browser_check.py" "$work/demo.html" --size 1280x720 --screenshot "$top/docs/demo_view.png"
echo "wrote docs/demo.png and docs/demo_view.png"
