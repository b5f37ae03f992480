#!/usr/bin/env bash
# Builds the core, the command line and every core test with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs the tests there. Any finding fails the run.
# Uses the project's compiler (GCC), whose sanitizer runtimes come with it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs="${DECKSHIFT_JOBS:-$(nproc)}"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DDECKSHIFT_SANITIZE=ON -DDECKSHIFT_BUILD_UI=OFF -DDECKSHIFT_BUILD_TESTS=ON \
      -DDECKSHIFT_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="exitcode=23"
ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 900
