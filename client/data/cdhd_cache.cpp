/** @file The single read path to the data files. */
#include "client/data/cdhd_cache.h"

#include "client/core/cmmf.h"
#include "client/core/kz_report.h"
#include "client/data/art_image.h"
#include "client/data/cache_store.h"
#include "client/data/data_files.h"
#include "client/data/data_settings.h"
#include "client/data/le_read.h"
#include "client/data/verdata.h"
#include "platform/fs/path.h"
#include "platform/message_box/message_box.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using kzdata::CacheStore;

namespace {

struct FileState {
    bool direct = false;
    std::string path;
    std::unique_ptr<CMMF> map;
    const uint8_t* base = nullptr;
    uint32_t size = 0;
};

std::array<FileState, kDataFileCount> g_files;
std::string g_cachePath;
bool g_initDone = false;
bool g_shutdownStarted = false;
std::unique_ptr<CMMF_Wr> g_cacheFile;
CacheStore g_store;
kzdata::VerdataTable g_patches;
std::unique_ptr<CMMF> g_verdataMap;
const uint8_t* g_verdataBase = nullptr;
uint32_t g_verdataSize = 0;

// Index records are written at entry x 12: refuse entries that would grow an index without bound.
constexpr int64_t kMinVersionedEntries = 0x10000;

bool validFile(int32_t f)
{
    return f >= 0 && f < kDataFileCount;
}

bool mapFile(int32_t f, const std::string& path, bool direct)
{
    FileState& s = g_files[static_cast<size_t>(f)];
    s.direct = direct;
    s.path = path;
    s.map = std::make_unique<CMMF>(path.c_str());
    s.base = s.map->Open();
    s.size = s.base != nullptr ? s.map->GetSize() : 0;
    return s.base != nullptr;
}

void remap(int32_t f)
{
    FileState& s = g_files[static_cast<size_t>(f)];
    if (!s.map) return;
    s.base = s.map->Open();
    s.size = s.base != nullptr ? s.map->GetSize() : 0;
}

void unmap(int32_t f)
{
    FileState& s = g_files[static_cast<size_t>(f)];
    if (s.map) s.map->Close();
    s.base = nullptr;
    s.size = 0;
}

bool canOpen(const std::string& path)
{
    std::FILE* f = path.empty() ? nullptr : platform::openFile(path, "rb");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
}

/**
 * A data file that opens but cannot serve as one: a folder or device, an empty file, or one
 * shorter than a single record of its format. It counts as damaged, never as present.
 */
bool damagedDataFile(int32_t f, const std::string& path)
{
    const uint64_t smallest = g_DataFileInfo[f].recordSize > 0 ? static_cast<uint64_t>(g_DataFileInfo[f].recordSize) : 1;
    return !platform::isRegularFile(path) || platform::fileSize(path).value_or(0) < smallest;
}

[[noreturn]] void damagedDataFileError(int32_t f, const std::string& path)
{
    KZReport::error("CDHDCache::Init(): '%s' is empty, shorter than one record or not a file.\n", path.c_str());
    KZReport::fatal("The data file '%s' is damaged (empty, cut short or not a file). Please reinstall KZ.\n",
                    g_DataFileInfo[f].name);
}

[[noreturn]] void cachingError()
{
    platform::showMessageBox("Caching Error",
                             "Cache is entirely filled with versioned data.  Please increase your cache size, or buy "
                             "an updated cd.",
                             platform::BoxIcon::Error);
    kzdata::EndProgram(1);
}

const uint8_t* patchData(const kzdata::VerdataNode* node, int32_t* size, int32_t* extra)
{
    if (size != nullptr) *size = node->length == 0 ? 0 : static_cast<int32_t>(node->length);
    if (extra != nullptr) *extra = static_cast<int32_t>(node->extra);
    if (node->length == 0 || g_verdataBase == nullptr) {
        if (size != nullptr) *size = 0;
        return nullptr;
    }
    return g_verdataBase + node->offset;
}

/** Copies length bytes of a mapping at offset into dest; bytes past the file's end read as zeros. */
void copyFromSource(const FileState& s, uint64_t offset, uint8_t* dest, uint32_t length)
{
    uint32_t have = 0;
    if (offset < s.size) have = static_cast<uint32_t>(std::min<uint64_t>(length, s.size - offset));
    if (have > 0) std::memcpy(dest, s.base + offset, have);
    std::memset(dest + have, 0, length - have);
}

const uint8_t* cacheIn(int32_t f, int32_t n)
{
    if (!g_store.attached()) {
        KZReport::warning("CDHDCache::CacheIn: code would have crashed. returning 0 instead.\n");
        return nullptr;
    }
    const DataFileInfo& info = g_DataFileInfo[f];
    const int32_t s = n - n % info.recordsPerBlock;
    const uint32_t bytes = static_cast<uint32_t>(info.recordsPerBlock) * static_cast<uint32_t>(info.recordSize);
    const int32_t block = g_store.getSpace(f, s, bytes);
    if (block == CacheStore::kNone) cachingError();
    copyFromSource(g_files[static_cast<size_t>(f)], static_cast<uint64_t>(s) * static_cast<uint32_t>(info.recordSize),
                   g_store.data(block), bytes);
    return g_store.data(block) + static_cast<size_t>(n - s) * static_cast<uint32_t>(info.recordSize);
}

/**
 * Makes and maps the cache file: the instance's own name first, the other one when another
 * client holds it. When the disk cannot hold the units asked for, ever smaller caches are
 * tried. The units of the cache made; 0 when the client runs without one (cached reads give null).
 */
int32_t openCacheFile(int32_t units)
{
    const bool first = kzdata::dataSettings().instance == 0;
    const std::string names[] = {g_cachePath, kzdata::DataPath(first ? "cache1.kz" : "cache0.kz")};
    for (const std::string& path : names) {
        for (int32_t u = units; u >= 1; u /= 2) {
            auto file = std::make_unique<CMMF_Wr>(path.c_str(), static_cast<int>(CacheStore::imageSize(u)));
            platform::MappedFile::Failure failure;
            if (file->Open(&failure) != nullptr) {
                if (u < units)
                    KZReport::warning("CDHDCache::Init(): the disk has no room for a cache of %d bytes; using a "
                                      "cache of %d bytes.\n",
                                      static_cast<int32_t>(CacheStore::imageSize(units)),
                                      static_cast<int32_t>(CacheStore::imageSize(u)));
                g_cachePath = path;
                g_cacheFile = std::move(file);
                return u;
            }
            const bool noRoom = failure.stage == platform::MappedFile::Failure::Stage::Map &&
                                (failure.code == ENOSPC || failure.code == EFBIG);
            if (noRoom) continue;
            if (failure.stage == platform::MappedFile::Failure::Stage::Open && failure.code == EWOULDBLOCK) {
                KZReport::message("CDHDCache::Init(): '%s' is held by another client.\n", path.c_str());
            } else {
                KZReport::warning("CDHDCache::Init(): cannot make the cache file '%s': %s.\n", path.c_str(),
                                  std::strerror(failure.code));
            }
            break;
        }
    }
    KZReport::warning("CDHDCache::Init(): no disk cache could be made; running without one.\n");
    return 0;
}

bool writeIndexRecord(std::FILE* f, int32_t entry, int32_t offset, int32_t length, int32_t extra)
{
    uint8_t rec[12];
    kzdata::writeS32(rec, offset);
    kzdata::writeS32(rec + 4, length);
    kzdata::writeS32(rec + 8, extra);
    return std::fseek(f, static_cast<long>(entry) * 12, SEEK_SET) == 0 && std::fwrite(rec, 1, sizeof rec, f) == sizeof rec;
}

/** Writes the bytes at offset (or at the end when offset is negative); the offset written at, or -1 when any step failed. */
long writeItemData(std::FILE* f, long offset, const uint8_t* data, int32_t length)
{
    if (std::fseek(f, offset < 0 ? 0 : offset, offset < 0 ? SEEK_END : SEEK_SET) != 0) return -1;
    const long at = std::ftell(f);
    if (at < 0 || at > INT32_MAX - length) return -1;
    const bool written = std::fwrite(data, 1, static_cast<size_t>(length), f) == static_cast<size_t>(length);
    return written && std::fflush(f) == 0 ? at : -1;
}

} // namespace

