/** @file CMMF and CMMF_Wr: mapping, bounded reads, reopening, and the error boxes. */
#include "client/core/cmmf.h"

#include "tests/core/report_sandbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using testsupport::exitCodeOf;

class CmmfTest : public ::testing::Test {
protected:
    std::string log() const { return sandbox_.read("KZReport0.log"); }

    testsupport::ReportSandbox sandbox_;
};

TEST_F(CmmfTest, ReadCopiesOnlyRangesInsideTheMapping)
{
    CMMF map(sandbox_.dir().write("art.mul", "0123456789").c_str());
    const uint8_t* view = map.Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(map.GetSize(), 10u);
    EXPECT_EQ(std::memcmp(view, "0123456789", 10), 0);

    struct Case {
        uint32_t offset;
        uint32_t length;
        uint32_t result;
    };
    const Case cases[] = {
        {0, 10, 10},         {6, 4, 4},  {10, 0, 0}, {7, 4, 0},
        {11, 0, 0},          {0, 11, 0}, {0xFFFFFFFFu, 2, 0},
        {2, 0xFFFFFFFFu, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.offset) + "+" + std::to_string(c.length));
        char out[16];
        std::memset(out, '-', sizeof out);
        EXPECT_EQ(map.Read(c.offset, c.length, out), c.result);
        if (c.result > 0) {
            EXPECT_EQ(std::memcmp(out, "0123456789" + c.offset, c.result), 0);
        }
        EXPECT_EQ(out[c.result], '-');
    }
    EXPECT_NE(log().find("CMMF::Read: range 7+4 is outside the 10 bytes of"), std::string::npos) << log();

    map.Close();
    char out[4];
    EXPECT_EQ(map.Read(0, 1, out), 0u);
}

TEST_F(CmmfTest, ReopenAfterCloseSeesTheRewrittenFile)
{
    const std::string path = sandbox_.dir().write("verdata.mul", "old");
    CMMF map(path.c_str());
    ASSERT_NE(map.Open(), nullptr);
    map.Close();
    EXPECT_FALSE(map.IsOpen());
    sandbox_.dir().write("verdata.mul", "newer");
    const uint8_t* view = map.Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view), map.GetSize()), "newer");
}

TEST_F(CmmfTest, FailuresShowTheirBoxAndGiveNull)
{
    const std::string empty = sandbox_.dir().write("empty.mul", "");
    const std::string missing = sandbox_.dir().file("missing.mul");
    struct Case {
        std::string name;
        std::string boxPrefix;
    };
    const Case cases[] = {
        {empty, "Failed to create mapping for mmf " + empty + ": Error "},
        {missing, "Failed to open mmf " + missing + ": Error "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sandbox_.boxes().clear();
        CMMF map(c.name.c_str());
        EXPECT_EQ(map.Open(), nullptr);
        const auto boxes = sandbox_.boxes().boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "MMF Error");
        EXPECT_EQ(boxes[0].text.rfind(c.boxPrefix, 0), 0u) << boxes[0].text;
        EXPECT_EQ(boxes[0].text.back(), '.');
    }

    sandbox_.boxes().clear();
    CMMF unnamed("");
    EXPECT_EQ(unnamed.Open(), nullptr);
    EXPECT_EQ(sandbox_.boxes().count(), 0u);

    EXPECT_EQ(exitCodeOf([] { CMMF bad(nullptr); }), 1);
    EXPECT_NE(log().find("CMMF::setName: new_name == NULL"), std::string::npos);
    EXPECT_EQ(exitCodeOf([] { CMMF_Wr bad(nullptr, 16); }), 1);
}

TEST_F(CmmfTest, WritableMappingCreatesTheFileKeepsItExclusiveAndFlushesOnDestruction)
{
    const std::string path = sandbox_.dir().file("cache0.kz");
    {
        CMMF_Wr cache(path.c_str(), 8);
        uint8_t* view = cache.Open();
        ASSERT_NE(view, nullptr);
        std::memcpy(view, "ABCDEFGH", 8);

        CMMF_Wr second(path.c_str(), 8);
        EXPECT_EQ(second.Open(), nullptr);
        const auto boxes = sandbox_.boxes().boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text.rfind("Failed to open mmf_wr " + path + ": Error ", 0), 0u) << boxes[0].text;
    }
    EXPECT_EQ(sandbox_.read("cache0.kz"), "ABCDEFGH");

    CMMF_Wr zero(path.c_str(), 0);
    EXPECT_EQ(zero.Open(), nullptr);
    EXPECT_NE(log().find("CMMF_Wr::Open: Failed to create mapping for mmf_wr " + path), std::string::npos);
}

} // namespace
