#!/usr/bin/env bash
# Renders the application icon's PNG sizes from the hand-drawn SVGs with rsvg-convert
# (librsvg2-bin). The PNGs are committed, so building and installing never need this script;
# run it again after changing an SVG. 16 pixels has its own drawing on the pixel grid.
set -euo pipefail
cd "$(dirname "$0")"
command -v rsvg-convert >/dev/null || { echo "render.sh: needs rsvg-convert (librsvg2-bin)" >&2; exit 1; }
mkdir -p png
rsvg-convert -w 16 -h 16 vellum-16.svg -o png/vellum-16.png
for size in 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" vellum.svg -o "png/vellum-$size.png"
done
