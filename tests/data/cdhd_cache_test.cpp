/** @file Tests of the data-file read path: direct mappings, patches, damaged indexes, server-sent items and the disk cache. */
#include "client/data/cache_store.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/data_settings.h"
#include "client/data/le_read.h"
#include "platform/exit/exit.h"
#include "platform/fs/mapped_file.h"
#include "platform/fs/path.h"
#include "platform/message_box/message_box.h"
#include "tests/core/report_sandbox.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/second_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

using formats::Bytes;

namespace {

Bytes bytes(std::initializer_list<uint8_t> b)
{
    return Bytes(b);
}

Bytes itemBytes(int32_t indexId, int32_t dataId, int32_t entry, int32_t* extra = nullptr)
{
    int32_t size = -1, x = 0;
    const uint8_t* p = CDHDCache::GetCacheItem(indexId, dataId, entry, &size, &x);
    if (extra != nullptr) *extra = x;
    if (p == nullptr) {
        EXPECT_EQ(size, 0);
        return {};
    }
    return Bytes(p, p + size);
}

/** Runs f expecting the program to end with code 1; returns the boxes shown. */
template <typename F>
std::vector<platform::RecordingMessageBoxSink::Box> expectProgramEnd(F f)
{
    platform::RecordingMessageBoxSink sink;
    platform::ScopedMessageBoxSink scopedSink(sink);
    platform::ScopedExitHook hook;
    try {
        f();
        ADD_FAILURE() << "the program should have ended";
    } catch (const platform::ExitRequested& e) {
        EXPECT_EQ(e.code, 1);
    }
    return sink.boxes();
}

class CdhdCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        install.indexed(FILE_ART).add(0, bytes({1, 2, 3}), 11);
        install.indexed(FILE_ART).absent(1);
        install.indexed(FILE_ART).add(2, bytes({4, 5, 6, 7}), 22);
        install.indexed(FILE_ART).add(3, bytes({8, 9}), 33);
        install.indexed(FILE_ART).addRaw(4, 1000, 2, 0);          // offset past the data
        install.indexed(FILE_ART).addRaw(5, 0, 1000, 0);          // length past the data
        install.indexed(FILE_ART).addRaw(6, 4, 0xFFFFFFFEu, 0);   // offset plus length wraps
        install.indexed(FILE_SOUND).add(0, bytes({42}), 0);
        install.map().setCell(0, 0, 0x1234, 5);
    }
    /** A partial install: the files named are only in the data-source folder "cd", the rest in the install. */
    testsupport::ScopedDataCache::Options partialInstall(const std::vector<int32_t>& onCd)
    {
        std::vector<int32_t> hd;
        for (int32_t id = 0; id < kDataFileCount; ++id)
            if (std::find(onCd.begin(), onCd.end(), id) == onCd.end()) hd.push_back(id);
        install.writeOnly(hd, "");
        testsupport::ScopedDataCache::Options options;
        options.maxHd = false;
        options.cdPath = install.writeOnly(onCd, "cd").string();
        return options;
    }
    testsupport::TempDir dir;
    testsupport::DataInstall install{dir.path()};
};

TEST_F(CdhdCacheTest, DirectFilesGiveRecordsAndItemsInPlace)
{
    install.write();
    testsupport::ScopedDataCache cache(dir.path());
    EXPECT_TRUE(CDHDCache::IsDirect(FILE_ART));
    int32_t extra = 0;
    EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 0, &extra), bytes({1, 2, 3}));
    EXPECT_EQ(extra, 11);
    EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 2), bytes({4, 5, 6, 7}));

    const uint8_t* block = CDHDCache::GetRecord(FILE_MAP0, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(kzdata::readU16(block + 4), 0x1234);
    EXPECT_EQ(block[6], 5);
    EXPECT_EQ(CDHDCache::GetRecord(FILE_MAP0, 1024), nullptr); // past the two block columns written
    EXPECT_EQ(CDHDCache::GetRecord(FILE_MAP0, -1), nullptr);
}

