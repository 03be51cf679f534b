#!/bin/bash
# The demo: update.exe on the embedded default machine under Wine.
#
# The machine: Windows NT 4.0 Service Pack 6a, firmware with an SMBIOS entry point and
# an ACPI MADT listing two enabled processors, no EISA bus. The program runs on the
# person's display when MP_USE_DISPLAY=1 and DISPLAY is set, otherwise on a private
# Xvfb. The demo shows the update dialog, saves a screenshot of the screen
# (build/demo/update-dialog.png) and of the dialog alone (build/demo/update-dialog-
# window.png), closes the dialog with Cancel and prints the program's trace.
#
# Steps are functions, so that a longer demo can run more of the program between
# demo_show_dialog and demo_finish.
set -u
cd "$(dirname "$0")/.." || exit 2
MP_ROOT=$PWD
export MP_WIN_BUILD=${MP_WIN_BUILD:-$MP_ROOT/build/x86_64}
. tests/wine/lib/prefix.sh
. tests/wine/lib/physmem.sh
. tests/wine/lib/ui.sh

DEMO_OUT=$MP_ROOT/build/demo
TITLE="Velmora Multi-Processor Update"

# The prefix, the firmware image in physical memory, and the program beside its tag file.
demo_start_machine() {
    local f
    for f in "$MP_WIN_BUILD/update.exe" "$UI_DRIVER" "$PHYSMEM_HELPER"; do
        [ -f "$f" ] || { echo "demo: missing $f (make win64)" >&2; return 1; }
    done
    mkdir -p "$DEMO_OUT"
    wine_setup || return 1
    echo "demo: preparing a Windows NT 4.0 SP6a prefix (the first run takes a minute)"
    wine_prefix demo || return 1
    wine_set_version nt40
    python3 tests/wine/lib/fwimage.py "$WINE_WORK/machine.bin" --cpus 0,1 || return 1
    physmem_start "$WINE_WORK/machine.bin" || return 1 # without --eisa: no EISA bus
    mkdir -p "$WINEPREFIX/drive_c/mpupdate"
    cp "$MP_WIN_BUILD/update.exe" "$WINEPREFIX/drive_c/mpupdate/update.exe"
}

# Starts the program and waits for its dialog; prints what the dialog shows.
demo_show_dialog() {
    ui_start demo 'C:\mpupdate\update.exe'
    ui wait "$TITLE" 30000 >/dev/null || { echo "demo: the update dialog did not appear" >&2; return 1; }
    sleep 0.5 # let it paint
    echo "demo: the update dialog shows"
    ui wait "$TITLE" list | awk '$1 != 1 && $1 != 2' | cut -d' ' -f5- | paste -d' ' - - | sed 's/^/    /'
    demo_screenshot
}

# The whole screen, and the dialog cut out of it.
demo_screenshot() {
    local left top right bottom
    import -display "$DISPLAY" -window root "$DEMO_OUT/update-dialog.png" || return 1
    read -r _ left top right bottom < <(ui wait "$TITLE" rect | grep '^window')
    convert "$DEMO_OUT/update-dialog.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
        "$DEMO_OUT/update-dialog-window.png" || return 1
    echo "demo: screenshots in $DEMO_OUT/update-dialog.png and update-dialog-window.png"
}

# Cancel, the end of the process, and the trace it wrote.
demo_finish() {
    ui wait "$TITLE" click 2 >/dev/null
    ui_wait_exit 30
    local status=$?
    echo "demo: the program ended (exit status $status); its trace:"
    ui_trace demo | sed 's/^/    /'
    physmem_stop
    return $status
}

demo_start_machine && demo_show_dialog && demo_finish
