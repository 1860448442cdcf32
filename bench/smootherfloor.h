// The floor of the converter's cost: its one-pole smoother alone, fed a precomputed level
// sequence. Every frame's output depends on the previous one through a widening, a subtraction, a
// multiplication, an addition and a rounding to float, so no bit-exact converter can produce a
// frame faster than one trip round that chain.
#pragma once

// Runs the smoother over `frames` levels, writing each smoothed value to `out` and keeping the
// smoother's memory in `memory` between calls, as a block-processing effect must.
void smootherFloor(const float* levels, float* out, int frames, float smoothing, float& memory);
