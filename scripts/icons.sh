#!/usr/bin/env bash
# Renders the icon share/icons/io.github.deckshift.Deckshift.svg into the PNG sizes the desktop
# installs (share/icons/png/) and the Windows icon share/icons/deckshift.ico (PNG images inside),
# which are committed so that the build does not need a renderer. Run it by hand after changing
# the SVG. Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../share/icons"
svg=io.github.deckshift.Deckshift.svg
mkdir -p png
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$svg" -o "png/io.github.deckshift.Deckshift-$size.png"
done

# An .ico file: a directory of images, each one a whole PNG file.
ico_sizes=(16 32 48 256)
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
{
    le16 0; le16 1; le16 ${#ico_sizes[@]}
    offset=$((6 + 16 * ${#ico_sizes[@]}))
    for size in "${ico_sizes[@]}"; do
        bytes=$(stat -c %s "png/io.github.deckshift.Deckshift-$size.png")
        dim=$((size == 256 ? 0 : size)) # 0 stands for 256
        printf "\\x$(printf %02x $dim)\\x$(printf %02x $dim)\\x00\\x00"
        le16 1; le16 32; le32 "$bytes"; le32 "$offset"
        offset=$((offset + bytes))
    done
    for size in "${ico_sizes[@]}"; do cat "png/io.github.deckshift.Deckshift-$size.png"; done
} >deckshift.ico
