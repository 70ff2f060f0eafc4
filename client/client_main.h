/** @file The whole client on a given main window: what the program's entry point runs. */
#pragma once

#include "platform/window/window.h"

/**
 * Starts every manager in its fixed order on `window` (opened here as the main window), runs the
 * main loop until the quit message, and ends through the exit list with the loop's code
 * (platform::exit: it does not return unless an exit hook throws). The caller has installed the
 * message box sink and the platform; the working directory is the install folder.
 */
[[noreturn]] void RunClient(platform::Window& window);
