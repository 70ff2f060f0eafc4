/** @file Tests of the bounds-checked byte reader. */
#include "client/core/byte_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const std::vector<uint8_t> kBytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};

TEST(ByteReader, ReadsBothByteOrders)
{
    ByteReader be(kBytes.data(), kBytes.size());
    EXPECT_EQ(be.u8(), 0x12);
    EXPECT_EQ(be.u16be(), 0x3456);
    EXPECT_EQ(be.u32be(), 0x789ABCDEu);
    EXPECT_EQ(be.s8(), static_cast<int8_t>(0xF0));
    EXPECT_TRUE(be.ok());
    EXPECT_EQ(be.remaining(), 0u);

    ByteReader le(kBytes.data(), kBytes.size());
    EXPECT_EQ(le.u16le(), 0x3412);
    EXPECT_EQ(le.u32le(), 0xBC9A7856u);
    EXPECT_EQ(le.s16le(), static_cast<int16_t>(0xF0DE));
    EXPECT_TRUE(le.ok());
}

TEST(ByteReader, FailureIsStickyAndReadsNothingOutside)
{
    // Each read that does not fit: zero, failed, position at the end; later reads fail even if small.
    struct Case {
        const char* name;
        size_t before; // bytes read successfully first
        int width;     // width of the read that overruns
    };
    for (const Case& c : {Case{"u16 at 7", 7, 2}, Case{"u32 at 5", 5, 4}, Case{"u8 at 8", 8, 1}}) {
        ByteReader r(kBytes.data(), kBytes.size());
        ASSERT_TRUE(r.skip(c.before)) << c.name;
        const uint32_t value = c.width == 1 ? r.u8() : c.width == 2 ? r.u16be() : r.u32be();
        EXPECT_EQ(value, 0u) << c.name;
        EXPECT_TRUE(r.failed()) << c.name;
        EXPECT_EQ(r.remaining(), 0u) << c.name;
        EXPECT_FALSE(r.seek(0)) << c.name;
        EXPECT_EQ(r.u8(), 0) << c.name;
        EXPECT_EQ(r.bytes(0), nullptr) << c.name;
    }
    ByteReader huge(kBytes.data(), kBytes.size());
    EXPECT_EQ(huge.bytes(SIZE_MAX), nullptr);
    EXPECT_TRUE(huge.failed());
}

TEST(ByteReader, TextsAreBoundedByFieldViewAndLimit)
{
    const uint8_t field[] = {'a', 'b', 'c', 0, 'x', 'y', 'z', 'w', 'q', 0};
    ByteReader r(field, sizeof field);
    EXPECT_EQ(r.fixedString(4), "abc");
    EXPECT_EQ(r.fixedString(5), "xyzwq"); // no terminator inside the field: the whole field
    EXPECT_EQ(r.position(), 9u);

    char small[3];
    ByteReader cut(field, sizeof field);
    EXPECT_TRUE(cut.fixedString(4, small, sizeof small));
    EXPECT_STREQ(small, "ab");
    EXPECT_EQ(cut.position(), 4u);

    ByteReader z(field, sizeof field);
    EXPECT_EQ(z.zeroTerminated(10), "abc");
    EXPECT_EQ(z.zeroTerminated(10), "xyzwq");
    EXPECT_TRUE(z.ok());
    ByteReader tooLong(field + 4, 6);
    EXPECT_EQ(tooLong.zeroTerminated(3), "");
    EXPECT_TRUE(tooLong.failed());
    ByteReader unterminated(field + 4, 5);
    EXPECT_EQ(unterminated.zeroTerminated(100), "");
    EXPECT_TRUE(unterminated.failed());
}

TEST(ByteReader, WideTextsAndSubViews)
{
    const uint8_t wide[] = {0x00, 'H', 0x20, 0xAC, 0x00, 0x00, 0x00, 'x'};
    ByteReader r(wide, sizeof wide);
    EXPECT_EQ(r.zeroTerminatedU16be(10), u"H\u20AC");
    EXPECT_EQ(r.u16beUnits(1), u"x");
    EXPECT_TRUE(r.ok());
    ByteReader odd(wide, 7);
    odd.skip(6);
    EXPECT_EQ(odd.zeroTerminatedU16be(10), u"");
    EXPECT_TRUE(odd.failed());

    ByteReader outer(kBytes.data(), kBytes.size());
    outer.skip(2);
    ByteReader inner = outer.sub(3);
    EXPECT_EQ(inner.u16be(), 0x5678);
    EXPECT_EQ(inner.u16be(), 0); // past the sub-view, though the outer view goes on
    EXPECT_TRUE(inner.failed());
    EXPECT_TRUE(outer.ok());
    EXPECT_EQ(outer.u8(), 0xBC);
    EXPECT_TRUE(outer.sub(10).failed());
    EXPECT_TRUE(outer.failed());
}

} // namespace
