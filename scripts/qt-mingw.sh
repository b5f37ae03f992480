#!/usr/bin/env bash
# Qt 6 (Core, Gui, Widgets, Test) for 64-bit Windows, cross-built with MinGW-w64 from Debian's own
# qt6-base source package, the version of the host's Qt. Debian packages no Qt for MinGW, and the
# window program for Windows needs one.
#
# Built once and kept: the installed Qt goes into a cache outside the work tree,
#   ${DECKSHIFT_CACHE:-~/.cache/deckshift}/qt6-mingw-VERSION-KEY
# where KEY is a hash of this script's configure options and toolchain, so a change of either
# builds a new Qt and a second run with the same ones takes seconds. The directory is complete
# only once the file .complete is in it: an interrupted build is started again from scratch.
#
# Usage: scripts/qt-mingw.sh    prints the installed Qt's directory on its last line of stdout;
#                               the build's output goes to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. scripts/lib/debian-source.sh
. scripts/lib/build-cache.sh

scripts/install-deps.sh g++-mingw-w64-x86-64-posix qt6-base-dev-tools xz-utils >&2

# The host tools (moc, rcc, uic) come from the host's Qt: the versions must agree.
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/[+~-].*//')

# What this Qt holds. OpenGL, D-Bus, SQL, network and printing are not used by Deckshift; Debian's
# source leaves out the tablet (wintab) headers. The libraries Qt needs are compiled in from its
# own sources, so the DLLs need nothing beyond Windows and the compiler's runtime.
options=(-release -opensource -confirm-license -nomake examples -nomake tests
         -no-opengl -no-dbus -no-feature-sql -no-feature-network -no-icu
         -no-feature-printsupport -no-feature-tabletevent
         -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz)

# Qt builds DLLs, so its toolchain has none of the project's -static: Qt, the programs linked
# against it and their tests share one C++ runtime (libstdc++-6.dll and friends, shipped beside
# them). The toolchain file is kept in the cache, since Qt's own toolchain file points at it.
toolchain_text='set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
'
prefix=$(build_cache_prefix qt6-mingw "$qt_version" "${options[@]}" "$toolchain_text")
label="Qt $qt_version for MinGW"
build_cache_reuse "$label" "$prefix"
build_cache_start "$label (about 40 minutes on 2 cores)" "$prefix"

debian_source qt6-base "$work/source" >&2
src=$work/source/src
grep -q "set(QT_REPO_MODULE_VERSION \"$qt_version\")" "$src/.cmake.conf" || {
    echo "error: the qt6-base source is not Qt $qt_version" >&2
    exit 1
}
printf '%s' "$toolchain_text" >"$prefix/mingw-w64-x86_64.cmake"

mkdir -p "$work/build"
cd "$work/build"
"$src/configure" -prefix "$prefix" -xplatform win32-g++ -qt-host-path /usr "${options[@]}" \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >&2
cmake --build . --parallel "${DECKSHIFT_JOBS:-$(nproc)}" >&2
cmake --install . >&2
# Its licence and where its source comes from, for the installer.
mkdir -p "$prefix/share/licenses"
cp "$src/LICENSES/LGPL-3.0-only.txt" "$prefix/share/licenses/LICENSE.Qt.LGPL-3.0.txt" 2>/dev/null ||
    cp "$src"/LICENSE.LGPL3 "$prefix/share/licenses/LICENSE.Qt.LGPL-3.0.txt"
source_name=$(debian_source_name "$work/source" qt6-base)
printf '%s\n' "Qt $qt_version (Core, Gui, Widgets and their plugins) is under the GNU Lesser General" \
    "Public License version 3 (LICENSE.Qt.LGPL-3.0.txt). These DLLs were built unchanged from" \
    "Debian's source package ${source_name/_/ }, whose source is at" \
    "https://sources.debian.org/src/qt6-base/${source_name#*_}/ and in Debian's archive." \
    >"$prefix/share/licenses/qt6-base-source.txt"
cd "$root"
build_cache_done "$label" "$prefix"
