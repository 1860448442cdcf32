#include "interrupt.h"

#include "failure.h"

#include <csignal>
#include <initializer_list>

namespace interrupt {
namespace {

volatile std::sig_atomic_t caught = 0;

extern "C" void note(int signal) {
    if (caught == 0) caught = signal;
}

} // namespace

void catchSignals() {
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

int caughtSignal() { return caught; }

void stopIfCaught() {
    if (caught != 0) throw Failure(128 + caught, "interrupted; no output was written");
}

} // namespace interrupt
