#!/bin/bash
# Renders the project's own drawings into the files the build uses, after a change to an SVG:
#   resources/desktop/icons/vantrel.svg -> vantrel-<size>.png (16 to 256 pixels)
#   resources/about/router.svg          -> router.jpg (182 x 112, decoded by the About box)
# Needs rsvg-convert (librsvg2-bin), pngtopnm (netpbm) and cjpeg (libjpeg-turbo-progs).
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in rsvg-convert pngtopnm cjpeg; do
    command -v "$tool" >/dev/null || {
        echo "render-art: $tool is missing (apt-get install librsvg2-bin netpbm libjpeg-turbo-progs)" >&2
        exit 1
    }
done

icons=resources/desktop/icons
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$icons/vantrel.svg" -o "$icons/vantrel-$size.png"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rsvg-convert -w 182 -h 112 resources/about/router.svg -o "$tmp/router.png"
pngtopnm "$tmp/router.png" | cjpeg -quality 90 -optimize >resources/about/router.jpg
echo "render-art: icons and the About picture are up to date"
