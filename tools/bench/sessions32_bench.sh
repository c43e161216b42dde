#!/usr/bin/env bash
# sessions32_bench.sh -- the shipped 32-bit DLL through many host sessions: how many hang or fail.
#
# Usage: tools/bench/sessions32_bench.sh [SESSIONS] [SIDE-BY-SIDE]
# (sessions side by side end each other's Wine server: keep the default 1)
# Each session (default 100, one at a time) runs the harness with the
# 32-bit DLL through scripts/wine-run32.sh as the tests do (its own server
# handling, 120 s limit): a chart plays with the fire on for 3 s, the
# configuration dialog opens and closes, and the harness quits. Prints the
# sessions that timed out (hung) or ended other than 0, and the mean time
# a session took. Nothing is asserted. Measured here: 100 sessions, 2 hung,
# both inside the harness's "dialog escape", 9.7 s a session.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
sessions=${1:-100}
parallel=${2:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/charts"
printf '#BPM:150;\r\n#SINGLE:BASIC:3:\r\n%s;\r\n#SINGLE:ANOTHER:5:\r\n%s;\r\n#SINGLE:MANIAC:8:\r\n%s;\r\n' \
  "$(printf '4286%.0s' $(seq 40))" "$(printf '4286%.0s' $(seq 40))" "$(printf '4286%.0s' $(seq 40))" \
  > "$work/charts/Song.msd"
session() {  # number
  local folder=$work/s$1
  mkdir -p "$folder"
  cp "$root/build/win32/vis_stompara.dll" "$folder/"
  printf '[Stompara for Winamp]\r\nMSD_PATH=Z:%s\r\nSHOW_FLAME=1\r\nWRITE_LOG=1\r\n' \
    "$(echo "$work/charts" | tr / '\\')" > "$folder/plugin.ini"
  printf 'frame-ms 25\nplaylist C:\\Music\\Song.mp3\n0 play\n3000 config\n3600 dialog escape\n4000 quit\n' \
    > "$folder/scenario.txt"
  local start status=0
  start=$(date +%s%N)
  (cd "$folder" && timeout -k 5 120 "$root/scripts/wine-run32.sh" "$root/build/win32/stompara_host.exe" \
     --journal journal.jsonl vis_stompara.dll scenario.txt >/dev/null 2>&1) || status=$?
  echo "$1 $status $(( ($(date +%s%N) - start) / 1000000 ))" >> "$work/results"
}
export -f session
export work root
seq "$sessions" | xargs -P "$parallel" -I{} bash -c 'session {}'
awk '{ n++; t += $3; if ($2 == 124 || $2 == 137) hung++; else if ($2 == 75) spun++; else if ($2 != 0) failed++ }
     END { printf "%d sessions, %d side by side: %d hung, %d ended by a spinning Wine server, %d failed, %.1f s a session\n", n, '"$parallel"', hung, spun, failed, t / n / 1000 }' \
  "$work/results"
awk '$2 != 0 { print "  session " $1 ": exit " $2 }' "$work/results"
