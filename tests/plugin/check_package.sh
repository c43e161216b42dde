#!/usr/bin/env bash
# check_package.sh -- the release zip holds what a player installs, and nothing it cannot run.
#
# Usage: check_package.sh ROOT
# Makes the package with scripts/package.sh, unpacks it and checks its files,
# both DLLs (format, single export, Windows-only imports, version) and the
# chart tool's imports.
set -u
root=$1
failed=0
fail() { echo "FAIL: $*"; failed=1; }
zip=$("$root/scripts/package.sh") || { echo "FAIL: scripts/package.sh failed"; exit 1; }
version=$(sed -n 's/^#define STOMPARA_VERSION_TEXT "\(.*\)"$/\1/p' "$root/res/version.h")
[ "$(basename "$zip")" = "stompara-$version.zip" ] || fail "package is named $(basename "$zip")"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
unzip -q "$zip" -d "$out" || { echo "FAIL: cannot unzip $zip"; exit 1; }
top=$out/stompara-$version

expected=$(printf '%s\n' 64-bit/vis_stompara.dll INSTALL.txt LICENSE.txt NOTICES.txt stompara_chart.exe vis_stompara.dll
  for song in Afterburner "Neon Stairs" "Paper Lanterns"; do echo "charts/$song.msd"; echo "charts/$song.ogg"; done)
found=$(cd "$top" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$found" = "$(LC_ALL=C sort <<<"$expected")" ] || fail "files are: $(echo $found)"

"$root/tests/plugin/check_dll.sh" "$top/vis_stompara.dll" PE32 || failed=1
"$root/tests/plugin/check_dll.sh" "$top/64-bit/vis_stompara.dll" PE32+ || failed=1
for dll in "$top/vis_stompara.dll" "$top/64-bit/vis_stompara.dll"; do
  strings -el "$dll" | grep -qx "$version" || fail "$dll has no version $version"
done

allowed='^(KERNEL32|USER32|GDI32|COMDLG32|SHELL32|OLE32|ADVAPI32|COMCTL32|MSACM32|msvcrt)\.dll$'
for name in $(objdump -p "$top/stompara_chart.exe" | sed -n 's/^\tDLL Name: //p'); do
  grep -Eiq "$allowed" <<<"$name" || fail "stompara_chart.exe imports from $name, which Windows does not ship"
done
objdump -p "$top/stompara_chart.exe" | grep -q '^Magic.*(PE32)$' || fail "stompara_chart.exe is not 32-bit"
for file in vis_stompara.dll 64-bit/vis_stompara.dll stompara_chart.exe; do
  objdump -h "$top/$file" | grep -q '\.debug_' && fail "$file keeps its debug sections"
done
grep -q $'vis_stompara.dll into Winamp\'s Plugins folder\r$' "$top/INSTALL.txt" || fail "INSTALL.txt lacks the install step"
for notice in "KISS FFT" stb_vorbis "GCC RUNTIME LIBRARY EXCEPTION" winpthreads; do
  grep -q "$notice" "$top/NOTICES.txt" || fail "NOTICES.txt lacks $notice"
done
grep -q '^MIT License' "$top/LICENSE.txt" || fail "LICENSE.txt is not the project's licence"
for chart in "$top"/charts/*.msd; do
  "$root/build/native/tools/chart/stompara_chart" "$chart" >/dev/null || fail "$chart has warnings"
  # Each song is the length of its chart's demo song, as Ogg Vorbis.
  song=${chart%.msd}.ogg
  length=$(awk -F'\t' -v name="$(basename "${chart%.msd}")" '$1 == name {print $4}' "$root/demo/songs.txt")
  seconds=$(ffprobe -v error -select_streams a -show_entries stream=codec_name,duration -of csv=p=0 "$song")
  [ "${seconds%%,*}" = vorbis ] && [ "$(printf '%.0f' "${seconds#*,}")" = "$length" ] ||
    fail "$song is '$seconds', want vorbis of $length s"
done
grep -q 'FLAC' "$top/INSTALL.txt" && grep -q 'SSC' "$top/INSTALL.txt" || fail "INSTALL.txt names neither the formats nor SSC"
[ $failed = 0 ] && echo "ok: $zip"
exit $failed
