// A thread that runs jobs in the order they were posted, beside the caller's thread, so that
// reading and writing files overlap the audio work. Several jobs may wait their turn: a busy
// machine that keeps the thread from running for a while then does not stop the caller at once.
// A job's exception reaches the caller at the next post() or wait; the jobs after it are dropped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class Worker {
public:
    // At most maxJobs jobs wait or run at a time. Starts the thread with every signal blocked:
    // signals reach the caller's thread, which stops the render.
    explicit Worker(std::size_t maxJobs);
    // Waits for the jobs in hand (whatever they throw is dropped), then ends the thread.
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Queues a job, first waiting while maxJobs jobs are queued or running. Rethrows what an
    // earlier job threw (the new one is then not queued).
    void post(std::function<void()> job);
    // Waits until the first count jobs ever posted have run; rethrows what a job threw.
    void waitFor(std::uint64_t count);
    // Waits until every job posted has run; rethrows what a job threw.
    void wait() { waitFor(posted); }

private:
    void run();
    void rethrow(); // with the lock held

    const std::size_t depth;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void()>> jobs; // the first one may be running
    std::uint64_t posted = 0;
    std::uint64_t done = 0;
    bool stopping = false;
    bool broken = false; // a job threw: the ones after it are dropped
    std::exception_ptr failure;
    std::thread thread;
};
