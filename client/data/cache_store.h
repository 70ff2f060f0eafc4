/** @file The disk cache's block bookkeeping, kept inside the cache file image: used, free and spare lists, first-fit space and LRU eviction. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kzdata {

/**
 * Layout of a cache of N units (N x 1,000,000 bytes, little-endian 32-bit words throughout):
 * a 24-byte header {used head, used tail, free head, free tail, spare head, spare tail}, then
 * N x 4000 block headers {length, file id, data offset, next, previous, entry}, then the data area.
 * Every header sits on exactly one list: used (most recent first), free (extents sorted by
 * offset) or spare (a stack of headers that describe nothing). Beside the image, a lookup of
 * 4096 buckets per data file finds the block that holds (file, entry).
 */
class CacheStore {
public:
    static constexpr int32_t kNone = -1;
    static constexpr uint32_t kUnitBytes = 1000000;
    static constexpr int32_t kHeadersPerUnit = 4000;

    /** The largest cache whose byte size still fits the 32-bit sizes and offsets of the file. */
    static constexpr int32_t kMaxUnits = 2147;

    static size_t imageSize(int32_t units) { return static_cast<size_t>(units) * kUnitBytes; }
    /**
     * The units a CacheSize setting asks for: 0, missing or negative gives the smallest working
     * cache (1); more than kMaxUnits is cut to kMaxUnits.
     */
    static int32_t unitsFor(int32_t cacheSize);

    /** Takes a zero-filled image of imageSize(units) bytes and writes the initial lists. */
    void format(uint8_t* image, int32_t units);
    void detach();
    bool attached() const { return image_ != nullptr; }

    /** The block holding (file, entry), or kNone. */
    int32_t find(int32_t file, int32_t entry) const;
    /** Moves a used block to the front of the used list. */
    void touch(int32_t block);
    /**
     * A block of exactly size bytes for (file, entry) at the front of the used list, evicting
     * least recently used blocks as needed; its lookup is registered. kNone when the request
     * cannot fit even in an empty cache (everything has been evicted by then).
     */
    int32_t getSpace(int32_t file, int32_t entry, uint32_t size);
    /** Forgets the block holding (file, entry), if any, and gives its space back. */
    void drop(int32_t file, int32_t entry);

    uint8_t* data(int32_t block);
    uint32_t length(int32_t block) const { return field(block, kLength); }
    uint32_t dataAreaSize() const { return dataAreaSize_; }

    /** (offset, length) of each free extent in list order. */
    std::vector<std::pair<uint32_t, uint32_t>> freeExtents() const;
    /** Used blocks, most recent first. */
    std::vector<int32_t> usedBlocks() const;
    int32_t spareCount() const;
    int32_t headerCount() const { return headers_; }

private:
    enum Field : uint32_t { kLength = 0, kFile = 1, kOffset = 2, kNext = 3, kPrev = 4, kEntry = 5 };
    enum List : uint32_t { kUsed = 0, kFree = 1, kSpare = 2 };

    uint32_t field(int32_t block, Field f) const;
    void setField(int32_t block, Field f, uint32_t v);
    int32_t next(int32_t b) const { return static_cast<int32_t>(field(b, kNext)); }
    int32_t prev(int32_t b) const { return static_cast<int32_t>(field(b, kPrev)); }
    int32_t head(List l) const;
    int32_t tail(List l) const;
    void setHead(List l, int32_t b);
    void setTail(List l, int32_t b);

    void unlink(List l, int32_t b);
    void pushFront(List l, int32_t b);
    void insertBefore(List l, int32_t b, int32_t successor);
    int32_t firstFit(uint32_t size) const;
    int32_t evictTail();
    int32_t giveBack(int32_t block);
    void makeSpare(int32_t block);
    bool hasSpare() const;
    int32_t takeSpare();
    void addLookup(int32_t block);
    void removeLookup(int32_t block);
    size_t bucketOf(int32_t file, int32_t entry) const;

    uint8_t* image_ = nullptr;
    int32_t headers_ = 0;
    int32_t fresh_ = 0; // headers from here on were never handed out
    uint32_t dataAreaSize_ = 0;
    void clearBuckets();

    std::vector<int32_t> bucketHeads_;  // 17 x 4096
    std::vector<uint32_t> bucketsFilled_; // buckets that became non-empty since the last clear
    std::vector<int32_t> lookupNext_;   // per block header handed out
    std::vector<int32_t> lookupPrev_;
};

} // namespace kzdata
