#!/usr/bin/env bash
# Runs the Wine end-to-end scenarios against the Windows build.
#   run-wine-suite.sh <wine_tests binary> <Windows build folder>
# Starts its own Xvfb on a free display and a fresh Wine prefix under the
# build folder, and stops both on every exit, a failure or a hang included.
set -u
tests=$(realpath "$1")
export QB_WIN_BUILD=$(realpath "$2")
export QB_WINE=/usr/lib/wine/wine64
work=$(dirname "$tests")/wine-work
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win64
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8   # Wine's ANSI code page is then 932
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"

for tool in "$QB_WINE" Xvfb; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run the README's install step"; exit 1; }
done
locale -a | grep -qi '^ja_JP.utf-\?8$' || { echo "missing locale ja_JP.UTF-8"; exit 1; }

display=
for n in $(seq 91 160); do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free X display"; exit 1; }
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"

wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
cleanup() {
  "$wineserver" -k >/dev/null 2>&1
  kill "$xvfb_pid" >/dev/null 2>&1
  wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

start=$(date +%s)
timeout 300 "$QB_WINE" wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
# Without a window manager every box would wait for one: let Wine place them.
"$QB_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$wineserver" -w
# One server for the whole suite, so that no Wine program started by a test
# leaves a server behind that holds the test's pipes open.
"$wineserver" -p </dev/null >/dev/null 2>&1

timeout 500 "$tests" --gtest_color=no 2>&1 | tee "$work/wine-tests.log"
rc=${PIPESTATUS[0]}
passed=$(grep -c '^\[       OK \]' "$work/wine-tests.log")
failed=$(grep -c '^\[  FAILED  \] .*(' "$work/wine-tests.log")
echo "Wine suite: $passed passed, $failed failed in $(( $(date +%s) - start )) s (prefix set-up included)" |
  tee "$work/suite.log"
exit "$rc"
