#!/usr/bin/env bash
# Runs the Wine end-to-end scenarios against the Windows build.
#   run-wine-suite.sh <wine_tests binary> <Windows build folder>
# Starts its own Xvfb and a fresh Wine prefix under the build folder through
# wine-env.sh, which stops both on every exit, a failure or a hang included.
set -u
tests=$(realpath "${1:?usage: run-wine-suite.sh <wine_tests binary> <Windows build folder>}") || exit 1
QB_WIN_BUILD=$(realpath "${2:?usage: run-wine-suite.sh <wine_tests binary> <Windows build folder>}") || exit 1
export QB_WIN_BUILD
work=$(dirname "$tests")/wine-work
rm -rf "$work"
mkdir -p "$work"
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"

start=$(date +%s)
. "$(dirname "$0")/wine-env.sh"
wine_env_start "$work" 1024x768x24 || exit 1
export QB_WINE

timeout 500 "$tests" --gtest_color=no 2>&1 | tee "$work/wine-tests.log"
rc=${PIPESTATUS[0]}
passed=$(grep -c '^\[       OK \]' "$work/wine-tests.log")
failed=$(grep -c '^\[  FAILED  \] .*(' "$work/wine-tests.log")
echo "Wine suite: $passed passed, $failed failed in $(( $(date +%s) - start )) s (prefix set-up included)" |
  tee "$work/suite.log"
exit "$rc"
