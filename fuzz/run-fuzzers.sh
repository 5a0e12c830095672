#!/usr/bin/env bash
# Runs every fuzz target named in fuzz/targets.txt for a bounded time, from
# the seed corpus in fuzz/corpus (new inputs go to a scratch corpus, not the
# repo), and ends with a line counting the targets that ran clean.
#   fuzz/run-fuzzers.sh [seconds per target, default 20] [fuzz build folder]
set -uo pipefail
seconds=${1:-20}
build=${2:-build/fuzz}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d /tmp/qb-fuzz-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
status=0
clean=0
targets=$(grep -E '^[a-z0-9_]+$' "$here/targets.txt")
for target in $targets; do
  mkdir -p "$scratch/$target"
  log=$scratch/$target.log
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$scratch/" "$scratch/$target" "$here/corpus/$target" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{print $2}')
  if [ $rc -eq 0 ]; then
    echo "fuzz_$target: ${runs:-?} runs in ${seconds} s, no finding"
    clean=$((clean + 1))
  else
    echo "fuzz_$target: FINDING"
    tail -n 30 "$log"
    # The inputs that found it, kept beside the build (the scratch goes).
    cp "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-* "$build" 2>/dev/null
    echo "its inputs are in $build"
    status=1
  fi
done
echo "fuzz targets: $clean of $(wc -w <<<"$targets") ran clean"
exit $status
