#!/usr/bin/env bash
# Installs everything the builds, the tests and the screenshots need on
# Debian 12 (as root). git and zip make the release zips (the last commit
# gives the entries' time; scripts/check-reproducible.sh clones); gcovr
# reports the coverage build's counters (scripts/coverage.sh); ImageMagick
# and a Japanese font are for scripts/screenshots.sh.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q \
  cmake ninja-build g++ libgtest-dev \
  clang libclang-rt-14-dev \
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 \
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
  wine wine64 xvfb x11-utils xauth locales git zip gcovr \
  imagemagick fonts-ipafont-gothic
# With LANG=ja_JP.UTF-8 Wine's ANSI code page is 932; en_US.UTF-8 gives 1252.
sed -i -E 's/^# *(ja_JP.UTF-8 UTF-8|en_US.UTF-8 UTF-8)/\1/' /etc/locale.gen
locale-gen >/dev/null
