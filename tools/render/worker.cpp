#include "worker.h"

#include <csignal>
#include <utility>

Worker::Worker() {
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
        changed.wait(lock, [this] { return !busy; });
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

void Worker::post(std::function<void()> job) {
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !busy; });
        if (failure) std::rethrow_exception(std::exchange(failure, nullptr));
        next = std::move(job);
        busy = true;
    }
    changed.notify_all();
}

void Worker::wait() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !busy; });
    if (failure) std::rethrow_exception(std::exchange(failure, nullptr));
}

void Worker::run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return busy || stopping; });
        if (!busy) return;
        std::function<void()> job = std::move(next);
        lock.unlock();
        std::exception_ptr thrown;
        try {
            job();
        } catch (...) {
            thrown = std::current_exception();
        }
        lock.lock();
        failure = thrown;
        busy = false;
        changed.notify_all();
    }
}
