#!/bin/bash
# Configures and builds one tree: host (native, sanitizers, pure code) or win (MinGW, everything).
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
host) cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null ;;
win)  cmake -S . -B build/win -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
            -DCMAKE_BUILD_TYPE=Release >/dev/null ;;
*) echo "usage: scripts/build.sh host|win" >&2; exit 2 ;;
esac
cmake --build "build/$1" -j2
