/** @file The single read path to the seventeen data files: verdata patches, direct mappings and the disk cache. */
#pragma once

#include <cstdint>
#include <string>

namespace kzdata {
class CacheStore;
class VerdataTable;
} // namespace kzdata

/**
 * Sources are consulted in this order: verdata.mul patches, files mapped straight from the
 * install folder, and the disk cache into which blocks of files read from the data-source
 * folder are copied on demand. Returned pointers stay valid until the next request; callers
 * never free them. Main thread only.
 */
class CDHDCache {
public:
    /** Clears every table and builds the cache file path (cache0.kz or cache1.kz in the install folder). */
    static void startup();
    /** Opens and maps the data files; runs once. A file that cannot be found ends the program. */
    static void Init();
    /** Unmaps everything, frees the patches and removes the cache file. */
    static void shutdown();

    /** Fixed-size record n of a file (index records, map blocks); null when absent. */
    static const uint8_t* GetRecord(int32_t fileId, int32_t n);
    /** Entry e of data file d through index file i, with its length and extra; null with size 0 when absent. */
    static const uint8_t* GetCacheItem(int32_t indexFileId, int32_t dataFileId, int32_t entry, int32_t* size,
                                       int32_t* extra);
    /** Stores a server-sent replacement in the installed files (direct files only). */
    static void AddVersionedItem(int32_t indexFileId, int32_t dataFileId, int32_t entry, int32_t extra,
                                 const uint8_t* data, int32_t length);

    /**
     * Serves a data file from bytes in memory instead of a mapped file: straight, as an installed
     * file is (direct), or copied through the disk cache as a file of the data source is. For
     * readers driven without files (fuzzing); the bytes must outlive their use, startup forgets them.
     */
    static void AttachMemoryFile(int32_t fileId, const uint8_t* data, uint32_t size, bool direct);
    /** The disk cache over memory of CacheStore::imageSize(units) bytes instead of a file; see AttachMemoryFile. */
    static void AttachMemoryCache(uint8_t* image, int32_t units);

    /** After this, item requests are refused (the exit list is running). */
    static void SetShutdownSequenceStarted(bool started);

    static const std::string& CachePath();
    static bool IsDirect(int32_t fileId);
    static bool IsMapped(int32_t fileId);
    static kzdata::CacheStore& Store();
    static kzdata::VerdataTable& Patches();
};

/** Reads verdata.mul from the install folder when UseVerData is on; a missing file leaves no patches. */
void LoadVersionFile();
