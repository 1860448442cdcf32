#!/usr/bin/env bash
# Runs every test program of a preset's build under valgrind memcheck: any leak, invalid access
# or use of uninitialised memory fails. (The allocation-counting realtime tests are skipped.)
#   scripts/memcheck.sh            the default build (built first if needed)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
status=0
for program in build/"$preset"/bin/slopecrush_*_tests; do
  # The realtime tests count allocations with an allocator of their own, which memcheck replaces.
  [[ "$program" == *realtime* ]] && continue
  echo "--- memcheck ${program}"
  valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect \
    --errors-for-leak-kinds=definite,indirect --track-origins=yes \
    "$program" --gtest_brief=1 || status=1
done
[ "$status" -eq 0 ] && echo "memcheck: clean"
exit "$status"
