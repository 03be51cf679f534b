# Physical memory stand-in for Wine tests. Source it after prefix.sh, once wine_setup
# has run and a prefix is current (wine_prefix NAME):
#
#   physmem_start IMAGE [--base ADDRESS] [--eisa]
#       Starts physmem_helper.exe in the current prefix. It creates the section
#       "\Device\PhysicalMemory" (1 MiB) holding IMAGE at physical ADDRESS (default
#       0xE0000, so a 128 KiB image covers 0xE0000-0xFFFFF). With --eisa it also creates
#       the volatile key HKLM\Hardware\Description\System\EisaAdapter\0, which exists
#       only while the helper runs. Returns once the section exists (non-zero, with the
#       helper's messages on stderr, when it could not be created). IMAGE is a Unix path.
#       One helper per prefix at a time.
#   physmem_stop
#       Ends the helper (closes its standard input) and waits for it; the section and
#       the key go with it. Safe to call when no helper runs. wine_cleanup also ends it.
#
# Variables: PHYSMEM_HELPER (the helper's path; default build/x86_64/tests/wine/
# physmem_helper.exe, or $MP_WIN_BUILD/tests/wine/physmem_helper.exe), PHYSMEM_PID (the
# running helper, empty when none). Uses W, WINE_WORK and WINEPREFIX from prefix.sh.

PHYSMEM_HELPER=${PHYSMEM_HELPER:-${MP_WIN_BUILD:-$MP_ROOT/build/x86_64}/tests/wine/physmem_helper.exe}
PHYSMEM_PID=""

physmem_start() {
    local image=$1; shift
    [ -n "$PHYSMEM_PID" ] && { echo "physmem_start: a helper is already running" >&2; return 1; }
    [ -f "$image" ] || { echo "physmem_start: no image $image" >&2; return 1; }
    [ -f "$PHYSMEM_HELPER" ] || { echo "physmem_start: $PHYSMEM_HELPER not built (make win64)" >&2; return 1; }
    local abs dospath
    abs=$(cd "$(dirname "$image")" && pwd)/$(basename "$image")
    dospath="Z:$(printf '%s' "$abs" | sed 's#/#\\#g')"
    wine_daemon_start PHYSMEM "$PHYSMEM_HELPER" "$@" "$dospath"
}

physmem_stop() { wine_daemon_stop PHYSMEM; }
