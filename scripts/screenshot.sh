#!/bin/bash
# Regenerates docs/progress-dialog.png: the real progress dialog in the middle
# of a wipe, drawn by Wine's X11 driver on Xvfb. The dialog runs in
# progress_demo over a made-up worker (no files are touched), inside a Wine
# virtual desktop so that the caption and the taskbar are drawn too.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh win >/dev/null

export WINEPREFIX=$PWD/build/shot/wineprefix WINEARCH=win64 WINEDEBUG=-all \
       WINEDLLOVERRIDES="mscoree,mshtml=" TZ=UTC
REG='C:\windows\system32\reg.exe'
# A prefix of its own: the test prefix uses the null display driver.
if [ ! -f "$WINEPREFIX/.bpriv-ready" ]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  { DISPLAY= wineboot -i && wineserver -w &&
    DISPLAY= wine "$REG" add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f &&
    wineserver -w; } >"$WINEPREFIX.log" 2>&1
  touch "$WINEPREFIX/.bpriv-ready"
fi

out=$PWD/docs/progress-dialog.png
demo=$PWD/build/win/bin/progress_demo.exe
xvfb-run -a -s "-screen 0 640x400x24" bash -c '
  wine explorer /desktop=bsweep,640x400 "$1" 0 600 250 >/dev/null 2>&1 &
  sleep "${SHOT_DELAY:-8}"
  import -window root "$2"
  wineserver -k
' shot "$demo" "$out"
wineserver -k 2>/dev/null || true
echo "$out"
