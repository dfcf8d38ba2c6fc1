#!/usr/bin/env bash
# Builds Talmere and runs the main job on a fresh copy of the embedded demo installation. With --gui, opens the
# report list window on a fresh copy instead (on the display, or pictured under xvfb-run without one).
#
#     scripts/run-demo.sh [--gui]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

gui=0
case "${1:-}" in
--gui) gui=1 ;;
"") ;;
*)
    echo "usage: scripts/run-demo.sh [--gui]" >&2
    exit 64
    ;;
esac

./scripts/install-deps.sh --demo
cmake --preset default >/dev/null
cmake --build --preset default

if ((gui)); then
    window="$top/build/demo-gui"
    ./scripts/prepare-demo.sh "$window"
    cd "$window"
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
        echo "The report list window on $window; close it to end."
        exec env XDG_CONFIG_HOME="$window/.config" XDG_RUNTIME_DIR="$window/.runtime" ./talmere
    fi
    if command -v xvfb-run >/dev/null; then
        echo "No display: the window opens on a virtual one, and the pictures go to docs/images/."
        exec "$top/scripts/screenshots.sh"
    fi
    echo "run-demo.sh --gui: there is no display, and no xvfb-run to make one" >&2
    exit 1
fi

tool="$top/build/bin/talmere-report"
install="$top/build/demo-run"
./scripts/prepare-demo.sh "$install"

section() { printf '\n=== %s\n' "$*"; }

# The main job: the archive run of the demo installation as a scheduler starts it (talmere /SILENTARCHIVE,
# no display needed), on a fresh copy with the program beside it, then the archive as talmere-report lists it.
archived="$top/build/demo-archive"
./scripts/prepare-demo.sh "$archived"
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

# Every archived report as the viewer shows it: the report text the library makes with the type's format.
while read -r prefix format desc; do
    for file in "$archived/archive/$prefix"/*; do
        [ -f "$file" ] || continue
        section "Report of archive/$prefix/$(basename "$file"): $desc ($format)"
        "$tool" report "$format" "$file" --install-dir "$archived"
    done
done <<<"$types"

# Reports narrowed to the claims that match the user's selection values.
section "Report of archive/IB/IB261207.001, rejected claims only (AVAILITY_IBR, selection value 5: R)"
"$tool" report AVAILITY_IBR "$archived/archive/IB/IB261207.001" --install-dir "$archived" --filter 5=R
section "Report of archive/DP/DP261209.001, payer ID MCD only (AVAILITY_DPR, selection value 3: MCD)"
"$tool" report AVAILITY_DPR "$archived/archive/DP/DP261209.001" --install-dir "$archived" --filter 3=MCD
section "Report of archive/AL/AL261208.001, denied claims only (ALABAMA_MEDICAID_BRF, selection value 5: D)"
"$tool" report ALABAMA_MEDICAID_BRF "$archived/archive/AL/AL261208.001" --install-dir "$archived" --filter 5=D

# The custom tests the archive run relies on, asked directly.
for claimType in INST PROF; do
    section "Claim-type match of archive/AK/AK261208.001 for $claimType (ANSI_99X)"
    "$tool" match ANSI_99X "$archived/archive/AK/AK261208.001" --param 1=$claimType --install-dir "$archived" || true
done
for name in ERA835_20261210.X12 LTR20261203.TXT; do
    section "X12 identification of mailbox/$name as an 835 of either claim type (COPY)"
    "$tool" match COPY "$archived/mailbox/$name" --param 1=ANSI_835 --param 2=BOTH --install-dir "$archived" || true
done
section "Received-name match of the staged BCBSMN file PMAA341 for claim category MA (BCBSMN_TEXT)"
"$tool" match BCBSMN_TEXT "$install/mailbox/PMAA341" --param 1=MA --install-dir "$install"

# The report list window on the demo installation, pictured under a virtual display (docs/images/).
if [ -n "${DISPLAY:-}" ] || command -v xvfb-run >/dev/null; then
    section "Pictures of the report list window (docs/images/)"
    ./scripts/screenshots.sh
fi
