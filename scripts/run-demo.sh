#!/usr/bin/env bash
# Builds Talmere and runs the main job on a fresh copy of the embedded demo installation.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

tool="$top/build/bin/talmere-report"
install="$top/build/demo-run"
rm -rf "$install"
cp -r demo "$install"
# Report files carry the date they arrived; a checkout stamps them all with today. Names ending in
# yyyymmdd get that date back, at eight in the morning.
for file in "$install"/mailbox/*; do
    if [[ "$(basename "$file")" =~ ([0-9]{8})[^/]*$ ]]; then
        touch -d "${BASH_REMATCH[1]} 08:00" "$file"
    fi
done

section() { printf '\n=== %s\n' "$*"; }

# Text reports: the mailbox as a listing, then every report as the viewer shows it.
section "List columns of the TEXT format"
"$tool" columns TEXT
section "Directory listing of the mailbox (TEXT, description \"Payer Correspondence\")"
"$tool" list TEXT "$install/mailbox/" --install-dir "$install" --desc "Payer Correspondence"
for file in "$install"/mailbox/*.TXT; do
    section "Report of $(basename "$file")"
    "$tool" report TEXT "$file" --install-dir "$install"
done

# X12 reports.

# Clearinghouse and payer reports.
