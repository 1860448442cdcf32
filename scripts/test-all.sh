#!/usr/bin/env bash
# Installs what is missing (scripts/install-deps.sh --all), checks the formatting, configures, builds and tests every
# preset in turn, makes and checks the release packages from the builds of default, win32 and win64, then runs the whole
# suite under valgrind memcheck and the two fuzz targets for about a minute between them; stops at the first failure.
#   scripts/test-all.sh                 everything (what CI runs)
#   scripts/test-all.sh debug fuzz      only the jobs named
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --all

jobs=("$@")
[ ${#jobs[@]} -gt 0 ] || jobs=(format default web debug tsan linux32 linux-arm64 win32 win64 package memcheck fuzz)

for job in "${jobs[@]}"; do
  echo "=== ${job}"
  case "$job" in
    format) scripts/check-format.sh ;;
    package) scripts/package.sh ;;
    memcheck) scripts/memcheck.sh ;;
    fuzz) scripts/fuzz.sh ;;
    *) cmake --workflow --preset "$job" ;;
  esac
done
echo "=== all passed: ${jobs[*]}"
