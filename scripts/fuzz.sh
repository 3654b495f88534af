#!/usr/bin/env bash
# Runs each fuzz target for SECONDS (default 60) under AddressSanitizer and UBSan, starting from
# the corpus in tests/fuzz/corpus. What a run finds stays in build/fuzz/corpus (new inputs) and
# build/fuzz/artifacts (inputs that crashed, which belong in the tree's corpus once mended).
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

scripts/setup.sh fuzz
cmake --build --preset fuzz -j "$(nproc)" >&2
mkdir -p build/fuzz/artifacts
status=0
for target in list_reader path_text; do
  found="build/fuzz/corpus/$target"
  mkdir -p "$found"
  echo "== ${target}_fuzzer, ${seconds} s" >&2
  # New inputs go into the first folder; the tree's corpus is only read.
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build/fuzz/tests/fuzz/${target}_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build/fuzz/artifacts/${target}-" "$found" "tests/fuzz/corpus/$target" \
    2>"build/fuzz/${target}.log" || status=1
  grep -E '^stat::number_of_executed_units|^stat::new_units_added|ERROR|SUMMARY' \
    "build/fuzz/${target}.log" >&2 || true
done
exit "$status"
