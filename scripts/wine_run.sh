#!/usr/bin/env bash
# Runs a Windows program under Wine: the test emulator of the Windows build.
#   wine_run.sh WINEPREFIX PROGRAM [ARGS...]
# The prefix is created on first use (slow, once; a lock keeps parallel
# tests from creating it twice). Wine's own messages are silenced, and the
# optional Mono and Gecko components are never offered: no test needs them.
set -euo pipefail
export WINEPREFIX=$1
shift
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=$(command -v wine64 || true)
[[ -n $wine ]] || wine=/usr/lib/wine/wine64
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [[ -f $WINEPREFIX/system.reg ]] || { "$wine" wineboot --init >/dev/null 2>&1 && "$(dirname "$wine")/wineserver" -w 2>/dev/null || true; }
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
