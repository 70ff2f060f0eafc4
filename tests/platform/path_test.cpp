/** @file Tests of path resolution and the file operations, against the real file system. */
#include "platform/fs/path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include <sys/stat.h>

#include "tests/support/second_process.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<uint8_t> bytes(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::string readAll(FILE* f)
{
    std::string out;
    char buffer[256];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        out.append(buffer, n);
    return out;
}

} // namespace

TEST(Path, NormalizesSeparators)
{
    EXPECT_EQ(platform::normalizeSeparators("Desktop\\acct\\shard/kz.cfg"), "Desktop/acct/shard/kz.cfg");
}

TEST(Path, ResolvesLetterCaseComponentByComponent)
{
    testsupport::TempDir dir;
    dir.write("Data/Art/ArtIdx.MUL", "x");
    dir.write("Data/Art/artidx.mul", "exact"); // both spellings exist: an exact match wins
    dir.write("Data/Maps/Map0.mul", "m");
    const std::string root = dir.path().string();

    EXPECT_EQ(platform::resolveCase(root + "\\data\\MAPS\\map0.MUL"), root + "/Data/Maps/Map0.mul");
    EXPECT_EQ(platform::resolveCase(root + "/Data/Art/artidx.mul"), root + "/Data/Art/artidx.mul");
    // Two names match ignoring case and neither exactly: the first in byte order.
    EXPECT_EQ(platform::resolveCase(root + "/DATA/ART/ARTIDX.MUL"), root + "/Data/Art/ArtIdx.MUL");
    EXPECT_EQ(platform::resolveCase(root + "/data/missing/map0.mul"), std::nullopt);
    EXPECT_EQ(platform::resolveCase(root + "/data/maps/map0.mul/below"), std::nullopt);
    EXPECT_EQ(platform::resolveCase(""), std::nullopt);
}

TEST(Path, OpenFileResolvesReadsAndCreatesUnderTheResolvedFolder)
{
    testsupport::TempDir dir;
    dir.write("Desktop/Acct/kz.cfg", "a=1\n");
    const std::string root = dir.path().string();

    FILE* f = platform::openFile(root + "\\DESKTOP\\acct\\KZ.CFG", "rt");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(readAll(f), "a=1\n");
    std::fclose(f);

    // A new file goes into the existing folder (whatever its case) under the name as given.
    f = platform::openFile(root + "\\desktop\\ACCT\\Macros.txt", "wt");
    ASSERT_NE(f, nullptr);
    std::fputs("line\n", f);
    std::fclose(f);
    EXPECT_EQ(dir.read("Desktop/Acct/Macros.txt"), "line\n");

    // Appending to an existing file in another case appends to that file.
    f = platform::openFile(root + "/desktop/acct/macros.TXT", "at");
    ASSERT_NE(f, nullptr);
    std::fputs("more\n", f);
    std::fclose(f);
    EXPECT_EQ(dir.read("Desktop/Acct/Macros.txt"), "line\nmore\n");

    EXPECT_EQ(platform::openFile(root + "/nofolder/new.txt", "w"), nullptr);
    EXPECT_EQ(platform::openFile(root + "/desktop/missing.cfg", "rb"), nullptr);
}

TEST(Path, QueriesAndFolderOperations)
{
    testsupport::TempDir dir;
    dir.write("Data/file.bin", std::string(10, 'z'));
    const std::string root = dir.path().string();

    EXPECT_EQ(platform::fileSize(root + "/DATA/FILE.BIN"), 10u);
    EXPECT_EQ(platform::fileSize(root + "/data"), std::nullopt);
    EXPECT_TRUE(platform::fileExists(root + "\\data\\file.bin"));
    EXPECT_FALSE(platform::fileExists(root + "/data"));
    EXPECT_TRUE(platform::isDirectory(root + "/DATA"));

    // mkdir -p reuses the existing folder spelled in another case.
    ASSERT_TRUE(platform::makeDirectories(root + "\\data\\Desktop\\acct\\shard"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "Data/Desktop/acct/shard"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "data"));
    EXPECT_TRUE(platform::makeDirectories(root + "/Data/Desktop")); // already there
    EXPECT_FALSE(platform::makeDirectories(root + "/Data/file.bin/sub"));

    EXPECT_EQ(platform::listDirectory(root + "/data"), (std::vector<std::string>{"Desktop", "file.bin"}));
    EXPECT_EQ(platform::readWholeFile(root + "/data/FILE.bin"), bytes(std::string(10, 'z')));
    EXPECT_EQ(platform::readWholeFile(root + "/data/none"), std::nullopt);

    EXPECT_TRUE(platform::removeFile(root + "/DATA/File.Bin"));
    EXPECT_FALSE(platform::fileExists(root + "/Data/file.bin"));
    EXPECT_FALSE(platform::removeFile(root + "/Data/file.bin"));
}

