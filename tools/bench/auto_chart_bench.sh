#!/usr/bin/env bash
# auto_chart_bench.sh -- a song without a chart, made by the plug-in: how long, what it costs the frames.
#
# Usage: tools/bench/auto_chart_bench.sh
# The 64-bit twin in the host harness under wine64, 25 ms frames, a
# synthetic song (drums and bass, 128 BPM) encoded at 128 kbit/s by ffmpeg:
#   - a four-minute MP3 with no chart: the time from the song's first frame
#     to its chart being ready (the plug-in's own "Chart made ... in N ms"),
#     the median Render while the worker runs (the field, the fire and the
#     progress line) beside the median Render over the same frames of a
#     session whose host names no song (the field and the fire, no line),
#     and of the chart playing from 6 to 11 s (arrows, fire, the combo
#     banner's two lines), neither with a worker; and the time from the chart's load to its first arrow on the
#     target row (the autoplayer's first press), for Standard and Expert;
#   - a ten-minute MP3: the harness's private bytes before and while the
#     worker runs (the memory the decode and the analysis take), and how
#     long Quit takes in the middle of its analysis.
# Figures go to stdout; nothing is asserted.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cmake --build "$root/build/win64" --target vis_stompara stompara_host >/dev/null 2>&1
cmake --build "$root/build/tools" --target stompara_synth >/dev/null 2>&1
work=$(mktemp -d)
[ -n "${KEEP:-}" ] && echo "work folder: $work"
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
winpath() { "$root/scripts/wine-run.sh" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
song() {  # seconds -> MP3 path
  "$root/build/tools/tools/synth/stompara_synth" --bpm 128 --seconds "$1" "$work/song-$1.wav" >/dev/null
  ffmpeg -loglevel error -y -i "$work/song-$1.wav" -codec:a libmp3lame -b:a 128k "$work/Song$1.mp3"
  rm "$work/song-$1.wav"
  echo "$work/Song$1.mp3"
}
run() {  # name, level, scenario lines (one argument each)
  local name=$1 level=$2
  mkdir -p "$work/$name/charts"
  cp "$root/build/win64/vis_stompara.dll" "$work/$name/"
  printf '[Stompara for Winamp]\r\nWRITE_LOG=1\r\nSHOW_FLAME=1\r\nLEVEL=%s\r\nMSD_PATH=%s\r\n' \
    "$level" "$(winpath "$work/$name/charts")" > "$work/$name/plugin.ini"
  { echo "frame-ms 25"; echo "request-journal off"; printf '%s\n' "${@:3}"; } > "$work/$name/scenario"
  (cd "$work/$name" && "$root/scripts/wine-run.sh" "$root/build/win64/stompara_host.exe" \
    --journal journal.jsonl vis_stompara.dll scenario >/dev/null 2>&1)
}
event_time() {  # journal, event -> ms of its first line
  sed -n "s/^{\"t\":\([0-9]*\),\"event\":\"$2\".*/\1/p" "$1" | head -1
}
renders() {  # journal, from ms, to ms -> the Render times between, sorted
  sed -n 's/^{"t":\([0-9]*\),"event":"render","result":0,"us":\([0-9]*\)}$/\1 \2/p' "$1" |
    awk -v from="$2" -v to="$3" '$1 >= from && $1 < to { print $2 }' | sort -n
}
median() { awk '{ v[NR] = $1 } END { print NR ? v[int(NR * 0.5) + 1] : 0 }'; }

four=$(song 240)
echo "A song with no chart, 64-bit twin under wine64, $(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
for level in 0 2; do
  name=make-$level
  run "$name" "$level" "playlist $(winpath "$four")" "autoplay $(winpath "$work/$name/charts/Song240.msd") $level" \
    "0 play" "12000 quit"
  journal=$work/$name/journal.jsonl
  made=$(grep -a -o 'Chart made for <Song240.mp3> in [0-9]* ms' "$work/$name/StomparaLog.txt" | grep -o '[0-9]* ms')
  loaded=$(event_time "$journal" autoplay)
  first=$(event_time "$journal" autoplay-press)
  start=$(event_time "$journal" init)
  during=$(renders "$journal" "$start" "$loaded" | median)
  count=$(renders "$journal" "$start" "$loaded" | wc -l)
  # The same frames with no song named: the same empty field and fire, no worker.
  run "idle-$level" "$level" "playlist $(winpath "$four")" "0 filename null" "0 play" "12000 quit"
  ijournal=$work/idle-$level/journal.jsonl
  istart=$(event_time "$ijournal" init)
  without=$(renders "$ijournal" "$istart" $((istart + loaded - start)) | median)
  # And with the chart in place from the start: arrows, fire and the combo banner, no worker.
  mkdir -p "$work/play-$level/charts"
  cp "$work/$name/charts/Song240.msd" "$work/play-$level/charts/"
  run "play-$level" "$level" "playlist $(winpath "$four")" "autoplay $(winpath "$work/play-$level/charts/Song240.msd") $level" \
    "0 play" "12000 quit"
  pjournal=$work/play-$level/journal.jsonl
  pstart=$(event_time "$pjournal" init)
  playing=$(renders "$pjournal" $((pstart + 6000)) $((pstart + 11000)) | median)
  echo "level $level: 4-minute 128 kbit/s MP3 ready in $made; median Render $during µs while the worker ran" \
       "($count frames), $without µs over the same frames with no song, $playing µs playing the chart with no worker;" \
       "first arrow on the target row $((first - loaded)) ms after the chart loaded"
done

ten=$(song 600)
lines=("playlist $(winpath "$ten")" "0 resources" "0 play")
for t in $(seq 100 100 5000); do lines+=("$t resources"); done
run memory 0 "${lines[@]}" "5100 quit"
journal=$work/memory/journal.jsonl
sed -n 's/.*"event":"resources".*"pagefile":\([0-9]*\).*/\1/p' "$journal" |
  awk 'NR == 1 { base = $1 } { if ($1 > top) top = $1 } END { printf "10-minute MP3: %.1f MB private before the worker, %.1f MB at most while it ran (+%.1f MB)\n", base / 1048576, top / 1048576, (top - base) / 1048576 }'
grep -a -o 'Chart made for <Song600.mp3> in [0-9]* ms' "$work/memory/StomparaLog.txt" || echo "10-minute MP3: not made within 5 s"
# Quit while the ten-minute song is analysed.
run quit 0 "playlist $(winpath "$ten")" "0 play" "700 quit"
sed -n 's/.*"event":"quit","ms":\([0-9]*\).*/Quit in mid-analysis returned in \1 ms/p' "$work/quit/journal.jsonl"
