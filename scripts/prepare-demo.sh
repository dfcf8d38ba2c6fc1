#!/usr/bin/env bash
# Makes a fresh copy of the embedded demo installation in a folder, with the built program and library beside
# it and a settings home and runtime folder of its own, so that a run there touches nothing of the user's.
#
#     scripts/prepare-demo.sh FOLDER
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
target="$1"

rm -rf "$target"
cp -r "$top/demo" "$target"
# Report files carry the date they arrived; a checkout stamps them all with today. Names ending in
# yyyymmdd get that date back, at eight in the morning.
for file in "$target"/mailbox/*; do
    if [[ "$(basename "$file")" =~ ([0-9]{8})[^/]*$ ]]; then
        touch -d "${BASH_REMATCH[1]} 08:00" "$file"
    fi
done
cp "$top/build/bin/talmere" "$top/build/bin/libtalmrdll.so" "$target/"
mkdir -p "$target/.config" "$target/.runtime"
chmod 700 "$target/.runtime"
