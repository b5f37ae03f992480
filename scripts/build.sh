#!/usr/bin/env bash
# Configures and builds Deckshift in build/ (Release, warnings as errors, windows and tests on).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DDECKSHIFT_WERROR=ON \
      -DDECKSHIFT_BUILD_TESTS=ON -DDECKSHIFT_BUILD_UI=ON -DDECKSHIFT_BUILD_BENCH=ON >/dev/null
cmake --build build -j"$(nproc)"
