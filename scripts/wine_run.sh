#!/usr/bin/env bash
# Runs a Windows program under Wine: the test emulator of the Windows build.
#   wine_run.sh WINEPREFIX PROGRAM [ARGS...]
# The prefix is created on first use (slow, once). Wine's server is kept
# alive for 30 seconds after its last program, and its background services
# are started here with no terminal or pipe attached: started by a test's
# own process, they would inherit the test's output and keep CTest waiting
# for it. A lock keeps parallel tests from doing either twice. Wine's own
# messages are silenced, and the optional Mono and Gecko components are never
# offered: no test needs them.
set -euo pipefail
export WINEPREFIX=$1
shift
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=$(command -v wine64 || true)
[[ -n $wine ]] || wine=/usr/lib/wine/wine64
server=$(dirname "$(readlink -f "$wine")")/wineserver
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  # 9>&-: nothing that outlives this block may hold the lock.
  if "$server" -p30 </dev/null >/dev/null 2>&1 9>&-; then
    if [[ -f $WINEPREFIX/system.reg ]]; then
      "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    else
      "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
    fi
  fi
) 9>"$WINEPREFIX.lock"
exec "$wine" "$@"
