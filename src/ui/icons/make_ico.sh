#!/usr/bin/env bash
# Regenerates the committed hashwick.ico, the Windows program's icon, from the PNGs next to this
# script: the 16, 24, 32 and 48 pixel images as 32-bit bitmaps with alpha, the 256 pixel image as
# PNG. Run it by hand after render.sh; the build only uses the .ico.
# Needs ImageMagick's convert (Debian: apt-get install imagemagick).
set -euo pipefail
cd "$(dirname "$0")"
if ! command -v convert >/dev/null; then
  echo "make_ico.sh: convert not found; install imagemagick" >&2
  exit 1
fi
convert hashwick_16.png hashwick_24.png hashwick_32.png hashwick_48.png hashwick_256.png hashwick.ico
