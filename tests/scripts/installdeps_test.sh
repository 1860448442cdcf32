#!/usr/bin/env bash
# install-deps.sh against a package mirror caught mid-sync, played by stand-ins for dpkg, dpkg-query
# and apt-get on PATH: one index fails to refresh, and 32-bit wine cannot be installed from what
# was fetched. The script must say which index failed, install everything else and succeed.
set -euo pipefail
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
cat >"$fake/dpkg" <<'STUB'
#!/bin/sh
[ "$1" = --print-foreign-architectures ] && printf 'i386\narm64\n'; exit 0
STUB
printf '#!/bin/sh\nexit 1\n' >"$fake/dpkg-query" # every package missing
printf '#!/bin/sh\nexec "$@"\n' >"$fake/sudo"     # for a run that is not root's
cat >"$fake/apt-get" <<'STUB'
#!/bin/sh
case "$*" in
  *update*) echo "E: Failed to fetch http://mirror/binary-i386/Packages.xz  File has unexpected size"; exit 100 ;;
  *wine32:i386*) echo "E: Unable to correct problems, you have held broken packages."; exit 100 ;;
  *install*) echo "$*" >"$(dirname "$0")/installed"; exit 0 ;;
esac
STUB
chmod +x "$fake"/*
out=$(PATH="$fake:$PATH" "$1" --all 2>&1) || { echo "failed: $out"; exit 1; }
grep -q "could not refresh http://mirror/binary-i386/Packages.xz" <<<"$out" || { echo "$out"; exit 1; }
grep -q "installing without wine32:i386" <<<"$out" || { echo "$out"; exit 1; }
grep -q " wine64 " "$fake/installed" && ! grep -q "wine32" "$fake/installed"
