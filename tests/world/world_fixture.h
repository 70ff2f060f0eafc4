/** @file Shared set-up of the world tests: a report sandbox, an install folder under the file manager, and clean world state. */
#pragma once

#include "client/core/file_manager.h"
#include "tests/core/report_sandbox.h"

#include "platform/platform.h"

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

/** An install folder "hd/" named by the install key, with the file manager started on it. */
class InstallSandbox {
public:
    InstallSandbox()
    {
        hd_ = sandbox_.dir().file("hd") + "/";
        std::filesystem::create_directories(hd_);
        platform_.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", hd_ + "client");
        FileManager::startup();
    }
    ~InstallSandbox() { FileManager::shutdown(); }
    InstallSandbox(const InstallSandbox&) = delete;
    InstallSandbox& operator=(const InstallSandbox&) = delete;

    /** Writes a file relative to the install folder. */
    void write(const std::string& name, const std::vector<unsigned char>& bytes) { sandbox_.dir().write("hd/" + name, bytes); }
    std::string installFile(const std::string& name) const { return hd_ + name; }
    std::string log() const { return sandbox_.read("KZReport0.log"); }

private:
    ReportSandbox sandbox_;
    platform::ScopedPlatform platform_;
    std::string hd_;
};

} // namespace testsupport
