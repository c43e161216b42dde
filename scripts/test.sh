#!/usr/bin/env bash
# test.sh -- install, build everything, run every test (unit, Windows, end-to-end, fuzz).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# The Debian 13 root with Wine 10 in which scripts/wine-run32.sh runs the
# shipped 32-bit DLL: set up once (about two minutes), then kept in
# /var/cache/stompara.
"$root/scripts/wow64-root.sh"
"$root/scripts/build.sh"
cd "$root/build/native"
ctest --output-on-failure --timeout 900 "$@"
