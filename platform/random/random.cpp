/** @file The shared random generator instance. */
#include "platform/random/random.h"

namespace platform {

Random& sharedRandom()
{
    static Random generator(1);
    return generator;
}

} // namespace platform
