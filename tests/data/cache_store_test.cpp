/** @file Tests of the disk cache's block bookkeeping: first fit, LRU eviction, extent merging, the limits. */
#include "client/data/cache_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

using kzdata::CacheStore;
using Extents = std::vector<std::pair<uint32_t, uint32_t>>;

namespace {

constexpr uint32_t kDataStart = 24 + 4000 * 24;
constexpr uint32_t kArea = 1000000 - kDataStart;

class CacheStoreTest : public ::testing::Test {
protected:
    void SetUp() override { store.format(image.data(), 1); }
    std::vector<uint8_t> image = std::vector<uint8_t>(CacheStore::imageSize(1), 0);
    CacheStore store;
};

TEST(CacheStoreUnits, TheCacheSizeSettingIsKeptToAWorkingRange)
{
    struct Case {
        int32_t setting, units;
    };
    // Past 2147 units the byte size no longer fits the file's 32-bit sizes and offsets.
    const Case cases[] = {{0, 1}, {-4, 1}, {1, 1}, {25, 25}, {2147, 2147}, {2148, 2147}, {4400, 2147}};
    for (const Case& c : cases) EXPECT_EQ(CacheStore::unitsFor(c.setting), c.units) << c.setting;
    EXPECT_LE(CacheStore::imageSize(CacheStore::kMaxUnits), static_cast<size_t>(INT32_MAX));
}

TEST_F(CacheStoreTest, FreshCacheIsOneExtentOverTheDataArea)
{
    EXPECT_EQ(store.dataAreaSize(), 904000u - 24u);
    EXPECT_EQ(store.freeExtents(), (Extents{{kDataStart, kArea}}));
    EXPECT_EQ(store.spareCount(), 3999);
    EXPECT_TRUE(store.usedBlocks().empty());
}

TEST_F(CacheStoreTest, BlocksAreCutFromTheEndOfTheFirstFittingExtent)
{
    const int32_t a = store.getSpace(2, 7, 100);
    const int32_t b = store.getSpace(4, 9, 50);
    EXPECT_EQ(store.data(a), image.data() + 1000000 - 100);
    EXPECT_EQ(store.data(b), image.data() + 1000000 - 150);
    EXPECT_EQ(store.usedBlocks(), (std::vector<int32_t>{b, a}));
    EXPECT_EQ(store.find(2, 7), a);
    EXPECT_EQ(store.find(4, 9), b);
    EXPECT_EQ(store.find(2, 9), CacheStore::kNone);
    store.touch(a);
    EXPECT_EQ(store.usedBlocks(), (std::vector<int32_t>{a, b}));
}

TEST_F(CacheStoreTest, FreeingMergesWithNeighboursAndRestoresTheInitialLayout)
{
    const int32_t a = store.getSpace(2, 1, 100); // [end-100, end)
    store.getSpace(2, 2, 100);                   // [end-200, end-100)
    store.getSpace(2, 3, 100);                   // [end-300, end-200)
    store.drop(2, 1);
    store.drop(2, 3);
    // The freed first block stands alone at the end; the third merged into the big extent.
    EXPECT_EQ(store.freeExtents(), (Extents{{kDataStart, kArea - 200}, {1000000 - 100, 100}}));
    // Freeing the middle block joins all three into one.
    store.drop(2, 2);
    EXPECT_EQ(store.freeExtents(), (Extents{{kDataStart, kArea}}));
    EXPECT_EQ(store.spareCount(), 3999);
    EXPECT_EQ(store.find(2, 1), CacheStore::kNone);
    (void)a;
}

TEST_F(CacheStoreTest, FullCacheEvictsLeastRecentlyUsedFirst)
{
    const uint32_t third = kArea / 3;
    store.getSpace(2, 1, third);
    store.getSpace(2, 2, third);
    store.getSpace(2, 3, third);
    store.touch(store.find(2, 1)); // 2 is now the least recently used
    store.getSpace(2, 4, third);
    EXPECT_EQ(store.find(2, 2), CacheStore::kNone);
    EXPECT_NE(store.find(2, 1), CacheStore::kNone);
    EXPECT_NE(store.find(2, 3), CacheStore::kNone);
    EXPECT_NE(store.find(2, 4), CacheStore::kNone);
}

TEST_F(CacheStoreTest, RequestLargerThanTheDataAreaEmptiesTheCacheAndFails)
{
    store.getSpace(2, 1, 1000);
    EXPECT_EQ(store.getSpace(2, 2, kArea + 1), CacheStore::kNone);
    EXPECT_TRUE(store.usedBlocks().empty());
    EXPECT_EQ(store.freeExtents(), (Extents{{kDataStart, kArea}}));
    // The whole area still fits exactly, taking the extent's own header.
    EXPECT_NE(store.getSpace(2, 3, kArea), CacheStore::kNone);
    EXPECT_TRUE(store.freeExtents().empty());
}

TEST_F(CacheStoreTest, RunningOutOfSpareHeadersEvictsToFreeOne)
{
    for (int32_t e = 0; e < 3999; ++e) ASSERT_NE(store.getSpace(2, e, 1), CacheStore::kNone);
    EXPECT_EQ(store.spareCount(), 0);
    ASSERT_NE(store.getSpace(2, 5000, 1), CacheStore::kNone);
    EXPECT_EQ(store.find(2, 0), CacheStore::kNone); // the oldest made room
    EXPECT_NE(store.find(2, 5000), CacheStore::kNone);
    EXPECT_NE(store.find(2, 3998), CacheStore::kNone);
}

TEST_F(CacheStoreTest, EntriesSharingABucketStayApart)
{
    const int32_t a = store.getSpace(6, 5, 10);
    const int32_t b = store.getSpace(6, 5 + 4096, 10);
    const int32_t c = store.getSpace(8, 5, 10);
    store.drop(6, 5);
    EXPECT_EQ(store.find(6, 5), CacheStore::kNone);
    EXPECT_EQ(store.find(6, 5 + 4096), b);
    EXPECT_EQ(store.find(8, 5), c);
    (void)a;
}

} // namespace
