# The road of one upgrade under Wine: a machine to upgrade, the program beside its
# tag file, a service pack folder, and the means to drive and inspect them.
# Source it after prefix.sh and physmem.sh, once wine_setup has run.
#
#   road_tools                 writes the default firmware image (ROAD_IMAGE: two
#                              processors); sets ROAD_UI, ROAD_HOLD
#   road_machine NAME          a fresh prefix (NT 4.0, "Service Pack 6a") holding
#                              C:\mp\update.exe, the default service pack folder
#                              C:\sp6a\i386 with its tag file C:\mp\update.ini, and the
#                              six system files that the upgrade replaces
#   road_start [EXE]           starts the program (default C:\mp\update.exe); ROAD_APP
#   road_wait_exit SECONDS     waits for the program to end by itself; 0 when it did
#   road_hold MODE             holds the six system files open (rename or lock) until
#                              road_release or the end of the session; ROAD_HOLD_OUT
#   road_hold_ended SECONDS    0 when the holder ended by itself meanwhile
#   road_release               closes the holder's input and waits for it
#   ui COMMAND CAPTION ...     one action on a dialog (see ui below)
#   road_pick_then_peek PATH CAPTION
#                              picks PATH in the file dialog and prints the box's text
#   road_system_file NAME      Unix path of a file in system32, found whatever its case
#   road_current_type          the value "CurrentType", or "<none>"
#   road_pending               PendingFileRenameOperations, one string a line
#   road_log_section           the lines of [Files.WinNt] in Repair\Setup.log
#
# Variables: MP_WIN_BUILD (Windows build folder, default build/x86_64), ROAD_MAIN
# (caption of the update dialog), ROAD_TITLE (file dialog title for Service Pack 6a).

MP_WIN_BUILD=${MP_WIN_BUILD:-$MP_ROOT/build/x86_64}
ROAD_MAIN="Velmora Multi-Processor Update"
ROAD_TITLE="Please select 'NTOSKRNL' from 'Service Pack 6a'..."
ROAD_SYSTEM_FILES="hal.dll ntoskrnl.exe ntdll.dll kernel32.dll winsrv.dll win32k.sys"
ROAD_WINE_LIBS=${ROAD_WINE_LIBS:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}
ROAD_APP=""
ROAD_HOLD_PID=""
ROAD_HOLD_FD=""

road_tools() {
    ROAD_UI="$MP_WIN_BUILD/tests/wine/ui_driver.exe"
    ROAD_HOLD="$MP_WIN_BUILD/tests/wine/upgrade_hold.exe"
    local f
    for f in "$MP_WIN_BUILD/update.exe" "$ROAD_UI" "$ROAD_HOLD"; do
        [ -f "$f" ] || { echo "missing $f (build the Windows configuration first)" >&2; return 1; }
    done
    # The embedded default machine: SMBIOS entry point, MADT with processors 0 and 1.
    ROAD_IMAGE="$WINE_WORK/two.bin"
    python3 "$MP_ROOT/tests/wine/lib/fwimage.py" "$ROAD_IMAGE" --cpus 0,1
}

road_machine() {
    wine_prefix "$1" || return 1
    local c="$WINEPREFIX/drive_c" f
    mkdir -p "$c/mp" "$c/windows/Repair"
    cp "$MP_WIN_BUILD/update.exe" "$c/mp/update.exe"
    "$MP_ROOT/tests/fixtures/servicepack/make_servicepack.sh" --wine-libs "$ROAD_WINE_LIBS" \
        "$c/sp6a/i386" "$c/mp/update.ini" || return 1
    # Wine has no WINSRV.DLL or WIN32K.SYS of its own; a machine to upgrade has.
    printf 'uniprocessor winsrv.dll\r\n' > "$c/windows/system32/winsrv.dll"
    printf 'uniprocessor win32k.sys\r\n' > "$c/windows/system32/win32k.sys"
    for f in $ROAD_SYSTEM_FILES; do
        [ -f "$c/windows/system32/$f" ] || { echo "road_machine: no system32/$f" >&2; return 1; }
    done
}

