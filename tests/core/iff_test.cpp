/** @file Iff: walking FORM/CHUNK trees, reading chunk data, and the reports for damaged or misused files. */
#include "client/core/iff.h"

#include "tests/core/report_sandbox.h"
#include "tests/support/language_fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using formats::Bytes;
using testsupport::exitCodeOf;
namespace iff = testsupport::iff;

constexpr IffTag kData = MakeIffTag('D', 'A', 'T', 'A');
constexpr IffTag kLang = MakeIffTag('L', 'A', 'N', 'G');

class IffTest : public ::testing::Test {
protected:
    std::string log() const { return sandbox_.read("KZReport0.log"); }

    testsupport::ReportSandbox sandbox_;
};

TEST_F(IffTest, WalksNestedFormsChunksAndPadBytes)
{
    const Bytes file = iff::form(
        "DATA", {iff::chunk("ODD1", {'a', 'b', 'c'}),
                 iff::form("LANG", {iff::chunk("INFO", iff::ChunkData().str("enu").i32(-2).raw({0, 0, 1, 2}).take())}),
                 iff::chunk("LAST", {})});
    Iff reader(file.data(), file.size());
    reader.setFileName("walk.iff");

    EXPECT_TRUE(reader.isForm());
    EXPECT_TRUE(reader.isForm(kData));
    EXPECT_FALSE(reader.isForm(kLang));
    ASSERT_TRUE(reader.enterForm(kData));
    EXPECT_EQ(reader.depth(), 1);

    ASSERT_TRUE(reader.enterChunk(MakeIffTag('O', 'D', 'D', '1')));
    EXPECT_EQ(reader.charsLeft(), 3u);
    ASSERT_TRUE(reader.exitChunk());
    // The pad byte after the odd chunk is skipped: the next FORM follows directly.
    EXPECT_TRUE(reader.isForm(kLang));

    ASSERT_TRUE(reader.enterForm(kLang));
    ASSERT_TRUE(reader.enterChunk(MakeIffTag('I', 'N', 'F', 'O')));
    char text[8];
    reader.readString(text, sizeof text);
    EXPECT_STREQ(text, "enu");
    EXPECT_EQ(reader.readInt32(false), -2);
    EXPECT_FALSE(reader.atEndOfChunk());
    EXPECT_EQ(reader.readInt32(true), 0x102);
    EXPECT_TRUE(reader.atEndOfChunk());
    EXPECT_EQ(reader.charsLeft(), 0u);
    ASSERT_TRUE(reader.exitChunk(0, true));
    ASSERT_TRUE(reader.exitForm(kLang));

    EXPECT_TRUE(reader.isCurrentTag(MakeIffTag('L', 'A', 'S', 'T')));
    EXPECT_FALSE(reader.isCurrentTag(0));
    EXPECT_EQ(reader.getCurrentTag(), MakeIffTag('L', 'A', 'S', 'T'));
    ASSERT_TRUE(reader.enterChunk(MakeIffTag('L', 'A', 'S', 'T')));
    ASSERT_TRUE(reader.exitChunk());
    EXPECT_TRUE(reader.atEndOfChunk());
    ASSERT_TRUE(reader.exitForm());
    EXPECT_EQ(reader.depth(), 0);
    EXPECT_EQ(reader.getCurrentData(), file.data() + file.size());
    EXPECT_EQ(reader.getCurrentTag(), 0u); // nothing left to read a tag from
}

TEST_F(IffTest, LongStringsAreCutToTheBufferAndTheReaderMovesPastThem)
{
    const Bytes file = iff::chunk("STRS", iff::ChunkData().str("abcdefgh").i32(7).take());
    Iff reader(file.data(), file.size());
    ASSERT_TRUE(reader.enterChunk(MakeIffTag('S', 'T', 'R', 'S')));
    char small[4];
    reader.readString(small, sizeof small);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(reader.readInt32(false), 7);
}

TEST_F(IffTest, NestingDeeperThanTheFirstStackKeepsWorking)
{
    Bytes file = iff::chunk("CORE", iff::ChunkData().i32(42).take());
    const int levels = 70;
    for (int i = 0; i < levels; ++i)
        file = iff::form("NEST", {file});
    Iff reader(file.data(), file.size());
    for (int i = 0; i < levels; ++i)
        ASSERT_TRUE(reader.enterForm(MakeIffTag('N', 'E', 'S', 'T'))) << i;
    ASSERT_TRUE(reader.enterChunk(MakeIffTag('C', 'O', 'R', 'E')));
    EXPECT_EQ(reader.readInt32(false), 42);
    EXPECT_EQ(reader.depth(), levels + 1);
    EXPECT_EQ(reader.stackCapacity(), 128u);
    ASSERT_TRUE(reader.exitChunk(0, true));
    for (int i = 0; i < levels; ++i)
        ASSERT_TRUE(reader.exitForm());
    EXPECT_EQ(reader.getCurrentData(), file.data() + file.size());
}

