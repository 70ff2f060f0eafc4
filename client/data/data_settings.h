/** @file What the data readers take from the configuration and the install: folders and the data settings. */
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kzdata {

/**
 * The settings the data readers depend on. Start-up fills them from the key store and kz.cfg
 * before the readers start; tests set them directly.
 */
struct DataSettings {
    std::string hdPath;      // the install folder (data path)
    std::string cdPath;      // the data-source folder of a partial install; empty when none
    bool maxHd = true;       // HdUsage "max": every file mapped from the install folder
    int32_t cacheSize = 0;   // CacheSize, in units of 1,000,000 bytes
    bool useVerData = true;  // UseVerData
    bool use565 = false;     // the display packs pixels 5-6-5
    int32_t instance = 0;    // report instance number: selects cache0.kz or cache1.kz
};

DataSettings& dataSettings();

/** The install folder joined with a file name ("./name" when no folder is set). */
std::string DataPath(const std::string& name);
/** The data-source folder joined with a file name; empty when no such folder is set. */
std::string CdDataPath(const std::string& name);

/** The whole content of a file of the install folder, or nothing when it cannot be read. */
std::optional<std::vector<uint8_t>> ReadDataFile(const std::string& name);

/** Ends the program with an exit code (a missing remap table, a cache that cannot hold a request). */
[[noreturn]] void EndProgram(int code);

} // namespace kzdata
