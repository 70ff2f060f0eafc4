/** @file The periodic timer thread. */
#include "platform/sync/sync.h"

#include <chrono>

namespace platform {

PeriodicTimer::PeriodicTimer(uint32_t periodMs, std::function<void()> callback)
    : periodMs_(periodMs == 0 ? 1 : periodMs), callback_(std::move(callback))
{
}

PeriodicTimer::~PeriodicTimer()
{
    stop();
}

void PeriodicTimer::start()
{
    std::lock_guard<std::mutex> control(controlMutex_);
    if (std::this_thread::get_id() == workerId_.load())
        return; // called from the callback: the thread is running already
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> state(stateMutex_);
            if (!stopRequested_)
                return;
        }
        // Asked to stop from inside its own callback: finish that thread before starting anew.
        thread_.join();
    }
    {
        std::lock_guard<std::mutex> state(stateMutex_);
        stopRequested_ = false;
    }
    thread_ = std::thread([this] { run(); });
    workerId_.store(thread_.get_id());
}

void PeriodicTimer::requestStop()
{
    {
        std::lock_guard<std::mutex> state(stateMutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
}

void PeriodicTimer::stop()
{
    if (std::this_thread::get_id() == workerId_.load()) {
        requestStop(); // a thread cannot join itself; the next start() or stop() joins it
        return;
    }
    std::lock_guard<std::mutex> control(controlMutex_);
    requestStop();
    if (thread_.joinable())
        thread_.join();
    workerId_.store(std::thread::id{});
}

bool PeriodicTimer::isRunning() const
{
    std::lock_guard<std::mutex> state(stateMutex_);
    return workerId_.load() != std::thread::id{} && !stopRequested_;
}

void PeriodicTimer::run()
{
    // Known before the first callback: a stop() from inside it must see that it runs on this
    // thread even when start() has not yet stored the id (start() holds the control lock then,
    // so taking it here would wait for start() and then join this very thread).
    workerId_.store(std::this_thread::get_id());
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(periodMs_);
    auto next = Clock::now() + period;
    std::unique_lock<std::mutex> state(stateMutex_);
    while (!stopRequested_) {
        if (wake_.wait_until(state, next, [this] { return stopRequested_; }))
            break;
        state.unlock();
        callback_();
        state.lock();
        next += period;
        const auto now = Clock::now();
        if (next < now)
            next = now; // overran: go again at once, then keep the period from here
    }
}

} // namespace platform
