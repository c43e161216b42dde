#!/usr/bin/env bash
# check_dll.sh -- the built module is what the player can load.
#
# Usage: check_dll.sh DLL PE32|PE32+
# Checks the PE format, that winampVisGetHeader is the one export, and that
# every import comes from Windows' own DLLs (no compiler runtime to ship).
set -u
dll=$1 format=$2
failed=0
fail() { echo "FAIL: $*"; failed=1; }

dump=$(objdump -p "$dll" 2>&1) || { echo "FAIL: objdump cannot read $dll"; exit 1; }
magic=$(sed -n 's/^Magic.*(\(PE32+*\))$/\1/p' <<<"$dump")
[ "$magic" = "$format" ] || fail "format is '$magic', want $format"

exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^\t\[/{print $NF; next} on{exit}' <<<"$dump")
[ "$exports" = "winampVisGetHeader" ] || fail "exports are '$(echo $exports)', want only winampVisGetHeader"

allowed='^(KERNEL32|USER32|GDI32|COMDLG32|SHELL32|OLE32|ADVAPI32|COMCTL32|MSACM32|WINMM|msvcrt)\.dll$'
imports=$(sed -n 's/^\tDLL Name: //p' <<<"$dump")
[ -n "$imports" ] || fail "no imports found"
for name in $imports; do
  grep -Eiq "$allowed" <<<"$name" || fail "imports from $name, which Windows does not ship"
done

[ $failed = 0 ] && echo "ok: $dll is $format, exports winampVisGetHeader only, imports $(echo $imports)"
exit $failed
