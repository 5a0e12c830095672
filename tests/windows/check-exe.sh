#!/usr/bin/env bash
# Checks the shipped Windows executable: a GUI-subsystem PE that imports only
# DLLs Windows itself ships and no thread-context functions, with its Japanese
# version record naming its build, its icon and its manifest, and small.
#   check-exe.sh <Quenbrook.exe> <objdump> <version, as in project()> [<build>]
#   (windres is taken beside objdump; <build>, win64 or win32, is what the
#   executable must be, by default what its header says it is)
set -u
exe=$1
objdump=$2
version=${3:?usage: check-exe.sh <exe> <objdump> <version> [<build>]}
windres=${objdump%objdump}windres
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }

case $("$objdump" -f "$exe") in
  *pei-x86-64*) machine=win64 limit_kb=200 ;;
  *pei-i386*) machine=win32 limit_kb=280 ;;
  *) machine=unknown limit_kb=0 ;;
esac
build=${4:-$machine}
check "a $build executable" '[ "$machine" = "$build" ]'

headers=$("$objdump" -p "$exe")
check "GUI subsystem" 'grep -q "Subsystem.*(Windows GUI)" <<<"$headers"'
dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{print toupper($3)}' | sort -u)
echo "imports: $(echo $dlls)"
check "imports are listed" '[ -n "$dlls" ] && grep -qw MessageBoxW <<<"$headers"'
system_dlls=" KERNEL32.DLL USER32.DLL MSVCRT.DLL ADVAPI32.DLL GDI32.DLL SHELL32.DLL "
for dll in $dlls; do
  check "$dll is a system DLL" '[[ "$system_dlls" == *" $dll "* ]]'
done
for fn in SuspendThread GetThreadContext SetThreadContext; do
  check "no import of $fn" '! grep -qw "$fn" <<<"$headers"'
done

# The resources as windres decompiles them: texts outside ASCII appear as
# L"...\xNNNN..." escapes of their UTF-16 code units.
resources=$("$windres" -i "$exe" -O rc 2>/dev/null)
rc_text() {
  local unit out=""
  for unit in $(printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx2 -v); do
    if [ $((16#$unit)) -lt 128 ]; then out+=$(printf "\\x${unit:2}"); else out+="\\x$unit"; fi
  done
  printf '%s' "$out"
}
has() { grep -qF -- "$1" <<<"$resources"; }
check "version record in Japanese (0x0411, Unicode)" \
  'has "BLOCK \"041104B0\"" && has "VALUE \"Translation\", 0x411, 1200"'
check "file and product version $version" \
  'has "VALUE \"FileVersion\", \"$version\"" && has "VALUE \"ProductVersion\", \"$version\"" &&
   has "FILEVERSION $(sed "s/\./, /g" <<<"$version"), 0"'
check "product name" 'has "VALUE \"ProductName\", \"Quenbrook\""'
check "company name names the copyright holder" 'has "VALUE \"CompanyName\", \"Quenbrook developers\""'
check "legal copyright names the copyright holder" \
  'grep -qE "VALUE \"LegalCopyright\", \"Copyright \\(c\\) [0-9]{4} Quenbrook developers\"" <<<"$resources"'
check "file description in Japanese, naming the $build build" \
  'has "VALUE \"FileDescription\", L\"$(rc_text "Velmaris 用スレッドログ コピーツール ($build)")\""'
check "usage line in the comments" \
  'has "VALUE \"Comments\", L\"$(rc_text "Quenbrook.exe <コピー先フォルダのルート> <URL>")\""'
icon=$(sed -n '/RT_GROUP_ICON/,/^END/p' <<<"$resources")
check "one icon group of four images" 'grep -q "Has 4 elements" <<<"$icon"'
# Each image as "width height colors pad" in octal (0 for 256), planes, bits.
for px in 16 32 48 256; do
  octal=$(printf '\\%03o' $((px % 256)))
  entry="\"$octal$octal\\000\\000\", 1, 32,"
  check "icon image of $px px, 32 bits" 'grep -qF -- "$entry" <<<"$icon"'
done

hex=$(od -An -tx1 -v "$exe" | tr -d ' \n')
ascii() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
check "manifest names version $version.0" \
  '[[ "$hex" == *"$(ascii "name=\"Quenbrook\" version=\"$version.0\"")"* ]]'
check "manifest asks for asInvoker" '[[ "$hex" == *"$(ascii asInvoker)"* ]]'
controls='name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'
check "manifest asks for Common Controls 6.0" '[[ "$hex" == *"$(ascii "$controls")"* ]]'
check "manifest is DPI aware" '[[ "$hex" == *"$(ascii PerMonitorV2)"* ]]'
long_paths='<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>'
check "manifest is long-path aware" '[[ "$hex" == *"$(ascii "$long_paths")"* ]]'
check "manifest names Windows 10 and 11" '[[ "$hex" == *"$(ascii 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a)"* ]]'
check "manifest names Windows 7" '[[ "$hex" == *"$(ascii 35138b9a-5d96-4fbd-8e2d-a2440225f93a)"* ]]'

size=$(stat -c %s "$exe")
check "stripped" '! grep -q "^\[ *[0-9]*\](sec" <<<"$("$objdump" -t "$exe" 2>/dev/null)"'
check "size $size bytes, under $limit_kb KB" '[ "$size" -lt $((limit_kb * 1024)) ]'
exit $fail
