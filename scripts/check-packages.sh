#!/usr/bin/env bash
# Checks the release packages in dist/ (or the folder given) without installing anything: each
# archive holds exactly the files listed here, the Windows modules are built for the right
# processor and export their entries, the Debian package's fields are filled in (its
# dependencies by dpkg-shlibdeps), the renderer of the unpacked .deb and of the unpacked tarball
# loads the plug-in beside it by the relative rule, lilv finds the unpacked LV2 bundle, the man
# page formats without a warning, and lintian reports no error. Reports every failure, then
# exits non-zero if there was one.
#   scripts/check-packages.sh [DIST]
set -euo pipefail
cd "$(dirname "$0")/.."
dist=$(realpath "${1:-dist}")

version=$(sed -n 's/^project(SlopeCrush VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "cannot read the version from CMakeLists.txt" >&2; exit 1; }
win32_zip=slopecrush-${version}-windows-x86.zip
win64_zip=slopecrush-${version}-windows-x64.zip
tarball=slopecrush-${version}-linux-x86_64.tar.gz
deb=slopecrush_${version}_amd64.deb

# What a Linux installation holds, relative to its prefix (/usr for the .deb).
linux_files="bin/slopecrush-render
lib/clap/SlopeCrush.clap
lib/lv2/SlopeCrush.lv2/SlopeCrush.so
lib/lv2/SlopeCrush.lv2/manifest.ttl
lib/lv2/SlopeCrush.lv2/ports.ttl
lib/lv2/SlopeCrush.lv2/slopecrush.ttl
lib/vst/SlopeCrush.so
share/doc/slopecrush/LICENSE
share/doc/slopecrush/README.md
share/doc/slopecrush/changelog.gz
share/doc/slopecrush/copyright
share/man/man1/slopecrush-render.1.gz"

# The scratch folder's real path: the renderer reports the plug-in's path with links resolved.
scratch=$(realpath "$(mktemp -d)")
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# same_files WHAT EXPECTED FOUND: the two lists of files agree, in any order.
same_files() {
  if diff <(sort <<<"$2") <(sort <<<"$3") >"$scratch/diff"; then
    pass "$1 holds exactly the expected files"
  else
    fail "$1 differs from the expected files (< missing, > not expected):"
    sed -n 's/^[<>] /  &/p' "$scratch/diff" >&2
  fi
}

# has TEXT LINE WHAT: TEXT holds LINE as a whole line.
has() {
  if grep -qxF -- "$2" <<<"$1"; then pass "$3"; else fail "$3: no line '$2' in:"$'\n'"$1"; fi
}

# Files only: directories are listed with a trailing slash.
files_only() { sed -e 's|^\./||' -e '/\/$/d' -e '/^$/d'; }

echo "=== the packages in ${dist}"
found=$(cd "$dist" && find . -mindepth 1 -maxdepth 1 -printf '%P\n')
same_files "$dist" "$win32_zip"$'\n'"$win64_zip"$'\n'"$tarball"$'\n'"$deb" "$found"
for package in "$win32_zip" "$win64_zip" "$tarball" "$deb"; do
  [ -f "$dist/$package" ] || { echo "cannot check further without $package" >&2; exit 1; }
done

echo "=== file lists"
same_files "$win32_zip" $'SlopeCrush.dll\nREADME.md\nLICENSE' \
  "$(unzip -Z1 "$dist/$win32_zip" | files_only)"
same_files "$win64_zip" $'SlopeCrush.dll\nSlopeCrush.clap\nREADME.md\nLICENSE' \
  "$(unzip -Z1 "$dist/$win64_zip" | files_only)"
same_files "$tarball" "$(sed "s|^|slopecrush-${version}-linux-x86_64/|" <<<"$linux_files")" \
  "$(tar -tzf "$dist/$tarball" | files_only)"
same_files "$deb" "$(sed 's|^|usr/|' <<<"$linux_files")" \
  "$(dpkg-deb --fsys-tarfile "$dist/$deb" | tar -t | files_only)"

echo "=== Windows modules"
# module FILE FORMAT ENTRY: objdump reads FILE as FORMAT, and FILE exports ENTRY.
module() {
  local format exports
  format=$(objdump -f "$1" | sed -n 's/.*file format //p')
  if [ "$format" = "$2" ]; then pass "${1#"$scratch"/} is $2"; else
    fail "${1#"$scratch"/} is '${format}', not $2"
  fi
  exports=$(objdump -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p')
  if grep -qw -- "$3" <<<"$exports"; then pass "${1#"$scratch"/} exports $3"; else
    fail "${1#"$scratch"/} does not export $3"
  fi
}
unzip -q "$dist/$win32_zip" -d "$scratch/win32"
unzip -q "$dist/$win64_zip" -d "$scratch/win64"
module "$scratch/win32/SlopeCrush.dll" pei-i386 VSTPluginMain
module "$scratch/win64/SlopeCrush.dll" pei-x86-64 VSTPluginMain
module "$scratch/win64/SlopeCrush.clap" pei-x86-64 clap_entry

echo "=== the Debian package's fields"
fields=$(dpkg-deb -f "$dist/$deb" Package Version Architecture Section)
has "$fields" "Package: slopecrush" "package name"
has "$fields" "Version: ${version}" "version"
has "$fields" "Architecture: amd64" "architecture"
has "$fields" "Section: sound" "section"
depends=$(dpkg-deb -f "$dist/$deb" Depends)
# One package name a line, versions left out.
needed=$(tr ',' '\n' <<<"$depends" | sed -E 's/^ +//; s/ .*//')
for library in libc6 libstdc++6 libsndfile1; do
  if grep -qxF -- "$library" <<<"$needed"; then pass "depends on ${library}"; else
    fail "no dependency on ${library} (dpkg-shlibdeps not run?): '${depends}'"
  fi
done
if [ "$(dpkg-deb -f "$dist/$deb" Description | wc -l)" -gt 3 ]; then
  pass "the description has a long part"
else
  fail "the description has no long part"
fi

# renders_with PROGRAM MODULE WHAT: PROGRAM --info loads MODULE by default.
renders_with() {
  local info
  if ! info=$("$1" --info 2>&1); then
    fail "$3: ${1#"$scratch"/} --info failed: ${info}"
    return
  fi
  has "$info" "plug-in:         $2" "$3: the renderer loads ${2#"$scratch"/}"
  has "$info" "name:            SlopeCrush" "$3: the plug-in is SlopeCrush"
  has "$info" "vendor:          Tervik" "$3: the vendor is Tervik"
}

echo "=== the Debian package, unpacked"
dpkg-deb -x "$dist/$deb" "$scratch/deb"
usr=$scratch/deb/usr
renders_with "$usr/bin/slopecrush-render" "$usr/lib/vst/SlopeCrush.so" "deb"
has "$("$usr/bin/slopecrush-render" --version)" "slopecrush-render ${version}" "deb: the version"
if lv2=$(LV2_PATH="$usr/lib/lv2" lv2info urn:tervik:slopecrush 2>&1); then
  lv2=$(sed -E 's/^[[:space:]]+//; s/:[[:space:]]+/: /' <<<"$lv2")
  has "$lv2" "Name: SlopeCrush" "deb: lv2info reads the bundle's description"
  has "$lv2" "Bundle: file://$usr/lib/lv2/SlopeCrush.lv2/" "deb: lv2info finds the unpacked bundle"
  has "$lv2" "Binary: file://$usr/lib/lv2/SlopeCrush.lv2/SlopeCrush.so" "deb: with its module"
else
  fail "deb: lv2info finds no urn:tervik:slopecrush in $usr/lib/lv2: ${lv2}"
fi
page=$usr/share/man/man1/slopecrush-render.1.gz
if ! text=$(MANWIDTH=80 man --warnings -l "$page" 2>"$scratch/man-warnings"); then
  fail "man cannot format the man page"
fi
if [ -s "$scratch/man-warnings" ]; then
  fail "man warns about the man page:"
  cat "$scratch/man-warnings" >&2
else
  pass "the man page formats without a warning"
fi
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES "SEE ALSO"; do
  has "$text" "$heading" "the man page has the section ${heading}"
done

echo "=== the tarball, unpacked"
tar -xzf "$dist/$tarball" -C "$scratch"
top=$scratch/slopecrush-${version}-linux-x86_64
renders_with "$top/bin/slopecrush-render" "$top/lib/vst/SlopeCrush.so" "tarball"

echo "=== lintian"
# Errors fail the check; warnings and notes are shown for whoever reads the log.
if lintian --fail-on error --display-info "$dist/$deb" >"$scratch/lintian" 2>&1; then
  pass "lintian reports no error"
else
  fail "lintian reports errors"
fi
sed 's/^/  /' "$scratch/lintian"

if [ "$failures" -gt 0 ]; then
  echo "=== ${failures} package check(s) failed" >&2
  exit 1
fi
echo "=== all package checks passed"
