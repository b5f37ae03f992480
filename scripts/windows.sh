#!/usr/bin/env bash
# Cross-builds the core, deckshift-cli and the core tests for 64-bit Windows with MinGW-w64 into
# build-win, and runs them under Wine in a fresh temporary prefix:
#   1. the core tests, the command-line tests and the tests that only mean something on Windows;
#   2. a deckshift-cli register-mode conversion against registry settings set with Wine's own
#      "reg add", checked byte by byte;
#   3. the Win32 registry reader under Wine and the Linux reader of the prefix's .reg files on the
#      same prefix, which must give the same text and found flag.
#   4. the window program deckshift.exe and its window tests, built in build-win-ui against Qt for
#      MinGW (built once from Debian's qt6-base source and cached, scripts/qt-mingw.sh): the tests
#      under Wine on the offscreen platform, those that need a real window system on Wine's own
#      "windows" platform under Xvfb, and deckshift.exe starting to its main menu;
#   5. the version records and icons of both programs; the installer made by CPack (NSIS) in
#      build-win-ui, installed silently, both installed programs run, and the uninstaller run,
#      which must leave nothing of it behind.
# Fails when any of it fails. Leaves no Wine process and no prefix behind.
# Usage: scripts/windows.sh [--screenshots]
#   --screenshots: also takes the pictures of the windows in docs/screenshots/windows/ from the
#   Windows build under Wine, in the Windows style.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
screenshots=false
case "${1:-}" in
    "") ;;
    --screenshots) screenshots=true ;;
    *) echo "usage: scripts/windows.sh [--screenshots]" >&2; exit 2 ;;
esac

scripts/install-deps.sh g++-mingw-w64-x86-64-posix googletest wine64 nsis xvfb xauth

step() { printf '\n== [%ss] %s\n' "$SECONDS" "$*"; }
jobs=$(nproc)

