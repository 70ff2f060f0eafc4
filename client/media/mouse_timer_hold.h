/** @file Keeps the mouse timer idle while sound or music talk to their device. */
#pragma once

#include "client/core/main_window.h"

/** Holds the mouse timer's busy flag for its lifetime. */
class MouseTimerHold {
public:
    MouseTimerHold() { LockMouseTimer(); }
    ~MouseTimerHold() { UnlockMouseTimer(); }
    MouseTimerHold(const MouseTimerHold&) = delete;
    MouseTimerHold& operator=(const MouseTimerHold&) = delete;
};
