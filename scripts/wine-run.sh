#!/usr/bin/env bash
# wine-run.sh -- run a Windows program of this project under wine64.
#
# Usage: scripts/wine-run.sh PROGRAM.exe [ARGS...]
# Uses a private prefix (STOMPARA_WINEPREFIX, default build/wineprefix),
# creating it on first use, and starts a virtual X display (Xvfb) when there
# is no DISPLAY. The program's exit status is this script's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${STOMPARA_WINEPREFIX:-$root/build/wineprefix}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
wine=/usr/lib/wine/wine64

source "$root/scripts/virtual-display.sh"

# The prefix, once; a marker written last says it is complete. Tests run
# side by side may start in the same prefix at once: the first makes it
# while the others wait on its lock.
if [ ! -f "$WINEPREFIX/.stompara-prefix" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 8>"$WINEPREFIX.lock"
  flock 8
  if [ ! -f "$WINEPREFIX/.stompara-prefix" ]; then
    mkdir -p "$WINEPREFIX"
    # (Wine's processes get no copy of the lock: one that outlived this
    # would hold it.)
    "$wine" wineboot --init >/dev/null 2>&1 8>&- || true
    # No window manager runs here: unmanaged windows spare every hide a 2 s
    # wait for one.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 8>&- || true
    /usr/lib/wine/wineserver -w 8>&- || true
    touch "$WINEPREFIX/.stompara-prefix"
  fi
  exec 8>&-
fi
exec "$wine" "$@"
