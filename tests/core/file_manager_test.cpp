/** @file FileManager: install paths, search order, the open-file table, load and the fatal limits. */
#include "client/core/file_manager.h"

#include "client/core/memory_manager.h"
#include "tests/core/report_sandbox.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using testsupport::exitCodeOf;

class FileManagerTest : public ::testing::Test {
protected:
    FileManagerTest()
    {
        hd_ = sandbox_.dir().file("hd") + "/";
        setInstallKey(hd_ + "client");
    }

    ~FileManagerTest() override
    {
        FileManager::shutdown();
    }

    void setInstallKey(const std::string& exePath)
    {
        platform_.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", exePath);
    }
    void setCD(const std::string& cdPath)
    {
        platform_.keyStore().setString(FileManager::INSTALL_KEY, "InstCDPath", cdPath);
    }
    std::string write(const std::string& name, const std::string& content)
    {
        return sandbox_.dir().write(name, content);
    }
    std::string log() const { return sandbox_.read("KZReport0.log"); }
    std::vector<std::string> searchPaths() const
    {
        std::vector<std::string> paths;
        for (int i = 0; i < FileManager::numSearchPaths(); ++i)
            paths.emplace_back(FileManager::searchPath(i));
        return paths;
    }
    static std::string readAll(FILE* stream)
    {
        std::string text;
        char buffer[64];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
            text.append(buffer, n);
        return text;
    }

    testsupport::ReportSandbox sandbox_;
    platform::ScopedPlatform platform_;
    std::string hd_;
};

TEST_F(FileManagerTest, HDPathIsExePathCutAfterItsLastSeparator)
{
    struct Case {
        const char* exePath;
        const char* hdPath;
    };
    const Case cases[] = {
        {"/opt/kz/client", "/opt/kz/"},
        {"C:\\Games\\KZ\\client.exe", "C:\\Games\\KZ\\"},
        {"/opt/kz\\win/client.exe", "/opt/kz\\win/"},
        {"client", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exePath);
        setInstallKey(c.exePath);
        FileManager::startup();
        EXPECT_STREQ(FileManager::getHDPath(), c.hdPath);
        FileManager::shutdown();
    }
}

TEST_F(FileManagerTest, StartupSearchPathsWithAndWithoutCD)
{
    FileManager::startup();
    EXPECT_EQ(searchPaths(), (std::vector<std::string>{hd_, hd_ + "tutorial/"}));
    EXPECT_FALSE(FileManager::isCDPathSet());
    EXPECT_NE(log().find("FileManager::setCDPath: CDPath not set"), std::string::npos);
    FileManager::shutdown();

    setCD("/media/cd/");
    FileManager::startup();
    EXPECT_EQ(searchPaths(), (std::vector<std::string>{hd_, "/media/cd/client/", hd_ + "tutorial/",
                                                       "/media/cd/client/tutorial/"}));
    EXPECT_STREQ(FileManager::getCDPath(), "/media/cd/client/");
}

TEST_F(FileManagerTest, MissingInstallKeyOrExePathIsFatal)
{
    const std::string text = "Tavorn Vevovo does not appear to be installed correctly on your system. Please "
                             "re-install KZ by running the setup.exe program located on your KZ CD-ROM";
    platform_.keyStore().removeValue(FileManager::INSTALL_KEY, "ExePath");
    EXPECT_EQ(exitCodeOf([] { FileManager::startup(); }), 1);
    EXPECT_NE(log().find(text + ".\n"), std::string::npos) << log();
    FileManager::shutdown();

    platform_.keyStore().removeKey(FileManager::INSTALL_KEY);
    EXPECT_EQ(exitCodeOf([] { FileManager::startup(); }), 1);
    EXPECT_NE(log().find(text + "\n"), std::string::npos) << log();
}

TEST_F(FileManagerTest, UnsetCDPathIsFatalOnlyForGetCDPath)
{
    FileManager::startup();
    EXPECT_EQ(exitCodeOf([] { FileManager::getCDPath(); }), 1);
    EXPECT_NE(log().find("FileManager::getCDPath: CDPath is not set."), std::string::npos);
}

