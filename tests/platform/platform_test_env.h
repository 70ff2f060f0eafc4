/** @file Helpers shared by the platform tests: environment overrides and waiting for another process. */
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

namespace platformtest {

/** Sets (or with nullopt, unsets) an environment variable, restoring it when it dies. */
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            previous_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (previous_)
            setenv(name_, previous_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

/** Polls until the file exists; the generous deadline only matters when something is broken. */
inline bool waitForFile(const std::string& path, std::chrono::seconds deadline = std::chrono::seconds(20))
{
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

/** The whole content of a file; empty when it cannot be read. */
inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace platformtest
