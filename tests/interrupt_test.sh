#!/usr/bin/env bash
# Ctrl-C during a long cook: velkor must stop, write nothing and end with
# status 130. The cook is made long on purpose (many emitters, exhaustive
# search), and SIGINT is sent once the program has had time to start it; a
# signal that arrives while the scene is still being built must give the
# same result.
#   interrupt_test.sh VELKOR PLUGIN WORK_DIR
set -u
velkor=$1 plugin=$2 work=$3
rm -rf "$work" && mkdir -p "$work"

"$velkor" demo -o "$work/long.geo" --emitters 200000 --search exhaustive --quiet --plugin "$plugin" \
  2>"$work/stderr.txt" &
pid=$!
sleep 2
kill -INT "$pid"
wait "$pid"
status=$?

fail() { echo "interrupt_test: $*"; cat "$work/stderr.txt"; exit 1; }
[[ $status -eq 130 ]] || fail "status $status, expected 130"
[[ ! -e "$work/long.geo" && ! -e "$work/long.png" ]] || fail "an output file was written"
grep -q "interrupted" "$work/stderr.txt" || fail "no message on standard error"
leftovers=$(find "$work" -name 'long*' | wc -l)
[[ $leftovers -eq 0 ]] || fail "temporary files were left behind"
echo "interrupt_test: stopped with status 130, nothing written"
