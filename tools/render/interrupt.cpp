#include "interrupt.h"

#include "failure.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <string>

namespace interrupt {
namespace {

// Set by the handler, read by every thread: an atomic, and one that needs no lock, as only
// those are safe in a signal handler.
std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler may not take a lock");

// The self-pipe: the handler writes a byte, and poll() on the read end wakes. Written before the
// handler is installed and never changed after.
std::atomic<int> wakeRead{-1};
std::atomic<int> wakeWrite{-1};

extern "C" void note(int signal) {
    int none = 0;
    caught.compare_exchange_strong(none, signal);
    const int saved = errno;
    const char byte = 1;
    const int to = wakeWrite.load();
    // Non-blocking, and a failure changes nothing: a full pipe is readable already.
    if (to >= 0) {
        [[maybe_unused]] const ssize_t ignored = write(to, &byte, 1);
    }
    errno = saved;
}

} // namespace

void catchSignals() {
    int ends[2];
    if (wakeRead.load() < 0) {
        if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
            throw Failure(ExitCode::Internal,
                          std::string("cannot prepare for signals: ") + std::strerror(errno));
        wakeRead = ends[0];
        wakeWrite = ends[1];
    }
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    sigset_t caughtOnes;
    sigemptyset(&caughtOnes);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
        sigaddset(&caughtOnes, signal);
    }
    // A parent may have left them blocked: they would then wait, pending, however long the
    // render takes. One already pending is noted here.
    pthread_sigmask(SIG_UNBLOCK, &caughtOnes, nullptr);
}

int caughtSignal() { return caught.load(); }

void stopIfCaught() {
    const int signal = caught.load();
    if (signal != 0) throw Failure(128 + signal, "interrupted; no output was written");
}

int wakeDescriptor() { return wakeRead.load(); }

} // namespace interrupt
