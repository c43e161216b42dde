#!/usr/bin/env bash
# run-fuzz.sh -- a short libFuzzer run of one target from its seed corpus.
#
# Usage: scripts/run-fuzz.sh TARGET [SECONDS]
# New inputs go to a scratch folder, so the committed seeds never change.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=$1 seconds=${2:-20}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Leaks inside the audio libraries are theirs, not ours.
LSAN_OPTIONS="suppressions=$root/tests/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
"$root/build/fuzz/$target" -max_total_time="$seconds" -seed=1 -print_final_stats=1 \
  "$scratch" "$root/tests/fuzz/corpus/$target" 2>&1 | tail -15
exit "${PIPESTATUS[0]}"
