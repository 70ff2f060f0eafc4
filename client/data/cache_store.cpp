/** @file The disk cache's block bookkeeping. */
#include "client/data/cache_store.h"

#include "client/data/data_files.h"
#include "client/core/byte_reader.h"
#include "client/data/le_read.h"

#include <algorithm>

namespace kzdata {

namespace {
constexpr size_t kHeaderBytes = 24;
constexpr size_t kBlockHeaderBytes = 24;
constexpr int32_t kBuckets = 4096;
} // namespace

uint32_t CacheStore::field(int32_t block, Field f) const
{
    return ByteReader(image_ + kHeaderBytes + static_cast<size_t>(block) * kBlockHeaderBytes + f * 4, 4).u32le();
}

void CacheStore::setField(int32_t block, Field f, uint32_t v)
{
    writeU32(image_ + kHeaderBytes + static_cast<size_t>(block) * kBlockHeaderBytes + f * 4, v);
}

int32_t CacheStore::head(List l) const
{
    return ByteReader(image_ + l * 8, 4).s32le();
}
int32_t CacheStore::tail(List l) const
{
    return ByteReader(image_ + l * 8 + 4, 4).s32le();
}
void CacheStore::setHead(List l, int32_t b)
{
    writeS32(image_ + l * 8, b);
}
void CacheStore::setTail(List l, int32_t b)
{
    writeS32(image_ + l * 8 + 4, b);
}

int32_t CacheStore::unitsFor(int32_t cacheSize)
{
    return std::clamp(cacheSize, 1, kMaxUnits);
}

void CacheStore::format(uint8_t* image, int32_t units)
{
    image_ = image;
    headers_ = units * kHeadersPerUnit;
    const uint32_t dataStart = static_cast<uint32_t>(kHeaderBytes + static_cast<size_t>(headers_) * kBlockHeaderBytes);
    dataAreaSize_ = static_cast<uint32_t>(imageSize(units)) - dataStart;

    setHead(kUsed, kNone);
    setTail(kUsed, kNone);
    // Header 0 is the one free extent: the whole data area.
    setField(0, kLength, dataAreaSize_);
    setField(0, kFile, 0);
    setField(0, kOffset, dataStart);
    setField(0, kNext, static_cast<uint32_t>(kNone));
    setField(0, kPrev, static_cast<uint32_t>(kNone));
    setField(0, kEntry, 0);
    setHead(kFree, 0);
    setTail(kFree, 0);
    // Every other header is spare. They are handed out in ascending order the first time they are
    // needed (takeSpare), so a format writes the lists only, not thousands of headers at every start.
    setHead(kSpare, kNone);
    setTail(kSpare, kNone);
    fresh_ = 1;

    clearBuckets();
    lookupNext_.assign(1, kNone);
    lookupPrev_.assign(1, kNone);
}

bool CacheStore::hasSpare() const
{
    return head(kSpare) != kNone || fresh_ < headers_;
}

int32_t CacheStore::takeSpare()
{
    int32_t b = head(kSpare);
    if (b != kNone) {
        unlink(kSpare, b);
        return b;
    }
    b = fresh_++;
    setField(b, kLength, 0);
    setField(b, kFile, 0);
    setField(b, kOffset, 0);
    setField(b, kNext, static_cast<uint32_t>(kNone));
    setField(b, kPrev, static_cast<uint32_t>(kNone));
    setField(b, kEntry, 0);
    lookupNext_.push_back(kNone);
    lookupPrev_.push_back(kNone);
    return b;
}

void CacheStore::detach()
{
    image_ = nullptr;
    headers_ = 0;
    fresh_ = 0;
    dataAreaSize_ = 0;
    clearBuckets();
    lookupNext_.clear();
    lookupPrev_.clear();
}

size_t CacheStore::bucketOf(int32_t file, int32_t entry) const
{
    return static_cast<size_t>(file) * kBuckets + (static_cast<uint32_t>(entry) & (kBuckets - 1));
}

void CacheStore::clearBuckets()
{
    // The table is made once; afterwards only the buckets that were filled are emptied.
    const size_t buckets = static_cast<size_t>(kDataFileCount) * kBuckets;
    if (bucketHeads_.size() != buckets || bucketsFilled_.size() >= buckets) {
        bucketHeads_.assign(buckets, kNone);
    } else {
        for (uint32_t b : bucketsFilled_) bucketHeads_[b] = kNone;
    }
    bucketsFilled_.clear();
}

int32_t CacheStore::find(int32_t file, int32_t entry) const
{
    if (image_ == nullptr || file < 0 || file >= kDataFileCount) return kNone;
    for (int32_t b = bucketHeads_[bucketOf(file, entry)]; b != kNone; b = lookupNext_[static_cast<size_t>(b)])
        if (static_cast<int32_t>(field(b, kFile)) == file && static_cast<int32_t>(field(b, kEntry)) == entry) return b;
    return kNone;
}

void CacheStore::addLookup(int32_t block)
{
    const size_t bucket =
        bucketOf(static_cast<int32_t>(field(block, kFile)), static_cast<int32_t>(field(block, kEntry)));
    const int32_t first = bucketHeads_[bucket];
    lookupNext_[static_cast<size_t>(block)] = first;
    lookupPrev_[static_cast<size_t>(block)] = kNone;
    if (first != kNone)
        lookupPrev_[static_cast<size_t>(first)] = block;
    else if (bucketsFilled_.size() < bucketHeads_.size())
        bucketsFilled_.push_back(static_cast<uint32_t>(bucket)); // a full list means: clear them all
    bucketHeads_[bucket] = block;
}

void CacheStore::removeLookup(int32_t block)
{
    const size_t bucket =
        bucketOf(static_cast<int32_t>(field(block, kFile)), static_cast<int32_t>(field(block, kEntry)));
    const int32_t n = lookupNext_[static_cast<size_t>(block)];
    const int32_t p = lookupPrev_[static_cast<size_t>(block)];
    if (p != kNone)
        lookupNext_[static_cast<size_t>(p)] = n;
    else if (bucketHeads_[bucket] == block)
        bucketHeads_[bucket] = n;
    if (n != kNone) lookupPrev_[static_cast<size_t>(n)] = p;
    lookupNext_[static_cast<size_t>(block)] = kNone;
    lookupPrev_[static_cast<size_t>(block)] = kNone;
}

void CacheStore::unlink(List l, int32_t b)
{
    const int32_t p = prev(b), n = next(b);
    if (p != kNone)
        setField(p, kNext, static_cast<uint32_t>(n));
    else
        setHead(l, n);
    if (n != kNone)
        setField(n, kPrev, static_cast<uint32_t>(p));
    else
        setTail(l, p);
    setField(b, kNext, static_cast<uint32_t>(kNone));
    setField(b, kPrev, static_cast<uint32_t>(kNone));
}

void CacheStore::pushFront(List l, int32_t b)
{
    const int32_t h = head(l);
    setField(b, kNext, static_cast<uint32_t>(h));
    setField(b, kPrev, static_cast<uint32_t>(kNone));
    if (h != kNone)
        setField(h, kPrev, static_cast<uint32_t>(b));
    else
        setTail(l, b);
    setHead(l, b);
}

void CacheStore::insertBefore(List l, int32_t b, int32_t successor)
{
    if (successor == kNone) {
        const int32_t t = tail(l);
        setField(b, kPrev, static_cast<uint32_t>(t));
        setField(b, kNext, static_cast<uint32_t>(kNone));
        if (t != kNone)
            setField(t, kNext, static_cast<uint32_t>(b));
        else
            setHead(l, b);
        setTail(l, b);
        return;
    }
    const int32_t p = prev(successor);
    setField(b, kPrev, static_cast<uint32_t>(p));
    setField(b, kNext, static_cast<uint32_t>(successor));
    setField(successor, kPrev, static_cast<uint32_t>(b));
    if (p != kNone)
        setField(p, kNext, static_cast<uint32_t>(b));
    else
        setHead(l, b);
}

void CacheStore::touch(int32_t block)
{
    if (head(kUsed) == block) return;
    unlink(kUsed, block);
    pushFront(kUsed, block);
}

int32_t CacheStore::firstFit(uint32_t size) const
{
    for (int32_t b = head(kFree); b != kNone; b = next(b))
        if (field(b, kLength) >= size) return b;
    return kNone;
}

void CacheStore::makeSpare(int32_t block)
{
    setField(block, kLength, 0);
    setField(block, kOffset, 0);
    pushFront(kSpare, block);
}

int32_t CacheStore::giveBack(int32_t block)
{
    const uint32_t offset = field(block, kOffset);
    const uint32_t len = field(block, kLength);
    int32_t successor = head(kFree);
    while (successor != kNone && field(successor, kOffset) <= offset) successor = next(successor);
    const int32_t predecessor = successor == kNone ? tail(kFree) : prev(successor);

    if (predecessor != kNone && field(predecessor, kOffset) + field(predecessor, kLength) == offset) {
        setField(predecessor, kLength, field(predecessor, kLength) + len);
        makeSpare(block);
        if (successor != kNone &&
            field(predecessor, kOffset) + field(predecessor, kLength) == field(successor, kOffset)) {
            setField(predecessor, kLength, field(predecessor, kLength) + field(successor, kLength));
            unlink(kFree, successor);
            makeSpare(successor);
        }
        return predecessor;
    }
    if (successor != kNone && offset + len == field(successor, kOffset)) {
        setField(successor, kOffset, offset);
        setField(successor, kLength, field(successor, kLength) + len);
        makeSpare(block);
        return successor;
    }
    insertBefore(kFree, block, successor);
    return block;
}

int32_t CacheStore::evictTail()
{
    const int32_t b = tail(kUsed);
    removeLookup(b);
    unlink(kUsed, b);
    return giveBack(b);
}

int32_t CacheStore::getSpace(int32_t file, int32_t entry, uint32_t size)
{
    if (image_ == nullptr || file < 0 || file >= kDataFileCount) return kNone;
    if (size > dataAreaSize_) {
        while (head(kUsed) != kNone) evictTail();
        return kNone;
    }
    int32_t block = kNone;
    for (;;) {
        int32_t extent = firstFit(size);
        while (extent == kNone) {
            if (head(kUsed) == kNone) return kNone;
            extent = evictTail();
            if (field(extent, kLength) < size) extent = kNone;
        }
        if (field(extent, kLength) == size) {
            unlink(kFree, extent);
            block = extent;
            break;
        }
        if (!hasSpare()) {
            while (!hasSpare()) {
                if (head(kUsed) == kNone) return kNone;
                evictTail();
            }
            continue;
        }
        block = takeSpare();
        setField(block, kOffset, field(extent, kOffset) + field(extent, kLength) - size);
        setField(extent, kLength, field(extent, kLength) - size);
        break;
    }
    setField(block, kLength, size);
    setField(block, kFile, static_cast<uint32_t>(file));
    setField(block, kEntry, static_cast<uint32_t>(entry));
    pushFront(kUsed, block);
    addLookup(block);
    return block;
}

void CacheStore::drop(int32_t file, int32_t entry)
{
    const int32_t b = find(file, entry);
    if (b == kNone) return;
    removeLookup(b);
    unlink(kUsed, b);
    giveBack(b);
}

uint8_t* CacheStore::data(int32_t block)
{
    return image_ + field(block, kOffset);
}

std::vector<std::pair<uint32_t, uint32_t>> CacheStore::freeExtents() const
{
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (int32_t b = head(kFree); b != kNone; b = next(b)) out.emplace_back(field(b, kOffset), field(b, kLength));
    return out;
}

std::vector<int32_t> CacheStore::usedBlocks() const
{
    std::vector<int32_t> out;
    for (int32_t b = head(kUsed); b != kNone; b = next(b)) out.push_back(b);
    return out;
}

int32_t CacheStore::spareCount() const
{
    int32_t n = headers_ - fresh_;
    for (int32_t b = head(kSpare); b != kNone; b = next(b)) ++n;
    return n;
}

} // namespace kzdata