void CDHDCache::startup()
{
    KZReport::message("CDHDCache::startup(): begin.\n");
    for (int32_t f = 0; f < kDataFileCount; ++f) g_files[static_cast<size_t>(f)] = FileState{};
    g_store.detach();
    g_cacheFile.reset();
    g_patches.clear();
    g_verdataMap.reset();
    g_verdataBase = nullptr;
    g_verdataSize = 0;
    g_initDone = false;
    g_shutdownStarted = false;
    g_cachePath = kzdata::DataPath(kzdata::dataSettings().instance == 0 ? "cache0.kz" : "cache1.kz");
}

void CDHDCache::Init()
{
    if (g_initDone) return;
    g_initDone = true;
    const kzdata::DataSettings& settings = kzdata::dataSettings();

    if (settings.maxHd) {
        KZReport::message("CDHDCache::Init(): CApp::hdConfig == MaxHD.\n");
        for (int32_t f = 0; f < kDataFileCount; ++f) {
            const std::string path = kzdata::DataPath(g_DataFileInfo[f].name);
            if (!canOpen(path)) {
                KZReport::error("CDHDCache::Init(): cannot open file '%s'.\n", path.c_str());
                KZReport::fatal("Failed to open '%s' from HD using a maximum install. Either this file is not "
                                "readable, your system needs to be rebooted, or the file does not exist and you "
                                "either need to reinstall or switch to a non-maximum install.\n",
                                g_DataFileInfo[f].name);
            }
            if (damagedDataFile(f, path)) damagedDataFileError(f, path);
        }
        for (int32_t f = 0; f < kDataFileCount; ++f) mapFile(f, kzdata::DataPath(g_DataFileInfo[f].name), true);
        return;
    }

    // A cache of 0 units (the setting missing) has no room at all; the smallest working cache is 1.
    // A size past what 32-bit offsets can address would wrap the layout and write past the mapping.
    const int32_t units = CacheStore::unitsFor(settings.cacheSize);
    if (units < settings.cacheSize)
        KZReport::warning("CDHDCache::Init(): CacheSize %d is larger than the cache file can be; using %d.\n",
                          settings.cacheSize, units);
    KZReport::message("CDHDCache::Init(): making a cache of size %d bytes.\n",
                      static_cast<int32_t>(CacheStore::imageSize(units)));
    KZReport::message("CDHDCache::Init(): creating cache...\n");
    KZReport::message("CDHDCache::Init(): opening cache...\n");
    const int32_t made = openCacheFile(units);
    KZReport::message("CDHDCache::Init(): re-interpreting cache memory...\n");
    KZReport::message("CDHDCache::Init(): copying data into cache memory...\n");
    if (made > 0) {
        for (int step = 1; step <= 15; ++step) {
            if (step == 12)
                KZReport::message("12. numBlockHeaders=%d\n", made * CacheStore::kHeadersPerUnit);
            else
                KZReport::message("%d.\n", step);
        }
        g_store.format(g_cacheFile->GetView(), made);
    }
    KZReport::message("CDHDCache::Init(): building cache lookup table...\n");
    KZReport::message("CDHDCache::Init(): memory-mapping CD files...\n");
    for (int32_t f = 0; f < kDataFileCount; ++f) {
        const std::string hd = kzdata::DataPath(g_DataFileInfo[f].name);
        KZReport::message("CDHDCache::Init(): trying to open '%s', with mode 'rb'\n", hd.c_str());
        if (canOpen(hd)) {
            if (damagedDataFile(f, hd)) damagedDataFileError(f, hd);
            mapFile(f, hd, true);
            continue;
        }
        const std::string cd = kzdata::CdDataPath(g_DataFileInfo[f].name);
        KZReport::message("CDHDCache::Init(): trying to open '%s', with mode 'rb'\n", cd.c_str());
        if (canOpen(cd)) {
            if (damagedDataFile(f, cd)) damagedDataFileError(f, cd);
            mapFile(f, cd, false);
            continue;
        }
        for (int32_t g = 0; g < f; ++g) unmap(g);
        KZReport::fatal("CDHDCache::Init(): cannot open file '%s' from either HD or CD. Please insert the Tavorn "
                        "Vevovo CD and try again. If the problems persist, try a re-installation of the game. For "
                        "further information write to support@kz-client.invalid.",
                        g_DataFileInfo[f].name);
    }
}

