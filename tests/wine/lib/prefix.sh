# Shared Wine harness: Xvfb, prefixes set to Windows NT 4.0, and clean-up.
# Source it from bash; every function keeps to the variables it documents.
#
#   wine_setup             exports WINEDEBUG, W (wine64), S (wineserver), WINE_WORK (scratch
#                          folder), starts Xvfb unless MP_USE_DISPLAY=1 and DISPLAY is set,
#                          and arranges wine_cleanup on exit.
#   wine_template          builds (once per checkout) the template prefix build/wine/template:
#                          wineboot, Version=nt40, Wine-drawn captions; prints its path.
#   wine_prefix NAME       copies the template to $WINE_WORK/NAME, exports WINEPREFIX.
#   wine_set_version VER   nt40, win2k, winxp, ... for the current prefix.
#   wine_set_csd TEXT      NT 4.0 with an arbitrary service pack text (TEXT may be empty).
#   wine_stop              ends the current prefix's wineserver and waits for it.
#   wine_cleanup           ends every server and Xvfb that wine_setup started.
#   wine_call PROGRAM ARGS...
#                          runs a Windows console program with no standard input; prints
#                          its output without CRs (its standard error only when it fails)
#                          and returns its exit status.
#   wine_daemon_start NAME PROGRAM ARGS...
#                          starts a Windows helper that prints READY once it is ready and
#                          runs until its standard input ends; returns once READY came (30 s
#                          at most; non-zero, with the helper's output, when it did not).
#                          Sets NAME_PID and NAME_OUT (its standard output file).
#   wine_daemon_stop NAME  ends the helper's standard input, waits for it (10 s), then
#                          ends it by signal. Safe to call when it does not run.

MP_ROOT=${MP_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)}
W=/usr/lib/wine/wine64
S=/usr/lib/wine/wineserver
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
MP_XVFB_PID=""
MP_PREFIXES=""

wine_pick_display() {
    local n
    for n in $(seq 77 120); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            echo "$n"; return 0
        fi
    done
    return 1
}

wine_setup() {
    WINE_WORK=$(mktemp -d /tmp/mpwine.XXXXXX)
    export WINE_WORK
    trap wine_cleanup EXIT
    trap 'exit 130' INT TERM
    if [ "${MP_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    local n
    n=$(wine_pick_display) || { echo "no free X display number" >&2; return 1; }
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    MP_XVFB_PID=$!
    export DISPLAY=":$n"
    local i=0
    while [ ! -e "/tmp/.X11-unix/X$n" ]; do
        sleep 0.1; i=$((i + 1))
        [ $i -gt 100 ] && { echo "Xvfb did not start" >&2; return 1; }
    done
    return 0
}

wine_stop() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    "$S" -k 2>/dev/null || true
    "$S" -w 2>/dev/null || true
}

wine_cleanup() {
    local p
    for p in $MP_PREFIXES; do
        WINEPREFIX=$p "$S" -k 2>/dev/null || true
        WINEPREFIX=$p "$S" -w 2>/dev/null || true
    done
    [ -n "$MP_XVFB_PID" ] && kill "$MP_XVFB_PID" 2>/dev/null
    [ -n "${WINE_WORK:-}" ] && [ "${MP_KEEP_WORK:-0}" != 1 ] && rm -rf "$WINE_WORK"
    return 0
}

wine_call() {
    local out status try err="$WINE_WORK/wine_call.err"
    # While a program under test rewrites KERNEL32.DLL or NTDLL.DLL in system32, a Wine
    # process that starts at that moment cannot load them (sharing violation): start it
    # again once the copy is through.
    for try in $(seq 40); do
        out=$("$W" "$@" </dev/null 2>"$err")
        status=$?
        grep -q "could not load" "$err" || break
        sleep 0.25
    done
    printf '%s' "$out" | tr -d '\r'
    [ -n "$out" ] && echo
    [ $status -ne 0 ] && sed 's/\r$//' "$err" >&2
    return $status
}

