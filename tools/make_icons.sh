#!/bin/sh
# Render the PNG icons in resources/ from their SVG sources.
# Needs rsvg-convert (Debian package librsvg2-bin).
#
#   icons/tresslin-16.svg  -> icons/hicolor/16x16/apps/tresslin.png (drawn pixel by pixel)
#   icons/tresslin.svg     -> icons/hicolor/NxN/apps/tresslin.png for the other sizes
#   icons/clock.svg        -> icons/clock.png (32x32)
set -eu

if ! command -v rsvg-convert >/dev/null 2>&1; then
    echo "make_icons.sh: rsvg-convert not found (apt-get install librsvg2-bin)" >&2
    exit 1
fi

cd "$(dirname "$0")/../resources"

for size in 16 22 24 32 48 64 128 256; do
    dir="icons/hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    src=icons/tresslin.svg
    if [ "$size" = 16 ]; then
        src=icons/tresslin-16.svg
    fi
    rsvg-convert -w "$size" -h "$size" "$src" -o "$dir/tresslin.png"
done

rsvg-convert -w 32 -h 32 icons/clock.svg -o icons/clock.png

echo "make_icons.sh: done"
