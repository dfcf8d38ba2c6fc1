#!/usr/bin/env bash
# Installs the Debian packages that building and testing Talmere need, when any of them is missing. With --demo,
# also what the demo needs to picture the report list window (xdotool, xwd, ImageMagick).
set -euo pipefail

# libshp-dev (the listing table) and xvfb (the program on a virtual display) serve the report list window.
# fonts-liberation holds the metric twins of Courier New, Arial and Times New Roman, so a report laid out for
# Courier New keeps its characters per line and its page breaks. The print tests run their own CUPS scheduler
# with a PDF queue (cups, printer-driver-cups-pdf) and read PDF files back with poppler-utils.
# The Debian package is made with dpkg-shlibdeps (dpkg-dev); its menu entry, metadata and scheduling units are
# checked with desktop-file-utils, appstream and systemd-analyze (systemd). A test mounts a file system in user
# space (libfuse3-dev, pkg-config; fuse3) that refuses byte locks, as a share without locks does.
packages=(g++ make cmake ninja-build binutils libgtest-dev libbenchmark-dev clang-format
    qt6-base-dev libzip-dev libshp-dev xvfb fonts-liberation cups printer-driver-cups-pdf poppler-utils
    dpkg-dev desktop-file-utils appstream systemd pkg-config libfuse3-dev fuse3)
if [ "${1:-}" = "--demo" ]; then
    packages+=(xdotool x11-apps imagemagick)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    for package in "${missing[@]}"; do
        echo "Installing missing package: $package"
    done
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    # apt's own output is shown only when it fails.
    log="$(mktemp)"
    if ! { $sudo apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"; } \
        >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "install-deps.sh: apt-get could not install the packages above" >&2
        exit 1
    fi
    rm -f "$log"
fi