void LoadVersionFile()
{
    if (!kzdata::dataSettings().useVerData) return;
    const std::string path = kzdata::DataPath("verdata.mul");
    if (!canOpen(path)) return;
    // Patches are optional: a damaged file is logged and left out.
    if (!platform::isRegularFile(path) || platform::fileSize(path).value_or(0) < 4) {
        KZReport::warning("LoadVersionFile: '%s' is empty, too short or not a file; no patches are used.\n",
                          path.c_str());
        return;
    }
    g_verdataMap = std::make_unique<CMMF>(path.c_str());
    g_verdataBase = g_verdataMap->Open();
    g_verdataSize = g_verdataBase != nullptr ? g_verdataMap->GetSize() : 0;
    if (g_verdataBase == nullptr) return;
    g_patches.clear();
    g_patches.load(g_verdataBase, g_verdataSize);
}

void CDHDCache::shutdown()
{
    KZReport::message("CDHDCache::shutdown: shutting down...\n");
    g_store.detach();
    // Only a cache file this client made is removed, while its lock still keeps others out.
    if (g_cacheFile) {
        KZReport::message("CDHDCache::shutdown: removing cache file '%s'\n", g_cachePath.c_str());
        platform::removeFile(g_cachePath);
    }
    g_cacheFile.reset(); // unmaps
    for (int32_t f = 0; f < kDataFileCount; ++f) g_files[static_cast<size_t>(f)] = FileState{};
    g_patches.clear();
    g_verdataMap.reset();
    g_verdataBase = nullptr;
    g_verdataSize = 0;
    g_initDone = false;
    KZReport::message("CDHDCache::shutdown: shut down\n");
}

