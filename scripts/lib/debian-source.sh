# Sourced by the scripts that cross-build for Windows.
# debian_source PACKAGE DIR: fetches Debian's source package PACKAGE of this release through a
# private apt configuration (deb-src need not be set up and nothing of the system's apt state
# changes; apt checks the archive's signature and every file's hash) and unpacks its upstream
# tarball into DIR/src. Returns non-zero when it cannot.
debian_source() {
    local package=$1 dir=$2 apt=$2/apt
    rm -rf "$dir"
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$dir/download"
    local keyring=/usr/share/keyrings/debian-archive-keyring.gpg codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [[ -r $keyring && -n $codename ]] || return 1
    {
        echo "deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename main"
        echo "deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename-updates main"
        echo "deb-src [signed-by=$keyring] http://deb.debian.org/debian-security $codename-security main"
    } >"$apt/sources.list"
    local opts=(-qq -o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
                -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)")
    apt-get "${opts[@]}" update || return 1
    (cd "$dir/download" && apt-get "${opts[@]}" source --download-only "$package") || return 1
    local orig
    orig=$(find "$dir/download" -maxdepth 1 -name "${package}_*.orig.tar.*" ! -name '*.asc' |
           head -n 1)
    [[ -n $orig ]] || return 1
    mkdir -p "$dir/src" && tar -xf "$orig" -C "$dir/src" --strip-components=1
}
