#!/bin/bash
# The whole upgrade under Wine with the real update.exe: from the dialog that shows
# "2" to the restart, for free, renamable-in-use and locked system files, with and
# without an EISA bus; an unlisted pick and Cancel; a pick in the root of a drive; an
# empty service pack text; a renamed executable.
#
# Each scenario runs in its own prefix; arguments pick scenarios (see the end). Ends with "N passed, N failed"; exit 1 when
# any check failed. MP_WIN_BUILD names the Windows build (default build/x86_64).
set -u
MP_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$MP_ROOT/tests/wine/lib/prefix.sh"
source "$MP_ROOT/tests/wine/lib/physmem.sh"
source "$MP_ROOT/tests/wine/lib/upgrade_road.sh"

passed=0 failed=0 scenario=""
check() { # DESCRIPTION EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAIL [%s] %s\n  expected: %s\n  actual:   %s\n' "$scenario" "$1" "$2" "$3"
    fi
}
same_file() { cmp -s "$1" "$2" && echo same || echo different; }
road_end() { # stops what a scenario may have left running
    road_release
    physmem_stop
    [ -n "$ROAD_APP" ] && { kill -TERM "$ROAD_APP" 2>/dev/null; wait "$ROAD_APP" 2>/dev/null; ROAD_APP=""; }
    wine_stop
}

wine_setup || exit 2
road_tools || exit 2

# The existing repair log of the machine: other sections, other entries, and a key
# of the HAL's in other letter case, which the upgrade must replace, not repeat.
existing_log() {
    printf '[Paths]\r\nTargetDirectory="\\WINNT"\r\n[Files.WinNt]\r\n'
    printf '\\windows\\system32\\ntvdm.exe="ntvdm.exe","2f6a1"\r\n'
    printf '\\WINDOWS\\SYSTEM32\\HAL.DLL="hal.dll","1b0e2"\r\n'
    printf '[Files.InRepairDirectory]\r\nsetup.log="setup.log",""\r\n'
}

# Names the scenario and makes its machine; non-zero (with a verdict) when that failed.
begin_scenario() {
    scenario=$1
    echo "--- $scenario"
    road_machine "$2" || { check "machine" ok broken; return 1; }
}

# Physical memory for the program; non-zero (with a verdict, the scenario ended) when
# the helper could not start.
start_memory() {
    physmem_start "$ROAD_IMAGE" "$@" || { check "physical memory" ready failed; road_end; return 1; }
}

