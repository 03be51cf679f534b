#!/bin/bash
# Compares two builds of the product byte for byte; prints where they differ.
# Usage: compare_builds.sh A.exe B.exe   (exit 0: identical)
a=${1:?usage: compare_builds.sh A B} b=${2:?usage: compare_builds.sh A B}
if cmp -s "$a" "$b"; then
    echo "identical: $(sha256sum < "$a" | cut -c1-16) ($(stat -c %s "$a") bytes)"
    exit 0
fi
echo "builds differ: $a $b"
cmp -l "$a" "$b" | head -5 | sed 's/^/  offset (1-based) and octal bytes: /'
exit 1
