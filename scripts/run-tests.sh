#!/usr/bin/env bash
# Checks the layers, builds Talmere twice (normal, and with AddressSanitizer and UndefinedBehaviorSanitizer; the
# presets of CMakePresets.json) and runs every test in both builds, fuzz corpus replays included.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

./scripts/install-deps.sh
jobs="$(nproc)"

echo "=== Layers"
./scripts/check-layers.sh

cmake --preset default >/dev/null
cmake --build --preset default --parallel "$jobs"
cmake --build --preset default --target format-check

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize --parallel "$jobs"

echo "=== Tests (normal build)"
ctest --preset default --parallel "$jobs"
echo "=== Tests (sanitizer build)"
ctest --preset sanitize --parallel "$jobs"
