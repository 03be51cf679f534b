#!/bin/bash
# Runs every test layer in turn, goes on after a failure, and fails when any layer failed.
cd "$(dirname "$0")/.." || exit 2
layers=(unit asan-test fuzz wine-test release-check)
passed=0 failed=0 failures=""
for layer in "${layers[@]}"; do
    echo "=== $layer ==="
    if make --no-print-directory "$layer"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1)); failures="$failures $layer"
    fi
done
[ -n "$failures" ] && echo "failed layers:$failures"
echo "layers: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
