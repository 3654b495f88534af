#!/usr/bin/env bash
# Runs a Windows program under Wine in the given Wine prefix, which is made on first use; CMake
# runs the Windows build's tests through it.
# Usage: scripts/wine-run.sh PREFIX PROGRAM [ARGUMENT...]
set -euo pipefail
export WINEPREFIX="$1"
shift
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
# Several tests start at once on a new prefix: one makes it, the others wait.
(
  flock 9
  if [ ! -f "$WINEPREFIX/.made" ]; then
    wineboot --init >/dev/null 2>&1 9>&-
    wineserver --wait
    touch "$WINEPREFIX/.made"
  fi
  # Wine's server and its system programs (services.exe and the rest) outlive the program that
  # starts them, as long as other programs use them. Started by a test, they would hold that
  # test's output open and ctest would wait for them; so they are started here, apart from any
  # test's output and without the lock, and kept for a while between tests.
  if wineserver -p30 </dev/null >/dev/null 2>&1 9>&-; then
    wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
  fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
