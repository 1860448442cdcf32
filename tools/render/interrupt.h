// Ctrl-C and friends during a render: the signal is only noted, and the render stops at the next
// block (or the next failed system call) so the unfinished output is removed instead of being left
// half-written. A thread that waits on anything that may never come (a stalled pipe) also waits
// on wakeDescriptor(), so a signal ends the wait at once.
#pragma once

namespace interrupt {

// Catches SIGINT, SIGTERM and SIGHUP from now on, also when they came blocked from the parent.
// Main thread, before any other thread starts.
void catchSignals();
// The number of the first signal caught, or 0. Any thread; never blocks.
int caughtSignal();
// Throws Failure(128 + signal, ...) once a signal was caught; a system call it cut short is then
// no failure of its own. Any thread; never blocks.
void stopIfCaught();
// A descriptor that becomes readable (for poll) once a signal was caught, and stays so; -1 before
// catchSignals(). Never read from it. Any thread.
int wakeDescriptor();

} // namespace interrupt
