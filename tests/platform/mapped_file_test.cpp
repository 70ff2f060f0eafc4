/** @file Tests of memory-mapped files against real files. */
#include "platform/fs/mapped_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

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
