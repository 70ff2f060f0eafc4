/** @file Tests of memory-mapped files against real files. */
#include "platform/fs/mapped_file.h"
#include "platform/fs/path.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include <sys/resource.h>

#include "tests/support/second_process.h"
#include "tests/support/temp_dir.h"

TEST(MappedFile, ReadOnlyMappingShowsTheFile)
{
    testsupport::TempDir dir;
    dir.write("Data/Light.mul", std::vector<unsigned char>{1, 2, 3, 250});
    auto map = platform::MappedFile::openReadOnly(dir.path().string() + "\\data\\LIGHT.MUL");
    ASSERT_NE(map, nullptr);
    ASSERT_EQ(map->size(), 4u);
    EXPECT_EQ(map->data()[3], 250);
    EXPECT_EQ(map->writableData(), nullptr);
    EXPECT_TRUE(map->flush());
}

TEST(MappedFile, FailuresSayWhereTheyHappened)
{
    testsupport::TempDir dir;
    dir.write("empty.mul", "");
    platform::MappedFile::Failure failure;
    EXPECT_EQ(platform::MappedFile::openReadOnly(dir.file("empty.mul"), &failure), nullptr);
    EXPECT_EQ(failure.stage, platform::MappedFile::Failure::Stage::Map); // an empty file cannot be mapped
    EXPECT_EQ(platform::MappedFile::openReadOnly(dir.file("none.mul"), &failure), nullptr);
    EXPECT_EQ(failure.stage, platform::MappedFile::Failure::Stage::Open);
    EXPECT_EQ(failure.code, ENOENT);
    EXPECT_EQ(platform::MappedFile::openReadWrite(dir.file("cache.kz"), 0, true, &failure), nullptr);
    EXPECT_EQ(platform::MappedFile::openReadWrite(dir.file("no/folder/cache.kz"), 64, true, &failure), nullptr);
    EXPECT_EQ(failure.stage, platform::MappedFile::Failure::Stage::Open);
    EXPECT_EQ(failure.code, ENOENT);
}

