#!/usr/bin/env bash
# Builds Talmere (the default preset, build/) and makes its Debian package, build/package/talmere_<version>_amd64.deb.
#
#     scripts/build-package.sh
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --parallel "$(nproc)" --target talmere talmere-report talmrdll talmere_icons
cpack -G DEB -B "$top/build/package" --config "$top/build/CPackConfig.cmake" >/dev/null
ls "$top"/build/package/talmere_*_amd64.deb
