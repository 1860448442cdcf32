// The render loop: a source, block by block, through a started plug-in into an output file.
#pragma once

#include "audiofile.h"
#include "pluginhost.h"
#include "source.h"

#include <cstdint>

struct RenderResult {
    std::int64_t frames = 0;
    double seconds = 0.0;     // wall-clock time the render took
    float peak = 0.0f;        // largest magnitude the plug-in produced
    std::int64_t clipped = 0; // samples beyond full scale that an integer output had to clip
};

// Processes the whole source through plugin (already started with blockFrames as its largest
// block) into output, and copies the source itself into dry when given. The source's left and
// right feed the plug-in's first two inputs (a one-input plug-in gets the left); further inputs
// get silence. The output takes the plug-in's first output channels, as many as it holds.
// Stops with a Failure at a caught interrupting signal or any read or write error.
RenderResult render(Source& source, PluginHost& plugin, OutputFile& output, OutputFile* dry,
                    int blockFrames, bool showProgress);
