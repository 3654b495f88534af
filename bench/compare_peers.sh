#!/usr/bin/env bash
# Compares whole runs of the program with other tools on the same machine, in one run:
#   e. the eight-lane MD5 engine against the one-stream engine, eight 16 KiB messages, one core;
#   t. a tree of 100,000 small files: `hashwick TREE` against `rhash -r --md5 TREE`;
#   s. 64 files of 16 MiB: `hashwick DIR` against `rhash -r --md5 DIR`;
#   b. one 1 GiB file: `hashwick DIR` against `openssl md5 FILE`;
#   w. the window (under Xvfb) against the console, on the tree;
#   n. the console program against its walk-and-hash tool (no dialog, no notifications), on the tree;
#   m. peak memory over an empty run, per file, on the tree and on 1,000,000 empty files;
#   ct, cs, cb. the tree, the 64 files and the 1 GiB file cold: the page cache dropped before
#      every run, against rhash or openssl and against the floor, our plain reader
#      (bench/floor_read.cpp: walk by names, read with N threads, hash nothing) at its best N.
# Times are wall-clock times of whole processes, start-up and exit included, medians of RUNS
# (default 5) runs taken in turns with the peer's. Warm rows come after an untimed pass that puts
# the data in the page cache. Cold rows need root (they write /proc/sys/vm/drop_caches); without
# it the script says so and leaves them out. ROWS (default "e t s b w n m ct cs cb") chooses the
# rows; FLOOR_THREADS (default "4 16 64") the floor's thread counts. The data (about 3.2 GB) is
# built once in the scratch folder and reused; SEED (default 1) chooses its contents.
# HASHWICK_BUILD names a build directory to measure instead of building the release preset.
# Usage: bench/compare_peers.sh [SCRATCH_FOLDER]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
scratch="${1:-${TMPDIR:-/tmp}/hashwick-bench}"
seed="${SEED:-1}"
runs="${RUNS:-5}"
rows=" ${ROWS:-e t s b w n m ct cs cb} "
floor_threads=(${FLOOR_THREADS:-4 16 64})

wanted() { [[ "$rows" == *" $1 "* ]]; }

say() { echo "== $*" >&2; }

# --- Tools -------------------------------------------------------------------------------------

install_missing() {
  local missing=() entry command package
  for entry in rhash:rhash openssl:openssl /usr/bin/time:time python3:python3 Xvfb:xvfb; do
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
  (cd "$root" && scripts/setup.sh release && cmake --build --preset release -j "$(nproc)" >&2)
}

# --- Data --------------------------------------------------------------------------------------

# A stamp records what a finished build of the data was made from, so an interrupted or
# differently seeded build is made again rather than measured.
fresh() {
  local name="$1" want="$2"
  [ -f "$scratch/$name.stamp" ] && [ "$(cat "$scratch/$name.stamp")" = "$want" ] &&
    [ -e "$scratch/$name" ]
}

# Incompressible bytes, the same for a given seed and name: AES-CTR over zeros. head closing the
# pipe ends openssl with SIGPIPE, which is expected.
random_bytes() {
  (openssl enc -aes-128-ctr -nosalt -pbkdf2 -pass "pass:hashwick-$seed-$2" </dev/zero 2>/dev/null ||
    true) | head -c "$1"
}

