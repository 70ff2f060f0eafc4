/** @file Shared set-up of the fuzz targets of the configuration and player-side files: a private install folder. */
#pragma once

#include "client/core/file_manager.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace testsupport {

/**
 * A temporary install folder for the whole run: the install key of a fake key store names it
 * and the file manager is started on it, so the files written there reach the readers through
 * the file manager's search paths as in the client. The folder is removed when the run ends.
 */
class FuzzInstall {
public:
    FuzzInstall()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kz-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern + "/";
        platform_.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", folder_ + "client");
        FileManager::startup();
    }
    ~FuzzInstall()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    FuzzInstall(const FuzzInstall&) = delete;
    FuzzInstall& operator=(const FuzzInstall&) = delete;

    /** Replaces the install folder's file of that name with the bytes. */
    void write(const char* name, const uint8_t* data, size_t size) const
    {
        std::ofstream(folder_ + name, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

private:
    std::string folder_;
    platform::ScopedPlatform platform_;
};

/** The install of this run, made on first use. */
inline const FuzzInstall& fuzzInstall()
{
    static const FuzzInstall install;
    return install;
}

} // namespace testsupport
