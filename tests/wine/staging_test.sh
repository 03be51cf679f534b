#!/bin/bash
# Staged replacement of system files and the copy progress dialog under Wine, with
# the product's own code (stage_probe links it): a free target is overwritten at once;
# a target held open so that it can be renamed but not overwritten ends with the new
# file, a "del..." file and a pending deletion; a target that can be neither ends with
# a pending replacing move; a failed staged copy shows its two boxes in order; the
# pending operations are in the registry, and a restart of the prefix carries them out.
# Usage: staging_test.sh   (MP_BUILD: the x86_64 build folder, default build/x86_64)
set -u
. "$(dirname "$0")/lib/prefix.sh"
BUILD=${MP_BUILD:-$MP_ROOT/build/x86_64}
PROBE=$BUILD/tests/wine/stage_probe.exe
[ -f "$PROBE" ] || { echo "missing $PROBE (build the x86_64 configuration)"; exit 2; }
# wine_setup's status reflects its last wait for Xvfb rather than success: check the display instead.
wine_setup
[ -n "${DISPLAY:-}" ] && [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] || { echo "no X display"; exit 2; }
wine_prefix staging || exit 2

failures=0
check() { # what expected actual
    if [ "$2" = "$3" ]; then
        echo "ok   $1"
    else
        printf 'FAIL %s\n  expected: %s\n  got:      %s\n' "$1" "$2" "$3"
        failures=$((failures + 1))
    fi
}
probe() { "$W" "$PROBE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
content() { if [ -f "$1" ]; then cat "$1"; else echo "<none>"; fi; }
del_files() { (cd "$ROOT/sys" && ls | grep -i '^del.*\.tmp$' | sort); }

ROOT=$WINEPREFIX/drive_c/st
mkdir -p "$ROOT/sp" "$ROOT/sys" "$ROOT/tmp"
SP='C:\st\sp'
SYS='C:\st\sys\'
TMP='C:\st\tmp\'
for f in FREE RENAME LOCK FAIL MISSING CANCEL; do
    echo "old $f" > "$ROOT/sys/$f.DLL"
    [ $f = MISSING ] || echo "new $f" > "$ROOT/sp/$f.DLL"
done

echo "--- a free target is overwritten at once"
out=$(probe stage "$SP\\FREE.DLL" "$TMP" "$SYS" '\FREE.DLL')
check "result, flag, file text" $'result 1\ncancel 0\nfile C:\\st\\sp\\FREE.DLL' "$out"
check "target holds the new file" "new FREE" "$(content "$ROOT/sys/FREE.DLL")"
check "nothing reserved, nothing staged" "" "$(del_files)$(ls "$ROOT/tmp")"
check "nothing pending" "" "$(probe pending)"

echo "--- a target that can be renamed but not overwritten"
out=$(probe stage --hold=rename "$SP\\RENAME.DLL" "$TMP" "$SYS" '\RENAME.DLL')
check "no box" $'result 1\ncancel 0\nfile C:\\st\\sp\\RENAME.DLL' "$out"
check "target holds the new file" "new RENAME" "$(content "$ROOT/sys/RENAME.DLL")"
aside=$(del_files)
check "one del...tmp file beside it" "1" "$(echo "$aside" | grep -c .)"
check "it holds the old file" "old RENAME" "$(content "$ROOT/sys/$aside")"
check "its deletion is pending" "\\??\\C:\\st\\sys\\$aside|" "$(probe pending)"

echo "--- a target that can be neither overwritten nor renamed"
out=$(probe stage --hold=lock "$SP\\LOCK.DLL" "$TMP" "$SYS" '\LOCK.DLL')
check "no box" $'result 1\ncancel 0\nfile C:\\st\\sp\\LOCK.DLL' "$out"
check "target keeps the old file" "old LOCK" "$(content "$ROOT/sys/LOCK.DLL")"
check "the new file is staged" "new LOCK" "$(content "$ROOT/tmp/LOCK.DLL")"
check "no del...tmp left by the failed rename" "$aside" "$(del_files)"
check "a replacing move is pending" '\??\C:\st\tmp\LOCK.DLL|!\??\C:\st\sys\LOCK.DLL' "$(probe pending | tail -n 1)"

echo "--- the staged copy fails: two boxes, in order"
before=$(probe pending)
out=$(probe stage --hold=lock "$SP\\FAIL.DLL" 'C:\st\nowhere\' "$SYS" '\FAIL.DLL')
check "boxes, then the flag that holds back the restart" \
    $'result 1\ncancel 1\nbox stage_probe|Failed to copy ->C:\\st\\sp\\FAIL.DLL|error\nbox stage_probe|Failed  to stage update ->C:\\st\\sys\\\\FAIL.DLL|error\nfile C:\\st\\sp\\FAIL.DLL' \
    "$out"
check "nothing requested" "$before" "$(probe pending)"
check "target keeps the old file" "old FAIL" "$(content "$ROOT/sys/FAIL.DLL")"

echo "--- a missing source never costs the target"
out=$(probe stage --hold=rename "$SP\\MISSING.DLL" "$TMP" "$SYS" '\MISSING.DLL')
check "both boxes" \
    $'result 1\ncancel 1\nbox stage_probe|Failed to copy ->C:\\st\\sp\\MISSING.DLL|error\nbox stage_probe|Failed  to stage update ->C:\\st\\sys\\\\MISSING.DLL|error\nfile C:\\st\\sp\\MISSING.DLL' \
    "$out"
check "target not renamed aside" "old MISSING" "$(content "$ROOT/sys/MISSING.DLL")"
check "no new del...tmp" "$aside" "$(del_files)"
check "nothing requested" "$before" "$(probe pending)"

echo "--- a run already cancelled stages nothing"
out=$(probe stage --cancel=1 "$SP\\CANCEL.DLL" "$TMP" "$SYS" '\CANCEL.DLL')
check "no box, file text untouched" $'result 1\ncancel 1\nfile ' "$out"
check "target untouched" "old CANCEL" "$(content "$ROOT/sys/CANCEL.DLL")"

echo "--- the pending operations in the registry"
"$W" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations \
    </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ *//p'

echo "--- restart (wineboot -r)"
"$W" wineboot -r </dev/null >/dev/null 2>&1
"$S" -w
check "nothing pending any more" "" "$(probe pending)"
check "renamed target: new file" "new RENAME" "$(content "$ROOT/sys/RENAME.DLL")"
check "the del...tmp file is gone" "" "$(del_files)"
check "locked target: new file" "new LOCK" "$(content "$ROOT/sys/LOCK.DLL")"
check "the staged copy was moved" "" "$(ls "$ROOT/tmp")"
check "failed staging: old file" "old FAIL" "$(content "$ROOT/sys/FAIL.DLL")"
check "missing source: old file" "old MISSING" "$(content "$ROOT/sys/MISSING.DLL")"

echo "--- the progress dialog and its callback"
head -c 300000 /dev/urandom > "$ROOT/sp/BIG.BIN"
probe progress "$SP\\BIG.BIN" | tee "$WINE_WORK/progress.txt"
check "every progress check passed" "0" "$(grep -c '^FAIL' "$WINE_WORK/progress.txt")"
check "all progress checks ran" "13" "$(grep -c '^ok' "$WINE_WORK/progress.txt")"

echo "staging: $failures failed"
[ "$failures" -eq 0 ]
