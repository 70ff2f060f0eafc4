/** @file The configuration and player-side files: found through the file manager, read whole, replaced safely. */
#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// kz.cfg, login.cfg, the player-side lists and the Desktop tree are found through the file
// manager, so its search paths (install folder, CD folder, added search paths) apply: a name
// is looked up on each of them in turn. A rewrite goes to the file the file manager last
// opened under that name, i.e. the one the read found, wherever it lies. Replacing a file
// always writes a temporary file in the same folder and renames it over the original, so a
// failed or interrupted write leaves the old content whole.
//
// Names are relative ("Desktop/acct/shard/player/kz.cfg"); "\\" separators are accepted.

/**
 * Pins every name to one folder instead of the file manager's search paths; empty unpins.
 * For programs and tests that run without an installed client (no install key to start the
 * file manager from).
 */
void SetConfigFolder(std::string_view folder);

/**
 * Reads a whole file found through the file manager with the given read mode ("r" or "rb").
 * nullopt when it is found nowhere, or when the file the file manager had found for that name
 * has since disappeared (that counts as missing, not as a broken install).
 */
std::optional<std::string> ReadConfigFile(std::string_view name, const char* mode);

/** Opens a file for reading as ReadConfigFile finds it; null when missing. Give it back with CloseConfigFile. */
FILE* OpenConfigFile(std::string_view name, const char* mode);
void CloseConfigFile(FILE* stream);

/**
 * Replaces the file of that name with bytes. An existing file (the one the file manager opened
 * under that name, also when it has disappeared since) is replaced where it lies; a new file
 * is created on the first search path that holds its folder. False, with any old file left
 * untouched, when the write fails or no search path holds the folder.
 */
bool ReplaceConfigFileBytes(std::string_view name, std::string_view bytes);

/** Makes a folder (and the folders above it) where new files of that name would be written. */
bool MakeConfigFolders(std::string_view folder);

/**
 * Where ReadConfigFile and ReplaceConfigFileBytes find and put the files when one is installed
 * instead of the file system. Names come with "/" separators. A store holds any folder, so
 * MakeConfigFolders succeeds while one is installed.
 */
class ConfigFileStore {
public:
    virtual ~ConfigFileStore() = default;
    virtual std::optional<std::string> read(const std::string& name) = 0;
    virtual bool replace(const std::string& name, std::string_view bytes) = 0;
};

/** Installs a store (not owned) for the whole process; nullptr goes back to the file system. */
void SetConfigFileStore(ConfigFileStore* store);

/** The files in memory: a read sees the last replacement of that name (names compared as given). */
class MemoryConfigFileStore final : public ConfigFileStore {
public:
    std::optional<std::string> read(const std::string& name) override;
    bool replace(const std::string& name, std::string_view bytes) override;
    void clear() { files_.clear(); }

private:
    std::map<std::string, std::string, std::less<>> files_;
};