TEST(MappedFile, ReadWriteChangesReachTheFile)
{
    testsupport::TempDir dir;
    {
        auto map = platform::MappedFile::openReadWrite(dir.file("cache0.kz"), 4096, true);
        ASSERT_NE(map, nullptr);
        ASSERT_EQ(map->size(), 4096u);
        std::memcpy(map->writableData() + 100, "cache", 5);
        EXPECT_TRUE(map->flush());
    }
    const std::string content = dir.read("cache0.kz");
    ASSERT_EQ(content.size(), 4096u);
    EXPECT_EQ(content.substr(100, 5), "cache");
    EXPECT_EQ(content[0], '\0');

    // Mapped again, the old content is there; a smaller size does not cut the file.
    auto again = platform::MappedFile::openReadWrite(dir.file("CACHE0.KZ"), 200, false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(std::memcmp(again->data() + 100, "cache", 5), 0);
    again.reset();
    EXPECT_EQ(dir.read("cache0.kz").size(), 4096u);

    // A new file goes into the existing folder whatever case the path gives it.
    dir.write("Cache/keep", "");
    EXPECT_NE(platform::MappedFile::openReadWrite(dir.path().string() + "\\CACHE\\new.kz", 16, true), nullptr);
    EXPECT_EQ(dir.read("Cache/new.kz").size(), 16u);
}

TEST(MappedFile, ExclusiveMappingKeepsOthersOut)
{
    testsupport::TempDir dir;
    auto first = platform::MappedFile::openReadWrite(dir.file("cache1.kz"), 64, true);
    ASSERT_NE(first, nullptr);
    platform::MappedFile::Failure failure;
    EXPECT_EQ(platform::MappedFile::openReadWrite(dir.file("cache1.kz"), 64, true, &failure), nullptr);
    EXPECT_EQ(failure.stage, platform::MappedFile::Failure::Stage::Open);
    EXPECT_EQ(failure.code, EWOULDBLOCK);
    EXPECT_EQ(platform::MappedFile::openReadWrite(dir.file("cache1.kz"), 64, false), nullptr);
    first.reset();
    EXPECT_NE(platform::MappedFile::openReadWrite(dir.file("cache1.kz"), 64, true), nullptr);

    // Shared mappings coexist but keep an exclusive one out.
    auto shared1 = platform::MappedFile::openReadWrite(dir.file("shared.kz"), 64, false);
    auto shared2 = platform::MappedFile::openReadWrite(dir.file("shared.kz"), 64, false);
    EXPECT_NE(shared1, nullptr);
    EXPECT_NE(shared2, nullptr);
    EXPECT_EQ(platform::MappedFile::openReadWrite(dir.file("shared.kz"), 64, true), nullptr);
}

TEST(MappedFile, ScratchFileIsMadeAfreshNeverThroughALink)
{
    testsupport::TempDir dir;
    dir.write("kz.cfg", "settings");
    std::filesystem::create_symlink(dir.file("kz.cfg"), dir.path() / "cache0.kz");
    dir.write("cache1.kz", "stale cache of an earlier run");
    for (const char* name : {"cache0.kz", "cache1.kz"}) {
        auto map = platform::MappedFile::createScratch(dir.file(name), 4096);
        ASSERT_NE(map, nullptr) << name;
        EXPECT_EQ(map->data()[0], 0) << name;
        std::memcpy(map->writableData(), "cache", 5);
        map.reset();
        EXPECT_FALSE(std::filesystem::is_symlink(dir.path() / name)) << name;
        EXPECT_EQ(std::filesystem::file_size(dir.path() / name), 4096u) << name;
    }
    EXPECT_EQ(dir.read("kz.cfg"), "settings");
}

TEST(MappedFile, ScratchFileHeldByAnotherProcessIsLeftAlone)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("cache0.kz");
    std::unique_ptr<platform::MappedFile> held;
    testsupport::SecondProcess other([&] {
        held = platform::MappedFile::createScratch(path, 4096);
        if (!held)
            return false;
        std::memcpy(held->writableData(), "theirs", 6);
        return held->flush();
    });
    ASSERT_TRUE(other.ready());
    platform::MappedFile::Failure failure;
    EXPECT_EQ(platform::MappedFile::createScratch(path, 8192, &failure), nullptr);
    EXPECT_EQ(failure.stage, platform::MappedFile::Failure::Stage::Open);
    EXPECT_EQ(failure.code, EWOULDBLOCK);
    EXPECT_EQ(dir.read("cache0.kz").substr(0, 6), "theirs");
    EXPECT_EQ(std::filesystem::file_size(path), 4096u);
    EXPECT_EQ(other.release(), 0);
    EXPECT_NE(platform::MappedFile::createScratch(path, 8192), nullptr); // stale now
}

TEST(MappedFile, ScratchFileTheDiskCannotHoldIsNeverMapped)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("cache0.kz");
    // A process whose files may not grow past 1 MB stands for a nearly full disk.
    testsupport::SecondProcess limited([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1 << 20, 1 << 20};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return false;
        platform::MappedFile::Failure failure;
        if (platform::MappedFile::createScratch(path, 4 << 20, &failure) != nullptr)
            return false;
        if (failure.stage != platform::MappedFile::Failure::Stage::Map || failure.code != EFBIG)
            return false;
        if (std::filesystem::exists(path))
            return false; // the failed file is removed
        auto small = platform::MappedFile::createScratch(path, 512 << 10);
        return small != nullptr && small->writableData()[(512 << 10) - 1] == 0;
    });
    EXPECT_TRUE(limited.ready());
    EXPECT_EQ(limited.release(), 0);

    platform::ScopedWriteFailureForTests diskFull(1000);
    platform::MappedFile::Failure failure;
    EXPECT_EQ(platform::MappedFile::createScratch(path, 4096, &failure), nullptr);
    EXPECT_EQ(failure.code, ENOSPC);
    EXPECT_FALSE(std::filesystem::exists(path));
}
