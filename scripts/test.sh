#!/usr/bin/env bash
# What CI runs: installs what is missing, builds, and runs every test, step by step. Every step
# runs even when one before it failed (except those that need a build that failed), and the run
# ends with one line for the whole of it: "N passed, N failed", steps counted. Exits non-zero when
# any step failed.
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
passed=0 failed=0
results=()
run_step() { # run_step NAME COMMAND...
    local name=$1 start=$SECONDS status=0
    shift
    printf '\n======== %s ========\n' "$name"
    "$@" || status=$?
    if [[ $status -eq 0 ]]; then
        passed=$((passed + 1))
        results+=("passed  $name ($((SECONDS - start)) s)")
    else
        failed=$((failed + 1))
        results+=("FAILED  $name ($((SECONDS - start)) s, exit status $status)")
    fi
    return "$status"
}
skip_step() { # skip_step NAME REASON: a step that cannot run counts as failed
    printf '\n======== %s ========\nskipped: %s\n' "$1" "$2"
    failed=$((failed + 1))
    results+=("FAILED  $1 (not run: $2)")
}

if ! run_step "Installing the build and test packages" scripts/install-deps.sh; then
    echo "Cannot go on without the packages." >&2
    exit 1
fi
run_step "Formatting of the C++ sources (scripts/format.sh)" scripts/format.sh
if run_step "Building build/ (preset release)" scripts/build.sh; then
    run_step "Tests of build/ (ctest)" ctest --preset release -j"$jobs"
    run_step "Debian package: build, install, run, purge (scripts/package.sh)" scripts/package.sh
else
    skip_step "Tests of build/ (ctest)" "the build failed"
    skip_step "Debian package: build, install, run, purge (scripts/package.sh)" "the build failed"
fi
run_step "Sanitizers: build-asan/ (scripts/sanitize.sh)" scripts/sanitize.sh
run_step "Fuzzing: build-fuzz/ (scripts/fuzz.sh)" scripts/fuzz.sh
run_step "Windows: build-win/ under Wine, installer (scripts/windows.sh)" scripts/windows.sh

printf '\n======== Summary (%s s) ========\n' "$SECONDS"
printf '%s\n' "${results[@]}"
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
