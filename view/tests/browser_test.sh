#!/usr/bin/env bash
# One browser test of a view page: run velkor to write the page, then open
# it in headless Chromium and check it (browser_check.py).
#   browser_test.sh WORK VELKOR 'a|b|c' PYTHON CHECK CHROMIUM COLOUR_TOOL PAGE RESULT INPUT POINTS
# @WORK@ in the arguments stands for the work folder.
set -euo pipefail
work=$1 velkor=$2 args=$3 python=$4 check=$5 chromium=$6 tool=$7
page=${8//@WORK@/$work} result=${9//@WORK@/$work} input=${10//@WORK@/$work} points=${11}
rm -rf "$work"
mkdir -p "$work"
IFS='|' read -r -a argv <<< "${args//@WORK@/$work}"
"$velkor" "${argv[@]}"
"$python" "$check" "$page" --chromium "$chromium" --size 1000x640 --screenshot "$work/screenshot.png" \
  --expect "$tool $result $input $points"