TEST_F(CdhdCacheTest, AbsentAndDamagedEntriesGiveNullAndSizeZero)
{
    install.write();
    testsupport::ReportSandbox sandbox;
    testsupport::ScopedDataCache cache(dir.path());
    for (int32_t entry : {1, 4, 5, 6, 7, 100000, -3}) EXPECT_TRUE(itemBytes(FILE_ARTIDX, FILE_ART, entry).empty()) << entry;
    EXPECT_TRUE(itemBytes(99, FILE_ART, 0).empty());
    // Each damaged record and the entry past the index leave a line in the log.
    const std::string log = sandbox.read("KZReport0.log");
    for (const char* line : {"entry 4 of art.mul (offset 1000, length 2) lies outside the file",
                             "entry 5 of art.mul (offset 0, length 1000) lies outside the file",
                             "entry 6 of art.mul (offset 4, length 4294967294) lies outside the file",
                             "CDHDCache::GetCacheItem(1): code would have crashed. returning 0 instead."})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(CdhdCacheTest, PatchesComeFirstKeyedByTheDataFile)
{
    Bytes shortBlock(10, 0);
    install.setVerdata({
        {FILE_ART, 0, bytes({7, 7}), 77},
        {FILE_ART, 0, bytes({9}), 99},   // later: wins
        {FILE_ART, 2, {}, 0},            // hides the installed entry
        {FILE_ARTIDX, 3, bytes({1}), 0}, // keyed by the index file: not consulted for items
        {FILE_MAP0, 1, shortBlock, 0},   // shorter than a map block
    });
    install.write();
    {
        testsupport::ScopedDataCache cache(dir.path());
        int32_t extra = 0;
        EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 0, &extra), bytes({9}));
        EXPECT_EQ(extra, 99);
        EXPECT_TRUE(itemBytes(FILE_ARTIDX, FILE_ART, 2).empty());
        EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 3), bytes({8, 9}));
        EXPECT_EQ(CDHDCache::GetRecord(FILE_MAP0, 1), nullptr);
    }
    testsupport::ScopedDataCache::Options off;
    off.useVerData = false;
    testsupport::ScopedDataCache cache(dir.path(), off);
    EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 0), bytes({1, 2, 3}));
}

TEST_F(CdhdCacheTest, ServerSentItemsAreWrittenIntoTheInstalledFiles)
{
    install.setVerdata({{FILE_ART, 3, bytes({5}), 0}});
    install.write();
    testsupport::ScopedDataCache cache(dir.path());
    const auto dataSize = [&] { return std::filesystem::file_size(dir.path() / "art.mul"); };
    const uintmax_t before = dataSize();

    const Bytes bigger = {10, 11, 12, 13, 14};
    CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, 0, 5, bigger.data(), 5); // grows: appended
    EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 0), bigger);
    EXPECT_EQ(dataSize(), before + 5);

    const Bytes smaller = {20, 21};
    CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, 2, 6, smaller.data(), 2); // shrinks: in place
    int32_t extra = 0;
    EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 2, &extra), smaller);
    EXPECT_EQ(extra, 6);
    EXPECT_EQ(dataSize(), before + 5);

    CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, 2, 8, nullptr, 0); // removed
    EXPECT_TRUE(itemBytes(FILE_ARTIDX, FILE_ART, 2, &extra).empty());
    EXPECT_EQ(extra, 8);

    CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, 3, 0, bigger.data(), 5); // the patch still wins
    EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 3), bytes({5}));

    CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, 12, 0, smaller.data(), 2); // past the end: gap filled absent
    EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 12), smaller);
    EXPECT_TRUE(itemBytes(FILE_ARTIDX, FILE_ART, 11).empty());

    const uintmax_t indexSize = std::filesystem::file_size(dir.path() / "artidx.mul");
    CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, 0x7FFFFFF0, 0, smaller.data(), 2); // refused
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "artidx.mul"), indexSize);
}

TEST_F(CdhdCacheTest, AServerSentItemTheDiskCannotTakeLeavesTheIndexAsItWas)
{
    install.write();
    const std::string indexBefore = dir.read("artidx.mul");
    const uintmax_t dataBefore = std::filesystem::file_size(dir.path() / "art.mul");
    // In a process whose files may not grow past two more bytes: appended data cannot be written.
    testsupport::SecondProcess limited([&] {
        testsupport::ScopedDataCache cache(dir.path());
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{dataBefore + 2, dataBefore + 2};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
        const Bytes bigger(64, 0x5A);
        CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, 0, 5, bigger.data(), 64);   // grows: appended
        CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, 900, 5, bigger.data(), 64); // past the index's end
        return true;
    });
    ASSERT_TRUE(limited.ready());
    EXPECT_EQ(limited.release(), 0);
    // No record points at bytes that never reached the file.
    EXPECT_EQ(dir.read("artidx.mul").substr(0, indexBefore.size()), indexBefore);
    const std::string index = dir.read("artidx.mul");
    const uintmax_t dataAfter = std::filesystem::file_size(dir.path() / "art.mul");
    for (size_t at = indexBefore.size(); at + 12 <= index.size(); at += 12) { // records the gap filling added
        const auto* rec = reinterpret_cast<const uint8_t*>(index.data() + at);
        const int32_t offset = kzdata::readS32(rec);
        if (offset < 0) continue;
        EXPECT_LE(offset + kzdata::readU32(rec + 4), dataAfter) << "record " << at / 12;
    }
    testsupport::ScopedDataCache cache(dir.path());
    EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 0), bytes({1, 2, 3}));
    EXPECT_TRUE(itemBytes(FILE_ARTIDX, FILE_ART, 900).empty());
}

