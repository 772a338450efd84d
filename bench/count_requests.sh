#!/bin/bash
# Wine server requests per entry of a job and of its bare loop, which load
# cannot change: each side runs under a fresh wineserver with
# WINEDEBUG=+server, at N and at 4N entries, and the difference over 3N is the
# cost of one entry (start-up and seeding cancel out).
#   bench/count_requests.sh N PROGRAM ARGS...
# runs `PROGRAM ARGS... count job|bare SIZE` in the build's prefix; the
# program seeds SIZE entries and marks the counted part (request_marks.h).
set -euo pipefail
cd "$(dirname "$0")/.."
n=$1
shift
export WINEPREFIX=$PWD/build/win/wineprefix WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" TZ=UTC
unset DISPLAY
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Requests of the marking thread and the threads it and they started, between the marks.
count() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  WINEDEBUG=+server wine "$@" >/dev/null 2>"$log"
  wineserver -w
  awk '
    { sub(/\r$/, "") }
    /^MARK / { ours[$2] = 1; counting = ($3 == "begin"); next }
    !counting || !match($0, /^[0-9a-f]+: /) { next }
    { t = substr($0, 1, RLENGTH - 2) }
    !(t in ours) { next }
    /^[0-9a-f]+: new_thread\(\) = 0 \{ tid=/ { sub(/.*tid=/, ""); sub(/,.*/, ""); ours[$0] = 1; next }
    /^[0-9a-f]+: [a-z_]+\(/ && !/\) = / { n++ }
    END { print n + 0 }' "$log"
}

printf '%-6s %10s %10s %12s\n' side "at $n" "at $((4 * n))" "per entry"
declare -A per
for side in job bare; do
  small=$(count "$@" count "$side" "$n")
  large=$(count "$@" count "$side" $((4 * n)))
  per[$side]=$(awk -v a="$small" -v b="$large" -v n="$n" 'BEGIN { printf "%.1f", (b - a) / (3 * n) }')
  printf '%-6s %10s %10s %12s\n' "$side" "$small" "$large" "${per[$side]}"
done
awk -v j="${per[job]}" -v b="${per[bare]}" 'BEGIN { printf "requests per entry, job / bare loop: %.3fx\n", j / b }'
wineserver -k 2>/dev/null || true
