#!/usr/bin/env bash
# test.sh -- install, build everything, run every test (unit, Windows, end-to-end, fuzz).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# The Debian 13 root with Wine 10 in which scripts/wine-run32.sh runs the
# shipped 32-bit DLL: set up once (about two minutes), then kept in
# /var/cache/stompara.
"$root/scripts/wow64-root.sh"
# Every build the tests use; the users' tools build (the same sources,
# optimised) is tested in the native one.
"$root/scripts/build.sh" win32 win64 native fuzz
cd "$root/build/native"
# The suites side by side: most of an end-to-end suite's time is the
# songs' own, waited out in real time, so several share the two cores;
# their locks (cmake/native.cmake) keep apart what must not overlap.
ctest --output-on-failure --timeout 900 -j "${STOMPARA_TEST_JOBS:-4}" "$@"