# The road: Update, the kernel file picked, "All Done" answered, restart, checks.
#   MODE     free | rename | lock: how the six system files are held meanwhile
#   EISA     eisa | no-eisa
#   LOG      existing | no-section | none: the repair log before the upgrade
run_road() {
    local mode=$1 eisa=$2 log=$3
    begin_scenario "road $mode $eisa log:$log" "road-$mode" || return
    local c="$WINEPREFIX/drive_c" sp="$WINEPREFIX/drive_c/sp6a/i386" f
    local logfile="$c/windows/Repair/Setup.log"
    case $log in
        existing) existing_log >"$logfile" ;;
        no-section) printf '[Paths]\r\nTargetDirectory="\\WINNT"\r\n' >"$logfile" ;;
        none) rm -f "$logfile" ;;
    esac
    local log_before=""
    [ -f "$logfile" ] && log_before=$(tr -d '\r' <"$logfile")
    check "CurrentType before" "Uniprocessor Free" "$(road_current_type)"

    [ "$mode" != free ] && { road_hold "$mode" || { check "holder" ready failed; road_end; return; }; }
    if [ "$eisa" = eisa ]; then start_memory --eisa; else start_memory; fi || return

    road_start
    check "processors shown" 2 "$(ui text "$ROAD_MAIN" 1003)"
    check "service pack shown" "Service Pack 6a" "$(ui text "$ROAD_MAIN" 1002)"
    check "information line" "" "$(ui text "$ROAD_MAIN" 1004)"
    check "Update enabled" 1 "$(ui enabled "$ROAD_MAIN" 1)"
    ui press "$ROAD_MAIN" 1
    check "file dialog filter" "Service Pack 6a Tag" "$(ui combo "$ROAD_TITLE" 1136)"
    check "file dialog owned by the update dialog" 1 "$(ui owner "$ROAD_TITLE" "$ROAD_MAIN")"
    check "restart announced" "The system will now be restarted" \
        "$(road_pick_then_peek 'C:\sp6a\i386\NTOSKRNL.EXE' "All Done")"
    check "announcement owned by the update dialog" 1 "$(ui owner "All Done" "$ROAD_MAIN")"

    # Before the restart: what each way of staging left behind.
    local pending moves deletes asides
    pending=$(road_pending)
    moves=$(grep -c '^!' <<<"$pending")
    deletes=$(grep -c -i 'system32\\del' <<<"$pending")
    asides=$(find "$c/windows/system32" -maxdepth 1 -iname 'del*.tmp' | wc -l)
    case $mode in
        free)
            check "nothing pending" "0 0" "$moves $deletes"
            check "in place at once" same "$(same_file "$sp/NTKRNLMP.EXE" "$(road_system_file ntoskrnl.exe)")" ;;
        rename)
            check "six files renamed aside, their deletion pending" "6 6 0" "$asides $deletes $moves"
            check "in place at once" same "$(same_file "$sp/NTKRNLMP.EXE" "$(road_system_file ntoskrnl.exe)")" ;;
        lock)
            check "six replacing moves pending" "6 0" "$moves $asides"
            check "old kernel until the restart" different \
                "$(same_file "$sp/NTKRNLMP.EXE" "$(road_system_file ntoskrnl.exe)")" ;;
    esac
    check "CurrentType written before the restart" "Multiprocessor Free" "$(road_current_type)"

    ui box "All Done" >/dev/null
    # The restart request ends the session: the program is ended without Cancel.
    if road_wait_exit 20; then check "update.exe ended by the restart request" yes yes
    else check "update.exe ended by the restart request" yes no; fi
    if [ "$mode" != free ]; then
        road_hold_ended 20
        check "the holder saw the session end" yes "$(grep -q ENDSESSION "$ROAD_HOLD_OUT" && echo yes || echo no)"
    fi
    road_release
    physmem_stop
    "$W" wineboot -r </dev/null >/dev/null 2>&1
    "$S" -w

    local hal=HALMPS.DLL
    [ "$eisa" = eisa ] && hal=HALSP.DLL
    check "HAL.DLL is $hal" same "$(same_file "$sp/$hal" "$(road_system_file hal.dll)")"
    check "NTOSKRNL.EXE is NTKRNLMP.EXE" same "$(same_file "$sp/NTKRNLMP.EXE" "$(road_system_file ntoskrnl.exe)")"
    for f in NTDLL.DLL KERNEL32.DLL WINSRV.DLL WIN32K.SYS; do
        check "$f" same "$(same_file "$sp/$f" "$(road_system_file "$f")")"
    done
    check "no aside file left" 0 "$(find "$c/windows/system32" -maxdepth 1 -iname 'del*.tmp' | wc -l)"
    check "nothing pending after the restart" "" "$(road_pending)"
    check "CurrentType" "Multiprocessor Free" "$(road_current_type)"

    local hal_sum=1a01c
    [ "$eisa" = eisa ] && hal_sum=0f337
    local expected
    expected=$(
        [ "$log" = existing ] && printf '%s\n' '\windows\system32\ntvdm.exe="ntvdm.exe","2f6a1"' \
            '\WINDOWS\SYSTEM32\HAL.DLL="'"$hal"'","'"$hal_sum"'"'
        [ "$log" != existing ] && printf '%s\n' '\windows\System32\hal.dll="'"$hal"'","'"$hal_sum"'"'
        printf '%s\n' '\windows\System32\Ntoskrnl.exe="NTKRNLMP.EXE","e76ab"' \
            '\windows\System32\Kernel32.dll="KERNEL32.DLL","5b7f8"' \
            '\windows\System32\Winsrv.dll="WINSRV.DLL","37b4e"' \
            '\windows\System32\Ntdll.dll="NTDLL.DLL","59c19"' \
            '\windows\System32\win32k.sys="WIN32K.SYS","132603"'
    )
    check "repair log section" "$expected" "$(road_log_section)"
    case $log in
        existing)
            check "rest of the repair log kept" "$(sed -n '1,2p;/^\[Files.InRepairDirectory\]/,$p' <<<"$log_before")" \
                "$(tr -d '\r' <"$logfile" | sed -n '1,2p;/^\[Files.InRepairDirectory\]/,$p')" ;;
        no-section)
            check "rest of the repair log kept" "$log_before" "$(tr -d '\r' <"$logfile" | sed -n '1,2p')" ;;
    esac
    road_end
}

