#!/usr/bin/env bash
# Checks the shape of src/ with grep alone:
#  - includes run only downwards: app -> stages -> base -> platform
#    (a stage may include another stage, a layer itself);
#  - `_WIN32` and system headers (<....h>) appear only under platform/;
#  - the headers in platform/posix/ and platform/win32/ are included only
#    from their own folder;
#  - the POSIX platform calls the system only through its table of calls;
#  - no source file is longer than 300 lines;
#  - every wide call of the Windows platform that names a file or folder is
#    given a path that went through the long-path conversion
#    (platform/win32/long_path.h), as below.
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

# The long paths of the Windows platform. In platform/win32/, each call of a
# wide function that takes a path (the lists below; the first argument, and
# the second of those that take two) is given, on the call's own line,
# `<name>.wide()` or `LongPathOf(...).wide()`: wide() is defined only on
# LongPath, which only LongForm's result makes. Any other wide call whose
# name says File, Directory, Path, Attributes, Volume or Link must be one
# known to take no path of the program's, so that no new one slips past:
# those that take a handle or fill a buffer, GetFullPathNameW (the
# conversion itself, in encoding.cpp only), LoadLibraryW (the shell's DLLs
# from the system folder), and SHFileOperationW (the shell's Recycle Bin
# call, which takes plain paths).
one_path='CreateFileW|GetFileAttributesW|GetFileAttributesExW|SetFileAttributesW|FindFirstFileW|FindFirstFileExW|CreateDirectoryW|RemoveDirectoryW|DeleteFileW|GetVolumePathNameW|GetLongPathNameW|GetShortPathNameW|GetCompressedFileSizeW|GetDiskFreeSpaceExW|GetVolumeInformationW|GetDriveTypeW|SetCurrentDirectoryW|FindFirstChangeNotificationW'
two_paths='CopyFileW|CopyFileExW|MoveFileW|MoveFileExW|MoveFileWithProgressW|ReplaceFileW|CreateHardLinkW|CreateSymbolicLinkW|CreateDirectoryExW'
no_path='GetFinalPathNameByHandleW|GetModuleFileNameW|GetSystemDirectoryW|GetVolumeInformationByHandleW|FindNextFileW|GetFullPathNameW|LoadLibraryW|SHFileOperationW'
long_arg='([A-Za-z_][A-Za-z0-9_]*|LongPathOf\([^()]*\))\.wide\(\)'
while IFS= read -r file; do
  while IFS= read -r hit; do
    if grep -qE "\b($two_paths)\(" <<<"$hit"; then
      grep -qE "\b($two_paths)\(\s*$long_arg,\s*$long_arg\s*[,)]" <<<"$hit" ||
        breach "wide call given a path that is no LongPath: $file:$hit"
    elif ! grep -qE "\b($one_path)\(\s*$long_arg\s*[,)]" <<<"$hit"; then
      breach "wide call given a path that is no LongPath: $file:$hit"
    fi
  done < <(grep -nE "\b($one_path|$two_paths)\(" "$file" | grep -vE '^[0-9]+:\s*//')
  while IFS= read -r name; do
    grep -qxE "$one_path|$two_paths|$no_path" <<<"$name" ||
      breach "wide call the long-path check does not know: $file: $name"
  done < <(grep -vE '^\s*//' "$file" |
           grep -oE '\b[A-Za-z]*(File|Directory|Path|Attributes|Volume|Link)[A-Za-z]*W\(' |
           tr -d '(' | sort -u)
  [ "$file" = platform/win32/encoding.cpp ] || ! grep -qE '\bGetFullPathNameW\(' "$file" ||
    breach "GetFullPathNameW outside the conversion: $file"
done < <(find platform/win32 -name '*.cpp' -o -name '*.h' | sort)
while IFS= read -r hit; do
  breach "wide() defined outside LongPath: $hit"
done < <(grep -rnE '\bwide\(\) const' platform | grep -v '^platform/win32/long_path\.h:')

# The POSIX platform calls the system only through its table of system
# calls, which the tests override: no call of the C library's that one of the
# table's entries stands for, nor of its stream functions, past it.
calls=$(grep -oE '\(\*[a-z_0-9]+\)\(' platform/posix/system_calls.h | tr -d '(*)' | sort -u |
        paste -sd'|')
while IFS=: read -r file line _; do
  breach "system call past the table: $file:$line:$(sed -n "${line}p" "$file")"
done < <(grep -nE '[a-z_]\(' platform/posix/*.cpp | grep -v '^platform/posix/system_calls\.' |
         sed -E 's/System\(\)\.[a-z_0-9]+\(//g' |
         grep -E "^[^:]+:[0-9]+:(.*[^a-zA-Z_0-9.>])?(::|std::)?($calls|fopen|fgets|fread|fwrite|popen|system)\(")

while IFS= read -r file; do
  lines=$(wc -l <"$file")
  [ "$lines" -le 300 ] || breach "$file has $lines lines (over 300)"
done < <(find . -name '*.cpp' -o -name '*.h' | sed 's#^\./##')

[ "$bad" -eq 0 ] && echo "check-layers: src/ is layered, system code stays in platform/, no file over 300 lines, every wide file call takes a long path, every POSIX system call goes through the table"
exit "$bad"
