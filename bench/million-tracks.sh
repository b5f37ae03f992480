#!/usr/bin/env bash
# A million tracks: one group file of 1,000,000 entries in 4,000 subgroups of 250 (about 86 MB)
# through "deckshift-cli ini2vrm", then "deckshift-cli vrm2ini" on the 4,000 playlists it made.
# Prints the wall time and the peak resident memory of each run (GNU time), and the sizes.
#
# Usage: bench/million-tracks.sh [BUILD_DIR]      (default: build)
# Set DECKSHIFT_BENCH_DIR to put the files on another file system (default: the temporary
# directory); they are removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli=$build/cli/deckshift-cli
[[ -x $cli ]] || { echo "no $cli: build deckshift-cli first" >&2; exit 1; }
[[ -x /usr/bin/time ]] || scripts/install-deps.sh time

work=$(mktemp -d "${DECKSHIFT_BENCH_DIR:-${TMPDIR:-/tmp}}/deckshift-million.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/vrm" "$work/ini"

# Track paths of the benchmarks' shape: C:\Music\Collection N\Album M\Artist K - Track T.mp3,
# with " & Friends" after one artist in seven.
LC_ALL=C awk -v subgroups=4000 -v per=250 'BEGIN {
    ORS = "\r\n"; n = 0
    for (s = 0; s < subgroups; s++) {
        print "[Subgroup " s "]"
        for (e = 1; e <= per; e++) {
            dir = "C:\\Music\\Collection " (n % 97) "\\Album " (n % 1013) "\\"
            name = "Artist " (n % 331) (n % 7 == 0 ? " & Friends" : "") " - Track " n ".mp3"
            print "Track " e "=;;;;;;|" name "||" dir "|||"
            n++
        }
    }
}' >"$work/Million.INI"

run() {
    local what=$1
    shift
    /usr/bin/time -v -o "$work/time.txt" "$cli" "$@" --quiet
    local wall rss
    wall=$(sed -n 's/^\s*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
    rss=$(sed -n 's/^\s*Maximum resident set size (kbytes): //p' "$work/time.txt")
    printf '%-8s wall %s  peak RSS %s KiB\n' "$what" "$wall" "$rss"
}

# A first read puts the group file in the page cache, as for the second run's playlists.
cat "$work/Million.INI" >/dev/null
printf 'input: %s bytes, %s lines\n' "$(stat -c %s "$work/Million.INI")" \
    "$(tr -cd '\r' <"$work/Million.INI" | wc -c)"
run ini2vrm ini2vrm "$work/Million.INI" --output "$work/vrm"
printf 'ini2vrm wrote %s playlists, %s bytes\n' "$(find "$work/vrm" -type f | wc -l)" \
    "$(find "$work/vrm" -type f -printf '%s\n' | awk '{ n += $1 } END { print n }')"
run vrm2ini vrm2ini "$work/vrm/Million_Subgroup 0.XML" --output "$work/ini"
printf 'vrm2ini wrote %s bytes\n' "$(stat -c %s "$work/ini/Million.ini")"
