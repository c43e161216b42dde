#!/usr/bin/env bash
# demo.sh -- play a demo song in the host harness with autoplay, and make its video.
#
# Usage: scripts/demo.sh [--song NAME|1|2|3] [--level 0|1|2] [--flame on|off] [--no-autoplay]
#                        [--seconds N] [--gif FILE]
#
# Builds what it needs, makes the song's audio, then plays the song's chart in
# the harness: in a real window where a display exists, on a virtual display
# otherwise. With autoplay (the default) a perfect player presses the keys;
# with --no-autoplay you play with the cursor keys (and hear the song where
# the machine has a sound device). Writes the video of the game window with
# the song's audio and a capture of the last frame into build/demo, and
# prints where they are. --gif also writes a short animation (for the README).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
song=1 level=2 flame=1 autoplay=1 seconds=0 gif=
usage() { sed -n 3,4p "$0" | sed 's/^# //' >&2; exit 64; }
while [ $# -gt 0 ]; do
  case $1 in
    --song) song=${2:?}; shift 2 ;;
    --level) level=${2:?}; shift 2 ;;
    --flame) case ${2:-} in on) flame=1 ;; off) flame=0 ;; *) usage ;; esac; shift 2 ;;
    --no-autoplay) autoplay=0; shift ;;
    --seconds) seconds=${2:?}; shift 2 ;;
    --gif) gif=${2:?}; shift 2 ;;
    *) usage ;;
  esac
done
case $level in 0|1|2) ;; *) usage ;; esac

# The song: by number (1 to 3, in demo/songs.txt's order) or by name.
songs=$(grep -v '^#' "$root/demo/songs.txt" | grep -v '^$')
case $song in
  [1-9]) line=$(sed -n "${song}p" <<<"$songs") ;;
  *) line=$(awk -F'\t' -v name="$song" '$1 == name' <<<"$songs") ;;
esac
[ -n "$line" ] || { echo "no demo song '$song'; the songs are:" >&2; cut -f1 <<<"$songs" >&2; exit 64; }
IFS=$'\t' read -r name bpm first length <<<"$line"
[ "$seconds" -gt 0 ] 2>/dev/null || seconds=$((length + 3))

"$root/scripts/install-deps.sh" --demo
echo "== building"
cmake -S "$root" -B "$root/build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$root/build/win64" -j "$(nproc)" --target vis_stompara stompara_host >/dev/null
cmake -S "$root" -B "$root/build/tools" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/tools" -j "$(nproc)" --target stompara_synth stompara_chart >/dev/null

demo=$root/build/demo
run=$demo/run
rm -rf "$run" && mkdir -p "$run/frames"
"$root/scripts/demo-songs.sh" "$demo/music"
cp "$root/build/win64/vis_stompara.dll" "$run/"
winpath() { "$root/scripts/wine-run.sh" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
charts=$(winpath "$root/demo/charts")
audio=$(winpath "$demo/music/$name.wav")
printf '[Stompara for Winamp]\r\nWRITE_LOG=0\r\nMSD_PATH=%s\r\nLEVEL=%s\r\nSHOW_FLAME=%s\r\n' \
  "$charts" "$level" "$flame" > "$run/plugin.ini"
{
  echo "frame-ms 25"
  echo "playlist $audio"
  echo "audio $audio"
  [ $autoplay = 1 ] && echo "autoplay $charts\\$name.msd $level"
  echo "record $(winpath "$run/frames")"
  echo "0 play"
  echo "$((seconds * 1000)) capture last.bmp"
  echo "$((seconds * 1000 + 100)) quit"
} > "$run/demo.scenario"

# Without a sound device Wine's ALSA driver only complains: leave it out.
[ -e /dev/snd ] || export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=d"
echo "== playing \"$name\" at level $level ($seconds s$([ $autoplay = 1 ] && echo ', autoplay'))"
(cd "$run" && "$root/scripts/wine-run.sh" "$root/build/win64/stompara_host.exe" --journal journal.jsonl \
  vis_stompara.dll demo.scenario)

echo "== encoding"
out=$demo/$name-$level
ffmpeg -loglevel error -y -framerate 25 -i "$run/frames/frame%05d.bmp" -i "$demo/music/$name.wav" \
  -vf "scale=576:620:flags=neighbor" -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest "$out.mp4"
ffmpeg -loglevel error -y -i "$run/last.bmp" "$out.png"
if [ -n "$gif" ]; then
  # Six seconds from the tenth, at 12.5 frames a second.
  ffmpeg -loglevel error -y -ss 10 -t 6 -framerate 25 -i "$run/frames/frame%05d.bmp" \
    -vf "fps=12.5,split[a][b];[a]palettegen=max_colors=96[p];[b][p]paletteuse=dither=none" "$gif"
fi
rm -rf "$run/frames"
hits=$(grep -c '"autoplay-press"' "$run/journal.jsonl" || true)
echo "video:   $out.mp4"
echo "capture: $out.png"
[ -n "$gif" ] && echo "animation: $gif"
[ $autoplay = 1 ] && echo "autoplay pressed $hits keys"
echo "journal: $run/journal.jsonl"
