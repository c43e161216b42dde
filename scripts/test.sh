#!/usr/bin/env bash
# test.sh -- install, build everything, run every test (unit, Windows, end-to-end, fuzz).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root/build/native"
ctest --output-on-failure --timeout 900 "$@"
