// A pipe, FIFO, terminal or socket as libsndfile reads it. libsndfile repeats a read that a
// signal interrupts, so a writer that stalls would hold the render however often Ctrl-C is
// pressed. The stream is copied instead, by a thread of its own that waits for data and for a
// caught signal at once, into a pipe that libsndfile reads: at a signal that pipe ends at once.
// libsndfile still sees a pipe, so it reads the stream as it would read the stream itself.
#pragma once

#include <atomic>
#include <thread>

class StreamRelay {
public:
    // from stays the caller's, and must outlive the relay. Throws Failure (ExitCode::Input)
    // when the pipe cannot be made. Main thread; does not block.
    explicit StreamRelay(int from);
    // Stops the copying (whatever libsndfile has not read is dropped). Main thread; waits for
    // the copying thread, which is never held up for long.
    ~StreamRelay();
    StreamRelay(const StreamRelay&) = delete;
    StreamRelay& operator=(const StreamRelay&) = delete;

    // What libsndfile reads instead of the source.
    int descriptor() const { return readEnd; }
    // The errno value of a failed read of the source, or 0: the pipe then ends as if the stream
    // had. Any thread.
    int error() const { return failure.load(); }

private:
    void run();
    bool pass(const char* data, long bytes); // false when the copying has to stop

    int source;
    int readEnd = -1;
    int writeEnd = -1;
    std::atomic<int> failure{0};
    std::thread thread;
};
