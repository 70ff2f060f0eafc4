/** @file Tests of CUnicodeString, CStrBuf and the functions over 16-bit text. */
#include "client/core/unicode_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

/** The text of a string, "<null>" when it has no buffer. */
std::u16string textOf(const CUnicodeString& s)
{
    return s.GetStringBuffer() ? std::u16string(s.GetStringBuffer()) : u"<null>";
}

std::string textOf(const CStrBuf& s)
{
    return s.GetStringBuffer() ? std::string(s.GetStringBuffer()) : "<null>";
}

} // namespace

TEST(CUnicodeString, ConstructionForms)
{
    CUnicodeString empty;
    EXPECT_EQ(textOf(empty), u"");
    EXPECT_EQ(empty.GetCapacity(), 1);

    CUnicodeString fromNull(static_cast<const WideChar*>(nullptr));
    EXPECT_EQ(fromNull.GetStringBuffer(), nullptr);
    CUnicodeString copyOfNull(fromNull);
    EXPECT_EQ(copyOfNull.GetStringBuffer(), nullptr);
    EXPECT_EQ(copyOfNull.GetLength(), 0);

    CUnicodeString narrow("caf\xE9");
    EXPECT_EQ(textOf(narrow), u"caf\u00E9"); // the byte widens unsigned, not to 0xFFE9
    EXPECT_EQ(narrow.GetLength(), 4);
    EXPECT_EQ(narrow.GetCapacity(), 5);

    CUnicodeString copy(narrow);
    EXPECT_EQ(textOf(copy), u"caf\u00E9");
    EXPECT_NE(copy.GetStringBuffer(), narrow.GetStringBuffer());
}

TEST(CUnicodeString, AppendAssignAndGrowth)
{
    CUnicodeString s(u"ab");
    EXPECT_EQ(s.GetCapacity(), 3);
    s.Append(u"cd");
    EXPECT_EQ(textOf(s), u"abcd");
    EXPECT_EQ(s.GetCapacity(), 5); // old length + added + step 1
    s.Append(nullptr);
    s.Append(u"");
    EXPECT_EQ(textOf(s), u"abcd");

    s.AppendChar(u'e');
    EXPECT_EQ(s.GetCapacity(), 6); // length + 2
    s.AppendNumber(INT_MIN);
    EXPECT_EQ(textOf(s), u"abcde-2147483648");

    WideChar* buffer = s.GetStringBuffer();
    s.Assign(nullptr);
    EXPECT_EQ(s.GetStringBuffer(), buffer); // emptied, buffer kept
    EXPECT_EQ(textOf(s), u"");
    EXPECT_EQ(s.GetLength(), 0);

    s.AssignAscii("Hi");
    EXPECT_EQ(textOf(s), u"Hi");
    CUnicodeString other(u"there");
    s.AppendString(other);
    EXPECT_EQ(textOf(s), u"Hithere");
    s.AssignString(other);
    EXPECT_EQ(textOf(s), u"there");
    s.Prepend(CUnicodeString(u"over "));
    EXPECT_EQ(textOf(s), u"over there");
    EXPECT_EQ(s.GetLength(), 10);
}

TEST(CUnicodeString, ArgumentsFromItsOwnBufferSurviveGrowth)
{
    CUnicodeString s(u"abc");
    s.Append(s.GetStringBuffer());
    EXPECT_EQ(textOf(s), u"abcabc");
    s.Append(s.GetStringBuffer() + 4);
    EXPECT_EQ(textOf(s), u"abcabcbc");
    s.Assign(s.GetStringBuffer() + 3);
    EXPECT_EQ(textOf(s), u"abcbc");
    s.Prepend(s);
    EXPECT_EQ(textOf(s), u"abcbcabcbc");
    s.GetTextAfter(s, u'c');
    EXPECT_EQ(textOf(s), u"bcabcbc");
    s = s;
    EXPECT_EQ(textOf(s), u"bcabcbc");
}

TEST(CUnicodeString, ComparisonsFoldOnlyAsciiLetters)
{
    struct Case {
        const WideChar* a;
        const WideChar* b;
        bool equal;
    };
    const Case cases[] = {
        {u"Hello World", u"hELLO wORLD", true},
        {u"\u00C9t\u00E9", u"\u00E9t\u00E9", false}, // non-ASCII letters keep their case
        {u"abc", u"abcd", false},
        {u"", u"", true},
        {u"[", u"{", false}, // neighbours of the letter ranges are not letters
    };
    for (const Case& c : cases) {
        CUnicodeString a(c.a), b(c.b);
        EXPECT_EQ(a.Equals(b), c.equal);
        EXPECT_EQ(a.NotEquals(b), !c.equal);
    }
    CUnicodeString noBuffer(static_cast<const WideChar*>(nullptr));
    EXPECT_TRUE(noBuffer.Equals(CUnicodeString(u"")));
}

