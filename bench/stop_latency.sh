#!/usr/bin/env bash
# How soon --verify and --compare end after a stop signal, in each stage: the program runs on a
# terminal of its own, the signal goes out as soon as the stage shows on the status line, and the
# time until the program has ended is taken. The lists are those of bench/check_scaling.sh (a
# million distinct lines), which it makes when they are missing. RUNS (default 5) runs per stage;
# the table gives the median and the longest. HASHWICK_BUILD names a build directory to measure
# instead of the release preset's.
# Usage: bench/stop_latency.sh [SCRATCH_FOLDER]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
scratch="${1:-${TMPDIR:-/tmp}/hashwick-scaling}"
hashwick="${HASHWICK_BUILD:-$root/build/release}/src/app/hashwick"
[ -f "$scratch/data.stamp" ] || RUNS=1 "$root/bench/check_scaling.sh" "$scratch" >/dev/null

python3 - "$hashwick" "$scratch/work" "${RUNS:-5}" <<'PY'
import os, pty, select, signal, statistics, sys, time

hashwick, work, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
verify = ["--verify", "distinct.txt"]
compare = ["--compare", "distinct.txt", "distinct.txt"]
# The stage's name in the table, the command, what the status line shows, the signal.
stages = [
    ("--verify, reading the list", verify, "照合中 リストを読んでいます", signal.SIGINT),
    ("--verify, matching", verify, "照合中 照らし合わせています", signal.SIGTERM),
    ("--verify, writing the report", verify, "照合中 結果を書いています", signal.SIGHUP),
    ("--compare, reading the lists", compare, "比較中 リストを読んでいます", signal.SIGINT),
    ("--compare, comparing", compare, "比較中 比べています", signal.SIGTERM),
    ("--compare, writing the report", compare, "比較中 結果を書いています", signal.SIGHUP),
]

def one_run(arguments, stage, stop):
    pid, terminal = pty.fork()
    if pid == 0:
        os.chdir(work)
        os.execv(hashwick, [hashwick] + arguments)
    seen, sent = b"", None
    while True:
        ready, _, _ = select.select([terminal], [], [], 60)
        try:
            chunk = os.read(terminal, 4096) if ready else b""
        except OSError:
            chunk = b""
        if not chunk:
            break
        seen += chunk
        if sent is None and stage.encode() in seen:
            sent = time.monotonic()
            os.kill(pid, stop)
    _, status = os.waitpid(pid, 0)
    ended = time.monotonic()
    os.close(terminal)
    stopped = "中断しました".encode() in seen and os.WEXITSTATUS(status) == 1
    return (ended - sent) * 1000 if sent is not None and stopped else None

print(f"milliseconds from the signal to the program's end, {runs} runs per stage")
row = "{:<40} {:>8} {:>8}"
print(row.format("stage", "median", "longest"))
for name, arguments, stage, stop in stages:
    times = [one_run(arguments, stage, stop) for _ in range(runs)]
    if None in times:
        print(row.format(name, "missed", ""))
        continue
    print(row.format(name, f"{statistics.median(times):.0f}", f"{max(times):.0f}"))
PY