build_data() {
  local want
  want="bytes=1073741824 seed=$seed"
  if ! fresh big "$want"; then
    say "writing one 1 GiB file"
    rm -rf "$scratch/big" && mkdir -p "$scratch/big"
    random_bytes 1073741824 big >"$scratch/big/random.bin"
    echo "$want" >"$scratch/big.stamp"
  fi
  want="files=64 bytes=16777216 seed=$seed"
  if ! fresh sixtyfour "$want"; then
    say "writing 64 files of 16 MiB"
    rm -rf "$scratch/sixtyfour" && mkdir -p "$scratch/sixtyfour"
    for i in $(seq -w 0 63); do
      random_bytes 16777216 "f$i" >"$scratch/sixtyfour/f$i.bin"
    done
    echo "$want" >"$scratch/sixtyfour.stamp"
  fi
  want="folders=500 files=200 largest=20000 seed=$seed"
  if ! fresh tree "$want"; then
    say "writing 100,000 files of 0 to 20,000 bytes in 500 folders"
    rm -rf "$scratch/tree" && mkdir -p "$scratch/tree"
    python3 - "$scratch/tree" "$seed" <<'PY'
import os, random, sys
tree, seed = sys.argv[1], int(sys.argv[2])
rng = random.Random(seed)
# Every file is a slice of one seeded pool at a seeded offset: distinct contents without
# generating a gigabyte of random numbers in Python.
pool = rng.randbytes(32 * 1024 * 1024)
for f in range(500):
    folder = os.path.join(tree, f"d{f:03d}")
    os.mkdir(folder)
    for i in range(200):
        size = rng.randint(0, 20000)
        start = rng.randrange(len(pool) - 20000)
        with open(os.path.join(folder, f"f{i:03d}.bin"), "wb") as out:
            out.write(pool[start:start + size])
PY
    echo "$want" >"$scratch/tree.stamp"
  fi
  want="folders=1000 files=1000"
  if ! fresh million "$want"; then
    say "writing 1,000,000 empty files in 1,000 folders"
    rm -rf "$scratch/million" && mkdir -p "$scratch/million"
    python3 - "$scratch/million" <<'PY'
import os, sys
for f in range(1000):
    folder = os.path.join(sys.argv[1], f"d{f:04d}")
    os.mkdir(folder)
    for i in range(1000):
        open(os.path.join(folder, f"e{i:04d}"), "wb").close()
PY
    echo "$want" >"$scratch/million.stamp"
  fi
  mkdir -p "$scratch/empty"
}

warm_cache() {
  say "warming the page cache"
  for folder in big sixtyfour tree; do
    find "$scratch/$folder" -type f -print0 | xargs -0 cat >/dev/null
  done
}

# --- Measuring ---------------------------------------------------------------------------------

work="$scratch/work"

