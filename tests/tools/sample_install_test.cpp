/** @file The sample install writer's whole-file helper: written, replaced, and failures reported. */
#include "tools/sample_install/sample_install.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(SampleInstallFiles, AWholeFileIsWrittenOrTheFailureNamesIt)
{
    testsupport::TempDir dir;
    std::string error;
    ASSERT_TRUE(sampleinstall::writeWholeFile(dir.file("a.cfg"), std::string("long old content\r\n"), error));
    ASSERT_TRUE(sampleinstall::writeWholeFile(dir.file("a.cfg"), std::string_view("new\0x", 5), error));
    EXPECT_EQ(dir.read("a.cfg"), std::string("new\0x", 5)) << "replaced whole, NULs kept";
    ASSERT_TRUE(sampleinstall::writeWholeFile(dir.file("b.mul"), std::vector<uint8_t>{0x00, 0xFF, 0x7F}, error));
    EXPECT_EQ(dir.read("b.mul"), std::string("\x00\xFF\x7F", 3));
    EXPECT_TRUE(error.empty());

    struct Case {
        std::string path;
        const char* why;
    };
    const Case cases[] = {
        {dir.file("no-folder/c.mul"), "a folder that does not exist"},
        {dir.path().string(), "a folder in place of the file"},
        // Accepts the open but no byte: only the close shows the buffered bytes were lost.
        {"/dev/full", "a full disk"},
    };
    for (const Case& c : cases) {
        if (c.path == "/dev/full" && !std::filesystem::exists(c.path)) continue;
        error.clear();
        EXPECT_FALSE(sampleinstall::writeWholeFile(c.path, std::string("abc"), error)) << c.why;
        EXPECT_EQ(error, "cannot write " + c.path) << c.why;
    }
}

} // namespace
