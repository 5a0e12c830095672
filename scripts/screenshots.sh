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
mkdir -p "$work"
. tests/wine/wine-env.sh
wine_env_start "$work" 800x600x24
# What a user has on their own PC: the program in C:\Tools\Quenbrook, the
# browser's logs in C:\Velmaris\Logs and the copies on drive D:, a folder
# mapped as a drive letter in the prefix.
drive_c=$WINEPREFIX/drive_c
mkdir -p "$drive_c/Tools/Quenbrook" "$drive_c/Velmaris/Logs/5ch/news" "$work/drive_d/スレ保存/older"
ln -sfn "$work/drive_d" "$WINEPREFIX/dosdevices/d:"
cp "$exe" "$drive_c/Tools/Quenbrook/"
cp demo/logs/5ch/news/1700000000.* "$drive_c/Velmaris/Logs/5ch/news/"
settings() {
  printf 'IniVer=101\r\nVelmVer=2\r\n\r\nVelmLogDir=C:\\Velmaris\\Logs\r\n\r\nAddUdrScr=0\r\nShowTitle=1\r\n\r\nhwVelmWnd=%s\r\n' \
    "$1" >"$drive_c/Tools/Quenbrook/Quenbrook.ini"
}
shot() {  # <name> <saved handle>
  settings "$2"
  "$QB_WINE" 'C:\Tools\Quenbrook\Quenbrook.exe' 'D:\スレ保存' \
    https://hayabusa9.5ch.net/test/read.cgi/news/1700000000/ &
  local run=$!
  sleep 3
  /usr/bin/import -window root "$work/$1-full.png"
  /usr/bin/convert "$work/$1-full.png" -trim +repage "docs/$1.png"
  "$QB_WINESERVER" -k 2>/dev/null || true
  wait "$run" 2>/dev/null || true
}
mkdir -p docs
shot screenshot-question 5
rm -rf "$work/drive_d/スレ保存/5ch"
shot screenshot-title 0
echo "docs/screenshot-question.png docs/screenshot-title.png"
