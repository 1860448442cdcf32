// The command line of slopecrush-render: every option parsed once, into the value it stands for.
#pragma once

#include "outputformat.h"

#include <optional>
#include <string>
#include <vector>

struct Options {
    std::vector<std::string> files;
    bool demo = false;
    bool info = false;
    std::optional<std::string> plugin;
    std::optional<float> gain;  // InGain, normalised: from --gain or --gain-db
    std::optional<float> pitch; // Pitch, normalised: from --pitch, --rate-index or --rate
    int block = 512;
    std::optional<std::string> channels; // checked once the input's channel count is known
    std::optional<SampleFormat> format;
    bool force = false;
    bool quiet = false;
};

// Fills options from the command line. Returns the exit code when the command line asked for
// something already done (--help, --version), nullopt otherwise. Throws Failure
// (ExitCode::Usage) for a bad command line.
std::optional<int> parseCommandLine(int argc, char** argv, Options& options);
