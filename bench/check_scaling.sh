#!/usr/bin/env bash
# How --verify and --compare scale where many names share their bytes in a list:
#   h. 40,000 files named with three Hangul syllables each (every one is "???" in the list):
#      making the list, checking the folder against it, and comparing the list with itself;
#   e. a list of 1,000,000 lines of one path against one of 1,000,000 distinct paths, both
#      checked against a folder that holds that one file and compared with themselves.
# Times are wall-clock times of whole processes, medians of RUNS (default 5) runs taken in turns,
# the page cache warm. HASHWICK_BUILD names a build directory to measure instead of building the
# release preset.
# Usage: bench/check_scaling.sh [SCRATCH_FOLDER]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
scratch="${1:-${TMPDIR:-/tmp}/hashwick-scaling}"
runs="${RUNS:-5}"

say() { echo "== $*" >&2; }

if [ -z "${HASHWICK_BUILD:-}" ]; then
  say "building the release preset"
  (cd "$root" && scripts/setup.sh release && cmake --build --preset release -j "$(nproc)" >&2)
fi
hashwick="${HASHWICK_BUILD:-$root/build/release}/src/app/hashwick"
work="$scratch/work"
mkdir -p "$scratch" "$work"

if [ ! -f "$scratch/data.stamp" ]; then
  say "writing 40,000 Hangul names and two lists of 1,000,000 lines"
  rm -rf "$scratch/hangul" "$scratch/one"
  python3 - "$scratch" <<'PY'
import hashlib, os, sys
scratch = sys.argv[1]
hangul = os.path.join(scratch, "hangul")
os.mkdir(hangul)
for i in range(40000):
    name = "".join(chr(0xAC00 + syllable % 11172) for syllable in (i, i // 11172, i * 7))
    with open(os.path.join(hangul, name), "w") as out:
        out.write(str(i))
one = os.path.join(scratch, "one")
os.mkdir(one)
with open(os.path.join(one, "f"), "w") as out:
    out.write("f")
tail = ("#------------------------------------------\r\n# ベクタ生成は0.0秒です\r\n"
        "# MD5計算は0.0秒です\r\n")
def write_list(name, paths):
    with open(os.path.join(scratch, "work", name), "wb") as out:
        out.write(f"# {one}(1000000)\r\n#{'=' * 42}\r\n".encode("cp932"))
        for path, digest in paths:
            out.write(f"{one}/{path}\t{digest}\r\n".encode("cp932"))
        out.write(tail.encode("cp932"))
f = hashlib.md5(b"f").hexdigest()
write_list("equal.txt", (("f", f) for _ in range(1000000)))
write_list("distinct.txt", (("f" if i == 0 else f"g{i:07d}", hashlib.md5(str(i).encode()).hexdigest())
                            for i in range(1000000)))
PY
  touch "$scratch/data.stamp"
fi
find "$scratch/hangul" "$scratch/one" -type f -print0 | xargs -0 cat >/dev/null

elapsed=0
timed_run() {
  local start end
  start=$(date +%s.%N)
  (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY HASHWICK_UI=console "$hashwick" "$@" \
    >/dev/null 2>"$scratch/errors.txt") || [ $? -eq 1 ]
  end=$(date +%s.%N)
  elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The medians of the commands, each given as the name of an array of the program's arguments,
# run in turns: sets `medians`.
medians=()
in_turns() {
  local -A times=()
  local name run
  for ((run = 0; run < runs; run++)); do
    for name in "$@"; do
      local -n arguments="$name"
      timed_run "${arguments[@]}"
      unset -n arguments
      times[$name]+="$elapsed "
    done
  done
  medians=()
  for name in "$@"; do
    # shellcheck disable=SC2086
    medians+=("$(median ${times[$name]})")
  done
}

say "h. 40,000 Hangul names"
make=("$scratch/hangul")
verify=(--verify Hashwick_hangul.txt)
compare=(--compare Hashwick_hangul.txt Hashwick_hangul.txt)
timed_run "${make[@]}"
in_turns make verify compare
hangul=("${medians[@]}")

say "e. 1,000,000 equal and distinct lines"
verify_equal=(--verify equal.txt)
verify_distinct=(--verify distinct.txt)
compare_equal=(--compare equal.txt equal.txt)
compare_distinct=(--compare distinct.txt distinct.txt)
in_turns verify_equal verify_distinct compare_equal compare_distinct
lines=("${medians[@]}")

python3 - "${hangul[@]}" "${lines[@]}" "$runs" <<'PY'
import sys
make, verify, compare, v_equal, v_distinct, c_equal, c_distinct = map(float, sys.argv[1:8])
print(f"medians of {sys.argv[8]} runs in turns, page cache warm")
row = "{:<44} {:>8} {:>8} {:>7} {:>7} {:>5}"
print(row.format("measure", "seconds", "base", "ratio", "target", ""))
for name, ours, base, target in (
        ("h. 40,000 Hangul names: --verify / list", verify, make, 1.5),
        ("h. 40,000 Hangul names: --compare / list", compare, make, 0.5),
        ("e. 1,000,000 equal lines: --verify", v_equal, v_distinct, 3),
        ("e. 1,000,000 equal lines: --compare", c_equal, c_distinct, 3)):
    ratio = ours / base
    print(row.format(name, f"{ours:.3f}", f"{base:.3f}", f"{ratio:.2f}", f"<= {target}",
                     "PASS" if ratio <= target else "MISS"))
PY