version=$(sed -n 's/^project(deckshift VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

# Debian packages no pugixml for MinGW, so the export needs its source: Debian's own source package
# (scripts/lib/debian-source.sh). Without it the build leaves the export out and says so.
. scripts/lib/debian-source.sh
fetch_pugixml() { # fetch_pugixml DIR: the unpacked source in DIR/src
    debian_source pugixml "$1" && [[ -f $1/src/src/pugixml.cpp ]]
}
step "Fetching pugixml's Debian source package for the export"
pugixml_dir=""
pugixml_log=$(mktemp)
if fetch_pugixml "$root/build-win/pugixml" >"$pugixml_log" 2>&1; then
    pugixml_dir=$root/build-win/pugixml/src
else
    cat "$pugixml_log" >&2
    echo "warning: pugixml's source could not be fetched; the export is left out of this build" >&2
fi
rm -f "$pugixml_log"

step "TagLib for MinGW (scripts/taglib-mingw.sh: built once, then taken from its cache)"
taglib_prefix=$(scripts/taglib-mingw.sh | tail -n 1)
# Named directly: the cross toolchains look for libraries below the MinGW sysroot only.
taglib=(-DDECKSHIFT_TAGLIB_INCLUDE_DIR="$taglib_prefix/include"
        -DDECKSHIFT_TAGLIB_LIBRARY="$taglib_prefix/lib/libtag.a")

step "Cross-building for Windows in build-win (preset windows-cross)"
cmake --preset windows-cross -DDECKSHIFT_PUGIXML_SOURCE_DIR="$pugixml_dir" "${taglib[@]}" >/dev/null
cmake --build --preset windows-cross -j"$jobs" --target deckshift-cli deckshift_core_tests deckshift_cli_tests \
      deckshift_windows_tests deckshift_registry_dump

step "Qt for MinGW (scripts/qt-mingw.sh: built once, then taken from its cache)"
qt_prefix=$(scripts/qt-mingw.sh | tail -n 1)
echo "$qt_prefix"

step "Cross-building the window program and its tests in build-win-ui (Qt for MinGW)"
cmake -S . -B build-win-ui -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
      -DDECKSHIFT_WERROR=ON -DDECKSHIFT_BUILD_UI=ON -DDECKSHIFT_BUILD_TESTS=ON \
      -DDECKSHIFT_BUILD_BENCH=OFF -DDECKSHIFT_PUGIXML_SOURCE_DIR="$pugixml_dir" "${taglib[@]}" \
      >/dev/null
cmake --build build-win-ui -j"$jobs" --target deckshift deckshift-cli deckshift_ui_tests \
      deckshift_screenshots

step "Building the Linux registry dump in build-win/native"
cmake -S . -B build-win/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DDECKSHIFT_BUILD_UI=OFF \
      -DDECKSHIFT_BUILD_BENCH=OFF -DDECKSHIFT_BUILD_TESTS=ON >/dev/null
cmake --build build-win/native -j"$jobs" --target deckshift_registry_dump

# Debian keeps the 64-bit loader and its server in its wine library folder.
wine64=$(dpkg -L wine64 | grep -m1 '/wine64$')
wineserver=$(dirname "$wine64")/wineserver64
[[ -x $wineserver ]] || wineserver=$(dirname "$wine64")/wineserver

scratch=$(mktemp -d)
export WINEPREFIX=$scratch/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer prompts; no window system.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Wine reads the command line in the locale's character set: UTF-8, so that "Soirée" arrives
# as such. The programs then see it in the prefix's ANSI code page (1252).
export LC_ALL=C.UTF-8

xvfb_pid=""
cleanup() {
    [[ -z $xvfb_pid ]] || kill "$xvfb_pid" 2>/dev/null || true
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

wine() { "$wine64" "$@"; }

step "Creating a fresh Wine prefix"
# Wine's first start in a new prefix now and then fails to load its own kernel32.dll; a second
# start in a prefix made afresh succeeds. A second failure is a real one.
for attempt in 1 2; do
    if wine wineboot --init >"$scratch/wineboot.log" 2>&1; then
        break
    fi
    cat "$scratch/wineboot.log" >&2
    [[ $attempt -eq 1 ]] || exit 1
    echo "wineboot failed; making the prefix again" >&2
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
done
"$wineserver" -w

# The settings of the two DJ applications: the RC directory written with doubled separators (the
# program halves them), the group directory with a character above 0x7F.
rc_value='C:\\FX\\RC\\'
soiree=$'Soir\xc3\xa9e' # in UTF-8
red_value="C:\\Musique\\$soiree\\"
step "Setting the registry with reg add"
wine reg add 'HKLM\Software\Visiosonic\PCDJ FX\7.0\CFG' /v CONFIG_RC_PATH /t REG_SZ \
     /d "$rc_value" /f
wine reg add 'HKCU\Software\Visiosonic\PCDJ RED\Directory' /v Grouppath /t REG_SZ \
     /d "$red_value" /f

drive_c=$WINEPREFIX/drive_c
mkdir -p "$drive_c/FX/RC/Playlists" "$drive_c/Musique/$soiree"
printf '<?xml version="1.0" encoding="iso-8859-1" ?>\r\n<Groups>\r\n</Groups>\r\n' \
    >"$drive_c/FX/RC/Groups.xml"
printf '[Live]\r\nTrack 1=;;;;;;|One.mp3||C:\\Audio\\|||\r\n[Studio]\r\nTrack 1=;;;;;;|Caf\xe9.mp3||D:\\|||\r\n' \
    >"$drive_c/Musique/$soiree/Rock & Roll.INI"

failed=0
# Totals over the test programs and the checks below, for the closing line.
n_passed=0 n_failed=0 n_skipped=0
count() { # count TOTAL PASSED SKIPPED
    n_passed=$((n_passed + $2)) n_skipped=$((n_skipped + $3))
    n_failed=$((n_failed + $1 - $2 - $3))
}
run_tests() { # run_tests EXE [ARGUMENT...]
    local exe=$1 log status=0
    shift
    log=$(mktemp "$scratch/$(basename "$exe").XXXX.log")
    step "Running $(basename "$exe") $* under Wine${QT_QPA_PLATFORM:+ (Qt platform $QT_QPA_PLATFORM)}"
    wine "$exe" --gtest_brief=1 "$@" 2>&1 | tee "$log" || status=$?
    local total passed skipped
    total=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log")
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log")
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?[,.].*/\1/p' "$log")
    if [[ $status -ne 0 || -z $total ]]; then
        echo "FAILED: $(basename "$exe")" >&2
        failed=1
        [[ -n $total ]] || total=$((${passed:-0} + ${skipped:-0} + 1)) # it did not finish
    fi
    count "$total" "${passed:-0}" "${skipped:-0}"
}
check() { # check OK? NAME
    if [[ $1 -eq 0 ]]; then count 1 1 0; else count 1 0 0; echo "FAILED: $2" >&2; failed=1; fi
}
run_tests build-win/tests/deckshift_core_tests.exe
run_tests build-win/tests/cli/deckshift_cli_tests.exe
run_tests build-win/tests/windows/deckshift_windows_tests.exe

# The window tests under Wine: first on the offscreen platform, then on Wine's own "windows"
# platform with Xvfb as the screen, there the tests that exist for Windows alone and those that
# open windows and lists. Tests of what only the Linux side has (a Wine prefix laid out by the
# test) skip themselves on Windows and say why.
QT_QPA_PLATFORM=offscreen run_tests build-win-ui/tests/ui/deckshift_ui_tests.exe
step "Starting Xvfb for Wine's windows platform"
xvfb_display=:$((90 + RANDOM % 400))
Xvfb "$xvfb_display" -screen 0 1280x1024x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    [[ -e /tmp/.X11-unix/X${xvfb_display#:} ]] && break
    sleep 0.1
done
DISPLAY=$xvfb_display QT_QPA_PLATFORM=windows \
    run_tests build-win-ui/tests/ui/deckshift_ui_tests.exe \
    --gtest_filter="WindowsDjTest.*:Form1Test.*:PickersTest.*:KeyboardTest.*"

step "deckshift.exe starts to its main menu, offscreen and on the windows platform"
for platform in offscreen windows; do
    shown=$(DISPLAY=$xvfb_display QT_QPA_PLATFORM=$platform DECKSHIFT_LIST_WINDOWS=1 \
            wine build-win-ui/app/deckshift.exe 2>"$scratch/deckshift.err" | tr -d '\r') || true
    echo "$platform: ${shown:-nothing shown}"
    status=0
    [[ $shown == "Korvantel Tools (Converter)" ]] || { status=1; cat "$scratch/deckshift.err" >&2; }
    check $status "deckshift.exe opens its main menu alone on the $platform platform"
done

step "deckshift-cli.exe ini2vrm in register mode, RC directory from the registry"
status=0
wine build-win/cli/deckshift-cli.exe ini2vrm "${red_value}Rock & Roll.INI" --register || status=$?
check $status "deckshift-cli.exe register-mode conversion (exit status $status)"
expected_groups=$(printf '%s\r\n' \
    '<?xml version="1.0" encoding="iso-8859-1" ?>' '<Groups>' \
    '   <Group Name="Rock & Roll" pos="2" lastrow="-1">' \
    '      <SubGroup Name="Live" pos="0" src="C:\FX\RC\Playlists\Rock & Roll_Live.XML"/>' \
    '      <SubGroup Name="Studio" pos="0" src="C:\FX\RC\Playlists\Rock & Roll_Studio.XML"/>' \
    '   </Group>' '</Groups>' | od -An -tx1 -v)
expected_studio=$(printf '%s\r\n' \
    '<?xml version="1.0" encoding="iso-8859-1" ?>' '<smil>' '   <body>' '      <seq>' \
    $'         <media src="D:\\Caf\xe9.mp3">' '         </media>' \
    '      </seq>' '   </body>' '</smil>' | od -An -tx1 -v)
status=0
[[ $(od -An -tx1 -v "$drive_c/FX/RC/Groups.xml" 2>&1) == "$expected_groups" ]] || status=1
check $status "Groups.xml holds the expected bytes"
[[ $status -eq 0 ]] || od -c "$drive_c/FX/RC/Groups.xml" >&2 || true
status=0
[[ $(od -An -tx1 -v "$drive_c/FX/RC/Playlists/Rock & Roll_Studio.XML" 2>&1) == "$expected_studio" ]] ||
    status=1
check $status "Rock & Roll_Studio.XML holds the expected bytes"

step "The Win32 reader under Wine and the Linux reader of the .reg files agree"
wine build-win/tests/windows/deckshift_registry_dump.exe | tr -d '\r' >"$scratch/win32.txt"
# The registry is in the .reg files once the server has written them and gone.
"$wineserver" -w
build-win/native/tests/windows/deckshift_registry_dump >"$scratch/linux.txt"
hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
{
    echo "fx-rc found=1 hex=$(hex "$rc_value")"
    echo "red-group found=1 hex=$(hex $'C:\\Musique\\Soir\xe9e\\')"
    echo "missing-key found=0"
    echo "missing-value found=0"
} >"$scratch/expected.txt"
echo "Win32 reader:";        cat "$scratch/win32.txt"
echo "Wine .reg reader:";    cat "$scratch/linux.txt"
status=0
diff -u "$scratch/win32.txt" "$scratch/linux.txt" || status=1
check $status "the two registry readers agree"
status=0
diff -u "$scratch/expected.txt" "$scratch/win32.txt" || status=1
check $status "the registry readers give the values set with reg add"

step "The version records, icons and manifests of both programs"
for exe in build-win/cli/deckshift-cli.exe build-win-ui/app/deckshift.exe; do
    name=$(basename "$exe")
    resources=$(x86_64-w64-mingw32-windres -i "$exe" -O rc 2>&1) || true
    status=0
    grep -q 'VALUE "ProductVersion", "'"$version"'"' <<<"$resources" || status=1
    check $status "$name has a version record of version $version"
    status=0
    grep -q 'RT_GROUP_ICON' <<<"$resources" || status=1
    check $status "$name has the icon"
    status=0
    grep -q 'longPathAware' <<<"$resources" || status=1
    check $status "$name declares long-path awareness in its manifest"
    [[ $status -eq 0 ]] || printf '%s\n' "$resources" | head -40 >&2
done
# The window program is a GUI-subsystem program (2 in its PE header), so Windows opens no console
# window beside it; the command line is a console program (3).
subsystem() { # subsystem EXE: the Subsystem field of the PE optional header
    local pe
    pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
    od -An -tu2 -j $((pe + 24 + 68)) -N 2 "$1" | tr -d ' '
}
status=0
[[ $(subsystem build-win-ui/app/deckshift.exe) == 2 ]] || status=1
check $status "deckshift.exe is a GUI-subsystem program"
status=0
[[ $(subsystem build-win/cli/deckshift-cli.exe) == 3 ]] || status=1
check $status "deckshift-cli.exe is a console program"

step "Making the installer with CPack (NSIS)"
rm -rf build-win-ui/package
status=0
cpack --config build-win-ui/CPackConfig.cmake -B build-win-ui/package >"$scratch/cpack.log" 2>&1 ||
    status=$?
check $status "cpack -G NSIS"
[[ $status -eq 0 ]] || cat "$scratch/cpack.log" >&2
installer=$(find build-win-ui/package -maxdepth 1 -name 'deckshift-*-win64.exe' | head -n 1)
echo "${installer:-no installer}"

step "Installing silently under Wine, running the installed program, uninstalling"
target="$drive_c/Program Files/Deckshift"
status=0
[[ -n $installer ]] && wine "$installer" /S || status=1
"$wineserver" -w
installed=(bin/deckshift-cli.exe bin/deckshift.exe Uninstall.exe
           bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/platforms/qwindows.dll
           bin/styles/qwindowsvistastyle.dll bin/libstdc++-6.dll bin/libgcc_s_seh-1.dll
           bin/libwinpthread-1.dll share/doc/deckshift/README.md share/doc/deckshift/LICENSE
           share/doc/deckshift/LICENSE.Qt.LGPL-3.0.txt share/doc/deckshift/qt6-base-source.txt)
[[ -z $pugixml_dir ]] || installed+=(share/doc/deckshift/LICENSE.pugixml.md)
for f in "${installed[@]}"; do
    [[ -f "$target/$f" ]] || { echo "not installed: $f" >&2; status=1; }
done
check $status "the installer puts both programs, Qt, the uninstaller and the documentation in C:\\Program Files\\Deckshift"
shortcuts=$(find "$drive_c" -iname 'Deckshift.lnk' -ipath '*Start Menu*' 2>/dev/null)
echo "Start menu: ${shortcuts:-no shortcut}"
status=0
[[ -n $shortcuts ]] || status=1
check $status "the installer puts a Start menu shortcut \"Deckshift\""
uninstall_keys() {
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null |
        tr -d '\r' | grep -i 'deckshift' || true
}
status=0
[[ -n $(uninstall_keys) ]] || status=1
check $status "the installer registers its uninstaller with Windows"
shown=$(wine 'C:\Program Files\Deckshift\bin\deckshift-cli.exe' --version 2>&1 | tr -d '\r') || true
echo "installed deckshift-cli.exe --version: $shown"
status=0
[[ $shown == "deckshift $version" ]] || status=1
check $status "the installed deckshift-cli.exe runs and shows deckshift $version"
shown=$(DISPLAY=$xvfb_display QT_QPA_PLATFORM=windows DECKSHIFT_LIST_WINDOWS=1 \
        wine 'C:\Program Files\Deckshift\bin\deckshift.exe' 2>&1 | tr -d '\r') || true
echo "installed deckshift.exe shows: $shown"
status=0
[[ $shown == "Korvantel Tools (Converter)" ]] || status=1
check $status "the installed deckshift.exe starts to its main menu"
status=0
wine 'C:\Program Files\Deckshift\Uninstall.exe' /S || status=1
# The uninstaller copies itself elsewhere and runs from there: wait for that copy too.
"$wineserver" -w
if [[ -e $target ]]; then
    echo "left after uninstalling:" >&2
    find "$target" >&2
    status=1
fi
check $status "the uninstaller removes everything it installed"
status=0
[[ -z $(uninstall_keys) ]] || status=1
check $status "the uninstaller removes its registration"
status=0
[[ -z $(find "$drive_c" -iname 'Deckshift.lnk' 2>/dev/null) ]] || status=1
check $status "the uninstaller removes the Start menu shortcut"

if $screenshots; then
    step "Pictures of the windows in the Windows style (docs/screenshots/windows)"
    wine reg add 'HKLM\Software\Visiosonic\PCDJ FX\7.0\CFG' /v CONFIG_RC_PATH /t REG_SZ \
         /d 'C:\PCDJ FX\RC\' /f
    wine reg add 'HKCU\Software\Visiosonic\PCDJ RED\Directory' /v Grouppath /t REG_SZ \
         /d 'C:\PCDJ RED\Groups\' /f
    mkdir -p docs/screenshots/windows
    status=0
    DISPLAY=$xvfb_display QT_QPA_PLATFORM=windows wine build-win-ui/app/deckshift_screenshots.exe \
        "Z:${root//\//\\}\\docs\\screenshots\\windows" 'C:\' || status=$?
    check $status "deckshift_screenshots.exe took the pictures"
    ls -l docs/screenshots/windows
fi

echo
echo "windows: $n_passed passed, $n_failed failed, $n_skipped skipped"
exit "$failed"
