#!/usr/bin/env bash
# How a run treats a rotating disk: the block requests that reach the device, counted as seeks and
# bytes, and the time they would take on a hard disk (8 ms per seek, 150 MB/s).
#
# An ext4 image (8 files of 64 MiB and 2,000 files of 0 to 20,000 bytes in 20 folders) is made
# once in the scratch folder and attached read-only to a loop device, first marked rotating
# (/sys/block/loopN/queue/rotational = 1), then marked not rotating: the same bytes at the same
# places both times. Each tool runs with the page cache dropped, under
# `perf record -e block:block_rq_issue -a`; a read that starts more than 1 MiB from where the
# previous read on the device ended is a seek. Tools: our run, our one-file-at-a-time pass
# (HASHWICK_THREADS=1), our run on reading threads (HASHWICK_IO_URING=0, as on Windows),
# `rhash -r --md5` and `hashdeep -r -c md5`, in turns, RUNS (default 3) times each; the table
# gives the medians.
#
# Needs root (loop devices, the page cache, perf's system-wide trace). Installs what is missing
# with apt-get. HASHWICK_BUILD names a build directory to measure instead of building the release
# preset. Usage: bench/rotating_disk.sh [SCRATCH_FOLDER]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
scratch="${1:-${TMPDIR:-/tmp}/hashwick-rotating}"
runs="${RUNS:-3}"

say() { echo "== $*" >&2; }

if [ "$(id -u)" -ne 0 ]; then
  echo "$0: loop devices, dropping the page cache and tracing the block layer need root" >&2
  exit 1
fi

missing=()
for entry in rhash:rhash hashdeep:hashdeep perf:linux-perf mkfs.ext4:e2fsprogs python3:python3; do
  command -v "${entry%%:*}" >/dev/null 2>&1 || missing+=("${entry#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
fi

build="${HASHWICK_BUILD:-$root/build/release}"
if [ -z "${HASHWICK_BUILD:-}" ]; then
  say "building the release preset"
  (cd "$root" && scripts/setup.sh release && cmake --build --preset release -j "$(nproc)" >&2)
fi
hashwick="$build/src/app/hashwick"

mkdir -p "$scratch/work" "$scratch/mount"
image="$scratch/disk.ext4"
mount="$scratch/mount"
loop=""
cleanup() {
  mountpoint -q "$mount" && umount "$mount"
  [ -z "$loop" ] || losetup -d "$loop" 2>/dev/null || true
}
trap cleanup EXIT

# --- The image ---------------------------------------------------------------------------------

want="large=8x64MiB small=2000 folders=20 seed=1"
if [ ! -f "$scratch/disk.stamp" ] || [ "$(cat "$scratch/disk.stamp")" != "$want" ]; then
  say "making the image"
  rm -f "$image" "$scratch/disk.stamp"
  truncate -s 1G "$image"
  mkfs.ext4 -q -F "$image"
  loop=$(losetup -f --show "$image")
  mount "$loop" "$mount"
  # As a delivery is copied onto a disk: folder after folder, each folder's files in turn, a large
  # file among the small ones in eight of the folders.
  python3 - "$mount" <<'PY'
import os, random, sys
top, rng = sys.argv[1], random.Random(1)
pool = rng.randbytes(8 * 1024 * 1024)
for f in range(20):
    folder = os.path.join(top, f"d{f:02d}")
    os.mkdir(folder)
    for i in range(100):
        size, start = rng.randint(0, 20000), rng.randrange(len(pool) - 20000)
        with open(os.path.join(folder, f"f{i:03d}.bin"), "wb") as out:
            out.write(pool[start:start + size])
    if f % 2 == 0 and f < 16:
        with open(os.path.join(folder, "large.bin"), "wb") as out:
            out.write(rng.randbytes(64 * 1024 * 1024))
PY
  umount "$mount"
  losetup -d "$loop"
  loop=""
  echo "$want" >"$scratch/disk.stamp"
fi

# --- Measuring ---------------------------------------------------------------------------------

# Runs a command with the page cache dropped and the block layer traced; prints the seeks, the
# bytes read and the seconds of the whole process, and checks that it succeeded.
measure() {
  local device="$1"
  shift
  sync
  echo 3 >/proc/sys/vm/drop_caches
  local start end
  start=$(date +%s.%N)
  (cd "$scratch/work" && perf record -q -e block:block_rq_issue -a -o "$scratch/perf.data" \
    -- "$@" >/dev/null 2>"$scratch/errors.txt")
  end=$(date +%s.%N)
  perf script -i "$scratch/perf.data" 2>/dev/null | python3 -c '
import re, sys
device, elapsed = sys.argv[1], float(sys.argv[2])
seeks = requests = sectors = 0
last_end = None
pattern = re.compile(r"block_rq_issue: (\d+,\d+) (\S+) \d+ \(.*?\) (\d+) \+ (\d+)")
for line in sys.stdin:
    found = pattern.search(line)
    if not found or found.group(1) != device or "R" not in found.group(2):
        continue
    start, count = int(found.group(3)), int(found.group(4))
    if last_end is not None and abs(start - last_end) * 512 > 1024 * 1024:
        seeks += 1
    last_end = start + count
    requests += 1
    sectors += count
print(seeks, sectors * 512, requests, "%.3f" % elapsed)
' "$device" "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')"
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

names=("ours" "one file at a time" "ours, threads" "rhash -r --md5" "hashdeep -r -c md5")
command_of() {
  case "$1" in
    0) echo env -u DISPLAY -u WAYLAND_DISPLAY HASHWICK_UI=console "$hashwick" "$mount" ;;
    1) echo env -u DISPLAY -u WAYLAND_DISPLAY HASHWICK_UI=console HASHWICK_THREADS=1 "$hashwick" "$mount" ;;
    2) echo env -u DISPLAY -u WAYLAND_DISPLAY HASHWICK_UI=console HASHWICK_IO_URING=0 "$hashwick" \
      "$mount" ;;
    3) echo rhash -r --md5 "$mount" ;;
    4) echo hashdeep -r -c md5 "$mount" ;;
  esac
}

