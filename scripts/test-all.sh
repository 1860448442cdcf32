#!/usr/bin/env bash
# Configures, builds and tests every preset in turn; stops at the first failure.
#   scripts/test-all.sh            all presets
#   scripts/test-all.sh debug      only the ones named
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default debug linux32 win32 win64)

for preset in "${presets[@]}"; do
  echo "=== ${preset}"
  cmake --workflow --preset "${preset}"
done
echo "=== all presets passed: ${presets[*]}"