TEST(CUnicodeString, PrefixTestsRunInOppositeDirections)
{
    struct Case {
        const WideChar* text;
        const char* ascii;
        bool matches;    // text is a prefix of ascii
        bool startsWith; // ascii is a prefix of text
    };
    const Case cases[] = {
        {u"guard", "guards", true, false},
        {u"guards", "guard", false, true},
        {u"guard", "guard", true, true},
        {u"Guard", "guard", false, false}, // both are case-sensitive
        {u"", "abc", true, false},
        {u"abc", "", false, true},
        {u"\u00E9", "\xE9", true, true},
    };
    for (const Case& c : cases) {
        CUnicodeString s(c.text);
        EXPECT_EQ(s.MatchesAscii(c.ascii), c.matches) << c.ascii;
        EXPECT_EQ(s.StartsWithAscii(c.ascii), c.startsWith) << c.ascii;
        EXPECT_FALSE(s.MatchesAscii(nullptr));
        EXPECT_FALSE(s.StartsWithAscii(nullptr));
    }
}

TEST(CUnicodeString, CharAtOutsideTheTextGivesAZeroUnit)
{
    CUnicodeString s(u"ab");
    EXPECT_EQ(*s.CharAt(1), u'b');
    EXPECT_EQ(*s.CharAt(2), 0);
    EXPECT_EQ(*s.CharAt(-1), 0);
    EXPECT_EQ(*s.CharAt(1000000), 0);
    CUnicodeString noBuffer(static_cast<const WideChar*>(nullptr));
    EXPECT_EQ(*noBuffer.CharAt(0), 0);
}

TEST(CUnicodeString, TextAfterAndRemoveLast)
{
    CUnicodeString s(u"name: value: x");
    CUnicodeString out;
    s.GetTextAfter(out, u':');
    EXPECT_EQ(textOf(out), u" value: x");
    s.GetTextAfter(out, u'#');
    EXPECT_EQ(textOf(out), u"");
    CUnicodeString(static_cast<const WideChar*>(nullptr)).GetTextAfter(out, u'a');
    EXPECT_EQ(textOf(out), u"");

    EXPECT_FALSE(s.RemoveLastCharIf(u'y'));
    EXPECT_TRUE(s.RemoveLastCharIf(u'x'));
    EXPECT_EQ(textOf(s), u"name: value: ");
    CUnicodeString empty;
    EXPECT_FALSE(empty.RemoveLastCharIf(0));
}

TEST(CUnicodeString, ParseRangeStopsAtTheTerminator)
{
    struct Case {
        const WideChar* text;
        int32_t low;
        int32_t high;
    };
    const Case cases[] = {
        {u"[12-345]", 12, 345},
        {u"say [3-7] now", 3, 7},
        {u"no brackets", 0, 0},
        {u"[12", 12, 0},
        {u"[4-9", 4, 9},
        {u"", 0, 0},
        {u"[99999999999-1]", static_cast<int32_t>(99999999999ull & 0xFFFFFFFFu), 1}, // wraps, no overflow
    };
    for (const Case& c : cases) {
        int32_t low = -1, high = -1;
        CUnicodeString(c.text).ParseRange(low, high);
        EXPECT_EQ(low, c.low);
        EXPECT_EQ(high, c.high);
    }
}

TEST(CStrBuf, GrowthAssignAndAliasing)
{
    CStrBuf s;
    EXPECT_EQ(s.GetStringBuffer(), nullptr);
    EXPECT_EQ(s.GetCapacity(), 0);
    s += "abc";
    EXPECT_EQ(textOf(s), "abc");
    EXPECT_EQ(s.GetCapacity(), 3 + 64);
    s.AppendInt(INT_MIN);
    EXPECT_EQ(textOf(s), "abc-2147483648");
    s.Append(nullptr);
    s.Append("");
    EXPECT_EQ(s.GetLength(), 14);

    char* buffer = s.GetStringBuffer();
    s.Assign(nullptr);
    EXPECT_EQ(s.GetStringBuffer(), buffer);
    EXPECT_EQ(textOf(s), "");

    CStrBuf t("xyz");
    EXPECT_EQ(t.GetCapacity(), 3 + 64);
    const std::string long100(100, 'q');
    t.Append(long100.c_str());
    t.Append(t.GetStringBuffer()); // forces growth while reading its own buffer
    EXPECT_EQ(textOf(t), "xyz" + long100 + "xyz" + long100);
    t.Assign(t.GetStringBuffer() + 103);
    EXPECT_EQ(textOf(t), "xyz" + long100);

    CStrBuf copy(t);
    EXPECT_EQ(textOf(copy), textOf(t));
    EXPECT_EQ(CStrBuf(static_cast<const char*>(nullptr)).GetStringBuffer(), nullptr);
}

