#!/bin/bash
# Builds the Windows tree and runs the link benchmark under Wine.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/build.sh win >/dev/null
build/win/wine-run build/win/bin/link_bench.exe "$@" | tr -d '\r'
WINEPREFIX=$PWD/build/win/wineprefix cmake/wine-prefix.sh stop
