#include "worker.h"

#include <csignal>
#include <utility>

Worker::Worker(std::size_t maxJobs) : depth(maxJobs) {
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    thread = std::thread([this] { run(); }); // inherits the mask
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

Worker::~Worker() {
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return jobs.empty(); });
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

void Worker::rethrow() {
    if (failure) std::rethrow_exception(std::exchange(failure, nullptr));
}

void Worker::post(std::function<void()> job) {
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return jobs.size() < depth; });
        rethrow();
        jobs.push_back(std::move(job));
        ++posted;
    }
    changed.notify_all();
}

void Worker::waitFor(std::uint64_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this, count] { return done >= count; });
    rethrow();
}

void Worker::run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return !jobs.empty() || stopping; });
        if (jobs.empty()) return;
        std::function<void()> job = std::move(jobs.front());
        const bool skip = broken;
        lock.unlock();
        std::exception_ptr thrown;
        if (!skip) {
            try {
                job();
            } catch (...) {
                thrown = std::current_exception();
            }
        }
        lock.lock();
        if (thrown) {
            failure = thrown;
            broken = true;
        }
        jobs.pop_front();
        ++done;
        changed.notify_all();
    }
}
