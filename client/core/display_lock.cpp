/** @file The display lock. */
#include "client/core/display_lock.h"

platform::RecursiveLock& DisplayLock()
{
    static platform::RecursiveLock lock;
    return lock;
}
