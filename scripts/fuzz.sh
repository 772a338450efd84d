#!/bin/bash
# Builds the fuzz tree (clang, libFuzzer, ASan + UBSan) and runs every target
# for RUNS inputs (default 1000000), starting from its committed seeds.
# New inputs go to build/fuzz/corpus; a finding leaves its input in build/fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1000000}
cmake -S . -B build/fuzz -G Ninja -DBPRIV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build build/fuzz -j2 >/dev/null
mkdir -p build/fuzz/findings
status=0
for exe in build/fuzz/fuzz_*; do
  name=${exe#build/fuzz/fuzz_}
  mkdir -p "build/fuzz/corpus/$name"
  dict=(); [ -f "tests/fuzz/$name.dict" ] && dict=("-dict=tests/fuzz/$name.dict")
  start=$SECONDS
  if "$exe" -runs="$runs" "${dict[@]}" -artifact_prefix="build/fuzz/findings/$name-" -print_final_stats=1 \
       "build/fuzz/corpus/$name" "tests/fuzz/corpus/$name" >"build/fuzz/$name.log" 2>&1; then
    echo "fuzz $name: $(sed -n 's/^stat::number_of_executed_units: *//p' "build/fuzz/$name.log") runs," \
         "$(sed -n 's/^stat::new_units_added: *//p' "build/fuzz/$name.log") new inputs, $((SECONDS - start)) s, no finding"
  else
    echo "fuzz $name: FINDING, see build/fuzz/$name.log"; tail -30 "build/fuzz/$name.log"; status=1
  fi
done
exit $status
