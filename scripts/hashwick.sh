#!/usr/bin/env bash
# Builds the optimised tool if needed and runs it on a folder.
# Usage: scripts/hashwick.sh FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
if [ $# -lt 1 ]; then
  echo "usage: $0 FOLDER" >&2
  exit 2
fi
(cd "$here" && scripts/setup.sh release && cmake --build --preset release -j "$(nproc)" >&2)
exec "$here/build/release/bench/hashwick-walk" "$@"
