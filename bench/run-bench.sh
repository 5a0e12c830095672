#!/usr/bin/env bash
# Measures the native release build side by side with cp and rm, and the
# Windows build under Wine side by side with the durable-copy floor
# (bench/durable_copy_floor.cpp), in one run, and prints the ratios (medians
# of several runs) and the peak memory.
#   bench/run-bench.sh [part ...]   parts: typical big emptying memory wine
#                                   (all of them when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
parts=${*:-typical big emptying memory wine}
want() { [[ " $parts " == *" $1 "* ]]; }
if ! command -v hyperfine >/dev/null || [ ! -x /usr/bin/time ]; then
  echo "missing hyperfine or /usr/bin/time: apt-get install hyperfine time"
  exit 1
fi
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null

data=$(realpath -m build/bench-data)
rm -rf "$data"
mkdir -p "$data/prog" "$data/logs/5ch/news" "$data/logs/5ch/big" "$data/dest" "$data/cp"
cp build/release-native/Quenbrook "$data/prog/"
q=$data/prog/Quenbrook
# The trash the emptying fills: on the same file system, never the user's.
export XDG_DATA_HOME=$data/xdg-data
settings() {  # <saved handle>
  printf 'IniVer=101\r\nVelmVer=2\r\nVelmLogDir=%s\r\nAddUdrScr=0\r\nShowTitle=0\r\nhwVelmWnd=%s\r\n' \
    "$data/logs" "$1" >"$data/prog/Quenbrook.ini"
}
settings 0
head -c 512000 /dev/urandom >"$data/logs/5ch/news/1700000000.dat"
head -c 1024 /dev/urandom >"$data/logs/5ch/news/1700000000.inf"
if want big || want memory; then
  head -c 1073741824 /dev/urandom >"$data/logs/5ch/big/1700000001.dat"
fi
printf 'TITLE=big\r\n' >"$data/logs/5ch/big/1700000001.inf"
mkdir -p "$data/cp/5ch/news" "$data/cp/5ch/big"
url=http://hayabusa9.5ch.net/test/read.cgi