TEST_F(CdhdCacheTest, FilesFromTheDataSourceGoThroughTheDiskCache)
{
    // The install lacks the art pair; the data source has it.
    testsupport::ScopedDataCache::Options options = partialInstall({FILE_ART, FILE_ARTIDX});
    options.cacheSize = 0; // missing setting: the smallest working cache
    {
        testsupport::ScopedDataCache cache(dir.path(), options);
        EXPECT_FALSE(CDHDCache::IsDirect(FILE_ART));
        EXPECT_TRUE(CDHDCache::IsDirect(FILE_SOUND));
        EXPECT_TRUE(std::filesystem::exists(CDHDCache::CachePath()));
        EXPECT_EQ(std::filesystem::file_size(CDHDCache::CachePath()), 1000000u);

        EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 2), bytes({4, 5, 6, 7}));
        EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 0), bytes({1, 2, 3}));
        EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 2), bytes({4, 5, 6, 7})); // a hit
        EXPECT_TRUE(itemBytes(FILE_ARTIDX, FILE_ART, 5).empty());            // damaged: nothing copied
        EXPECT_TRUE(itemBytes(FILE_ARTIDX, FILE_ART, 9000).empty());         // past the index: zeros, absent
        EXPECT_EQ(itemBytes(FILE_SOUNDIDX, FILE_SOUND, 0), bytes({42}));
        // The index block and two items are cached.
        EXPECT_EQ(CDHDCache::Store().usedBlocks().size(), 4u);

        // A server-sent item for a cached file only drops the cached copy.
        const Bytes other = {99};
        CDHDCache::AddVersionedItem(FILE_ARTIDX, FILE_ART, 2, 0, other.data(), 1);
        EXPECT_EQ(CDHDCache::Store().find(FILE_ART, 2), kzdata::CacheStore::kNone);
        EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 2), bytes({4, 5, 6, 7}));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "cache0.kz"));
}

TEST_F(CdhdCacheTest, ACacheTheDiskCannotHoldShrinksOrIsLeftOut)
{
    const testsupport::ScopedDataCache::Options options = [&] {
        auto o = partialInstall({FILE_ART, FILE_ARTIDX});
        o.cacheSize = 5;
        return o;
    }();
    struct Case {
        int diskRoom;
        uintmax_t cacheBytes; // 0: no cache
    };
    for (const Case c : {Case{2500000, 2000000}, Case{1500000, 1000000}, Case{600000, 0}}) {
        SCOPED_TRACE(c.diskRoom);
        testsupport::ReportSandbox sandbox;
        std::optional<testsupport::ScopedDataCache> cache;
        {
            platform::ScopedWriteFailureForTests diskFull(c.diskRoom);
            cache.emplace(dir.path(), options);
        }
        const std::string log = sandbox.read("KZReport0.log");
        if (c.cacheBytes == 0) {
            EXPECT_FALSE(std::filesystem::exists(dir.path() / "cache0.kz"));
            EXPECT_NE(log.find("no disk cache could be made; running without one."), std::string::npos) << log;
            EXPECT_TRUE(itemBytes(FILE_ARTIDX, FILE_ART, 2).empty());
            continue;
        }
        EXPECT_EQ(std::filesystem::file_size(dir.path() / "cache0.kz"), c.cacheBytes);
        EXPECT_NE(log.find("the disk has no room for a cache of 5000000 bytes; using a cache of " +
                           std::to_string(c.cacheBytes) + " bytes."),
                  std::string::npos)
            << log;
        EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 2), bytes({4, 5, 6, 7}));
    }
}

