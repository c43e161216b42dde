#!/usr/bin/env bash
# formats_bench.sh -- how long the plug-in takes to make a chart for a four-minute song in each format, in both widths.
#
# Usage: tools/bench/formats_bench.sh [win64|win32]...   (both by default)
# A synthetic song (drums and bass, 128 BPM, 240 s) encoded by ffmpeg as
# WAV, MP3 (128 kbit/s), Ogg Vorbis, FLAC, M4A (AAC, 160 kbit/s) and WMA,
# played with no chart in the harness: the 64-bit twin under wine64 and the
# 32-bit DLL under Wine 10's WoW64. Prints the plug-in's own "Chart made ...
# in N ms" line, or the line that says why none was made. Nothing is asserted.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cmake --build "$root/build/win64" --target vis_stompara stompara_host >/dev/null 2>&1
cmake --build "$root/build/win32" --target vis_stompara stompara_host >/dev/null 2>&1
cmake --build "$root/build/tools" --target stompara_synth >/dev/null 2>&1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/build/tools/tools/synth/stompara_synth" --bpm 128 --seconds 240 "$work/song.wav" >/dev/null
declare -A codecs=([wav]="-codec:a pcm_s16le" [mp3]="-codec:a libmp3lame -b:a 128k" [ogg]="-codec:a libvorbis"
                   [flac]="-codec:a flac" [m4a]="-codec:a aac -b:a 160k" [wma]="-codec:a wmav2 -b:a 128k")
formats=(wav mp3 ogg flac m4a wma)
for format in "${formats[@]}"; do
  # shellcheck disable=SC2086
  ffmpeg -nostdin -loglevel error -y -i "$work/song.wav" ${codecs[$format]} "$work/Song.$format"
done
echo "A four-minute song with no chart, $(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
widths=("$@")
[ ${#widths[@]} -gt 0 ] || widths=(win64 win32)
for width in "${widths[@]}"; do
  runner=$root/scripts/wine-run.sh
  [ $width = win32 ] && runner=$root/scripts/wine-run32.sh
  for format in "${formats[@]}"; do
    run=$work/$width-$format
    mkdir -p "$run/charts"
    cp "$root/build/$width/vis_stompara.dll" "$run/"
    printf '[Stompara for Winamp]\r\nWRITE_LOG=1\r\nSHOW_FLAME=1\r\nLEVEL=2\r\nMSD_PATH=Z:%s\r\n' \
      "${run//\//\\}\\charts" > "$run/plugin.ini"
    printf 'frame-ms 25\nplaylist Z:%s\n0 play\n2500 dialog escape\n10000 quit\n' "${work//\//\\}\\Song.$format" \
      > "$run/scenario"
    (cd "$run" && "$runner" "$root/build/$width/stompara_host.exe" vis_stompara.dll scenario >/dev/null 2>&1) || true
    line=$(grep -a -m1 -E '^(No chart|Chart) made' "$run/StomparaLog.txt" | tr -d '\r' || true)
    printf '%s %-5s %s\n' "$width" "$format" "${line:-no line in the log}"
  done
done
