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

# The main job: the archive run of the demo installation as a scheduler starts it (talmere /SILENTARCHIVE,
# no display needed), on a fresh copy with the program beside it, then the archive as talmere-report lists it.
archived="$top/build/demo-archive"
rm -rf "$archived"
cp -a "$install" "$archived"
cp build/bin/talmere build/bin/libtalmrdll.so "$archived/"
mkdir -p "$archived/.config" "$archived/.runtime"
chmod 700 "$archived/.runtime"
section "Archive run: talmere /SILENTARCHIVE in $archived"
(cd "$archived" && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$archived/.config" \
    XDG_RUNTIME_DIR="$archived/.runtime" ./talmere /SILENTARCHIVE)
section "Archive log: where every staged file went (archive/TALMERE-ARCHIVE.LOG)"
cat "$archived/archive/TALMERE-ARCHIVE.LOG"
section "Left in the mailbox (not identified, or not plain text)"
ls "$archived/mailbox"
section "Copied to posting/ and moved to eligibility/"
ls "$archived/posting" "$archived/eligibility"
# Archive prefix, format and description of every listed report type, from the configuration.
types="$(awk -F= '
    /^\[/ { if (prefix != "") print prefix, format, desc; prefix = ""; format = "TEXT"; desc = ""; next }
    /^ArchivePrefix=/ { prefix = toupper($2) }
    /^ReportFormat=/ { format = toupper($2) }
    /^ReportDesc=/ { desc = $2 }
    END { if (prefix != "") print prefix, format, desc }' "$archived/TALMERE.INI")"
while read -r prefix format desc; do
    [ -d "$archived/archive/$prefix" ] || continue
    section "Listing of archive/$prefix: $desc ($format)"
    "$tool" list "$format" "$archived/archive/$prefix/" --prefix "$prefix" --install-dir "$archived" --desc "$desc"
done <<<"$types"

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
# Acknowledgments (997, 999, TA1): the mailbox as a listing (files of other kinds get no line), every
# acknowledgment as the viewer shows it, and the claim-type match of a 999 of institutional claims.
section "List columns of the ANSI_999 format"
"$tool" columns ANSI_999
section "Directory listing of the mailbox (ANSI_999)"
"$tool" list ANSI_999 "$install/mailbox/" --install-dir "$install"
for file in "$install"/mailbox/FA*.X12 "$install"/mailbox/TA1*.X12; do
    section "Report of $(basename "$file") (ANSI_999)"
    "$tool" report ANSI_999 "$file" --install-dir "$install"
done
for claimType in INST PROF; do
    section "Custom match of FA999P_20261208.X12 for claim type $claimType (ANSI_99X)"
    "$tool" match ANSI_99X "$install/mailbox/FA999P_20261208.X12" --param 1=$claimType --install-dir "$install" || true
done
# Text messages (864).
section "List columns of the ANSI_864 format"
"$tool" columns ANSI_864
section "Directory listing of the mailbox (ANSI_864)"
"$tool" list ANSI_864 "$install/mailbox/" --install-dir "$install"
section "Report of MSG864_20261210.X12 (ANSI_864)"
"$tool" report ANSI_864 "$install/mailbox/MSG864_20261210.X12" --install-dir "$install"
# X12 content identification, the custom test of the COPY type "Remittance Routing": the 835 belongs to
# it, a 999 does not.
for name in ERA835_20261210.X12 FA999A_20261207.X12; do
    section "Identification of $name as ANSI_835 for both claim types (COPY)"
    "$tool" match COPY "$install/mailbox/$name" --param 1=ANSI_835 --param 2=BOTH --install-dir "$install" || true
done

# Clearinghouse and payer reports.
# Each format: its list columns, the listing of its demo file and the report as the viewer shows it.
for entry in "AVAILITY_IBR IBR20261207.TXT" "AVAILITY_EBR EBR20261208.TXT" "AVAILITY_DPR DPR20261209.TXT" \
    "ALABAMA_MEDICAID_BRF BRF20261208.TXT" "BCBSTX_TEXT TXACK20261206.TXT" "BCBSMN_2_TEXT MNSUM20261205.TXT"; do
    read -r format name <<<"$entry"
    section "List columns of the $format format"
    "$tool" columns "$format"
    section "Directory listing of $name ($format)"
    "$tool" list "$format" "$install/mailbox/$name" --install-dir "$install" --desc "Demo $format"
    section "Report of $name ($format)"
    "$tool" report "$format" "$install/mailbox/$name" --install-dir "$install"
done
# The same reports narrowed to the claims that match the user's selection values.
section "Report of IBR20261207.TXT, rejected claims only (selection value 5: R)"
"$tool" report AVAILITY_IBR "$install/mailbox/IBR20261207.TXT" --install-dir "$install" --filter 5=R
section "Report of DPR20261209.TXT, payer ID MCD only (selection value 3: MCD)"
"$tool" report AVAILITY_DPR "$install/mailbox/DPR20261209.TXT" --install-dir "$install" --filter 3=MCD
section "Report of BRF20261208.TXT, denied claims only (selection value 5: D)"
"$tool" report ALABAMA_MEDICAID_BRF "$install/mailbox/BRF20261208.TXT" --install-dir "$install" --filter 5=D
# BCBSMN reports are recognised by their received name, which is stamped into the file before archiving
# renames it; the archived copy is then dated and described from it.
section "Custom match of PMAA341 for claim category MA (BCBSMN_TEXT)"
"$tool" match BCBSMN_TEXT "$install/mailbox/PMAA341" --param 1=MA --install-dir "$install"
section "Received-name stamp of PMAA341, then the listing and report of its archived copy MN261207.001"
"$tool" prearchive BCBSMN_TEXT "$install/mailbox/PMAA341" --install-dir "$install"
mkdir -p "$install/archive/MN"
cp "$install/mailbox/PMAA341" "$install/archive/MN/MN261207.001"
"$tool" list BCBSMN_TEXT "$install/archive/MN/" --prefix MN --install-dir "$install"
"$tool" report BCBSMN_TEXT "$install/archive/MN/MN261207.001" --install-dir "$install"
