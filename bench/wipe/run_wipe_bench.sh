#!/bin/bash
# Runs the wipe engine's benchmarks and prints each ratio measured side by
# side in the same run:
#   FillRandom vs memset         (host tree with Google Benchmark, and Wine)
#   WipeFile vs dd               (one zero and one random pass over 256 MiB)
#   small-file wipe and scramble vs a bare loop of the same calls
# Usage: bench/wipe/run_wipe_bench.sh [small-file count, default 2000]
# Needs the win tree built (scripts/build.sh win) and libbenchmark-dev.
set -euo pipefail
cd "$(dirname "$0")/../.."
COUNT="${1:-2000}"
RUN=build/win/wine-run
BENCH='build/win/bin/wipe_bench_win.exe'

echo "== FillRandom vs memset, host"
# The host tree is built with sanitizers; time an optimised build instead.
mkdir -p build/bench-wipe
g++ -std=c++17 -O2 -DNDEBUG -Isrc bench/wipe/fill_random_bench.cpp src/wipe/random.cpp \
    src/wipe/random_lanes.cpp -lbenchmark -lpthread -o build/bench-wipe/fill_random_bench
build/bench-wipe/fill_random_bench 2>/dev/null | grep -E '^BM_'

echo "== FillRandom vs memset, Wine"
"$RUN" "$BENCH" fill

echo "== WipeFile vs dd over 256 MiB"
DRIVE_C=build/win/wineprefix/drive_c
FILE="$DRIVE_C/wipe_bench.bin"
trap 'rm -f "$FILE"' EXIT
dd if=/dev/zero of="$FILE" bs=1M count=256 status=none
# dd's best of three, as the wiper's times are best of three too.
best_dd=""
for _ in 1 2 3; do
  start=$(date +%s.%N)
  dd if=/dev/zero of="$FILE" bs=128k count=2048 conv=notrunc,fsync status=none
  t=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {print b - a}')
  best_dd=$(awk -v t="$t" -v b="${best_dd:-1e30}" 'BEGIN {print (t < b) ? t : b}')
done
out=$("$RUN" "$BENCH" file 'C:\wipe_bench.bin')
echo "$out"
zero=$(echo "$out" | awk '/^zero_pass_seconds/ {print $2}')
random=$(echo "$out" | awk '/^random_pass_seconds/ {print $2}')
awk -v d="$best_dd" -v z="$zero" -v r="$random" \
  'BEGIN {printf "dd %.4f s; zero pass %.3fx dd, random pass %.3fx dd\n", d, z / d, r / d}'
rm -f "$FILE"

echo "== small files: wipe, 26 names, delete vs bare loop"
"$RUN" "$BENCH" small 'C:\wipe_bench_small' "$COUNT"
