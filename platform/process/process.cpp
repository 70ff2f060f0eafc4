/** @file Starting programs with posix_spawn, and the fake launcher for tests. */
#include "platform/process/process.h"

#include <cerrno>
#include <csignal>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/fs/path.h"

extern char** environ;

namespace platform {

namespace {

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

// ---- PosixProcessLauncher ----------------------------------------------------------------

std::optional<int64_t> PosixProcessLauncher::spawn(const std::vector<std::string>& argv,
                                                   const std::string& workingDirectory, const SpawnOptions& options)
{
    if (argv.empty() || argv[0].empty())
        return std::nullopt;

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return std::nullopt;
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return std::nullopt;
    }

    bool ok = true;
    std::string folder;
    if (!workingDirectory.empty()) {
        // The folder may come from stored settings written on a case-insensitive system.
        auto resolved = resolveCase(workingDirectory);
        folder = resolved ? *resolved : normalizeSeparators(workingDirectory);
        ok = posix_spawn_file_actions_addchdir_np(&actions, folder.c_str()) == 0;
    }
    // The child starts with no blocked signals and default handling of the ones we may ignore
    // (a network program ignores SIGPIPE; a started browser should not inherit that).
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (options.newProcessGroup) {
        flags |= POSIX_SPAWN_SETPGROUP;
        ok = ok && posix_spawnattr_setpgroup(&attributes, 0) == 0; // 0: a group named after the child
    }
    ok = ok && posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
         posix_spawnattr_setsigdefault(&attributes, &defaults) == 0 &&
         posix_spawnattr_setflags(&attributes, flags) == 0;

    pid_t pid = -1;
    int error = ok ? 0 : EINVAL;
    if (ok) {
        // glibc reports a failed chdir or exec as the result of the call itself, so a program
        // that cannot be started never shows up as a child exiting with 127.
        error = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0 || pid <= 0)
        return std::nullopt;

    std::lock_guard<std::mutex> guard(mutex_);
    children_[pid] = std::nullopt;
    return static_cast<int64_t>(pid);
}

bool PosixProcessLauncher::isRunning(int64_t id)
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = children_.find(id);
    if (it == children_.end())
        return false;
    if (it->second)
        return false;
    int status = 0;
    const pid_t r = ::waitpid(static_cast<pid_t>(id), &status, WNOHANG);
    if (r == 0)
        return true;
    it->second = r > 0 ? exitCodeOf(status) : -1;
    return false;
}

std::optional<int> PosixProcessLauncher::wait(int64_t id)
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto it = children_.find(id);
        if (it == children_.end())
            return std::nullopt;
        if (it->second)
            return it->second;
    }
    // Wait without the lock so other threads can ask about other children meanwhile.
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(static_cast<pid_t>(id), &status, 0);
    } while (r < 0 && errno == EINTR);
    std::lock_guard<std::mutex> guard(mutex_);
    auto& code = children_[id];
    if (r > 0)
        code = exitCodeOf(status);
    else if (!code) // reaped elsewhere without our knowing the status
        code = -1;
    return code;
}

bool PosixProcessLauncher::terminate(int64_t id)
{
    if (!isRunning(id))
        return false;
    return ::kill(static_cast<pid_t>(id), SIGTERM) == 0;
}

// ---- FakeProcessLauncher -----------------------------------------------------------------

std::optional<int64_t> FakeProcessLauncher::spawn(const std::vector<std::string>& argv,
                                                  const std::string& workingDirectory, const SpawnOptions& options)
{
    std::lock_guard<std::mutex> guard(mutex_);
    std::optional<int64_t> id;
    if (!spawnFails_ && !argv.empty() && !argv[0].empty()) {
        id = nextId_++;
        children_[*id] = Child{true, exitCode_};
    }
    spawns_.push_back(Spawn{argv, workingDirectory, id, options});
    return id;
}

bool FakeProcessLauncher::isRunning(int64_t id)
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = children_.find(id);
    return it != children_.end() && it->second.running;
}

std::optional<int> FakeProcessLauncher::wait(int64_t id)
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = children_.find(id);
    if (it == children_.end())
        return std::nullopt;
    it->second.running = false;
    return it->second.exitCode;
}

bool FakeProcessLauncher::terminate(int64_t id)
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = children_.find(id);
    if (it == children_.end() || !it->second.running)
        return false;
    it->second.running = false;
    it->second.exitCode = 128 + 15; // as if ended by SIGTERM
    return true;
}

std::vector<FakeProcessLauncher::Spawn> FakeProcessLauncher::spawns() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return spawns_;
}

void FakeProcessLauncher::setSpawnFails(bool fails)
{
    std::lock_guard<std::mutex> guard(mutex_);
    spawnFails_ = fails;
}

void FakeProcessLauncher::setExitCode(int code)
{
    std::lock_guard<std::mutex> guard(mutex_);
    exitCode_ = code;
}

void FakeProcessLauncher::finish(int64_t id, int code)
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = children_.find(id);
    if (it != children_.end() && it->second.running) {
        it->second.running = false;
        it->second.exitCode = code;
    }
}

} // namespace platform
