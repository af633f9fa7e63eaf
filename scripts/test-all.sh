#!/usr/bin/env bash
# Builds and runs every test: the optimised build and the sanitizer build.
# Installs what it needs on a fresh Debian 12 machine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build

for preset in default asan; do
  echo "=== $preset ==="
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
