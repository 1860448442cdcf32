#!/usr/bin/env bash
# Installs the Debian 12 packages every build and test of this project needs. Run it as root or
# as a user with sudo. Packages already present are left alone, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
  libsndfile1-dev libcli11-dev
  lv2-dev liblilv-dev lilv-utils
  g++-i686-linux-gnu g++-aarch64-linux-gnu qemu-user liblilv-dev:arm64
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 wine32:i386
  valgrind gnuplot-nox sox
  help2man lintian dpkg-dev file man-db unzip
)

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

# 32-bit wine comes from the i386 architecture, and the lilv the arm64 LV2 tests link from arm64,
# which apt only offers once dpkg knows them. Added only when absent (their packages are then
# missing too, so the package lists get refreshed below).
for arch in i386 arm64; do
  if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    echo "enabling the $arch architecture"
    "${as_root[@]}" dpkg --add-architecture "$arch"
  fi
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq "${missing[@]}"
fi
