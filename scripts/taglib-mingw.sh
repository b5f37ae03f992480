#!/usr/bin/env bash
# TagLib for 64-bit Windows, cross-built with MinGW-w64 as a static library from Debian's own
# taglib source package (the version of the host's libtag1-dev). Debian packages no TagLib for
# MinGW, and the Windows programs read track details with it.
#
# Built once and kept, as scripts/qt-mingw.sh keeps Qt: installed into
#   ${DECKSHIFT_CACHE:-~/.cache/deckshift}/taglib-mingw-VERSION-KEY
# (KEY: a hash of the options), complete once the file .complete is in it.
#
# Usage: scripts/taglib-mingw.sh    prints the installed TagLib's directory on its last line of
#                                   stdout; the build's output goes to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/debian-source.sh
. scripts/lib/build-cache.sh

scripts/install-deps.sh g++-mingw-w64-x86-64-posix libtag1-dev >&2
version=$(dpkg-query -W -f='${Version}' libtag1-dev | sed 's/^[0-9]*://; s/[+~-].*//')

options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DWITH_ZLIB=OFF -DBUILD_TESTS=OFF
         -DBUILD_EXAMPLES=OFF -DBUILD_BINDINGS=OFF -DCMAKE_SYSTEM_NAME=Windows
         -DCMAKE_SYSTEM_PROCESSOR=x86_64 -DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc-posix
         -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix
         -DCMAKE_FIND_ROOT_PATH=/usr/x86_64-w64-mingw32
         -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY
         -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY)
prefix=$(build_cache_prefix taglib-mingw "$version" "${options[@]}")
label="TagLib $version for MinGW"
build_cache_reuse "$label" "$prefix"
build_cache_start "$label" "$prefix"
debian_source taglib "$work/source" >&2
cmake -S "$work/source/src" -B "$work/build" -G Ninja "${options[@]}" \
      -DCMAKE_INSTALL_PREFIX="$prefix" >&2
cmake --build "$work/build" --parallel "${DECKSHIFT_JOBS:-$(nproc)}" >&2
cmake --install "$work/build" >&2
# Its licences (LGPL 2.1 or MPL 1.1) and where its source comes from, for the installer.
mkdir -p "$prefix/share/licenses"
cp "$work/source/src/COPYING.LGPL" "$prefix/share/licenses/LICENSE.TagLib.LGPL-2.1.txt"
cp "$work/source/src/COPYING.MPL" "$prefix/share/licenses/LICENSE.TagLib.MPL-1.1.txt"
debian_source_name "$work/source" taglib >"$prefix/share/licenses/taglib-source.txt"
build_cache_done "$label" "$prefix"
