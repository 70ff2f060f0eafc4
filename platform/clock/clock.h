/** @file Time sources: a millisecond tick that wraps, the wall clock, and sleeping; real and manual. */
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace platform {

/**
 * A source of time. tickCount() is a monotonic millisecond counter that wraps at 2^32
 * (compare ticks by unsigned subtraction, never with <). wallTime() is seconds since the epoch.
 * Implementations are safe to call from any thread.
 */
class Clock {
public:
    virtual ~Clock() = default;
    /** Milliseconds since an arbitrary start, truncated to 32 bits (wraps after about 49.7 days). */
    virtual uint32_t tickCount() = 0;
    /** Seconds since 1970-01-01 00:00:00 UTC. */
    virtual int64_t wallTime() = 0;
    /** Blocks the calling thread for about ms milliseconds. */
    virtual void sleep(uint32_t ms) = 0;
    /** False for clocks whose time only moves when told to (tests). */
    virtual bool isReal() const = 0;
};

/** The machine's steady clock and its real-time clock. */
class SystemClock final : public Clock {
public:
    uint32_t tickCount() override;
    int64_t wallTime() override;
    void sleep(uint32_t ms) override;
    bool isReal() const override { return true; }
};

/**
 * A clock that only moves when told to: advance(), setTick(), setWallTime(), or sleep(), which
 * advances the tick (and the wall time by the whole seconds passed) instead of blocking.
 * Starts at tick 0 and wall time 0. Safe to read from other threads while a test moves it.
 */
class ManualClock final : public Clock {
public:
    uint32_t tickCount() override { return tick_.load(); }
    int64_t wallTime() override { return wall_.load(); }
    void sleep(uint32_t ms) override { advance(ms); }
    bool isReal() const override { return false; }

    /** Moves the tick forward by ms (wrapping) and the wall time by the whole seconds crossed. */
    void advance(uint32_t ms);
    void setTick(uint32_t tick) { tick_.store(tick); }
    void setWallTime(int64_t seconds) { wall_.store(seconds); }

private:
    std::atomic<uint32_t> tick_{0};
    std::atomic<int64_t> wall_{0};
    std::mutex advanceMutex_;
    uint32_t subSecondMs_ = 0; // guarded by advanceMutex_
};

} // namespace platform
