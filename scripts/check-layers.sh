#!/usr/bin/env bash
# Checks the shape of src/ with grep alone:
#  - includes run only downwards: app -> stages -> base -> platform
#    (a stage may include another stage, a layer itself);
#  - `_WIN32` and system headers (<....h>) appear only under platform/;
#  - the headers in platform/posix/ and platform/win32/ are included only
#    from their own folder;
#  - no source file is longer than 300 lines.
# Prints each breach and exits 1 when there is any.
set -uo pipefail
cd "$(dirname "$0")/../src"
stages='settings|locate|copy|browser_run|title'
bad=0
breach() { echo "check-layers: $*"; bad=1; }

# Which folders each layer may include from.
allowed() {
  case "$1" in
    app) echo "app|$stages|base|platform" ;;
    settings|locate|copy|browser_run|title) echo "$stages|base|platform" ;;
    base) echo "base|platform" ;;
    platform) echo "platform" ;;
    *) echo "" ;;
  esac
}

for dir in */; do
  layer=${dir%/}
  ok=$(allowed "$layer")
  [ -n "$ok" ] || { breach "src/$layer/ is not a known layer"; continue; }
  while IFS= read -r hit; do
    breach "upward include: $hit"
  done < <(grep -rnE '^#include "' "$layer" | grep -vE "#include \"($ok)/")
done

# The helpers each platform folder shares (and the POSIX system-call table
# that tests override) are private to that folder.
while IFS= read -r hit; do
  breach "private platform header outside its folder: $hit"
done < <(grep -rnE '^#include "platform/(posix|win32)/' . |
         grep -vE '^\./platform/(posix|win32)/')

while IFS= read -r hit; do
  breach "system-specific code outside platform/: $hit"
done < <(grep -rnE '_WIN32|^#include <[^>]*\.h>' --include='*.cpp' --include='*.h' . |
         grep -v '^\./platform/')

while IFS= read -r file; do
  lines=$(wc -l <"$file")
  [ "$lines" -le 300 ] || breach "$file has $lines lines (over 300)"
done < <(find . -name '*.cpp' -o -name '*.h' | sed 's#^\./##')

[ "$bad" -eq 0 ] && echo "check-layers: src/ is layered, system code stays in platform/, no file over 300 lines"
exit "$bad"
