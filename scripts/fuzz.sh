#!/usr/bin/env bash
# Builds the libFuzzer targets with Clang 14 in build-fuzz/ and runs each for a bounded time,
# starting from its seed corpus. Any crash, leak or sanitizer finding fails the run and leaves the
# input as build-fuzz/artifacts/<target>/crash-*.
#   DECKSHIFT_FUZZ_SECONDS   seconds per target (default 20); set it higher for runs by hand
#   DECKSHIFT_FUZZ_TARGETS   the targets to run (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang-14 libclang-rt-14-dev
jobs="${DECKSHIFT_JOBS:-$(nproc)}"
seconds="${DECKSHIFT_FUZZ_SECONDS:-20}"
targets=(${DECKSHIFT_FUZZ_TARGETS:-fuzz_group_ini fuzz_vrm_media fuzz_m3u fuzz_group_list fuzz_wine_reg fuzz_convert fuzz_export})

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs" --target "${targets[@]}"

# The update syncs the group list to disk; a memory file system keeps that from slowing the runs.
[[ -z "${TMPDIR:-}" && -d /dev/shm && -w /dev/shm ]] && export TMPDIR=/dev/shm
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
status=0
for t in "${targets[@]}"; do
    # New inputs go to a scratch corpus; the committed seeds stay as they are.
    work="build-fuzz/corpus/$t"
    artifacts="build-fuzz/artifacts/$t/"
    mkdir -p "$work" "$artifacts"
    echo "== $t: ${seconds}s"
    if ! "build-fuzz/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
            -max_len=8192 -print_final_stats=1 -artifact_prefix="$artifacts" \
            "$work" "fuzz/corpus/$t" 2>"build-fuzz/$t.log"; then
        echo "$t: FAILED, see build-fuzz/$t.log and $artifacts" >&2
        tail -n 40 "build-fuzz/$t.log" >&2
        status=1
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' \
        "build-fuzz/$t.log" || true
done
echo
if [[ $status -eq 0 ]]; then
    echo "fuzz: passed: ${#targets[@]} targets, ${seconds} s each, no crash, leak or sanitizer finding" \
         "(${targets[*]})"
else
    echo "fuzz: FAILED (see above)"
fi
exit "$status"
