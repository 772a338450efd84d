#!/bin/bash
# Installs what is missing, builds the agent and shows it at work under Wine,
# driven by agentctl as the controller would drive it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh win >/dev/null
run() { echo "\$ agentctl $*"; build/win/wine-run build/win/bin/agentctl.exe "$@" | tr -d '\r'; echo; }
run run /BSWCLEARHISTORY
run run /BSWLOADHISTORY12a
run run /BSWCLEARTIF41-2-3
build/win/wine-run cmd.exe /c exit >/dev/null 2>&1; WINEPREFIX=$PWD/build/win/wineprefix wineserver -k || true
