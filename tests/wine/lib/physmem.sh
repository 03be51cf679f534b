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
PHYSMEM_FD=""

physmem_start() {
    local image=$1; shift
    [ -n "$PHYSMEM_PID" ] && { echo "physmem_start: a helper is already running" >&2; return 1; }
    [ -f "$image" ] || { echo "physmem_start: no image $image" >&2; return 1; }
    [ -f "$PHYSMEM_HELPER" ] || { echo "physmem_start: $PHYSMEM_HELPER not built (make win64)" >&2; return 1; }
    local abs dospath dir
    abs=$(cd "$(dirname "$image")" && pwd)/$(basename "$image")
    dospath="Z:$(printf '%s' "$abs" | sed 's#/#\\#g')"
    dir=$(mktemp -d "$WINE_WORK/physmem.XXXXXX")
    mkfifo "$dir/ctl"
    # The write end stays in this shell only: the helper sees EOF when physmem_stop closes it.
    exec {PHYSMEM_FD}<>"$dir/ctl"
    "$W" "$PHYSMEM_HELPER" "$@" "$dospath" <"$dir/ctl" >"$dir/out" 2>"$dir/err" {PHYSMEM_FD}>&- &
    PHYSMEM_PID=$!
    local i=0
    until grep -q READY "$dir/out" 2>/dev/null; do
        if ! kill -0 "$PHYSMEM_PID" 2>/dev/null || [ $i -gt 600 ]; then
            echo "physmem_start: helper did not get ready" >&2
            cat "$dir/err" >&2
            physmem_stop
            return 1
        fi
        sleep 0.05; i=$((i + 1))
    done
}

physmem_stop() {
    [ -n "$PHYSMEM_FD" ] && exec {PHYSMEM_FD}>&-
    PHYSMEM_FD=""
    if [ -n "$PHYSMEM_PID" ]; then
        local i=0
        while kill -0 "$PHYSMEM_PID" 2>/dev/null && [ $i -lt 200 ]; do sleep 0.05; i=$((i + 1)); done
        kill -TERM "$PHYSMEM_PID" 2>/dev/null
        wait "$PHYSMEM_PID" 2>/dev/null
    fi
    PHYSMEM_PID=""
    return 0
}
