# Xvfb and Wine for the Wine suite and the screenshots; sourced, then
#   wine_env_start <work folder> <screen, such as 1024x768x24>
# checks the tools, starts Xvfb on a display it picks itself, makes a fresh
# 64-bit Wine prefix under the work folder in a Japanese locale (so that the
# ANSI code page is 932), lets Wine place message boxes without a window
# manager and keeps one Wine server running. Both are stopped on every exit
# of the sourcing script, a failure, an interrupt or a timeout included.
# Sets QB_WINE (the wine loader) and QB_WINESERVER.
QB_WINE=/usr/lib/wine/wine64
QB_WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
qb_xvfb_pid=

# Each step may fail (no server left, Xvfb gone) without stopping the next,
# also under `set -e`.
wine_env_stop() {
  "$QB_WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "$qb_xvfb_pid" ]; then
    kill "$qb_xvfb_pid" >/dev/null 2>&1 || true
    wait "$qb_xvfb_pid" 2>/dev/null || true
  fi
}

wine_env_start() {
  local work=$1 screen=$2 tool display=
  export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win64
  # Wine's Recycle Bin is the trash of $XDG_DATA_HOME: the suite's own. So
  # are the home folder that the prefix's user folders lead to and the
  # folders Wine writes menus and caches in.
  export XDG_DATA_HOME=$work/data HOME=$work/home
  export XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
  mkdir -p "$HOME"
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  for tool in "$QB_WINE" Xvfb; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run the README's install step"; return 1; }
  done
  locale -a | grep -qi '^ja_JP.utf-\?8$' || { echo "missing locale ja_JP.UTF-8"; return 1; }

  trap wine_env_stop EXIT
  trap 'exit 130' INT TERM
  # Xvfb takes the first free display and writes its number to descriptor 3.
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  qb_xvfb_pid=$!
  for _ in $(seq 1 100); do
    display=$(cat "$work/display" 2>/dev/null)
    [ -n "$display" ] && break
    sleep 0.1
  done
  [ -n "$display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; return 1; }
  export DISPLAY=":$display"

  timeout 300 "$QB_WINE" wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; return 1; }
  # Without a window manager every box would wait for one: let Wine place them.
  "$QB_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$QB_WINESERVER" -w
  # One server for the whole session, so that no Wine program started later
  # leaves a server behind that holds its caller's pipes open.
  "$QB_WINESERVER" -p </dev/null >/dev/null 2>&1
}
