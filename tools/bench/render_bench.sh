#!/usr/bin/env bash
# render_bench.sh -- what one Render costs the player, measured in the host harness under wine64.
#
# Usage: tools/bench/render_bench.sh [FRAMES]
# Sessions of the 64-bit twin at 10 ms frames, logging off, FRAMES Renders
# each (default 2000) after four seconds of warm-up:
#   (a) background only: no song;
#   (b) full load: a dense chart with 19 arrows in flight in every lane,
#       the fire on, the autoplayer hitting every arrow (a combo banner);
# both hosted as the player hosts them (Render on a visualisation thread,
# so each of the four requests a frame makes is a message sent across
# threads and waits for the main window to answer) and on the main
# window's own thread (requests answered at once). Prints the median and
# 99th percentile of each, in µs, and the ratios b/a. The harness answers
# requests without journaling them. Then what each of those Windows calls
# costs on its own here (stompara_frame_costs).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
frames=${1:-2000}
cmake --build "$root/build/win64" --target vis_stompara stompara_host stompara_frame_costs >/dev/null
work=$(mktemp -d)
[ -n "${KEEP:-}" ] && echo "work folder: $work"
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
winpath() { "$root/scripts/wine-run.sh" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# 400 BPM (75 ms steps), left+right then down+up: an arrow every 150 ms in
# every lane, each in flight 3.4 s at 10 ms frames: the rings stay full.
steps=$(printf 'BA%.0s' $(seq 1 2000))
printf '#BPM:400;\r\n#SINGLE:BASIC:9:\r\n%s;\r\n' "$steps" > "$work/Dense.msd"
end=$((4000 + frames * 10 + 500))
thread=vis
run() {  # name, SHOW_FLAME, scenario lines (one argument each)
  local name=$1 flame=$2
  mkdir -p "$work/$name"
  cp "$root/build/win64/vis_stompara.dll" "$work/$name/"
  printf '[Stompara for Winamp]\r\nWRITE_LOG=0\r\nMSD_PATH=%s\r\nSHOW_FLAME=%s\r\nLEVEL=0\r\n' \
    "$(winpath "$work")" "$flame" > "$work/$name/plugin.ini"
  { echo "frame-ms 10"; echo "host-thread $thread"; echo "request-journal off"; [ $# -gt 2 ] && printf '%s\n' "${@:3}"; echo "$end quit"; } > "$work/$name/scenario"
  (cd "$work/$name" && "$root/scripts/wine-run.sh" "$root/build/win64/stompara_host.exe" \
    --journal journal.jsonl vis_stompara.dll scenario >/dev/null 2>&1)
  # Render times after the warm-up, sorted.
  sed -n 's/^{"t":\([0-9]*\),"event":"render","result":0,"us":\([0-9]*\)}$/\1 \2/p' "$work/$name/journal.jsonl" |
    awk -v from=4000 -v n="$frames" '$1 >= from && count < n { print $2; count++ }' | sort -n > "$work/$name.us"
}
stat() {  # file -> "median p99"
  awk '{ v[NR] = $1 } END { printf "%d %d", v[int(NR * 0.5) + 1], v[int(NR * 0.99) + 1] }' "$1"
}
echo "Render, $frames frames each, 64-bit twin under wine64, $(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
printf '%-52s %8s %8s\n' "" "median" "p99"
for thread in vis main; do
  run "background-$thread" 0
  run "full-$thread" 1 'playlist C:\Music\Dense.mp3' "autoplay $(winpath "$work/Dense.msd") 0" "0 play"
  read -r a50 a99 <<<"$(stat "$work/background-$thread.us")"
  read -r b50 b99 <<<"$(stat "$work/full-$thread.us")"
  hits=$(grep -c '"autoplay-press"' "$work/full-$thread/journal.jsonl" || true)
  where=$([ $thread = vis ] && echo "visualisation thread, as the player" || echo "the host window's thread")
  printf '%-52s %6d µs %6d µs\n' "(a) background only, $where" "$a50" "$a99"
  printf '%-52s %6d µs %6d µs\n' "(b) 19 arrows a lane, fire, banner ($hits hits)" "$b50" "$b99"
  awk -v a="$a50" -v b="$b50" 'BEGIN { printf "    ratio b/a (medians): %.2f\n", b / a }'
done
"$root/scripts/wine-run.sh" "$root/build/win64/stompara_frame_costs.exe" | tr -d '\r'
