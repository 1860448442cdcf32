#!/usr/bin/env bash
# Builds the fuzz target (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs
# it from the committed seed corpus. Any finding fails, and the input that caused it is kept in
# build/fuzz/findings/ to become a regression test.
#   scripts/fuzz.sh            about a minute, reproducible (fixed seed)
#   scripts/fuzz.sh 600        ten minutes
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=build/fuzz/corpus
findings=build/fuzz/findings
mkdir -p "$work" "$findings"
build/fuzz/bin/slopecrush_fuzz -seed=1 -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$findings/" "$work" tests/fuzz/corpus
echo "fuzz: no finding in ${seconds} s"
