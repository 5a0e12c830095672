#!/usr/bin/env bash
# Checks a release zip: exactly Quenbrook.exe and Quenbrook.txt, the exe
# passing the executable checks, the guide in code page 932 with CR LF.
#   check-package.sh <zip> <objdump>
set -u
zip=$(realpath "$1")
objdump=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }

echo "-- $(basename "$zip")"
(cd "$work" && cmake -E tar xf "$zip")
check "holds exactly Quenbrook.exe and Quenbrook.txt" '[ "$(ls "$work" | tr "\n" " ")" = "Quenbrook.exe Quenbrook.txt " ]'
"$here/check-exe.sh" "$work/Quenbrook.exe" "$objdump" || fail=1
guide=$work/Quenbrook.txt
check "guide decodes as code page 932" 'iconv -f CP932 -t UTF-8 "$guide" >/dev/null'
check "guide is not plain UTF-8" '! iconv -f UTF-8 -t UTF-8 "$guide" >/dev/null 2>&1'
lf=$(tr -cd '\n' <"$guide" | wc -c)
crlf=$(grep -c $'\r$' "$guide")
check "guide lines end in CR LF ($crlf of $lf)" '[ "$lf" -gt 100 ] && [ "$lf" -eq "$crlf" ]'
check "guide explains the settings keys" 'iconv -f CP932 -t UTF-8 "$guide" | grep -q "AddUdrScr=0"'
check "guide shows the question" 'iconv -f CP932 -t UTF-8 "$guide" | grep -q "中身を空にしますか？"'
exit $fail
