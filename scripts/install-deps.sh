#!/usr/bin/env bash
# Installs the Debian 12 packages this project's builds and tests need. Run it as root or as a user
# with sudo. Packages already present are left alone, so a second run costs nothing.
#   scripts/install-deps.sh         what the default preset and the demo need: quick
#   scripts/install-deps.sh --all   everything scripts/test-all.sh runs: every preset (cross
#                                   compilers, wine, qemu, emscripten, browsers), the sanitizers,
#                                   valgrind, the fuzzer, the formatter and the packages' checks
set -euo pipefail

all=false
case "${1:-}" in
  "") ;;
  --all) all=true ;;
  *) echo "usage: $0 [--all]" >&2; exit 2 ;;
esac

# The default preset's tests replay the fuzz inputs, whose reader comes with clang
# (FuzzedDataProvider.h in libclang-rt-14-dev).
packages=(
  cmake ninja-build g++ pkg-config googletest libgtest-dev libbenchmark-dev
  libsndfile1-dev libcli11-dev help2man
  lv2-dev liblilv-dev lilv-utils
  clang libclang-rt-14-dev
)
if $all; then
  packages+=(
    clang-format
    g++-i686-linux-gnu g++-aarch64-linux-gnu qemu-user liblilv-dev:arm64
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 wine32:i386
    emscripten chromium firefox-esr
    valgrind gnuplot-nox sox strace
    lintian dpkg-dev file man-db unzip
    wixl msitools
  )
  # node and npm may come from elsewhere than Debian (whose npm conflicts with other builds of
  # node), so their packages are asked for only when the commands are missing.
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

# 32-bit wine comes from the i386 architecture, and the lilv the arm64 LV2 tests link from arm64,
# which apt only offers once dpkg knows them. Added only when absent (their packages are then
# missing too, so the package lists get refreshed below).
if $all; then
  for arch in i386 arm64; do
    if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
      echo "enabling the $arch architecture"
      "${as_root[@]}" dpkg --add-architecture "$arch"
    fi
  done
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  # A mirror caught mid-sync can fail one index while the rest refresh; the install then works
  # from what was fetched, so a failed refresh is only a warning and the install decides.
  if ! update_log=$("${as_root[@]}" apt-get update -qq 2>&1); then
    failed=$(sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' <<<"$update_log")
    echo "warning: apt-get update could not refresh ${failed:-every package index}; installing" \
         "from the indexes it has" >&2
    [ -n "$failed" ] || echo "$update_log" >&2
  fi
  install() { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@"; }
  if ! install "${missing[@]}"; then
    # 32-bit wine is the one package the builds do without (the win32 preset then checks its
    # module's tables and says loudly that its programs do not run), and the one an i386 index
    # caught mid-sync makes uninstallable while everything else installs.
    rest=()
    for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    [ ${#rest[@]} -lt ${#missing[@]} ] || exit 1
    echo "warning: installing without wine32:i386; the win32 preset will not run its tests" >&2
    [ ${#rest[@]} -eq 0 ] || install "${rest[@]}"
  fi
fi
