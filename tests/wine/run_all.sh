#!/bin/bash
# Runs every Wine end-to-end test script (tests/wine/*_test.sh) against build/x86_64.
# Each script sets up its own prefixes through lib/prefix.sh and exits non-zero on failure.
cd "$(dirname "$0")" || exit 2
passed=0 failed=0 failures=""
for t in ./*_test.sh; do
    [ -e "$t" ] || continue
    echo "--- $(basename "$t")"
    if setsid bash "$t" </dev/null; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1)); failures="$failures $(basename "$t")"
    fi
done
[ -n "$failures" ] && echo "failed:$failures"
echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