TEST(Path, ReplaceFileAtomicallyWritesAndKeepsPermissions)
{
    testsupport::TempDir dir;
    const std::string path = dir.write("kz.cfg", "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(platform::replaceFileAtomically(dir.path().string() + "/KZ.CFG", bytes("new content")));
    EXPECT_EQ(dir.read("kz.cfg"), "new content");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(platform::listDirectory(dir.path().string()), (std::vector<std::string>{"kz.cfg"}));

    ASSERT_TRUE(platform::replaceFileAtomically(dir.file("fresh.cfg"), bytes("")));
    EXPECT_EQ(platform::fileSize(dir.file("fresh.cfg")), 0u);
    EXPECT_FALSE(platform::replaceFileAtomically(dir.file("missing/x.cfg"), bytes("x")));
}

TEST(Path, ReplaceFileAtomicallyLeavesTheOriginalWholeWhenTheDiskFills)
{
    testsupport::TempDir dir;
    dir.write("kz.cfg", "original settings\n");
    const std::string big(100000, 'n');
    for (int failAfter : {0, 1, 65536}) {
        platform::ScopedWriteFailureForTests diskFull(failAfter);
        EXPECT_FALSE(platform::replaceFileAtomically(dir.file("kz.cfg"), bytes(big))) << failAfter;
        EXPECT_EQ(dir.read("kz.cfg"), "original settings\n") << failAfter;
        EXPECT_EQ(platform::listDirectory(dir.path().string()), (std::vector<std::string>{"kz.cfg"}))
            << "temporary file left behind, failAfter " << failAfter;
    }
    // Once the disk has room again the replacement goes through.
    EXPECT_TRUE(platform::replaceFileAtomically(dir.file("kz.cfg"), bytes(big)));
    EXPECT_EQ(dir.read("kz.cfg"), big);
}

TEST(Path, ExecutableDirectoryIsTheFolderOfThisProgram)
{
    const std::string folder = platform::executableDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "platform_tests"));
}

TEST(Path, ReplaceFileAtomicallyReplacesTheTargetOfALinkAndKeepsTheLink)
{
    testsupport::TempDir dir;
    dir.write("settings/real.cfg", "old");
    std::filesystem::create_directory(dir.path() / "install");
    std::filesystem::create_symlink("../settings/real.cfg", dir.path() / "install/kz.cfg");
    std::filesystem::create_symlink(dir.path() / "install/kz.cfg", dir.path() / "chained.cfg");

    ASSERT_TRUE(platform::replaceFileAtomically(dir.file("install/kz.cfg"), bytes("first")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "install/kz.cfg"));
    EXPECT_EQ(dir.read("settings/real.cfg"), "first");
    ASSERT_TRUE(platform::replaceFileAtomically(dir.file("chained.cfg"), bytes("second")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "chained.cfg"));
    EXPECT_EQ(dir.read("settings/real.cfg"), "second");
    // The temporary file went into the target's folder and is gone.
    EXPECT_EQ(platform::listDirectory(dir.file("settings")), (std::vector<std::string>{"real.cfg"}));

    std::filesystem::create_symlink("loop.cfg", dir.path() / "loop.cfg");
    EXPECT_FALSE(platform::replaceFileAtomically(dir.file("loop.cfg"), bytes("x")));
}

TEST(Path, ReadWholeFileTakesOnlyRegularFilesWithinTheBound)
{
    testsupport::TempDir dir;
    dir.write("small.cfg", std::string(100, 'a'));
    dir.write("folder/x", "");
    EXPECT_EQ(platform::readWholeFile(dir.file("small.cfg"), 100), bytes(std::string(100, 'a')));
    EXPECT_EQ(platform::readWholeFile(dir.file("small.cfg"), 99), std::nullopt);
    EXPECT_EQ(platform::readWholeFile("/dev/zero", platform::kMaxConfigFileBytes), std::nullopt);
    EXPECT_EQ(platform::readWholeFile("/dev/zero"), std::nullopt);
    EXPECT_EQ(platform::readWholeFile(dir.file("folder")), std::nullopt);
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    EXPECT_EQ(platform::readWholeFile(dir.file("pipe")), std::nullopt); // refused without waiting for a writer
    EXPECT_TRUE(platform::isRegularFile(dir.file("small.cfg")));
    EXPECT_FALSE(platform::isRegularFile("/dev/zero"));
    EXPECT_FALSE(platform::isRegularFile(dir.file("folder")));
}

TEST(Path, ALogHeldByAnotherProcessIsAppendedToNeverEmptied)
{
    testsupport::TempDir dir;
    const std::string log = dir.write("KZReport0.log", "stale line\n");
    FILE* mine = nullptr;
    {
        // A log nobody holds is emptied.
        testsupport::SecondProcess other([&] {
            FILE* f = platform::openLog(log);
            if (!f)
                return false;
            std::fputs("first copy\n", f);
            std::fflush(f);
            return true; // keeps holding the log until released
        });
        ASSERT_TRUE(other.ready());
        mine = platform::openLog(log);
        ASSERT_NE(mine, nullptr);
        std::fputs("second copy\n", mine);
        std::fflush(mine);
        EXPECT_EQ(dir.read("KZReport0.log"), "first copy\nsecond copy\n");
        EXPECT_EQ(other.release(), 0);
    }
    std::fclose(mine);
    // Once no live process holds it, the next opener empties it.
    FILE* next = platform::openLog(log);
    ASSERT_NE(next, nullptr);
    std::fputs("new run\n", next);
    std::fclose(next);
    EXPECT_EQ(dir.read("KZReport0.log"), "new run\n");
}
