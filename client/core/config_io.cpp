/** @file Where the client's own files live, and whole-file reads and safe replacements of them. */
#include "client/core/config_io.h"

#include "client/core/file_manager.h"
#include "platform/fs/path.h"

#include <cstdint>
#include <span>

namespace {

std::string& folderOverride()
{
    static std::string folder;
    return folder;
}

std::string folder()
{
    if (!folderOverride().empty()) return folderOverride();
    return FileManager::getHDPath();
}

} // namespace

void SetConfigFolder(std::string_view folder)
{
    std::string f = platform::normalizeSeparators(folder);
    if (!f.empty() && f.back() != '/') f += '/';
    folderOverride() = f;
}

std::string ConfigFilePath(std::string_view name)
{
    std::string base = platform::normalizeSeparators(folder());
    if (!base.empty() && base.back() != '/') base += '/';
    return base + platform::normalizeSeparators(name);
}

bool ConfigFileReadable(std::string_view name)
{
    FILE* f = platform::openFile(ConfigFilePath(name), "rb");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
}

std::optional<std::string> ReadConfigFileBytes(std::string_view name)
{
    auto bytes = platform::readWholeFile(ConfigFilePath(name));
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

bool ReplaceConfigFileBytes(std::string_view name, std::string_view bytes)
{
    const std::string path = ConfigFilePath(name);
    // Keep the letter case of an existing file so the rename replaces it instead of adding a twin.
    const std::string target = platform::resolveCase(path).value_or(path);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    return platform::replaceFileAtomically(target, std::span<const uint8_t>(data, bytes.size()));
}

bool ConfigFileFolderExists(std::string_view name)
{
    const std::string path = ConfigFilePath(name);
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return true;
    return platform::isDirectory(path.substr(0, slash + 1));
}
