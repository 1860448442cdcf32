#!/usr/bin/env bash
# Checks the release packages in dist/ (or the folder given): each archive holds exactly the files
# listed here, the Windows modules are built for the right processor and export their entries,
# the Debian package's fields are filled in (its dependencies by dpkg-shlibdeps), the renderer of
# the unpacked .deb and of the unpacked tarball loads the plug-in beside it by the relative rule,
# lilv finds the unpacked LV2 bundle, the man page formats without a warning, and lintian reports
# no error. The Windows installers' tables are read with msiinfo, and each installer is used as a
# user would, under 64-bit wine in a fresh prefix: installed and removed silently, upgraded from
# an older version (made from the WiX source that package.sh leaves in build/win32 and
# build/win64), refused over a newer one, with the VST folder chosen, and beside the other
# architecture's. Reports every failure, then exits non-zero if there was one.
#   scripts/check-packages.sh [DIST]
set -euo pipefail
cd "$(dirname "$0")/.."
dist=$(realpath "${1:-dist}")

version=$(sed -n 's/^project(SlopeCrush VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "cannot read the version from CMakeLists.txt" >&2; exit 1; }
win32_zip=slopecrush-${version}-windows-x86.zip
win64_zip=slopecrush-${version}-windows-x64.zip
win32_msi=slopecrush-${version}-windows-x86.msi
win64_msi=slopecrush-${version}-windows-x64.msi
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
wine=/usr/lib/wine/wine64
# The wine prefix's server outlives the last program by a few seconds: stopped before the
# scratch folder goes.
cleanup() {
  if [ -d "$scratch/wine" ]; then WINEPREFIX=$scratch/wine /usr/lib/wine/wineserver -k || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

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
packages=("$win32_zip" "$win64_zip" "$win32_msi" "$win64_msi" "$tarball" "$deb")
same_files "$dist" "$(printf '%s\n' "${packages[@]}")" "$found"
for package in "${packages[@]}"; do
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

echo "=== the Windows installers' tables"
# What the silent runs under wine below cannot show.
# table MSI TABLE: the table's rows, tab-separated, without msiinfo's three heading lines.
table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }
# installer_tables MSI UPGRADE_CODE FOLDERS: MSI's tables, FOLDERS those removal takes away
# once empty.
installer_tables() {
  local msi=$dist/$1 properties order
  properties=$(table "$msi" Property)
  # Fixed for ever: Windows Installer finds the version to replace by it.
  has "$properties" "UpgradeCode"$'\t'"$2" "$1: upgrade code"
  if grep -qE $'^SecureCustomProperties\t(.*;)?VST2DIR(;|$)' <<<"$properties"; then
    pass "$1: VST2DIR reaches an elevated installation"
  else
    fail "$1: VST2DIR is not among the secure properties"
  fi
  if grep -qE $'^NOT WIX_DOWNGRADE_DETECTED\tA newer version .+' <<<"$(table "$msi" LaunchCondition)"; then
    pass "$1: says why it refuses to replace a newer version"
  else
    fail "$1: no message for refusing to replace a newer version"
  fi
  # The older version goes before anything is installed, so no file passes from one to the other.
  order=$(table "$msi" InstallExecuteSequence | sort -t$'\t' -k3,3n | cut -f1 |
    grep -xE 'InstallValidate|RemoveExistingProducts|InstallInitialize' | paste -sd' ')
  has "$order" "InstallValidate RemoveExistingProducts InstallInitialize" \
    "$1: the older version is removed first"
  same_files "$1: the folders removal takes away once empty" "$3" \
    "$(table "$msi" RemoveFile | awk -F'\t' '$3 == "" { print $4 }')"
}
installer_tables "$win32_msi" "{0F33A1FD-6191-4D4B-9490-3E66BF333F49}" VST2DIR
installer_tables "$win64_msi" "{D6F770E7-12AB-4D03-87A8-64B6E0E49A56}" $'VST2DIR\nCLAPDIR'

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

echo "=== the Windows installers, under 64-bit wine"
# A fresh prefix of the check's own; mono and gecko are not needed, nor asked for.
export WINEPREFIX=$scratch/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
drive=$WINEPREFIX/drive_c
if ! "$wine" wineboot --init >"$scratch/wineboot" 2>&1; then
  cat "$scratch/wineboot" >&2
  echo "cannot start 64-bit wine in a fresh prefix; the installers are not checked" >&2
  exit 1
fi

# An older version of each installer, from the same WiX source, packing stand-ins that tell
# its files from the release's.
older=$(awk -F. -v OFS=. '{ for (i = NF; i > 0; i--) if ($i > 0) { $i--; break } } 1' \
  <<<"$version")
for arch in x86 x64; do
  [ "$arch" = x64 ] && preset=win64 || preset=win32
  source_wxs=$PWD/build/${preset}/packaging/windows-installer.wxs
  if [ ! -f "$source_wxs" ]; then
    echo "no ${source_wxs}: scripts/package.sh makes it" >&2
    exit 1
  fi
  mkdir "$scratch/older-${arch}"
  for file in "$scratch/${preset}"/*; do
    echo "SlopeCrush ${older}, ${file##*/}" >"$scratch/older-${arch}/${file##*/}"
  done
  if ! (cd "$scratch/older-${arch}" &&
    wixl --arch "$arch" -D Version="$older" -o "$scratch/older-${arch}.msi" "$source_wxs") \
    >"$scratch/wixl" 2>&1; then
    cat "$scratch/wixl" >&2
    echo "wixl cannot make version ${older} of the ${arch} installer" >&2
    exit 1
  fi
done

# msiexec ARGUMENT...: runs Windows Installer on a package given by its path here, quietly.
msiexec() {
  local args=() arg
  for arg in "$@"; do
    case "$arg" in
      /[a-z]) args+=("$arg") ;;
      /*) args+=("Z:${arg//\//\\}") ;;
      *) args+=("$arg") ;;
    esac
  done
  "$wine" msiexec "${args[@]}" /qn >/dev/null 2>&1
}
# windows_path PATH: PATH, in the prefix's drive_c, as Windows programs there name it.
windows_path() { sed 's|.*/drive_c/|C:\\|; s|/|\\|g' <<<"$1"; }
# runs WHAT ARGUMENT...: msiexec ARGUMENT... succeeds.
runs() {
  local what=$1
  shift
  if msiexec "$@"; then pass "$what"; else fail "${what}: msiexec exits with $?"; fi
}

# entries WHAT NAME COUNT [VERSION]: COUNT entries named NAME in the list of installed apps (the
# 64-bit registry's and the 32-bit one's, where a 32-bit package's go), the one from Tervik at
# VERSION with a help link.
entries() {
  local found count view
  found=$(for view in 64 32; do
    "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s \
      "/reg:${view}" 2>/dev/null || true
  done | tr -d '\r' | awk -v name="$2" '
    function flush() { if (mine) printf "--\n%s", entry; entry = ""; mine = 0 }
    /^HKEY_/ { flush() }
    /^    / {
      line = substr($0, 5); i = index(line, "    ")
      key = substr(line, 1, i - 1); rest = substr(line, i + 4); j = index(rest, "    ")
      value = j ? substr(rest, j + 4) : ""
      entry = entry key "=" value "\n"
      if (key == "DisplayName" && value == name) mine = 1
    }
    END { flush() }')
  count=$(grep -c '^--$' <<<"$found" || true)
  if [ "$count" -ne "$3" ]; then
    fail "$1: ${count} entries named '$2' in the list of installed apps, not $3"
    return
  fi
  pass "$1: $3 entries named '$2'"
  [ "$3" -eq 1 ] || return 0
  has "$found" "Publisher=Tervik" "$1: the entry's maker"
  has "$found" "DisplayVersion=$4" "$1: the entry's version"
  if grep -q '^HelpLink=https://' <<<"$found"; then pass "$1: the entry's help link"; else
    fail "$1: the entry has no help link"
  fi
}
# installed WHAT MODULES VST2 CLAP: the release's files, byte for byte, where they belong: the
# VST module and the licence in VST2, the CLAP module (if the zip in MODULES has one) in CLAP.
installed() {
  local pairs=("$3/SlopeCrush.dll" "$2/SlopeCrush.dll" "$3/SlopeCrush-LICENSE.txt" LICENSE) i
  [ ! -f "$2/SlopeCrush.clap" ] || pairs+=("$4/SlopeCrush.clap" "$2/SlopeCrush.clap")
  for ((i = 0; i < ${#pairs[@]}; i += 2)); do
    if cmp -s "${pairs[i]}" "${pairs[i + 1]}"; then
      pass "$1: ${pairs[i]#"$drive"/} is the release's"
    else
      fail "$1: ${pairs[i]#"$drive"/} is missing or not the release's ${pairs[i + 1]##*/}"
    fi
  done
}
# holds WHAT FOLDER NAMES: FOLDER holds exactly the files and folders NAMES, one a line.
holds() {
  same_files "$1: ${2#"$drive"/}" "$3" "$(find "$2" -mindepth 1 -printf '%P\n' 2>/dev/null)"
}
# removed WHAT ARCH [FOLDER...]: nothing of the ARCH installer is left: none of its files in the
# shared folders (only the other maker's plug-ins), no FOLDER, no entry, no kept VST folder.
removed() {
  local what=$1 arch=$2 folder
  shift 2
  holds "$what" "${vst2_of[$arch]}" Other.dll
  [ "$arch" = x86 ] || holds "$what" "${clap_of[$arch]}" Other.clap
  for folder in "$@"; do
    if [ -e "$folder" ]; then fail "${what}: ${folder#"$drive"/} is left"; else
      pass "${what}: no ${folder#"$drive"/}"
    fi
  done
  entries "$what" "${name_of[$arch]}" 0
  if "$wine" reg query 'HKLM\Software\Tervik\SlopeCrush' "/reg:${view_of[$arch]}" \
    >/dev/null 2>&1; then
    fail "${what}: the registry still keeps a VST folder"
  else
    pass "${what}: the registry keeps no VST folder"
  fi
}

# Each installer's name, folders and registry view; another maker's plug-in sits in each
# shared folder throughout.
declare -A name_of=([x86]="SlopeCrush (32-bit)" [x64]=SlopeCrush) view_of=([x86]=32 [x64]=64)
declare -A modules_of=([x86]=$scratch/win32 [x64]=$scratch/win64)
declare -A vst2_of=([x86]="$drive/Program Files (x86)/Common Files/VST2"
  [x64]="$drive/Program Files/Common Files/VST2")
declare -A clap_of=([x86]="" [x64]="$drive/Program Files/Common Files/CLAP")
mkdir -p "${vst2_of[x86]}" "${vst2_of[x64]}" "${clap_of[x64]}" "$drive/Audio Plug-ins"
for folder in "${vst2_of[x86]}" "${vst2_of[x64]}"; do echo "another maker's" >"$folder/Other.dll"; done
echo "another maker's" >"${clap_of[x64]}/Other.clap"

for arch in x86 x64; do
  msi=$dist/slopecrush-${version}-windows-${arch}.msi old=$scratch/older-${arch}.msi
  name=${name_of[$arch]} modules=${modules_of[$arch]} vst2=${vst2_of[$arch]} clap=${clap_of[$arch]}
  chosen="$drive/Audio Plug-ins/VST ${arch}"

  runs "${arch}: silent install" /i "$msi"
  installed "${arch}: install" "$modules" "$vst2" "$clap"
  entries "${arch}: install" "$name" 1 "$version"
  if msiexec /i "$old"; then fail "${arch}: version ${older} installs over ${version}"; else
    pass "${arch}: version ${older} is refused over ${version}"
  fi
  entries "${arch}: the older version refused" "$name" 1 "$version"
  installed "${arch}: the older version refused" "$modules" "$vst2" "$clap"
  runs "${arch}: silent removal" /x "$msi"
  removed "${arch}: removal" "$arch"

  runs "${arch}: version ${older}" /i "$old"
  runs "${arch}: upgrade to ${version}" /i "$msi"
  entries "${arch}: upgrade" "$name" 1 "$version"
  installed "${arch}: upgrade" "$modules" "$vst2" "$clap"
  runs "${arch}: removal after the upgrade" /x "$msi"
  removed "${arch}: removal after the upgrade" "$arch"

  # A chosen VST folder is used, kept through an upgrade that names none, and emptied (and, as
  # it was made for the plug-in, taken away) at a removal that names none either.
  runs "${arch}: version ${older} into a chosen VST folder" /i "$old" \
    "VST2DIR=$(windows_path "$chosen")"
  holds "${arch}: VST2DIR honoured" "$chosen" $'SlopeCrush-LICENSE.txt\nSlopeCrush.dll'
  runs "${arch}: upgrade naming no folder" /i "$msi"
  installed "${arch}: upgrade naming no folder" "$modules" "$chosen" "$clap"
  holds "${arch}: upgrade naming no folder" "$vst2" Other.dll
  runs "${arch}: removal naming no folder" /x "$msi"
  removed "${arch}: removal naming no folder" "$arch" "$chosen"

  # A folder named on the command line wins over the kept one when installing; removal looks
  # where the plug-in is, whatever folder it is told.
  runs "${arch}: version ${older} into the chosen VST folder again" /i "$old" \
    "VST2DIR=$(windows_path "$chosen")"
  runs "${arch}: upgrade into another folder" /i "$msi" "VST2DIR=$(windows_path "$chosen 2")"
  installed "${arch}: upgrade into another folder" "$modules" "$chosen 2" "$clap"
  runs "${arch}: removal naming a third folder" /x "$msi" "VST2DIR=$(windows_path "$chosen 3")"
  removed "${arch}: removal naming a third folder" "$arch" "$chosen" "$chosen 2" "$chosen 3"
done
# The user's own folder outlives all of it.
holds "in the end" "$drive/Audio Plug-ins" ""

# Both at once, as for a user with 32- and 64-bit hosts: removing one leaves the other whole.
runs "both: the x64 installer" /i "$dist/$win64_msi"
runs "both: the x86 installer" /i "$dist/$win32_msi"
entries "both: installed" "${name_of[x86]}" 1 "$version"
runs "both: removal of the x86 one" /x "$dist/$win32_msi"
removed "both: the x86 one removed" x86
installed "both: the x64 one left" "${modules_of[x64]}" "${vst2_of[x64]}" "${clap_of[x64]}"
entries "both: the x64 one left" "${name_of[x64]}" 1 "$version"
runs "both: removal of the x64 one" /x "$dist/$win64_msi"
removed "both: the x64 one removed" x64

if [ "$failures" -gt 0 ]; then
  echo "=== ${failures} package check(s) failed" >&2
  exit 1
fi
echo "=== all package checks passed"
