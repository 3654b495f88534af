#!/usr/bin/env bash
# Builds and runs every test: a normal build with warnings as errors, a build under
# AddressSanitizer and UBSan, the threaded tests under ThreadSanitizer, and the Windows program
# cross-built, its tests run under Wine with a virtual display; then each fuzz target for 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
presets=(ci asan tsan windows)
scripts/setup.sh "${presets[@]}"
jobs=$(nproc)
for preset in "${presets[@]}"; do
  echo "== $preset" >&2
  cmake --build --preset "$preset" -j "$jobs"
  if [ "$preset" = windows ]; then
    xvfb-run -a ctest --preset "$preset" -j "$jobs"
  else
    ctest --preset "$preset" -j "$jobs"
  fi
done
scripts/fuzz.sh 30
