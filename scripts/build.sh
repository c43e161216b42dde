#!/usr/bin/env bash
# build.sh -- configure and build every build of the tree into build/.
#
#   build/win32   vis_stompara.dll for the 32-bit player (the product)
#   build/win64   the 64-bit twin, the host harness, Windows unit tests
#   build/native  portable code, unit and end-to-end tests, tools (ASan/UBSan)
#   build/fuzz    libFuzzer targets (clang)
#   build/tools   the chart tool and the benchmarks, optimised, no sanitizers
#
# Usage: scripts/build.sh [BUILD...]   only those builds (win32 win64 native
# fuzz tools); all five by default.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
configure() {  # folder, then cmake options
  local folder=$root/build/$1
  shift
  cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(win32 win64 native fuzz tools)
for build in "${builds[@]}"; do
  case "$build" in
    win32) configure win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" ;;
    win64) configure win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" ;;
    native) configure native -DSTOMPARA_SANITIZE=ON ;;
    fuzz) CC=clang CXX=clang++ configure fuzz -DSTOMPARA_FUZZ=ON ;;
    tools) configure tools -DCMAKE_BUILD_TYPE=Release ;;
    *) echo "usage: $0 [win32|win64|native|fuzz|tools]..." >&2; exit 64 ;;
  esac
done
for build in "${builds[@]}"; do
  echo "== building $build"
  # The users' tools build is only the tools; the tests live in the others.
  targets=()
  [ "$build" = tools ] && targets=(--target stompara_chart stompara_synth stompara_flame_bench
                                     stompara_generate_accuracy stompara_generate_patterns stompara_chart_bench
                                     stompara_convert_timing stompara_live_accuracy)
  if ! cmake --build "$root/build/$build" -j "$jobs" "${targets[@]}" >"$root/build/$build.log" 2>&1; then
    grep -E 'error|Error' "$root/build/$build.log" | head -40
    echo "build of $build failed: see build/$build.log"
    exit 1
  fi
done
case " ${builds[*]} " in *" win32 "*) echo "vis_stompara.dll (32-bit): $root/build/win32/vis_stompara.dll" ;; esac
case " ${builds[*]} " in *" tools "*) echo "chart tool: $root/build/tools/tools/chart/stompara_chart" ;; esac
