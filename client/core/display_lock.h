/** @file The display lock: guards the back buffer and the window mode against the mouse timer thread. */
#pragma once

#include "platform/sync/sync.h"

/**
 * Held while a frame is presented, while the window mode changes and while the mouse timer is
 * stopped. Lock order: the display lock, then the mouse position, then the cursor index, then
 * the drawn cursor rectangle; a thread never takes an earlier one while holding a later one.
 */
platform::RecursiveLock& DisplayLock();