TEST_F(IffTest, AWarningNamesFileOpenPathAndTagAtThePosition)
{
    const Bytes file = iff::form("DATA", {iff::form("LANG", {iff::chunk("INFO", {1, 2, 3, 4})})});
    Iff reader(file.data(), file.size());
    reader.setFileName("named.iff");
    reader.enterForm(kData);
    reader.enterForm(kLang);
    reader.reportError("Ctx:", "something odd.", false);
    EXPECT_NE(log().find("File:named.iff, Path:/DATA/LANG: something odd. Tag at current position = 'INFO'. Ctx:"),
              std::string::npos)
        << log();
}

// Every structural error and every read past the end of a chunk ends the program through the
// fatal report, whatever the file says its lengths are.
TEST_F(IffTest, DamagedFilesAndMisuseAreFatalWithoutReadingPastTheEnd)
{
    struct Case {
        const char* name;
        Bytes file;
        std::function<void(Iff&)> walk;
        const char* message;
    };
    const Bytes shortChunk = iff::chunk("INFO", {'a', 0, 'b'});
    Bytes chunkTooLong = iff::form("DATA", {iff::chunk("INFO", {1, 2, 3, 4})});
    chunkTooLong[19] = 40; // the chunk claims more than its FORM holds
    Bytes formTooLong = iff::form("DATA", {});
    formTooLong[7] = 200; // past the end of the buffer
    Bytes formTooShort = iff::form("DATA", {});
    formTooShort[7] = 2; // shorter than its own type
    const Bytes truncatedHeader = {'F', 'O', 'R', 'M', 0, 0};
    const Bytes noNul = iff::chunk("STRS", {'a', 'b', 'c', 'd', 'e'});
    const IffTag info = MakeIffTag('I', 'N', 'F', 'O');

    const std::vector<Case> cases = {
        {"wrong form type", iff::form("DATA", {}), [](Iff& r) { r.enterForm(kLang); }, "Cannot enter FORM 'LANG'"},
        {"chunk tag differs", shortChunk, [](Iff& r) { r.enterChunk(kData); }, "Cannot enter CHUNK 'DATA'"},
        {"chunk tag zero", shortChunk, [](Iff& r) { r.enterChunk(0); }, "Cannot enter CHUNK"},
        {"string with under four bytes left", shortChunk,
         [info](Iff& r) { char b[8]; r.enterChunk(info); r.readString(b, sizeof b); r.readString(b, sizeof b); },
         "At end of CHUNK. Not enough data ?"},
        {"int past the chunk", shortChunk, [info](Iff& r) { r.enterChunk(info); r.readInt32(false); },
         "At end of CHUNK. Not enough data ?"},
        {"string without its NUL", noNul,
         [](Iff& r) { char b[8]; r.enterChunk(MakeIffTag('S', 'T', 'R', 'S')); r.readString(b, sizeof b); },
         "At end of CHUNK. Not enough data ?"},
        {"exit chunk at depth 0", shortChunk, [info](Iff& r) { r.exitChunk(info); },
         "depth <= 0. Cannot exit CHUNK 'INFO'"},
        {"exit form at depth 0", shortChunk, [](Iff& r) { r.exitForm(); }, "depth <= 0. Cannot exit FORM"},
        {"chars left at depth 0", shortChunk, [](Iff& r) { r.charsLeft(); }, "depth <= 0"},
        {"unread data on a checked exit", shortChunk, [info](Iff& r) { r.enterChunk(info); r.exitChunk(info, true); },
         "extra data in CHUNK"},
        {"chunk longer than its form", chunkTooLong, [info](Iff& r) { r.enterForm(kData); r.enterChunk(info); },
         "Cannot enter CHUNK 'INFO'. Its length runs past its end."},
        {"form longer than the buffer", formTooLong, [](Iff& r) { r.enterForm(kData); },
         "Cannot enter FORM 'DATA'. Its length runs past its end."},
        {"form shorter than its type", formTooShort, [](Iff& r) { r.enterForm(); }, "Its length runs past its end."},
        {"header cut short", truncatedHeader, [](Iff& r) { r.enterForm(); }, "Cannot enter FORM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KZReport::resetForTests();
        // A copy of exactly the file's size, so that ASan sees any read past its end.
        std::vector<unsigned char> exact(c.file.begin(), c.file.end());
        Iff reader(exact.data(), exact.size());
        reader.setFileName("bad.iff");
        EXPECT_EQ(exitCodeOf([&] { c.walk(reader); }), 1);
        EXPECT_NE(log().find(c.message), std::string::npos) << log();
    }
}

TEST_F(IffTest, ReadingWithoutDataIsFatal)
{
    Iff reader(nullptr, 0);
    EXPECT_EQ(exitCodeOf([&] { reader.isForm(); }), 1);
    EXPECT_NE(log().find("Function:Iff::isForm: no current data!"), std::string::npos);
}

} // namespace
