#!/usr/bin/env bash
# Line and branch coverage of src/ for the POSIX build: builds the coverage
# preset, runs its ctest tests (unit, native end-to-end, corpus replays; not
# the Wine suite, which runs the Windows build) on fresh counters, and prints
# what gcovr counted.
#   scripts/coverage.sh            each file's figures and the lines it misses
#   scripts/coverage.sh --lines    every line no test reaches, with its text
#   scripts/coverage.sh --summary  the totals alone (what run-tests.sh prints)
# Branches count without those that only an exception takes (every call
# that may throw has one) and those GCC marks unreachable.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-}
build=build/coverage
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j "$(nproc)" >/dev/null
find "$build" -name '*.gcda' -delete
# The end-to-end tests run some programs as nobody (when run as root): their
# counters must be writable too, or the runs complain on standard error.
find "$build" -name '*.gcno' -printf '%h\n' | sort -u | xargs chmod a+rwx
(umask 0 && ctest --preset coverage -j "$(nproc)" >"$build/ctest.log") || {
  cat "$build/ctest.log"
  exit 1
}
tail -n 3 "$build/ctest.log" | head -n 1
# Counters are looked for below the build folder only: elsewhere in the tree
# a Wine prefix's drive Z: leads to / again and again.
gcovr=(gcovr --root . --filter src/ --object-directory "$build"
       --exclude-throw-branches --exclude-unreachable-branches "$build")
case $mode in
  # The report goes to a file of the build: gcovr tries an output path by
  # creating and deleting it, which as root deletes a device given there.
  --summary) "${gcovr[@]}" --print-summary --txt "$build/coverage.txt" | grep -E '^(lines|branches):' ;;
  --lines)
    "${gcovr[@]}" --json "$build/coverage.json"
    python3 - "$build/coverage.json" <<'EOF'
import json, sys
for f in sorted(json.load(open(sys.argv[1]))["files"], key=lambda f: f["file"]):
    text = open(f["file"], encoding="utf-8").read().split("\n")
    for line in f["lines"]:
        if line["count"] == 0 and not line.get("gcovr/noncode"):
            print(f'{f["file"]}:{line["line_number"]}: {text[line["line_number"] - 1].strip()}')
EOF
    ;;
  *) "${gcovr[@]}" --print-summary ;;
esac
