#include "streamrelay.h"

#include "failure.h"
#include "interrupt.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} << 10; // a pipe's whole buffer

// Waits until descriptor is ready for events, or a signal was caught (false). The far end of a
// pipe going away counts as ready: the read or write that follows says so.
bool waitFor(int descriptor, short events) {
    pollfd watched[2] = {{descriptor, events, 0}, {interrupt::wakeDescriptor(), POLLIN, 0}};
    const nfds_t count = watched[1].fd >= 0 ? 2 : 1;
    while (poll(watched, count, -1) < 0)
        if (errno != EINTR) return false;
    return (watched[1].revents & POLLIN) == 0;
}

} // namespace

StreamRelay::StreamRelay(int from) : source(from) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        throw Failure(ExitCode::Input,
                      std::string("cannot read the input: ") + std::strerror(errno));
    readEnd = ends[0];
    writeEnd = ends[1];
    // The copying thread must not be kept waiting by a reader that is gone or stopped.
    fcntl(writeEnd, F_SETFL, fcntl(writeEnd, F_GETFL) | O_NONBLOCK);
    // Signals go to the main thread, which stops the render; this thread only sees them through
    // the wake descriptor.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    try {
        thread = std::thread([this] { run(); });
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        close(readEnd);
        close(writeEnd);
        throw;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

StreamRelay::~StreamRelay() {
    // With no reader left, the write end polls as ready and the thread stops.
    close(readEnd);
    thread.join();
}

void StreamRelay::run() {
    std::string chunk(kChunkBytes, '\0');
    for (;;) {
        // The pipe's reader leaving (an error, the end of the render) also wakes the wait.
        pollfd watched[3] = {
            {source, POLLIN, 0}, {writeEnd, 0, 0}, {interrupt::wakeDescriptor(), POLLIN, 0}};
        const nfds_t count = watched[2].fd >= 0 ? 3 : 2;
        if (poll(watched, count, -1) < 0) {
            if (errno == EINTR) continue;
            failure = errno;
            break;
        }
        if ((watched[1].revents & POLLERR) != 0 || (count == 3 && watched[2].revents != 0)) break;
        const ssize_t got = read(source, chunk.data(), chunk.size());
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) failure = errno;
        if (got <= 0 || !pass(chunk.data(), got)) break;
    }
    close(writeEnd); // the end of the stream, for libsndfile
}

bool StreamRelay::pass(const char* data, long bytes) {
    while (bytes > 0) {
        if (!waitFor(writeEnd, POLLOUT)) return false;
        const ssize_t done = write(writeEnd, data, static_cast<std::size_t>(bytes));
        if (done < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (done < 0) return false; // the reader is gone: nothing wants the rest
        data += done;
        bytes -= done;
    }
    return true;
}
