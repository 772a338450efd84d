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

# A history listing, with agentctl as the controller. Wine reports Windows 6.1,
# whose URL history store it leaves empty; told to report Windows 10 it makes
# the agent walk the History folder, which gets a few items here first.
REG='C:\windows\system32\reg.exe'
wreg() { build/win/wine-run "$REG" "$@" >/dev/null 2>&1; }
history=$(build/win/wine-run cmd.exe /c 'echo %LOCALAPPDATA%' | tr -d '\r')\\Microsoft\\Windows\\History
hist_unix=$(WINEPREFIX=$PWD/build/win/wineprefix winepath -u "$history" 2>/dev/null)
cp build/win/bin/agentctl.exe build/win/bin/demoBSweepRun.exe
ctl() { echo "\$ demoBSweepRun $*"; build/win/wine-run build/win/bin/demoBSweepRun.exe "$@" | tr -d '\r'; echo; }
ctl list                                   # Windows 6.1: the store walk
if [ -n "$hist_unix" ] && [ -z "$(ls -A "$hist_unix" 2>/dev/null)" ]; then
  mkdir -p "$hist_unix/Today/example.com" "$hist_unix/Last Week"
  touch "$hist_unix/Today/example.com/Example Domain" "$hist_unix/Today/news.example.org"
  wreg add 'HKCU\Software\Wine\AppDefaults\BPrivSvc.exe' /v Version /d win10 /f
  ctl list                                 # Windows 10: the History folder, three levels deep
  ctl list --stop-after 3                  # the controller stops after the third record
  wreg delete 'HKCU\Software\Wine\AppDefaults\BPrivSvc.exe' /f
  rm -rf "$hist_unix/Today" "$hist_unix/Last Week"
fi

# The URL cache: agentctl seeds temporary files and cookies, the controller lists
# them, the cookie export file is shown, and a favourite list is resolved.
run seed --clear --tif http://www.example.com/index.html 1200 --tif http://www.example.com/logo.png 48000 \
    --nofile http://www.example.com/redirect --cookie user@example.com/ --cookie user@news.example.org/ \
    --names CFL458392 "user@news.example.org/,user@nowhere.example/,user@example.com/"
ctl list --job tif --number 4711
data=$(build/win/wine-run cmd.exe /c 'echo %USERPROFILE%' | tr -d '\r')\\AppData\\LocalLow\\Brightsweep
data_unix=$(WINEPREFIX=$PWD/build/win/wineprefix winepath -u "$data" 2>/dev/null)
rm -f "$data_unix/4711Cookies" "$data_unix/CFL458391"
ctl list --job cookies --number 4711
echo "\$ cat 4711Cookies   (UTF-16LE)"; iconv -f UTF-16LE -t UTF-8 "$data_unix/4711Cookies" | tr -d '\r'; echo
run run /BSWGETFAVLIST
echo "\$ cat CFL458391   (UTF-16LE; the favourite that is not cached is left out)"
iconv -f UTF-16LE -t UTF-8 "$data_unix/CFL458391" | tr -d '\r'; echo
run seed --clear
rm -f "$data_unix/4711Cookies" "$data_unix/CFL458391" "$data_unix/CFL458392"
rm -f build/win/bin/demoBSweepRun.exe
WINEPREFIX=$PWD/build/win/wineprefix cmake/wine-prefix.sh stop
# Walking the cache makes Wine create the history container's files in the
# History folder; the history tests expect that folder empty.
if [ -n "${hist_unix:-}" ]; then rm -rf "$hist_unix/History.IE5"; fi
