#!/bin/bash
# Installs what is missing, builds both trees and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh host
scripts/build.sh win
(cd build/host && ctest --output-on-failure -j2)
(cd build/win && ctest --output-on-failure)
scripts/fuzz.sh 10000   # smoke pass of every fuzz target