# The helper's standard input is a FIFO whose write end stays in this shell only, so
# that the helper sees its end when wine_daemon_stop closes it.
wine_daemon_start() {
    local name=$1 dir fd pid i=0; shift
    dir=$(mktemp -d "$WINE_WORK/$name.XXXXXX")
    mkfifo "$dir/ctl"
    exec {fd}<>"$dir/ctl"
    "$W" "$@" <"$dir/ctl" >"$dir/out" 2>"$dir/err" {fd}>&- &
    pid=$!
    printf -v "${name}_PID" %s "$pid"
    printf -v "${name}_FD" %s "$fd"
    printf -v "${name}_OUT" %s "$dir/out"
    until grep -q READY "$dir/out" 2>/dev/null; do
        if ! kill -0 "$pid" 2>/dev/null || [ $i -gt 600 ]; then
            echo "$name: the helper did not get ready" >&2
            cat "$dir/out" "$dir/err" >&2
            wine_daemon_stop "$name"
            return 1
        fi
        sleep 0.05; i=$((i + 1))
    done
}

wine_daemon_stop() {
    local name=$1 pid_var="${1}_PID" fd_var="${1}_FD" fd pid i=0
    fd=${!fd_var:-} pid=${!pid_var:-}
    [ -n "$fd" ] && exec {fd}>&-
    if [ -n "$pid" ]; then
        while kill -0 "$pid" 2>/dev/null && [ $i -lt 200 ]; do sleep 0.05; i=$((i + 1)); done
        kill -TERM "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    printf -v "$pid_var" %s ""
    printf -v "$fd_var" %s ""
    return 0
}

wine_reg() { "$W" reg "$@" </dev/null >/dev/null 2>&1; }

# The template is rebuilt when Wine's version changes or the folder is missing.
wine_template() {
    local dir="$MP_ROOT/build/wine/template" stamp
    stamp="$("$W" --version 2>/dev/null) v3"
    if [ -f "$dir/.mp-stamp" ] && [ "$(cat "$dir/.mp-stamp")" = "$stamp" ]; then
        echo "$dir"; return 0
    fi
    rm -rf "$dir"; mkdir -p "$(dirname "$dir")"
    (
        export WINEPREFIX="$dir"
        "$W" wineboot -i </dev/null >/dev/null 2>&1
        wine_reg add 'HKCU\Software\Wine' /v Version /d nt40 /f
        wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
        "$S" -w
    ) || return 1
    echo "$stamp" > "$dir/.mp-stamp"
    echo "$dir"
}

wine_prefix() {
    local template
    template=$(wine_template) || return 1
    export WINEPREFIX="$WINE_WORK/$1"
    rm -rf "$WINEPREFIX"
    cp -a "$template" "$WINEPREFIX"
    MP_PREFIXES="$MP_PREFIXES $WINEPREFIX"
}

wine_set_version() {
    wine_reg add 'HKCU\Software\Wine' /v Version /d "$1" /f
}

# NT 4.0 with a service pack text of our choosing: Wine then reads the version from
# the CurrentVersion key instead of its built-in table.
wine_set_csd() {
    wine_reg delete 'HKCU\Software\Wine' /v Version /f
    local cv='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
    wine_reg add "$cv" /v CurrentVersion /d 4.0 /f
    wine_reg add "$cv" /v CurrentBuildNumber /d 1381 /f
    wine_reg add "$cv" /v CSDVersion /d "$1" /f
    wine_reg add 'HKLM\System\CurrentControlSet\Control\Windows' /v CSDVersion /t REG_DWORD /d 0 /f
}

# Windows path of a Unix path inside the current prefix's drive_c.
wine_cpath() { echo "C:\\${1#"$WINEPREFIX/drive_c/"}" | sed 's#/#\\#g'; }
