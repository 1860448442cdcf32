// PLACEHOLDER until the texts work lands: the effect shows the framework's empty defaults.
#include "deltamodeffect.h"
