#!/bin/bash
# Runs every benchmark program of a native build, then prints the firmware probe's cost
# relative to one memmem-style search of the same bytes, on the median CPU time of five
# repetitions. Goal: at most 2; the script fails when the goal is missed.
# Usage: scripts/run-bench.sh [BUILD_DIR]   (default build/native)
set -u
cd "$(dirname "$0")/.." || exit 2
dir=${1:-build/native}
ran=0
csv=$(mktemp)
trap 'rm -f "$csv"' EXIT
for program in "$dir"/*_bench; do
    [ -x "$program" ] || continue
    ran=$((ran + 1))
    echo "== $(basename "$program")"
    "$program" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_out="$csv.part" --benchmark_out_format=csv || exit 1
    cat "$csv.part" >>"$csv"; rm -f "$csv.part"
done
[ "$ran" -gt 0 ] || { echo "no benchmark built in $dir"; exit 1; }

median() { awk -F, -v n="\"$1_median\"" '$1 == n { print $4 }' "$csv"; }
probe=$(median BM_FirmwareProbe)
search=$(median BM_MemmemSameBytes)
[ -n "$probe" ] && [ -n "$search" ] || { echo "firmware benchmark results missing"; exit 1; }
awk -v p="$probe" -v s="$search" 'BEGIN {
    r = p / s
    printf "firmware probe %.0f ns, one memmem of the same bytes %.0f ns (CPU time, median): ratio %.2f (goal <= 2)\n", p, s, r
    exit r <= 2 ? 0 : 1
}'
