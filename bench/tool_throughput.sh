#!/usr/bin/env bash
# The tool's -z throughput next to cat and tr on the same input, as whole
# processes: each command runs once to warm up, then RUNS times, and the
# median is reported.
#
#   bench/tool_throughput.sh BUILD_DIR [RUNS] [COPIES]
#
# BUILD_DIR holds corso and bench/corso_corpus (build/default after the
# default preset). The input is the POSIX corpus of the benchmarks, NUL
# after every path, COPIES times over (10 by default: a million records), in a
# file that every command reads and writes to /dev/null. "ns/record" and
# "MB/s" are of the wall-clock time, "cpu ns/record" of user and system time.
# When BUILD_DIR/bench/corso_bench exists, the library's in-process time of
# the same operations follows.
set -euo pipefail

build=${1:?usage: tool_throughput.sh BUILD_DIR [RUNS] [COPIES]}
runs=${2:-5}
copies=${3:-10}
root=/usr/share/  # the root of relativize, as in corso_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/corso_corpus" posix >"$work/once"
for ((i = 0; i < copies; i++)); do cat "$work/once"; done >"$work/input"
records=$(tr -cd '\0' <"$work/input" | wc -c)
bytes=$(wc -c <"$work/input")

median() {  # the median of the numbers on standard input, one a line
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

measure() {  # measure LABEL COMMAND...
  local label=$1 times=$work/times i
  shift
  "$@" <"$work/input" >/dev/null 2>&1
  : >"$times"
  TIMEFORMAT='%R %U %S'
  for ((i = 0; i < runs; i++)); do
    { time "$@" <"$work/input" >/dev/null 2>&1; } 2>>"$times"
  done
  local wall cpu
  wall=$(awk '{ print $1 }' "$times" | median)
  cpu=$(awk '{ print $2 + $3 }' "$times" | median)
  printf '%-40s ' "$label"
  awk -v wall="$wall" -v cpu="$cpu" -v n="$records" -v bytes="$bytes" 'BEGIN {
    printf "%10.1f %14.1f %8.0f\n", wall * 1e9 / n, cpu * 1e9 / n, (wall > 0 ? bytes / wall / 1e6 : 0)
  }'
}

echo "input: $records records, $bytes bytes (the POSIX corpus $copies times); median of $runs runs"
printf '%-40s %10s %14s %8s\n' command ns/record "cpu ns/record" MB/s
measure "cat" cat
measure "tr '\\0' '\\n'" tr '\0' '\n'
measure "corso --posix -z normalize" "$build/corso" --posix -z normalize
measure "corso --posix -z relativize $root" "$build/corso" --posix -z relativize "$root"

if [ -x "$build/bench/corso_bench" ]; then
  echo
  echo "the library in process (corso_bench, parsed paths, one pass over the corpus):"
  "$build/bench/corso_bench" --benchmark_filter='BM_(normalize|relativize)/corso/posix' \
    --benchmark_repetitions="$runs" --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 ~ /_median"$/ { name = $1; gsub(/"|\/real_time|_median/, "", name); printf "%-40s %10.1f ns/path\n", name, $NF }'
fi
