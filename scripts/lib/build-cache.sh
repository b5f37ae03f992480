# Sourced by the scripts that build a library for Windows once and keep it outside the work tree,
# in ${DECKSHIFT_CACHE:-~/.cache/deckshift}. A build's directory is complete once the file
# .complete is in it, so an interrupted build is never taken for a finished one.

# build_cache_prefix NAME VERSION KEYTEXT...: the directory of one build, NAME-VERSION-KEY, where
# KEY hashes the KEYTEXT (one per line: the options and anything else the build depends on).
build_cache_prefix() {
    local name=$1 version=$2 key
    shift 2
    key=$(printf '%s\n' "$@" | sha256sum | cut -c1-12)
    echo "${DECKSHIFT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/deckshift}/$name-$version-$key"
}

# build_cache_reuse LABEL PREFIX: when PREFIX holds a complete build, says so, prints PREFIX on
# stdout and ends the script.
build_cache_reuse() {
    if [[ -f $2/.complete ]]; then
        echo "$1: cached in $2" >&2
        echo "$2"
        exit 0
    fi
}

# build_cache_start LABEL PREFIX: starts the build afresh: PREFIX is emptied and created, and
# $work names a scratch directory beside it that is removed when the script ends.
build_cache_start() {
    echo "$1: building into $2" >&2
    build_cache_started=$SECONDS
    rm -rf "$2"
    mkdir -p "$2"
    work=$(mktemp -d "$(dirname "$2")/build.XXXXXX")
    trap 'rm -rf "$work"' EXIT
}

# build_cache_done LABEL PREFIX: marks the build complete, says how long it took and prints
# PREFIX on stdout.
build_cache_done() {
    touch "$2/.complete"
    echo "$1: built in $((SECONDS - build_cache_started)) s" >&2
    echo "$2"
}

# debian_source_name DIR PACKAGE: the source package's name and version ("qt6-base_6.4.2+dfsg-10")
# from the .dsc that debian_source downloaded into DIR/download.
debian_source_name() {
    local dsc
    dsc=$(find "$1/download" -maxdepth 1 -name "$2_*.dsc" | head -n 1)
    basename "${dsc%.dsc}"
}
