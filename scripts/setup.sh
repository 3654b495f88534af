#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 and configures the given CMake presets.
# Usage: scripts/setup.sh [PRESET...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make googletest libgtest-dev libbenchmark-dev qt6-base-dev
          qt6-translations-l10n fonts-noto-cjk util-linux coreutils squashfs-tools liburing-dev)
# The Windows build: the cross compiler, Wine (64-bit only: "wine" is the command, "wine64" the
# loader, so no 32-bit architecture is needed) and a display for the window tests.
packages+=(g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth)
# The fuzz targets: clang with its libFuzzer and sanitizer runtimes.
packages+=(clang libclang-rt-14-dev)
# The Debian package: dpkg-shlibdeps (with file) finds its dependencies, lintian checks it.
for preset in "$@"; do
  [ "$preset" != debian ] || packages+=(dpkg-dev file lintian)
done
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    "${missing[@]}"
fi

for preset in "$@"; do
  cmake --preset "$preset" >/dev/null
done
