/** @file Fixture builders for the installed data files: a whole install folder in the real formats, and a started data cache over it. */
#pragma once

#include "tools/formats/data_formats.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

/**
 * Builds an install folder: the seventeen data files (every one non-empty, as mapping needs),
 * and, when set, verdata.mul, hues.mul, animdata.mul, the nine .def files and the digest table.
 * Files are written by write(); nothing touches the disk before.
 */
class DataInstall {
public:
    /** Map blocks default to map 0's 512 per column, two columns (cells x 0..15). */
    explicit DataInstall(std::filesystem::path folder, uint32_t mapBlockColumns = 2);

    /** The index/data pair whose data file has this id (2 statics, 4 art, 12 gump art, ...). */
    formats::IndexedFileWriter& indexed(int32_t dataFileId);
    formats::MapWriter& map() { return map_; }
    void setVerdata(std::vector<formats::VerdataEntry> entries) { verdata_ = std::move(entries); }
    void setHues(formats::Bytes bytes) { hues_ = std::move(bytes); }
    void setAnimData(formats::Bytes bytes) { animData_ = std::move(bytes); }
    /** Replaces one file's bytes as written (a damaged or short file). */
    void overrideFile(const std::string& name, formats::Bytes bytes) { overrides_[name] = std::move(bytes); }
    /** The nine .def files with these texts (files not named are written empty). */
    void setDefs(std::map<std::string, std::string> texts);
    void setDigestTable(formats::Bytes bytes) { digest_ = std::move(bytes); }

    /** Writes the data files into folder/sub (the data-source folder uses sub "cd"); returns that folder. */
    std::filesystem::path write(const std::string& sub = "") const;
    /** Writes only these data files (by id) into folder/sub. */
    std::filesystem::path writeOnly(const std::vector<int32_t>& ids, const std::string& sub) const;

    const std::filesystem::path& folder() const { return folder_; }

private:
    formats::Bytes fileBytes(int32_t id) const;

    std::filesystem::path folder_;
    formats::MapWriter map_;
    std::map<int32_t, formats::IndexedFileWriter> indexed_;
    std::vector<formats::VerdataEntry> verdata_;
    formats::Bytes hues_;
    formats::Bytes animData_;
    formats::Bytes digest_;
    std::map<std::string, std::string> defs_;
    std::map<std::string, formats::Bytes> overrides_;
};

/**
 * Points the data settings at an install and starts the data cache with LoadVersionFile;
 * shuts it down (removing any cache file) when it goes away.
 */
class ScopedDataCache {
public:
    struct Options {
        std::string cdPath;
        bool maxHd = true;
        int32_t cacheSize = 1;
        bool useVerData = true;
        bool use565 = false;
    };
    ScopedDataCache(const std::filesystem::path& hdPath, Options options);
    explicit ScopedDataCache(const std::filesystem::path& hdPath) : ScopedDataCache(hdPath, Options{}) {}
    ~ScopedDataCache();
    ScopedDataCache(const ScopedDataCache&) = delete;
    ScopedDataCache& operator=(const ScopedDataCache&) = delete;
};

/** A raw 5-5-5 image from rows of text: '.' transparent, other characters looked up in the palette. */
std::vector<uint16_t> pixelsFromRows(const std::vector<std::string>& rows, const std::map<char, uint16_t>& palette);

} // namespace testsupport
