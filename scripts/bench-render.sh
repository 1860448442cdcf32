#!/usr/bin/env bash
# Times slopecrush-render on a 10-minute 24-bit stereo WAV file against a plain copy of the same
# file by sox, and --block 1 against the default block. The three commands take turns, so a
# machine that gets busier or quieter meanwhile weighs on all of them alike; the figures are the
# medians (and the fastest) of RUNS rounds.
#   scripts/bench-render.sh [BIN_DIR]    (default build/default/bin; RUNS=9 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/default/bin}
runs=${RUNS:-9}
render="$bin/slopecrush-render"
[ -x "$render" ] || { echo "no $render; build it first (cmake --workflow --preset default)" >&2; exit 1; }
command -v sox >/dev/null || { echo "sox is missing; run scripts/install-deps.sh --all" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -R -n -r 44100 -c 2 -b 24 "$work/in.wav" synth 600 pinknoise vol 0.5

names=("sox copy" "render" "render --block 1")
commands=(
  "sox $work/in.wav $work/copy.wav"
  "$render $work/in.wav $work/out.wav --force --quiet"
  "$render $work/in.wav $work/out1.wav --force --quiet --block 1"
)
# Every command writes over its own earlier output each round, as a person re-rendering would.
# Each starts with nothing of the others' waiting to be written: the renderer's fsync would wait
# for the file sox just wrote, too.
for c in "${commands[@]}"; do $c; done
for ((round = 0; round < runs; round++)); do
  for i in "${!commands[@]}"; do
    sync
    start=$(date +%s%N)
    ${commands[$i]}
    echo "$i $(( ($(date +%s%N) - start) / 1000000 ))" >>"$work/times"
  done
done

load=$(cut -d' ' -f1 /proc/loadavg)
awk -v runs="$runs" -v load="$load" -v n0="${names[0]}" -v n1="${names[1]}" -v n2="${names[2]}" '
  { t[$1, count[$1]++] = $2 }
  function median(i,   k, j, v, a) {
    for (k = 0; k < count[i]; k++) a[k] = t[i, k]
    for (k = 1; k < count[i]; k++) { v = a[k]; for (j = k - 1; j >= 0 && a[j] > v; j--) a[j + 1] = a[j]; a[j + 1] = v }
    fastest[i] = a[0]
    return count[i] % 2 ? a[int(count[i] / 2)] : (a[count[i] / 2 - 1] + a[count[i] / 2]) / 2
  }
  END {
    name[0] = n0; name[1] = n1; name[2] = n2
    for (i = 0; i < 3; i++) m[i] = median(i)
    printf "%d rounds, 10 min of 24-bit stereo at 44.1 kHz, load average %s (%s)\n", runs, load,
      "median / fastest, ms"
    for (i = 0; i < 3; i++) printf "  %-18s %6d / %6d\n", name[i], m[i], fastest[i]
    printf "render / sox copy:          %.2f (goal 1.3 at most)\n", m[1] / m[0]
    printf "--block 1 / default block:  %.2f (goal 3 at most)\n", m[2] / m[1]
  }' "$work/times"
