#!/usr/bin/env bash
# demo-songs.sh -- the demo songs' audio, and with --charts their charts.
#
# Usage: scripts/demo-songs.sh [--charts] [OUT-FOLDER]
# Writes OUT-FOLDER/NAME.wav (default build/demo/music) for each song of
# demo/songs.txt: a beat, hi-hats and a bass line at the song's tempo, made
# by stompara_synth. With --charts, also remakes demo/charts/NAME.msd from
# that audio with `stompara_chart generate` (the committed charts were made
# so). Needs build/tools (scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
charts=0
[ "${1:-}" = --charts ] && { charts=1; shift; }
out=${1:-$root/build/demo/music}
tools=$root/build/tools/tools
if [ ! -x "$tools/synth/stompara_synth" ] || [ ! -x "$tools/chart/stompara_chart" ]; then
  cmake -S "$root" -B "$root/build/tools" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/tools" -j "$(nproc)" --target stompara_synth stompara_chart >/dev/null
fi
mkdir -p "$out"
while IFS=$'\t' read -r name bpm first seconds; do
  case $name in ''|'#'*) continue ;; esac
  "$tools/synth/stompara_synth" --bpm "$bpm" --first-beat-ms "$first" --seconds "$seconds" "$out/$name.wav"
  if [ $charts = 1 ]; then
    "$tools/chart/stompara_chart" generate --force --out "$root/demo/charts" "$out/$name.wav" | sed -n 's/^  -> //p'
  fi
done < "$root/demo/songs.txt"
