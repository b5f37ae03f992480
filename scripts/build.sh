#!/usr/bin/env bash
# Configures and builds Deckshift in build/ with the CMake preset "release" (Release, warnings as
# errors, windows, tests and benchmarks on).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j"${DECKSHIFT_JOBS:-$(nproc)}"
