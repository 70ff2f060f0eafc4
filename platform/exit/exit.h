/** @file Ending the process: an exit list of shutdowns, and the final exit through a replaceable hook. */
#pragma once

#include <functional>

namespace platform {

/**
 * Thrown by the hook that tests install (ScopedExitHook) so that a call which would end the
 * process unwinds back into the test instead, carrying the exit code.
 */
struct ExitRequested {
    int code;
};

/**
 * Ends the process at once with the given code, without running the exit list.
 * Goes through the installed hook; the default hook flushes stdio and ends the process without
 * running static destructors or atexit handlers. A hook must not return (it ends the process or
 * throws); if it returns anyway the process aborts. Any thread may call it.
 */
[[noreturn]] void exitProcess(int code);

/** Replaces the hook used by exitProcess; nullptr restores the default. */
void setExitHook(std::function<void(int)> hook);

/** Installs a hook that throws ExitRequested{code}; restores the previous hook when it dies. */
class ScopedExitHook {
public:
    ScopedExitHook();
    explicit ScopedExitHook(std::function<void(int)> hook);
    ~ScopedExitHook();
    ScopedExitHook(const ScopedExitHook&) = delete;
    ScopedExitHook& operator=(const ScopedExitHook&) = delete;

private:
    std::function<void(int)> previous_;
};

/** Registers a shutdown to run when the exit list runs. Any thread may call it. */
void atExit(std::function<void()> fn);

/**
 * Runs every registered shutdown once, the last registered first, and empties the list.
 * Shutdowns registered while the list runs are run too (in the same newest-first order).
 * A call made while the list is already running (from a shutdown, or from another thread)
 * returns at once without running anything. If a shutdown throws, the run stops there, the
 * exception propagates and the shutdowns not yet run stay registered.
 */
void runExitList();

/** runExitList(), then exitProcess(code). */
[[noreturn]] void exit(int code);

/**
 * From now on SIGTERM, SIGINT and SIGHUP do not end the process at once: each only records a
 * request to close, which the window layer turns into a close message, so that the program
 * ends through its main loop and its exit list. Call it first thing in main, before anything
 * that a signal could cut short.
 */
void catchTerminationSignals();

/** True once for each close request such a signal made since the last call. */
bool takeTerminationRequest();

/** Forgets every registered shutdown without running it (tests). */
void resetExitList();

} // namespace platform
