/** @file Runs a piece of a test in a second process that stays alive, holding what it took, until released. */
#pragma once

#include <functional>

namespace testsupport {

/**
 * Forks; the child runs setUp (taking locks, opening files as another copy of a program
 * would), tells the parent it is ready, and then waits until the parent releases it (or
 * dies), and ends without running anything else of the test program. The constructor returns
 * once the child is ready. setUp returning false ends the child with code 1.
 */
class SecondProcess {
public:
    explicit SecondProcess(const std::function<bool()>& setUp);
    ~SecondProcess();
    SecondProcess(const SecondProcess&) = delete;
    SecondProcess& operator=(const SecondProcess&) = delete;

    /** True when the child got through setUp. */
    bool ready() const { return ready_; }
    /** Lets the child end and returns its exit code (-1 when it did not end normally). */
    int release();

private:
    int pid_ = -1;
    int releaseFd_ = -1;
    bool ready_ = false;
    int exitCode_ = -1;
};

} // namespace testsupport