TEST_F(CdhdCacheTest, ACacheAnotherClientHoldsIsNeverTouched)
{
    const testsupport::ScopedDataCache::Options options = partialInstall({FILE_ART, FILE_ARTIDX});
    const std::string theirs = (dir.path() / "cache0.kz").string();
    std::unique_ptr<platform::MappedFile> held;
    testsupport::SecondProcess firstClient([&] {
        held = platform::MappedFile::createScratch(theirs, 1000000);
        if (!held) return false;
        std::memcpy(held->writableData(), "first client", 12);
        return held->flush();
    });
    ASSERT_TRUE(firstClient.ready());
    {
        testsupport::ScopedDataCache cache(dir.path(), options);
        EXPECT_EQ(CDHDCache::CachePath(), (dir.path() / "cache1.kz").string());
        EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 2), bytes({4, 5, 6, 7}));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "cache1.kz"));
    EXPECT_EQ(dir.read("cache0.kz").substr(0, 12), "first client");
    EXPECT_EQ(std::filesystem::file_size(theirs), 1000000u);
    EXPECT_EQ(firstClient.release(), 0);
}

TEST_F(CdhdCacheTest, ALinkNamedLikeTheCacheIsReplacedNotFollowed)
{
    const testsupport::ScopedDataCache::Options options = partialInstall({FILE_ART, FILE_ARTIDX});
    const std::string settings = dir.write("kz.cfg", "ObscenityFilter=off\n");
    std::filesystem::create_symlink(settings, dir.path() / "cache0.kz");
    {
        testsupport::ScopedDataCache cache(dir.path(), options);
        EXPECT_FALSE(std::filesystem::is_symlink(dir.path() / "cache0.kz"));
        EXPECT_EQ(itemBytes(FILE_ARTIDX, FILE_ART, 2), bytes({4, 5, 6, 7}));
    }
    EXPECT_EQ(dir.read("kz.cfg"), "ObscenityFilter=off\n");
}

TEST_F(CdhdCacheTest, AnItemLargerThanTheCacheEndsTheProgram)
{
    install.indexed(FILE_GUMPART).add(1, Bytes(950000, 1), 0);
    testsupport::ScopedDataCache cache(dir.path(), partialInstall({FILE_GUMPART, FILE_GUMPIDX}));
    const auto boxes = expectProgramEnd([] { itemBytes(FILE_GUMPIDX, FILE_GUMPART, 1); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Caching Error");
}

TEST_F(CdhdCacheTest, AMissingOrDamagedDataFileEndsTheProgramNamingIt)
{
    struct Damage {
        int32_t file;
        const char* how; // "missing", "empty", "folder", or "short" (less than one record)
    };
    const Damage damages[] = {{FILE_MULTI, "missing"}, {FILE_ART, "empty"},   {FILE_SKILLSIDX, "folder"},
                              {FILE_MAP0, "short"},    {FILE_ARTIDX, "short"}};
    for (const Damage& damage : damages) {
        for (const bool maxHd : {true, false}) {
            SCOPED_TRACE(std::string(g_DataFileInfo[damage.file].name) + " " + damage.how +
                         (maxHd ? ", maximum install" : ", partial install"));
            std::filesystem::remove_all(dir.path());
            install.write();
            const std::filesystem::path path = dir.path() / g_DataFileInfo[damage.file].name;
            std::filesystem::remove(path);
            const std::string how = damage.how;
            if (how == "empty") dir.write(g_DataFileInfo[damage.file].name, "");
            if (how == "folder") std::filesystem::create_directory(path);
            if (how == "short") dir.write(g_DataFileInfo[damage.file].name, std::string(5, 'x'));
            kzdata::dataSettings().hdPath = dir.path().string();
            kzdata::dataSettings().maxHd = maxHd;
            const auto boxes = expectProgramEnd([] {
                CDHDCache::startup();
                CDHDCache::Init();
            });
            CDHDCache::shutdown();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_NE(boxes[0].text.find(g_DataFileInfo[damage.file].name), std::string::npos) << boxes[0].text;
        }
    }
    kzdata::dataSettings() = kzdata::DataSettings{};
}

TEST_F(CdhdCacheTest, ItemsAreRefusedOnceShutdownHasStarted)
{
    install.write();
    testsupport::ScopedDataCache cache(dir.path());
    CDHDCache::SetShutdownSequenceStarted(true);
    EXPECT_TRUE(itemBytes(FILE_ARTIDX, FILE_ART, 0).empty());
    CDHDCache::SetShutdownSequenceStarted(false);
}

} // namespace
