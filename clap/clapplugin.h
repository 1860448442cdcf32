// The CLAP edition's instance: a thin wrapper that turns a CLAP host's calls into the core
// effect's, with the audio-ports, params and state extensions.
#pragma once

#include "clap.h"

namespace clapplugin {

// Main thread; allocates one instance (null when memory runs out) and never calls the host. The
// instance frees itself when the host calls its destroy; it keeps host to ask it for a process
// call after a state is loaded while active.
const clap_plugin* create(const clap_plugin_descriptor* descriptor, const clap_host* host);

} // namespace clapplugin
