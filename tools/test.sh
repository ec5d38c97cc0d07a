#!/usr/bin/env bash
# Clone to green tests: installs what is missing, builds everything, runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2
ctest --test-dir build -j2 --output-on-failure