# Snapshot of everything the upgrade may change.
machine_state() {
    local f
    for f in $ROAD_SYSTEM_FILES; do md5sum <"$(road_system_file "$f")"; done
    find "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname 'del*.tmp'
    [ -f "$WINEPREFIX/drive_c/windows/Repair/Setup.log" ] && md5sum <"$WINEPREFIX/drive_c/windows/Repair/Setup.log"
    road_current_type
    road_pending
}

# Unlisted picks bring the message under the executable's name and the file dialog
# again; Cancel then leaves the update dialog open and the machine as it was.
run_unlisted() {
    begin_scenario "unlisted pick, then Cancel" unlisted || return
    local c="$WINEPREFIX/drive_c"
    mkdir -p "$c/sp5/i386"
    head -c 30000 "$c/sp6a/i386/NTOSKRNL.EXE" >"$c/sp5/i386/NTOSKRNL.EXE"
    existing_log >"$c/windows/Repair/Setup.log"
    local before
    before=$(machine_state)
    start_memory || return
    road_start
    ui press "$ROAD_MAIN" 1
    ui pick "$ROAD_TITLE" 'C:\sp5\i386\NTOSKRNL.EXE'
    check "not-recognised message" "contents of folder 'C:\sp5\i386' do not appear to be 'Service Pack 6a'" \
        "$(ui box update)"
    # A typed name of a file that does not exist: accepted by the dialog, not listed.
    ui pick "$ROAD_TITLE" 'C:\sp6a\i386\NTOSKRNL.EXX'
    check "message for a missing file" "contents of folder 'C:\sp6a\i386' do not appear to be 'Service Pack 6a'" \
        "$(ui box update)"
    ui wait "$ROAD_TITLE"
    ui press "$ROAD_TITLE" 2
    ui gone "$ROAD_TITLE"
    sleep 0.5
    check "update dialog still open" 1 "$(ui count "$ROAD_MAIN")"
    check "Update still enabled" 1 "$(ui enabled "$ROAD_MAIN" 1)"
    check "machine unchanged" "$before" "$(machine_state)"
    # A new press starts a new run, with nothing recognised yet.
    ui press "$ROAD_MAIN" 1
    ui pick "$ROAD_TITLE" 'C:\sp5\i386\NTOSKRNL.EXE'
    check "second run starts unrecognised" "contents of folder 'C:\sp5\i386' do not appear to be 'Service Pack 6a'" \
        "$(ui box update)"
    ui press "$ROAD_TITLE" 2
    ui gone "$ROAD_TITLE"
    ui press "$ROAD_MAIN" 2
    if road_wait_exit 10; then check "Cancel ends the program" yes yes; else check "Cancel ends the program" yes no; fi
    check "machine still unchanged" "$before" "$(machine_state)"
    road_end
}

