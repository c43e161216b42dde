#!/usr/bin/env bash
# demo.sh -- play a demo song in the host harness with autoplay, and make its video.
#
# Usage: scripts/demo.sh [--song NAME|1|2|3|FILE] [--level 0|1|2] [--flame on|off] [--no-autoplay]
#                        [--seconds N] [--gif FILE]
#
# --song FILE plays your own song (any audio file: MP3, WAV, Ogg, FLAC, M4A,
# ...) with no chart: the plug-in makes one from the file as the song
# starts, and autoplay plays it once it is made (the made chart is kept
# beside the video).
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

"$root/scripts/install-deps.sh" --demo
# The song: a file of your own, or a demo song by number (1 to 3, in
# demo/songs.txt's order) or by name.
own=
if [ -f "$song" ]; then
  own=$(cd "$(dirname "$song")" && pwd)/$(basename "$song")
  name=$(basename "${song%.*}")
  length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$own" | cut -d. -f1)
  [ -n "$length" ] || { echo "ffmpeg reads no audio in '$song'" >&2; exit 65; }
else
  songs=$(grep -v '^#' "$root/demo/songs.txt" | grep -v '^$')
  case $song in
    [1-9]) line=$(sed -n "${song}p" <<<"$songs") ;;
    *) line=$(awk -F'\t' -v name="$song" '$1 == name' <<<"$songs") ;;
  esac
  [ -n "$line" ] || { echo "no demo song '$song' and no such file; the songs are:" >&2; cut -f1 <<<"$songs" >&2; exit 64; }
  IFS=$'\t' read -r name bpm first length <<<"$line"
fi
[ "$seconds" -gt 0 ] 2>/dev/null || seconds=$((length + 3))

echo "== building"
cmake -S "$root" -B "$root/build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$root/build/win64" -j "$(nproc)" --target vis_stompara stompara_host >/dev/null
cmake -S "$root" -B "$root/build/tools" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/tools" -j "$(nproc)" --target stompara_synth stompara_chart >/dev/null

demo=$root/build/demo
run=$demo/run
rm -rf "$run" && mkdir -p "$run/frames"
cp "$root/build/win64/vis_stompara.dll" "$run/"
winpath() { "$root/scripts/wine-run.sh" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
if [ -n "$own" ]; then
  # The plug-in reads your file; the harness plays its sound from a WAV.
  mkdir -p "$run/charts"
  charts=$(winpath "$run/charts")
  ffmpeg -loglevel error -y -i "$own" -ac 2 -ar 44100 -c:a pcm_s16le "$run/sound.wav"
  wav=$run/sound.wav
  played=$(winpath "$own")
else
  "$root/scripts/demo-songs.sh" "$demo/music"
  charts=$(winpath "$root/demo/charts")
  wav=$demo/music/$name.wav
  played=$(winpath "$wav")
fi
audio=$(winpath "$wav")
printf '[Stompara for Winamp]\r\nWRITE_LOG=%s\r\nMSD_PATH=%s\r\nLEVEL=%s\r\nSHOW_FLAME=%s\r\n' \
  "$([ -n "$own" ] && echo 1 || echo 0)" "$charts" "$level" "$flame" > "$run/plugin.ini"
{
  echo "frame-ms 25"
  echo "playlist $played"
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
ffmpeg -loglevel error -y -framerate 25 -i "$run/frames/frame%05d.bmp" -i "$wav" \
  -vf "scale=576:620:flags=neighbor" -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest "$out.mp4"
ffmpeg -loglevel error -y -i "$run/last.bmp" "$out.png"
if [ -n "$gif" ]; then
  # Six seconds from the tenth, at 12.5 frames a second.
  ffmpeg -loglevel error -y -ss 10 -t 6 -framerate 25 -i "$run/frames/frame%05d.bmp" \
    -vf "fps=12.5,split[a][b];[a]palettegen=max_colors=96[p];[b][p]paletteuse=dither=none" "$gif"
fi
rm -rf "$run/frames"
hits=$(grep -c '"autoplay-press"' "$run/journal.jsonl" || true)
if [ -n "$own" ]; then
  if [ -f "$run/charts/$name.msd" ]; then
    cp "$run/charts/$name.msd" "$out.msd"
    echo "chart:   $out.msd (made by the plug-in: $(grep -a '^Chart made' "$run/StomparaLog.txt" | head -1))"
  else
    echo "no chart was made: $(grep -a 'chart' "$run/StomparaLog.txt" | tail -1)"
  fi
fi
echo "video:   $out.mp4"
echo "capture: $out.png"
[ -n "$gif" ] && echo "animation: $gif"
[ $autoplay = 1 ] && echo "autoplay pressed $hits keys"
echo "journal: $run/journal.jsonl"
