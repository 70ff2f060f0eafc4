/** @file A test sandbox for code that reports: a temporary working directory, a recording message box, an exit hook. */
#pragma once

#include "client/core/kz_report.h"
#include "client/core/monochrome_monitor.h"
#include "platform/exit/exit.h"
#include "platform/message_box/message_box.h"
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace testsupport {

/**
 * While alive: the working directory is a fresh temporary folder (the report log lands there),
 * KZ_RUNTIME_DIR points into it (so instance names are private to the test), message boxes are
 * recorded, process exits throw platform::ExitRequested, and the report log starts from scratch.
 * Everything is restored when it dies.
 */
class ReportSandbox {
public:
    ReportSandbox()
        : previousDir_(std::filesystem::current_path()), boxScope_(boxes_)
    {
        if (const char* runtime = std::getenv("KZ_RUNTIME_DIR"))
            previousRuntime_ = runtime;
        setRuntimeDir(dir_.file("run"));
        std::filesystem::current_path(dir_.path());
        platform::resetExitList();
        KZReport::resetForTests();
        MonochromeMonitor::resetForTests();
    }

    ~ReportSandbox()
    {
        KZReport::resetForTests();
        MonochromeMonitor::resetForTests();
        platform::resetExitList();
        std::filesystem::current_path(previousDir_);
        if (previousRuntime_)
            ::setenv("KZ_RUNTIME_DIR", previousRuntime_->c_str(), 1);
        else
            ::unsetenv("KZ_RUNTIME_DIR");
    }

    ReportSandbox(const ReportSandbox&) = delete;
    ReportSandbox& operator=(const ReportSandbox&) = delete;

    void setRuntimeDir(const std::string& dir) { ::setenv("KZ_RUNTIME_DIR", dir.c_str(), 1); }

    const TempDir& dir() const { return dir_; }
    platform::RecordingMessageBoxSink& boxes() { return boxes_; }
    /** The content of a file in the working directory ("" when missing). */
    std::string read(const std::string& name) const { return dir_.read(name); }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir_.path() / name); }

private:
    TempDir dir_;
    std::filesystem::path previousDir_;
    std::optional<std::string> previousRuntime_;
    platform::RecordingMessageBoxSink boxes_;
    platform::ScopedMessageBoxSink boxScope_;
    platform::ScopedExitHook exitHook_;
};

/** Runs a call that must end the process and returns the exit code it asked for (-1 when it returned). */
template <class F>
int exitCodeOf(F&& call)
{
    try {
        call();
    } catch (const platform::ExitRequested& exit) {
        return exit.code;
    }
    return -1;
}

} // namespace testsupport
