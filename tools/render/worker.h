// A thread that runs one job at a time beside the caller's, so that reading and writing files
// overlap the audio work. A job's exception reaches the caller at the next post() or wait().
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class Worker {
public:
    // Starts the thread with every signal blocked: signals reach the caller's thread, which
    // stops the render.
    Worker();
    // Waits for the job in hand (whatever it throws is dropped), then ends the thread.
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Waits for the job in hand, then hands over the next one. Rethrows what the previous job
    // threw (the new one is then not started).
    void post(std::function<void()> job);
    // Waits for the job in hand; rethrows what it threw.
    void wait();

private:
    void run();

    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> next;
    bool busy = false;
    bool stopping = false;
    std::exception_ptr failure;
    std::thread thread;
};
