#!/usr/bin/env bash
# Builds the native Quenbrook and runs it once on the bundled demo: a sample
# browser log folder with one thread, copied into build/demo/dest.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v cmake >/dev/null || ! command -v ninja >/dev/null || ! command -v g++ >/dev/null; then
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q cmake ninja-build g++
fi
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null

demo=$PWD/build/demo
rm -rf "$demo"
mkdir -p "$demo/prog"
cp build/release-native/Quenbrook "$demo/prog/"
url=https://hayabusa9.5ch.net/test/read.cgi/news/1700000000/

echo "# First run: no settings file yet, so Quenbrook writes its template and stops."
"$demo/prog/Quenbrook" "$demo/dest" "$url" </dev/null 2>&1

echo "# Point the settings at the demo log folder (generation 2 layout)."
sed -i "s|^VelmLogDir=\r|VelmLogDir=$PWD/demo/logs\r|" "$demo/prog/Quenbrook.ini"
tr -d '\r' < "$demo/prog/Quenbrook.ini"
echo

echo "# Second run: the destination root is created, the thread copied, its title shown."
"$demo/prog/Quenbrook" "$demo/dest" "$url" </dev/null 2>&1
echo "exit code: $?"
echo
echo "# The copied tree:"
(cd "$demo" && find dest | sort)
cmp demo/logs/5ch/news/1700000000.dat "$demo/dest/5ch/news/1700000000.dat" &&
  echo "1700000000.dat copied byte for byte"
