/** @file A private X display for tests that open real windows. */
#include "tests/support/xvfb_display.h"

#include "platform/process/process.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace testsupport {

namespace {

bool waitUntil(int timeoutMs, const auto& done)
{
    // Waiting on another program: there is no clock of ours to advance, so poll in short steps.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

} // namespace

std::string findXvfb()
{
    for (const char* path : {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"})
        if (std::filesystem::exists(path))
            return path;
    return {};
}

XvfbDisplay::XvfbDisplay() : launcher_(std::make_unique<platform::PosixProcessLauncher>())
{
    const std::string xvfb = findXvfb();
    if (xvfb.empty())
        return;
    // The server picks a free display number itself (taking its lock atomically, so tests
    // started at once never share one) and writes it to descriptor 3 once it accepts clients.
    const std::string numberFile = folder_.file("display");
    server_ = launcher_->spawn({"/bin/sh", "-c",
                                "exec \"$0\" -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>\"$1\"", xvfb,
                                numberFile},
                               "");
    if (!server_)
        return;
    std::string number;
    const auto announced = [&] {
        number = folder_.read("display");
        return number.find('\n') != std::string::npos;
    };
    // Waiting on another program: the deadline only bounds a server that never comes up.
    if (waitUntil(120000, [&] { return announced() || !launcher_->isRunning(*server_); }) && announced() &&
        launcher_->isRunning(*server_)) {
        name_ = ":" + number.substr(0, number.find('\n'));
        return;
    }
    launcher_->terminate(*server_);
    launcher_->wait(*server_);
    server_.reset();
}

XvfbDisplay::~XvfbDisplay()
{
    if (server_) {
        launcher_->terminate(*server_);
        launcher_->wait(*server_);
    }
}

std::optional<int> XvfbDisplay::run(const std::vector<std::string>& argv, const std::string& folder,
                                    const std::vector<std::pair<std::string, std::string>>& environment,
                                    int timeoutMs)
{
    // The child inherits this process's environment: set the variables for the spawn and put
    // back what was there before, so the test process keeps its own DISPLAY and ASAN_OPTIONS.
    std::vector<std::pair<std::string, std::string>> settings = environment;
    settings.insert(settings.begin(), {"DISPLAY", name_});
    std::vector<std::pair<std::string, std::optional<std::string>>> previous;
    for (const auto& [key, value] : settings) {
        const char* old = std::getenv(key.c_str());
        previous.emplace_back(key, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(key.c_str(), value.c_str(), 1);
    }
    const auto child = launcher_->spawn(argv, folder);
    for (auto it = previous.rbegin(); it != previous.rend(); ++it) {
        if (it->second)
            ::setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            ::unsetenv(it->first.c_str());
    }
    if (!child)
        return std::nullopt;
    if (!waitUntil(timeoutMs, [&] { return !launcher_->isRunning(*child); })) {
        launcher_->terminate(*child);
        launcher_->wait(*child);
        return std::nullopt;
    }
    return launcher_->wait(*child);
}

std::optional<int> XvfbDisplay::runToolSmoke(const std::string& program, const std::string& folder,
                                            std::vector<std::pair<std::string, std::string>> environment)
{
    const char* binaries = std::getenv("KZ_TEST_BINARY_DIR");
    if (binaries == nullptr)
        return std::nullopt;
    environment.insert(environment.end(), {{"KZ_FORMS_SMOKE", "1"},
                                           {"NO_AT_BRIDGE", "1"},
                                           // The toolkit keeps caches until exit; the tools' own
                                           // leaks are checked by the headless tests.
                                           {"ASAN_OPTIONS", "detect_leaks=0"}});
    // A generous bound: it only ends a tool that hangs, and a loaded machine runs the
    // instrumented toolkit slowly.
    return run({std::string(binaries) + "/" + program}, folder, environment, 180000);
}

} // namespace testsupport
