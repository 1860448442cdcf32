// The SlopeCrush module built beside the tests, whose path the build gives each test program as
// SLOPECRUSH_MODULE_PATH. Loaded once per process and kept, as hosts usually keep a module.
#pragma once

#include "pluginmodule.h"

inline const PluginModule& slopeCrushModule() {
    static const PluginModule module(SLOPECRUSH_MODULE_PATH);
    return module;
}
