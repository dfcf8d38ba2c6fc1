#!/usr/bin/env bash
# Builds Talmere twice (normal, and with AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test
# in both builds, fuzz corpus replays included.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

./scripts/install-deps.sh
jobs="$(nproc)"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$jobs"
cmake --build build --target format-check

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTALMERE_SANITIZE=ON >/dev/null
cmake --build build-asan --parallel "$jobs"

export QT_QPA_PLATFORM=offscreen
echo "=== Tests (normal build)"
ctest --test-dir build --output-on-failure --parallel "$jobs"
echo "=== Tests (sanitizer build)"
ctest --test-dir build-asan --output-on-failure --parallel "$jobs"
