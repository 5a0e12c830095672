#!/usr/bin/env bash
# Takes the README's screenshots of Quenbrook.exe under Wine: the question
# box and the title notice, with a Japanese font from Debian's packages.
#   scripts/screenshots.sh   (after a windows-x64 build)
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
dpkg -s fonts-ipafont-gothic imagemagick >/dev/null 2>&1 ||
  { apt-get update -q && apt-get install -y -q fonts-ipafont-gothic imagemagick; }
exe=$PWD/build/windows-x64/Quenbrook.exe
work=$PWD/build/screenshots
rm -rf "$work"
mkdir -p "$work/prog" "$work/logs/5ch/news" "$work/dest/older"
cp "$exe" "$work/prog/"
cp demo/logs/5ch/news/1700000000.* "$work/logs/5ch/news/"
export WINEPREFIX=$work/prefix WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
Xvfb :97 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:97
trap 'wineserver -k 2>/dev/null; kill $xvfb' EXIT
sleep 1
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
win() { echo "Z:${1//\//\\}"; }
settings() {
  printf 'IniVer=101\r\nVelmVer=2\r\n\r\nVelmLogDir=%s\r\n\r\nAddUdrScr=0\r\nShowTitle=1\r\n\r\nhwVelmWnd=%s\r\n' \
    "$(win "$work/logs")" "$1" >"$work/prog/Quenbrook.ini"
}
shot() {  # <name> <saved handle>
  settings "$2"
  /usr/lib/wine/wine64 "$work/prog/Quenbrook.exe" "$(win "$work/dest")" \
    http://hayabusa9.5ch.net/test/read.cgi/news/1700000000/l50 &
  local run=$!
  sleep 3
  import -window root "$work/$1-full.png"
  /usr/bin/convert "$work/$1-full.png" -trim +repage "docs/$1.png"
  wineserver -k 2>/dev/null || true
  wait "$run" 2>/dev/null || true
}
mkdir -p docs
shot screenshot-question 5
rm -rf "$work/dest/5ch"
shot screenshot-title 0
echo "docs/screenshot-question.png docs/screenshot-title.png"
