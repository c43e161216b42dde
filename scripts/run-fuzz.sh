#!/usr/bin/env bash
# run-fuzz.sh -- a libFuzzer run of one target from its seed corpus.
#
# Usage: scripts/run-fuzz.sh TARGET [SECONDS]      run for SECONDS (default 20)
#        scripts/run-fuzz.sh TARGET --runs N       run N executions
# New inputs go to a scratch folder, so the committed seeds never change.
# The test command runs every target for 20 s; longer runs are by hand.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=$1
limit=(-max_total_time="${2:-20}")
[ "${2:-}" = --runs ] && limit=(-runs="${3:?--runs needs a count}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Leaks inside the audio libraries are theirs, not ours.
# At a low priority: beside the test command's real-time suites, the
# fuzzer only counts executions.
LSAN_OPTIONS="suppressions=$root/tests/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
nice -n 15 "$root/build/fuzz/$target" "${limit[@]}" -seed=1 -print_final_stats=1 -artifact_prefix="$root/build/fuzz/" \
  "$scratch" "$root/tests/fuzz/corpus/$target" 2>&1 | tail -15
exit "${PIPESTATUS[0]}"
