#!/usr/bin/env bash
# Renders resources/icons/glyphmill.svg into the PNG sizes the desktop icon theme is given
# (resources/icons/png/) and the 64-pixel picture the windows show. Run it after editing the
# SVG; it installs rsvg-convert (Debian package librsvg2-bin) if it is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/ensure-packages.sh librsvg2-bin
cd resources/icons
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" glyphmill.svg -o "png/glyphmill-$size.png"
done
cp png/glyphmill-64.png glyphmill.png
