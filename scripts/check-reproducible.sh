#!/usr/bin/env bash
# Checks that a release can be rebuilt bit for bit: clones the commit checked
# out (HEAD) twice, at two different paths, builds the release zips in each
# (the second time with another umask and time zone) and compares the two
# SHA256SUMS, which must be identical, and that neither executable holds the
# path it was built in. When the working tree has no uncommitted change, its
# own zips in build/release, brought up to date, must match too.
#   scripts/check-reproducible.sh [preset ...]   (default: windows-x64)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
presets=("${@:-windows-x64}")
commit=$(git rev-parse HEAD)
work=$root/build/reproducible
rm -rf "$work"
mkdir -p "$work"
fail=0
start=$(date +%s)

# <clone folder> <umask> <time zone>: the release zips of $commit built there.
build_clone() {
  local dir=$1
  git clone -q --no-checkout "$root" "$dir"
  git -C "$dir" checkout -q --detach "$commit"
  (
    cd "$dir"
    umask "$2"
    export TZ=$3
    # The entries' time comes from the commit, as for any build of a checkout.
    unset SOURCE_DATE_EPOCH
    for preset in "${presets[@]}"; do
      cmake --preset "$preset" >"$dir.log" 2>&1 &&
        cmake --build --preset "$preset" -j "$(nproc)" --target package >>"$dir.log" 2>&1 ||
        { echo "FAIL build of $preset in $dir (log: $dir.log)"; tail -n 20 "$dir.log"; exit 1; }
    done
  )
}

first=$work/one/Quenbrook
second=$work/second-clone/src
echo "-- building $(git log -1 --format='%h (%ci)' "$commit") in $first and in $second"
build_clone "$first" 022 UTC0
build_clone "$second" 002 Asia/Tokyo

for dir in "$first" "$second"; do
  echo "$dir/build/release/SHA256SUMS:"
  sed 's/^/  /' "$dir/build/release/SHA256SUMS"
  for exe in "$dir"/build/windows-*/Quenbrook.exe; do
    if grep -q -a -F -e "$dir" -e "$root" "$exe"; then
      echo "FAIL $exe holds the path it was built in"
      fail=1
    fi
  done
done
# Two empty lists would compare equal: each must list a zip for every preset.
zips=$(grep -c '  Quenbrook-.*\.zip$' "$first/build/release/SHA256SUMS" || true)
if [ "$zips" -ne "${#presets[@]}" ]; then
  echo "FAIL SHA256SUMS lists $zips zips for ${#presets[@]} presets"
  fail=1
elif cmp -s "$first/build/release/SHA256SUMS" "$second/build/release/SHA256SUMS"; then
  echo "ok   the two clones' SHA256SUMS are identical"
else
  echo "FAIL the two clones' SHA256SUMS differ"
  fail=1
  # Which file of which zip differs, and where.
  for zip in "$first"/build/release/*.zip; do
    name=$(basename "$zip")
    mkdir -p "$work/unpacked/one/$name" "$work/unpacked/two/$name"
    (cd "$work/unpacked/one/$name" && cmake -E tar xf "$zip")
    (cd "$work/unpacked/two/$name" && cmake -E tar xf "$second/build/release/$name")
    for file in "$work/unpacked/one/$name"/Quenbrook/*; do
      other=$work/unpacked/two/$name/Quenbrook/$(basename "$file")
      cmp -s "$file" "$other" ||
        echo "     $name: $(basename "$file") differs, $(cmp -l "$file" "$other" 2>&1 | wc -l) bytes, first: $(cmp "$file" "$other" 2>&1 | head -n 1)"
    done
  done
fi

# The tree's own zips, when the tree is that commit: brought up to date in
# its own build folders (nothing to do right after a build), then compared.
if [ -z "$(git status --porcelain --untracked-files=no)" ]; then
  for preset in "${presets[@]}"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)" --target package >/dev/null
  done
  while read -r line; do
    if grep -qxF "$line" build/release/SHA256SUMS; then
      echo "ok   build/release holds the same ${line##* }"
    else
      echo "FAIL build/release/${line##* } differs from the clones' (built from the same commit)"
      fail=1
    fi
  done <"$first/build/release/SHA256SUMS"
else
  echo "--   the working tree's own build not compared: it holds changes not committed"
fi

echo "reproducibility check: $(( $(date +%s) - start )) s"
[ "$fail" -eq 0 ] && rm -rf "$work"
exit "$fail"
