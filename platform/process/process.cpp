/** @file The process launchers. */
#include "platform/process/process.h"

namespace platform {

std::optional<int64_t> PosixProcessLauncher::spawn(const std::vector<std::string>&, const std::string&) { return std::nullopt; }
bool PosixProcessLauncher::isRunning(int64_t) { return false; }
std::optional<int> PosixProcessLauncher::wait(int64_t) { return std::nullopt; }
bool PosixProcessLauncher::terminate(int64_t) { return false; }
std::optional<int64_t> FakeProcessLauncher::spawn(const std::vector<std::string>&, const std::string&) { return std::nullopt; }
bool FakeProcessLauncher::isRunning(int64_t) { return false; }
std::optional<int> FakeProcessLauncher::wait(int64_t) { return std::nullopt; }
bool FakeProcessLauncher::terminate(int64_t) { return false; }
std::vector<FakeProcessLauncher::Spawn> FakeProcessLauncher::spawns() const { return {}; }
void FakeProcessLauncher::setSpawnFails(bool) {}
void FakeProcessLauncher::setExitCode(int) {}
void FakeProcessLauncher::finish(int64_t, int) {}

} // namespace platform
