#!/usr/bin/env bash
# live_streams.sh -- the Frets on Fire songs played as streams in the harness, their live arrows scored.
#
# Usage: tools/bench/live_streams.sh [win64|win32] [SONGS-FOLDER]
#   (the 64-bit twin and /usr/share/games/fretsonfire/data/songs by default;
#   scripts/install-deps.sh --eval installs the songs)
# Each song's stems are mixed by ffmpeg into one WAV, the sound of a stream
# (`playlist http://radio.example/NAME`, `sound WAV`) that the harness hands
# the plug-in before each frame, at the player's 25 ms, to the song's end,
# with no chart anywhere. The arrows the plug-in's log tells are then scored
# against the human chart's grid, as stompara_live_accuracy scores its own
# replay (`--from-log`). The 64-bit runs go four at a time, the 32-bit ones
# (one Wine prefix) one after another: a real-time 10 or 30 minutes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
width=${1:-win64}
songs=${2:-/usr/share/games/fretsonfire/data/songs}
runner=$root/scripts/wine-run.sh
parallel=4
if [ "$width" = win32 ]; then
  runner=$root/scripts/wine-run32.sh
  parallel=1
fi
cmake --build "$root/build/$width" --target vis_stompara stompara_host >/dev/null
cmake --build "$root/build/tools" --target stompara_live_accuracy >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

play() {  # song folder
  local folder=$1 name run stems=() seconds
  name=$(basename "$folder")
  run=$work/${name// /_}
  mkdir -p "$run/charts"
  for stem in song guitar rhythm; do [ -f "$folder/$stem.ogg" ] && stems+=(-i "$folder/$stem.ogg"); done
  ffmpeg -nostdin -loglevel error -y "${stems[@]}" -filter_complex "amix=inputs=$((${#stems[@]} / 2)):normalize=0" \
    -ar 44100 -ac 2 -c:a pcm_s16le "$run/mix.wav"
  seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$run/mix.wav")
  cp "$root/build/$width/vis_stompara.dll" "$run/"
  printf '[Stompara for Winamp]\r\nWRITE_LOG=1\r\nSHOW_FLAME=0\r\nLEVEL=0\r\nMSD_PATH=Z:%s\r\n' \
    "${run//\//\\}\\charts" > "$run/plugin.ini"
  printf 'playlist http://radio.example/%s\nsound Z:%s\n0 play\n%d quit\n' "${name// /%20}" \
    "${run//\//\\}\\mix.wav" "$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 1000 }')" > "$run/scenario"
  (cd "$run" && "$runner" "$root/build/$width/stompara_host.exe" vis_stompara.dll scenario >/dev/null 2>&1) || true
  "$root/build/tools/tools/bench/stompara_live_accuracy" --from-log "$run/StomparaLog.txt" "$folder" \
    > "$run/row" || true
}

mapfile -t folders < <(find "$songs" -name notes.mid -printf '%h\n' | sort)
echo "The songs played as streams in the harness ($width, $(nproc) cores), Standard:"
running=0
for folder in "${folders[@]}"; do
  play "$folder" &
  running=$((running + 1))
  if [ $running -ge $parallel ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait
header=
for folder in "${folders[@]}"; do
  name=$(basename "$folder")
  row=$work/${name// /_}/row
  # Each score starts with the table's header: shown once.
  [ -n "$header" ] || { header=$(head -n 1 "$row" 2>/dev/null || true); [ -z "$header" ] || echo "$header"; }
  tail -n +2 "$row" 2>/dev/null | grep . || echo "$name: not played"
done
