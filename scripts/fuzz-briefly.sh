#!/bin/bash
# Runs every fuzz target of the native build for a short while, starting from
# its committed corpus (new finds go to a scratch folder, not into git).
# Usage: scripts/fuzz-briefly.sh [SECONDS_PER_TARGET]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
status=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in build/native/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  mkdir -p "$scratch/$name"
  corpus="fuzz/corpus/$name"
  if "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$scratch/$name-" \
       "$scratch/$name" ${corpus:+$( [ -d "$corpus" ] && echo "$corpus")} > "$scratch/$name.log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$scratch/$name.log" | grep -o '[0-9]*$')
    echo "fuzz $name: ${runs:-?} runs in ${seconds}s, nothing found"
  else
    echo "fuzz $name: FAILED" >&2
    tail -40 "$scratch/$name.log" >&2
    status=1
  fi
done
exit $status
