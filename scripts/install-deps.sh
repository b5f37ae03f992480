#!/usr/bin/env bash
# Installs the Debian packages that building and testing Deckshift needs, and only those missing.
# Usage: scripts/install-deps.sh [EXTRA-PACKAGE...]
#   Extra packages are those a particular check needs beyond the build (a compiler, Wine).
set -euo pipefail

# help2man writes the manual page at build time; man-db, desktop-file-utils and appstream check
# it, the desktop entry and the AppStream metadata in the tests. TagLib reads the tracks' details
# for the export; xmllint (libxml2-utils) validates the exported files in the tests.
packages=(cmake ninja-build g++ pkg-config libcli11-dev libgtest-dev libgmock-dev
          libbenchmark-dev libpugixml-dev libtag1-dev libxml2-utils qt6-base-dev help2man man-db
          desktop-file-utils appstream "$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
