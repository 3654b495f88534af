#!/usr/bin/env bash
# Installs the Debian package into a fresh Debian 12 (debootstrap, minbase) with apt, which brings
# its dependencies, and tries it there as a user would: --version, a list written on the console
# and one written by the window (under Xvfb), both checked against md5sum, and the manual page in
# English and in Japanese. Takes several minutes and needs root and the Debian mirror that apt
# uses here; without an argument the package is built first (scripts/package-debian.sh).
# Usage: scripts/test-debian-package.sh [hashwick_VERSION_amd64.deb]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
if [ "$(id -u)" -ne 0 ]; then
  echo "$0: debootstrap and chroot need root" >&2
  exit 2
fi
if [ $# -ge 1 ]; then
  package="$(realpath "$1")"
else
  "$here/scripts/package-debian.sh" >&2
  package="$(ls "$here"/dist/hashwick_*_amd64.deb)"
fi
command -v debootstrap >/dev/null ||
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap >&2
mirror="$(apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' 'Label: Debian' \
  'Codename: bookworm' | head -n 1)"
mirror="${mirror:-http://deb.debian.org/debian/}"

root="$(mktemp -d "${TMPDIR:-/tmp}/hashwick-debian.XXXXXX")"
cleanup() {
  mountpoint -q "$root/proc" && umount "$root/proc"
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
# The system's own users (_apt, man) must reach its files.
chmod 755 "$root"
echo "== debootstrap bookworm from $mirror" >&2
debootstrap --variant=minbase bookworm "$root" "$mirror" >&2
mount -t proc proc "$root/proc"
cp "$package" "$root/tmp/"
in_root() {
  chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    DEBIAN_FRONTEND=noninteractive "$@"
}

# Without the packages it only recommends, so that a dependency it fails to name shows.
echo "== apt install ./$(basename "$package")" >&2
in_root apt-get update -q >&2
in_root apt-get install -y -q --no-install-recommends "./tmp/$(basename "$package")" >&2
# What the checks need beside it: man, a Japanese locale, and a display for the window.
in_root apt-get install -y -q --no-install-recommends man-db locales xvfb xauth >&2
echo ja_JP.UTF-8 UTF-8 >"$root/etc/locale.gen"
in_root locale-gen >&2

passed=0
failed=0
check() {
  local name="$1"
  shift
  if "$@"; then
    echo "ok: $name"
    passed=$((passed + 1))
  else
    echo "FAILED: $name"
    failed=$((failed + 1))
  fi
}

version="$(in_root dpkg-query -W -f '${Version}' hashwick)"
version_is_shown() {
  local shown
  shown="$(in_root hashwick --version 2>&1)"
  [ "$shown" = "hashwick $version" ] || echo "hashwick --version: $shown" >&2
  [ "$shown" = "hashwick $version" ]
}
check "hashwick --version prints hashwick $version" version_is_shown

# A folder with a Japanese name in it; its list must hold the header, md5sum's digests in
# path order, and the timing lines, in code page 932 with CR LF.
mkdir -p "$root/data/写真" "$root/out"
printf abc >"$root/data/a.txt"
printf 1 >"$root/data/写真/1.jpg"
: >"$root/data/z.dat"
expected_list() {
  {
    printf '# /data(3)\n#==========================================\n'
    (cd "$root" && find data -type f | LC_ALL=C sort | xargs md5sum |
      sed -E 's|^([0-9a-f]{32})  (.*)$|/\2\t\1|')
    printf '#%s\n' ------------------------------------------
  } | iconv -f UTF-8 -t CP932 | sed 's/$/\r/'
}
list_is_right() {
  local list="$root/out/Hashwick_data.txt"
  [ "$(head -n 6 "$list")" = "$(expected_list)" ] && [ "$(wc -l <"$list")" -eq 8 ] &&
    [ "$(tail -n 2 "$list" | iconv -f CP932 -t UTF-8 | tr -d '\r' |
      grep -E -x -c '# (ベクタ生成|MD5計算)は[0-9]+\.[0-9]秒です')" -eq 2 ]
}
in_output_folder() {
  in_root sh -c 'cd /out && exec "$@"' sh "$@"
}
rm -f "$root/out/Hashwick_data.txt"
check "HASHWICK_UI=console hashwick /data writes the list" \
  in_output_folder env HASHWICK_UI=console hashwick /data
check "the console's list holds md5sum's digests" list_is_right
rm -f "$root/out/Hashwick_data.txt"
check "hashwick /data under Xvfb shows the window and writes the list" \
  in_output_folder env HASHWICK_UI=window xvfb-run -a hashwick /data
check "the window's list holds md5sum's digests" list_is_right

man_shows() {
  local lang="$1" text="$2" page errors
  errors="$(mktemp)"
  page="$(in_root env LANG="$lang" MANWIDTH=80 man -P cat hashwick 2>"$errors")" &&
    [ ! -s "$errors" ] && grep -q -F "$text" <<<"$page"
  local status=$?
  cat "$errors" >&2
  rm -f "$errors"
  return "$status"
}
check "man hashwick shows the English page" \
  man_shows C.UTF-8 "write the MD5 digest of every file below a folder"
check "LANG=ja_JP.UTF-8 man hashwick shows the Japanese page" \
  man_shows ja_JP.UTF-8 "フォルダの下のすべてのファイルのMD5"
whatis_finds_it() {
  in_root whatis hashwick | grep -q '^hashwick (1)'
}
check "whatis hashwick finds the page" whatis_finds_it

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