median() {  # <csv> <row> -> median seconds
  awk -F, -v row="$2" 'NR == row + 1 { print $4 }' "$1"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ms() { awk -v t="$1" 'BEGIN { printf "%.2f ms", t * 1000 }'; }

if want typical; then
echo "== typical thread: 500 KB .dat, 1 KB .inf"
hyperfine -N --warmup 20 --runs 200 --export-csv "$data/typical.csv" \
  "$q $data/dest $url/news/1700000000/l50" \
  "cp $data/logs/5ch/news/1700000000.dat $data/logs/5ch/news/1700000000.inf $data/cp/5ch/news/" \
  >/dev/null
t_q=$(median "$data/typical.csv" 1); t_cp=$(median "$data/typical.csv" 2)
echo "Quenbrook $(ms "$t_q"), cp $(ms "$t_cp"): ratio $(ratio "$t_q" "$t_cp") (goal <= 1.2)"
fi

if want big; then
echo "== 1 GiB .dat"
hyperfine -N --warmup 1 --runs 5 --export-csv "$data/big.csv" \
  "$q $data/dest $url/big/1700000001" \
  "cp $data/logs/5ch/big/1700000001.dat $data/logs/5ch/big/1700000001.inf $data/cp/5ch/big/" \
  >/dev/null
t_q=$(median "$data/big.csv" 1); t_cp=$(median "$data/big.csv" 2)
echo "Quenbrook $(awk -v t="$t_q" 'BEGIN{printf "%.0f", 1024/t}') MiB/s, cp $(awk -v t="$t_cp" 'BEGIN{printf "%.0f", 1024/t}') MiB/s: throughput ratio $(ratio "$t_cp" "$t_q") (goal >= 0.98)"
rm -f "$data/dest/5ch/big/1700000001.dat" "$data/cp/5ch/big/1700000001.dat"
fi

if want emptying; then
echo "== emptying a root of 20,000 files in 400 folders, and the copy"
tree=$data/tree-template
for d in $(seq 1 400); do
  mkdir -p "$tree/board$d"
  (cd "$tree/board$d" && for f in $(seq 1 50); do : >"$f.dat"; done)
done
# Quenbrook empties the root (a new browser run, answered yes) into the trash
# and copies the typical thread; the reference removes the same tree's
# contents with rm -rf and makes the same durable copy (cp, then sync of the
# copies). Before each run the earlier trash is moved aside, not removed
# (ext4 gives a new file an inode freed a moment ago only after a long look,
# a millisecond for each of the trash's 400 info files: a cost of the
# benchmark's own clean-up, which a user's trash does not have), and the
# disk is written, so that neither run pays for the set-up's writes.
news=$data/root/5ch/news
mkdir -p "$data/old-trash"
prepare="rm -rf $data/root && { [ ! -d $XDG_DATA_HOME/Trash ] || mv $XDG_DATA_HOME/Trash $data/old-trash/\$(date +%s%N); } && cp -al $tree $data/root && printf 'IniVer=101\r\nVelmVer=2\r\nVelmLogDir=$data/logs\r\nAddUdrScr=0\r\nShowTitle=0\r\nhwVelmWnd=5\r\n' >$data/prog/Quenbrook.ini && sync"
empty="echo y | $q $data/root $url/news/1700000000 2>/dev/null"
hyperfine --warmup 1 --runs 10 --export-csv "$data/empty.csv" --prepare "$prepare" "$empty" \
  "rm -rf $data/root/* && mkdir -p $news && cp $data/logs/5ch/news/1700000000.dat $data/logs/5ch/news/1700000000.inf $news/ && sync $news/1700000000.dat $news/1700000000.inf" \
  >/dev/null
t_q=$(median "$data/empty.csv" 1); t_rm=$(median "$data/empty.csv" 2)
echo "Quenbrook $(ms "$t_q"), rm -rf and a durable copy $(ms "$t_rm"): ratio $(ratio "$t_q" "$t_rm") (goal <= 1.1)"
# Once more, to see that each board went to the trash whole.
sh -c "$prepare" && sh -c "$empty"
[ "$(ls "$XDG_DATA_HOME/Trash/files" | wc -l)" = 400 ] && [ "$(ls "$data/root")" = 5ch ] ||
  { echo "the boards did not go to the trash"; exit 1; }
fi

if want memory; then
echo "== peak memory of a whole run"
settings 0
kb=$(/usr/bin/time -f %M "$q" "$data/dest" "$url/news/1700000000" 2>&1 >/dev/null </dev/null | tail -n 1)
echo "typical thread: ${kb} KiB (goal < 4096)"
kb=$(/usr/bin/time -f %M "$q" "$data/dest" "$url/big/1700000001" 2>&1 >/dev/null </dev/null | tail -n 1)
echo "1 GiB thread: ${kb} KiB"
# A new browser run, so that the whole 30 MB file is rewritten: 50 lines
# held, the rest carried over.
settings 5
awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "Line%024d\r\n", i }' >>"$data/prog/Quenbrook.ini"
kb=$(/usr/bin/time -f %M "$q" "$data/dest" "$url/news/1700000000" 2>&1 >/dev/null </dev/null | tail -n 1)
size=$(stat -c %s "$data/prog/Quenbrook.ini")
grep -q '^hwVelmWnd=0' "$data/prog/Quenbrook.ini" || { echo "the settings file was not rewritten"; exit 1; }
echo "30 MB settings file ($size bytes) rewritten: ${kb} KiB (goal < 40960)"
fi

if want wine; then
echo "== a whole run under Wine: Quenbrook.exe against the durable-copy floor"
# A Japanese prefix and one persistent Wine server (wine-env.sh); 30 runs of
# each, interleaved, with no box (the saved handle is the window found, 0).
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target Quenbrook durable_copy_floor box_robot >/dev/null
work=$data/wine
mkdir -p "$work/prog" "$work/dest" "$work/floor/5ch/news"
cp build/windows-x64/Quenbrook.exe build/windows-x64/durable_copy_floor.exe \
  build/windows-x64/box_robot.exe "$work/prog/"
win() { printf 'Z:%s' "${1//\//\\}"; }
printf 'IniVer=101\r\nVelmVer=2\r\nVelmLogDir=%s\r\nAddUdrScr=0\r\nShowTitle=0\r\nhwVelmWnd=0\r\n' \
  "$(win "$data/logs")" >"$work/prog/Quenbrook.ini"
