/** @file Locks and the periodic timer thread. */
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

/**
 * The lock that guards state shared between the main thread and the timer or media threads.
 * Recursive, so a thread holding it may take it again. Which locks exist and the order in which
 * they are taken is the business of the code that owns them; this layer adds no ordering checks.
 */
using RecursiveLock = std::recursive_mutex;

/**
 * A thread that calls a callback every periodMs milliseconds (at least 1) until stop().
 * The first call comes one period after start(). When a call overruns, the next one follows at
 * once and the schedule restarts from there (missed periods are not made up in a burst).
 * start() and stop() may be called from any thread and any number of times; stop() returns once
 * the thread has ended, so after it the callback is not running and will not run again.
 * stop() called from inside the callback only asks the thread to end (it cannot join itself);
 * the next start(), stop() or the destructor from another thread joins it.
 */
class PeriodicTimer {
public:
    PeriodicTimer(uint32_t periodMs, std::function<void()> callback);
    ~PeriodicTimer();
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    /** Starts the thread; does nothing when it is already running. */
    void start();
    /** Ends the thread and waits for it; does nothing when it is not running. */
    void stop();
    bool isRunning() const;
    uint32_t periodMs() const { return periodMs_; }

private:
    void run();
    void requestStop();

    const uint32_t periodMs_;
    const std::function<void()> callback_;
    std::mutex controlMutex_;          // serialises start() and stop(); owns thread_
    std::thread thread_;
    std::atomic<std::thread::id> workerId_{};
    mutable std::mutex stateMutex_;    // guards stopRequested_ for the wait below
    std::condition_variable wake_;
    bool stopRequested_ = false;
};

} // namespace platform
