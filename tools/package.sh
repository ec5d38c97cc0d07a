#!/usr/bin/env bash
# Builds the Debian package (velmora_<version>_<architecture>.deb) with CPack and prints
# its path.
#
#   tools/package.sh               builds what the package holds in build/, then packages it
#   tools/package.sh --build DIR   packages this finished build folder as it is
set -euo pipefail
cd "$(dirname "$0")/.."

fail() { echo "package: $*" >&2; exit 2; }

build=""
while [ $# -gt 0 ]; do
    case "$1" in
        --build) [ $# -ge 2 ] || fail "--build needs a folder"; build="$2"; shift 2 ;;
        -h|--help) sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) fail "unknown argument $1 (see --help)" ;;
    esac
done

if [ -z "$build" ]; then
    build=build
    tools/setup.sh
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" -j2 --target velmora_installable
elif [ ! -f "$build/CPackConfig.cmake" ]; then
    fail "no build folder at $build (build it first, or leave out --build)"
fi

build=$(cd "$build" && pwd)
cpack --config "$build/CPackConfig.cmake" -B "$build" > /dev/null
ls "$build"/velmora_*.deb
