/** @file A second process for tests of files shared between copies of a program. */
#include "tests/support/second_process.h"

#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

SecondProcess::SecondProcess(const std::function<bool()>& setUp)
{
    int readyPipe[2];
    int releasePipe[2];
    if (::pipe(readyPipe) != 0)
        return;
    if (::pipe(releasePipe) != 0) {
        ::close(readyPipe[0]);
        ::close(readyPipe[1]);
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(readyPipe[0]);
        ::close(releasePipe[1]);
        const bool ok = setUp();
        const char byte = ok ? 'r' : 'f';
        (void)!::write(readyPipe[1], &byte, 1);
        char ignored;
        while (::read(releasePipe[0], &ignored, 1) > 0) {
        }
        ::_exit(ok ? 0 : 1);
    }
    ::close(readyPipe[1]);
    ::close(releasePipe[0]);
    releaseFd_ = releasePipe[1];
    char byte = 0;
    ready_ = pid_ > 0 && ::read(readyPipe[0], &byte, 1) == 1 && byte == 'r';
    ::close(readyPipe[0]);
}

SecondProcess::~SecondProcess()
{
    release();
}

int SecondProcess::release()
{
    if (releaseFd_ >= 0) {
        ::close(releaseFd_);
        releaseFd_ = -1;
    }
    if (pid_ > 0) {
        int status = 0;
        if (::waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status))
            exitCode_ = WEXITSTATUS(status);
        pid_ = -1;
    }
    return exitCode_;
}

} // namespace testsupport
