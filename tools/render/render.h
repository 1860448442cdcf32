// The render loop: a source through a started plug-in into an output file. The files are read and
// written in large chunks, and the plug-in is fed from them block by block.
#pragma once

#include "outputfile.h"
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
// Every call but the last gets blockFrames frames.
RenderResult render(Source& source, PluginHost& plugin, OutputFile& output, OutputFile* dry,
                    int blockFrames, bool showProgress);
