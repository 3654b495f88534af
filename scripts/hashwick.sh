#!/usr/bin/env bash
# Builds the optimised program if needed and runs it on a folder: the list file is written into
# the current directory. With a display the window opens and closes by itself once the list is
# written; without one (or with HASHWICK_UI=console) the run happens on the console.
# Usage: scripts/hashwick.sh FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
if [ $# -lt 1 ]; then
  echo "usage: $0 FOLDER" >&2
  exit 2
fi
program="$here/build/release/src/app/hashwick"
[ -x "$program" ] || echo "Installing what is needed and building the program (a few minutes, once)..." >&2
# The build's output is shown only if it fails, so the run's own messages stand alone.
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
if ! (cd "$here" && scripts/setup.sh release && cmake --build --preset release -j "$(nproc)") \
  >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
rm -f "$log"
trap - EXIT
exec "$program" "$@"
