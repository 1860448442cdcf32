// The line that tells what a render did: "24000 frames, 0.500 s at 48000 Hz, 35x realtime, peak
// -3.3 dBFS", and the words it is made of.
#pragma once

#include <cstdint>
#include <string>

// "1 frame", "2 frames".
std::string frameCount(std::int64_t frames);

// How many times faster than realtime: two significant digits below 10x ("0.012x", "1.5x"), whole
// above ("35x"). A short render runs below realtime, not at "0x".
std::string speed(double factor);

// frames at sampleRate, rendered in seconds of wall-clock time, peak the largest magnitude (1 is
// full scale). An empty render has no speed to tell.
std::string summary(std::int64_t frames, int sampleRate, double seconds, float peak);