# One action on the dialog of that caption, through the shared dialog driver
# (tests/wine/progs/ui_driver): every command first waits for the dialog (TIMEOUT_MS,
# default 10000). ui COMMAND CAPTION [ARGUMENT] [TIMEOUT_MS], COMMAND one of:
#   wait, gone, count (visible ones: 0 or 1), text ID, combo ID, enabled ID,
#   press ID (posted WM_COMMAND), pick PATH (file dialog), peek / box (the message
#   box's text; box answers it with OK), owner OWNER (1 when OWNER owns the dialog)
ui() {
    local command=$1 caption=$2 argument=${3:-} ms
    case $command in
        text | combo | enabled | press | pick | owner) ms=${4:-10000} ;;
        *) ms=${3:-10000} ;;
    esac
    case $command in
        wait | gone) wine_call "$ROAD_UI" "$command" "$caption" "$ms" ;;
        count) wine_call "$ROAD_UI" exists "$caption" ;;
        text | combo | enabled) wine_call "$ROAD_UI" wait "$caption" "$ms" "$command" "$argument" ;;
        press) wine_call "$ROAD_UI" wait "$caption" "$ms" command "$argument" ;;
        pick) wine_call "$ROAD_UI" wait "$caption" "$ms" filename "$argument" ;;
        peek) wine_call "$ROAD_UI" wait "$caption" "$ms" text 0xFFFF ;;
        box) wine_call "$ROAD_UI" wait "$caption" "$ms" text 0xFFFF command 1 ;;
        owner)
            local owner
            owner=$(wine_call "$ROAD_UI" wait "$caption" "$ms" owner) || return 1
            case $owner in "$argument enabled" | "$argument disabled") echo 1 ;; *) echo 0 ;; esac ;;
        *) echo "ui: unknown command $command" >&2; return 2 ;;
    esac
}

# Picks PATH in the file dialog, then prints the text of the message box CAPTION once it
# comes (30 s), leaving it open. One driver process does both: a Wine process that
# starts while the program copies over the system's own DLLs opens them briefly and
# can turn a free target into one in use.
road_pick_then_peek() {
    wine_call "$ROAD_UI" wait "$ROAD_TITLE" 10000 filename "$1" wait "$2" 30000 text 0xFFFF
}

road_start() {
    "$W" "${1:-C:\\mp\\update.exe}" </dev/null >"$WINE_WORK/trace.txt" 2>&1 &
    ROAD_APP=$!
}

road_wait_exit() {
    local i=0 limit=$(($1 * 10))
    while kill -0 "$ROAD_APP" 2>/dev/null; do
        [ $i -ge $limit ] && return 1
        sleep 0.1; i=$((i + 1))
    done
    wait "$ROAD_APP" 2>/dev/null
    ROAD_APP=""
    return 0
}

road_hold() {
    local paths="" f
    for f in $ROAD_SYSTEM_FILES; do paths="$paths C:\\windows\\system32\\$f"; done
    # shellcheck disable=SC2086
    wine_daemon_start ROAD_HOLD "$ROAD_HOLD" "$1" $paths
}

# 0 when the holder ended by itself within SECONDS (as at the end of the session).
road_hold_ended() {
    local i=0 limit=$(($1 * 10))
    while kill -0 "$ROAD_HOLD_PID" 2>/dev/null; do
        [ $i -ge $limit ] && return 1
        sleep 0.1; i=$((i + 1))
    done
    return 0
}

road_release() { wine_daemon_stop ROAD_HOLD; }

road_system_file() {
    find "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname "$1" | head -n 1
}

road_current_type() {
    local v
    v=$("$W" reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v CurrentType </dev/null 2>/dev/null |
        tr -d '\r' | sed -n 's/^ *CurrentType *REG_SZ *//p')
    echo "${v:-<none>}"
}

road_pending() {
    "$W" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations \
        </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ *PendingFileRenameOperations *REG_MULTI_SZ *//p' |
        sed 's/\\0/\n/g' | sed '/^$/d'
}

road_log_section() {
    local log="$WINEPREFIX/drive_c/windows/Repair/Setup.log"
    [ -f "$log" ] || return 0
    tr -d '\r' <"$log" | awk '/^\[/ { on = ($0 == "[Files.WinNt]"); next } on && NF'
}
