#!/usr/bin/env bash
# Checks a release zip: one folder Quenbrook holding exactly Quenbrook.exe,
# Quenbrook.txt and LICENSE.txt; the exe passing the executable checks as the
# zip's build (win64 or win32, from the zip's name); the guide and the
# license in code page 932 with CR LF, the guide naming the zip's build in
# its first line, with a dated history entry for the zip's version and an
# entry for every message (check-guide.sh); the zip's line in the SHA256SUMS
# beside it matching the zip.
#   check-package.sh <zip> <objdump>
set -u
zip=$(realpath "$1")
objdump=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }

name=$(basename "$zip")
version=$(sed -E "s/^Quenbrook-([0-9.]+)-.*/\1/" <<<"$name")
build=$(sed -nE "s/^Quenbrook-[0-9.]+-(win64|win32)\.zip$/\1/p" <<<"$name")
other=$([ "$build" = win64 ] && echo win32 || echo win64)
echo "-- $name"
sums=$(dirname "$zip")/SHA256SUMS
line=$(grep -E "^[0-9a-f]{64}  $name\$" "$sums" 2>/dev/null)
check "SHA256SUMS beside the zip lists it once" '[ "$(grep -c . <<<"$line")" -eq 1 ] && [ -n "$line" ]'
check "its checksum matches the zip" '(cd "$(dirname "$zip")" && sha256sum --quiet -c - <<<"$line")'

(cd "$work" && cmake -E tar xf "$zip")
check "unpacks into one folder Quenbrook" '[ "$(ls -A "$work")" = Quenbrook ]'
dir=$work/Quenbrook
check "which holds exactly Quenbrook.exe, Quenbrook.txt and LICENSE.txt" \
  '[ "$(ls -A "$dir" | sort | tr "\n" " ")" = "LICENSE.txt Quenbrook.exe Quenbrook.txt " ]'
check "the zip's name ends in the build, win64 or win32" '[ -n "$build" ]'
"$here/check-exe.sh" "$dir/Quenbrook.exe" "$objdump" "$version" "${build:-?}" || fail=1

crlf_only() {  # <file> <least number of lines>
  local lf crlf
  lf=$(tr -cd '\n' <"$1" | wc -c)
  crlf=$(grep -c $'\r$' "$1")
  [ "$lf" -ge "$2" ] && [ "$lf" -eq "$crlf" ] && [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' ')" = 0d0a ]
}
license=$dir/LICENSE.txt
check "license lines end in CR LF" 'crlf_only "$license" 20'
check "license is the MIT license of the Quenbrook developers" \
  'grep -q "^MIT License" "$license" && grep -q "^Copyright (c) [0-9]\{4\} Quenbrook developers" "$license" &&
   grep -q "^Permission is hereby granted, free of charge" "$license"'

guide=$dir/Quenbrook.txt
text=$(iconv -f CP932 -t UTF-8 "$guide" | tr -d "\r")
check "guide decodes as code page 932" 'iconv -f CP932 -t UTF-8 "$guide" >/dev/null'
check "guide is not plain UTF-8" '! iconv -f UTF-8 -t UTF-8 "$guide" >/dev/null 2>&1'
check "guide lines end in CR LF" 'crlf_only "$guide" 100'
# The headings in the order a first-time user reads them.
headings="概要 動作環境 インストールとアンインストール 設定項目 使い方 注意事項 リンク、同時実行、強制終了
          メッセージの意味と対処 免責 著作権・ライセンス 更新履歴"
check "guide has the headings $(echo $headings), in this order" \
  '[ "$(sed -n "s/^■ //p" <<<"$text" | tr "\n" " ")" = "$(echo $headings) " ]'
check "guide explains the settings keys" 'grep -q "AddUdrScr=0" <<<"$text"'
check "guide shows the question" 'grep -q "中身を空にしますか？" <<<"$text"'
check "guide names the version of the zip" \
  'grep -q "Quenbrook $version" <<<"$text" && ! grep -q @ <<<"$text"'
# Both zips unpack into the same folder: the guide's first line tells them apart.
first=$(head -n 1 <<<"$text")
check "guide's first line names the build $build and not the other" \
  '[[ -n "$build" && "$first" == *"Quenbrook $version $build"* && "$first" != *"$other"* ]]'
# The history names this version with its date, and every text the program
# can show has its entry.
printf '%s\n' "$text" >"$work/guide.txt"
"$here/check-guide.sh" "$work/guide.txt" "$here/../../src/base/messages.txt" "$version" || fail=1
exit $fail
