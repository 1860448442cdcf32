#!/usr/bin/env bash
# Draws the built-in demo before and after the effect, and a few milliseconds of both zoomed in
# to show the converter's stair-steps, into docs/demo-waveforms.png (the README's picture).
# Needs a built slopecrush-render (cmake --workflow --preset default) and gnuplot
# (scripts/install-deps.sh --all installs it). Arguments go to the render; without any, the picture
# uses rate index 2 (5264.04 Hz), where the steps are wide enough to see.
#   scripts/plot-demo.sh [render options...]
set -euo pipefail
cd "$(dirname "$0")/.."

render=${SLOPECRUSH_RENDER:-build/default/bin/slopecrush-render}
picture=${SLOPECRUSH_PICTURE:-docs/demo-waveforms.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

options=("$@")
[ ${#options[@]} -gt 0 ] || options=(--rate-index 2)
# Float samples, so gnuplot reads exactly what the effect produced.
"$render" --demo "$work/demo.wav" --format float --quiet "${options[@]}"

# The byte offset of a WAV file's samples: walk the chunks after the RIFF header up to "data".
data_offset() {
    local file=$1 offset=12 length id size
    length=$(stat -c %s "$file")
    while [ $((offset + 8)) -le "$length" ]; do
        id=$(dd if="$file" bs=1 skip="$offset" count=4 status=none)
        size=$(od -An -t u4 -j $((offset + 4)) -N 4 "$file" | tr -d ' ')
        if [ "$id" = data ]; then
            echo $((offset + 8))
            return
        fi
        offset=$((offset + 8 + size + size % 2))
    done
    echo "no sample data in $file" >&2
    exit 1
}

gnuplot <<GNUPLOT
rate = 44100.0
dry = "$work/demo-dry.wav"
crushed = "$work/demo.wav"
stereo(skip) = sprintf("binary skip=%d format='%%float32%%float32' endian=little", skip)
dryData = stereo($(data_offset "$work/demo-dry.wav"))
crushedData = stereo($(data_offset "$work/demo.wav"))
zoomFrom = 1.2000
zoomTo = 1.2050

set terminal pngcairo size 1200,900 font "Sans,11"
set output "$picture"
set multiplot layout 3,1 title "slopecrush-render --demo ${options[*]}"
set xlabel "seconds"
set yrange [-1.1:1.1]
set grid
set key top right

set title "dry (left and right mixed, as the effect hears them)"
set object 1 rect from zoomFrom,-1.1 to zoomTo,1.1 fc rgb "#ffd27f" fs solid 0.6 noborder behind
plot dry @dryData using (\$0/rate):((\$1+\$2)/2) with lines lc rgb "#3060c0" notitle

set title "crushed"
plot crushed @crushedData using (\$0/rate):1 with lines lc rgb "#c03030" notitle

unset object 1
set title sprintf("zoomed: %.1f ms from %.4f s (the shaded strip above)", (zoomTo-zoomFrom)*1000, zoomFrom)
set xlabel "milliseconds"
set xrange [0:(zoomTo-zoomFrom)*1000]
set yrange [*:*]
plot dry @dryData using ((\$0/rate-zoomFrom)*1000):((\$1+\$2)/2) with lines lw 2 lc rgb "#3060c0" title "dry", \
     crushed @crushedData using ((\$0/rate-zoomFrom)*1000):1 with linespoints pt 7 ps 0.5 lw 2 lc rgb "#c03030" title "crushed"
unset multiplot
GNUPLOT
echo "wrote $picture"