TEST_F(FileManagerTest, FindsNamesInSearchOrderIgnoringCaseAndBackslashes)
{
    write("hd/both.txt", "hd");
    write("hd/tutorial/both.txt", "tutorial");
    write("hd/tutorial/only.txt", "only");
    write("hd/Language/LangCode.IFF", "iff");
    setCD(sandbox_.dir().file("cd") + "/");
    write("cd/client/cdonly.txt", "cd");
    FileManager::startup();

    struct Case {
        const char* name;
        const char* content;
    };
    const Case cases[] = {
        {"both.txt", "hd"},
        {"only.txt", "only"},
        {"ONLY.TXT", "only"},
        {"language\\langcode.iff", "iff"},
        {"cdonly.txt", "cd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FILE* stream = FileManager::open(c.name, "rb");
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(readAll(stream), c.content);
        FileManager::close(stream);
    }
    EXPECT_EQ(FileManager::open("absent.txt", "rb"), nullptr);
    EXPECT_NE(log().find("FileManager::open: failed to open 'absent.txt' with given mode 'rb' on any of paths in "
                         "searchPaths, even by ignoring case."),
              std::string::npos);
    EXPECT_FALSE(FileManager::openFileInfo("absent.txt").found);
}

TEST_F(FileManagerTest, SecondOpenGivesItsOwnStreamAndLeavesTheFirstOpen)
{
    write("hd/kz.cfg", "0123456789");
    FileManager::startup();

    FILE* first = FileManager::open("kz.cfg", "rb");
    ASSERT_NE(first, nullptr);
    char head[4] = {};
    ASSERT_EQ(FileManager::read(head, 1, 4, first), 4u);
    FILE* second = FileManager::open("KZ.CFG", "rb");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);

    // The first holder's stream still works where it left off; the new one is at the start.
    char rest[6] = {};
    EXPECT_EQ(FileManager::read(rest, 1, 6, first), 6u);
    EXPECT_EQ(std::string(rest, 6), "456789");
    EXPECT_EQ(readAll(second), "0123456789");

    auto info = FileManager::openFileInfo("kz.cfg");
    EXPECT_EQ(info.timesOpened, 2);
    EXPECT_EQ(info.openStreams, 2);
    EXPECT_EQ(info.size, 10);
    EXPECT_EQ(info.numReads, 2);

    FileManager::close(first);
    EXPECT_TRUE(FileManager::openFileInfo("kz.cfg").open);
    FileManager::close(second);
    EXPECT_FALSE(FileManager::openFileInfo("kz.cfg").open);
    EXPECT_EQ(log().find("trying to close unopened or unknown file"), std::string::npos);

    // A closed record is reopened by name, with the size the file has now.
    write("hd/kz.cfg", "01234");
    FILE* third = FileManager::open("kz.cfg", "rb");
    ASSERT_NE(third, nullptr);
    info = FileManager::openFileInfo("kz.cfg");
    EXPECT_EQ(info.timesOpened, 3);
    EXPECT_EQ(info.size, 5);
    FileManager::close(third);
}

TEST_F(FileManagerTest, OpenAbsoluteUsesTheNameAsGiven)
{
    const std::string path = write("elsewhere/notes.txt", "abc");
    FileManager::startup();
    EXPECT_EQ(FileManager::open("notes.txt", "rb"), nullptr);
    FILE* stream = FileManager::openAbsolute(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readAll(stream), "abc");
    FileManager::close(stream);
    EXPECT_EQ(FileManager::openAbsolute((path + ".missing").c_str(), "rb"), nullptr);
    EXPECT_NE(log().find("FileManager::openAbsolute: failed to open '" + path + ".missing'."), std::string::npos);
}

