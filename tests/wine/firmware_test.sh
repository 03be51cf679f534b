#!/bin/bash
# Firmware locators through the real native API under Wine.
#
# For each scenario image, physmem_helper provides "\Device\PhysicalMemory" and
# fwprobe_win.exe (the product's firmware code, x86_64) probes it as start-up does; its
# output must equal fwprobe's on the same image byte for byte, apart from the view
# addresses (masked) and the C runtime's text-mode line ends (CRLF on Windows). Then,
# with no section at all, the failure trace must have its fixed shape around Wine's own
# system texts.
set -u
cd "$(dirname "$0")" || exit 2
source lib/prefix.sh
source lib/physmem.sh

WIN_BUILD=${MP_WIN_BUILD:-$MP_ROOT/build/x86_64}
PROBE=$WIN_BUILD/tests/wine/fwprobe_win.exe
FWPROBE=${MP_NATIVE_BUILD:-$MP_ROOT/build/native}/fwprobe
[ -f "$PROBE" ] || { echo "missing $PROBE (make win64)"; exit 1; }
if [ ! -x "$FWPROBE" ]; then
    make -C "$MP_ROOT" --no-print-directory native >/dev/null || exit 1
fi

wine_setup || exit 1
wine_prefix firmware || exit 1
MKIMAGE=$WINE_WORK/make_image
g++ -std=c++17 -O1 -I "$MP_ROOT/tests/native" "$MP_ROOT/tests/fixtures/firmware/make_image.cpp" -o "$MKIMAGE" ||
    exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Replaces the view address of the two address lines by VIEW.
mask_views() { sed -E 's/^( *SMBIOS (Entry Point|Structure Table) = )[0-9A-F]{8,16} \(/\1VIEW (/'; }

# Checks that the two view addresses lie as far apart as the two physical addresses.
views_consistent() {
    local lines
    lines=$(tr -d '\r' <"$1" | sed -nE 's/^ *SMBIOS (Entry Point|Structure Table) = ([0-9A-F]+) \(([0-9A-F]{8})\)$/\2 \3/p')
    [ -z "$lines" ] && return 0
    set -- $lines
    [ $# -eq 4 ] && [ $((0x$3 - 0x$1)) -eq $((0x$4 - 0x$2)) ]
}

for scenario in two four-second-window bad-checksums no-smbios no-madt; do
    image=$WINE_WORK/$scenario.bin
    "$MKIMAGE" "$scenario" "$image" || { fail "$scenario: no image"; continue; }
    "$FWPROBE" "$image" >"$WINE_WORK/$scenario.native"
    native_rc=$?
    mask_views <"$WINE_WORK/$scenario.native" | sed 's/$/\r/' >"$WINE_WORK/$scenario.expected"

    physmem_start "$image" || { fail "$scenario: no section"; continue; }
    "$W" "$PROBE" </dev/null >"$WINE_WORK/$scenario.wine" 2>"$WINE_WORK/$scenario.err"
    wine_rc=$?
    physmem_stop

    mask_views <"$WINE_WORK/$scenario.wine" >"$WINE_WORK/$scenario.got"
    if ! cmp -s "$WINE_WORK/$scenario.expected" "$WINE_WORK/$scenario.got"; then
        fail "$scenario: trace differs from fwprobe's"
        diff <(cat -A "$WINE_WORK/$scenario.expected") <(cat -A "$WINE_WORK/$scenario.got") | head -20
    fi
    [ "$wine_rc" -eq "$native_rc" ] || fail "$scenario: exit status $wine_rc, fwprobe's $native_rc"
    views_consistent "$WINE_WORK/$scenario.wine" || fail "$scenario: view addresses do not match the physical ones"
    echo "ok: $scenario ($(tr -d '\r' <"$WINE_WORK/$scenario.native" | grep -E '^(Processor count|SMBIOS not)'))"
done

# No section: the open fails, the map writes only its marker, start-up would stop, and
# the teardown's unmap of the null view fails. The system texts are Wine's own.
"$W" "$PROBE" </dev/null >"$WINE_WORK/none.wine" 2>/dev/null
rc=$?
[ "$rc" -eq 1 ] || fail "no section: exit status $rc"
tr -d '\r' <"$WINE_WORK/none.wine" |
    sed -E 's/^(ERROR: Could not open \\device\\physicalmemory!: |ERROR: Unable to unmap view!: ).+$/\1TEXT/' |
    grep -v '^$' >"$WINE_WORK/none.got"
printf '%s\n' 'ERROR: Could not open \device\physicalmemory!: TEXT' '>> MapPhysicalMemory <<' 'SMBIOS not found?' \
    '>> UnmapPhysicalMemory <<' 'ERROR: Unable to unmap view!: TEXT' >"$WINE_WORK/none.expected"
if cmp -s "$WINE_WORK/none.expected" "$WINE_WORK/none.got"; then
    echo "ok: no section"
else
    fail "no section: unexpected trace"
    cat -A "$WINE_WORK/none.wine"
fi

[ "$failures" -eq 0 ] && echo "firmware: all passed"
[ "$failures" -eq 0 ]
