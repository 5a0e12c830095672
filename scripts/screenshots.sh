#!/usr/bin/env bash
# Takes the README's screenshots of Quenbrook.exe under Wine: the question
# box and the title notice, with a Japanese font from Debian's packages.
#   scripts/screenshots.sh   (after a windows-x64 build)
# It installs nothing: what it needs comes with scripts/install-deps.sh, and
# it stops naming the packages that are missing. Each box is waited for by
# its window, with a time limit, and each picture must be plausible (at
# least 150 x 60 pixels, the size of the box's window, more than a few
# colours) before anything in docs/ is replaced; otherwise the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
missing=()
for package in imagemagick fonts-ipafont-gothic x11-utils xvfb wine64; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q ' installed$' || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "missing packages: ${missing[*]} (scripts/install-deps.sh installs them)"
  exit 1
fi
exe=$PWD/build/windows-x64/Quenbrook.exe
[ -f "$exe" ] || { echo "no $exe: build the windows-x64 preset first"; exit 1; }
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

# The id of the viewable X window whose name is the box's caption, waited for
# up to $2 seconds; nothing when none shows in time.
box_window() {  # <caption> <seconds>
  local deadline=$(( $(date +%s) + $2 )) id
  while [ "$(date +%s)" -lt "$deadline" ]; do
    id=$(xwininfo -root -children 2>/dev/null |
         awk -v name="\"$1\":" 'index($0, " " name " ") { print $1; exit }')
    if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
}

# Takes the picture of window $1 into $2 once it is painted: tried for up to
# 10 seconds, it must have the window's size, at least 150 x 60 pixels, and
# more than 8 colours (text, icon, buttons and frame; a box not painted yet
# is one or two).
capture() {  # <window id> <png>
  local want got size colours
  want=$(xwininfo -id "$1" | awk '/^  Width:/ { w = $2 } /^  Height:/ { h = $2 } END { print w "x" h }')
  for _ in $(seq 1 20); do
    /usr/bin/import -window "$1" "$2" 2>/dev/null || true
    if [ -s "$2" ]; then
      read -r size colours < <(/usr/bin/identify -format '%wx%h %k\n' "$2")
      got="$size, $colours colours"
      if [ "$size" = "$want" ] && [ "${size%x*}" -ge 150 ] && [ "${size#*x}" -ge 60 ] &&
         [ "$colours" -gt 8 ]; then
        # Without the time chunks, a picture of the same pixels is the same file.
        /usr/bin/convert "$2" -strip "$2"
        echo "$2: $got"
        return 0
      fi
    fi
    sleep 0.5
  done
  echo "FAIL $2 is no plausible picture of the box: ${got:-no picture} (window $want)"
  return 1
}

shot() {  # <name> <saved handle> <caption of the box>
  settings "$2"
  "$QB_WINE" 'C:\Tools\Quenbrook\Quenbrook.exe' 'D:\スレ保存' \
    https://hayabusa9.5ch.net/test/read.cgi/news/1700000000/ >"$work/$1.log" 2>&1 &
  local run=$! id status=0 limit=60
  id=$(box_window "$3" "$limit")
  if [ -z "$id" ]; then
    xwininfo -root -children >"$work/$1-windows.txt" 2>&1 || true
    echo "FAIL no box captioned '$3' within $limit s (windows: $work/$1-windows.txt)"
    status=1
  else
    capture "$id" "$work/$1.png" || status=1
  fi
  "$QB_WINESERVER" -k 2>/dev/null || true
  wait "$run" 2>/dev/null || true
  return "$status"
}

shot screenshot-question 5 Quenbrook
rm -rf "$work/drive_d/スレ保存/5ch"
shot screenshot-title 0 "1700000000 成功"
cp "$work/screenshot-question.png" "$work/screenshot-title.png" docs/
echo "docs/screenshot-question.png docs/screenshot-title.png"
