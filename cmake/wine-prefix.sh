#!/bin/bash
# Creates (once, under a lock) and warms up a quiet, headless Wine prefix.
#   wine-prefix.sh ensure   create if missing, keep a server up
#   wine-prefix.sh stop     end the prefix's server, unless a program still runs in it
# WINEPREFIX and the other Wine variables come from wine-run.
set -u
: "${WINEPREFIX:?}"
REG='C:\windows\system32\reg.exe'   # never plain `reg`: wine prefers a reg.exe in the current folder

case "${1:-ensure}" in
stop)
  # The test suite, the demo and the benchmarks share the prefix, and ending
  # the server kills every program in it. Every wine-run holds a shared lock
  # on $WINEPREFIX.users while its program runs: stop only when nobody does.
  # Otherwise the server ends by itself a minute after its last program.
  [ -d "$WINEPREFIX" ] || exit 0
  exec 8>"$WINEPREFIX.users"
  flock -n -x 8 && wineserver -k 2>/dev/null
  exit 0 ;;
ensure) ;;
*) echo "usage: wine-prefix.sh ensure|stop" >&2; exit 2 ;;
esac

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.bpriv-ready" ]; then
  rm -rf "$WINEPREFIX"
  {
    wineboot -i && wineserver -w &&
    wine "$REG" add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f &&
    wine "$REG" add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f &&
    # A crash ends the program with its code at once, not in a debugger that waits.
    wine "$REG" add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f &&
    wineserver -w
  } >"$WINEPREFIX.log" 2>&1 || { echo "wine prefix set-up failed, see $WINEPREFIX.log" >&2; exit 1; }
  touch "$WINEPREFIX/.bpriv-ready"
fi
# One server for the whole test run; it ends itself a while after the last client.
# When it is new, start Wine's own background processes with nothing open:
# they outlive the caller and would hold its output pipe until the server ends.
# The warm-up also settles the first window after a cold start.
if wineserver -p60 </dev/null >/dev/null 2>&1 9>&-; then
  wine 'C:\windows\system32\cmd.exe' /c exit </dev/null >/dev/null 2>&1 9>&-
fi
flock -u 9