const uint8_t* CDHDCache::GetRecord(int32_t fileId, int32_t n)
{
    if (!validFile(fileId) || n < 0) return nullptr;
    const DataFileInfo& info = g_DataFileInfo[fileId];
    if (info.recordSize <= 0) return nullptr;
    const uint32_t recordSize = static_cast<uint32_t>(info.recordSize);

    if (!g_patches.empty() && kzdata::dataSettings().useVerData) {
        if (const kzdata::VerdataNode* node = g_patches.find(fileId, n)) {
            if (node->length == 0 || g_verdataBase == nullptr) return nullptr;
            if (node->length < recordSize) {
                KZReport::warning("CDHDCache::GetRecord: patch of file %d record %d is %u bytes, short of %u; "
                                  "ignored.\n",
                                  fileId, n, node->length, recordSize);
                return nullptr;
            }
            return g_verdataBase + node->offset;
        }
    }
    const FileState& s = g_files[static_cast<size_t>(fileId)];
    if (s.base == nullptr) return nullptr;
    if (s.direct) {
        const uint64_t at = static_cast<uint64_t>(n) * recordSize;
        if (at + recordSize > s.size) return nullptr;
        return s.base + at;
    }
    const int32_t start = n - n % info.recordsPerBlock;
    const int32_t block = g_store.find(fileId, start);
    if (block != CacheStore::kNone) {
        g_store.touch(block);
        return g_store.data(block) + static_cast<size_t>(n - start) * recordSize;
    }
    return cacheIn(fileId, n);
}

