#!/usr/bin/env bash
# demo.sh -- build the plug-in and play the demo scenario in the host harness.
#
# Leaves a plug-in folder in build/demo: the 64-bit twin, its plugin.ini,
# the event log, the journal of the session and a capture of the window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$root/build/win64" -j "$(nproc)" --target vis_stompara stompara_host >/dev/null

demo=$root/build/demo
rm -rf "$demo" && mkdir -p "$demo/charts"
cp "$root/build/win64/vis_stompara.dll" "$demo/"
cp "$root"/tools/host/demo/*.msd "$demo/charts/" 2>/dev/null || true
charts=$(cd "$demo/charts" && "$root/scripts/wine-run.sh" cmd /c cd 2>/dev/null | tr -d '\r')
printf '[Stompara for Winamp]\r\nWRITE_LOG=1\r\nMSD_PATH=%s\r\n' "$charts" > "$demo/plugin.ini"
cd "$demo"
"$root/scripts/wine-run.sh" "$root/build/win64/stompara_host.exe" --journal journal.jsonl \
  vis_stompara.dll "$root/tools/host/demo/demo.scenario"
echo "capture: $demo/demo.bmp"
echo "journal: $demo/journal.jsonl"
echo "log:     $demo/StomparaLog.txt"
