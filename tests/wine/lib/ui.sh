# UI automation and verdicts for the Wine end-to-end tests. Source it after prefix.sh,
# once wine_setup has run and a prefix is current (wine_prefix NAME).
#
#   ui COMMAND...          runs ui_driver with the commands (see the top of
#                          tests/wine/progs/ui_driver/ui_driver.cpp); prints its output
#                          with the CRs removed; returns its exit status
#   ui_start NAME WINPATH  starts a Windows program in the background with no standard
#                          input, its standard output in $WINE_WORK/NAME.out (the trace)
#                          and its standard error in $WINE_WORK/NAME.err; sets UI_PID
#   ui_wait_exit [SECONDS] waits (default 20 s) for the program started last; returns its
#                          exit status, or 124 after ending it when the time ran out
#   ui_stop                ends the program started last if it still runs
#   ui_trace NAME          prints NAME's trace with the CRs removed
#   check LABEL EXPECTED ACTUAL     one verdict line ("ok" or "FAIL" with both values)
#   check_match LABEL REGEX ACTUAL  the same for an extended regular expression
#   ui_summary             prints the totals; returns 1 when any check failed
#
# Variables: UI_DRIVER (default $MP_WIN_BUILD/tests/wine/ui_driver.exe, MP_WIN_BUILD
# defaulting to build/x86_64), UI_PID, UI_PASSED, UI_FAILED. Uses W and WINE_WORK.

UI_DRIVER=${UI_DRIVER:-${MP_WIN_BUILD:-$MP_ROOT/build/x86_64}/tests/wine/ui_driver.exe}
UI_PID=""
UI_PASSED=0
UI_FAILED=0

ui() { wine_call "$UI_DRIVER" "$@"; }

ui_start() {
    local name=$1 program=$2
    "$W" "$program" </dev/null >"$WINE_WORK/$name.out" 2>"$WINE_WORK/$name.err" &
    UI_PID=$!
}

ui_wait_exit() {
    local limit=${1:-20} i=0 status
    [ -n "$UI_PID" ] || return 0
    while kill -0 "$UI_PID" 2>/dev/null; do
        if [ $i -ge $((limit * 10)) ]; then
            ui_stop
            return 124
        fi
        sleep 0.1; i=$((i + 1))
    done
    wait "$UI_PID"; status=$?
    UI_PID=""
    return $status
}

ui_stop() {
    [ -n "$UI_PID" ] || return 0
    kill -TERM "$UI_PID" 2>/dev/null
    wait "$UI_PID" 2>/dev/null
    UI_PID=""
    return 0
}

ui_trace() { tr -d '\r' <"$WINE_WORK/$1.out"; }

check() {
    if [ "$2" = "$3" ]; then
        echo "ok   $1"; UI_PASSED=$((UI_PASSED + 1))
    else
        echo "FAIL $1"; echo "     expected: $2"; echo "     actual:   $3"; UI_FAILED=$((UI_FAILED + 1))
    fi
}

check_match() {
    if printf '%s' "$3" | grep -Eq -- "$2"; then
        echo "ok   $1"; UI_PASSED=$((UI_PASSED + 1))
    else
        echo "FAIL $1"; echo "     expected to match: $2"; echo "     actual: $3"; UI_FAILED=$((UI_FAILED + 1))
    fi
}

ui_summary() {
    echo "checks: $UI_PASSED passed, $UI_FAILED failed"
    [ "$UI_FAILED" -eq 0 ] && [ "$UI_PASSED" -gt 0 ]
}
