/** @file Starting other programs: by argument list, in a given folder, never through a shell. */
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

/** How a program is started beyond its arguments and folder. */
struct SpawnOptions {
    /**
     * The program leads a new process group of its own (its group id is its process id), so
     * a signal sent to the starter's group, such as a terminal's Ctrl+C, does not reach it.
     */
    bool newProcessGroup = false;
};

/**
 * Starts programs and follows them by an id. argv[0] names the program: looked up in PATH when
 * it has no "/", used as a path otherwise. Arguments reach the program exactly as given (no
 * shell: spaces, quotes, "$" and ";" are plain characters). Safe to call from any thread.
 */
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    /**
     * Starts the program in workingDirectory (the current folder when empty). Returns the id of
     * the new process, or nullopt when the program could not be started at all (not found, not
     * executable, bad folder) -- never a process that merely fails at once.
     */
    virtual std::optional<int64_t> spawn(const std::vector<std::string>& argv, const std::string& workingDirectory,
                                         const SpawnOptions& options) = 0;
    /** The same with the default options (the program stays in the starter's process group). */
    std::optional<int64_t> spawn(const std::vector<std::string>& argv, const std::string& workingDirectory)
    {
        return spawn(argv, workingDirectory, SpawnOptions{});
    }
    /** True while the process has not ended. */
    virtual bool isRunning(int64_t id) = 0;
    /**
     * Waits for the process to end and returns its exit code (128 + signal number when a signal
     * ended it); nullopt for an id that is not a process started here. May be asked again.
     */
    virtual std::optional<int> wait(int64_t id) = 0;
    /** Asks the process to end; false when it is not running. */
    virtual bool terminate(int64_t id) = 0;
    /** False for launchers that start nothing (tests). */
    virtual bool startsRealProcesses() const = 0;
};

/**
 * Starts real processes. A started process that nobody waits for stays a zombie entry until
 * isRunning() or wait() sees it end, or this process ends.
 */
class PosixProcessLauncher final : public ProcessLauncher {
public:
    using ProcessLauncher::spawn;
    std::optional<int64_t> spawn(const std::vector<std::string>& argv, const std::string& workingDirectory,
                                 const SpawnOptions& options) override;
    bool isRunning(int64_t id) override;
    std::optional<int> wait(int64_t id) override;
    bool terminate(int64_t id) override;
    bool startsRealProcesses() const override { return true; }

private:
    std::mutex mutex_;
    std::map<int64_t, std::optional<int>> children_; // id -> exit code once it has ended
};

/**
 * Starts nothing: records every request and answers from a script. Ids count up from 1000.
 * A spawned "process" runs until finish() or terminate() is called for it, or wait() is asked
 * (which finishes it with its scripted exit code, 0 unless set).
 */
class FakeProcessLauncher final : public ProcessLauncher {
public:
    struct Spawn {
        std::vector<std::string> argv;
        std::string workingDirectory;
        std::optional<int64_t> id; // nullopt when the spawn was scripted to fail
        SpawnOptions options;
    };

    using ProcessLauncher::spawn;
    std::optional<int64_t> spawn(const std::vector<std::string>& argv, const std::string& workingDirectory,
                                 const SpawnOptions& options) override;
    bool isRunning(int64_t id) override;
    std::optional<int> wait(int64_t id) override;
    bool terminate(int64_t id) override;
    bool startsRealProcesses() const override { return false; }

    /** Every spawn asked for, in order (failed ones included). */
    std::vector<Spawn> spawns() const;
    /** Makes the next spawns fail (true) or succeed again (false). */
    void setSpawnFails(bool fails);
    /** The exit code that wait() gives for processes spawned from now on. */
    void setExitCode(int code);
    /** Ends a running process with the code. */
    void finish(int64_t id, int code);

private:
    struct Child {
        bool running = true;
        int exitCode = 0;
    };

    mutable std::mutex mutex_;
    std::vector<Spawn> spawns_;
    std::map<int64_t, Child> children_;
    int64_t nextId_ = 1000;
    bool spawnFails_ = false;
    int exitCode_ = 0;
};

} // namespace platform
