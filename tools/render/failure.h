// How slopecrush-render fails: every failure is one exception carrying a one-line message and the
// documented exit code, caught once in main.
#pragma once

#include <stdexcept>
#include <string>

// The exit codes, as documented in --help and the README.
enum class ExitCode : int {
    Ok = 0,
    Internal = 1, // an unexpected failure inside the program (out of memory, a bug)
    Usage = 2,    // the command line: unknown option, malformed or out-of-range value, conflict
    Input = 3,    // the input: missing, unreadable, not audio, or an unusable channel layout
    Output = 4,   // the output: exists, is the input, unknown type, cannot be created or written
    Plugin = 5,   // the plug-in: cannot be loaded, is not a VST 2.4 plug-in, or cannot be driven
    // An interrupting signal exits with 128 + its number, as shells report it (130 for Ctrl-C).
};

class Failure : public std::runtime_error {
public:
    Failure(ExitCode code, const std::string& message)
        : std::runtime_error(message), exitCode(static_cast<int>(code)) {}
    Failure(int code, const std::string& message) : std::runtime_error(message), exitCode(code) {}

    int code() const { return exitCode; }

private:
    int exitCode;
};
