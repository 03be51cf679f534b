#!/bin/bash
# Benchmark under Wine: staging a 64 MiB file through StageSystemFile (a free target:
# one copy with the progress callback and its dialog) against a plain CopyFileA of the
# same file with no callback, alternating in one process; prints both medians and
# their ratio (goal: at most 1.1), which is the verdict. Wine's copy never calls the
# progress routine, so the run also times, for information, the callbacks that a copy
# in 64 KiB pieces would make on the real dialog, and the ratio with them added
# ("ratio_with_callbacks").
# Usage: staging_bench.sh [ROUNDS]   (MP_BUILD: the x86_64 build folder, default build/x86_64)
set -u
. "$(dirname "$0")/lib/prefix.sh"
BUILD=${MP_BUILD:-$MP_ROOT/build/x86_64}
PROBE=$BUILD/tests/wine/stage_probe.exe
ROUNDS=${1:-9}
[ -f "$PROBE" ] || { echo "missing $PROBE (build the x86_64 configuration)"; exit 2; }
# wine_setup's status reflects its last wait for Xvfb rather than success: check the display instead.
wine_setup
[ -n "${DISPLAY:-}" ] && [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] || { echo "no X display"; exit 2; }
wine_prefix staging_bench || exit 2

ROOT=$WINEPREFIX/drive_c/sb
mkdir -p "$ROOT/sp" "$ROOT/sys" "$ROOT/tmp"
head -c $((64 * 1024 * 1024)) /dev/urandom > "$ROOT/sp/BIG.DLL"
"$W" "$PROBE" bench 'C:\sb\sp\BIG.DLL' 'C:\sb\tmp\' 'C:\sb\sys\' '\BIG.DLL' "$ROUNDS" </dev/null 2>/dev/null | tr -d '\r' |
    tee "$WINE_WORK/bench.txt"
ratio=$(sed -n 's/^ratio //p' "$WINE_WORK/bench.txt")
with=$(sed -n 's/^ratio_with_callbacks //p' "$WINE_WORK/bench.txt")
[ -n "$ratio" ] && [ -n "$with" ] || { echo "benchmark failed"; exit 1; }
cmp -s "$ROOT/sp/BIG.DLL" "$ROOT/sys/BIG.DLL" || { echo "staged file differs from its source"; exit 1; }
echo "with the callbacks of a 64 KiB-piece copy added (not made by Wine): $with"
if awk -v a="$ratio" 'BEGIN { exit !(a <= 1.1) }'; then
    echo "goal met (<= 1.1)"
else
    echo "goal missed (> 1.1)"; exit 1
fi
