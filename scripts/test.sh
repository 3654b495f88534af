#!/usr/bin/env bash
# Builds and runs every test: a normal build with warnings as errors, a build under
# AddressSanitizer and UBSan, and the threaded tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
presets=(ci asan tsan)
scripts/setup.sh "${presets[@]}"
jobs=$(nproc)
for preset in "${presets[@]}"; do
  echo "== $preset" >&2
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
