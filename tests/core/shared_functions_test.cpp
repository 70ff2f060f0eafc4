/** @file Tests of the small shared functions: case-insensitive search, tick difference, pointer checks. */
#include "client/core/shared_functions.h"

#include "client/core/memory_manager.h"
#include "platform/random/random.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int32_t naiveFindNoCase(const std::string& pattern, const std::string& text)
{
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (pattern.size() > text.size())
        return -1;
    for (size_t s = 0; s + pattern.size() <= text.size(); ++s) {
        size_t j = 0;
        while (j < pattern.size() && fold(pattern[j]) == fold(text[s + j]))
            ++j;
        if (j == pattern.size())
            return static_cast<int32_t>(s);
    }
    return -1;
}

} // namespace

TEST(FindSubstringNoCase, Cases)
{
    struct Case {
        const char* pattern;
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"LORD", "a lord b", 2},
        {"", "abc", 0},
        {"", "", 0},
        {"abcd", "abc", -1},
        {"abc", "xxabcabc", 2},       // leftmost of two
        {"aab", "aaaab", 2},          // good-suffix shift must not skip a match
        {"abab", "abaababab", 3},
        {"x", "abc", -1},
        {"\xE9", "caf\xE9", 3},       // bytes above 127 compare as themselves
        {"\xC9", "caf\xE9", -1},      // and are not case-folded
        {"God", "GOD", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindSubstringNoCase(c.pattern, c.text), c.expected) << c.pattern << " in " << c.text;
    EXPECT_EQ(FindSubstringNoCase(nullptr, "abc"), -1);
    EXPECT_EQ(FindSubstringNoCase("a", nullptr), -1);
}

TEST(FindSubstringNoCase, AgreesWithAPlainSearchOnRandomTexts)
{
    // A tiny alphabet makes repeated partial matches, which exercise both shift tables.
    platform::Random random(2024);
    const char alphabet[] = "aAbB";
    auto randomText = [&](int maxLength) {
        std::string text(random.next() % (maxLength + 1), ' ');
        for (char& c : text)
            c = alphabet[random.next() % 4];
        return text;
    };
    for (int i = 0; i < 5000; ++i) {
        const std::string pattern = randomText(6);
        const std::string text = randomText(24);
        ASSERT_EQ(FindSubstringNoCase(pattern.c_str(), text.c_str()), naiveFindNoCase(pattern, text))
            << "'" << pattern << "' in '" << text << "'";
    }
}

TEST(TickDifference, PlainAndWrapped)
{
    struct Case {
        uint32_t now;
        uint32_t then;
        uint32_t expected;
    };
    const Case cases[] = {
        {100, 40, 60},
        {7, 7, 0},
        {5, 0xFFFFFFF0u, 20},     // wrapped: one less than modular subtraction
        {0, 0xFFFFFFFFu, 0},
        {0xFFFFFFFFu, 0, 0xFFFFFFFFu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TickDifference(c.now, c.then), c.expected) << c.now << " - " << c.then;
}

TEST(SharedFunctions, PointerChecksAndConstants)
{
    int object = 0;
    EXPECT_TRUE(IsValidObjectPointer(&object));
    EXPECT_FALSE(IsValidObjectPointer(nullptr));
    EXPECT_FALSE(IsValidObjectPointer(MemoryManager::freedPointer()));
    EXPECT_FALSE(IsGodClient());
    EmptyHandler(&object, 3);
    EXPECT_EQ(object, 0);
}
