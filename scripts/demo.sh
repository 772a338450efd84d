#!/bin/bash
# Installs what is missing, builds the agent and shows it at work under Wine,
# driven by agentctl as the controller would drive it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh win >/dev/null
run() { echo "\$ agentctl $*"; build/win/wine-run build/win/bin/agentctl.exe "$@" | tr -d '\r'; echo; }
cp build/win/bin/agentctl.exe build/win/bin/demoBSweepRun.exe
ctl() { echo "\$ demoBSweepRun $*"; build/win/wine-run build/win/bin/demoBSweepRun.exe "$@" | tr -d '\r'; echo; }

# The agent's main job: cleaning. agentctl seeds the cache with temporary files
# and cookies and writes the favourite-cookie list; the cache is listed, the
# cookies are wiped (DoD 5220.22-M, 3 passes; over before the dialog's first
# tick), then the temporary files (Gutmann, 35 passes) while agentctl follows
# the progress dialog; the cache listed again holds only the favourite cookie.
run seed --clear --tif http://www.example.com/index.html 1200 --tif http://www.example.com/video.mp4 30000000 \
    --nofile http://www.example.com/redirect --cookie user@example.com/ --cookie user@ads.example.net/ \
    --names LowFavCookies1 "USER@EXAMPLE.COM/"
ctl list --job tif --number 4711
ctl list --job cookies --number 4712
run clean /BSWCLEARCOOKIES01-2-0
run clean /BSWCLEARTIF01-4-0
ctl list --job tif --number 4711
ctl list --job cookies --number 4712
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

# Favourite cookies across a clean: the controller names its favourites, the
# agent saves them, a cookie clean told of no favourite wipes every cookie, and
# the restore brings the favourites back.
run seed --clear --cookie fav@example.com/ --cookie fav@news.example.org/ --cookie other@ads.example.net/ \
    --names LowFavCookies1 "fav@example.com/,fav@news.example.org/"
rm -f "$data_unix"/471[234]Cookies
ctl list --job cookies --number 4712
run run /BSWSAVECOOKIES
echo "\$ ls -l SavedLowFavCookies1"; stat -c '%s bytes' "$data_unix/SavedLowFavCookies1"; echo
rm -f "$data_unix/LowFavCookies1"
run clean /BSWCLEARCOOKIES01-0-0
ctl list --job cookies --number 4713       # the clean left no cookie
run run /BSWRESTORECOOKIES
ctl list --job cookies --number 4714       # the favourites are back, the other cookie is not
echo "\$ ls SavedLowFavCookies1   (wiped and deleted by the restore)"
if [ -e "$data_unix/SavedLowFavCookies1" ]; then echo "still there"; else echo "no such file"; fi; echo
rm -f "$data_unix"/471[234]Cookies "$data_unix/LowFavCookies1"
run seed --clear
rm -f "$data_unix/4711Cookies" "$data_unix/4712Cookies" "$data_unix/CFL458391" "$data_unix/CFL458392" \
      "$data_unix/LowFavCookies1"
rm -f build/win/bin/demoBSweepRun.exe
WINEPREFIX=$PWD/build/win/wineprefix cmake/wine-prefix.sh stop
# Walking the cache makes Wine create the history container's files in the
# History folder; the history tests expect that folder empty.
if [ -n "${hist_unix:-}" ]; then rm -rf "$hist_unix/History.IE5"; fi
