#!/usr/bin/env bash
# Regenerates the committed PNG icons from the SVGs next to this script. Run it by hand after
# editing an SVG; the build only uses the PNGs, so it needs no SVG renderer.
# Needs rsvg-convert (Debian: apt-get install librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
if ! command -v rsvg-convert >/dev/null; then
  echo "render.sh: rsvg-convert not found; install librsvg2-bin" >&2
  exit 1
fi
render() {  # render SOURCE SIZE
  rsvg-convert --width "$2" --height "$2" --format png --output "hashwick_$2.png" "$1"
}
# 16 and 24 come from drawings made on their own pixel grids, which stay sharp where a downscale
# of the master would blur; the larger sizes come from the master.
render hashwick_small.svg 16
render hashwick_small_24.svg 24
for size in 32 48 256; do
  render hashwick.svg "$size"
done
