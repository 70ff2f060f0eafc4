/** @file The real clock: the steady clock for ticks, the system clock for wall time. */
#include "platform/clock/clock.h"

#include <chrono>
#include <thread>

namespace platform {

uint32_t SystemClock::tickCount()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

int64_t SystemClock::wallTime()
{
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

void SystemClock::sleep(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace platform