# Runs a command once in the working folder, output discarded; sets `elapsed` (seconds, wall
# clock of the whole process) and `rss_kb` (GNU time's maximum resident set size).
elapsed=0
rss_kb=0
timed_run() {
  local start end
  start=$(date +%s.%N)
  (cd "$work" && /usr/bin/time -f '%M' -o "$scratch/memory.txt" "$@" >/dev/null 2>"$scratch/errors.txt")
  end=$(date +%s.%N)
  elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  rss_kb=$(tail -n 1 "$scratch/memory.txt")
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

console=(env -u DISPLAY -u WAYLAND_DISPLAY HASHWICK_UI=console)

# Checks that our run's list holds a digest for every file and no failure section.
check_list() {
  local list="$work/$1" files="$2"
  if [ "$(grep -c $'\t' "$list")" != "$files" ] || grep -q '^#-*###' "$list"; then
    echo "the list $list does not hold $files digests without failures" >&2
    exit 1
  fi
}

# Median times of ours and the peer's, run in turns: sets ours_s and peer_s.
ours_s=0
peer_s=0
in_turns() {
  local -n ours_command=$1 peer_command=$2
  local ours_times=() peer_times=() run
  for ((run = 0; run < runs; run++)); do
    timed_run "${ours_command[@]}"
    ours_times+=("$elapsed")
    timed_run "${peer_command[@]}"
    peer_times+=("$elapsed")
  done
  ours_s=$(median "${ours_times[@]}")
  peer_s=$(median "${peer_times[@]}")
}

# Median peak memory of our runs on a folder, in bytes.
peak_bytes() {
  local peaks=() run
  for ((run = 0; run < 3; run++)); do
    timed_run "${console[@]}" "$hashwick" "$1"
    peaks+=("$((rss_kb * 1024))")
  done
  median "${peaks[@]}"
}

# Cold rows: the page cache is dropped before every run.
can_drop_caches() { [ "$(id -u)" -eq 0 ] && [ -w /proc/sys/vm/drop_caches ]; }
drop_caches() { sync && echo 3 >/proc/sys/vm/drop_caches; }

# Median cold times of ours, the peer's and the floor's at each of FLOOR_THREADS, all run in
# turns: sets ours_s, peer_s, floor_s (the best floor median) and floor_n (its thread count).
floor_s=0
floor_n=0
cold_in_turns() {
  local -n ours_command=$1 peer_command=$2
  local folder=$3 ours_times=() peer_times=() run n
  declare -A floor_times=()
  for ((run = 0; run < runs; run++)); do
    drop_caches
    timed_run "${ours_command[@]}"
    ours_times+=("$elapsed")
    drop_caches
    timed_run "${peer_command[@]}"
    peer_times+=("$elapsed")
    for n in "${floor_threads[@]}"; do
      drop_caches
      timed_run "$floor" "$n" "$folder"
      floor_times[$n]+=" $elapsed"
    done
  done
  ours_s=$(median "${ours_times[@]}")
  peer_s=$(median "${peer_times[@]}")
  floor_s=""
  for n in "${floor_threads[@]}"; do
    local m
    # shellcheck disable=SC2086
    m=$(median ${floor_times[$n]})
    if [ -z "$floor_s" ] || awk -v a="$m" -v b="$floor_s" 'BEGIN { exit !(a < b) }'; then
      floor_s=$m
      floor_n=$n
    fi
  done
}

# What the table shows, one row a line: kind, name, ours, peer, peer's name, target.
results="$scratch/results.txt"
record() { printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$results"; }

# --- Main --------------------------------------------------------------------------------------

install_missing
build="${HASHWICK_BUILD:-$root/build/release}"
[ -n "${HASHWICK_BUILD:-}" ] || build_release
hashwick="$build/src/app/hashwick"
engine="$build/bench/md5_throughput"
walk="$build/bench/hashwick-walk"
floor="$build/bench/hashwick-floor"
mkdir -p "$scratch" "$work"
build_data
: >"$results"

if wanted e; then
  say "e. engines, eight messages of 16 KiB"
  lanes=() single=()
  for ((run = 0; run < runs; run++)); do
    while read -r name value; do
      case "$name" in
        *Avx2*) lanes+=("$value") ;;
        *OneStream*) single+=("$value") ;;
      esac
    done < <(taskset -c 0 "$engine" --benchmark_filter='Md5EightMessages/(OneStream|Avx2)/16384' \
      --benchmark_format=json 2>/dev/null | python3 -c '
import json, sys
for b in json.load(sys.stdin)["benchmarks"]:
    print(b["name"], "%.0f" % b["bytes_per_second"])')
  done
  record engine "e. 8 x 16 KiB, one core (MB/s)" "$(median "${lanes[@]}")" \
    "$(median "${single[@]}")" "one-stream engine" 3
fi

if wanted t || wanted s || wanted b || wanted w || wanted n; then
  warm_cache
fi

if wanted t; then
  say "t. 100,000 files"
  ours=("${console[@]}" "$hashwick" "$scratch/tree")
  peer=(rhash -r --md5 "$scratch/tree")
  in_turns ours peer
  check_list Hashwick_tree.txt 100000
  record time "t. 100,000 files, 0-20 KB (s)" "$ours_s" "$peer_s" "rhash -r --md5" 0.5
fi

if wanted s; then
  say "s. 64 files of 16 MiB"
  ours=("${console[@]}" "$hashwick" "$scratch/sixtyfour")
  peer=(rhash -r --md5 "$scratch/sixtyfour")
  in_turns ours peer
  check_list Hashwick_sixtyfour.txt 64
  record time "s. 64 files of 16 MiB (s)" "$ours_s" "$peer_s" "rhash -r --md5" 0.4
fi

if wanted b; then
  say "b. one 1 GiB file"
  ours=("${console[@]}" "$hashwick" "$scratch/big")
  peer=(openssl md5 "$scratch/big/random.bin")
  in_turns ours peer
  check_list Hashwick_big.txt 1
  record time "b. one 1 GiB file (s)" "$ours_s" "$peer_s" "openssl md5" 0.9
fi

if wanted w; then
  say "w. the window under Xvfb"
  display=:$((90 + RANDOM % 9))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  sleep 1
  ours=(env DISPLAY="$display" HASHWICK_UI=window "$hashwick" "$scratch/tree")
  peer=("${console[@]}" "$hashwick" "$scratch/tree")
  in_turns ours peer
  check_list Hashwick_tree.txt 100000
  record time "w. window, 100,000 files (s)" "$ours_s" "$peer_s" "the console run" 1.05
fi

if wanted n; then
  say "n. the program against its walk-and-hash tool"
  ours=("${console[@]}" "$hashwick" "$scratch/tree")
  peer=("$walk" --list "$scratch/tree")
  in_turns ours peer
  record time "n. notifications, 100,000 files (s)" "$ours_s" "$peer_s" "hashwick-walk --list" 1.03
fi

if wanted m; then
  say "m. peak memory"
  empty_peak=$(peak_bytes "$scratch/empty")
  tree_peak=$(peak_bytes "$scratch/tree")
  million_peak=$(peak_bytes "$scratch/million")
  check_list Hashwick_million.txt 1000000
  record memory "   empty folder" "$empty_peak" "" "" ""
  record memory "   100,000 files" "$tree_peak" "$empty_peak" 100000 350
  record memory "   1,000,000 empty files" "$million_peak" "$empty_peak" 1000000 350
fi

# A cold row and its floor row: name, folder, target against the peer (or none), target against
# the floor (or none), the files the list holds, then the peer's command.
cold_row() {
  local name=$1 folder=$2 peer_target=$3 floor_target=$4 files=$5
  shift 5
  local -a peer=("$@")
  say "$name, cold"
  ours=("${console[@]}" "$hashwick" "$scratch/$folder")
  cold_in_turns ours peer "$scratch/$folder"
  check_list "Hashwick_$folder.txt" "$files"
  record time "$name, cold (s)" "$ours_s" "$peer_s" "${peer[*]:0:2}" "$peer_target"
  record time "$name, cold (s)" "$ours_s" "$floor_s" "floor, $floor_n threads" "$floor_target"
}

if wanted ct || wanted cs || wanted cb; then
  if ! can_drop_caches; then
    say "cold rows left out: dropping the page cache needs root"
  else
    if wanted ct; then
      cold_row "ct. 100,000 files" tree 0.35 1.3 100000 rhash -r --md5 "$scratch/tree"
    fi
    if wanted cs; then
      cold_row "cs. 64 files of 16 MiB" sixtyfour "" 1.3 64 rhash -r --md5 "$scratch/sixtyfour"
    fi
    if wanted cb; then
      cold_row "cb. one 1 GiB file" big 0.9 "" 1 openssl md5 "$scratch/big/random.bin"
    fi
  fi
fi

python3 - "$results" "$runs" <<'PY'
import os, platform, sys

def cpu():
    with open("/proc/cpuinfo") as info:
        for line in info:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return platform.processor() or "unknown CPU"

def verdict(ratio, target, at_most=True):
    if not target:
        return ""
    return "PASS" if (ratio <= float(target) if at_most else ratio >= float(target)) else "MISS"

rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1])]
print(f"Hashwick against peers, {platform.node()}, {cpu()}, {os.cpu_count()} CPUs, "
      f"medians of {sys.argv[2]} runs in turns")