TEST(WideText, Comparisons)
{
    struct Case {
        const WideChar* a;
        const WideChar* b;
        int cmp;
        int icmp;
    };
    const Case cases[] = {
        {u"abc", u"abc", 0, 0},
        {u"abc", u"ABC", 1, 0},
        {u"abc", u"abd", -1, -1},
        {u"ab", u"abc", -1, -1},
        {u"\uFFFF", u"a", 1, 1}, // unsigned units
        {u"_", u"a", -1, -1},    // '_' lies between 'Z' and 'a': no folding of it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WideStrCmp(c.a, c.b), c.cmp);
        EXPECT_EQ(WideStrICmp(c.a, c.b), c.icmp);
    }
    EXPECT_EQ(WideStrNICmp(u"HELLO there", u"hello world", 6), 0);
    EXPECT_EQ(WideStrNICmp(u"HELLO there", u"hello world", 7), -1);
    EXPECT_EQ(WideStrNICmp(u"ab", u"ab", 10), 0);
}

TEST(WideText, CopiesAreTerminatedAndBounded)
{
    WideChar out[8];
    std::fill(std::begin(out), std::end(out), u'#');
    WideStrNCpy(out, u"abcdef", 3);
    EXPECT_EQ(std::u16string(out), u"abc");
    EXPECT_EQ(out[4], u'#');
    WideStrNCpy(nullptr, u"x", 1);
    WideStrNCpy(out, nullptr, 1);
    EXPECT_EQ(std::u16string(out), u"abc");

    std::fill(std::begin(out), std::end(out), u'#');
    WideStrCpyBounded(out, 4, u"abcdef");
    EXPECT_EQ(std::u16string(out), u"abc");
    EXPECT_EQ(out[4], u'#');
    WideStrCatBounded(out, 6, u"xyz");
    EXPECT_EQ(std::u16string(out), u"abcxy");
    EXPECT_EQ(out[6], u'#');

    WideStrCpy(out, u"ab");
    WideStrCat(out, u"cd");
    WideStrCatNarrow(out, "e\xFF");
    EXPECT_EQ(std::u16string(out), u"abcde\u00FF");
    EXPECT_EQ(WideStrLen(out), 6);

    WideChar* dup = WideStrDup(out);
    EXPECT_EQ(std::u16string(dup), u"abcde\u00FF");
    delete[] dup;
    EXPECT_EQ(WideStrDup(nullptr), nullptr);
}

TEST(WideText, WidenNarrowAndStrip)
{
    WideChar wide[8];
    WidenString(wide, "A\x80z");
    EXPECT_EQ(std::u16string(wide), u"A\u0080z");
    WideChar again[8];
    AsciiToWide("A\x80z", again);
    EXPECT_EQ(std::u16string(again), std::u16string(wide));

    char narrow[8];
    NarrowString(narrow, u"a\u0142b");
    EXPECT_EQ(std::string(narrow), "a\x42" "b"); // low byte of U+0142
    WideToAsciiStrip(narrow, u"a\u00E9b\u4E2Dc");
    EXPECT_EQ(std::string(narrow), "abc");

    EXPECT_TRUE(IsWideSpace(u' '));
    EXPECT_FALSE(IsWideSpace(u'\t'));
    EXPECT_TRUE(IsWideDigit(u'0'));
    EXPECT_TRUE(IsWideDigit(u'9'));
    EXPECT_FALSE(IsWideDigit(u'a'));
}

TEST(WideText, NumberConversions)
{
    struct Parse {
        const WideChar* text;
        int32_t value;
    };
    const Parse parses[] = {
        {u"123", 123},       {u"-45", -45},         {u"--7", 7},
        {u"+-12x3", -12},    {u"", 0},              {u"x1", 0},
        {u"2147483647", INT_MAX}, {u"-2147483648", INT_MIN},
        {u"4294967296", 0},  // wraps modulo 2^32 instead of overflowing
    };
    for (const Parse& p : parses)
        EXPECT_EQ(WideToInt(p.text), p.value) << std::u16string(p.text).size();
    EXPECT_EQ(WideToInt(nullptr), 0);

    struct Format {
        int32_t value;
        int radix;
        const WideChar* text;
    };
    const Format formats[] = {
        {0, 10, u"0"},
        {INT_MIN, 10, u"-2147483648"},
        {INT_MIN + 1, 10, u"-2147483647"},
        {INT_MAX, 10, u"2147483647"},
        {255, 16, u"ff"},
        {-5, 2, u"-101"},
        {INT_MIN, 2, u"-10000000000000000000000000000000"},
        {35, 36, u"z"},
        {42, 0, u"42"}, // an impossible radix means 10
    };
    for (const Format& f : formats) {
        WideChar out[40];
        EXPECT_EQ(std::u16string(IntToWide(f.value, out, f.radix)), f.text) << f.value << " radix " << f.radix;
    }
}
