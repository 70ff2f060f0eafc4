/** @file The exit list and the replaceable process-exit hook. */
#include "platform/exit/exit.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include <signal.h>
#include <unistd.h>

namespace platform {

namespace {

volatile std::sig_atomic_t g_terminationRequested = 0;

extern "C" void onTerminationSignal(int)
{
    g_terminationRequested = 1;
}

} // namespace

void catchTerminationSignals()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool takeTerminationRequest()
{
    if (g_terminationRequested == 0)
        return false;
    g_terminationRequested = 0;
    return true;
}

namespace {

std::mutex& hookMutex()
{
    static std::mutex m;
    return m;
}

std::function<void(int)>& hookSlot()
{
    static std::function<void(int)> hook;
    return hook;
}

[[noreturn]] void defaultExit(int code)
{
    std::fflush(nullptr);
    ::_exit(code);
}

struct ExitList {
    std::mutex mutex;
    std::vector<std::function<void()>> entries;
    bool running = false;
};

ExitList& exitList()
{
    static ExitList list;
    return list;
}

} // namespace

[[noreturn]] void exitProcess(int code)
{
    std::function<void(int)> hook;
    {
        std::lock_guard<std::mutex> guard(hookMutex());
        hook = hookSlot();
    }
    if (!hook)
        defaultExit(code);
    hook(code);
    // A hook that returns would let the caller run on past a point it believed final.
    std::abort();
}

void setExitHook(std::function<void(int)> hook)
{
    std::lock_guard<std::mutex> guard(hookMutex());
    hookSlot() = std::move(hook);
}

ScopedExitHook::ScopedExitHook()
    : ScopedExitHook([](int code) { throw ExitRequested{code}; })
{
}

ScopedExitHook::ScopedExitHook(std::function<void(int)> hook)
{
    std::lock_guard<std::mutex> guard(hookMutex());
    previous_ = std::move(hookSlot());
    hookSlot() = std::move(hook);
}

ScopedExitHook::~ScopedExitHook()
{
    setExitHook(std::move(previous_));
}

void atExit(std::function<void()> fn)
{
    if (!fn)
        return;
    ExitList& list = exitList();
    std::lock_guard<std::mutex> guard(list.mutex);
    list.entries.push_back(std::move(fn));
}

void runExitList()
{
    ExitList& list = exitList();
    {
        std::lock_guard<std::mutex> guard(list.mutex);
        if (list.running)
            return;
        list.running = true;
    }
    struct Done {
        ExitList& list;
        ~Done()
        {
            std::lock_guard<std::mutex> guard(list.mutex);
            list.running = false;
        }
    } done{list};
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> guard(list.mutex);
            if (list.entries.empty())
                break;
            fn = std::move(list.entries.back());
            list.entries.pop_back();
        }
        fn();
    }
}

[[noreturn]] void exit(int code)
{
    runExitList();
    exitProcess(code);
}

void resetExitList()
{
    ExitList& list = exitList();
    std::lock_guard<std::mutex> guard(list.mutex);
    list.entries.clear();
}

} // namespace platform
