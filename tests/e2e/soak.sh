#!/usr/bin/env bash
# soak.sh E2E-PROGRAM SCRATCH PREFIX32 -- the soak in both widths, side by side.
#
# Each soak times a thousand sessions against the harness's limit and
# bounds their memory; beside other suites on two cores they ran out of
# time, so CTest runs this alone, and the two widths share the machine
# only with each other (about 90 s for both).
set -uo pipefail
program=$1 scratch=$2 prefix32=$3
mkdir -p "$scratch"
STOMPARA_E2E_SCRATCH=$scratch/x86_64 "$program" --gtest_filter='Soak.*' > "$scratch/x86_64.log" 2>&1 &
wide=$!
STOMPARA_E2E_SCRATCH=$scratch/i686 STOMPARA_E2E_MODULE=i686 STOMPARA_WINEPREFIX32=$prefix32 \
  "$program" --gtest_filter='Soak.*' > "$scratch/i686.log" 2>&1 &
narrow=$!
status=0
wait $wide || status=1
wait $narrow || status=1
for width in x86_64 i686; do
  echo "== the soak, $width"
  cat "$scratch/$width.log"
done
exit $status
