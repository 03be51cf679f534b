#!/bin/bash
# The whole upgrade on the embedded default machine under Wine, before and after.
#
# The machine: Windows NT 4.0 Service Pack 6a, firmware listing two enabled
# processors, no EISA bus, an existing repair log. Beside update.exe lies the tag file
# of the embedded default service pack folder C:\sp6a\i386. The demo presses Update,
# picks C:\sp6a\i386\NTOSKRNL.EXE in the file dialog, answers "The system will now be
# restarted", lets the restart request end the session and restarts the prefix. Then
# it prints, before and after side by side: the six system files (size and MD5), the
# repair log's [Files.WinNt] section and "CurrentType".
#
# With MP_USE_DISPLAY=1 and a DISPLAY, the dialogs open on that display and the person
# clicks through them; the demo waits for the program to end (MP_DEMO_WAIT seconds,
# default 600). Otherwise everything runs on a private Xvfb by itself.
# MP_WIN_BUILD names the Windows build (default build/x86_64, made by `make win64`).
set -u
cd "$(dirname "$0")/.." || exit 2
MP_ROOT=$PWD
export MP_WIN_BUILD=${MP_WIN_BUILD:-$MP_ROOT/build/x86_64}
. tests/wine/lib/prefix.sh
. tests/wine/lib/physmem.sh
. tests/wine/lib/upgrade_road.sh

interactive=0
[ "${MP_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ] && interactive=1

say() { printf 'demo: %s\n' "$*"; }
fail() { printf 'demo: %s\n' "$*" >&2; exit 1; }

# One line per system file: name, size, MD5, and which service pack file it equals.
files_table() {
    local f path size sum origin s
    for f in HAL.DLL NTOSKRNL.EXE NTDLL.DLL KERNEL32.DLL WINSRV.DLL WIN32K.SYS; do
        path=$(road_system_file "$f")
        if [ -z "$path" ]; then printf '%-13s %s\n' "$f" "(missing)"; continue; fi
        size=$(stat -c %s "$path")
        sum=$(md5sum <"$path" | cut -c1-12)
        origin="Wine's own"
        for s in "$WINEPREFIX/drive_c/sp6a/i386/"*; do
            cmp -s "$s" "$path" && origin="= $(basename "$s")"
        done
        case $f in WINSRV.DLL | WIN32K.SYS) [ "$origin" = "Wine's own" ] && origin="uniprocessor" ;; esac
        printf '%-13s %8s  %s  %s\n' "$f" "$size" "$sum" "$origin"
    done
}

snapshot() { # DIR
    mkdir -p "$1"
    files_table >"$1/files"
    road_log_section >"$1/log"
    road_current_type >"$1/type"
}

# Two files as columns.
side_by_side() { # TITLE BEFORE AFTER WIDTH
    printf '\n%s\n' "$1"
    printf "  %-${4}s | %s\n" "before" "after"
    printf "  %-${4}s-+-%s\n" "$(printf '%*s' "$4" '' | tr ' ' -)" "$(printf '%*s' "$4" '' | tr ' ' -)"
    local n1 n2 i l r
    n1=$(wc -l <"$2"); n2=$(wc -l <"$3")
    for ((i = 1; i <= (n1 > n2 ? n1 : n2); i++)); do
        l=$(sed -n "${i}p" "$2"); r=$(sed -n "${i}p" "$3")
        printf "  %-${4}s | %s\n" "${l:-}" "${r:-}"
    done
}

wine_setup || fail "no display for Wine"
road_tools || fail "build the Windows configuration first (make win64)"
say "preparing a Windows NT 4.0 SP6a prefix (the first run takes a minute)"
road_machine demo || fail "the prefix could not be prepared"
printf '[Paths]\r\nTargetDirectory="\\WINNT"\r\n[Files.WinNt]\r\n\\windows\\system32\\ntvdm.exe="ntvdm.exe","2f6a1"\r\n' \
    >"$WINEPREFIX/drive_c/windows/Repair/Setup.log"
snapshot "$WINE_WORK/before"

physmem_start "$ROAD_IMAGE" || fail "the physical memory stand-in did not start" # no --eisa: no EISA bus
road_start
ui wait "$ROAD_MAIN" 30000 || fail "the update dialog did not appear"
say "the update dialog shows $(ui text "$ROAD_MAIN" 1003) processors, '$(ui text "$ROAD_MAIN" 1002)'"

if [ $interactive = 1 ]; then
    say "on your display: press Update, pick C:\\sp6a\\i386\\NTOSKRNL.EXE, answer OK to"
    say "\"The system will now be restarted\"; the demo goes on when the program has ended"
    road_wait_exit "${MP_DEMO_WAIT:-600}" || fail "the program is still running"
else
    say "pressing Update"
    ui press "$ROAD_MAIN" 1
    ui wait "$ROAD_TITLE" || fail "no file dialog"
    say "file dialog \"$ROAD_TITLE\": picking C:\\sp6a\\i386\\NTOSKRNL.EXE"
    ui pick "$ROAD_TITLE" 'C:\sp6a\i386\NTOSKRNL.EXE'
    text=$(ui box "All Done" 30000) || fail "no \"All Done\" box (see $WINE_WORK)"
    say "box \"All Done\": $text -> OK"
    road_wait_exit 30 || fail "the restart request did not end the program"
    say "the restart request ended the session"
fi
physmem_stop
say "restarting the prefix (wineboot -r)"
"$W" wineboot -r </dev/null >/dev/null 2>&1
"$S" -w
snapshot "$WINE_WORK/after"

side_by_side "System files in C:\\windows\\system32 (size, MD5, origin)" \
    "$WINE_WORK/before/files" "$WINE_WORK/after/files" 56
side_by_side "Repair log C:\\windows\\Repair\\Setup.log, section [Files.WinNt]" \
    "$WINE_WORK/before/log" "$WINE_WORK/after/log" 54
side_by_side "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion, CurrentType" \
    "$WINE_WORK/before/type" "$WINE_WORK/after/type" 20
echo
[ "$(cat "$WINE_WORK/after/type")" = "Multiprocessor Free" ] || fail "the upgrade did not complete"
say "done"
