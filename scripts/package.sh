#!/usr/bin/env bash
# package.sh -- the release zip: both DLLs and the chart tool for Windows (stripped), the demo songs and charts, the install text, the licences.
#
# Usage: scripts/package.sh
# Builds the Windows builds when they are missing, then writes
# dist/stompara-VERSION.zip (VERSION from res/version.h) and prints its path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^#define STOMPARA_VERSION_TEXT "\(.*\)"$/\1/p' "$root/res/version.h")
for width in win32 win64; do
  if [ ! -f "$root/build/$width/vis_stompara.dll" ] || [ ! -f "$root/build/$width/stompara_chart.exe" ]; then
    toolchain=$root/cmake/mingw-$([ $width = win32 ] && echo i686 || echo x86_64).cmake
    cmake -S "$root" -B "$root/build/$width" -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
    cmake --build "$root/build/$width" -j "$(nproc)" --target vis_stompara stompara_chart >/dev/null
  fi
done
name=stompara-$version
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name/64-bit" "$stage/$name/charts"
# Stripped of their debug sections; build/ keeps the unstripped ones for debugging.
for file in vis_stompara.dll stompara_chart.exe; do
  i686-w64-mingw32-strip -o "$stage/$name/$file" "$root/build/win32/$file"
done
x86_64-w64-mingw32-strip -o "$stage/$name/64-bit/vis_stompara.dll" "$root/build/win64/vis_stompara.dll"
cp "$root"/demo/charts/*.msd "$stage/$name/charts/"
# The demo songs' audio beside their charts, as Ogg Vorbis: the project's own
# synthesised tracks, made again here from demo/songs.txt.
if [ ! -x "$root/build/tools/tools/synth/stompara_synth" ]; then
  cmake -S "$root" -B "$root/build/tools" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/tools" -j "$(nproc)" --target stompara_synth >/dev/null
fi
"$root/scripts/demo-songs.sh" "$stage/music" >/dev/null
for wav in "$stage"/music/*.wav; do
  song=$(basename "$wav" .wav)
  ffmpeg -nostdin -loglevel error -y -i "$wav" -codec:a libvorbis -qscale:a 5 "$stage/$name/charts/$song.ogg"
done
# Windows line ends for the text a Windows user opens.
sed "s/@VERSION@/$version/; s/\$/\r/" "$root/res/INSTALL.txt" > "$stage/$name/INSTALL.txt"
sed 's/$/\r/' "$root/LICENSE" > "$stage/$name/LICENSE.txt"
sed 's/$/\r/' "$root/res/NOTICES.txt" > "$stage/$name/NOTICES.txt"
mkdir -p "$root/dist"
rm -f "$root/dist/$name.zip"
(cd "$stage" && zip -qr -X "$root/dist/$name.zip" "$name")
echo "$root/dist/$name.zip"
