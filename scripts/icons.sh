#!/usr/bin/env bash
# Renders the program icon's PNG sizes from its SVG (needs rsvg-convert from
# librsvg2-bin). The PNGs are committed, so the build does not need it.
set -euo pipefail
cd "$(dirname "$0")/../dist/linux/icons"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "${size}x${size}"
  rsvg-convert -w "$size" -h "$size" org.larkspan.Larkspan.svg -o "${size}x${size}/org.larkspan.Larkspan.png"
done
