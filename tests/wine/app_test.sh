#!/bin/bash
# Start-up and the update dialog, end to end under Wine with the real x86_64 update.exe:
# the operating system gate, the firmware probes on images standing in for physical
# memory, the dialog's texts, button states, placement and layout, the trace, and a
# renamed executable.
set -u
cd "$(dirname "$0")/../.." || exit 2
MP_ROOT=$PWD
export MP_WIN_BUILD=${MP_WIN_BUILD:-$MP_ROOT/build/x86_64}
. tests/wine/lib/prefix.sh
. tests/wine/lib/physmem.sh
. tests/wine/lib/ui.sh

APP=$MP_WIN_BUILD/update.exe
for f in "$APP" "$UI_DRIVER" "$PHYSMEM_HELPER"; do
    [ -f "$f" ] || { echo "missing $f (make win64)"; exit 1; }
done
wine_setup || exit 1
wine_prefix app || exit 1
cp "$APP" "$WINEPREFIX/drive_c/update.exe"

TITLE="Velmora Multi-Processor Update"
ONLY_ONE="Only one processor... no need to update"
IMAGES=$WINE_WORK/images
mkdir -p "$IMAGES"
image() { python3 tests/wine/lib/fwimage.py "$IMAGES/$1.bin" "${@:2}"; }
image two --cpus 0,1
image zero --cpus ""
image one --cpus 0 --disabled 1
image four --cpus 0,1,6,7
image badsum --bad-smbios-checksum

# The box of an abort: text, caption, icon, no owner, no update dialog beside it; OK
# closes it and the process ends.
expect_abort_box() { # LABEL TEXT CAPTION
    local label=$1
    ui wait "$3" 20000 >/dev/null || { check "$label: box \"$3\"" shown missing; ui_stop; return; }
    check "$label: box text" "$2" "$(ui wait "$3" text 0xFFFF)"
    check "$label: box icon, owner" "error none" "$(ui wait "$3" icon owner | paste -sd' ')"
    check "$label: no update dialog" 0 "$(ui exists "$TITLE")"
    ui wait "$3" click 1 >/dev/null
    ui_wait_exit
    check "$label: process ends" 0 $?
}

echo "# Operating system gate"
physmem_start "$IMAGES/two.bin" || exit 1
# Rows: label | how the version is set | expected service pack text, or "abort".
while IFS='|' read -r label how expected; do
    case $how in
        csd:*) wine_set_csd "${how#csd:}" ;;
        *) wine_set_version "$how" ;;
    esac
    ui_start gate "C:\\update.exe"
    if [ "$expected" = abort ]; then
        expect_abort_box "$label" "This utility is only for Windows NT 4.0" "Aborting"
        check "$label: no trace line" "" "$(ui_trace gate)"
    else
        check "$label: service pack line" "$expected" "$(ui wait "$TITLE" 20000 text 1002)"
        ui wait "$TITLE" click 2 >/dev/null
        ui_wait_exit
        check "$label: Cancel ends the process" 0 $?
    fi
done <<'ROWS'
Windows 2000|win2k|abort
Windows NT 3.51|nt351|abort
Windows NT 4.0 SP6a|nt40|Service Pack 6a
NT 4.0 without a service pack|csd:|
NT 4.0 SP3|csd:Service Pack 3|Service Pack 3
ROWS
wine_set_version nt40
physmem_stop

echo "# No physical memory section"
ui_start nosection "C:\\update.exe"
expect_abort_box "no section" "SMBIOS not found?" "Aborting"
check_match "no section: failure line in the trace" \
    '^ERROR: Could not open \\device\\physicalmemory!: .+' "$(ui_trace nosection | head -1)"

echo "# Processor counts"
# Rows: image | shown count | information line | Update enabled | how the dialog is closed.
while IFS='|' read -r name count info enabled closing; do
    physmem_start "$IMAGES/$name.bin" || exit 1
    ui_start "count_$name" "C:\\update.exe"
    got=$(ui wait "$TITLE" 20000 text 1003 text 1004 enabled 1 | paste -sd'|')
    check "$name: count|information|Update enabled" "$count|$info|$enabled" "$got"
    if [ "$enabled" = 0 ]; then
        # IDOK still reaching the dialog (the Enter key) does nothing.
        ui wait "$TITLE" command 1 sleep 500 >/dev/null
        check "$name: IDOK with nothing to do keeps the dialog" "1 0" "$(ui exists "$TITLE" wait "$TITLE" enabled 1 | paste -sd' ')"
    fi
    case $closing in
        cancel) ui wait "$TITLE" click 2 >/dev/null ;;
        esc) ui wait "$TITLE" key ESCAPE >/dev/null ;;
        closebox) ui wait "$TITLE" close >/dev/null ;;
    esac
    ui_wait_exit
    check "$name: closed by $closing, process ends" 0 $?
    physmem_stop
