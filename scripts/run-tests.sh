#!/usr/bin/env bash
# Builds every target and runs every test: the Windows build checked, its
# release zips rebuilt bit for bit from two clones and the program run under
# Wine; the native build's unit and end-to-end tests (fault injection
# included), the same under AddressSanitizer and UndefinedBehaviorSanitizer,
# their coverage of src/, and each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
summary=$root/build/test-summary.log
mkdir -p build
: >"$summary"
# ctest, its closing lines kept for the summary at the end.
run_ctest() { ctest "$@" | tee -a "$summary"; }
# The null device, which every step writes to. One that is not (deleted by
# a tool run as root on an earlier day of this machine, then made a plain
# file by the next redirection) is made again before anything runs; one
# that this run breaks, whether the run passes or not, is made again when
# it ends and fails it. Made under another name and renamed into place, so
# that a redirection meanwhile cannot take the name.
null_device() { [ -c /dev/null ] && [ "$(stat -c %t:%T:%a /dev/null)" = 1:3:666 ]; }
remake_null_device() {
  { mknod -m 666 "/dev/.null.$$" c 1 3 && mv -f "/dev/.null.$$" /dev/null && null_device; } ||
    { echo "!! cannot make /dev/null again: as root, mknod -m 666 /dev/null c 1 3"; return 1; }
}
check_null_device() {
  local rc=$?
  if ! null_device; then
    echo "!! /dev/null is no longer the null device: a step of this run broke it"
    remake_null_device
    rc=1
  fi
  exit "$rc"
}
if ! null_device; then
  echo "!! /dev/null was not the null device: made again"
  remake_null_device || exit 1
fi
trap check_null_device EXIT

echo "== Layers of src/"
scripts/check-layers.sh

echo "== Windows builds, x64 and x86, and their release zips"
version=$(sed -nE 's/^project\(Quenbrook VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
rm -rf build/release
for preset in windows-x64 windows-x86; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" --target all package
done
tests/windows/check-package.sh "build/release/Quenbrook-$version-win64.zip" x86_64-w64-mingw32-objdump
tests/windows/check-package.sh "build/release/Quenbrook-$version-win32.zip" i686-w64-mingw32-objdump

echo "== Reproducible release: both zips built again from two clones of HEAD"
scripts/check-reproducible.sh windows-x64 windows-x86

echo "== Native build: unit, end-to-end, Windows executable checks, Wine suite"
cmake --preset native -DQB_WIN_BUILD="$root/build/windows-x64" >/dev/null
cmake --build --preset native -j "$jobs"
run_ctest --preset native -j "$jobs" -E wine_suite
run_ctest --preset native -R wine_suite --output-on-failure
grep '^Wine suite:' build/native/tests/wine-work/suite.log

echo "== Sanitizers: unit and native end-to-end tests"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
run_ctest --preset asan -j "$jobs"

echo "== Coverage of src/ by the POSIX build's tests (without the Wine suite)"
scripts/coverage.sh --summary | tee build/coverage-summary.log

echo "== Fuzz targets, 20 s each"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
fuzz/run-fuzzers.sh 20 build/fuzz | tee build/fuzz/run.log

passed=$(grep -o 'tests passed, 0 tests failed out of [0-9]*' "$summary" | awk '{ n += $NF } END { print n }')
wine=$(grep -o '^Wine suite: [0-9]*' build/native/tests/wine-work/suite.log | awk '{print $3}')
echo "The Wine suite's $wine scenarios count as one ctest test; $(tail -n 1 build/fuzz/run.log)."
echo "Coverage of src/: $(grep -E '^(lines|branches):' build/coverage-summary.log | paste -sd ' ' | sed 's/ branches:/, branches:/')"
echo "summary: $passed passed, 0 failed"