const uint8_t* CDHDCache::GetCacheItem(int32_t i, int32_t d, int32_t e, int32_t* size, int32_t* extra)
{
    if (size != nullptr) *size = 0;
    if (g_shutdownStarted) {
        KZReport::error("CDHDCache::GetCacheItem: 'shutdownSequenceStarted'. program would probably crash if we did "
                        "not set '*size = 0' and 'return NULL'!");
        return nullptr;
    }
    if (!validFile(i) || !validFile(d) || e < 0) return nullptr;
    if (kzdata::dataSettings().useVerData)
        if (const kzdata::VerdataNode* node = g_patches.find(d, e)) return patchData(node, size, extra);

    const FileState& is = g_files[static_cast<size_t>(i)];
    const FileState& ds = g_files[static_cast<size_t>(d)];
    IndexRecord rec{};
    if (is.direct && ds.direct) {
        const uint64_t at = static_cast<uint64_t>(e) * kIndexRecordSize;
        if (is.base == nullptr || at + kIndexRecordSize > is.size) {
            KZReport::warning("CDHDCache::GetCacheItem(1): code would have crashed. returning 0 instead.\n");
            return nullptr;
        }
        rec = DecodeIndexRecord(is.base + at);
    } else {
        const uint8_t* p = GetRecord(i, e);
        if (p == nullptr) {
            KZReport::warning("CDHDCache::GetCacheItem(2): code would have crashed. returning 0 instead.\n");
            return nullptr;
        }
        rec = DecodeIndexRecord(p);
    }
    if (extra != nullptr) *extra = static_cast<int32_t>(rec.extra);
    if (rec.offset < 0 || rec.length == 0) return nullptr;
    if (ds.base == nullptr || static_cast<uint64_t>(rec.offset) + rec.length > ds.size) {
        KZReport::warning("CDHDCache::GetCacheItem: entry %d of %s (offset %d, length %u) lies outside the file; "
                          "ignored.\n",
                          e, g_DataFileInfo[d].name, rec.offset, rec.length);
        return nullptr;
    }
    if (ds.direct) {
        if (size != nullptr) *size = static_cast<int32_t>(rec.length);
        return ds.base + rec.offset;
    }
    int32_t block = g_store.find(d, e);
    if (block != CacheStore::kNone && g_store.length(block) == rec.length) {
        g_store.touch(block);
    } else {
        if (block != CacheStore::kNone) g_store.drop(d, e);
        if (!g_store.attached()) return nullptr;
        block = g_store.getSpace(d, e, rec.length);
        if (block == CacheStore::kNone) cachingError();
        std::memcpy(g_store.data(block), ds.base + rec.offset, rec.length);
    }
    if (size != nullptr) *size = static_cast<int32_t>(rec.length);
    return g_store.data(block);
}

