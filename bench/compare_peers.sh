#!/usr/bin/env bash
# Compares Hashwick's MD5 engine and its walk and hashing pass with other tools on the same machine:
#   a. engine throughput on 16 KiB buffers against `openssl speed -evp md5`;
#   b. one 1 GB file against `openssl md5`;
#   c. a tree of 100,000 small files against `rhash -r --md5` and `find | xargs md5sum`;
#   d. peak memory of the tree run, ours and the peers'.
# Timings are wall-clock times of whole processes, best of three, after an untimed pass that puts
# the data in the page cache. The data (about 2.1 GB) is built once in the scratch folder and
# reused by later runs; SEED (default 1) chooses its contents. HASHWICK_BUILD names a build
# directory to measure instead of configuring and building the release preset.
# Usage: bench/compare_peers.sh [SCRATCH_FOLDER]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
scratch="${1:-${TMPDIR:-/tmp}/hashwick-bench}"
seed="${SEED:-1}"
runs=3

big_bytes=1000000000
tree_folders=500
tree_files_per_folder=200
tree_files=$((tree_folders * tree_files_per_folder))
tree_largest=20000

say() { echo "== $*" >&2; }

# --- Tools -------------------------------------------------------------------------------------

install_missing() {
  local missing=() entry command package
  for entry in rhash:rhash openssl:openssl /usr/bin/time:time python3:python3; do
    command="${entry%%:*}"
    package="${entry#*:}"
    command -v "$command" >/dev/null 2>&1 || missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
      "${missing[@]}" >&2
  fi
}

build_release() {
  say "building the release preset"
  (
    cd "$root"
    scripts/setup.sh
    cmake --preset release >/dev/null
    cmake --build --preset release -j "$(nproc)" >&2
  )
}

# --- Data --------------------------------------------------------------------------------------

big_folder="$scratch/big"
big_file="$big_folder/random.bin"
tree="$scratch/tree"

# A stamp records what a finished build of the data was made from, so an interrupted or
# differently seeded build is made again rather than measured.
build_big_file() {
  local stamp="$scratch/big.stamp" want="bytes=$big_bytes seed=$seed"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && [ -f "$big_file" ]; then
    say "reusing $big_file"
    return
  fi
  say "writing $big_file ($big_bytes bytes)"
  rm -rf "$big_folder" "$stamp"
  mkdir -p "$big_folder"
  # AES-CTR over zeros keyed by the seed: fast, incompressible and the same on every run. head
  # closing the pipe ends openssl with SIGPIPE, which is expected.
  (openssl enc -aes-128-ctr -nosalt -pbkdf2 -pass "pass:hashwick-$seed" </dev/zero 2>/dev/null ||
    true) | head -c "$big_bytes" >"$big_file"
  [ "$(stat -c %s "$big_file")" -eq "$big_bytes" ] || {
    echo "short file: $big_file" >&2
    exit 1
  }
  echo "$want" >"$stamp"
}

build_tree() {
  local stamp="$scratch/tree.stamp"
  local want="folders=$tree_folders files=$tree_files_per_folder largest=$tree_largest seed=$seed"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && [ -d "$tree" ]; then
    say "reusing $tree"
    return
  fi
  say "writing $tree ($tree_files files)"
  rm -rf "$tree" "$stamp"
  mkdir -p "$tree"
  python3 - "$tree" "$tree_folders" "$tree_files_per_folder" "$tree_largest" "$seed" <<'PY'
import os
import random
import sys

tree, folders, per_folder, largest, seed = sys.argv[1], *map(int, sys.argv[2:])
rng = random.Random(seed)
# Every file is a slice of one seeded pool at a seeded offset: distinct contents without
# generating a gigabyte of random numbers in Python.
pool = rng.randbytes(32 * 1024 * 1024)
for f in range(folders):
    folder = os.path.join(tree, f"d{f:03d}")
    os.mkdir(folder)
    for i in range(per_folder):
        size = rng.randint(0, largest)
        start = rng.randrange(len(pool) - largest)
        with open(os.path.join(folder, f"f{i:03d}.bin"), "wb") as out:
            out.write(pool[start:start + size])
PY
  echo "$want" >"$stamp"
}

