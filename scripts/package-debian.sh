#!/usr/bin/env bash
# Builds the program and writes dist/hashwick_VERSION_amd64.deb: the program, its desktop entry
# and icons, the manual page hashwick(1) in English and Japanese, its copyright and changelog.
# lintian then checks the package; an error from it fails the script.
# Usage: scripts/package-debian.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh debian
cmake --build --preset debian -j "$(nproc)"

rm -rf build/debian/package
(cd build/debian && cpack -B package)
mkdir -p dist
rm -f dist/hashwick_*_amd64.deb
cp build/debian/package/hashwick_*_amd64.deb dist/
lintian --fail-on error dist/hashwick_*_amd64.deb
ls -l dist/hashwick_*_amd64.deb
