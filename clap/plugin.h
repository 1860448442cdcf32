// The CLAP edition's instance: a thin wrapper that turns a CLAP host's calls into the converter's,
// with the audio-ports, params and state extensions.
#pragma once

#include "clap.h"

namespace clapplugin {

// Main thread; allocates one instance (null when memory runs out) and never calls the host. The
// instance frees itself when the host calls its destroy.
const clap_plugin* create(const clap_plugin_descriptor* descriptor);

} // namespace clapplugin