warm_cache() {
  say "warming the page cache"
  cat "$big_file" >/dev/null
  find "$tree" -type f -print0 | xargs -0 cat >/dev/null
}

# --- Measuring ---------------------------------------------------------------------------------

out_file="$scratch/last-output.txt"
mem_file="$scratch/last-memory.txt"
best_file="$scratch/best-output.txt"

# Runs a command once with its standard output to $out_file (or /dev/null with --quiet) and sets
# `elapsed` (seconds, wall clock of the whole process) and `rss_kb` (GNU time's maximum resident
# set size of the process or its largest descendant).
elapsed=0
rss_kb=0
timed_run() {
  local sink="$out_file"
  if [ "$1" = --quiet ]; then
    sink=/dev/null
    shift
  fi
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -f '%M' -o "$mem_file" "$@" >"$sink" 2>"$scratch/last-errors.txt"
  end=$(date +%s.%N)
  elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  rss_kb=$(tail -n 1 "$mem_file")
}

# Best of $runs: the shortest time (best_s) and the largest peak (best_rss_kb) over the runs; the
# output of the fastest run is kept in $best_file.
best_s=0
best_rss_kb=0
best_of_runs() {
  best_s=""
  best_rss_kb=0
  local run
  for ((run = 0; run < runs; run++)); do
    timed_run "$@"
    if [ -z "$best_s" ] || awk -v a="$elapsed" -v b="$best_s" 'BEGIN { exit !(a < b) }'; then
      best_s=$elapsed
      if [ "$1" != --quiet ]; then
        cp "$out_file" "$best_file"
      fi
    fi
    if [ "$rss_kb" -gt "$best_rss_kb" ]; then
      best_rss_kb=$rss_kb
    fi
  done
}

field() { sed -n "s/^$1: *//p" "$best_file" | head -n 1; }

# Checks that a run saw every file of the data and failed on none, so a fast but incomplete run
# cannot pass. The timed runs leave out the tool's byte count (a stat per file, which the peers do
# not make); one untimed run with it checks beforehand that the digested files hold every byte.
check_our_run() {
  local files="$1" bytes="$2" what="$3"
  if [ "$(field files)" != "$files" ] || [ "$(field failed)" != 0 ] ||
    { [ -n "$bytes" ] && [ "$(field bytes)" != "$bytes" ]; }; then
    echo "hashwick-walk on $what: expected $files files, ${bytes:-any} bytes, none failed; got:" >&2
    cat "$best_file" >&2
    exit 1
  fi
}

check_bytes_run() {
  local folder="$1" files="$2" bytes="$3"
  "$walk" --bytes "$folder" >"$best_file"
  check_our_run "$files" "$bytes" "$folder"
}

# --- Main --------------------------------------------------------------------------------------

install_missing
build="${HASHWICK_BUILD:-$root/build/release}"
[ -n "${HASHWICK_BUILD:-}" ] || build_release
walk="$build/bench/hashwick-walk"
engine="$build/bench/md5_throughput"

