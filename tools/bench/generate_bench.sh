#!/usr/bin/env bash
# generate_bench.sh -- how fast the chart generator makes charts for a folder of songs.
#
# Usage: tools/bench/generate_bench.sh [SONGS] [SECONDS]
# Writes SONGS synthetic MP3 songs of SECONDS each (default 6 of 240 s, at
# tempos from 95 to 175 BPM) into a scratch folder, then times
# `stompara_chart generate` over the folder with the optimised build
# (scripts/build.sh makes build/tools).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
songs=${1:-6} seconds=${2:-240}
tools=$root/build/tools/tools
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for ((i = 0; i < songs; i++)); do
  bpm=$((95 + i * 80 / (songs > 1 ? songs - 1 : 1)))
  "$tools/synth/stompara_synth" --bpm "$bpm" --first-beat-ms $((1500 + i * 137)) --seconds "$seconds" \
    "$scratch/song$i.mp3"
done
echo "$songs songs of $seconds s (MP3, 44.1 kHz) on $(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
"$tools/chart/stompara_chart" generate "$scratch" | grep -E '^(made|  ->)'
