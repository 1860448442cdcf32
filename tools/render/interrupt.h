// Ctrl-C and friends during a render: the signal is only noted, and the render loop stops at the
// next block so the temporary output is removed instead of being left half-written.
#pragma once

namespace interrupt {

// Catches SIGINT, SIGTERM and SIGHUP from now on.
void catchSignals();
// The number of the first signal caught, or 0.
int caughtSignal();

} // namespace interrupt