TEST_F(FileManagerTest, LoadAllocatesOrFillsTheCallersBufferWithinItsCapacity)
{
    write("hd/data.bin", "abcdef");
    write("hd/empty.bin", "");
    FileManager::startup();

    unsigned char* allocated = nullptr;
    EXPECT_EQ(FileManager::load("data.bin", &allocated), 6);
    ASSERT_NE(allocated, nullptr);
    EXPECT_EQ(std::memcmp(allocated, "abcdef", 6), 0);
    MemoryManager::FreeMem(allocated);

    struct Case {
        const char* name;
        size_t capacity;
        int32_t result;
        const char* logged;
    };
    const Case cases[] = {
        {"data.bin", 6, 6, nullptr},
        {"data.bin", 5, 0, "FileManager::load: file 'data.bin' is 6 bytes, larger than the buffer of 5 bytes."},
        {"empty.bin", 8, 0, "FileManager::load: len=0."},
        {"missing.bin", 8, 0, "FileManager::load: failed to load 'missing.bin'."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " capacity " + std::to_string(c.capacity));
        unsigned char storage[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
        unsigned char* buffer = storage;
        EXPECT_EQ(FileManager::load(c.name, &buffer, c.capacity), c.result);
        EXPECT_EQ(buffer, storage);
        if (c.result > 0) {
            EXPECT_EQ(std::memcmp(storage, "abcdef", 6), 0);
        } else {
            EXPECT_EQ(storage[0], 'x');
        }
        if (c.logged) {
            EXPECT_NE(log().find(c.logged), std::string::npos) << log();
        }
    }

    // An empty file allocates nothing.
    unsigned char* none = nullptr;
    EXPECT_EQ(FileManager::load("empty.bin", &none), 0);
    EXPECT_EQ(none, nullptr);
    EXPECT_FALSE(FileManager::openFileInfo("data.bin").open);
}

TEST_F(FileManagerTest, FatalLimitsAndUnknownStreams)
{
    FileManager::startup(); // two search paths without a CD
    for (int i = FileManager::numSearchPaths(); i < FileManager::MAX_SEARCH_PATHS - 1; ++i)
        FileManager::addSearchPath(("/extra" + std::to_string(i) + "/").c_str());
    EXPECT_EQ(exitCodeOf([] { FileManager::addSearchPath("/tenth/"); }), 1);
    EXPECT_NE(log().find("FileManager::addSearchPath: numSearchPaths >= MAX_SEARCH_PATHS."), std::string::npos);
    FileManager::shutdown();

    FileManager::startup();
    const std::string longPath(FileManager::MAX_PATH_LENGTH, 'p');
    EXPECT_EQ(exitCodeOf([&] { FileManager::addSearchPath(longPath.c_str()); }), 1);
    EXPECT_NE(log().find("strlen(new_path) >= SearchPathInfo::MAX_PATH_LENGTH"), std::string::npos);

    const std::string other = write("other.txt", "x");
    FILE* foreign = std::fopen(other.c_str(), "rb");
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(exitCodeOf([&] { FileManager::seek(foreign, 0, SEEK_SET); }), 1);
    EXPECT_NE(log().find("FileManager::seek: trying to seek into unopened or unknown file!"), std::string::npos);
    FileManager::close(foreign); // reported, and left to its owner
    EXPECT_NE(log().find("FileManager::close: trying to close unopened or unknown file!"), std::string::npos);
    std::fclose(foreign);
}

TEST_F(FileManagerTest, LazyStartAndStreamsHeldAcrossShutdown)
{
    write("hd/kz.cfg", "abc");
    FILE* stream = FileManager::open("kz.cfg", "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_NE(log().find("FileManager::open: had to startup FileManager. KZ startup code needs to be re-designed!"),
              std::string::npos);

    FileManager::shutdown();
    EXPECT_NE(log().find("  yes           1            3        0               kz.cfg " + hd_ + "kz.cfg"),
              std::string::npos)
        << log();
    // The holder can still give its stream back after the table was cleared.
    FileManager::close(stream);
    EXPECT_EQ(log().find("trying to close unopened or unknown file"), std::string::npos);
}

} // namespace
