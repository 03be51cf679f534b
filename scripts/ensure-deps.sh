#!/bin/sh
# Installs whatever a build or test step needs and the machine lacks.
# Usage: scripts/ensure-deps.sh GROUP...   (groups: native fuzz bench cross wine release)
set -eu

packages_for() {
    case "$1" in
        native)  echo "cmake make g++ libgtest-dev libgmock-dev" ;;
        fuzz)    echo "clang libclang-rt-14-dev" ;;
        bench)   echo "libbenchmark-dev" ;;
        cross)   echo "g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64" ;;
        wine)    echo "wine64 xvfb imagemagick x11-utils xdotool" ;;
        release) echo "zip python3" ;;
        *) echo "unknown dependency group: $1" >&2; exit 2 ;;
    esac
}

missing=""
for group in "$@"; do
    for pkg in $(packages_for "$group"); do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $pkg"
        fi
    done
done

[ -z "$missing" ] && exit 0
echo "installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q </dev/null >/dev/null
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing </dev/null
