#!/usr/bin/env bash
# make_test_songs.sh -- the songs the Windows decoder tests read, made with ffmpeg.
#
# Usage: tests/audio/make_test_songs.sh FOLDER [--bench]
# A 15 s stereo 44.1 kHz song of 5 ms noise bursts at 0.25 s, 0.75 s, ...
# (one every 500 ms), as 16-bit WAV, MP3 (LAME, 128 kbit/s, with its Info
# tag), MP3 at 22.05 kHz mono (MPEG-2, 576-sample frames), Ogg Vorbis, MS
# ADPCM WAV, FLAC, M4A (AAC), WMA, and the first 60 % of the MP3. --bench also makes a 4-minute
# 128 kbit/s MP3 for the speed measurement. Files already made are kept.
set -euo pipefail
out=$1
mkdir -p "$out"
encode() {  # output, then ffmpeg options
  local file=$out/$1 part=$out/part.${1##*.}
  shift
  [ -s "$file" ] && return 0
  ffmpeg -nostdin -v error -y "$@" "$part"
  mv -f "$part" "$file"
}
burst='if(lt(mod(t+0.25\,0.5)\,0.005)\,0.8*(2*random(0)-1)\,0)'
encode clicks.wav -f lavfi -i "aevalsrc=$burst|$burst:s=44100:d=15" -c:a pcm_s16le
encode clicks.mp3 -i "$out/clicks.wav" -codec:a libmp3lame -b:a 128k
encode clicks_22k.mp3 -i "$out/clicks.wav" -ar 22050 -ac 1 -codec:a libmp3lame -b:a 64k
encode clicks.ogg -i "$out/clicks.wav" -codec:a libvorbis
encode clicks_adpcm.wav -i "$out/clicks.wav" -codec:a adpcm_ms
encode clicks.flac -i "$out/clicks.wav" -codec:a flac
encode clicks.m4a -i "$out/clicks.wav" -codec:a aac -b:a 160k
encode clicks.wma -i "$out/clicks.wav" -codec:a wmav2 -b:a 128k
size=$(stat -c %s "$out/clicks.mp3")
head -c $((size * 6 / 10)) "$out/clicks.mp3" >"$out/clicks_truncated.mp3"
if [ "${2:-}" = --bench ]; then
  tone='0.3*sin(2*PI*220*t)*exp(-8*mod(t\,0.5))+0.5*(2*random(0)-1)*exp(-60*mod(t\,0.25))'
  encode song_4min.mp3 -f lavfi -i "aevalsrc=$tone|$tone:s=44100:d=240" -codec:a libmp3lame -b:a 128k
fi
