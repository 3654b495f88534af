#!/usr/bin/env bash
# Builds the Windows program and writes dist/hashwick-windows-x86_64.zip: hashwick.exe, without
# its symbols, and a short README in Japanese and English.
# Usage: scripts/package-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh windows
cmake --build --preset windows --target hashwick -j "$(nproc)"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
x86_64-w64-mingw32-strip -o "$stage/hashwick.exe" build/windows/src/app/hashwick.exe
sed 's/$/\r/' > "$stage/README.txt" <<'TEXT'
Hashwick for Windows (x86-64)

Hashwick はフォルダの下にあるすべてのファイルの MD5 を一つのリストファイルに書きます。
hashwick.exe を起動してフォルダを選び「MD5作成」を押すと、カレントディレクトリに
Hashwick_<フォルダ名>.txt (コードページ932、CR LF) ができます。
コマンドプロンプトから:

    hashwick.exe C:\写真

終了コード: 0 リストを書いた / 1 書けなかった・中断した / 2 フォルダの指定がない・不正。
インストールは不要です。hashwick.exe 一つで動きます (Windows 10 以降)。

Hashwick writes the MD5 digest of every file below a folder into one list file. Start
hashwick.exe, choose a folder and press "MD5作成": Hashwick_<folder name>.txt (code page 932,
CR LF) is written into the current directory. From a command prompt:

    hashwick.exe C:\photos

Exit status: 0 the list was written, 1 it could not be or the run was stopped, 2 no folder or a
folder that was refused. Nothing to install: hashwick.exe runs on its own (Windows 10 or later).
TEXT
mkdir -p dist
rm -f dist/hashwick-windows-x86_64.zip
(cd "$stage" && cmake -E tar cf "$OLDPWD/dist/hashwick-windows-x86_64.zip" --format=zip \
  hashwick.exe README.txt)
ls -l dist/hashwick-windows-x86_64.zip
