#!/usr/bin/env bash
# Installs what is missing, builds the command line, and runs the main conversion on the sample
# collection: every PCDJ RED group file of examples/red in batch mode, into a scratch copy of the
# sample PCDJ FX RecordCase directory, each group entered in its Groups.xml.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Only the command line: the first run stays quick. Same configuration as scripts/build.sh, so
# the two share build/ without rebuilding each other's work.
cmake --preset release >/dev/null
cmake --build --preset release --target deckshift-cli -j"${DECKSHIFT_JOBS:-$(nproc)}"

out=out/demo
rm -rf "$out"
mkdir -p "$out"
cp -r examples/fx-rc "$out/fx-rc"
build/cli/deckshift-cli ini2vrm --batch examples/red --register --rc-dir "$PWD/$out/fx-rc/"

echo
echo "Results in $out/fx-rc:"
echo "  playlists:  $out/fx-rc/Playlists/"
ls "$out/fx-rc/Playlists" | sed 's/^/    /'
echo "  group list: $out/fx-rc/Groups.xml"