mkdir -p "$scratch"
build_big_file
build_tree
tree_bytes=$(find "$tree" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f", s }')
warm_cache

say "a. engine on 16 KiB buffers"
ours_engine=0
peer_engine=0
for ((run = 0; run < runs; run++)); do
  value=$("$engine" --benchmark_filter='/16384' --benchmark_format=json 2>/dev/null |
    python3 -c 'import json, sys; print("%.0f" % json.load(sys.stdin)["benchmarks"][0]["bytes_per_second"])')
  if awk -v a="$value" -v b="$ours_engine" 'BEGIN { exit !(a > b) }'; then
    ours_engine=$value
  fi
  # The column is in thousands of bytes per second, written with a trailing k.
  value=$(openssl speed -evp md5 -bytes 16384 2>/dev/null |
    awk '$1 == "md5" { v = $2; sub(/k$/, "", v); printf "%.0f", v * 1000 }')
  if awk -v a="$value" -v b="$peer_engine" 'BEGIN { exit !(a > b) }'; then
    peer_engine=$value
  fi
done

say "b. one 1 GB file"
check_bytes_run "$big_folder" 1 "$big_bytes"
best_of_runs "$walk" "$big_folder"
check_our_run 1 "" "$big_folder"
ours_big_s=$best_s
ours_big_internal_s=$(field seconds)
best_of_runs --quiet openssl md5 "$big_file"
peer_big_s=$best_s

say "c. $tree_files small files"
check_bytes_run "$tree" "$tree_files" "$tree_bytes"
best_of_runs "$walk" "$tree"
check_our_run "$tree_files" "" "$tree"
ours_tree_s=$best_s
ours_tree_rss_kb=$best_rss_kb
ours_tree_own_peak=$(field 'peak memory bytes')
ours_tree_internal_s=$(field seconds)
best_of_runs --quiet rhash -r --md5 "$tree"
rhash_tree_s=$best_s
rhash_tree_rss_kb=$best_rss_kb
# shellcheck disable=SC2016  # the tree is passed as $1 to the inner shell
best_of_runs --quiet bash -c 'find "$1" -type f -print0 | xargs -0 md5sum' _ "$tree"
md5sum_tree_s=$best_s
md5sum_tree_rss_kb=$best_rss_kb

# --- Table -------------------------------------------------------------------------------------

python3 - <<PY
import os
import platform

def cpu():
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown CPU"

def verdict(ratio, target, at_most):
    ok = ratio <= target if at_most else ratio >= target
    return "PASS" if ok else "MISS"

files = $tree_files
ours_engine, peer_engine = $ours_engine / 1e6, $peer_engine / 1e6
ours_big, peer_big = $ours_big_s, $peer_big_s
ours_tree, rhash_tree, md5sum_tree = $ours_tree_s, $rhash_tree_s, $md5sum_tree_s
faster_name, faster = min((("rhash", rhash_tree), ("find|md5sum", md5sum_tree)), key=lambda p: p[1])

print(f"Hashwick against peers, {platform.node()}, {cpu()}, {os.cpu_count()} CPUs, "
      f"best of $runs, page cache warm")
print(f"tree: {files} files, {$tree_bytes} bytes; big file: {$big_bytes} bytes")
print()
row = "{:<34} {:>14} {:>24} {:>7} {:>8} {:>5}"
print(row.format("measure", "ours", "peer", "ratio", "target", "    "))
print(row.format("-" * 34, "-" * 14, "-" * 24, "-" * 7, "-" * 8, "-" * 5))
r = ours_engine / peer_engine
print(row.format("a. engine, 16 KiB buffers (MB/s)", f"{ours_engine:.1f}",
                 f"{peer_engine:.1f} openssl speed", f"{r:.3f}", ">= 0.95", verdict(r, 0.95, False)))
r = ours_big / peer_big
print(row.format("b. one 1 GB file (s)", f"{ours_big:.3f}", f"{peer_big:.3f} openssl md5",
                 f"{r:.3f}", "<= 1.05", verdict(r, 1.05, True)))
r = ours_tree / faster
print(row.format(f"c. {files} files (s)", f"{ours_tree:.3f}", f"{rhash_tree:.3f} rhash",
                 "", "", ""))
print(row.format("", "", f"{md5sum_tree:.3f} find|md5sum", "", "", ""))
print(row.format("   against the faster peer", "", faster_name, f"{r:.3f}", "<= 1.00",
                 verdict(r, 1.0, True)))
print()
print("peak memory of the tree run (bytes; bytes per file)")
mem = "  {:<34} {:>14} {:>10}"
print(mem.format("ours, own report (ru_maxrss)", $ours_tree_own_peak, f"{$ours_tree_own_peak / files:.0f}"))
for name, kb in (("ours, GNU time", $ours_tree_rss_kb), ("rhash, GNU time", $rhash_tree_rss_kb),
                 ("find|md5sum, GNU time (largest)", $md5sum_tree_rss_kb)):
    print(mem.format(name, kb * 1024, f"{kb * 1024 / files:.0f}"))
print()
print(f"hashwick-walk's own timer (walk and hashing only): 1 GB file {$ours_big_internal_s:.3f} s, "
      f"tree {$ours_tree_internal_s:.3f} s")
PY
