/** @file The process-wide random generator: the classic linear congruential sequence, the same on every machine. */
#pragma once

#include <cstdint>

namespace platform {

/**
 * Linear congruential generator x = x * 214013 + 2531011, yielding (x >> 16) & 0x7FFF.
 * Picks seeded with the same value repeat exactly everywhere. Not thread-safe: the game
 * draws from it on its main thread only.
 */
class Random {
public:
    static constexpr int kMax = 0x7FFF;

    explicit Random(uint32_t seed = 1) : state_(seed) {}
    void seed(uint32_t seed) { state_ = seed; }
    /** The next value, 0 to kMax. */
    int next()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    uint32_t state() const { return state_; }

private:
    uint32_t state_;
};

/** The one shared generator that stands in for the C runtime's rand and srand. */
Random& sharedRandom();
inline int rand() { return sharedRandom().next(); }
inline void srand(uint32_t seed) { sharedRandom().seed(seed); }

} // namespace platform