void CDHDCache::AddVersionedItem(int32_t i, int32_t d, int32_t e, int32_t extra, const uint8_t* data, int32_t length)
{
    if (!validFile(i) || !validFile(d) || e < 0) return;
    g_store.drop(d, e);
    // A kept picture of the old item must not outlive it.
    if (d == FILE_ART) ForgetArtImage(e);
    FileState& is = g_files[static_cast<size_t>(i)];
    FileState& ds = g_files[static_cast<size_t>(d)];
    if (!is.direct || !ds.direct) return;

    const int64_t records = is.size / kIndexRecordSize;
    if (e >= std::max(records, kMinVersionedEntries)) {
        KZReport::warning("CDHDCache::AddVersionedItem: Prevented client crash by refusing entry %d of %s (%lld "
                          "records).\n",
                          e, g_DataFileInfo[i].name, static_cast<long long>(records));
        return;
    }
    if (data == nullptr) length = 0;

    unmap(i);
    std::FILE* index = platform::openFile(is.path, "r+b");
    if (index == nullptr)
        KZReport::fatal("CDHDCache::AddVersionedItem: failed to open file '%s' with mode 'r+b'. check file "
                        "attributes. file should be writable. old error message said 'You are using a maximum "
                        "install, but do not have your CdRomDataPath set to the installed directory in your kz.cfg "
                        "file. With a maximum install, this should not point to your cdrom drive, but instead to "
                        "the location where the files are installed.'\n",
                        is.path.c_str());
    int32_t currentOffset = -1;
    int32_t currentLength = 0;
    bool ok = true;
    if (e < records) {
        uint8_t rec[12];
        if (std::fseek(index, static_cast<long>(e) * 12, SEEK_SET) == 0 && std::fread(rec, 1, sizeof rec, index) == sizeof rec) {
            currentOffset = kzdata::readS32(rec);
            currentLength = std::max(kzdata::readS32(rec + 4), 0);
        }
    } else {
        // A record past the end: fill the gap with absent records so the index stays whole.
        for (int64_t r = records; r < e && ok; ++r) ok = writeIndexRecord(index, static_cast<int32_t>(r), -1, 0, 0);
    }

    bool dataUnmapped = false;
    // The data goes first; the index record that points at it is written only once it is there.
    auto writeData = [&](long offset) -> long {
        unmap(d);
        dataUnmapped = true;
        std::FILE* f = platform::openFile(ds.path, "r+b");
        if (f == nullptr) {
            KZReport::error("CDHDCache::AddVersionedItem: failed to open file '%s' with mode 'r+b'.\n", ds.path.c_str());
            return -1;
        }
        long at = writeItemData(f, offset, data, length);
        if (std::fclose(f) != 0) at = -1;
        if (at < 0)
            KZReport::error("CDHDCache::AddVersionedItem: cannot write entry %d to '%s' (a full disk?); the entry is "
                            "left as it was.\n",
                            e, ds.path.c_str());
        return at;
    };

    if (!ok) {
        // The gap could not be filled: nothing points past the index's old end.
    } else if (length <= 0) {
        ok = writeIndexRecord(index, e, -1, 0, extra);
    } else if (currentLength < length || currentOffset < 0) {
        const long at = writeData(-1);
        ok = at >= 0 && writeIndexRecord(index, e, static_cast<int32_t>(at), length, extra);
    } else {
        ok = writeData(currentOffset) >= 0 && writeIndexRecord(index, e, currentOffset, length, extra);
    }
    if (std::fclose(index) != 0) ok = false;
    if (!ok)
        KZReport::error("CDHDCache::AddVersionedItem: entry %d of '%s' could not be replaced.\n", e, is.path.c_str());
    remap(i);
    if (dataUnmapped) remap(d);
}

void CDHDCache::AttachMemoryFile(int32_t fileId, const uint8_t* data, uint32_t size, bool direct)
{
    if (!validFile(fileId)) return;
    FileState& s = g_files[static_cast<size_t>(fileId)];
    s = FileState{};
    s.direct = direct;
    s.base = data;
    s.size = data != nullptr ? size : 0;
}

void CDHDCache::AttachMemoryCache(uint8_t* image, int32_t units)
{
    g_store.detach();
    if (image != nullptr && units > 0) g_store.format(image, units);
}

void CDHDCache::SetShutdownSequenceStarted(bool started)
{
    g_shutdownStarted = started;
}

const std::string& CDHDCache::CachePath()
{
    return g_cachePath;
}

bool CDHDCache::IsDirect(int32_t fileId)
{
    return validFile(fileId) && g_files[static_cast<size_t>(fileId)].direct;
}

bool CDHDCache::IsMapped(int32_t fileId)
{
    return validFile(fileId) && g_files[static_cast<size_t>(fileId)].base != nullptr;
}

kzdata::CacheStore& CDHDCache::Store()
{
    return g_store;
}

kzdata::VerdataTable& CDHDCache::Patches()
{
    return g_patches;
}
