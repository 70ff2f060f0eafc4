/** @file Random picks of the world code from an injectable generator. */
#pragma once

#include "platform/random/random.h"

#include <cstdint>

/** A value 0 .. n - 1 from the generator, or from the shared one when it is null; 0 when n < 1. */
inline int32_t RandomBelow(platform::Random* generator, int32_t n)
{
    platform::Random& r = generator != nullptr ? *generator : platform::sharedRandom();
    return n > 0 ? r.next() % n : 0;
}
