#!/usr/bin/env bash
# Makes the Debian package of a build, unpacks it into a temporary root (dpkg-deb -x) and runs what it
# installed from there: the versions, the report format library through talmere-report, and an archive run
# of the packaged demo installation registered as a user's installation. Checks the package's dependencies,
# the menu entry, the metadata and the scheduling units on the way.
#
#     PackageTest.sh BUILD_DIR VERSION
set -euo pipefail
build="$1"
version="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack could not make the package"; }
deb="$work/package/talmere_${version}_amd64.deb"
[[ -f "$deb" ]] || fail "no $deb; cpack made: $(ls "$work/package")"

depends="$(dpkg-deb -f "$deb" Depends)"
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6network6 libzip4 libshp2 \
              fonts-liberation; do
    [[ "$depends" == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
for file in usr/bin/talmere usr/bin/talmere-report usr/lib/talmere/libtalmrdll.so \
            usr/share/talmere/demo/TALMERE.INI usr/share/talmere/TALMERE.INI.example \
            usr/share/applications/com.brennwick.talmere.desktop \
            usr/share/metainfo/com.brennwick.talmere.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/com.brennwick.talmere.svg \
            usr/share/icons/hicolor/48x48/apps/com.brennwick.talmere.png \
            usr/share/man/man1/talmere.1 usr/share/man/man1/talmere-report.1 \
            usr/share/doc/talmere/examples/talmere-archive.timer; do
    [[ -e "$root/$file" ]] || fail "the package lacks /$file"
done

# Run from an empty folder with nothing of the build in reach: the library must be found where the
# package put it.
cd "$work"
mkdir empty && cd empty
[[ "$("$root/usr/bin/talmere" --version)" == "talmere $version" ]] || fail "talmere --version"
"$root/usr/bin/talmere-report" --version | grep -q "$version" || fail "talmere-report --version"
columns="$("$root/usr/bin/talmere-report" columns ANSI_999)" || fail "talmere-report columns ANSI_999 failed"
[[ -n "$columns" ]] || fail "talmere-report columns ANSI_999 printed nothing"

# The packaged demo, registered as this user's installation, archived as a scheduler would run it.
demo="$work/demo"
cp -r "$root/usr/share/talmere/demo" "$demo"
staged_before="$(ls "$demo/mailbox" | wc -l)"
mkdir -p "$work/config/Brennwick" "$work/runtime"
chmod 700 "$work/runtime"
printf '[General]\nServerDirectory=%s/\nInstallDirectory=%s/\nDataDirectory=%s/\n' "$demo" "$demo" "$demo" \
    > "$work/config/Brennwick/Qorva32.conf"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    "$root/usr/bin/talmere" /TAMSEN /SILENTARCHIVE 2> "$work/archive.err" || status=$?
[[ "$status" == 0 ]] || { cat "$work/archive.err" >&2; fail "the archive run of the demo ended with $status"; }
archived="$(find "$demo/archive" -type f ! -name 'TALMERE-*' | wc -l)"
staged_after="$(ls "$demo/mailbox" | wc -l)"
(( archived > 0 )) || fail "the archive run filed nothing"
(( staged_after < staged_before )) || fail "the mailbox still holds every file ($staged_after)"
logged="$(grep -c $'\tARCHIVE\t' "$demo/archive/TALMERE-ARCHIVE.LOG")"
(( logged == archived )) || fail "$archived files archived but $logged logged"

# The menu entry, the metadata and the scheduling units, checked by their own tools where they are here.
if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$root/usr/share/applications/com.brennwick.talmere.desktop" || fail "desktop entry"
fi
if command -v appstreamcli > /dev/null; then
    appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/com.brennwick.talmere.metainfo.xml" \
        > "$work/appstream.log" 2>&1 || { cat "$work/appstream.log" >&2; fail "AppStream metadata"; }
fi
if command -v systemd-analyze > /dev/null; then
    # Verified as installed, with the program they start where the package put it; a warning is a fault too.
    units="$work/units"
    mkdir -p "$units"
    for unit in "$root"/usr/share/doc/talmere/examples/talmere-archive*.{service,timer}; do
        sed "s|/usr/bin/talmere|$root/usr/bin/talmere|" "$unit" > "$units/$(basename "$unit")"
    done
    cp "$units/talmere-archive@.service" "$units/talmere-archive@billing.service"
    cp "$units/talmere-archive@.timer" "$units/talmere-archive@billing.timer"
    (cd "$units" && SYSTEMD_LOG_LEVEL=warning systemd-analyze verify --man=no talmere-archive.service \
        talmere-archive.timer talmere-archive@billing.service talmere-archive@billing.timer) > "$work/units.log" 2>&1 ||
        { cat "$work/units.log" >&2; fail "systemd-analyze verify"; }
    if [[ -s "$work/units.log" ]]; then
        cat "$work/units.log" >&2
        fail "systemd-analyze verify found fault with the units"
    fi
fi
echo "package $deb: $(du -k "$deb" | cut -f1) KiB; demo archive run filed $archived files"
