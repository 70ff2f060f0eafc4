/** @file The manual clock used by tests and by the null platform. */
#include "platform/clock/clock.h"

namespace platform {

void ManualClock::advance(uint32_t ms)
{
    std::lock_guard<std::mutex> guard(advanceMutex_);
    tick_.fetch_add(ms);
    // Wall time follows the tick in whole seconds; the remainder is carried to the next advance.
    const uint64_t total = uint64_t{subSecondMs_} + ms;
    wall_.fetch_add(static_cast<int64_t>(total / 1000));
    subSecondMs_ = static_cast<uint32_t>(total % 1000);
}

} // namespace platform
