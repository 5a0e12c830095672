#!/usr/bin/env bash
# Builds every target and runs every test: the Windows build checked and run
# under Wine, the native build's unit and end-to-end tests (fault injection
# included), the same under AddressSanitizer and UndefinedBehaviorSanitizer,
# and each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

echo "== Windows x64 build"
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 -j "$jobs"

echo "== Native build: unit, end-to-end, Windows executable checks, Wine suite"
cmake --preset native -DQB_WIN_BUILD="$root/build/windows-x64" >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs" -E wine_suite
ctest --preset native -R wine_suite --output-on-failure
grep '^Wine suite:' build/native/tests/wine-work/suite.log

echo "== Sanitizers: unit and native end-to-end tests"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

echo "== Fuzz targets, 20 s each"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
fuzz/run-fuzzers.sh 20 build/fuzz
