#!/usr/bin/env bash
# Makes the release packages with CPack into a fresh dist/, then checks them with
# scripts/check-packages.sh: the Linux tarball and Debian package from the default preset's build,
# the Windows zips and installers (.msi) from the win32 and win64 presets' builds. Each preset is
# configured and built first, which costs nothing when its build is up to date (as after
# test-all.sh's jobs for it). The check also reads the installers' WiX sources in those builds.
#   scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."

rm -rf dist
mkdir dist
for preset in default win32 win64; do
  echo "--- ${preset}"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  # A package left from an earlier version must not reach dist/.
  rm -rf "build/${preset}/packages"
  cpack --preset "$preset"
  # CPack's External generator, which makes the installers, also leaves a description of its
  # staging (.json) among the packages: that is no package.
  find "build/${preset}/packages" -maxdepth 1 -type f ! -name '*.json' -exec cp -t dist {} +
done
scripts/check-packages.sh dist
