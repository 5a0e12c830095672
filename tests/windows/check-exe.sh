#!/usr/bin/env bash
# Checks the shipped Windows executable: a GUI-subsystem PE that imports only
# DLLs Windows itself ships, with its version record and manifest, small.
#   check-exe.sh <Quenbrook.exe> <objdump>
set -u
exe=$1
objdump=$2
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }

headers=$("$objdump" -p "$exe")
check "GUI subsystem" 'grep -q "Subsystem.*(Windows GUI)" <<<"$headers"'
dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{print toupper($3)}' | sort -u)
echo "imports: $(echo $dlls)"
system_dlls=" KERNEL32.DLL USER32.DLL MSVCRT.DLL ADVAPI32.DLL GDI32.DLL SHELL32.DLL "
for dll in $dlls; do
  check "$dll is a system DLL" '[[ "$system_dlls" == *" $dll "* ]]'
done

hex=$(od -An -tx1 -v "$exe" | tr -d ' \n')
utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -d ' \n'; }
ascii() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
check "usage line in the version record" '[[ "$hex" == *"$(utf16 "Quenbrook.exe <コピー先フォルダのルート> <URL>")"* ]]'
check "product name" '[[ "$hex" == *"$(utf16 ProductName)"*"$(utf16 Quenbrook)"* ]]'
check "file version 1.0.0" '[[ "$hex" == *"$(utf16 FileVersion)"*"$(utf16 1.0.0)"* ]]'
check "manifest asks for asInvoker" '[[ "$hex" == *"$(ascii asInvoker)"* ]]'
check "manifest is DPI aware" '[[ "$hex" == *"$(ascii PerMonitorV2)"* ]]'
check "manifest names Windows 10 and 11" '[[ "$hex" == *"$(ascii 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a)"* ]]'
check "manifest names Windows 7" '[[ "$hex" == *"$(ascii 35138b9a-5d96-4fbd-8e2d-a2440225f93a)"* ]]'
size=$(stat -c %s "$exe")
check "size $size bytes, under 300 KB" '[ "$size" -lt 307200 ]'
exit $fail
