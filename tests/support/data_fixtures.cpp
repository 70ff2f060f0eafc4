/** @file Fixture builders for the installed data files. */
#include "tests/support/data_fixtures.h"

#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/data_settings.h"

#include <fstream>

namespace testsupport {

namespace {

void writeFile(const std::filesystem::path& path, const formats::Bytes& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

const char* const kDefNames[] = {"sound.def", "music.def", "anim1.def", "anim2.def", "anim3.def",
                                 "anim4.def", "art.def",   "body.def",  "corpse.def"};

} // namespace

DataInstall::DataInstall(std::filesystem::path folder, uint32_t mapBlockColumns)
    : folder_(std::move(folder)), map_(mapBlockColumns, 512)
{
}

formats::IndexedFileWriter& DataInstall::indexed(int32_t dataFileId)
{
    return indexed_[dataFileId];
}

void DataInstall::setDefs(std::map<std::string, std::string> texts)
{
    defs_ = std::move(texts);
    for (const char* name : kDefNames) defs_.emplace(name, "");
}

formats::Bytes DataInstall::fileBytes(int32_t id) const
{
    const std::string name = g_DataFileInfo[id].name;
    if (const auto o = overrides_.find(name); o != overrides_.end()) return o->second;
    if (id == FILE_MAP0) return map_.bytes();
    const bool isIndex = g_DataFileInfo[id].recordSize == 12;
    const int32_t dataId = isIndex ? id + 1 : id;
    formats::IndexedFileWriter empty;
    const auto it = indexed_.find(dataId);
    formats::IndexedFileWriter writer = it != indexed_.end() ? it->second : empty;
    writer.reserve(1); // an empty file cannot be mapped
    if (isIndex) return writer.indexBytes();
    formats::Bytes data = writer.dataBytes();
    if (data.empty()) data.push_back(0);
    return data;
}

std::filesystem::path DataInstall::writeOnly(const std::vector<int32_t>& ids, const std::string& sub) const
{
    const std::filesystem::path dir = sub.empty() ? folder_ : folder_ / sub;
    std::filesystem::create_directories(dir);
    for (int32_t id : ids) writeFile(dir / g_DataFileInfo[id].name, fileBytes(id));
    return dir;
}

std::filesystem::path DataInstall::write(const std::string& sub) const
{
    std::vector<int32_t> all;
    for (int32_t id = 0; id < kDataFileCount; ++id) all.push_back(id);
    const std::filesystem::path dir = writeOnly(all, sub);
    if (!verdata_.empty()) writeFile(dir / "verdata.mul", formats::encodeVerdata(verdata_));
    if (!hues_.empty()) writeFile(dir / "hues.mul", hues_);
    if (!animData_.empty()) writeFile(dir / "animdata.mul", animData_);
    if (!digest_.empty()) writeFile(dir / "map0.digest", digest_);
    for (const auto& [name, text] : defs_) writeFile(dir / name, formats::Bytes(text.begin(), text.end()));
    for (const auto& [name, bytes] : overrides_) writeFile(dir / name, bytes);
    return dir;
}

ScopedDataCache::ScopedDataCache(const std::filesystem::path& hdPath, Options options)
{
    kzdata::DataSettings& s = kzdata::dataSettings();
    s.hdPath = hdPath.string();
    s.cdPath = options.cdPath;
    s.maxHd = options.maxHd;
    s.cacheSize = options.cacheSize;
    s.useVerData = options.useVerData;
    s.use565 = options.use565;
    s.instance = 0;
    CDHDCache::startup();
    CDHDCache::Init();
    LoadVersionFile();
}

ScopedDataCache::~ScopedDataCache()
{
    CDHDCache::shutdown();
    kzdata::dataSettings() = kzdata::DataSettings{};
}

std::vector<uint16_t> pixelsFromRows(const std::vector<std::string>& rows, const std::map<char, uint16_t>& palette)
{
    std::vector<uint16_t> out;
    for (const std::string& row : rows)
        for (char c : row) out.push_back(c == '.' ? 0 : palette.at(c));
    return out;
}

} // namespace testsupport
