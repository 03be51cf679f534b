#!/bin/bash
# Release checks: the product passes the NT 4.0 fitness checks, every check fails
# on an executable built with the fault it looks for, two builds of one commit are
# identical, and the release folder and zip hold what they should.
set -uo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

check() {   # check NAME COMMAND... : one verdict line per check
    local name=$1; shift
    if "$@" >"$work/out" 2>&1; then
        echo "ok   $name"; passed=$((passed + 1))
    else
        echo "FAIL $name"; sed 's/^/     /' "$work/out"; failed=$((failed + 1))
    fi
}

PECHECK="python3 tests/release/pecheck.py --allow tests/release/nt40-imports.txt --version 1.0.0.1"
CC=i686-w64-mingw32-g++-win32
GOOD_LINK="-Os -mwindows -static -static-libgcc -static-libstdc++ -s -Wl,--no-insert-timestamp
           -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0"

# A tiny executable with exactly one fault; the named check must fail, the rest pass.
build_tiny() {   # build_tiny OUT VERSION EXTRA_FLAGS...
    local out=$1 version=$2; shift 2
    local a b c d
    IFS=. read -r a b c d <<<"$version"
    i686-w64-mingw32-windres -DVER_A="$a" -DVER_B="$b" -DVER_C="$c" -DVER_D="$d" \
        tests/release/bad/version.rc -O coff -o "$out.res" &&
        $CC -D_WIN32_WINNT=0x0400 tests/release/bad/tiny.cpp "$out.res" -o "$out" "$@"
}

fails_only() {   # fails_only CHECK EXE : pecheck fails, and CHECK is the only FAIL line
    local want=$1 exe=$2 out
    if out=$($PECHECK "$exe"); then
        echo "$out"; echo "every check passed, but '$want' should have failed"; return 1
    fi
    echo "$out"
    [ "$(echo "$out" | awk '$1 == "FAIL" { print $2 }')" = "$want" ]
}

echo "--- the product"
check "release folder and zip are made" make --no-print-directory release
check "dist holds update.exe, update.ini and GUIDE.txt" \
    test -s dist/update.exe -a -s dist/update.ini -a -s dist/GUIDE.txt
check "the zip holds the same three files" \
    bash -c 'diff <(unzip -Z1 multiprocessor-update-1.0.0.1.zip | sort) <(printf "%s\n" GUIDE.txt update.exe update.ini)'
check "update.exe passes every NT 4.0 check" $PECHECK dist/update.exe
check "update.exe is no larger than 128 KiB" test "$(stat -c %s dist/update.exe)" -le 131072

echo "--- each check fails when it should"
# shellcheck disable=SC2086
{
    build_tiny "$work/base.exe" 1.0.0.1 $GOOD_LINK
    build_tiny "$work/import.exe" 1.0.0.1 -DUSE_NEWER_API $GOOD_LINK
    build_tiny "$work/subsys.exe" 1.0.0.1 $GOOD_LINK -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,1
    build_tiny "$work/stamp.exe" 1.0.0.1 ${GOOD_LINK/-Wl,--no-insert-timestamp/-Wl,--insert-timestamp}
    build_tiny "$work/version.exe" 1.0.0.2 $GOOD_LINK
    build_tiny "$work/dynamic.exe" 1.0.0.1 ${GOOD_LINK/-static -static-libgcc -static-libstdc++/-shared-libgcc}
} >"$work/build.log" 2>&1 || { cat "$work/build.log"; echo "FAIL building the faulty executables"; exit 1; }
check "a faultless tiny executable passes" $PECHECK "$work/base.exe"
check "an import NT 4.0 lacks fails the import check" fails_only imports "$work/import.exe"
check "subsystem version 5.1 fails the subsystem check" fails_only subsystem "$work/subsys.exe"
check "a link time stamp fails the time stamp check" fails_only timestamp "$work/stamp.exe"
check "version 1.0.0.2 fails the version check" fails_only version "$work/version.exe"
check "a runtime DLL fails the import check" fails_only imports "$work/dynamic.exe"
cp "$work/stamp.exe" "$work/stamp2.exe"; sleep 1.1
build_tiny "$work/stamp2.exe" 1.0.0.1 ${GOOD_LINK/-Wl,--no-insert-timestamp/-Wl,--insert-timestamp} >/dev/null 2>&1
check "two time-stamped links are told apart" bash -c "! tests/release/compare_builds.sh '$work/stamp.exe' '$work/stamp2.exe'"

echo "--- reproducibility"
repro() {
    local dir
    for dir in a b; do
        cmake -S . -B "$work/repro-$dir" -DCMAKE_BUILD_TYPE=MinSizeRel \
            -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake >/dev/null &&
            cmake --build "$work/repro-$dir" -j "$(nproc)" --target update >/dev/null &&
            cp "$work/repro-$dir/update.exe" "$work/repro-$dir.exe" || return 1
    done
    tests/release/compare_builds.sh "$work/repro-a.exe" "$work/repro-b.exe" &&
        tests/release/compare_builds.sh "$work/repro-a.exe" dist/update.exe
}
check "two builds of one commit in different folders are identical" repro

echo "release: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
