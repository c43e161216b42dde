#!/usr/bin/env bash
# install-deps.sh -- install what building and testing Stompara needs (Debian 12, as root).
#
# Usage: scripts/install-deps.sh [--demo] [--eval]
#   --demo: also what the demo needs
#   --eval: also the songs `stompara_chart evaluate` measures the generator on
#           (Frets on Fire songs with human note charts, CC BY-SA, under
#           /usr/share/games/fretsonfire/data/songs); neither the plug-in nor
#           the tests need them
set -euo pipefail
packages=(
  cmake make g++ googletest libgtest-dev pkg-config  # native build and unit tests
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev  # the chart tool's decoding (FFmpeg)
  libsndfile1-dev libkissfft-dev                   # writing WAVs (test songs, the evaluation's mixes); the analysis's spectra
  libstb-dev ffmpeg                                # the plug-in's Ogg decoder; songs in every format for the tests
  clang libclang-rt-14-dev                         # libFuzzer targets
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64  # the DLLs
  wine64 fonts-wine xvfb xauth                     # running the 64-bit twin
  gstreamer1.0-plugins-good gstreamer1.0-libav     # Wine's Media Foundation decodes with them (FLAC, MP3, AAC)
  debootstrap                                      # the Debian 13 root that runs the 32-bit DLL
  zip unzip                                        # the release package
)
for option in "$@"; do
  case "$option" in
    --demo) ;;  # the demo (scripts/demo.sh) needs ffmpeg, which the tests already do
    --eval) packages+=(fretsonfire-songs-muldjord fretsonfire-songs-sectoid) ;;
    *) echo "usage: $0 [--demo] [--eval]" >&2; exit 2 ;;
  esac
done
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
