// The plug-in's settings in words: SlopeCrush's rate and gain as its facts define them, and for
// any other plug-in what it reports of each parameter through the record.
#pragma once

#include "pluginhost.h"

#include <string>

// True for a SlopeCrush module: its unique ID and at least its two parameters.
bool isSlopeCrush(const PluginHost& plugin);

// For SlopeCrush: "rate 33143.9 Hz (index 15), gain +0.00 dB" at 44100 Hz, and at any other
// sample rate the rate in effect there first: "rate 36075.0 Hz at 48000 Hz (index 15: 33143.9 Hz
// at 44100 Hz), gain ...". For other plug-ins: "Name display label, ..." for each parameter.
std::string describeSettings(const PluginHost& plugin, int sampleRate);

// How the rates depend on the sample rate, in a few words for --info and --help: the effect counts
// them against 44.1 kHz by design.
std::string rateScaling();

// A rate from the table as the plug-in displays it: "4181.71", "33143.9".
std::string rateText(int index);
