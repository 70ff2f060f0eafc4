/** @file The configuration and player-side files: found through the file manager, read whole, replaced safely. */
#include "client/core/config_io.h"

#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "platform/fs/path.h"

#include <cstdint>
#include <span>

namespace {

std::string& pinnedFolder()
{
    static std::string folder;
    return folder;
}

bool isPinned() { return !pinnedFolder().empty(); }

ConfigFileStore*& installedStore()
{
    static ConfigFileStore* store = nullptr;
    return store;
}

std::string pinnedPath(std::string_view name) { return pinnedFolder() + platform::normalizeSeparators(name); }

/** The folder part of a path with its separator, or "." for a bare name. */
std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

/** Where the file of that name is written: see ReplaceConfigFileBytes. */
std::optional<std::string> writeTarget(std::string_view name)
{
    if (isPinned()) return pinnedPath(name);
    const std::string given = platform::normalizeSeparators(name);
    const FileManager::OpenFileInfo known = FileManager::openFileInfo(given.c_str());
    if (known.found) return std::string(known.actualName);
    if (FILE* stream = FileManager::open(given.c_str(), "rb")) {
        std::string path = FileManager::openFileInfo(given.c_str()).actualName;
        FileManager::close(stream);
        return path;
    }
    // A new file: where opening it for writing on the search paths would create it.
    for (int i = 0; i < FileManager::numSearchPaths(); ++i) {
        const std::string candidate = platform::normalizeSeparators(FileManager::searchPath(i)) + given;
        if (platform::isDirectory(folderOf(candidate))) return candidate;
    }
    return std::nullopt;
}

} // namespace

void SetConfigFolder(std::string_view folder)
{
    std::string f = platform::normalizeSeparators(folder);
    if (!f.empty() && f.back() != '/') f += '/';
    pinnedFolder() = f;
}

FILE* OpenConfigFile(std::string_view name, const char* mode)
{
    if (isPinned()) return platform::openFile(pinnedPath(name), mode);
    const std::string given = platform::normalizeSeparators(name);
    // The file manager reopens a name it has seen at the path it found it, and treats a failure
    // there as a broken install. A configuration file the user removed is merely missing.
    const FileManager::OpenFileInfo known = FileManager::openFileInfo(given.c_str());
    if (known.found && !platform::fileExists(known.actualName)) {
        KZReport::message("OpenConfigFile: '%s' is no longer at '%s'.\n", given.c_str(), known.actualName);
        return nullptr;
    }
    return FileManager::open(given.c_str(), mode);
}

void CloseConfigFile(FILE* stream)
{
    if (stream == nullptr) return;
    if (isPinned()) std::fclose(stream);
    else FileManager::close(stream);
}

std::optional<std::string> ReadConfigFile(std::string_view name, const char* mode)
{
    if (ConfigFileStore* store = installedStore()) return store->read(platform::normalizeSeparators(name));
    FILE* stream = OpenConfigFile(name, mode);
    if (stream == nullptr) return std::nullopt;
    std::string path;
    if (isPinned()) path = platform::resolveCase(pinnedPath(name)).value_or(pinnedPath(name));
    else path = FileManager::openFileInfo(platform::normalizeSeparators(name).c_str()).actualName;
    // A device (/dev/zero), pipe or huge file is no configuration: refused like a damaged one.
    const uint64_t size = platform::fileSize(path).value_or(0);
    if (!platform::isRegularFile(path) || size > platform::kMaxConfigFileBytes) {
        KZReport::error("ReadConfigFile: '%s' is not a regular file of at most %zu bytes; not read.\n", path.c_str(),
                        platform::kMaxConfigFileBytes);
        CloseConfigFile(stream);
        return std::nullopt;
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!bytes.empty()) bytes.resize(FileManager::read(bytes.data(), 1, bytes.size(), stream));
    CloseConfigFile(stream);
    return bytes;
}

bool ReplaceConfigFileBytes(std::string_view name, std::string_view bytes)
{
    if (ConfigFileStore* store = installedStore()) return store->replace(platform::normalizeSeparators(name), bytes);
    const std::optional<std::string> target = writeTarget(name);
    if (!target) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    return platform::replaceFileAtomically(*target, std::span<const uint8_t>(data, bytes.size()));
}

bool MakeConfigFolders(std::string_view folder)
{
    if (installedStore() != nullptr) return true;
    if (isPinned()) return platform::makeDirectories(pinnedPath(folder));
    if (FileManager::numSearchPaths() <= 0) return false;
    return platform::makeDirectories(platform::normalizeSeparators(FileManager::searchPath(0)) +
                                     platform::normalizeSeparators(folder));
}

void SetConfigFileStore(ConfigFileStore* store) { installedStore() = store; }

std::optional<std::string> MemoryConfigFileStore::read(const std::string& name)
{
    const auto found = files_.find(name);
    if (found == files_.end()) return std::nullopt;
    return found->second;
}

bool MemoryConfigFileStore::replace(const std::string& name, std::string_view bytes)
{
    files_[name] = std::string(bytes);
    return true;
}
