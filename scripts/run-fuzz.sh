#!/bin/bash
# Runs every fuzz target in a build folder for a bounded time each; fails on any finding.
set -u
dir=$1 seconds=${2:-60}
status=0 ran=0
for target in "$dir"/*_fuzz; do
    [ -x "$target" ] || continue
    ran=$((ran + 1))
    corpus=$(mktemp -d)
    echo "fuzzing $(basename "$target") for ${seconds}s"
    if ! "$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" 2>"$corpus.log"; then
        tail -40 "$corpus.log"; status=1
    else
        grep -E 'stat::number_of_executed_units' "$corpus.log" || true
    fi
    rm -rf "$corpus" "$corpus.log"
done
[ "$ran" -gt 0 ] || { echo "no fuzz target built"; exit 1; }
exit $status
