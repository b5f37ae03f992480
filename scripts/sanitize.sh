#!/usr/bin/env bash
# Builds the core, the command line and every core test with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs the tests there. Any finding fails the run.
# Uses the project's compiler (GCC), whose sanitizer runtimes come with it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs="${DECKSHIFT_JOBS:-$(nproc)}"
# The CMake preset "asan" holds the options; its test preset sets the sanitizers' options.
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"
