#!/usr/bin/env bash
# Checks that the tracked C++ sources are formatted as .clang-format says (clang-format 14);
# fails and names the files that are not. With --apply, formats them in place instead.
# Usage: scripts/format.sh [--apply]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang-format-14

mode=check
case "${1:-}" in
    "") ;;
    --apply) mode=apply ;;
    *) echo "usage: scripts/format.sh [--apply]" >&2; exit 2 ;;
esac

mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h' '*.hpp' '*.cc')
echo "${#files[@]} C++ files"
if [[ $mode == apply ]]; then
    clang-format-14 -i -- "${files[@]}"
    echo "formatted"
    exit 0
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if clang-format-14 --dry-run --Werror -- "${files[@]}" 2>"$log"; then
    echo "format: all files formatted"
else
    echo "format: not formatted (scripts/format.sh --apply formats them):" >&2
    grep -o '^[^:]*:[0-9]*:[0-9]*: error' "$log" | cut -d: -f1 | sort -u | sed 's/^/  /' >&2
    exit 1
fi
