#!/usr/bin/env bash
# Pictures of the report list window: talmere started on a fresh copy of the demo installation under a virtual
# display, the window pictured with each report type of the demo in turn (chosen with the keyboard, as a user
# would), saved as docs/images/report-list-NN.png in the order of the type box; then the preview of a report
# (docs/images/report-preview.png) and the Preferences dialog (docs/images/preferences.png).
#
#     scripts/screenshots.sh        (needs the build, and Xvfb with xvfb-run or a display; xdotool, xwd, convert)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

# A virtual display of its own, so that the pictures look the same on every machine.
if [ -z "${TALMERE_SCREENSHOT_DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    exec env TALMERE_SCREENSHOT_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
for tool in xdotool xwd convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "screenshots.sh: $tool is missing (scripts/install-deps.sh installs it)" >&2
        exit 1
    fi
done

install="$top/build/demo-screens"
images="$top/docs/images"
./scripts/prepare-demo.sh "$install"
mkdir -p "$images"
rm -f "$images"/report-list-*.png

cd "$install"
XDG_CONFIG_HOME="$install/.config" XDG_RUNTIME_DIR="$install/.runtime" ./talmere >"$install/talmere.log" 2>&1 &
program=$!
trap 'kill "$program" 2>/dev/null || true' EXIT

window="$(timeout 60 xdotool search --sync --onlyvisible --name 'Report Manager' | head -n 1 || true)"
if [ -z "$window" ]; then
    echo "screenshots.sh: the report list window did not appear; the program said:" >&2
    cat "$install/talmere.log" >&2
    exit 1
fi
xdotool windowsize "$window" 960 540
xdotool windowmove "$window" 0 0
xdotool windowfocus --sync "$window"
sleep 1

# Each picture, then the next type (Alt+R focuses the type box, Down chooses the next entry); the last type is
# reached when a picture comes out as the one before it.
previous=""
for number in $(seq -w 1 30); do
    picture="$images/report-list-$number.png"
    # Without metadata (times, dates), so that the same window gives the same file.
    xwd -id "$window" -silent | convert xwd:- -strip -define png:exclude-chunks=date,time "$picture"
    if [ -n "$previous" ] && cmp -s <(convert "$previous" rgb:-) <(convert "$picture" rgb:-); then
        rm -f "$picture"
        break
    fi
    echo "$picture"
    previous="$picture"
    xdotool key alt+r Down
    sleep 1
done

# A window of the program by its title, pictured on its own: a preview of the third type's first report (Action >
# View Selected Report), then the Preferences dialog (File > Preferences). Each is closed with Esc.
picture_window() {
    local title="$1" picture="$2" found
    found="$(timeout 30 xdotool search --sync --onlyvisible --name "$title" | head -n 1 || true)"
    if [ -z "$found" ]; then
        echo "screenshots.sh: the window \"$title\" did not appear; the program said:" >&2
        cat "$install/talmere.log" >&2
        exit 1
    fi
    sleep 1
    xwd -id "$found" -silent | convert xwd:- -strip -define png:exclude-chunks=date,time "$picture"
    echo "$picture"
    xdotool key Escape
    sleep 1
    # Without a window manager nobody gives the focus back to the report list window.
    xdotool windowfocus --sync "$window"
}
rm -f "$images"/report-preview.png "$images"/preferences.png
xdotool key alt+r Home Down Down
sleep 1
xdotool key alt+a v
picture_window "Report Preview" "$images/report-preview.png"
xdotool key alt+f p
picture_window "Preferences" "$images/preferences.png"

# Close the window as a user would; the program saves its settings and ends.
xdotool key alt+c
for _ in $(seq 1 50); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.2
done
if kill -0 "$program" 2>/dev/null; then
    echo "screenshots.sh: the program did not end after Close" >&2
    exit 1
fi
trap - EXIT
