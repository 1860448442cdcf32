// --info: the loaded plug-in's identity and parameters, as a host sees them through the record.
#pragma once

#include "pluginhost.h"

#include <ostream>

void printInfo(const PluginHost& plugin, std::ostream& out);
