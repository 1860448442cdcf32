// Ctrl-C and friends during a render: the signal is only noted, and the render stops at the next
// block (or the next failed system call) so the unfinished output is removed instead of being left
// half-written.
#pragma once

namespace interrupt {

// Catches SIGINT, SIGTERM and SIGHUP from now on.
void catchSignals();
// The number of the first signal caught, or 0.
int caughtSignal();
// Throws Failure(128 + signal, ...) once a signal was caught; a system call it cut short is then
// no failure of its own.
void stopIfCaught();

} // namespace interrupt