print()
row = "{:<40} {:>10} {:>30} {:>7} {:>8} {:>5}"
print(row.format("measure", "ours", "peer", "ratio", "target", ""))
print(row.format("-" * 40, "-" * 10, "-" * 30, "-" * 7, "-" * 8, "-" * 5))
for kind, name, ours, peer, peer_name, target in rows:
    if kind == "engine":
        r = float(ours) / float(peer)
        print(row.format(name, f"{float(ours) / 1e6:.0f} AVX2",
                         f"{float(peer) / 1e6:.0f} {peer_name}", f"{r:.2f}", f">= {target}",
                         verdict(r, target, False)))
    elif kind == "time":
        r = float(ours) / float(peer)
        print(row.format(name, f"{float(ours):.3f}", f"{float(peer):.3f} {peer_name}", f"{r:.3f}",
                         f"<= {target}" if target else "", verdict(r, target)))
memory = [r for r in rows if r[0] == "memory"]
if memory:
    print()
    mem = "{:<40} {:>14} {:>16} {:>8} {:>5}"
    print(mem.format("m. peak memory", "bytes", "over empty run", "per file", ""))
    for _, name, peak, empty, files, target in memory:
        if not files:
            print(mem.format(name, peak, "", "", ""))
            continue
        per_file = (int(peak) - int(empty)) / int(files)
        print(mem.format(name, peak, int(peak) - int(empty), f"{per_file:.0f}",
                         verdict(per_file, target)))
PY
