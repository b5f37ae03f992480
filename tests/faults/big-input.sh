#!/usr/bin/env bash
# By hand, not in CI: peak memory of deckshift-cli on inputs far larger than the read block.
#   tests/faults/big-input.sh PATH/TO/deckshift-cli [GROUP-FILE-MB]
# Writes, in a temporary directory, a group file and an M3U playlist of one 100 MB line each (a
# line longer than the 1 MiB a reader holds: it is skipped with a warning, read past in bounded
# memory), and a group file of GROUP-FILE-MB megabytes (default 2048) of ordinary entry lines,
# converts each and prints the exit status, the time and the peak resident memory
# (/usr/bin/time -v).
set -euo pipefail
cli="$(realpath "$1")"
big_mb="${2:-2048}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out"

measure() {
    local label="$1"; shift
    /usr/bin/time -v "$cli" "$@" --quiet >"$work/stdout" 2>"$work/time" && status=0 || status=$?
    printf '%-34s exit %s  %s s  peak RSS %s kB\n' "$label" "$status" \
        "$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time")" \
        "$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")"
    grep -v -E '^\s|Command being timed' "$work/time" | head -3 || true
    rm -f "$work"/out/*
}

# One 100 MB line: an entry whose file name is 100 MB long.
{ printf '[Live]\r\nTrack 1=;;;;;;|'; head -c $((100 * 1024 * 1024)) /dev/zero | tr '\0' 'x'
  printf '.mp3||C:\\Music\\|||\r\n'; } > "$work/Long.INI"
measure "group file, 100 MB line skipped" ini2vrm "$work/Long.INI" --output "$work/out"

{ printf '#EXTM3U\r\n'; head -c $((100 * 1024 * 1024)) /dev/zero | tr '\0' 'y'; printf '\n'; } \
    > "$work/Long.m3u"
measure "M3U, 100 MB line skipped" m3u2vrm "$work/Long.m3u" --output "$work/out"
rm -f "$work/Long.INI" "$work/Long.m3u"

# A group file of many subgroups of ordinary entries, big_mb megabytes in all.
python3 - "$work/Huge.INI" "$big_mb" <<'PY'
import sys
path, mb = sys.argv[1], int(sys.argv[2])
entry = b"Track %d=;;;;;;|Some Artist - Some Title %d.mp3||C:\\Music\\Collection\\Genre\\|||\r\n"
block = b"".join(entry % (i + 1, i) for i in range(5000))
target = mb * 1024 * 1024
with open(path, "wb") as f:
    written, sub = 0, 0
    while written < target:
        header = b"[Sub %d]\r\n" % sub
        f.write(header); f.write(block)
        written += len(header) + len(block); sub += 1
PY
ls -l "$work/Huge.INI" | awk '{print "group file of " $5 " bytes"}'
measure "group file, ${big_mb} MB" ini2vrm "$work/Huge.INI" --output "$work/out"