(
  . tests/wine/wine-env.sh
  wine_env_start "$work" 800x600x24 >/dev/null
  now() { date +%s%N; }
  run_q() { "$QB_WINE" "$work/prog/Quenbrook.exe" "$(win "$work/dest")" "$url/news/1700000000"; }
  run_floor() {
    "$QB_WINE" "$work/prog/durable_copy_floor.exe" "$(win "$data/logs/5ch/news/1700000000.dat")" \
      "$(win "$data/logs/5ch/news/1700000000.inf")" "$(win "$work/floor/5ch/news")"
  }
  run_q && run_floor || { echo "a warm-up run failed"; exit 1; }
  # Each pair in turn the other way round: a flush pays for what the disk
  # still has to write of the run before it.
  for i in $(seq 1 30); do
    if [ $((i % 2)) -eq 0 ]; then
      t0=$(now); run_q; t1=$(now); run_floor; t2=$(now)
      echo "$(( t1 - t0 )) $(( t2 - t1 ))"
    else
      t0=$(now); run_floor; t1=$(now); run_q; t2=$(now)
      echo "$(( t2 - t1 )) $(( t1 - t0 ))"
    fi
  done >"$work/times"
  # The emptying: 20,000 files in 400 folders, a new browser run answered yes
  # by the box robot, then the copy; into the bin (Wine's is the trash of
  # $XDG_DATA_HOME, which wine-env.sh points into the work folder; emptied
  # before each run) against deleted for good (UseRcyBin=0), in turn.
  for d in $(seq 1 400); do
    mkdir -p "$work/tree/board$d"
    (cd "$work/tree/board$d" && for f in $(seq 1 50); do : >"$f.dat"; done)
  done
  printf '%s\n%s\n%s\n%s\n' "$(win "$work/prog/Quenbrook.exe")" \
    "Quenbrook.exe $(win "$work/root") $url/news/1700000000" Y 600000 >"$work/job.txt"
  run_empty() {  # <settings line to add> -> nanoseconds
    rm -rf "$work/root" "$XDG_DATA_HOME/Trash" && cp -al "$work/tree" "$work/root"
    printf 'IniVer=101\r\nVelmVer=2\r\nVelmLogDir=%s\r\nAddUdrScr=0\r\nShowTitle=0\r\nhwVelmWnd=5\r\n%b' \
      "$(win "$data/logs")" "$1" >"$work/prog/Quenbrook.ini"
    t0=$(now)
    "$QB_WINE" "$work/prog/box_robot.exe" "$(win "$work/job.txt")" >"$work/robot.out"
    t1=$(now)
    grep -q '^exit 0' "$work/robot.out" && [ "$(ls "$work/root")" = 5ch ] ||
      { echo "an emptying run failed" >&2; exit 1; }
    echo $(( t1 - t0 ))
  }
  for i in 1 2 3; do
    bin=$(run_empty '') && boards=$(ls "$XDG_DATA_HOME/Trash/files" | wc -l) &&
      gone=$(run_empty 'UseRcyBin=0\r\n') || exit 1
    [ "$boards" = 400 ] && [ ! -e "$XDG_DATA_HOME/Trash/files" ] ||
      { echo "the bin held $boards boards, or something after UseRcyBin=0: $(ls "$XDG_DATA_HOME/Trash/files" 2>&1 | head -3)" >&2; exit 1; }
    echo "$bin $gone"
  done >"$work/empty-times"
)
[ -f "$work/dest/5ch/news/1700000000.dat" ] || { echo "Quenbrook.exe made no copy"; exit 1; }
[ -s "$work/empty-times" ] || { echo "the emptying under Wine failed"; exit 1; }
med() { cut -d' ' -f"$1" "$2" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] / 1e9 }'; }
t_q=$(med 1 "$work/times"); t_f=$(med 2 "$work/times")
echo "Quenbrook.exe $(ms "$t_q"), floor $(ms "$t_f"): ratio $(ratio "$t_q" "$t_f") (goal <= 1.1)"
t_bin=$(med 1 "$work/empty-times"); t_gone=$(med 2 "$work/empty-times")
echo "emptying 20,000 files in 400 folders under Wine, and the copy: into the bin $(ms "$t_bin"), deleted for good (UseRcyBin=0) $(ms "$t_gone"): ratio $(ratio "$t_bin" "$t_gone")"
fi
rm -rf "$data"
