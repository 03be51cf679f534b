#!/bin/bash
# Builds the release: dist/ (stripped i686 update.exe, sample update.ini, the
# administrators' guide) and the zip beside it, then reports the executable's size
# and what dominates it. Expects `make win32` to have built build/i686/update.exe.
set -euo pipefail
cd "$(dirname "$0")/.."

VERSION=1.0.0.1
exe=build/i686/update.exe
map=build/i686/update.map
zipfile=multiprocessor-update-$VERSION.zip
[ -f "$exe" ] || { echo "missing $exe: run make win32" >&2; exit 1; }

rm -rf dist "$zipfile"
mkdir dist
cp "$exe" dist/update.exe   # linked stripped and without a time stamp
# The files are read on Windows NT 4.0: CRLF line ends.
sed 's/$/\r/' docs/release/update.ini > dist/update.ini
sed 's/$/\r/' docs/release/GUIDE.txt > dist/GUIDE.txt

python3 tests/release/pecheck.py --allow tests/release/nt40-imports.txt --version "$VERSION" dist/update.exe

# A fixed time stamp for every file, so that the zip too is the same for one commit.
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 315532800)
touch -d "@$stamp" dist/*
(cd dist && TZ=UTC zip -q -X -D "../$zipfile" update.exe update.ini GUIDE.txt)

size=$(stat -c %s dist/update.exe)
printf 'size: dist/update.exe is %d bytes (%d KiB); goal 131072 bytes (128 KiB)\n' "$size" $(((size + 1023) / 1024))
if [ -f "$map" ]; then
    echo "largest contributors to code, data and unwind tables (bytes, from $map):"
    python3 scripts/size-report.py "$map" | head -12 | sed 's/^/  /'
fi
echo "release: dist/ and $zipfile"