# Picks in the root of a drive: the folder is "E:", the sources E:\HALMPS.DLL and so on.
run_root_of_drive() {
    begin_scenario "root of a drive" root || return
    local c="$WINEPREFIX/drive_c"
    mkdir -p "$WINE_WORK/drive-e" "$WINE_WORK/drive-f"
    head -c 30000 "$c/sp6a/i386/NTOSKRNL.EXE" >"$WINE_WORK/drive-e/NTOSKRNL.EXE"
    cp "$c/sp6a/i386/"* "$WINE_WORK/drive-f/"
    rm -rf "$c/sp6a" # only the drive's root can serve the files now
    ln -sfn "$WINE_WORK/drive-e" "$WINEPREFIX/dosdevices/e:"
    ln -sfn "$WINE_WORK/drive-f" "$WINEPREFIX/dosdevices/f:"
    start_memory || return
    road_start
    ui press "$ROAD_MAIN" 1
    ui pick "$ROAD_TITLE" 'E:\NTOSKRNL.EXE'
    check "folder of a root pick" "contents of folder 'E:' do not appear to be 'Service Pack 6a'" "$(ui box update)"
    ui pick "$ROAD_TITLE" 'F:\NTOSKRNL.EXE'
    check "restart announced" "The system will now be restarted" "$(ui box "All Done" 30000)"
    road_wait_exit 20
    physmem_stop
    "$W" wineboot -r </dev/null >/dev/null 2>&1
    "$S" -w
    check "HAL.DLL from F:\\HALMPS.DLL" same "$(same_file "$WINE_WORK/drive-f/HALMPS.DLL" "$(road_system_file hal.dll)")"
    check "WIN32K.SYS from F:\\WIN32K.SYS" same \
        "$(same_file "$WINE_WORK/drive-f/WIN32K.SYS" "$(road_system_file win32k.sys)")"
    road_end
}

# No service pack: the section "TAGFILE_INFO_SP", the texts with nothing in between.
run_empty_service_pack() {
    begin_scenario "empty service pack text" nosp || return
    local c="$WINEPREFIX/drive_c"
    "$MP_ROOT/tests/fixtures/servicepack/make_servicepack.sh" --wine-libs "$ROAD_WINE_LIBS" \
        "$c/sp6a/i386" "$c/mp/update.ini" TAGFILE_INFO_SP
    wine_set_csd ""
    start_memory || return
    road_start
    check "service pack shown" "" "$(ui text "$ROAD_MAIN" 1002)"
    ui press "$ROAD_MAIN" 1
    local title="Please select 'NTOSKRNL' from ''..."
    check "filter without a service pack" " Tag" "$(ui combo "$title" 1136)"
    ui pick "$title" 'C:\sp6a\i386\NTOSKRNL.EXE'
    check "recognised through TAGFILE_INFO_SP" "The system will now be restarted" "$(ui box "All Done" 30000)"
    road_wait_exit 20
    physmem_stop
    wine_stop
    check "CurrentType" "Multiprocessor Free" "$(road_current_type)"
    road_end
}

# A renamed executable reads the INI of its own name and names its boxes after it.
run_renamed() {
    begin_scenario "renamed executable" renamed || return
    local c="$WINEPREFIX/drive_c"
    mv "$c/mp/update.exe" "$c/mp/MPUPD.EXE"
    mv "$c/mp/update.ini" "$c/mp/MPUPD.INI"
    printf '[TAGFILE_INFO_SPa]\r\nNTOSKRNL.EXE1=30000\r\n' >"$c/mp/update.ini" # must not be read
    mkdir -p "$c/sp5/i386"
    head -c 30000 "$c/sp6a/i386/NTOSKRNL.EXE" >"$c/sp5/i386/NTOSKRNL.EXE"
    start_memory || return
    road_start 'C:\mp\MPUPD.EXE'
    ui press "$ROAD_MAIN" 1
    ui pick "$ROAD_TITLE" 'C:\sp5\i386\NTOSKRNL.EXE'
    check "caption is the new name" "contents of folder 'C:\sp5\i386' do not appear to be 'Service Pack 6a'" \
        "$(ui box MPUPD)"
    ui pick "$ROAD_TITLE" 'C:\sp6a\i386\NTOSKRNL.EXE'
    check "listed in MPUPD.INI" "The system will now be restarted" "$(ui box "All Done" 30000)"
    road_wait_exit 20
    road_end
}

# Arguments name the scenarios to run (default: all), for example "road_free unlisted".
road_free() { run_road free no-eisa existing; }
road_rename() { run_road rename eisa no-section; }
road_lock() { run_road lock no-eisa none; }
unlisted() { run_unlisted; }
root_of_drive() { run_root_of_drive; }
empty_service_pack() { run_empty_service_pack; }
renamed() { run_renamed; }
for s in ${*:-road_free road_rename road_lock unlisted root_of_drive empty_service_pack renamed}; do
    "$s"
done

echo "upgrade: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
