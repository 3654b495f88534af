#!/usr/bin/env bash
# What the disk beneath a folder delivers by itself, with fio: sequential reads of 1 MiB and
# random reads of 4 KiB, each at 1, 4, 16 and 64 requests in flight (io_uring, O_DIRECT, so the
# page cache plays no part). Writes one 2 GiB file into the folder and removes it afterwards.
# Usage: bench/device_reads.sh [FOLDER]   (default ${TMPDIR:-/tmp})
set -euo pipefail

folder="${1:-${TMPDIR:-/tmp}}"
if ! command -v fio >/dev/null 2>&1; then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q fio >&2
fi
file="$folder/hashwick-fio.bin"
trap 'rm -f "$file"' EXIT

printf '%-12s %6s %12s %12s\n' "pattern" "depth" "MB/s" "reads/s"
for pattern in read:1M randread:4k; do
  for depth in 1 4 16 64; do
    fio --name=device --filename="$file" --size=2G --rw="${pattern%%:*}" --bs="${pattern#*:}" \
      --iodepth="$depth" --ioengine=io_uring --direct=1 --runtime=10 --time_based \
      --output-format=json 2>/dev/null | python3 -c '
import json, sys
read = json.load(sys.stdin)["jobs"][0]["read"]
print("%-12s %6s %12.0f %12.0f" % (sys.argv[1], sys.argv[2], read["bw_bytes"] / 1e6, read["iops"]))
' "${pattern}" "$depth"
  done
done