done <<ROWS
zero|0|$ONLY_ONE|0|cancel
one|1|$ONLY_ONE|0|esc
two|2||1|closebox
four|4||1|cancel
ROWS

echo "# SMBIOS entry point with a bad checksum"
physmem_start "$IMAGES/badsum.bin" || exit 1
ui_start badsum "C:\\update.exe"
check "bad checksum: the dialog opens" 2 "$(ui wait "$TITLE" 20000 text 1003)"
check "bad checksum: trace line" "ERROR: SMBIOS Entry Point checksum is incorrect!" \
    "$(ui_trace badsum | grep '^ERROR' | head -1)"
ui wait "$TITLE" click 2 >/dev/null
ui_wait_exit
physmem_stop

echo "# Placement, layout and trace of a two-processor machine"
physmem_start "$IMAGES/two.bin" || exit 1
ui_start layout "C:\\update.exe"
ui wait "$TITLE" 20000 >/dev/null
read -r _ left top right bottom < <(ui wait "$TITLE" rect | grep '^window')
read -r _ width height < <(ui wait "$TITLE" rect | grep '^screen')
check "centred horizontally" 1 $(( (left + right - width) <= 1 && (left + right - width) >= -1 ))
check "centred vertically" 1 $(( (top + bottom - height) <= 1 && (top + bottom - height) >= -1 ))
check "client area in dialog units" "320 61" "$(ui wait "$TITLE" clientdlu)"
# Rows: control | x y width height in dialog units, as the template places them.
while IFS='|' read -r id where; do
    check "control $id in dialog units" "$where" "$(ui wait "$TITLE" dlu "$id")"
done <<'ROWS'
1|260 7 50 14
2|260 23 50 14
1002|86 26 167 8
1003|86 7 167 8
1004|86 46 227 8
ROWS
check "controls in template (tab) order" \
    "1 Update|2 Cancel|-1 Sevice Pack Level :|1002 Service Pack 6a|-1 Number of Processors :|1003 2|-1 Information :|1004 " \
    "$(ui wait "$TITLE" list | awk '{ id = $1; $2 = $3 = $4 = ""; sub(/^[^ ]+ +/, ""); print id " " $0 }' | paste -sd'|')"
check "focus on Update" 1 "$(ui wait "$TITLE" focus)"
exstyle=$(ui wait "$TITLE" style 0 | cut -d' ' -f2)
check "task-bar button (WS_EX_APPWINDOW)" 1 $(( (0x$exstyle & 0x40000) != 0 ))
before=$(ui_trace layout)
check_match "trace while the dialog runs" \
    "^>> MapPhysicalMemory <<
 {7}SMBIOS Entry Point = [0-9A-F]{8} \(000F0010\)
 {3}SMBIOS Structure Table = [0-9A-F]{8} \(000F1000\)

>> MapPhysicalMemory <<$" "$before"
ui wait "$TITLE" click 2 >/dev/null
ui_wait_exit
check "trace after Cancel: the MADT's unmap line, then the SMBIOS locator's" \
    "$before
>> UnmapPhysicalMemory <<
>> UnmapPhysicalMemory <<" "$(ui_trace layout)"
physmem_stop

echo "# Help"
# The help command, which F1 raises in the dialog, reaches the framework's default help:
# the help program asks for the help file beside the executable (C:\update.HLP).
physmem_start "$IMAGES/two.bin" || exit 1
ui_start help "C:\\update.exe"
ui wait "$TITLE" 20000 >/dev/null
HELP_ASKS="Cannot find 'C:\\update.HLP'. Do you want to find this file yourself?"
if command -v xdotool >/dev/null; then
    xdotool key F1
    check "F1: the help program looks for the help file" "$HELP_ASKS" "$(ui wait ERROR 20000 text 0xFFFF)"
    ui wait ERROR click 7 gone ERROR 10000 >/dev/null
else
    echo "note: no xdotool, F1 pressed as its command only"
fi
ui wait "$TITLE" command 57670 >/dev/null
check "help command: the help program looks for the help file" "$HELP_ASKS" "$(ui wait ERROR 20000 text 0xFFFF)"
ui wait ERROR click 7 gone ERROR 10000 >/dev/null
ui wait "$TITLE" click 2 >/dev/null
ui_wait_exit
check "help: the dialog still closes" 0 $?
physmem_stop

