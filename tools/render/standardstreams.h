// Standard output and error as this program uses them: what it prints must arrive, and no file it
// opens may take their place.
#pragma once

#include <string>

namespace standardstreams {

constexpr const char* kProgram = "slopecrush-render";

// Puts a placeholder on every closed standard stream, before anything else is opened: otherwise
// the first file opened becomes "standard output" and a message would land in the audio. The
// placeholder refuses writes, so a closed standard output still fails as one.
void reserve();

// Writes text to standard output completely, or throws Failure (ExitCode::Output) starting with
// what, followed by why.
void print(const std::string& text, const std::string& what);

// "slopecrush-render: warning: text" on standard error.
void warn(const std::string& text);

} // namespace standardstreams