printf '%-12s %-20s %7s %10s %9s %11s %9s\n' device tool seeks "MB read" requests "modelled s" "wall s"
for rotational in 1 0; do
  loop=$(losetup -f --show --read-only --direct-io=on "$image")
  echo "$rotational" >"/sys/block/${loop#/dev/}/queue/rotational"
  mount -o ro "$loop" "$mount"
  device="$(cat "/sys/block/${loop#/dev/}/dev" | tr : ,)"
  say "${loop} rotational=$rotational"
  declare -A seeks=() bytes=() requests=() wall=()
  for ((run = 0; run < runs; run++)); do
    for tool in 0 1 2 3 4; do
      # shellcheck disable=SC2046
      read -r s b r w < <(measure "$device" $(command_of "$tool"))
      seeks[$tool]+=" $s"
      bytes[$tool]+=" $b"
      requests[$tool]+=" $r"
      wall[$tool]+=" $w"
    done
  done
  label=$([ "$rotational" = 1 ] && echo rotating || echo "not rotating")
  for tool in 0 1 2 3 4; do
    # shellcheck disable=SC2086
    s=$(median ${seeks[$tool]})
    # shellcheck disable=SC2086
    b=$(median ${bytes[$tool]})
    # shellcheck disable=SC2086
    r=$(median ${requests[$tool]})
    # shellcheck disable=SC2086
    w=$(median ${wall[$tool]})
    modelled=$(awk -v s="$s" -v b="$b" 'BEGIN { printf "%.2f", s * 0.008 + b / 150e6 }')
    printf '%-12s %-20s %7s %10.1f %9s %11s %9s\n' "$label" "${names[$tool]}" "$s" \
      "$(awk -v b="$b" 'BEGIN { print b / 1e6 }')" "$r" "$modelled" "$w"
  done
  unset seeks bytes requests wall
  umount "$mount"
  losetup -d "$loop"
  loop=""
done
