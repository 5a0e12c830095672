#!/usr/bin/env bash
# Mutation testing: each mutant that scripts/mutants.py finds in the files (a
# condition or one operand of && / || negated, a return inside an if or else
# dropped, an entry of the kept folders left out) is built alone in a copy of
# the working tree (build/mutate-src, native preset), and the native unit
# tests, corpus replays and end-to-end tests run on it, each stopping at its
# first failure. A mutant they all pass survived: it is printed with its
# place, the change and the original line.
#   scripts/mutate.sh [--budget seconds] [--timeout seconds] [file...]
# The budget (default $MUTATE_BUDGET, else 3600) counts from the start, the
# set-up included: no mutant starts once it is spent, and one it cuts short
# counts as not tried. The timeout (default three times the tests' clean
# run, at least 60 s) ends one mutant's tests: that mutant timed out. Without
# files: src/browser_run/, src/copy/, src/settings/ and folder identity and
# text files of src/base/.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
budget=${MUTATE_BUDGET:-3600}
limit=
while [ $# -gt 0 ]; do
  case $1 in
    --budget) budget=$2; shift 2 ;;
    --timeout) limit=$2; shift 2 ;;
    *) break ;;
  esac
done
cd "$here"
files=("$@")
[ ${#files[@]} -gt 0 ] || files=(src/browser_run/* src/copy/* src/settings/* src/base/folder_identity.* src/base/text_file.*)
mutants=$(python3 scripts/mutants.py list "${files[@]}") || exit 2
total=$(grep -c . <<<"$mutants")

scratch=$here/build/mutate-src
rm -rf "$scratch"
mkdir -p "$scratch"
find . -mindepth 1 -maxdepth 1 ! -name build ! -name .git -exec cp -a {} "$scratch/" \;
cd "$scratch"
build=build/native
targets="unit_tests e2e_tests Quenbrook $(sed -nE 's/^([a-z0-9_]+)$/corpus_\1/p' fuzz/targets.txt)"
tests="$build/tests/unit_tests --gtest_fail_fast --gtest_brief=1"
for target in $(sed -nE 's/^([a-z0-9_]+)$/\1/p' fuzz/targets.txt); do
  tests+=" && $build/fuzz/corpus_$target fuzz/corpus/$target"
done
tests+=" && $build/tests/e2e_tests --gtest_fail_fast --gtest_brief=1"

cmake --preset native >/dev/null && cmake --build "$build" -j 2 --target $targets >/dev/null || {
  echo "the unchanged tree does not build"
  exit 2
}
clean_start=$SECONDS
bash -c "$tests" >"$scratch/clean.log" 2>&1 || {
  echo "the tests fail on the unchanged tree: see $scratch/clean.log"
  exit 2
}
clean=$((SECONDS - clean_start))
[ -n "$limit" ] || limit=$((clean * 3 > 60 ? clean * 3 : 60))
echo "$total mutants; the tests take ${clean} s on the unchanged tree; ${limit} s each at most"

tried=0 killed=0 survived=0 timed_out=0 unbuilt=0 not_tried=0 current=
survivors=()
while IFS=$'\t' read -r -u 3 file n line what original; do
  left=$((budget - SECONDS))
  if [ "$left" -le 0 ]; then
    not_tried=$((not_tried + 1))
    continue
  fi
  # The file of the last mutant back as it was before the next is written.
  [ "$current" = "$file" ] || { [ -z "$current" ] || cp "$here/$current" "$current"; current=$file; }
  python3 "$here/scripts/mutants.py" apply "$here/$file" "$n" "$file" </dev/null
  place="$file:$line: $what"
  timeout -k 5 "$left" cmake --build "$build" -j 2 --target $targets </dev/null >"$scratch/build.log" 2>&1
  rc=$?
  if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    not_tried=$((not_tried + 1))
    continue
  elif [ $rc -ne 0 ]; then
    unbuilt=$((unbuilt + 1))
    tried=$((tried + 1))
    echo "did not build  $place"
    continue
  fi
  left=$((budget - SECONDS))
  cut=$((left < limit ? left : limit))
  [ "$cut" -gt 0 ] || { not_tried=$((not_tried + 1)); continue; }
  timeout -k 5 "$cut" bash -c "$tests" </dev/null >/dev/null 2>&1
  rc=$?
  if { [ $rc -eq 124 ] || [ $rc -eq 137 ]; } && [ "$cut" -lt "$limit" ]; then
    not_tried=$((not_tried + 1))
    continue
  fi
  tried=$((tried + 1))
  if [ $rc -eq 0 ]; then
    survived=$((survived + 1))
    survivors+=("$place"$'\n'"    $original")
    echo "SURVIVED       $place"
  elif [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    timed_out=$((timed_out + 1))
    echo "timed out      $place"
  else
    killed=$((killed + 1))
    echo "killed         $place"
  fi
done 3<<<"$mutants"
[ -z "$current" ] || cp "$here/$current" "$current"

echo
echo "Survivors (file:line: mutation, then the original line):"
for s in "${survivors[@]}"; do echo "$s"; done
echo "mutants: $tried tried, $killed killed, $survived survived, $timed_out timed out," \
  "$unbuilt did not build, $not_tried not tried (in $SECONDS s)"
