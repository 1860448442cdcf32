#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs
# each from its committed seed corpus, sharing the time between them: the VST edition's host calls
# first, then the CLAP edition's. Any finding fails, and the input that caused it is kept in
# build/fuzz/findings/ to become a regression test (tests/fuzz/regressions/ or
# tests/fuzz/clap-regressions/, as its file name's prefix says).
#   scripts/fuzz.sh            about a minute, reproducible (fixed seed)
#   scripts/fuzz.sh 600        ten minutes
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
first=$((seconds / 2))
second=$((seconds - first))
# libFuzzer takes 0 seconds as no limit at all.
[ "$first" -gt 0 ] || first=1
[ "$second" -gt 0 ] || second=1

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
findings=build/fuzz/findings
mkdir -p "$findings"

fuzz() { # target, seconds, committed corpus, prefix of its findings
  local work="build/fuzz/$1-corpus"
  mkdir -p "$work"
  "build/fuzz/bin/$1" -seed=1 -max_total_time="$2" -print_final_stats=1 \
    -artifact_prefix="$findings/$4" "$work" "$3"
}
fuzz slopecrush_fuzz "$first" tests/fuzz/corpus vst-
fuzz slopecrush_clap_fuzz "$second" tests/fuzz/clap-corpus clap-
echo "fuzz: no finding in ${seconds} s"