echo "# Renamed executable"
# MPTOOL.EXE must read MPTOOL.INI, which does not list the picked kernel; UPDATE.INI
# beside it would. The not-recognised box carries the new name as its caption.
mkdir -p "$WINEPREFIX/drive_c/tools" "$WINEPREFIX/drive_c/sp"
cp "$APP" "$WINEPREFIX/drive_c/tools/MPTOOL.EXE"
head -c 4096 /dev/zero >"$WINEPREFIX/drive_c/sp/NTOSKRNL.EXE"
printf '[TAGFILE_INFO_SPa]\r\nNTOSKRNL.EXE1=4096\r\n' >"$WINEPREFIX/drive_c/tools/UPDATE.INI"
printf '[TAGFILE_INFO_SPa]\r\nNTOSKRNL.EXE1=4097\r\n' >"$WINEPREFIX/drive_c/tools/MPTOOL.INI"
physmem_start "$IMAGES/two.bin" || exit 1
ui_start renamed "C:\\tools\\MPTOOL.EXE"
ui wait "$TITLE" 20000 click 1 >/dev/null
PICK="Please select 'NTOSKRNL' from 'Service Pack 6a'..."
if ui wait "$PICK" 20000 filename 'C:\sp\NTOSKRNL.EXE' >/dev/null; then
    check "renamed: box caption is the new base name" "MPTOOL" "$(ui wait MPTOOL 20000 caption)"
    check "renamed: its own INI file decides" "contents of folder 'C:\\sp' do not appear to be 'Service Pack 6a'" \
        "$(ui wait MPTOOL text 0xFFFF)"
    ui wait MPTOOL click 1 >/dev/null
    ui wait "$PICK" 20000 command 2 >/dev/null
else
    check "renamed: file dialog" shown missing
fi
ui wait "$TITLE" 20000 click 2 >/dev/null
ui_wait_exit
check "renamed: process ends" 0 $?
physmem_stop

# The other way round, in a prefix of its own: MPTOOL.INI lists the picked kernel and
# UPDATE.INI does not, so the update runs to its end. The service pack folder holds
# copies of the prefix's own system files, so that the update leaves them as they were.
wine_prefix renamed || exit 1
SYS=$WINEPREFIX/drive_c/windows/system32
mkdir -p "$WINEPREFIX/drive_c/tools" "$WINEPREFIX/drive_c/sp"
cp "$APP" "$WINEPREFIX/drive_c/tools/MPTOOL.EXE"
cp "$SYS/hal.dll" "$WINEPREFIX/drive_c/sp/HALMPS.DLL"
cp "$SYS/ntoskrnl.exe" "$WINEPREFIX/drive_c/sp/NTKRNLMP.EXE"
cp "$SYS/ntoskrnl.exe" "$WINEPREFIX/drive_c/sp/NTOSKRNL.EXE"
cp "$SYS/ntdll.dll" "$WINEPREFIX/drive_c/sp/NTDLL.DLL"
cp "$SYS/kernel32.dll" "$WINEPREFIX/drive_c/sp/KERNEL32.DLL"
printf 'winsrv' >"$WINEPREFIX/drive_c/sp/WINSRV.DLL"
printf 'win32k' >"$WINEPREFIX/drive_c/sp/WIN32K.SYS"
size=$(stat -c %s "$SYS/ntoskrnl.exe")
printf '[TAGFILE_INFO_SPa]\r\nNTOSKRNL.EXE1=%d\r\n' $((size + 1)) >"$WINEPREFIX/drive_c/tools/UPDATE.INI"
printf '[TAGFILE_INFO_SPa]\r\nNTOSKRNL.EXE1=%d\r\n' "$size" >"$WINEPREFIX/drive_c/tools/MPTOOL.INI"
physmem_start "$IMAGES/two.bin" || exit 1
ui_start renamed_ok "C:\\tools\\MPTOOL.EXE"
ui wait "$TITLE" 20000 click 1 >/dev/null
ui wait "$PICK" 20000 filename 'C:\sp\NTOSKRNL.EXE' >/dev/null
check "renamed: MPTOOL.INI recognises the kernel, the update runs to its end" \
    "The system will now be restarted" "$(ui wait "All Done" 60000 text 0xFFFF)"
ui wait "All Done" click 1 >/dev/null
ui_wait_exit 30
check "renamed: the restart ends the process" 0 $?
physmem_stop

ui_summary
