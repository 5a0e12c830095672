#!/usr/bin/env bash
# Checks the user guide against what is built:
#   check-guide.sh <guide, UTF-8 (CR ignored)> <messages.txt> <version>
# - its history (■ 更新履歴) opens with a dated entry for the version built,
#   "  1.3.0  2026-12-09" with a real date, followed by what changed ("    ・…");
# - its message section (■ メッセージの意味と対処) has an entry for every text
#   of messages.txt: one entry (a line "  ・…" and the lines below it, up to
#   the next such line, read with their line breaks and indentation left
#   out) holds all the text's fixed pieces, in order; what stands in a
#   placeholder {1}..{9} ('…', <キー>, a sample) and where the lines break
#   is the guide's choice.
# Prints one line for each check and fails when any fails.
set -u
guide=$1
messages=$2
version=$3
fail=0
text=$(tr -d '\r' <"$guide")

# The lines of one section, up to the next heading.
section() { awk -v heading="■ $1" '$0 == heading { on = 1; next } /^■ / { on = 0 } on' <<<"$text"; }

history=$(section 更新履歴 | grep -v '^ *$')
first=$(head -n 1 <<<"$history")
item=$(sed -n 2p <<<"$history")
if [[ "$first" =~ ^\ \ ([0-9]+\.[0-9]+\.[0-9]+)\ \ ([0-9]{4}-[0-9]{2}-[0-9]{2})$ ]] &&
   [ "${BASH_REMATCH[1]}" = "$version" ] &&
   [ "$(date -u -d "${BASH_REMATCH[2]}" +%F 2>/dev/null)" = "${BASH_REMATCH[2]}" ] &&
   [[ "$item" == "    ・"?* ]]; then
  echo "ok   the history opens with $version of ${BASH_REMATCH[2]} and what changed"
else
  echo "FAIL the history has no dated entry for $version at its top (\"  $version  YYYY-MM-DD\", then \"    ・…\"); it opens with: ${first:-nothing}"
  fail=1
fi

# awk in the C locale works on bytes, which is all a search needs.
missing=$(section 'メッセージの意味と対処' | LC_ALL=C awk -v messages="$messages" '
  /^  ・/ { entries[++n] = "" }
  n > 0 { line = $0; sub(/^[ \t]+/, "", line); entries[n] = entries[n] line }
  END {
    while ((getline line < messages) > 0) {
      sub(/\r$/, "", line)
      if (line !~ /^k[A-Za-z0-9]+ = /) continue
      name = line; sub(/ = .*/, "", name)
      body = substr(line, length(name) + 4)
      gsub(/\\r/, "", body); gsub(/\\n/, "", body)
      pieces = 0
      while (match(body, /\{[0-9]\}/)) {
        if (RSTART > 1) piece[++pieces] = substr(body, 1, RSTART - 1)
        body = substr(body, RSTART + RLENGTH)
      }
      if (body != "") piece[++pieces] = body
      texts++
      found = 0
      for (e = 1; e <= n && !found; e++) {
        rest = entries[e]; found = 1
        for (p = 1; p <= pieces && found; p++) {
          at = index(rest, piece[p])
          if (at == 0) found = 0; else rest = substr(rest, at + length(piece[p]))
        }
      }
      if (!found) print name "\t" line
    }
    print "texts\t" texts
  }')
texts=$(sed -n 's/^texts\t//p' <<<"$missing")
missing=$(grep -v $'^texts\t' <<<"$missing")
if [ "${texts:-0}" -gt 0 ] && [ -z "$missing" ]; then
  echo "ok   the message section explains each of the $texts texts of $(basename "$messages")"
else
  [ "${texts:-0}" -gt 0 ] || echo "FAIL no text read from $messages"
  while IFS=$'\t' read -r name line; do
    [ -n "$name" ] && echo "FAIL the message section has no entry for $name ($line)"
  done <<<"$missing"
  fail=1
fi
exit $fail
