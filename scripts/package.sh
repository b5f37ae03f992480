#!/usr/bin/env bash
# Builds the Debian package from the Release build in build/ (CMake preset "release") with CPack,
# checks its contents, installs it with apt-get, runs the installed programs (deckshift-cli's
# version and a conversion that must give the same bytes as the build tree's program; the window
# program offscreen, which must open its main menu), and purges it again, checking that nothing
# of it is left. Needs root (or sudo) for apt-get. Fails when any check fails.
#
# On a machine where Deckshift is installed already, that installation is left as it is: the
# package is unpacked into a scratch directory instead, and its programs are run from there.
# Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh dpkg-dev file
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
jobs="${DECKSHIFT_JOBS:-$(nproc)}"

step() { printf '\n== [%ss] %s\n' "$SECONDS" "$*"; }
failed=0
check() { # check NAME COMMAND...: runs the command, reports and counts a failure
    local name=$1
    shift
    if "$@"; then
        echo "ok: $name"
    else
        echo "FAILED: $name" >&2
        failed=1
    fi
}

step "Building build/ (preset release)"
cmake --preset release >/dev/null
cmake --build --preset release -j"$jobs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
app_id=io.github.deckshift.Deckshift

step "Making the package with CPack"
rm -rf build/package
cpack --config build/CPackConfig.cmake -B build/package >build/package.log 2>&1 ||
    { cat build/package.log >&2; exit 1; }
debs=(build/package/deckshift_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "no single .deb in build/package" >&2; exit 1; }
deb=${debs[0]}
echo "$deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
echo "Contents:"
dpkg-deb --contents "$deb" | tee build/package/contents.txt

# What the package must hold.
expected=(
    ./usr/bin/deckshift
    ./usr/bin/deckshift-cli
    ./usr/share/applications/$app_id.desktop
    ./usr/share/metainfo/$app_id.metainfo.xml
    ./usr/share/icons/hicolor/scalable/apps/$app_id.svg
    ./usr/share/icons/hicolor/48x48/apps/$app_id.png
    ./usr/share/icons/hicolor/256x256/apps/$app_id.png
    ./usr/share/man/man1/deckshift-cli.1.gz
    ./usr/share/man/man1/deckshift.1.gz
    ./usr/share/doc/deckshift/README.md
    ./usr/share/doc/deckshift/LICENSE
    ./usr/share/doc/deckshift/copyright
)
for path in "${expected[@]}"; do
    check "the package holds $path" grep -q " $path\$" build/package/contents.txt
done
check "the package depends on the Qt libraries (computed dependencies)" \
    bash -c "dpkg-deb --field '$deb' Depends | grep -q libqt6widgets6"
check "the package names its section" bash -c "[[ \$(dpkg-deb --field '$deb' Section) == sound ]]"

preinstalled=0
if dpkg-query -W -f='${Status}' deckshift 2>/dev/null | grep -q "install ok installed"; then
    preinstalled=1
fi
scratch=$(mktemp -d)
installed=0
cleanup() {
    if [[ $installed -eq 1 ]]; then
        $sudo apt-get purge -y -qq deckshift >/dev/null 2>&1 || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

if [[ $preinstalled -eq 1 ]]; then
    step "Deckshift is installed already: unpacking the package beside it instead"
    echo "The installed deckshift $(dpkg-query -W -f='${Version}' deckshift) is left as it is."
    root="$scratch/root"
    dpkg-deb -x "$deb" "$root"
else
    step "Installing it with apt-get"
    installed=1
    root=""
    $sudo apt-get install -y -qq -o Dpkg::Use-Pty=0 --no-install-recommends "./$deb"
    dpkg-query -L deckshift >"$scratch/files.txt"
fi

step "Running the $([[ -n $root ]] && echo unpacked || echo installed) programs"
if [[ -z $root ]]; then
    check "deckshift-cli is found on PATH in /usr/bin" \
        bash -c '[[ $(command -v deckshift-cli) == /usr/bin/deckshift-cli ]]'
fi
shown=$("$root/usr/bin/deckshift-cli" --version)
echo "deckshift-cli --version: $shown"
check "deckshift-cli --version shows deckshift $version" [ "$shown" = "deckshift $version" ]
shown=$("$root/usr/bin/deckshift" --version)
echo "deckshift --version: $shown"
check "deckshift --version shows deckshift $version" [ "$shown" = "deckshift $version" ]

# The sample collection through the packaged program and through the build tree's program.
mkdir "$scratch/installed" "$scratch/built"
"$root/usr/bin/deckshift-cli" --quiet ini2vrm --batch examples/red --output "$scratch/installed"
build/cli/deckshift-cli --quiet ini2vrm --batch examples/red --output "$scratch/built"
count=$(find "$scratch/installed" -type f | wc -l)
echo "ini2vrm --batch examples/red: $count playlists"
check "the packaged deckshift-cli converts the sample collection" [ "$count" -gt 0 ]
check "its playlists hold the same bytes as the build tree's" diff -r "$scratch/installed" "$scratch/built"

for page in deckshift-cli deckshift; do
    if [[ -z $root ]]; then
        check "man finds the installed manual page $page(1)" \
            bash -c "man -w $page | grep -q '/man1/$page.1'"
    else
        check "man reads the packaged manual page $page(1)" \
            bash -c "man -l '$root/usr/share/man/man1/$page.1.gz' >/dev/null"
    fi
done
check "the packaged desktop entry is valid" \
    desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
check "the packaged AppStream metadata is valid" \
    appstreamcli validate --no-net --strict "$root/usr/share/metainfo/$app_id.metainfo.xml"

# The window program, offscreen, lists the windows it shows once started and ends. It gets a
# private runtime directory, as in a desktop session; without one Qt warns on stderr.
mkdir -m 700 "$scratch/runtime"
status=0
XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=offscreen DECKSHIFT_LIST_WINDOWS=1 \
    timeout 60 "$root/usr/bin/deckshift" \
    >"$scratch/windows.txt" 2>"$scratch/windows.err" || status=$?
echo "deckshift shows: $(cat "$scratch/windows.txt") (exit status $status)"
cat "$scratch/windows.err"
check "deckshift opens its main menu and nothing else" \
    bash -c "[[ $status -eq 0 && \$(cat '$scratch/windows.txt') == 'Korvantel Tools (Converter)' ]]"
check "deckshift writes no error" bash -c "[[ ! -s '$scratch/windows.err' ]]"

if [[ $installed -eq 1 ]]; then
    step "Purging it with apt-get"
    $sudo apt-get purge -y -qq -o Dpkg::Use-Pty=0 deckshift
    installed=0
    check "dpkg no longer knows deckshift" \
        bash -c "! dpkg-query -W -f='\${Status}' deckshift 2>/dev/null | grep -q installed"
    left=()
    while IFS= read -r path; do
        [[ -f $path || -L $path ]] && left+=("$path")
    done <"$scratch/files.txt"
    check "none of its files is left" [ ${#left[@]} -eq 0 ]
    [[ ${#left[@]} -eq 0 ]] || printf '  left: %s\n' "${left[@]}" >&2
    check "its documentation directory is gone" [ ! -e /usr/share/doc/deckshift ]
    check "no deckshift program is left on PATH" \
        bash -c '! command -v deckshift >/dev/null && ! command -v deckshift-cli >/dev/null'
fi

echo
if [[ $failed -eq 0 ]]; then echo "package: all checks passed"; else echo "package: FAILED"; fi
exit "$failed"
